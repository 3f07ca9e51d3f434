#pragma once
// Failures of the IMAP store carry the MAPI code the caller gets and the text GetLastError gives:
// the server's own answer or the system's reason, never a password.

#include "mapi/Result.h"

#include <stdexcept>
#include <string>

namespace mapi {

class ImapError : public std::runtime_error {
public:
    ImapError(HRESULT code, const std::string& text) : std::runtime_error(text), m_code(code) {}
    HRESULT code() const { return m_code; }

private:
    HRESULT m_code;
};

// The connection broke (reset, closed, timed out) while a command was under way; the session
// reconnects once and tries the operation again.
class ImapConnectionLost : public ImapError {
public:
    explicit ImapConnectionLost(const std::string& text) : ImapError(MAPI_E_NETWORK_ERROR, text) {}
};

// The server answered NO or BAD; `serverText` is its own explanation.
class ImapRefusal : public ImapError {
public:
    ImapRefusal(const std::string& what, const std::string& serverText)
        : ImapError(MAPI_E_CALL_FAILED, what + ": " + serverText), m_serverText(serverText) {}
    const std::string& serverText() const { return m_serverText; }

private:
    std::string m_serverText;
};

} // namespace mapi
