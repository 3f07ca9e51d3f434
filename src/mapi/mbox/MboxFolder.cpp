#include "mapi/mbox/MboxFolder.h"

#include "mapi/StoreCommon.h"
#include "mapi/mbox/MboxMessage.h"

namespace mapi {

MboxFolder::MboxFolder(std::shared_ptr<MboxState> state, std::string key)
    : FileStoreFolder(std::move(state), std::move(key)) {}

HRESULT openMboxEntry(const std::shared_ptr<MboxState>& state, const Binary& entryId, Iid iid,
                      std::uint32_t& objectType, std::shared_ptr<IMAPIProp>& object) {
    const auto parsed = entryId.empty()
                            ? std::optional<ParsedMboxEntryId>(ParsedMboxEntryId{true, "", {}, {}})
                            : state->parseEntryId(entryId);
    if (!parsed)
        return state->fail(MAPI_E_INVALID_ENTRYID,
                           "The entry id names nothing in '" + state->tree().root().string() + "'");
    if (parsed->isFolder) {
        if (iid != Iid::IMAPIFolder && iid != Iid::IMAPIProp)
            return MAPI_E_INTERFACE_NOT_SUPPORTED;
        if (!state->tree().exists(parsed->folderKey))
            return state->fail(MAPI_E_NOT_FOUND,
                               "No folder '" + state->tree().file(parsed->folderKey).string() + "'");
        object = std::make_shared<MboxFolder>(state, parsed->folderKey);
        objectType = MAPI_FOLDER;
        return S_OK;
    }
    if (iid != Iid::IMessage && iid != Iid::IMAPIProp)
        return MAPI_E_INTERFACE_NOT_SUPPORTED;
    const HRESULT hr = MboxMessage::open(state, *parsed, object);
    if (succeeded(hr))
        objectType = MAPI_MESSAGE;
    return hr;
}

HRESULT MboxFolder::OpenEntry(const Binary& entryId, Iid iid, std::uint32_t, std::uint32_t& objectType,
                              std::shared_ptr<IMAPIProp>& object) {
    return openMboxEntry(m_state, entryId, iid, objectType, object);
}

HRESULT MboxFolder::CopyMessages(const std::vector<Binary>& entryList, Iid, IMAPIFolder& destination,
                                 std::uintptr_t, void*, std::uint32_t flags) {
    if ((flags & MESSAGE_MOVE) == 0)
        return m_state->fail(MAPI_E_NO_SUPPORT, "Messages of an mbox store can be moved, not copied");
    auto* target = dynamic_cast<MboxFolder*>(&destination);
    if (!target)
        return m_state->fail(MAPI_E_NO_SUPPORT,
                             "Messages of an mbox store can be moved only into mbox folders");
    return moveEach(entryList, [this, target](const Binary& entryId) { return moveOne(entryId, *target); });
}

HRESULT MboxFolder::moveOne(const Binary& entryId, MboxFolder& destination) {
    const auto parsed = m_state->parseEntryId(entryId);
    if (!parsed || parsed->isFolder)
        return m_state->fail(MAPI_E_INVALID_ENTRYID, "The entry id names no message of this store");
    try {
        const auto found = parsed->folderKey == m_key ? m_state->find(*parsed) : std::nullopt;
        const MboxChange* waiting = found ? m_state->waiting(*found) : nullptr;
        if (!found || (waiting && waiting->moveTo))
            return m_state->fail(MAPI_E_NOT_FOUND,
                                 "No such message in '" + m_state->tree().file(m_key).string() + "'");
        if (destination.m_state == m_state && destination.m_key == m_key)
            return S_OK;
        if (!destination.m_state->tree().holdsMessages(destination.m_key))
            return m_state->fail(MAPI_E_NO_SUPPORT,
                                 "The folder '" + destination.m_state->tree().displayName(destination.m_key) +
                                     "' holds no messages: it has no mail file");
        m_state->change(*found,
                        MboxChange{std::nullopt, std::nullopt, destination.m_state, destination.m_key});
        return S_OK;
    } catch (const std::exception& error) {
        const HRESULT hr = m_state->fail(error);
        destination.m_state->fail(error);
        return hr;
    }
}

} // namespace mapi
