#include "mapi/maildir/MaildirMessage.h"

#include "mapi/StoreCommon.h"
#include "mapi/maildir/BodyStream.h"
#include "mapi/maildir/MaildirName.h"
#include "mapi/maildir/MaildirOperations.h"
#include "mapi/maildir/MessageProps.h"
#include "mapi/mime/BodyText.h"
#include "mapi/mime/MimeLibrary.h"
#include "mapi/mime/SubjectRewrite.h"
#include "platform/DurableWrite.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace mapi {

MaildirMessage::MaildirMessage(std::shared_ptr<MaildirState> state, std::string key, MessageLocation location)
    : m_state(std::move(state)), m_key(std::move(key)), m_location(std::move(location)) {}

HRESULT MaildirMessage::open(const std::shared_ptr<MaildirState>& state, const std::string& key,
                             std::shared_ptr<IMAPIProp>& message) {
    try {
        if (auto listed = state->takeListed(key)) {
            auto opened = std::make_shared<MaildirMessage>(state, key, listed->location);
            opened->m_identity = listed->identity;
            opened->m_properties = std::move(listed->properties);
            addOpenedMessageProperties(opened->m_properties);
            message = std::move(opened);
            return S_OK;
        }
        const auto location = state->locate(key);
        if (!location)
            return state->fail(MAPI_E_NOT_FOUND,
                               "No message '" + key + "' in '" + state->tree().root().string() + "'");
        auto opened = std::make_shared<MaildirMessage>(state, key, *location);
        opened->refresh(*location, readMessageHeader(state->pathOf(*location)));
        message = std::move(opened);
        return S_OK;
    } catch (const std::exception& error) {
        return state->fail(error);
    }
}

void MaildirMessage::refresh(const MessageLocation& location, const MessageFileContent& header) {
    m_location = location;
    m_identity = header.identity;
    m_properties =
        messageProperties(header.bytes, header.identity, MaildirName::parse(location.fileName).hasFlag('S'),
                          m_state->messageEntryId(m_key));
    addOpenedMessageProperties(m_properties);
}

HRESULT MaildirMessage::current(MessageLocation& location) {
    const auto found = m_state->locate(m_key);
    if (!found)
        return m_state->fail(MAPI_E_OBJECT_DELETED, "Message '" + m_state->pathOf(m_location).string() +
                                                        "' is no longer in the store");
    location = *found;
    return S_OK;
}

HRESULT MaildirMessage::GetLastError(HRESULT result, std::uint32_t, std::optional<MapiError>& error) {
    return m_state->lastError(result, error);
}

HRESULT MaildirMessage::GetProps(const std::vector<PropTag>& tags, std::uint32_t,
                                 std::vector<PropValue>& values) {
    Row properties = m_properties;
    if (m_newSubject) {
        std::erase_if(properties, [](const PropValue& value) { return value.tag == PR_SUBJECT_A; });
        properties.push_back(PropValue::string(PR_SUBJECT_A, *m_newSubject));
    }
    return answerProps(properties, tags, values);
}

HRESULT MaildirMessage::SetProps(const std::vector<PropValue>& values, std::vector<PropProblem>* problems) {
    for (std::uint32_t i = 0; i < values.size(); ++i) {
        if (values[i].tag == PR_SUBJECT_A)
            m_newSubject = values[i].getString();
        else if (problems)
            problems->push_back({i, values[i].tag, MAPI_E_NO_ACCESS});
    }
    return S_OK;
}

