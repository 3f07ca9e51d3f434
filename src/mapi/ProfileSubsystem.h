#pragma once
// The mail subsystem over profiles: a logon picks a profile (the default one, one named by the
// caller, or one the user chooses through the prompt hook), and its session opens the profile's
// stores through the provider registry by their entry ids. A store of a kind no provider knows
// fails when it is opened, never at logon.

#include "mapi/Interfaces.h"
#include "mapi/Profiles.h"
#include "mapi/StoreProvider.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mapi {

// Yields the profiles at each logon, so an edited profiles file takes effect; may throw.
using ProfileSource = std::function<std::vector<Profile>()>;
ProfileSource profilesFromEnvironment(EnvironmentLookup environment);
ProfileSource fixedProfiles(std::vector<Profile> profiles);

struct ProfileChoice {
    std::string name;
    std::string password;
};
// Asks the user for a profile among `names`; none when the user cancelled.
using ProfilePrompt = std::function<std::optional<ProfileChoice>(const std::vector<std::string>& names)>;

// Opens a file with the desktop's own program for it.
using DesktopOpener = std::function<HRESULT(const std::string& path)>;
// The default opener: xdg-open.
HRESULT openWithXdgOpen(const std::string& path);

class ProfileSubsystem : public IMapi {
public:
    ProfileSubsystem(ProfileSource profiles, std::shared_ptr<const ProviderRegistry> registry);

    // Until the front end sets one, a prompt answers cancel.
    void setPrompt(ProfilePrompt prompt) { m_prompt = std::move(prompt); }
    // Takes effect for sessions logged on already too.
    void setDesktopOpener(DesktopOpener opener) { *m_opener = std::move(opener); }

    HRESULT Initialize() override;
    void Uninitialize() override;
    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT LogonEx(std::uintptr_t uiParam, const std::optional<std::string>& profile,
                    const std::optional<std::string>& password, std::uint32_t flags,
                    std::shared_ptr<IMAPISession>& session) override;
    HRESULT AllocateBuffer(std::size_t bytes) override;
    HRESULT FreeBuffer() override;
    // No store here keeps an RTF body, so there is never anything to bring in line.
    HRESULT RTFSync(IMessage& message, std::uint32_t flags, bool& updated) override;

private:
    HRESULT fail(HRESULT code, std::string text);

    ProfileSource m_profiles;
    std::shared_ptr<const ProviderRegistry> m_registry;
    ProfilePrompt m_prompt;
    std::shared_ptr<DesktopOpener> m_opener = std::make_shared<DesktopOpener>(openWithXdgOpen);
    int m_initialized = 0;
    std::optional<MapiError> m_lastError;
};

} // namespace mapi
