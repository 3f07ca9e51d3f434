#pragma once
// Message texts by numeric ID in the current language, with the English default written at the
// call. Formatted texts fall back to the English format when a translation does not fit.

#include "platform/Format.h"

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace i18n {

// The text for `textId` from the installed loader, else `fallback`; throws EscapeError for a
// malformed translation.
std::string LoadText(int textId, std::string_view fallback);

// The text for `textId` formatted with `args`. A translation that cannot be read or formatted
// gives the formatted `defaultFormat`; when even that fails, "FormatErr(<id>):" and the format.
std::string LoadTextFmt(int textId, std::string_view defaultFormat,
                        std::span<const platform::FormatArg> args);
std::string LoadTextFmt(int textId, std::string_view defaultFormat,
                        std::initializer_list<platform::FormatArg> args);

} // namespace i18n
