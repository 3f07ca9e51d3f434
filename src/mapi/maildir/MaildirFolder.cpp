#include "mapi/maildir/MaildirFolder.h"

#include "mapi/StoreCommon.h"
#include "mapi/maildir/MaildirMessage.h"
#include "mapi/maildir/MaildirName.h"
#include "mapi/maildir/MaildirOperations.h"

namespace mapi {

MaildirFolder::MaildirFolder(std::shared_ptr<MaildirState> state, std::string key)
    : FileStoreFolder(std::move(state), std::move(key)) {}

HRESULT openMaildirEntry(const std::shared_ptr<MaildirState>& state, const Binary& entryId, Iid iid,
                         std::uint32_t& objectType, std::shared_ptr<IMAPIProp>& object) {
    const auto parsed = entryId.empty() ? std::optional<ParsedEntryId>(ParsedEntryId{true, ""})
                                        : state->parseEntryId(entryId);
    if (!parsed)
        return state->fail(MAPI_E_INVALID_ENTRYID,
                           "The entry id names nothing in '" + state->tree().root().string() + "'");
    if (parsed->isFolder) {
        if (iid != Iid::IMAPIFolder && iid != Iid::IMAPIProp)
            return MAPI_E_INTERFACE_NOT_SUPPORTED;
        if (!state->tree().exists(parsed->key))
            return state->fail(MAPI_E_NOT_FOUND,
                               "No folder '" + state->tree().directory(parsed->key).string() + "'");
        object = std::make_shared<MaildirFolder>(state, parsed->key);
        objectType = MAPI_FOLDER;
        return S_OK;
    }
    if (iid != Iid::IMessage && iid != Iid::IMAPIProp)
        return MAPI_E_INTERFACE_NOT_SUPPORTED;
    const HRESULT hr = MaildirMessage::open(state, parsed->key, object);
    if (succeeded(hr))
        objectType = MAPI_MESSAGE;
    return hr;
}

HRESULT MaildirFolder::OpenEntry(const Binary& entryId, Iid iid, std::uint32_t, std::uint32_t& objectType,
                                 std::shared_ptr<IMAPIProp>& object) {
    return openMaildirEntry(m_state, entryId, iid, objectType, object);
}

HRESULT MaildirFolder::CopyMessages(const std::vector<Binary>& entryList, Iid, IMAPIFolder& destination,
                                    std::uintptr_t, void*, std::uint32_t flags) {
    if ((flags & MESSAGE_MOVE) == 0)
        return m_state->fail(MAPI_E_NO_SUPPORT, "Messages of a Maildir store can be moved, not copied");
    auto* target = dynamic_cast<MaildirFolder*>(&destination);
    if (!target)
        return m_state->fail(MAPI_E_NO_SUPPORT, "Messages can be moved only into Maildir folders");
    return moveEach(entryList, [this, target](const Binary& entryId) { return moveOne(entryId, *target); });
}

HRESULT MaildirFolder::moveOne(const Binary& entryId, MaildirFolder& destination) {
    const auto parsed = m_state->parseEntryId(entryId);
    if (!parsed || parsed->isFolder)
        return m_state->fail(MAPI_E_INVALID_ENTRYID, "The entry id names no message of this store");
    try {
        const auto location = m_state->locate(parsed->key);
        if (!location || location->folderKey != m_key)
            return m_state->fail(MAPI_E_NOT_FOUND, "No message '" + parsed->key + "' in folder '" +
                                                       m_state->tree().directory(m_key).string() + "'");
        if (destination.m_state == m_state && destination.m_key == m_key)
            return S_OK;
        const std::string fileName = MaildirName::parse(location->fileName).inCur().fileName();
        moveMessageFile(m_state->pathOf(*location), destination.m_state->tree().directory(destination.m_key),
                        fileName);
        if (destination.m_state != m_state)
            m_state->forget(parsed->key);
        destination.m_state->remember(parsed->key, {destination.m_key, "cur", fileName});
        return S_OK;
    } catch (const std::exception& error) {
        const HRESULT hr = m_state->fail(error);
        destination.m_state->fail(error);
        return hr;
    }
}

} // namespace mapi
