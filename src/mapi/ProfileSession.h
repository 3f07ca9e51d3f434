#pragma once
// The session of one logged-on profile: its store table, and its stores opened by entry id
// through the provider registry.

#include "mapi/Interfaces.h"
#include "mapi/ProfileSubsystem.h"
#include "mapi/Profiles.h"
#include "mapi/StoreProvider.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace mapi {

class ProfileSession : public IMAPISession {
public:
    // `profile` carries every store's entry id and the logon's password.
    ProfileSession(Profile profile, std::shared_ptr<const ProviderRegistry> registry,
                   std::shared_ptr<const DesktopOpener> opener);

    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT GetMsgStoresTable(std::uint32_t flags, std::shared_ptr<IMAPITable>& table) override;
    HRESULT OpenMsgStore(std::uintptr_t uiParam, const Binary& entryId, Iid iid, std::uint32_t flags,
                         std::shared_ptr<IMsgStore>& store) override;
    HRESULT Logoff(std::uintptr_t uiParam, std::uint32_t flags, std::uint32_t reserved) override;
    HRESULT PrepareForm(Iid iid, IMessage& message, std::uint32_t& token) override;
    HRESULT ShowForm(std::uintptr_t uiParam, IMsgStore& store, IMAPIFolder& folder, Iid iid,
                     std::uint32_t token, IMessage* sent, std::uint32_t flags, std::uint32_t status,
                     std::uint32_t messageFlags, std::uint32_t access,
                     const std::string& messageClass) override;

private:
    HRESULT fail(HRESULT code, std::string text);

    Profile m_profile;
    std::shared_ptr<const ProviderRegistry> m_registry;
    std::shared_ptr<const DesktopOpener> m_opener;
    bool m_loggedOff = false;
    std::optional<MapiError> m_lastError;
    // Prepared forms: the file of the message, or none when its store names no file.
    std::map<std::uint32_t, std::optional<std::string>> m_forms;
    std::uint32_t m_nextToken = 1;
};

} // namespace mapi
