#include "ui/ProductLinks.h"

namespace ui {

std::string urlEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '*' || byte == '-' || byte == '.' ||
                           byte == '_';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string addLinkParameters(std::string_view address, std::string_view source) {
    std::string result(address);
    result += address.find('?') == std::string_view::npos ? '?' : '&';
    result += "application=" + urlEncode(kProductName);
    result += "&ver=" + urlEncode(kProductVersion);
    result += "&source=" + urlEncode(source);
    return result;
}

std::string uninstallPageAddress() {
    return addLinkParameters(std::string(kCompanyAddress) + "/templates/uninstall.html", "commandline");
}

} // namespace ui
