#include "mapi/imap/PasswordSource.h"

#include "mapi/imap/ImapError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mapi {
namespace {

class Pipe {
public:
    Pipe() {
        if (::pipe2(m_ends, O_CLOEXEC) != 0)
            throw ImapError(MAPI_E_LOGON_FAILED,
                            std::string("The password command cannot be run: ") + std::strerror(errno));
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int readEnd() const { return m_ends[0]; }
    int writeEnd() const { return m_ends[1]; }
    void closeRead() { closeEnd(0); }
    void closeWrite() { closeEnd(1); }

private:
    void closeEnd(int which) {
        if (m_ends[which] >= 0)
            ::close(m_ends[which]);
        m_ends[which] = -1;
    }
    int m_ends[2] = {-1, -1};
};

} // namespace

std::string passwordFromCommand(const std::string& command) {
    const std::string what = "The password command '" + command + "'";
    Pipe output;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.writeEnd(), STDOUT_FILENO);
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    pid_t child = -1;
    const int spawned = posix_spawn(&child, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw ImapError(MAPI_E_LOGON_FAILED, what + " cannot be run: " + std::strerror(spawned));
    output.closeWrite();
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(output.readEnd(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw ImapError(MAPI_E_LOGON_FAILED,
                        what + (WIFEXITED(status)
                                    ? " failed with exit status " + std::to_string(WEXITSTATUS(status))
                                    : std::string(" was stopped by a signal")));
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.empty())
        throw ImapError(MAPI_E_LOGON_FAILED, what + " printed no password");
    return text;
}

std::optional<std::string> PromptedPasswords::find(const std::string& account) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_passwords.find(account);
    return found == m_passwords.end() ? std::nullopt : std::optional(found->second);
}

void PromptedPasswords::keep(const std::string& account, const std::string& password) {
    const std::lock_guard lock(m_mutex);
    m_passwords[account] = password;
}

void PromptedPasswords::forget(const std::string& account) {
    const std::lock_guard lock(m_mutex);
    m_passwords.erase(account);
}

std::string choosePassword(const PasswordChoices& choices, const std::string& account) {
    if (!choices.logonPassword.empty())
        return choices.logonPassword;
    if (!choices.passwordCommand.empty())
        return passwordFromCommand(choices.passwordCommand);
    if (choices.prompted)
        if (auto kept = choices.prompted->find(account))
            return *kept;
    if (choices.prompt) {
        if (auto answer = choices.prompt(account)) {
            if (choices.prompted)
                choices.prompted->keep(account, *answer);
            return *answer;
        }
        throw ImapError(MAPI_E_USER_CANCEL, "No password was given for " + account);
    }
    throw ImapError(MAPI_E_LOGON_FAILED, "No password for " + account +
                                             ": the logon gave none, the profile has no password-command, "
                                             "and nobody can be asked");
}

} // namespace mapi
