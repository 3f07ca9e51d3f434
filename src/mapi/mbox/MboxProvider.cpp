#include "mapi/mbox/MboxProvider.h"

#include "mapi/EntryIds.h"
#include "mapi/StoreCommon.h"
#include "mapi/mbox/MboxState.h"
#include "mapi/mbox/MboxStore.h"
#include "mapi/mbox/MboxTree.h"

namespace mapi {

namespace fs = std::filesystem;

void registerMboxProvider(ProviderRegistry& registry, MboxLockTimes lockTimes) {
    registry.add("mbox", [lockTimes](const StoreLocation& location, std::shared_ptr<IMsgStore>& store) {
        fs::path root = pathOfStoreUrl(location.url);
        if (!isOurEntryId(location.entryId) || location.entryId.size() != kStoreEntryIdSize)
            return MAPI_E_INVALID_PARAMETER;
        if (root.empty() || !isMboxPath(root))
            return MAPI_E_NOT_FOUND;
        // A spool reached through a link is rewritten where it lives, so the link stays a link.
        std::error_code error;
        if (fs::is_symlink(root, error))
            root = fs::canonical(root, error);
        if (error)
            return MAPI_E_NOT_FOUND;
        store = std::make_shared<MboxStore>(std::make_shared<MboxState>(location, root, lockTimes));
        return S_OK;
    });
}

} // namespace mapi
