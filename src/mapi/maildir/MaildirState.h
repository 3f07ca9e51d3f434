#pragma once
// What the store, its folders and its messages share: the tree, the entry ids, the index of
// where each message file is now, and the last failure for GetLastError. A message's entry id
// names its key only, not its folder or flags, so it stays the same when the message is moved
// or renamed; the index finds the file, and a scan of the store finds it after other tools moved it.
//
// Entry ids (mapi/EntryIds.h): <store entry id> 'F' <folder key>, or <store entry id> 'M'
// <message key>.

#include "mapi/Interfaces.h"
#include "mapi/PackedRows.h"
#include "mapi/StoreProvider.h"
#include "mapi/maildir/FolderListing.h"
#include "mapi/maildir/MaildirTree.h"
#include "mapi/maildir/MessageFile.h"
#include "platform/WorkerPool.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace mapi {

// A message as the last listing read it.
struct ListedMessage {
    MessageLocation location;
    FileIdentity identity;
    Row properties;
};

struct ParsedEntryId {
    bool isFolder = false;
    std::string key;
};

class MaildirState {
public:
    MaildirState(StoreLocation location, std::filesystem::path root);

    const MaildirTree& tree() const { return m_tree; }
    const StoreLocation& location() const { return m_location; }

    Binary folderEntryId(const std::string& folderKey) const;
    Binary messageEntryId(const std::string& messageKey) const;
    // Nothing when `entryId` is not one of this store's.
    std::optional<ParsedEntryId> parseEntryId(const Binary& entryId) const;

    std::filesystem::path pathOf(const MessageLocation& location) const;
    // One row per message file of the folder, read from header blocks only. Throws on I/O errors.
    // The rows are also kept until the folder is listed again, so opening a listed message reads
    // no header and the index knows where every listed file is without an entry of its own.
    std::shared_ptr<const PackedRows> listFolder(const std::string& folderKey);
    // The row the last listing read for the message, given once, while its file is still the one
    // listed, at the place the index knows (same name, same identity); nothing otherwise.
    std::optional<ListedMessage> takeListed(const std::string& messageKey);
    // Where the message is now; nothing when it is gone from the store.
    std::optional<MessageLocation> locate(const std::string& messageKey);
    // Where the index last saw it, unchecked; nothing when the index does not know it.
    std::optional<MessageLocation> knownLocation(const std::string& messageKey) const;
    void remember(const std::string& messageKey, const MessageLocation& location);
    void forget(const std::string& messageKey);

    // Records a failure for GetLastError and answers its code.
    HRESULT fail(HRESULT code, std::string text);
    // The same for an exception; a system error's errno chooses the code.
    HRESULT fail(const std::exception& error);
    HRESULT lastError(HRESULT result, std::optional<MapiError>& error) const;

    // The threads that read listings and decode bodies opened with deferred errors, started on
    // first use and stopped with the store.
    platform::WorkerPool& workers();

private:
    struct ListingEntry {
        std::optional<FileIdentity> identity; // nothing: the file went away since the folder was read
        std::string key;
        Row row;
    };
    // Safe on any thread: reads only the file and the store's identity.
    ListingEntry readListingEntry(const std::filesystem::path& folder, const std::string& subfolder,
                                  const std::string& fileName) const;
    bool scanFolderNames(const std::string& folderKey, const std::string& wanted);

    StoreLocation m_location;
    MaildirTree m_tree;
    // Where messages are since a listing saw them (moved, renamed); nothing: gone from the store.
    // Consulted before the listings, newest listing first.
    std::unordered_map<std::string, std::optional<MessageLocation>> m_changed;
    std::vector<std::shared_ptr<FolderListing>> m_listings; // newest last, one per folder
    std::shared_ptr<FolderListing> m_takeable;              // the last listing, if it succeeded
    HRESULT m_lastCode = S_OK;
    std::string m_lastText;
    std::unique_ptr<platform::WorkerPool> m_workers;
};

} // namespace mapi