HRESULT MaildirMessage::SaveChanges(std::uint32_t flags) {
    if (!m_newSubject)
        return S_OK;
    MessageLocation location;
    if (const HRESULT hr = current(location); failed(hr))
        return hr;
    HRESULT result = S_OK;
    try {
        saveSubject(location, (flags & FORCE_SAVE) != 0, result);
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
    return result;
}

// The subject is set on the file as it is now, so a forced save keeps what the other writer
// changed elsewhere in the message and only the subject is ours.
void MaildirMessage::saveSubject(const MessageLocation& location, bool force, HRESULT& result) {
    const std::filesystem::path path = m_state->pathOf(location);
    const MessageFileContent content = readMessageFile(path);
    const bool changedElsewhere = content.identity.device != m_identity.device ||
                                  content.identity.inode != m_identity.inode ||
                                  content.identity.size != m_identity.size ||
                                  content.identity.modifiedSeconds != m_identity.modifiedSeconds ||
                                  content.identity.modifiedNanoseconds != m_identity.modifiedNanoseconds;
    if (changedElsewhere && !force) {
        result = m_state->fail(MAPI_E_OBJECT_CHANGED,
                               "Message '" + path.string() + "' was changed since it was opened");
        return;
    }
    const std::string rewritten = mime::withSubject(content.bytes, *m_newSubject);
    const MaildirName name = MaildirName::parse(location.fileName);
    const std::string finalName = name.withSizesOf(rewritten).fileName();
    if (rewritten != content.bytes || finalName != location.fileName)
        rewriteMessageFile(path, m_state->tree().directory(location.folderKey), rewritten, content.identity,
                           finalName);
    MessageLocation saved = location;
    saved.fileName = finalName;
    m_state->remember(m_key, saved);
    m_newSubject.reset();
    refresh(saved, readMessageHeader(m_state->pathOf(saved)));
}

HRESULT MaildirMessage::OpenProperty(PropTag tag, Iid iid, std::uint32_t, std::uint32_t flags,
                                     std::shared_ptr<IStream>& stream) {
    if (iid != Iid::IStream)
        return m_state->fail(MAPI_E_INTERFACE_NOT_SUPPORTED, "Properties open only as streams");
    if (tag != PR_BODY_A)
        return MAPI_E_NOT_FOUND;
    try {
        std::shared_ptr<OpenedMessageFile> file = openWhereKnown();
        if (!file) {
            MessageLocation location;
            if (const HRESULT hr = current(location); failed(hr))
                return hr;
            file = std::make_shared<OpenedMessageFile>(m_state->pathOf(location));
        }
        if (flags & MAPI_DEFERRED_ERRORS) {
            stream = std::make_shared<PreparedBodyStream>(prepareBody(std::move(file)), m_state);
            return S_OK;
        }
        auto body = mime::plainTextBody(file->read());
        if (!body)
            return MAPI_E_NOT_FOUND;
        stream = std::make_shared<BodyStream>(std::move(*body));
        return S_OK;
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
}

// The file at the place the index knows, opened without looking for it first; nothing when it is
// not there (renamed or moved by another tool, or replaced by something that is no message file).
std::shared_ptr<OpenedMessageFile> MaildirMessage::openWhereKnown() {
    const auto known = m_state->knownLocation(m_key);
    if (!known)
        return nullptr;
    try {
        return std::make_shared<OpenedMessageFile>(m_state->pathOf(*known));
    } catch (const std::system_error& error) {
        const int code = error.code().value();
        if (error.code().category() == std::generic_category() &&
            (code == ENOENT || code == ELOOP || code == EINVAL || code == EISDIR))
            return nullptr;
        throw;
    }
}

// The caller may open the bodies of the next messages before it reads this one, so reading and
// decoding run on a worker meanwhile. The file was opened here: a missing or unreadable file is
// still reported by OpenProperty, only an absent body shows as an empty one.
std::shared_ptr<PreparedBody> MaildirMessage::prepareBody(std::shared_ptr<OpenedMessageFile> file) {
    mime::initialiseLibraries(); // before any worker uses them
    auto body = std::make_shared<PreparedBody>(
        [file = std::move(file)] { return mime::plainTextBody(file->read()); });
    // Held weakly: a body nobody will read any more (the run ended) is not decoded.
    m_state->workers().post([weak = std::weak_ptr(body)] {
        if (const auto body = weak.lock())
            body->runIfUnclaimed();
    });
    return body;
}

HRESULT MaildirMessage::SetReadFlag(std::uint32_t flags) {
    if (flags & GENERATE_RECEIPT_ONLY)
        return S_OK;
    MessageLocation location;
    if (const HRESULT hr = current(location); failed(hr))
        return hr;
    const bool read = (flags & CLEAR_READ_FLAG) == 0;
    const MaildirName name = MaildirName::parse(location.fileName);
    // An unread message in new/ stays there; a read one always lives in cur/.
    if (name.hasFlag('S') == read && (location.subfolder == "cur" || !read))
        return S_OK;
    MessageLocation renamed{location.folderKey, "cur", name.withFlag('S', read).fileName()};
    try {
        platform::renameDurably(m_state->pathOf(location), m_state->pathOf(renamed));
    } catch (const std::exception& error) {
        return m_state->fail(error);
    }
    m_state->remember(m_key, renamed);
    m_location = renamed;
    for (auto& value : m_properties)
        if (value.tag == PR_MESSAGE_FLAGS)
            value = PropValue::integer(PR_MESSAGE_FLAGS,
                                       read ? (value.getLong() | static_cast<std::int32_t>(MSGFLAG_READ))
                                            : (value.getLong() & ~static_cast<std::int32_t>(MSGFLAG_READ)));
    return S_OK;
}

} // namespace mapi
