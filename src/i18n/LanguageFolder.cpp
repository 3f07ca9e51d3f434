#include "i18n/LanguageFolder.h"

#include <algorithm>
#include <optional>
#include <set>
#include <system_error>

namespace i18n {

namespace {

// The byte length of the UTF-8 character that starts with `lead`.
std::size_t characterLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

std::string withCapital(std::string_view name) {
    const std::size_t first =
        std::min(characterLength(static_cast<unsigned char>(name.front())), name.size());
    return platform::upperCaseUtf8(name.substr(0, first)) + std::string(name.substr(first));
}

bool isFolder(const std::filesystem::directory_entry& entry) {
    std::error_code ignored;
    return entry.is_directory(ignored);
}

} // namespace

std::vector<std::string> ListLanguages(const std::filesystem::path& programFolder,
                                       const platform::Locale& locale) {
    constexpr std::string_view kExtension = ".INI";
    // Names equal but for case can come from two files on this file system; each is offered once.
    std::set<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(programFolder / "Languages", error), end; !error && it != end;
         it.increment(error)) {
        const std::string file = it->path().filename().string();
        if (isFolder(*it) || file.size() <= kExtension.size() ||
            platform::upperCaseUtf8(file.substr(file.size() - kExtension.size())) != kExtension) {
            continue;
        }
        names.insert(withCapital(std::string_view(file).substr(0, file.size() - kExtension.size())));
    }
    std::vector<std::string> languages(names.begin(), names.end());
    std::stable_sort(languages.begin(), languages.end(), [&](const std::string& a, const std::string& b) {
        return locale.compareTextIgnoreCase(a, b) < 0;
    });
    return languages;
}

std::filesystem::path findLanguageFile(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error) || !path.has_filename()) {
        return path;
    }
    const std::string wanted = platform::upperCaseUtf8(path.filename().string());
    std::optional<std::filesystem::path> found;
    for (std::filesystem::directory_iterator it(path.parent_path(), error), end; !error && it != end;
         it.increment(error)) {
        // Of several candidates the first by name, so the same file is chosen at every start.
        if (!isFolder(*it) && platform::upperCaseUtf8(it->path().filename().string()) == wanted &&
            (!found || it->path() < *found)) {
            found = it->path();
        }
    }
    return found.value_or(path);
}

} // namespace i18n
