#include "mailstore/TStore.h"

#include "mailstore/MapiException.h"
#include "mailstore/TMapiSession.h"

namespace mailstore {

// Opened read-write, best access, without mail spooling.
constexpr std::uint32_t kOpenStoreFlags = mapi::MDB_WRITE | mapi::MAPI_BEST_ACCESS | mapi::MDB_NO_MAIL;

TStore::TStore(std::string displayName, TMapiSession* session)
    : m_displayName(std::move(displayName)), m_session(session) {}

TStore::TStore(std::string displayName, const mapi::Binary& entryId, TMapiSession* session)
    : m_displayName(std::move(displayName)), m_session(session) {
    m_entryId.assign(entryId);
}

TStore::~TStore() {
    if (m_opened) {
        std::uint32_t flags = mapi::LOGOFF_NO_WAIT;
        m_opened->StoreLogoff(flags);
    }
}

void TStore::CopyStore(const TStore& other) {
    m_displayName = other.m_displayName;
    m_entryId.setSize(other.m_entryId.size());
    m_entryId.copyFrom(other.m_entryId.data());
}

std::shared_ptr<mapi::IMsgStore> TStore::OpenStore() {
    if (m_opened)
        return m_opened;
    if (!m_session)
        throw MapiException("No session");
    const auto session = m_session->GetSession();
    std::shared_ptr<mapi::IMsgStore> store;
    const mapi::HRESULT hr = session->OpenMsgStore(m_session->parentWindow(), m_entryId.toBinary(),
                                                   mapi::Iid::IMsgStore, kOpenStoreFlags, store);
    CheckMapiResult(DetailsSource(session.get(), &m_session->mapi()), "OpenMsgStore:" + m_displayName, hr);
    m_opened = std::move(store);
    return m_opened;
}

mapi::IMapi* TStore::mapi() const {
    return m_session ? &m_session->mapi() : nullptr;
}

DetailsSource TStore::details() const {
    return DetailsSource(m_opened.get(), mapi());
}

} // namespace mailstore
