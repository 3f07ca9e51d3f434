#include "i18n/TextLookup.h"

#include "i18n/Escapes.h"
#include "i18n/TStringLoader.h"

namespace i18n {

namespace {

std::string formatDefault(int textId, std::string_view defaultFormat,
                          std::span<const platform::FormatArg> args) {
    try {
        return platform::format(defaultFormat, args);
    } catch (const platform::FormatError&) {
        return "FormatErr(" + std::to_string(textId) + "):" + std::string(defaultFormat);
    }
}

} // namespace

std::string LoadText(int textId, std::string_view fallback) {
    return GetLoader().loadText(textId, fallback);
}

std::string LoadTextFmt(int textId, std::string_view defaultFormat,
                        std::span<const platform::FormatArg> args) {
    const TStringLoader& loader = GetLoader();
    if (!loader.disabled()) {
        // A translation that cannot be decoded or does not fit the arguments gives way to English.
        try {
            return platform::format(loader.loadText(textId, defaultFormat), args);
        } catch (const platform::FormatError&) {
        } catch (const EscapeError&) {
        }
    }
    return formatDefault(textId, defaultFormat, args);
}

std::string LoadTextFmt(int textId, std::string_view defaultFormat,
                        std::initializer_list<platform::FormatArg> args) {
    return LoadTextFmt(textId, defaultFormat,
                       std::span<const platform::FormatArg>(args.begin(), args.size()));
}

} // namespace i18n
