#pragma once
// Store providers: each kind of mail store (maildir:, mbox:, imap:, memory:) opens its stores from
// the URL a profile gives. The session looks a store up by its entry id and asks the registry.

#include "mapi/Interfaces.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace mapi {

// One store of a profile, as the profiles file names it.
struct StoreLocation {
    std::string displayName;
    std::string url; // "maildir:/home/me/Maildir", "imap://me@host:143/"
    bool isDefault = false;
    Binary entryId;       // the store's own entry id; every object id of the store starts with it
    std::string password; // from login choice 2, for stores that need one
    // The profile's keys for stores that log on to a server (IMAP).
    std::string passwordCommand; // its output's first line is the password when the logon gave none
    std::string caFile;          // PEM certificates trusted besides the system's
    bool insecure = false;       // a clear-text password may go to a host outside the loopback range
};

using StoreOpener = std::function<HRESULT(const StoreLocation&, std::shared_ptr<IMsgStore>&)>;

class ProviderRegistry {
public:
    // `scheme` is the part of the URL before the first ':' ("maildir").
    void add(const std::string& scheme, StoreOpener opener);
    // An unknown kind answers MAPI_E_NO_SUPPORT, a store the provider
    // cannot open answers the provider's code.
    HRESULT open(const StoreLocation& location, std::shared_ptr<IMsgStore>& store) const;

private:
    std::map<std::string, StoreOpener> m_openers;
};

} // namespace mapi
