#pragma once
// The language chooser's rules: which entry is preselected, and what choosing one does. The new
// language is stored for the next start; the running program keeps its texts.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace i18n {

// The entry equal to `current` without regard to case; else the "English" entry; else the
// first. Nothing for an empty list.
std::optional<std::size_t> SelectLanguage(const std::vector<std::string>& languages,
                                          std::string_view current);

struct LanguageChoice {
    std::string language;              // the setting "language" from now on
    std::optional<std::string> notice; // text ID 4440, to show when the language really changes
};

// The outcome of OK in the chooser with `selected` (nothing when the list was empty): the chosen
// name is stored even when only its case changed, and the restart notice names the product.
LanguageChoice chooseLanguage(std::string_view current, const std::optional<std::string>& selected,
                              std::string_view productName);

} // namespace i18n
