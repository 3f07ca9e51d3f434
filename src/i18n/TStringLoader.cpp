#include "i18n/TStringLoader.h"

#include "i18n/Escapes.h"
#include "i18n/LanguageFolder.h"
#include "platform/DurableWrite.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace i18n {

namespace {

// The whole file, or nothing when it does not exist; other failures throw.
std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        platform::throwFileError(errno, "Cannot open", path);
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            platform::throwFileError(error, "Cannot read", path);
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

std::unique_ptr<TStringLoader>& installedLoader() {
    static std::unique_ptr<TStringLoader> loader;
    return loader;
}

} // namespace

TStringLoader::TStringLoader() = default;

TStringLoader::TStringLoader(std::filesystem::path path) : m_path(std::move(path)) {
    try {
        // A folder that cannot be made shows up as a missing or unreadable file below.
        std::error_code ignored;
        std::filesystem::create_directories(m_path.parent_path(), ignored);
        // The setting may differ in letter case from the file's name: the chooser capitalises it.
        m_path = findLanguageFile(m_path);
        if (const std::optional<std::string> text = readWholeFile(m_path)) {
            m_file = LanguageFile::parse(*text);
        }
        m_disabled = false;
    } catch (const std::exception&) {
        m_file = LanguageFile();
    }
}

std::optional<std::string> TStringLoader::value(std::string_view section, std::string_view key) const {
    if (m_disabled) {
        return std::nullopt;
    }
    return m_file.value(section, key);
}

std::string TStringLoader::loadText(int textId, std::string_view fallback) const {
    if (const std::optional<std::string> text = value("global", std::to_string(textId))) {
        return DecodeEscapes(*text);
    }
    return std::string(fallback);
}

void TStringLoader::RecordEntry(std::string_view section, std::string_view key, std::string_view text) {
    // A disabled loader may hold only part of its file (or none of it): saving would lose the rest.
    if (m_disabled) {
        return;
    }
    try {
        m_file.setValue(section, key, EncodeEscapes(text));
        if (!m_path.empty()) {
            platform::writeFileDurably(m_path, m_file.text());
        }
    } catch (const std::exception&) {
        m_disabled = true;
    }
}

TStringLoader& GetLoader() {
    std::unique_ptr<TStringLoader>& loader = installedLoader();
    if (!loader) {
        loader = std::make_unique<TStringLoader>();
    }
    return *loader;
}

void SetLoader(std::unique_ptr<TStringLoader> loader) {
    installedLoader() = std::move(loader);
}

} // namespace i18n
