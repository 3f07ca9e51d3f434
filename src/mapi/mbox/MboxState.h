#pragma once
// What an mbox store, its folders and its messages share: the tree, each folder file's messages
// as last scanned, the changes waiting to be written, and the last failure for GetLastError.
//
// A message entry id names the message's place and length in the folder file, its fingerprint
// (separator line and Message-ID) and the identity (inode, size, modification time) of the file
// it was listed from. While the file is as listed, the place finds the message at once; once this
// program or another rewrote it, the fingerprint finds it again, never a neighbour in its place.
//
// Changes are not written one by one: rewriting a file of 10,000 messages for each of them would
// cost a rewrite per message. A change is kept until no other message of the store is open (the
// run holds the messages whose post-actions are still to come), until the changes waiting grow
// old (a bound that follows the time a rewrite takes, so rewriting costs a bounded share of a
// run), or until the folder is listed again; then one rewrite under the locks writes them all.
// The caller changes a message only once its output file is durable, so a change written later
// is never written too early; a stop before the rewrite leaves the message as it was, for the
// next run to process.
//
// Entry ids (mapi/EntryIds.h): <store entry id> 'F' <folder key>, or <store entry id> 'M'
// <place, length, fingerprint, file inode, size and time: six 64-bit numbers> <folder key>.

#include "mapi/Interfaces.h"
#include "mapi/RowTable.h"
#include "mapi/StoreProvider.h"
#include "mapi/maildir/MessageFile.h"
#include "mapi/mbox/MboxLock.h"
#include "mapi/mbox/MboxScan.h"
#include "mapi/mbox/MboxTree.h"
#include "platform/WorkerPool.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace mapi {

class MboxState;

// A message of a folder file. `uid` stays with the message while this store follows its file,
// through its own rewrites and other programs' changes.
struct MboxEntry {
    MboxRecord record;
    std::uint32_t uid = 0;
    std::uint32_t revision = 0; // raised when another program changed the message
};

struct MboxMessageRef {
    std::string folderKey;
    std::uint32_t uid = 0;
};

// What is to be done to a message at the next rewrite.
struct MboxChange {
    std::optional<std::string> subject;
    std::optional<bool> read;
    std::shared_ptr<MboxState> moveTo; // the destination folder's store, when moved
    std::string moveToKey;
};

struct ParsedMboxEntryId {
    bool isFolder = false;
    std::string folderKey;
    MboxRecord listed;       // place, length and fingerprint when listed
    FileIdentity listedFile; // inode, size and time of the file then
};

class MboxState {
public:
    MboxState(StoreLocation location, std::filesystem::path root, MboxLockTimes lockTimes);
    // Writes the changes still waiting; a failure there leaves those messages as they were.
    ~MboxState();

    const MboxTree& tree() const { return m_tree; }
    const StoreLocation& location() const { return m_location; }
    std::string describe() const { return "mbox " + m_tree.root().string(); }

    Binary folderEntryId(const std::string& folderKey) const;
    std::optional<ParsedMboxEntryId> parseEntryId(const Binary& entryId) const;

    // One row per message, in file order, from one pass over the file. Writes the folder's
    // waiting changes first. Throws on I/O errors.
    SharedRows listFolder(const std::string& folderKey);
    // The message an entry id names, in the folder file as it is now; nothing when it is gone.
    std::optional<MboxMessageRef> find(const ParsedMboxEntryId& id);
    // The entry of a message as the file is now; nothing when it left the file.
    std::optional<MboxEntry> current(const MboxMessageRef& message);
    // The row the last listing read, given once and only while the message is unchanged.
    std::optional<Row> takeListedRow(const MboxMessageRef& message);
    Row readProperties(const MboxMessageRef& message);
    // The message's bytes as stored (separator quoting still in place).
    std::string readContent(const MboxMessageRef& message);

    // Keeps a change for the next rewrite and writes the folder's changes when they are due;
    // throws what the rewrite met.
    void change(const MboxMessageRef& message, const MboxChange& change);
    // The change waiting for a message, if any.
    const MboxChange* waiting(const MboxMessageRef& message) const;
    // Writes every waiting change; the first failure is thrown after all folders were tried.
    void writeChanges();
    // Rewrites the folder's file now with its waiting changes; when that fails they are dropped.
    void writeChanges(const std::string& folderKey);
    // How many times this store wrote a folder file anew.
    std::uint64_t rewrites() const { return m_rewrites; }

    // Open messages: changes wait while more than the caller's own is open.
    void messageOpened() { ++m_openMessages; }
    void messageReleased() noexcept;

    // The threads that decode bodies opened with deferred errors, started on first use.
    platform::WorkerPool& workers();

    HRESULT fail(HRESULT code, std::string text);
    HRESULT fail(const std::exception& error);
    HRESULT lastError(HRESULT result, std::optional<MapiError>& error) const;

private:
    struct Listed {
        std::shared_ptr<const Row> row;
        std::uint32_t revision = 0;
    };
    struct FolderFile {
        std::filesystem::path path;
        bool scanned = false;
        FileIdentity identity;             // the file the entries describe
        std::shared_ptr<const int> reader; // a descriptor of that file, for reading messages
        std::vector<MboxEntry> entries;
        std::unordered_map<std::uint32_t, std::size_t> byUid;
        FileIdentity listedFile;
        std::unordered_map<std::uint64_t, std::uint32_t> listedPlaces; // place at listing -> uid
        std::unordered_map<std::uint32_t, Listed> listed;
        std::map<std::uint32_t, MboxChange> changes;
        std::chrono::steady_clock::time_point oldestChange;
    };

    // Called for each message a scan finds; `restart` when the scan starts again.
    struct ScanSink {
        std::function<void()> restart;
        std::function<void(const MboxEntry&, std::string_view fromLine, std::string_view header)> message;
    };

    FolderFile& folderFile(const std::string& folderKey);
    // Scans again when the file is not the one the entries describe.
    void ensureCurrent(FolderFile& folder);
    void rescan(FolderFile& folder, int fd, const ScanSink* sink = nullptr);
    const MboxEntry* entryOf(const FolderFile& folder, std::uint32_t uid) const;
    bool due(const FolderFile& folder) const;
    // A message moved here, read from its folder's file (locked and open as `fd`) when written.
    struct Arriving {
        const std::filesystem::path* path;
        int fd;
        MboxEntry entry;
        MboxChange change;
    };
    // Writes the folder's file anew under its locks with its waiting changes, and with the
    // `arriving` messages at its end, leaving out those it holds already. One message at a time
    // is in memory, however many change.
    void rewrite(FolderFile& folder, const std::vector<Arriving>& arriving);
    // The folder's file (open as `fd`) holds a message with exactly these bytes.
    bool holds(const FolderFile& folder, int fd, std::string_view record) const;

    StoreLocation m_location;
    MboxTree m_tree;
    MboxLockTimes m_lockTimes;
    std::map<std::string, FolderFile> m_folders;
    std::uint32_t m_nextUid = 1;
    std::size_t m_openMessages = 0;
    std::chrono::steady_clock::duration m_lastRewrite{};
    std::uint64_t m_rewrites = 0;
    HRESULT m_lastCode = S_OK;
    std::string m_lastText;
    std::unique_ptr<platform::WorkerPool> m_workers; // last: stopped before the rest goes
};

} // namespace mapi
