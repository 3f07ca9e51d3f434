#pragma once
// One logged-on connection to an IMAP server: TLS from the start (imaps) or by STARTTLS whenever
// the server offers it, the certificate checked in the handshake, then LOGIN (AUTHENTICATE PLAIN
// where LOGIN is disabled). A password is never sent in clear text
// to a host outside the loopback range unless the profile says insecure = true.
// Every command goes through one check: a broken connection throws ImapConnectionLost, a refusal
// ImapError with the server's own text.

#include "mapi/imap/ImapTransport.h"
#include "mapi/imap/ImapUrl.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mapi {

struct ImapSettings {
    ImapAccount account;
    std::string caFile; // PEM certificates trusted besides the system's
    bool insecure = false;
};

// Called with each command's name before it is sent (a test seam for cutting the connection).
using ImapCommandHook = std::function<void(const std::string& command)>;

struct ImapMailbox {
    std::string name; // as the server spells it (modified UTF-7)
    char delimiter = 0;
    bool selectable = true;
};

// A message as a listing fetches it: flags, INTERNALDATE, RFC822.SIZE and the header fields the
// columns need.
struct ImapListedMessage {
    std::uint32_t uid = 0;
    std::vector<std::string> flags; // "\\Seen", "$Label"; \Recent left out
    std::int64_t internalDate = 0;  // seconds since 1970, UTC
    std::uint32_t size = 0;
    std::string header;
    bool hasFlag(const char* flag) const;
};

class ImapConnection {
public:
    // Connects, secures and logs on; throws ImapError (MAPI_E_LOGON_FAILED with the server's text
    // for a refused logon, MAPI_E_NETWORK_ERROR for a connection or certificate failure).
    ImapConnection(const ImapSettings& settings, const std::string& password, ImapCommandHook hook);
    ~ImapConnection();
    ImapConnection(const ImapConnection&) = delete;
    ImapConnection& operator=(const ImapConnection&) = delete;

    bool has(const char* capability) const;
    // False once a command failed before its tagged answer was read (an answer that could not be
    // read, or a broken connection): what comes next from the server would not be understood.
    bool usable() const { return m_inSync; }

    std::vector<ImapMailbox> list();
    // SELECTs `mailbox` unless it is selected; answers its UIDVALIDITY.
    std::uint32_t select(const std::string& mailbox);
    std::uint32_t messageCount() const { return m_exists; }
    // Messages `first` to `last` (sequence numbers; 0 for the last there is) of the selected mailbox.
    std::vector<ImapListedMessage> fetchListing(std::uint32_t first, std::uint32_t last);
    std::optional<ImapListedMessage> fetchListingByUid(std::uint32_t uid);
    // Whole messages by UID (BODY.PEEK[], so reading marks nothing read); absent UIDs are left out.
    std::vector<std::pair<std::uint32_t, std::string>> fetchMessages(const std::vector<std::uint32_t>& uids);
    // UID STORE +FLAGS.SILENT / -FLAGS.SILENT of one system flag ("Seen", "Deleted").
    void storeFlag(const std::vector<std::uint32_t>& uids, const std::string& flag, bool add);
    void move(const std::vector<std::uint32_t>& uids, const std::string& destination);
    void copy(const std::vector<std::uint32_t>& uids, const std::string& destination);
    void expunge(const std::vector<std::uint32_t>& uids); // UID EXPUNGE: needs UIDPLUS
    // APPENDs with the flags and the INTERNALDATE given; answers the new UID when the server tells it.
    std::optional<std::uint32_t> append(const std::string& mailbox, const std::string& message,
                                        const std::vector<std::string>& flags, std::int64_t internalDate);

private:
    struct Piece {
        enum Kind { Text, Literal, AfterContinuation };
        std::string text;
        Kind kind = Text;
    };
    using Untagged = std::function<void(std::string_view response)>;

    void startTls(const ImapSettings& settings);
    void logOn(const ImapSettings& settings, const std::string& password);
    // Sends one command made of `pieces` and reads up to its tagged answer, passing each untagged
    // response to `untagged`; answers the text of the tagged OK. A NO or BAD throws ImapError with
    // the server's text, naming the command by `name` only (so a password is never in a message).
    std::string command(const std::string& name, const std::vector<Piece>& pieces,
                        const Untagged& untagged = {});
    static void addArgument(std::vector<Piece>& pieces, std::string_view text);
    void send(const std::string& tag, const std::string& name, const std::vector<Piece>& pieces);
    std::string readResponse();
    void fill();
    void noteUntagged(std::string_view response);
    void noteCapabilities(std::string_view list);
    std::vector<ImapListedMessage> fetchListing(const std::string& command, const std::string& set);

    std::unique_ptr<ImapTransport> m_transport;
    ImapCommandHook m_hook;
    std::vector<std::string> m_capabilities;
    std::string m_in;
    std::size_t m_inAt = 0;
    unsigned m_tags = 0;
    bool m_inSync = true;
    std::string m_selected;
    std::uint32_t m_uidValidity = 0;
    std::uint32_t m_exists = 0;
};

} // namespace mapi
