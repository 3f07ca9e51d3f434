#pragma once
// What an IMAP store, its folders and its messages share: the session with the server, the folder
// tree, the rows of the last listing, the bodies waiting to be fetched, and the last failure for
// GetLastError. As with the Maildir store, the objects of one store are used by one thread at a
// time (the run's); each opening of a store has its own connection.
//
// Entry ids (mapi/EntryIds.h): <store entry id> 'F' <mailbox>, or <store entry id> 'M'
// <UIDVALIDITY, 8 hex digits> <UID, 8 hex digits> <mailbox>. A message's id holds its mailbox's
// UIDVALIDITY, so after the server renumbered the mailbox the id finds nothing, never another message.

#include "mapi/Interfaces.h"
#include "mapi/RowTable.h"
#include "mapi/StoreProvider.h"
#include "mapi/imap/ImapFolderTree.h"
#include "mapi/imap/ImapSession.h"
#include "platform/SharedWork.h"
#include "platform/WorkerPool.h"

#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace mapi {

struct ImapMessageRef {
    std::string mailbox;
    std::uint32_t uidValidity = 0;
    std::uint32_t uid = 0;
};

struct ParsedImapId {
    bool isFolder = false;
    std::string mailbox;
    ImapMessageRef message;
};

// A message as the last listing fetched it.
struct ImapListedRow {
    std::shared_ptr<const Row> properties; // shared with the listing's table
    std::vector<std::string> flags;
    std::int64_t internalDate = 0;
};

// The plain text of a message a body stream waits for: empty until its batch was fetched, then
// decoded on a worker while the run goes on (or by the reader, whoever comes first).
using ImapBodyText = platform::SharedWork<std::optional<std::string>>;
struct ImapRawMessage {
    bool fetched = false;
    std::shared_ptr<ImapBodyText> text; // none once fetched: the message is gone from the server
};

constexpr std::int32_t kImapStoreSupportMask = STORE_RTF_OK | 0x1 /* entry ids unique */ | 0x10 /* modify */;

class ImapState {
public:
    ImapState(StoreLocation location, ImapSession session);

    const StoreLocation& location() const { return m_location; }
    ImapSession& session() { return m_session; }

    Binary folderEntryId(const std::string& mailbox) const;
    Binary messageEntryId(const ImapMessageRef& message) const;
    std::optional<ParsedImapId> parseEntryId(const Binary& entryId) const;

    // LISTed at first use; `refresh` lists again.
    const ImapFolderTree& tree(bool refresh = false);
    // Selects the message's mailbox on `connection`; throws ImapError (MAPI_E_NOT_FOUND) when the
    // mailbox's UIDVALIDITY is not the one of the message's entry id.
    void selectFor(ImapConnection& connection, const ImapMessageRef& message);

    // One row per message of the mailbox not flagged \Deleted; the rows are kept until the next
    // listing, so opening a listed message costs no command.
    SharedRows listFolder(const std::string& mailbox);
    // The row the last listing fetched, given once; nothing when it was not listed.
    std::optional<ImapListedRow> takeListed(const ImapMessageRef& message);
    // The message's row fetched now; throws ImapError (MAPI_E_NOT_FOUND) when it is gone.
    ImapListedRow fetchRow(const ImapMessageRef& message);
    Row rowOf(const ImapMessageRef& message, const ImapListedMessage& fetched) const;

    // A body to fetch with the others waiting in the same mailbox, in one command at the first read.
    std::shared_ptr<ImapRawMessage> queueMessage(const ImapMessageRef& message);
    void fetchQueued(const ImapMessageRef& message);

    // The threads that decode fetched bodies, started on first use and stopped with the store.
    platform::WorkerPool& workers();

    HRESULT fail(HRESULT code, std::string text);
    // The same for an exception: an ImapError's code, else MAPI_E_CALL_FAILED.
    HRESULT fail(const std::exception& error);
    HRESULT lastError(HRESULT result, std::optional<MapiError>& error) const;

private:
    struct Queued {
        ImapMessageRef message;
        std::weak_ptr<ImapRawMessage> raw;
    };

    StoreLocation m_location;
    ImapSession m_session;
    std::optional<ImapFolderTree> m_tree;
    std::string m_listedMailbox;
    std::uint32_t m_listedValidity = 0;
    std::unordered_map<std::uint32_t, ImapListedRow> m_listed;
    std::deque<Queued> m_queue;
    HRESULT m_lastCode = S_OK;
    std::string m_lastText;
    std::unique_ptr<platform::WorkerPool> m_workers;
};

// Answers GetProps from a row of all properties: the values in the order asked (all of them
// when `tags` is empty), missing ones as PT_ERROR values with MAPI_W_ERRORS_RETURNED.
HRESULT answerImapProps(const Row& properties, const std::vector<PropTag>& tags,
                        std::vector<PropValue>& values);

} // namespace mapi
