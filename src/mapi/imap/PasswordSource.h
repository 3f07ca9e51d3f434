#pragma once
// Where the password of an IMAP logon comes from, in this order: the logon's own password (login
// choice 2), the profile's password-command, then the user through the front end's prompt.
// The password is held only in memory and never written into a message, log or file.

#include "mapi/PasswordPrompt.h"

#include <string>

namespace mapi {

// The first line of what `/bin/sh -c command` writes, as mail synchronisers' PassCmd. Throws
// ImapError (MAPI_E_LOGON_FAILED) naming the command and why it gave no password.
std::string passwordFromCommand(const std::string& command);

struct PasswordChoices {
    std::string logonPassword;
    std::string passwordCommand;
    PasswordPrompt prompt;
};

// Throws ImapError: MAPI_E_USER_CANCEL when the prompt was cancelled, MAPI_E_LOGON_FAILED when
// there is no way to get a password.
std::string choosePassword(const PasswordChoices& choices, const std::string& account);

} // namespace mapi
