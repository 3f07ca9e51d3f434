#include "mapi/maildir/MaildirProvider.h"

#include "mapi/EntryIds.h"
#include "mapi/StoreCommon.h"
#include "mapi/maildir/MaildirState.h"
#include "mapi/maildir/MaildirStore.h"
#include "mapi/maildir/MaildirTree.h"

namespace mapi {
namespace {

HRESULT openMaildirStore(const StoreLocation& location, std::shared_ptr<IMsgStore>& store) {
    const std::filesystem::path root = pathOfStoreUrl(location.url);
    if (!isOurEntryId(location.entryId) || location.entryId.size() != kStoreEntryIdSize)
        return MAPI_E_INVALID_PARAMETER;
    if (root.empty() || !isMaildir(root))
        return MAPI_E_NOT_FOUND;
    store = std::make_shared<MaildirStore>(std::make_shared<MaildirState>(location, root));
    return S_OK;
}

} // namespace

void registerMaildirProvider(ProviderRegistry& registry) {
    registry.add("maildir", openMaildirStore);
}

} // namespace mapi
