#include "mapi/ProfileSubsystem.h"

#include "mapi/EntryIds.h"
#include "mapi/ProfileSession.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace mapi {

constexpr const char* kComponent = "Larkspire mail profiles";

ProfileSource profilesFromEnvironment(EnvironmentLookup environment) {
    return [environment = std::move(environment)] { return loadProfiles(environment); };
}

ProfileSource fixedProfiles(std::vector<Profile> profiles) {
    return [profiles = std::move(profiles)] { return profiles; };
}

HRESULT openWithXdgOpen(const std::string& path) {
    const char* argv[] = {"xdg-open", path.c_str(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return MAPI_E_NO_SUPPORT;
    int status = 0;
    if (waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return MAPI_E_CALL_FAILED;
    return S_OK;
}

ProfileSubsystem::ProfileSubsystem(ProfileSource profiles, std::shared_ptr<const ProviderRegistry> registry)
    : m_profiles(std::move(profiles)), m_registry(std::move(registry)) {}

HRESULT ProfileSubsystem::fail(HRESULT code, std::string text) {
    m_lastError = MapiError{std::move(text), std::string(kComponent)};
    return code;
}

HRESULT ProfileSubsystem::Initialize() {
    ++m_initialized;
    return S_OK;
}

void ProfileSubsystem::Uninitialize() {
    if (m_initialized > 0)
        --m_initialized;
}

HRESULT ProfileSubsystem::GetLastError(HRESULT, std::uint32_t, std::optional<MapiError>& error) {
    error = m_lastError;
    return S_OK;
}

HRESULT ProfileSubsystem::LogonEx(std::uintptr_t, const std::optional<std::string>& profile,
                                  const std::optional<std::string>& password, std::uint32_t flags,
                                  std::shared_ptr<IMAPISession>& session) {
    session.reset();
    m_lastError.reset();
    if (m_initialized == 0)
        return fail(MAPI_E_NOT_INITIALIZED, "the mail subsystem has not been initialised");
    std::vector<Profile> profiles;
    try {
        profiles = m_profiles();
    } catch (const std::exception& error) {
        return fail(MAPI_E_NOT_INITIALIZED, error.what());
    }
    if (profiles.empty())
        return fail(MAPI_E_LOGON_FAILED, "there is no mail profile to log on to");

    const Profile* chosen = nullptr;
    std::string storePassword = password.value_or("");
    if (profile) {
        chosen = findProfile(profiles, *profile);
        if (!chosen)
            return fail(MAPI_E_LOGON_FAILED, "there is no mail profile named \"" + *profile + "\"");
    } else if (flags & MAPI_USE_DEFAULT) {
        chosen = defaultProfile(profiles);
    } else if (flags & MAPI_LOGON_UI) {
        std::vector<std::string> names;
        for (const auto& candidate : profiles)
            names.push_back(candidate.name);
        const auto answer = m_prompt ? m_prompt(names) : std::nullopt;
        if (!answer)
            return MAPI_E_USER_CANCEL;
        chosen = findProfile(profiles, answer->name);
        if (!chosen)
            return fail(MAPI_E_LOGON_FAILED, "there is no mail profile named \"" + answer->name + "\"");
        storePassword = answer->password;
    } else {
        return fail(MAPI_E_LOGON_FAILED,
                    "no profile was named and neither the default nor a prompt was asked for");
    }

    Profile opened = *chosen;
    for (auto& store : opened.stores) {
        if (store.entryId.empty())
            store.entryId = makeStoreEntryId(store.url);
        store.password = storePassword;
    }
    session = std::make_shared<ProfileSession>(std::move(opened), m_registry, m_opener);
    return S_OK;
}

HRESULT ProfileSubsystem::AllocateBuffer(std::size_t) {
    return S_OK;
}

HRESULT ProfileSubsystem::FreeBuffer() {
    return S_OK;
}

HRESULT ProfileSubsystem::RTFSync(IMessage&, std::uint32_t, bool& updated) {
    updated = false;
    return S_OK;
}

} // namespace mapi
