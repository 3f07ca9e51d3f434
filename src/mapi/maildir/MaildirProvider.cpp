#include "mapi/maildir/MaildirProvider.h"

#include "mapi/EntryIds.h"
#include "mapi/maildir/MaildirState.h"
#include "mapi/maildir/MaildirStore.h"
#include "mapi/maildir/MaildirTree.h"

#include <cstdlib>

namespace mapi {
namespace {

std::filesystem::path pathOfUrl(const std::string& url) {
    std::string path = url.substr(url.find(':') + 1);
    if (path.rfind("///", 0) == 0)
        path.erase(0, 2);
    if (path.rfind("~/", 0) == 0)
        if (const char* home = std::getenv("HOME"))
            path = std::string(home) + path.substr(1);
    return path;
}

HRESULT openMaildirStore(const StoreLocation& location, std::shared_ptr<IMsgStore>& store) {
    const std::filesystem::path root = pathOfUrl(location.url);
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
