#include "MaildirBuilder.h"

#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace testsupport {

namespace fs = std::filesystem;

MaildirBuilder::MaildirBuilder(fs::path root) : m_root(std::move(root)) {
    addFolder("");
}

fs::path MaildirBuilder::addFolder(const std::string& key) {
    const fs::path folder = key.empty() ? m_root : m_root / key;
    for (const char* sub : {"cur", "new", "tmp"})
        fs::create_directories(folder / sub);
    return folder;
}

fs::path MaildirBuilder::addMessage(const std::string& key, std::string_view content,
                                    const MessageFileOptions& options) {
    const fs::path folder = addFolder(key);
    std::string unique = options.unique.empty()
                             ? "1700000000.M" + std::to_string(++m_counter) + "P4242.testhost"
                             : options.unique;
    if (options.sizeMarkers) {
        std::size_t bareLineFeeds = 0;
        for (std::size_t i = 0; i < content.size(); ++i)
            if (content[i] == '\n' && (i == 0 || content[i - 1] != '\r'))
                ++bareLineFeeds;
        unique +=
            ",S=" + std::to_string(content.size()) + ",W=" + std::to_string(content.size() + bareLineFeeds);
    }
    const fs::path path =
        options.inNew ? folder / "new" / unique : folder / "cur" / (unique + ":2," + options.flags);
    writeFileText(path, content);
    if (options.mtime != 0) {
        const timespec times[2] = {{options.mtime, 0}, {options.mtime, 0}};
        if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
            throw std::runtime_error("Cannot set the time of " + path.string());
    }
    return path;
}

std::map<std::string, std::string> messageFilesBelow(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        if (!it->is_regular_file())
            continue;
        const std::string parent = it->path().parent_path().filename().string();
        if (parent == "cur" || parent == "new")
            files[fs::relative(it->path(), root).string()] = readFileText(it->path());
    }
    return files;
}

std::string readFileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFileText(const fs::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out.flush())
        throw std::runtime_error("Cannot write " + path.string());
}

} // namespace testsupport
