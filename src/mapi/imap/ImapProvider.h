#pragma once
// The provider of "imap://user@host[:port]/" and "imaps://..." stores. Opening a store connects
// to nothing: the first call that needs the server logs on, so a profile with an unreachable
// server still logs on and its other stores stay usable; the failure is that call's, with the
// reason in GetLastError.

#include "mapi/PasswordPrompt.h"
#include "mapi/StoreProvider.h"
#include "mapi/imap/ImapConnection.h"
#include "mapi/imap/PasswordSource.h"

namespace mapi {

struct ImapServices {
    PasswordPrompt prompt;         // asked when neither the logon nor the profile gives a password
    ImapCommandHook beforeCommand; // tests only: sees each command before it is sent
};

void registerImapProvider(ProviderRegistry& registry, ImapServices services = {});

// `prompted` keeps typed passwords for the store's other openings; null keeps none.
HRESULT openImapStore(const StoreLocation& location, const ImapServices& services,
                      std::shared_ptr<IMsgStore>& store,
                      std::shared_ptr<PromptedPasswords> prompted = nullptr);

} // namespace mapi
