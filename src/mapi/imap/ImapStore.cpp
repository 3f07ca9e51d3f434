#include "mapi/imap/ImapObjects.h"

namespace mapi {

const Binary kImapProviderUid = {0x4C, 0x4B, 0x53, 0x50, 0x2D, 0x49, 0x4D, 0x41,
                                 0x50, 0x2D, 0x53, 0x54, 0x4F, 0x52, 0x45, 0x01};

HRESULT ImapStore::GetLastError(HRESULT result, std::uint32_t, std::optional<MapiError>& error) {
    return m_state->lastError(result, error);
}

HRESULT ImapStore::GetProps(const std::vector<PropTag>& tags, std::uint32_t, std::vector<PropValue>& values) {
    const StoreLocation& location = m_state->location();
    const Row properties{
        PropValue::string(PR_DISPLAY_NAME_A, location.displayName),
        PropValue::binary(PR_ENTRYID, location.entryId),
        PropValue::boolean(PR_DEFAULT_STORE, location.isDefault),
        PropValue::binary(PR_MDB_PROVIDER, kImapProviderUid),
        PropValue::binary(PR_IPM_SUBTREE_ENTRYID, m_state->folderEntryId(kInbox)),
        PropValue::integer(PR_STORE_SUPPORT_MASK, kImapStoreSupportMask),
    };
    return answerImapProps(properties, tags, values);
}

HRESULT ImapStore::SetProps(const std::vector<PropValue>&, std::vector<PropProblem>*) {
    return MAPI_E_NO_SUPPORT;
}

HRESULT ImapStore::SaveChanges(std::uint32_t) {
    return S_OK;
}

HRESULT ImapStore::OpenProperty(PropTag, Iid, std::uint32_t, std::uint32_t, std::shared_ptr<IStream>&) {
    return MAPI_E_NOT_FOUND;
}

HRESULT ImapStore::OpenEntry(const Binary& entryId, Iid iid, std::uint32_t, std::uint32_t& objectType,
                             std::shared_ptr<IMAPIProp>& object) {
    return openImapEntry(m_state, entryId, iid, objectType, object);
}

HRESULT ImapStore::GetReceiveFolder(const std::string&, std::uint32_t, Binary& entryId,
                                    std::string& explicitClass) {
    entryId = m_state->folderEntryId(kInbox);
    explicitClass = "IPM";
    return S_OK;
}

HRESULT ImapStore::StoreLogoff(std::uint32_t& flags) {
    flags = 0;
    return S_OK;
}

} // namespace mapi
