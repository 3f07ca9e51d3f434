#pragma once
// A private Dovecot for the tests: its configuration, passwd-file user, Maildir store, TLS
// certificates (a test CA and a server certificate for "localhost" made with openssl) and logs all
// live in one temporary folder; it listens on free loopback ports and is stopped by its process id.
// No system configuration is read or touched. As root the server drops to its unprivileged users
// and the mail belongs to nobody; as any other user everything runs as that user.

#include "support/TemporaryFolder.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace imaptest {

struct DovecotOptions {
    bool withMove = true;    // announce MOVE
    bool withUidplus = true; // announce UIDPLUS
    bool withTls = true;     // offer STARTTLS and listen for imaps
};

class DovecotServer {
public:
    // Why no server can be started here (Dovecot or openssl missing); none when one can.
    static std::optional<std::string> unavailableReason();

    explicit DovecotServer(DovecotOptions options = {});
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    // Starts the server again after stop(), on the same ports and mail.
    void start();
    // Ends the server and every session at once.
    void stop();
    // Kills every process serving an IMAP connection: the connections are cut, the server stays.
    int cutConnections();

    int imapPort() const { return m_imapPort; }
    int imapsPort() const { return m_imapsPort; }
    const std::filesystem::path& folder() const { return m_folder.path(); }
    // The PEM file of the CA that signed the server's certificate.
    std::filesystem::path caFile() const { return m_folder / "ca.pem"; }
    // The user's Maildir, whose root is INBOX; give files to the server's user after writing.
    std::filesystem::path maildir() const { return m_folder / "mail" / "me" / "Maildir"; }
    void handOverMail() const;

    static constexpr const char* user = "me";
    static constexpr const char* password = "open sesame";

    // "imap://me@localhost:PORT/" (or imaps).
    std::string url(const std::string& scheme = "imap", const std::string& host = "localhost") const;

private:
    void writeConfiguration(const DovecotOptions& options);

    testsupport::TemporaryFolder m_folder;
    int m_imapPort = 0;
    int m_imapsPort = 0;
    pid_t m_master = -1;
};

// A plain IMAP client over loopback for checking what the server holds, independent of the code
// under test. Throws std::runtime_error on a failed command.
class ImapProbe {
public:
    ImapProbe(const DovecotServer& server);
    ~ImapProbe();
    ImapProbe(const ImapProbe&) = delete;
    ImapProbe& operator=(const ImapProbe&) = delete;

    // Sends one command (without tag) and answers the untagged lines before its tagged OK.
    std::string command(const std::string& text);
    // APPENDs a message to `mailbox` (a quoted name) with flags ("\\Seen") and an internal date.
    void append(const std::string& mailbox, const std::string& message, const std::string& flags = "",
                const std::string& internalDate = "");
    // UIDs of the messages in `mailbox` not flagged \Deleted.
    std::vector<unsigned> uids(const std::string& mailbox);
    // The FETCH response items of one message ("FLAGS (\\Seen) INTERNALDATE ...").
    std::string fetch(const std::string& mailbox, unsigned uid, const std::string& items);

private:
    std::string readLine();
    std::string readUntilTagged(const std::string& tag);

    int m_socket = -1;
    int m_counter = 0;
    std::string m_buffer;
};

} // namespace imaptest
