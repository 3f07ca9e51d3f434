#pragma once
// The fault-injecting wrapper: wraps any subsystem and every object it hands out (sessions,
// stores, folders, messages, tables, streams), logs each call in the shared FaultInjector and
// answers the rules' results in place of the provider's.

#include "mapi/Interfaces.h"
#include "mapi/fault/FaultInjector.h"

#include <memory>

namespace mapi::fault {

class FaultMapi : public IMapi {
public:
    FaultMapi(std::shared_ptr<IMapi> inner, std::shared_ptr<FaultInjector> injector);

    FaultInjector& injector() { return *m_injector; }

    HRESULT Initialize() override;
    void Uninitialize() override;
    HRESULT GetLastError(HRESULT result, std::uint32_t flags, std::optional<MapiError>& error) override;
    HRESULT LogonEx(std::uintptr_t uiParam, const std::optional<std::string>& profile,
                    const std::optional<std::string>& password, std::uint32_t flags,
                    std::shared_ptr<IMAPISession>& session) override;
    HRESULT AllocateBuffer(std::size_t bytes) override;
    HRESULT FreeBuffer() override;
    HRESULT RTFSync(IMessage& message, std::uint32_t flags, bool& updated) override;

private:
    std::shared_ptr<IMapi> m_inner;
    std::shared_ptr<FaultInjector> m_injector;
    std::optional<std::optional<MapiError>> m_injectedError;
};

} // namespace mapi::fault
