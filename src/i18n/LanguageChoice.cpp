#include "i18n/LanguageChoice.h"

#include "i18n/TextLookup.h"
#include "platform/Locale.h"

namespace i18n {

std::optional<std::size_t> SelectLanguage(const std::vector<std::string>& languages,
                                          std::string_view current) {
    const std::string wanted = platform::upperCaseUtf8(current);
    std::optional<std::size_t> english;
    for (std::size_t i = 0; i < languages.size(); ++i) {
        const std::string entry = platform::upperCaseUtf8(languages[i]);
        if (entry == wanted) {
            return i;
        }
        if (entry == "ENGLISH" && !english) {
            english = i;
        }
    }
    if (english) {
        return english;
    }
    return languages.empty() ? std::nullopt : std::optional<std::size_t>(0);
}

LanguageChoice chooseLanguage(std::string_view current, const std::optional<std::string>& selected,
                              std::string_view productName) {
    if (!selected) {
        return {std::string(current), std::nullopt};
    }
    LanguageChoice choice{*selected, std::nullopt};
    if (!current.empty() && platform::upperCaseUtf8(current) != platform::upperCaseUtf8(*selected)) {
        choice.notice =
            LoadTextFmt(4440, "You must exit %s before the new language will take effect", {productName});
    }
    return choice;
}

} // namespace i18n
