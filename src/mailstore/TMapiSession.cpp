#include "mailstore/TMapiSession.h"

#include "mailstore/MapiException.h"
#include "mapi/Helpers.h"

#include <optional>

namespace mailstore {
namespace {

constexpr std::uint32_t kLogonDefaultFlags =
    mapi::MAPI_NEW_SESSION | mapi::MAPI_EXTENDED | mapi::MAPI_USE_DEFAULT;
constexpr std::uint32_t kLogonProfileFlags =
    mapi::MAPI_LOGON_UI | mapi::MAPI_NEW_SESSION | mapi::MAPI_EXPLICIT_PROFILE | mapi::MAPI_EXTENDED;

// The entry id of the store flagged default. Answers 0x80004005 when rows came and none is
// flagged; 0 without an entry id when the table could not be read or had no rows.
mapi::HRESULT findDefaultStoreEntryId(mapi::IMapi& mapi, mapi::IMAPISession& session,
                                      std::optional<mapi::Binary>& entryId) {
    const std::vector<mapi::PropTag> tags{mapi::PR_DEFAULT_STORE, mapi::PR_ENTRYID};
    if (mapi::failed(mapi.AllocateBuffer(sizeof(std::uint32_t) * (1 + tags.size()))))
        return mapi::S_OK;
    mapi::RowSet rows;
    [&] {
        std::shared_ptr<mapi::IMAPITable> table;
        std::uint32_t count = 0;
        if (mapi::failed(session.GetMsgStoresTable(0, table)) || mapi::failed(table->GetRowCount(0, count)) ||
            mapi::failed(table->SetColumns(tags, 0)) ||
            mapi::failed(table->SeekRow(mapi::Bookmark::Beginning, 0, nullptr)) ||
            mapi::failed(table->QueryRows(static_cast<std::int32_t>(count), 0, rows)))
            rows.clear();
    }();
    mapi.FreeBuffer();

    mapi::HRESULT result = mapi::S_OK;
    if (!rows.empty()) {
        result = mapi::MAPI_E_CALL_FAILED;
        for (const auto& row : rows) {
            if (row.size() < 2 || row[0].tag != mapi::PR_DEFAULT_STORE)
                continue;
            const auto* isDefault = std::get_if<bool>(&row[0].value);
            if (!isDefault || !*isDefault)
                continue;
            result = mapi::S_OK;
            const auto* bytes = std::get_if<mapi::Binary>(&row[1].value);
            if (row[1].tag == mapi::PR_ENTRYID && bytes &&
                mapi::succeeded(mapi.AllocateBuffer(bytes->size())))
                entryId = *bytes;
            break;
        }
    }
    mapi::FreeProws(rows);
    return result;
}

} // namespace

TMapiSession::TMapiSession(std::shared_ptr<mapi::IMapi> mapi, MessageBoxHook messageBox)
    : m_mapi(std::move(mapi)), m_messageBox(std::move(messageBox)) {
    CheckMapiResult(DetailsSource(), "30", m_mapi->Initialize());
}

TMapiSession::~TMapiSession() {
    if (m_loggedOn)
        Logoff();
    m_mapi->Uninitialize();
    releaseStores();
    m_session.reset();
}

void TMapiSession::SetLogonParameters(int loginChoice, const std::string& profileName,
                                      const std::string& password) {
    if (m_loggedOn &&
        (loginChoice != m_loginChoice || profileName != m_profileName || password != m_password))
        Logoff();
    m_loginChoice = loginChoice;
    m_profileName = profileName;
    m_password = password;
}

std::shared_ptr<mapi::IMAPISession> TMapiSession::GetSession() {
    if (!m_session)
        Logon();
    return m_session;
}

void TMapiSession::Logon() {
    m_session.reset();
    std::optional<std::string> profile;
    std::optional<std::string> password;
    std::uint32_t flags = 0;
    switch (m_loginChoice) {
    case LoginDefault:
        flags = kLogonDefaultFlags;
        break;
    case LoginPrompt:
        flags = kLogonProfileFlags;
        break;
    case LoginUserName:
        profile = m_profileName;
        password = m_password;
        flags = kLogonProfileFlags;
        break;
    default:
        // No choice selected: nothing to log on with.
        CheckMapiResult(DetailsSource(), "40", mapi::MAPI_E_INVALID_PARAMETER);
    }
    std::shared_ptr<mapi::IMAPISession> session;
    const mapi::HRESULT hr = m_mapi->LogonEx(parentWindow(), profile, password, flags, session);
    // The subsystem can say why a logon failed (for example a bad line in the profiles file).
    CheckMapiResult(DetailsSource(m_mapi.get()), "40", hr);
    m_session = std::move(session);
    m_loggedOn = true;
}

void TMapiSession::Logoff() {
    m_loggedOn = false;
    releaseStores();
    if (m_session) {
        m_session->Logoff(parentWindow(), 0, 0);
        m_session.reset();
    }
}

void TMapiSession::releaseStores() {
    while (!m_stores.empty())
        m_stores.pop_back();
}

std::shared_ptr<TStore> TMapiSession::DefaultStore() {
    const auto session = GetSession();
    std::optional<mapi::Binary> entryId;
    const mapi::HRESULT search = findDefaultStoreEntryId(*m_mapi, *session, entryId);
    CheckMapiResult(DetailsSource(session.get(), m_mapi.get()), "20.001", search);
    if (!entryId)
        return nullptr;
    auto store = std::make_shared<TStore>("Default", *entryId, this);
    m_stores.emplace_back("Default", store);
    try {
        store->OpenStore();
    } catch (...) {
        m_mapi->FreeBuffer();
        throw;
    }
    CheckMapiResult(store->details(), "20", m_mapi->FreeBuffer());
    return store;
}

void TMapiSession::ListStores() {
    releaseStores();
    const auto session = GetSession();
    const std::vector<mapi::PropTag> tags{mapi::PR_DISPLAY_NAME_A, mapi::PR_ENTRYID};
    CheckMapiResult(DetailsSource(session.get(), m_mapi.get()), "330",
                    m_mapi->AllocateBuffer(sizeof(std::uint32_t) * (1 + tags.size())));
    mapi::RowSet rows;
    std::shared_ptr<mapi::IMAPITable> table;
    // A store table that cannot be read leaves the list empty without an error.
    if (mapi::succeeded(session->GetMsgStoresTable(0, table)) &&
        mapi::succeeded(mapi::HrQueryAllRows(*table, tags, nullptr, 0, rows))) {
        for (const auto& row : rows) {
            std::string name = "Unknown";
            if (!row.empty() && row[0].tag == mapi::PR_DISPLAY_NAME_A)
                if (const auto* text = std::get_if<std::string>(&row[0].value))
                    name = *text;
            if (row.size() < 2 || row[1].tag != mapi::PR_ENTRYID)
                continue;
            const auto* bytes = std::get_if<mapi::Binary>(&row[1].value);
            if (!bytes)
                continue;
            m_stores.emplace_back(name, std::make_shared<TStore>(name, *bytes, this));
        }
    }
    m_mapi->FreeBuffer();
    mapi::FreeProws(rows);
}

void TMapiSession::EnumerateFolders(IFolderTree& tree, const AddNodeCallback& addNode) {
    ListStores();
    // A copy, so a callback that touches the session cannot pull the list from under the loop.
    const StoreList stores = m_stores;
    for (const auto& entry : stores)
        getFolderRoot(entry.second, tree, addNode);
}

} // namespace mailstore
