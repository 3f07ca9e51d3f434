#include "mailstore/TMapiUserFolder.h"

#include "mailstore/MapiErrors.h"
#include "mailstore/MapiException.h"

namespace mailstore {

TMapiUserFolder::TMapiUserFolder(std::shared_ptr<TStore> store) : m_store(std::move(store)) {}

TMapiUserFolder::TMapiUserFolder(const mapi::Binary& entryId, std::shared_ptr<TStore> store)
    : m_store(std::move(store)) {
    m_entryId.assign(entryId);
}

std::unique_ptr<TMapiUserFolder> TMapiUserFolder::makeEmpty(TMapiSession* session) {
    return std::make_unique<TMapiUserFolder>(std::make_shared<TStore>("dummy", session));
}

void TMapiUserFolder::CopyEntryId(const TMapiUserFolder& other) {
    m_entryId.setSize(other.m_entryId.size());
    m_entryId.copyFrom(other.m_entryId.data());
}

std::shared_ptr<mapi::IMAPIFolder>
TMapiUserFolder::OpenFolder(const std::shared_ptr<mapi::IMsgStore>& openedStore) {
    if (m_opened)
        return m_opened;
    std::uint32_t objectType = 0;
    std::shared_ptr<mapi::IMAPIProp> object;
    const mapi::HRESULT hr =
        openedStore->OpenEntry(m_entryId.toBinary(), mapi::Iid::IMAPIFolder,
                               mapi::MAPI_BEST_ACCESS | mapi::MAPI_DEFERRED_ERRORS, objectType, object);
    CheckMapiResult(DetailsSource(openedStore.get(), m_store->mapi()), "130", hr);
    auto folder = std::dynamic_pointer_cast<mapi::IMAPIFolder>(object);
    if (!folder)
        CheckMapiResult(DetailsSource(openedStore.get(), m_store->mapi()), "130",
                        mapi::MAPI_E_INTERFACE_NOT_SUPPORTED);
    m_opened = std::move(folder);
    return m_opened;
}

void TMapiUserFolder::FindDefaultInbox() {
    const auto store = m_store->OpenStore();
    mapi::Binary entryId;
    std::string explicitClass;
    if (mapi::failed(store->GetReceiveFolder("IPM", 0, entryId, explicitClass)))
        throw MapiException("Failed to find default inbox");
    auto* mapi = m_store->mapi();
    if (mapi)
        mapi->FreeBuffer(); // the explicit class name, not needed
    m_entryId.assign(entryId);
    if (mapi)
        mapi->FreeBuffer();
}

void copyFolderIdentity(TMapiUserFolder& target, const TMapiUserFolder& source) {
    target.CopyEntryId(source);
    target.store()->CopyStore(*source.store());
}

} // namespace mailstore
