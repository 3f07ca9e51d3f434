#pragma once
// The provider of kind "memory": profiles name stores built in code as "memory:<name>", found in
// a catalogue the process holds. MemoryMail puts the pieces together for tests: stores, profiles
// and a ready subsystem over them.

#include "mapi/ProfileSubsystem.h"
#include "mapi/Profiles.h"
#include "mapi/StoreProvider.h"
#include "mapi/memory/MemoryStore.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace mapi::memory {

class MemoryCatalogue {
public:
    void add(std::shared_ptr<MemoryStore> store);
    void remove(const std::string& name);
    std::shared_ptr<MemoryStore> find(const std::string& name) const;

private:
    std::map<std::string, std::shared_ptr<MemoryStore>> m_stores;
};

// Adds the kind "memory" to `registry`; a name the catalogue lacks answers MAPI_E_NOT_FOUND.
void registerMemoryProvider(ProviderRegistry& registry, std::shared_ptr<const MemoryCatalogue> catalogue);

class MemoryMail {
public:
    MemoryMail();

    // A new store, listed in `profile` (created on first use) under `displayName`.
    MemoryStore& addStore(const std::string& displayName, bool isDefault = false,
                          const std::string& profile = "Default");
    // A store entry of any URL, for stores that are missing or of kinds nobody knows.
    void addStoreEntry(const std::string& displayName, const std::string& url, bool isDefault = false,
                       const std::string& profile = "Default");
    // Marks `profile` as the profile of login choice 0.
    void setDefaultProfile(const std::string& profile);

    MemoryCatalogue& catalogue() { return *m_catalogue; }
    ProviderRegistry& registry() { return *m_registry; }
    const std::vector<Profile>& profiles() const { return m_profiles; }
    // A subsystem over the profiles as they are when it logs on; it reads them from this object,
    // which must outlive it.
    std::shared_ptr<ProfileSubsystem> makeSubsystem() const;

private:
    Profile& profile(const std::string& name);

    std::shared_ptr<MemoryCatalogue> m_catalogue;
    std::shared_ptr<ProviderRegistry> m_registry;
    std::vector<Profile> m_profiles;
    std::vector<std::shared_ptr<MemoryStore>> m_stores;
    int m_nextStore = 1;
};

} // namespace mapi::memory
