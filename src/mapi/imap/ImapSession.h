#pragma once
// The store's link to its server: one connection, made at first use and made again when it
// breaks. An operation whose connection is lost is tried once more on a new connection; the
// operation keeps its own progress, so the second try goes on from the command that broke.
// The password is chosen once per store and kept in memory for the reconnection.

#include "mapi/imap/ImapConnection.h"
#include "mapi/imap/ImapError.h"
#include "mapi/imap/PasswordSource.h"

#include <memory>
#include <optional>
#include <string>

namespace mapi {

class ImapSession {
public:
    ImapSession(ImapSettings settings, PasswordChoices passwords, ImapCommandHook hook)
        : m_settings(std::move(settings)), m_passwords(std::move(passwords)), m_hook(std::move(hook)) {}

    // "me@imap.example.org", for messages.
    std::string account() const { return m_settings.account.user + "@" + m_settings.account.host; }

    // Runs `operation(connection)`; throws ImapError (MAPI_E_NETWORK_ERROR) when the connection
    // breaks a second time.
    template <class Operation> auto run(Operation&& operation) {
        for (int attempt = 0;; ++attempt) {
            try {
                return operation(connection());
            } catch (const ImapConnectionLost&) {
                m_connection.reset();
                if (attempt > 0)
                    throw;
            } catch (...) {
                if (m_connection && !m_connection->usable())
                    m_connection.reset();
                throw;
            }
        }
    }

private:
    ImapConnection& connection() {
        if (!m_connection) {
            if (!m_password)
                m_password = choosePassword(m_passwords, account());
            try {
                m_connection = std::make_unique<ImapConnection>(m_settings, *m_password, m_hook);
            } catch (const ImapError& error) {
                if (error.code() == MAPI_E_LOGON_FAILED) {
                    // A refused password is asked for again next time, not kept.
                    m_password.reset();
                    if (m_passwords.prompted)
                        m_passwords.prompted->forget(account());
                }
                throw;
            }
        }
        return *m_connection;
    }

    ImapSettings m_settings;
    PasswordChoices m_passwords;
    ImapCommandHook m_hook;
    std::optional<std::string> m_password;
    std::unique_ptr<ImapConnection> m_connection;
};

} // namespace mapi
