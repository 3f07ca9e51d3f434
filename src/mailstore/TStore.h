#pragma once
// One message store of the profile: a light object holding the store's entry id that opens the
// store on first use and keeps it open until it is destroyed.

#include "mailstore/EntryId.h"
#include "mailstore/MapiErrors.h"
#include "mapi/Interfaces.h"

#include <memory>
#include <string>

namespace mailstore {

class TMapiSession;

class TStore {
public:
    // A store whose entry id is an empty holder (the "dummy" placeholder, for instance).
    TStore(std::string displayName, TMapiSession* session);
    TStore(std::string displayName, const mapi::Binary& entryId, TMapiSession* session);
    ~TStore();
    TStore(const TStore&) = delete;
    TStore& operator=(const TStore&) = delete;

    const std::string& displayName() const { return m_displayName; }
    const EntryId& entryId() const { return m_entryId; }
    EntryId& entryId() { return m_entryId; }
    TMapiSession* session() const { return m_session; }

    // Takes the other store's display name and entry id; the session and an opened store stay.
    void CopyStore(const TStore& other);
    // The opened store, opening it through the session on first use.
    std::shared_ptr<mapi::IMsgStore> OpenStore();
    // The store opened so far, or null.
    const std::shared_ptr<mapi::IMsgStore>& openedStore() const { return m_opened; }

    // The subsystem behind the session, or null without one.
    mapi::IMapi* mapi() const;
    // Details of failures come from the opened store.
    DetailsSource details() const;

private:
    std::string m_displayName;
    TMapiSession* m_session = nullptr;
    EntryId m_entryId;
    std::shared_ptr<mapi::IMsgStore> m_opened;
};

} // namespace mailstore
