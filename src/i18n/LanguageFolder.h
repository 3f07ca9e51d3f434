#pragma once
// The language files in the program's Languages folder: the languages offered to the user, and
// the file a language name stands for. File names are compared without regard to letter case, as
// the names were chosen on a file system that ignores it: a setting "Deutsch" finds deutsch.ini.

#include "platform/Locale.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace i18n {

// One entry per file Languages/*.ini (the extension in any case) below `programFolder`: the name
// without its extension, first letter upper-cased, sorted without regard to case. A missing
// folder gives no entries.
std::vector<std::string> ListLanguages(const std::filesystem::path& programFolder,
                                       const platform::Locale& locale = platform::systemLocale());

// `path` when it exists; otherwise the file of its folder whose name equals its name apart from
// letter case, if there is one; otherwise `path`.
std::filesystem::path findLanguageFile(const std::filesystem::path& path);

} // namespace i18n
