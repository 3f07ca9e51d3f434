#include "services/ProductLinks.h"

namespace services {

std::string companyAddress() {
    return LARKSPIRE_COMPANY_ADDRESS;
}

std::string updateHost() {
    return LARKSPIRE_UPDATE_HOST;
}

std::string productPage() {
    return companyAddress() + "/larkspire.html";
}

std::string supportPage() {
    return companyAddress() + "/support.html";
}

std::string subscribePage() {
    return std::string(LARKSPIRE_MAILING_LIST_ADDRESS) + "/subscribe/tamberlock";
}

std::string fallbackDownloadPage() {
    return companyAddress() + "/freetrials.html";
}

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
    return addLinkParameters(companyAddress() + "/templates/uninstall.html", "commandline");
}

} // namespace services
