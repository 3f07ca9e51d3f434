#pragma once
// One folder inside a store: holds the folder's entry id and the store it belongs to, opens the
// folder on first use and keeps it open. A message object uses one to hold its own entry id.
// The store is shared so that a folder keeps working after the session released its store list.

#include "mailstore/EntryId.h"
#include "mailstore/TStore.h"
#include "mapi/Interfaces.h"

#include <memory>
#include <vector>

namespace mailstore {

class TEmailMessage;
class TMapiSession;

class TMapiUserFolder {
public:
    // An empty holder in `store`.
    explicit TMapiUserFolder(std::shared_ptr<TStore> store);
    TMapiUserFolder(const mapi::Binary& entryId, std::shared_ptr<TStore> store);
    TMapiUserFolder(const TMapiUserFolder&) = delete;
    TMapiUserFolder& operator=(const TMapiUserFolder&) = delete;

    // The empty folder object: an empty entry id in a new placeholder store "dummy".
    static std::unique_ptr<TMapiUserFolder> makeEmpty(TMapiSession* session);

    const EntryId& entryId() const { return m_entryId; }
    EntryId& entryId() { return m_entryId; }
    const std::shared_ptr<TStore>& store() const { return m_store; }

    // Takes the other folder's entry id; the store and an opened folder stay.
    void CopyEntryId(const TMapiUserFolder& other);
    // The opened folder, opening it in `openedStore` on first use.
    std::shared_ptr<mapi::IMAPIFolder> OpenFolder(const std::shared_ptr<mapi::IMsgStore>& openedStore);
    // Points this folder at its store's receive folder for "IPM" messages.
    void FindDefaultInbox();
    // Replaces the list's contents with this folder's messages, oldest submit time first, read
    // 25 rows at a time; each message refers to this folder, which must outlive it.
    void ListMessages(std::vector<std::shared_ptr<TEmailMessage>>& list);
    // Moves one message of this folder to `destination`.
    void MoveMessage(TEmailMessage& message, TMapiUserFolder& destination);

private:
    EntryId m_entryId;
    std::shared_ptr<TStore> m_store;
    std::shared_ptr<mapi::IMAPIFolder> m_opened;
};

// A folder identity copy: entry id first, then the store's name and entry id.
void copyFolderIdentity(TMapiUserFolder& target, const TMapiUserFolder& source);

} // namespace mailstore
