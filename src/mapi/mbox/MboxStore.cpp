#include "mapi/mbox/MboxStore.h"
#include "mapi/StoreCommon.h"

#include "mapi/maildir/MessageProps.h"
#include "mapi/mbox/MboxFolder.h"

namespace mapi {

const Binary kMboxProviderUid = {0x4C, 0x4B, 0x53, 0x50, 0x2D, 0x4D, 0x42, 0x4F,
                                 0x58, 0x2D, 0x53, 0x54, 0x4F, 0x52, 0x45, 0x01};

MboxStore::MboxStore(std::shared_ptr<MboxState> state) : m_state(std::move(state)) {}

HRESULT MboxStore::GetLastError(HRESULT result, std::uint32_t, std::optional<MapiError>& error) {
    return m_state->lastError(result, error);
}

HRESULT MboxStore::GetProps(const std::vector<PropTag>& tags, std::uint32_t, std::vector<PropValue>& values) {
    const StoreLocation& location = m_state->location();
    const Row properties{
        PropValue::string(PR_DISPLAY_NAME_A, location.displayName),
        PropValue::binary(PR_ENTRYID, location.entryId),
        PropValue::boolean(PR_DEFAULT_STORE, location.isDefault),
        PropValue::binary(PR_MDB_PROVIDER, kMboxProviderUid),
        PropValue::binary(PR_IPM_SUBTREE_ENTRYID, m_state->folderEntryId("")),
        PropValue::integer(PR_STORE_SUPPORT_MASK, static_cast<std::int32_t>(kMaildirStoreSupportMask)),
    };
    return answerProps(properties, tags, values);
}

HRESULT MboxStore::SetProps(const std::vector<PropValue>&, std::vector<PropProblem>*) {
    return MAPI_E_NO_SUPPORT;
}

HRESULT MboxStore::SaveChanges(std::uint32_t) {
    return S_OK;
}

HRESULT MboxStore::OpenProperty(PropTag, Iid, std::uint32_t, std::uint32_t, std::shared_ptr<IStream>&) {
    return MAPI_E_NOT_FOUND;
}

HRESULT MboxStore::OpenEntry(const Binary& entryId, Iid iid, std::uint32_t, std::uint32_t& objectType,
                             std::shared_ptr<IMAPIProp>& object) {
    return openMboxEntry(m_state, entryId, iid, objectType, object);
}

HRESULT MboxStore::GetReceiveFolder(const std::string&, std::uint32_t, Binary& entryId,
                                    std::string& explicitClass) {
    entryId = m_state->folderEntryId(m_state->tree().receiveFolder());
    explicitClass = "IPM";
    return S_OK;
}

HRESULT MboxStore::StoreLogoff(std::uint32_t& flags) {
    flags = 0;
    try {
        m_state->writeChanges();
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

} // namespace mapi
