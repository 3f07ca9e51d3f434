#include "mapi/imap/ImapUrl.h"

#include "mapi/imap/ImapError.h"

#include <arpa/inet.h>
#include <strings.h>

namespace mapi {
namespace {

[[noreturn]] void invalid(const std::string& url, const std::string& why) {
    throw ImapError(MAPI_E_INVALID_PARAMETER, "The store URL '" + url + "' " + why);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(const std::string& text, const std::string& url) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? hexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(text[i + 2]) : -1;
        if (low < 0)
            invalid(url, "has a '%' that is not followed by two hexadecimal digits");
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

} // namespace

ImapAccount parseImapUrl(const std::string& url) {
    ImapAccount account;
    std::string rest;
    if (strncasecmp(url.c_str(), "imaps://", 8) == 0) {
        account.implicitTls = true;
        account.port = 993;
        rest = url.substr(8);
    } else if (strncasecmp(url.c_str(), "imap://", 7) == 0) {
        rest = url.substr(7);
    } else {
        invalid(url, "does not start with imap:// or imaps://");
    }
    const auto slash = rest.find('/');
    if (slash != std::string::npos) {
        if (rest.find_first_not_of('/', slash) != std::string::npos)
            invalid(url, "names a path; the account is the whole server, as in imap://me@host/");
        rest.erase(slash);
    }
    const auto at = rest.rfind('@');
    if (at == std::string::npos || at == 0)
        invalid(url, "names no user, as in imap://me@host/");
    account.user = percentDecoded(rest.substr(0, at), url);
    std::string hostPort = rest.substr(at + 1);
    std::string portText;
    if (!hostPort.empty() && hostPort.front() == '[') {
        const auto close = hostPort.find(']');
        if (close == std::string::npos)
            invalid(url, "has a '[' without its ']'");
        account.host = hostPort.substr(1, close - 1);
        if (close + 1 < hostPort.size()) {
            if (hostPort[close + 1] != ':')
                invalid(url, "has text after the host's ']'");
            portText = hostPort.substr(close + 2);
        }
    } else {
        const auto colon = hostPort.find(':');
        account.host = hostPort.substr(0, colon);
        if (colon != std::string::npos)
            portText = hostPort.substr(colon + 1);
    }
    if (account.host.empty())
        invalid(url, "names no host");
    if (!portText.empty() || hostPort.back() == ':') {
        if (portText.empty() || portText.size() > 5 ||
            portText.find_first_not_of("0123456789") != std::string::npos || std::stoul(portText) == 0 ||
            std::stoul(portText) > 65535)
            invalid(url, "has a port that is not a number from 1 to 65535");
        account.port = static_cast<std::uint16_t>(std::stoul(portText));
    }
    return account;
}

bool isLoopbackHost(const std::string& host) {
    if (strcasecmp(host.c_str(), "localhost") == 0 || strcasecmp(host.c_str(), "localhost.") == 0)
        return true;
    in_addr v4{};
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

} // namespace mapi
