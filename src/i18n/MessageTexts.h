#pragma once
// Every message text the program shows through LoadText or LoadTextFmt, by text ID with its
// built-in English, in one table: translators and the language files' tests work from it.

#include <span>
#include <string_view>

namespace i18n {

struct MessageText {
    int id;
    std::string_view english;
};

// Ascending by text ID.
std::span<const MessageText> messageTexts();

} // namespace i18n
