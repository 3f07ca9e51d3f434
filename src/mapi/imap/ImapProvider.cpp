#include "mapi/imap/ImapProvider.h"

#include "mapi/EntryIds.h"
#include "mapi/imap/ImapObjects.h"

namespace mapi {

HRESULT openImapStore(const StoreLocation& location, const ImapServices& services,
                      std::shared_ptr<IMsgStore>& store, std::shared_ptr<PromptedPasswords> prompted) {
    if (!isOurEntryId(location.entryId) || location.entryId.size() != kStoreEntryIdSize)
        return MAPI_E_INVALID_PARAMETER;
    ImapSettings settings;
    try {
        settings.account = parseImapUrl(location.url);
    } catch (const ImapError& error) {
        return error.code();
    }
    settings.caFile = location.caFile;
    settings.insecure = location.insecure;
    PasswordChoices passwords{location.password, location.passwordCommand, services.prompt,
                              std::move(prompted)};
    store = std::make_shared<ImapStore>(std::make_shared<ImapState>(
        location, ImapSession(std::move(settings), std::move(passwords), services.beforeCommand)));
    return S_OK;
}

void registerImapProvider(ProviderRegistry& registry, ImapServices services) {
    auto opener = [services = std::move(services)](const StoreLocation& location,
                                                   std::shared_ptr<IMsgStore>& store) {
        return openImapStore(location, services, store);
    };
    registry.add("imap", opener);
    registry.add("imaps", opener);
}

} // namespace mapi
