#pragma once
// How a store that needs a password asks the user for one: the console asks on its terminal
// without echo, the window in a dialog. The front end sets it; without one nobody is asked.

#include <functional>
#include <optional>
#include <string>

namespace mapi {

// `account` names what the password is for ("me@imap.example.org"); none when the user cancelled
// or nobody can be asked.
using PasswordPrompt = std::function<std::optional<std::string>(const std::string& account)>;

} // namespace mapi
