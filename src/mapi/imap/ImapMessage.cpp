#include "mapi/imap/ImapObjects.h"

#include "mapi/imap/ImapBodyStream.h"
#include "mapi/maildir/MaildirMessage.h"
#include "mapi/maildir/MessageProps.h"
#include "mapi/mime/BodyText.h"
#include "mapi/mime/SubjectRewrite.h"

#include <strings.h>

namespace mapi {

ImapMessage::ImapMessage(std::shared_ptr<ImapState> state, ImapMessageRef reference, ImapListedRow listed)
    : m_state(std::move(state)), m_reference(std::move(reference)), m_flags(std::move(listed.flags)),
      m_internalDate(listed.internalDate) {
    setRow(*listed.properties);
}

void ImapMessage::setRow(const Row& row) {
    m_properties = row;
    addOpenedMessageProperties(m_properties);
}

HRESULT ImapMessage::GetLastError(HRESULT result, std::uint32_t, std::optional<MapiError>& error) {
    return m_state->lastError(result, error);
}

HRESULT ImapMessage::GetProps(const std::vector<PropTag>& tags, std::uint32_t,
                              std::vector<PropValue>& values) {
    if (!m_newSubject)
        return answerImapProps(m_properties, tags, values);
    Row properties = m_properties;
    std::erase_if(properties, [](const PropValue& value) { return value.tag == PR_SUBJECT_A; });
    properties.push_back(PropValue::string(PR_SUBJECT_A, *m_newSubject));
    return answerImapProps(properties, tags, values);
}

HRESULT ImapMessage::SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) {
    for (std::uint32_t i = 0; i < values.size(); ++i) {
        if (values[i].tag == PR_SUBJECT_A)
            m_newSubject = values[i].getString();
        else if (problems)
            problems->push_back({i, values[i].tag, MAPI_E_NO_ACCESS});
    }
    return S_OK;
}

HRESULT ImapMessage::SaveChanges(std::uint32_t) {
    if (!m_newSubject)
        return S_OK;
    try {
        saveSubject();
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

// Steps done are remembered across a reconnection: a cut after the APPEND does not append again,
// and the old message is removed only once its replacement is on the server.
void ImapMessage::saveSubject() {
    enum Step { Fetch, Append, Delete, Expunge, Done };
    Step step = Fetch;
    std::string rewritten;
    std::vector<std::string> flags;
    std::int64_t internalDate = m_internalDate;
    std::optional<std::uint32_t> newUid;
    m_state->session().run([&](ImapConnection& connection) {
        m_state->selectFor(connection, m_reference);
        if (step == Fetch) {
            const auto current = connection.fetchListingByUid(m_reference.uid);
            auto fetched = connection.fetchMessages({m_reference.uid});
            if (!current || fetched.empty() || current->hasFlag("\\Deleted"))
                throw ImapError(MAPI_E_OBJECT_DELETED,
                                "Message " + std::to_string(m_reference.uid) + " of '" + m_reference.mailbox +
                                    "' is no longer on " + m_state->session().account());
            rewritten = mime::withSubject(fetched.front().second, *m_newSubject);
            flags = current->flags;
            internalDate = current->internalDate;
            step = Append;
        }
        if (step == Append) {
            newUid = connection.append(m_reference.mailbox, rewritten, flags, internalDate);
            step = Delete;
        }
        if (step == Delete) {
            connection.storeFlag({m_reference.uid}, "Deleted", true);
            step = Expunge;
        }
        if (step == Expunge && connection.has("UIDPLUS"))
            connection.expunge({m_reference.uid});
        step = Done;
    });
    std::erase_if(m_properties, [](const PropValue& value) { return value.tag == PR_SUBJECT_A; });
    m_properties.push_back(PropValue::string(PR_SUBJECT_A, *m_newSubject));
    m_newSubject.reset();
    m_flags = flags;
    m_internalDate = internalDate;
    if (!newUid)
        return;
    // The message now lives under its new UID; later changes (a move) must find that one.
    m_reference.uid = *newUid;
    for (auto& value : m_properties)
        if (value.tag == PR_ENTRYID)
            value = PropValue::binary(PR_ENTRYID, m_state->messageEntryId(m_reference));
}

HRESULT ImapMessage::OpenProperty(PropTag tag, Iid iid, std::uint32_t, std::uint32_t flags,
                                  std::shared_ptr<IStream>& stream) {
    if (iid != Iid::IStream)
        return m_state->fail(MAPI_E_INTERFACE_NOT_SUPPORTED, "Properties open only as streams");
    if (tag != PR_BODY_A)
        return MAPI_E_NOT_FOUND;
    if (flags & MAPI_DEFERRED_ERRORS) {
        stream = std::make_shared<ImapBodyStream>(m_state, m_reference, m_state->queueMessage(m_reference));
        return S_OK;
    }
    try {
        auto fetched = m_state->session().run([&](ImapConnection& connection) {
            m_state->selectFor(connection, m_reference);
            return connection.fetchMessages({m_reference.uid});
        });
        if (fetched.empty())
            return m_state->fail(MAPI_E_OBJECT_DELETED, "Message " + std::to_string(m_reference.uid) +
                                                            " of '" + m_reference.mailbox +
                                                            "' is no longer on the server");
        auto body = mime::plainTextBody(fetched.front().second);
        if (!body)
            return MAPI_E_NOT_FOUND;
        stream = std::make_shared<BodyStream>(std::move(*body));
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

HRESULT ImapMessage::SetReadFlag(std::uint32_t flags) {
    if (flags & GENERATE_RECEIPT_ONLY)
        return S_OK;
    const bool read = (flags & CLEAR_READ_FLAG) == 0;
    try {
        m_state->session().run([&](ImapConnection& connection) {
            m_state->selectFor(connection, m_reference);
            connection.storeFlag({m_reference.uid}, "Seen", read);
        });
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
    std::erase_if(m_flags, [](const std::string& flag) { return strcasecmp(flag.c_str(), "\\Seen") == 0; });
    if (read)
        m_flags.push_back("\\Seen");
    for (auto& value : m_properties)
        if (value.tag == PR_MESSAGE_FLAGS)
            value = PropValue::integer(PR_MESSAGE_FLAGS,
                                       read ? (value.getLong() | static_cast<std::int32_t>(MSGFLAG_READ))
                                            : (value.getLong() & ~static_cast<std::int32_t>(MSGFLAG_READ)));
    return S_OK;
}

} // namespace mapi
