#include "mapi/mbox/MboxMessage.h"

#include "mapi/StoreCommon.h"
#include "mapi/maildir/BodyStream.h"
#include "mapi/maildir/MaildirMessage.h"
#include "mapi/maildir/MessageProps.h"
#include "mapi/mbox/MboxBodyStream.h"
#include "mapi/mbox/MboxFormat.h"
#include "mapi/mime/BodyText.h"

namespace mapi {

MboxMessage::MboxMessage(std::shared_ptr<MboxState> state, MboxMessageRef message, std::uint32_t revision,
                         Row properties)
    : m_state(std::move(state)), m_message(std::move(message)), m_revision(revision),
      m_properties(std::move(properties)) {
    addOpenedMessageProperties(m_properties);
    m_state->messageOpened();
}

MboxMessage::~MboxMessage() {
    m_state->messageReleased();
}

HRESULT MboxMessage::open(const std::shared_ptr<MboxState>& state, const ParsedMboxEntryId& id,
                          std::shared_ptr<IMAPIProp>& message) {
    try {
        const auto found = state->find(id);
        const auto entry = found ? state->current(*found) : std::nullopt;
        if (!entry)
            return state->fail(MAPI_E_NOT_FOUND,
                               "No such message in '" + state->tree().file(id.folderKey).string() + "'");
        auto row = state->takeListedRow(*found);
        message = std::make_shared<MboxMessage>(state, *found, entry->revision,
                                                row ? std::move(*row) : state->readProperties(*found));
        return S_OK;
    } catch (const std::exception& error) {
        return state->fail(error);
    }
}

HRESULT MboxMessage::current(std::optional<MboxEntry>& entry) {
    entry = m_state->current(m_message);
    const MboxChange* waiting = m_state->waiting(m_message);
    if (!entry || (waiting && waiting->moveTo))
        return m_state->fail(MAPI_E_OBJECT_DELETED, "The message is no longer in '" +
                                                        m_state->tree().file(m_message.folderKey).string() +
                                                        "'");
    return S_OK;
}

void MboxMessage::setProperty(PropValue value) {
    std::erase_if(m_properties, [&value](const PropValue& old) { return old.tag == value.tag; });
    m_properties.push_back(std::move(value));
}

HRESULT MboxMessage::GetLastError(HRESULT result, std::uint32_t, std::optional<MapiError>& error) {
    return m_state->lastError(result, error);
}

HRESULT MboxMessage::GetProps(const std::vector<PropTag>& tags, std::uint32_t,
                              std::vector<PropValue>& values) {
    return answerMessageProps(m_properties, m_newSubject, tags, values);
}

HRESULT MboxMessage::SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) {
    return setSubjectProps(values, problems, m_newSubject);
}

HRESULT MboxMessage::SaveChanges(std::uint32_t flags) {
    if (!m_newSubject)
        return S_OK;
    try {
        std::optional<MboxEntry> entry;
        if (const HRESULT hr = current(entry); failed(hr))
            return hr;
        if (entry->revision != m_revision && (flags & FORCE_SAVE) == 0)
            return m_state->fail(MAPI_E_OBJECT_CHANGED,
                                 "The message in '" + m_state->tree().file(m_message.folderKey).string() +
                                     "' was changed since it was opened");
        const std::string subject = *m_newSubject;
        m_state->change(m_message, MboxChange{subject, std::nullopt, nullptr, {}});
        m_revision = entry->revision;
        m_newSubject.reset();
        setProperty(PropValue::string(PR_SUBJECT_A, subject));
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

HRESULT MboxMessage::OpenProperty(PropTag tag, Iid iid, std::uint32_t, std::uint32_t flags,
                                  std::shared_ptr<IStream>& stream) {
    if (iid != Iid::IStream)
        return m_state->fail(MAPI_E_INTERFACE_NOT_SUPPORTED, "Properties open only as streams");
    if (tag != PR_BODY_A)
        return MAPI_E_NOT_FOUND;
    try {
        std::optional<MboxEntry> entry;
        if (const HRESULT hr = current(entry); failed(hr))
            return hr;
        std::string content = m_state->readContent(m_message);
        if (flags & MAPI_DEFERRED_ERRORS) {
            stream = std::make_shared<MboxBodyStream>(std::move(content), m_state);
            return S_OK;
        }
        auto body = mime::plainTextBody(unquoteFromLines(content));
        if (!body)
            return MAPI_E_NOT_FOUND;
        stream = std::make_shared<BodyStream>(std::move(*body));
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

HRESULT MboxMessage::SetReadFlag(std::uint32_t flags) {
    if (flags & GENERATE_RECEIPT_ONLY)
        return S_OK;
    try {
        std::optional<MboxEntry> entry;
        if (const HRESULT hr = current(entry); failed(hr))
            return hr;
        const bool read = (flags & CLEAR_READ_FLAG) == 0;
        const PropValue* messageFlags = findProp(m_properties, PR_MESSAGE_FLAGS);
        const std::int32_t was = messageFlags ? messageFlags->getLong() : 0;
        if (((was & static_cast<std::int32_t>(MSGFLAG_READ)) != 0) == read)
            return S_OK;
        m_state->change(m_message, MboxChange{std::nullopt, read, nullptr, {}});
        setProperty(
            PropValue::integer(PR_MESSAGE_FLAGS, read ? (was | static_cast<std::int32_t>(MSGFLAG_READ))
                                                      : (was & ~static_cast<std::int32_t>(MSGFLAG_READ))));
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

} // namespace mapi
