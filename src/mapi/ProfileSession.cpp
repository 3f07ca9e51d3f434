#include "mapi/ProfileSession.h"

#include "mapi/EntryIds.h"
#include "mapi/RowTable.h"

namespace mapi {

constexpr HRESULT MAPI_E_END_OF_SESSION = hresult(0x80040200);
constexpr const char* kComponent = "Larkspire mail profiles";

ProfileSession::ProfileSession(Profile profile, std::shared_ptr<const ProviderRegistry> registry,
                               std::shared_ptr<const DesktopOpener> opener)
    : m_profile(std::move(profile)), m_registry(std::move(registry)), m_opener(std::move(opener)) {}

HRESULT ProfileSession::fail(HRESULT code, std::string text) {
    m_lastError = MapiError{std::move(text), std::string(kComponent)};
    return code;
}

HRESULT ProfileSession::GetLastError(HRESULT, std::uint32_t, std::optional<MapiError>& error) {
    error = m_lastError;
    return S_OK;
}

HRESULT ProfileSession::GetMsgStoresTable(std::uint32_t, std::shared_ptr<IMAPITable>& table) {
    table.reset();
    if (m_loggedOff)
        return fail(MAPI_E_END_OF_SESSION, "the session has been logged off");
    RowSet rows;
    for (const auto& store : m_profile.stores)
        rows.push_back({PropValue::string(PR_DISPLAY_NAME_A, store.displayName),
                        PropValue::binary(PR_ENTRYID, store.entryId),
                        PropValue::boolean(PR_DEFAULT_STORE, store.isDefault)});
    table = std::make_shared<RowTable>(std::move(rows));
    return S_OK;
}

HRESULT ProfileSession::OpenMsgStore(std::uintptr_t, const Binary& entryId, Iid iid, std::uint32_t,
                                     std::shared_ptr<IMsgStore>& store) {
    store.reset();
    if (m_loggedOff)
        return fail(MAPI_E_END_OF_SESSION, "the session has been logged off");
    if (iid != Iid::IMsgStore)
        return fail(MAPI_E_INTERFACE_NOT_SUPPORTED, "a store opens only as IMsgStore");
    for (const auto& location : m_profile.stores) {
        if (location.entryId != entryId)
            continue;
        const HRESULT hr = m_registry->open(location, store);
        if (hr == MAPI_E_NO_SUPPORT)
            return fail(hr, "store \"" + location.displayName + "\" (" + location.url +
                                "): this program cannot open stores of this kind");
        if (failed(hr) || !store) {
            store.reset();
            return fail(failed(hr) ? hr : MAPI_E_CALL_FAILED,
                        "store \"" + location.displayName + "\" (" + location.url + ") could not be opened");
        }
        return hr;
    }
    return fail(MAPI_E_NOT_FOUND, "no store of profile \"" + m_profile.name + "\" has this entry id");
}

HRESULT ProfileSession::Logoff(std::uintptr_t, std::uint32_t, std::uint32_t) {
    m_loggedOff = true;
    m_forms.clear();
    return S_OK;
}

HRESULT ProfileSession::PrepareForm(Iid, IMessage& message, std::uint32_t& token) {
    std::vector<PropValue> values;
    std::optional<std::string> path;
    if (message.GetProps({PR_MESSAGE_FILE_PATH_A}, 0, values) == S_OK && !values.empty() &&
        values.front().tag == PR_MESSAGE_FILE_PATH_A)
        if (const auto* text = std::get_if<std::string>(&values.front().value))
            path = *text;
    token = m_nextToken++;
    m_forms[token] = std::move(path);
    return S_OK;
}

HRESULT ProfileSession::ShowForm(std::uintptr_t, IMsgStore&, IMAPIFolder&, Iid, std::uint32_t token,
                                 IMessage*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                 const std::string&) {
    const auto form = m_forms.find(token);
    if (form == m_forms.end())
        return fail(MAPI_E_INVALID_PARAMETER, "no message was prepared under this token");
    const std::optional<std::string> path = form->second;
    m_forms.erase(form);
    if (!path || !*m_opener)
        return fail(MAPI_E_NO_SUPPORT, "this store cannot show its messages in another program");
    const HRESULT hr = (*m_opener)(*path);
    if (failed(hr))
        return fail(hr, "the desktop could not open " + *path);
    return hr;
}

} // namespace mapi
