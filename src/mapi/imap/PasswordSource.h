#pragma once
// Where the password of an IMAP logon comes from, in this order: the logon's own password (login
// choice 2), the profile's password-command, then the user through the front end's prompt.
// The password is held only in memory and never written into a message, log or file.

#include "mapi/PasswordPrompt.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace mapi {

// The first line of what `/bin/sh -c command` writes, as mail synchronisers' PassCmd. Throws
// ImapError (MAPI_E_LOGON_FAILED) naming the command and why it gave no password.
std::string passwordFromCommand(const std::string& command);

// What the user typed, kept in memory for the other openings of the same account (a run opens
// its source and destination stores apart), so nobody is asked twice; forgotten when refused.
class PromptedPasswords {
public:
    std::optional<std::string> find(const std::string& account) const;
    void keep(const std::string& account, const std::string& password);
    void forget(const std::string& account);

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_passwords;
};

struct PasswordChoices {
    std::string logonPassword;
    std::string passwordCommand;
    PasswordPrompt prompt;
    std::shared_ptr<PromptedPasswords> prompted; // may be null
};

// Throws ImapError: MAPI_E_USER_CANCEL when the prompt was cancelled, MAPI_E_LOGON_FAILED when
// there is no way to get a password.
std::string choosePassword(const PasswordChoices& choices, const std::string& account);

} // namespace mapi
