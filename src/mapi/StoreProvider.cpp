#include "mapi/StoreProvider.h"

namespace mapi {

void ProviderRegistry::add(const std::string& scheme, StoreOpener opener) {
    m_openers[scheme] = std::move(opener);
}

HRESULT ProviderRegistry::open(const StoreLocation& location, std::shared_ptr<IMsgStore>& store) const {
    const auto colon = location.url.find(':');
    if (colon == std::string::npos)
        return MAPI_E_INVALID_PARAMETER;
    const auto found = m_openers.find(location.url.substr(0, colon));
    if (found == m_openers.end())
        return MAPI_E_NO_SUPPORT;
    return found->second(location, store);
}

} // namespace mapi
