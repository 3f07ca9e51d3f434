#include "mapi/memory/MemoryProvider.h"

#include "mapi/EntryIds.h"
#include "mapi/memory/MemoryObjects.h"

namespace mapi::memory {

void MemoryCatalogue::add(std::shared_ptr<MemoryStore> store) {
    const std::string name = store->name();
    m_stores[name] = std::move(store);
}

void MemoryCatalogue::remove(const std::string& name) {
    m_stores.erase(name);
}

std::shared_ptr<MemoryStore> MemoryCatalogue::find(const std::string& name) const {
    const auto found = m_stores.find(name);
    return found == m_stores.end() ? nullptr : found->second;
}

void registerMemoryProvider(ProviderRegistry& registry, std::shared_ptr<const MemoryCatalogue> catalogue) {
    registry.add("memory", [catalogue](const StoreLocation& location, std::shared_ptr<IMsgStore>& store) {
        store.reset();
        const auto data = catalogue->find(location.url.substr(location.url.find(':') + 1));
        if (!data)
            return MAPI_E_NOT_FOUND;
        store = std::make_shared<MemoryMsgStore>(data, location.entryId);
        return S_OK;
    });
}

MemoryMail::MemoryMail()
    : m_catalogue(std::make_shared<MemoryCatalogue>()), m_registry(std::make_shared<ProviderRegistry>()) {
    registerMemoryProvider(*m_registry, m_catalogue);
}

Profile& MemoryMail::profile(const std::string& name) {
    for (auto& existing : m_profiles)
        if (existing.name == name)
            return existing;
    m_profiles.push_back(Profile{name, false, {}});
    return m_profiles.back();
}

MemoryStore& MemoryMail::addStore(const std::string& displayName, bool isDefault,
                                  const std::string& profileName) {
    // Catalogue names are unique even when display names repeat.
    auto store = std::make_shared<MemoryStore>(displayName + "#" + std::to_string(m_nextStore++));
    store->setStoreProp(PropValue::string(PR_DISPLAY_NAME_A, displayName));
    m_catalogue->add(store);
    m_stores.push_back(store);
    addStoreEntry(displayName, store->url(), isDefault, profileName);
    return *store;
}

void MemoryMail::addStoreEntry(const std::string& displayName, const std::string& url, bool isDefault,
                               const std::string& profileName) {
    StoreLocation location;
    location.displayName = displayName;
    location.url = url;
    location.isDefault = isDefault;
    location.entryId = makeStoreEntryId(url);
    profile(profileName).stores.push_back(std::move(location));
}

void MemoryMail::setDefaultProfile(const std::string& name) {
    for (auto& existing : m_profiles)
        existing.isDefault = false;
    profile(name).isDefault = true;
}

std::shared_ptr<ProfileSubsystem> MemoryMail::makeSubsystem() const {
    const MemoryMail* self = this;
    return std::make_shared<ProfileSubsystem>([self] { return self->m_profiles; }, m_registry);
}

} // namespace mapi::memory
