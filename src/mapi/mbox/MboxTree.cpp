#include "mapi/mbox/MboxTree.h"

#include <algorithm>
#include <array>
#include <map>
#include <strings.h>

namespace mapi {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSubfolderSuffix = ".sbd";

fs::file_type typeOf(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type();
}

bool endsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           strncasecmp(text.data() + text.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
}

// The files mail clients keep beside their mbox files.
bool isIndexFile(std::string_view name) {
    static constexpr std::array<std::string_view, 9> kSuffixes{".msf",    ".lock", ".dat", ".json", ".html",
                                                               ".sqlite", ".log",  ".bak", "~"};
    return std::any_of(kSuffixes.begin(), kSuffixes.end(),
                       [name](std::string_view suffix) { return endsWith(name, suffix); });
}

bool isMaildirDirectory(const fs::path& path) {
    return typeOf(path / "cur") == fs::file_type::directory &&
           typeOf(path / "new") == fs::file_type::directory;
}

bool validKey(const std::string& key) {
    if (key.empty())
        return true;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t slash = key.find('/', start);
        if (slash == std::string::npos)
            slash = key.size();
        const std::string_view part(key.data() + start, slash - start);
        if (part.empty() || part[0] == '.')
            return false;
        start = slash + 1;
    }
    return true;
}

} // namespace

MboxTree::MboxTree(fs::path root) : m_root(std::move(root)) {
    std::error_code error;
    m_singleFile = fs::status(m_root, error).type() != fs::file_type::directory;
}

fs::path MboxTree::file(const std::string& key) const {
    return m_singleFile ? m_root : m_root / key;
}

bool MboxTree::holdsMessages(const std::string& key) const {
    if (m_singleFile)
        return key.empty();
    return !key.empty() && validKey(key) && typeOf(m_root / key) == fs::file_type::regular;
}

bool MboxTree::exists(const std::string& key) const {
    if (m_singleFile || key.empty())
        return key.empty();
    if (!validKey(key))
        return false;
    const fs::file_type type = typeOf(m_root / key);
    return type == fs::file_type::regular || type == fs::file_type::directory ||
           typeOf(m_root / (key + std::string(kSubfolderSuffix))) == fs::file_type::directory;
}

std::string MboxTree::displayName(const std::string& key) const {
    if (key.empty())
        return m_root.filename().empty() ? m_root.parent_path().filename().string()
                                         : m_root.filename().string();
    return key.substr(key.rfind('/') + 1);
}

fs::path MboxTree::childDirectory(const std::string& key) const {
    if (key.empty())
        return m_root;
    const fs::path plain = m_root / key;
    return typeOf(plain) == fs::file_type::directory ? plain : m_root / (key + std::string(kSubfolderSuffix));
}

std::vector<MboxFolderInfo> MboxTree::children(const std::string& key) const {
    if (m_singleFile || !validKey(key))
        return {};
    const fs::path directory = childDirectory(key);
    const std::string prefix =
        key.empty() ? std::string()
                    : std::string(fs::path(directory).lexically_relative(m_root).string()) + "/";
    std::map<std::string, MboxFolderInfo> found;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        const fs::file_type type = typeOf(it->path());
        std::string folder;
        if (type == fs::file_type::regular && !isIndexFile(name))
            folder = name;
        else if (type == fs::file_type::directory && endsWith(name, kSubfolderSuffix) &&
                 name.size() > kSubfolderSuffix.size())
            folder = name.substr(0, name.size() - kSubfolderSuffix.size());
        else if (type == fs::file_type::directory && !isMaildirDirectory(it->path()))
            folder = name;
        if (!folder.empty())
            found.emplace(folder, MboxFolderInfo{prefix + folder, folder});
    }
    std::vector<MboxFolderInfo> children;
    for (auto& [name, info] : found)
        children.push_back(std::move(info));
    return children;
}

std::string MboxTree::receiveFolder() const {
    if (m_singleFile)
        return {};
    const auto top = children("");
    for (const auto& folder : top)
        if (strcasecmp(folder.displayName.c_str(), "Inbox") == 0 && holdsMessages(folder.key))
            return folder.key;
    for (const auto& folder : top)
        if (holdsMessages(folder.key))
            return folder.key;
    return {};
}

bool isMboxPath(const fs::path& path) {
    const fs::file_type type = typeOf(path);
    std::error_code error;
    // The store's own path may be a link (a spool reached through a link, a tree kept elsewhere).
    const fs::file_type target = fs::status(path, error).type();
    return type == fs::file_type::regular || type == fs::file_type::directory ||
           (type == fs::file_type::symlink &&
            (target == fs::file_type::regular || target == fs::file_type::directory));
}

} // namespace mapi
