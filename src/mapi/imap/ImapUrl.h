#pragma once
// The account an "imap://user@host[:port]/" or "imaps://..." store URL names. The user name may be
// percent-encoded ("me%40example.org@host"); an IPv6 host stands in brackets.

#include <cstdint>
#include <string>

namespace mapi {

struct ImapAccount {
    bool implicitTls = false; // imaps: TLS from the first byte
    std::string user;
    std::string host;
    std::uint16_t port = 143;
};

// Throws ImapError (MAPI_E_INVALID_PARAMETER) naming what is wrong with the URL.
ImapAccount parseImapUrl(const std::string& url);

// True for names and addresses that never leave this machine ("localhost", 127.0.0.0/8, ::1).
bool isLoopbackHost(const std::string& host);

} // namespace mapi
