#include "mailstore/TEmailMessage.h"

#include "mailstore/MapiBuffers.h"
#include "mailstore/MapiErrors.h"
#include "mailstore/MapiException.h"
#include "mailstore/TMapiSession.h"
#include "mapi/Helpers.h"
#include "platform/DateTime.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace mailstore {
namespace {

constexpr std::uint32_t kReadChunk = 4095;

template <class T> const T* valueOf(const mapi::Row& row, std::size_t index, mapi::PropTag tag) {
    if (index >= row.size() || row[index].tag != tag)
        return nullptr;
    return std::get_if<T>(&row[index].value);
}

} // namespace

TEmailMessage::TEmailMessage(MessageServices services)
    : m_listing(std::make_shared<const Listing>(Listing{std::move(services)})) {}

TEmailMessage::TEmailMessage(std::shared_ptr<const Listing> listing) : m_listing(std::move(listing)) {}

std::shared_ptr<const TEmailMessage::Listing> TEmailMessage::listing(MessageServices services,
                                                                     TMapiUserFolder& folder) {
    return std::make_shared<const Listing>(
        Listing{std::move(services), &folder, &folder, folder.store()->entryId().toBinary()});
}

void TEmailMessage::setFolder(TMapiUserFolder* folder) {
    if (m_listing->folder == folder)
        return;
    Listing changed = *m_listing;
    changed.folder = folder;
    m_listing = std::make_shared<const Listing>(std::move(changed));
}

std::string_view TEmailMessage::text(TextField field) const {
    const std::uint32_t begin = field == 0 ? 0 : m_textEnd[field - 1];
    return {m_text.get() + begin, m_textEnd[field] - begin};
}

void TEmailMessage::setText(TextField field, std::string_view value) {
    Texts texts = currentTexts();
    texts[field] = value;
    storeTexts(texts);
}

TEmailMessage::Texts TEmailMessage::currentTexts() const {
    Texts texts;
    for (int i = 0; i < TextFields; ++i)
        texts[i] = text(static_cast<TextField>(i));
    return texts;
}

// The texts may point into the buffer they replace: it goes only once they are copied.
void TEmailMessage::storeTexts(const Texts& texts) {
    std::size_t total = 0;
    for (const std::string_view t : texts)
        total += t.size();
    auto buffer = std::make_unique_for_overwrite<char[]>(total);
    std::uint32_t end = 0;
    for (int i = 0; i < TextFields; ++i) {
        std::copy(texts[i].begin(), texts[i].end(), buffer.get() + end);
        end += static_cast<std::uint32_t>(texts[i].size());
        m_textEnd[i] = end;
    }
    m_text = std::move(buffer);
}

TEmailMessage::Opened& TEmailMessage::opened() const {
    if (!m_opened)
        m_opened = std::make_unique<Opened>();
    return *m_opened;
}

TMapiUserFolder* TEmailMessage::entryIdFolder() const {
    if (!m_hasEntryId)
        return nullptr;
    Opened& state = opened();
    if (!state.entryIdFolder) {
        const std::string_view kept = text(EntryIdBytes);
        mapi::Binary bytes = m_entryIdAfterPrefix ? m_listing->entryIdPrefix : mapi::Binary();
        bytes.insert(bytes.end(), kept.begin(), kept.end());
        state.entryIdFolder = std::make_unique<TMapiUserFolder>(bytes, m_listing->listedFolder->store());
    }
    return state.entryIdFolder.get();
}

mapi::Binary TEmailMessage::entryIdBytes() const {
    const TMapiUserFolder* folder = entryIdFolder();
    return folder ? folder->entryId().toBinary() : EntryId().toBinary();
}

const std::vector<mapi::PropTag>& TEmailMessage::listingColumns() {
    static const std::vector<mapi::PropTag> columns{mapi::PR_HASATTACH,     mapi::PR_STORE_SUPPORT_MASK,
                                                    mapi::PR_DISPLAY_TO_A,  mapi::PR_SENDER_EMAIL_ADDRESS_A,
                                                    mapi::PR_MESSAGE_FLAGS, mapi::PR_SUBJECT_A,
                                                    mapi::PR_MESSAGE_SIZE,  mapi::PR_MESSAGE_DELIVERY_TIME,
                                                    mapi::PR_ENTRYID};
    return columns;
}

void TEmailMessage::fillFromRow(const mapi::Row& row, TMapiUserFolder& listedFolder) {
    const auto& columns = listingColumns();
    if (const auto* value = valueOf<bool>(row, 0, columns[0]))
        m_hasAttachment = *value;
    if (const auto* value = valueOf<std::int32_t>(row, 1, columns[1]))
        m_storeSupportMask = static_cast<std::uint32_t>(*value);
    if (const auto* value = valueOf<std::int32_t>(row, 4, columns[4]))
        m_messageFlags = static_cast<std::uint32_t>(*value);
    if (const auto* value = valueOf<std::int32_t>(row, 6, columns[6]))
        m_size = *value;
    if (const auto* value = valueOf<mapi::FileTime>(row, 7, columns[7]))
        setReceivedTime(platform::fileTimeToLocalDateTime(value->ticks));
    // The texts are gathered first so the buffer is made once.
    // The recipients and the sender are not kept: they are read from the opened message.
    Texts texts = currentTexts();
    if (const auto* value = valueOf<std::string>(row, 5, columns[5]))
        texts[Subject] = *value;
    if (const auto* value = valueOf<mapi::Binary>(row, 8, columns[8])) {
        if (m_listing->listedFolder != &listedFolder) {
            Listing changed = *m_listing;
            changed.listedFolder = &listedFolder;
            changed.entryIdPrefix = listedFolder.store()->entryId().toBinary();
            m_listing = std::make_shared<const Listing>(std::move(changed));
        }
        const mapi::Binary& prefix = m_listing->entryIdPrefix;
        m_entryIdAfterPrefix =
            value->size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), value->begin());
        const std::size_t skip = m_entryIdAfterPrefix ? prefix.size() : 0;
        texts[EntryIdBytes] = {reinterpret_cast<const char*>(value->data()) + skip, value->size() - skip};
        m_hasEntryId = true;
        if (m_opened)
            m_opened->entryIdFolder.reset();
    }
    storeTexts(texts);
}

DetailsSource TEmailMessage::details() const {
    return m_listing->folder ? m_listing->folder->store()->details() : DetailsSource();
}

mapi::IMapi* TEmailMessage::mapi() const {
    return m_listing->folder ? m_listing->folder->store()->mapi() : nullptr;
}

std::shared_ptr<mapi::IMessage> TEmailMessage::OpenMessage() {
    if (m_opened && m_opened->message)
        return m_opened->message;
    // A message without a folder has no store to be opened in.
    if (!m_listing->folder)
        CheckMapiResult(DetailsSource(), "360", mapi::MAPI_E_INVALID_PARAMETER);
    const auto store = m_listing->folder->store()->OpenStore();
    const mapi::Binary entryId = entryIdBytes();
    std::uint32_t objectType = 0;
    std::shared_ptr<mapi::IMAPIProp> object;
    CheckMapiResult(
        details(), "360",
        store->OpenEntry(entryId, mapi::Iid::IMessage, mapi::MAPI_BEST_ACCESS, objectType, object));
    auto message = std::dynamic_pointer_cast<mapi::IMessage>(object);
    if (!message)
        CheckMapiResult(details(), "360", mapi::MAPI_E_INTERFACE_NOT_SUPPORTED);
    opened().message = std::move(message);
    return m_opened->message;
}

std::string TEmailMessage::ReadStringProperty(mapi::PropTag tag, const std::string& name) {
    ScopedBuffer tags(mapi());
    CheckMapiResult(details(), name + " 170.1", tags.allocate(tagArraySize(1)));
    const auto message = OpenMessage();
    std::vector<mapi::PropValue> values;
    CheckMapiResult(details(), name + " 170.2", message->GetProps({tag}, 0, values));
    if (values.empty())
        return "Error";
    const auto* text = values.front().tag == tag ? std::get_if<std::string>(&values.front().value) : nullptr;
    return text ? *text : std::string();
}

std::string_view TEmailMessage::senderAddress() {
    return openedText(SenderAddress, &Opened::senderAddress, mapi::PR_SENDER_EMAIL_ADDRESS_A, "From");
}

std::string_view TEmailMessage::displayTo() {
    return openedText(DisplayTo, &Opened::displayTo, mapi::PR_DISPLAY_TO_A, "To");
}

// A text that was set is kept with the listed fields; a listed message's is read once from the
// opened message.
std::string_view TEmailMessage::openedText(TextField field, std::optional<std::string> Opened::*kept,
                                           mapi::PropTag tag, const std::string& name) {
    if (!m_listing->folder || !text(field).empty())
        return text(field);
    std::optional<std::string>& value = opened().*kept;
    if (!value)
        value = ReadStringProperty(tag, name);
    return *value;
}

std::string TEmailMessage::CC() {
    if (opened().cc.empty())
        opened().cc = ReadStringProperty(mapi::PR_DISPLAY_CC_A, "CC");
    return opened().cc;
}

std::string TEmailMessage::BCC() {
    if (opened().bcc.empty())
        opened().bcc = ReadStringProperty(mapi::PR_DISPLAY_BCC_A, "BCC");
    return opened().bcc;
}

bool TEmailMessage::RtfInSync() {
    const auto message = OpenMessage();
    std::vector<mapi::PropValue> values;
    CheckMapiResult(details(), "185", message->GetProps({mapi::PR_RTF_IN_SYNC}, 0, values));
    if (values.empty() || values.front().tag != mapi::PR_RTF_IN_SYNC)
        return false;
    const auto* inSync = std::get_if<bool>(&values.front().value);
    return inSync && *inSync;
}

std::string TEmailMessage::ReadTextProperty(mapi::PropTag tag, const std::string& label) {
    return readTextStream(openTextProperty(tag, label), label);
}

std::shared_ptr<mapi::IStream> TEmailMessage::openTextProperty(mapi::PropTag tag, const std::string& label) {
    const auto message = OpenMessage();
    std::shared_ptr<mapi::IStream> stream;
    const mapi::HRESULT opened =
        message->OpenProperty(tag, mapi::Iid::IStream, 0, mapi::MAPI_DEFERRED_ERRORS, stream);
    if (opened == mapi::MAPI_E_NOT_FOUND)
        return nullptr;
    CheckMapiResult(details(), label + "190.2", opened);
    return stream;
}

std::string TEmailMessage::readTextStream(const std::shared_ptr<mapi::IStream>& stream,
                                          const std::string& label) {
    std::string result;
    if (!stream)
        return result;

    if (!(m_storeSupportMask & mapi::STORE_RTF_OK) && !RtfInSync()) {
        bool updated = false;
        // Brings the plain text in line with an RTF body; nothing to report either way.
        if (auto* subsystem = mapi())
            subsystem->RTFSync(*OpenMessage(), mapi::RTF_SYNC_BODY_CHANGED, updated);
    }

    const TMapiSession* session = m_listing->folder->store()->session();
    const MessageBoxHook noBox;
    const MessageBoxHook& messageBox = session ? session->messageBox() : noBox;
    std::array<char, kReadChunk + 1> buffer{};
    for (bool first = true;; first = false) {
        std::uint32_t read = 0;
        const mapi::HRESULT hr = stream->Read(buffer.data(), kReadChunk, read);
        const std::string context = label + (first ? "190" : "200");
        CheckStreamResult(messageBox, context, hr);
        // A body cut short must not be saved as if it were whole: the message would then be
        // moved or tagged with part of its text lost.
        if (mapi::failed(hr))
            RaiseStreamError(details(), context, hr);
        result.append(buffer.data(), std::min(read, kReadChunk));
        if (read == 0)
            break;
    }
    return result;
}

void TEmailMessage::PrepareBody() {
    auto& prepared = opened().preparedBody;
    prepared = Opened::PreparedBody{};
    try {
        prepared->stream = openTextProperty(mapi::PR_BODY_A, "PlainText");
    } catch (...) {
        prepared->error = std::current_exception();
    }
}

std::string TEmailMessage::Body() {
    if (!m_opened || !m_opened->preparedBody)
        return ReadTextProperty(mapi::PR_BODY_A, "PlainText");
    Opened::PreparedBody prepared = std::move(*m_opened->preparedBody);
    m_opened->preparedBody.reset();
    if (prepared.error)
        std::rethrow_exception(prepared.error);
    return readTextStream(prepared.stream, "PlainText");
}

std::string TEmailMessage::TokenValue(const std::string& token) {
    try {
        return tokenValue(m_listing->services.locale->upperCase(token), token);
    } catch (const std::exception&) {
        return "Error";
    }
}

std::string TEmailMessage::tokenValue(const std::string& upperName, const std::string& name) {
    if (upperName == "SUBJECT")
        return std::string(subject());
    if (upperName == "NOW") {
        const auto today = platform::partsFromDateTime(m_listing->services.now());
        char text[16];
        std::snprintf(text, sizeof text, "%04d%02d%02d", today.year, today.month, today.day);
        return text;
    }
    if (upperName == "FROM")
        return std::string(senderAddress());
    if (upperName == "SENT") {
        const double time = receivedTimeValue();
        const platform::Locale& locale = *m_listing->services.locale;
        std::string text = platform::formatDateTime(locale, locale.shortDateFormat(), time);
        const auto parts = platform::partsFromDateTime(time);
        if (parts.hour != 0 || parts.minute != 0 || parts.second != 0 || parts.millisecond != 0)
            text += " " + platform::formatDateTime(locale, locale.longTimeFormat(), time);
        return text;
    }
    if (upperName == "TO")
        return std::string(displayTo());
    if (upperName == "CC")
        return CC();
    if (upperName == "BCC")
        return BCC();
    return "%" + name;
}

void TEmailMessage::ChangeSubject(const std::string& subject) {
    const auto message = OpenMessage();
    ScopedBuffer buffer(mapi());
    if (mapi::failed(buffer.allocate(subject.size() + 1)))
        return;
    std::vector<mapi::PropProblem> problems;
    CheckMapiResult(details(), "230.5",
                    message->SetProps({mapi::PropValue::string(mapi::PR_SUBJECT_A, subject)}, &problems));
    if (!problems.empty())
        freeBuffer(mapi());
    SaveMessage("231");
}

void TEmailMessage::SaveMessage(const std::string& context) {
    const auto message = OpenMessage();
    const mapi::HRESULT hr = message->SaveChanges(mapi::KEEP_OPEN_READWRITE);
    if (hr == mapi::MAPI_E_OBJECT_CHANGED) {
        CheckMapiResult(details(), context + "-352", message->SaveChanges(mapi::FORCE_SAVE));
        // The forced save leaves the opened copy behind the store; the next use opens it anew.
        m_opened->message.reset();
        return;
    }
    CheckMapiResult(details(), context + "-351", hr);
}

void TEmailMessage::MarkRead() {
    const auto message = OpenMessage();
    std::optional<mapi::PropValue> flags;
    CheckMapiResult(details(), "240", mapi::HrGetOneProp(*message, mapi::PR_MESSAGE_FLAGS, flags));
    if (!flags)
        return;
    const auto* value = std::get_if<std::int32_t>(&flags->value);
    if (!value || !(static_cast<std::uint32_t>(*value) & mapi::MSGFLAG_READ))
        CheckMapiResult(details(), "250", message->SetReadFlag(mapi::SUPPRESS_RECEIPT));
    CheckMapiResult(details(), "250.1", freeBuffer(mapi()));
}

void TEmailMessage::ShowInClient(TMapiSession& session) {
    if (!m_listing->folder)
        throw MapiException("261: Folder is nil");
    const auto message = OpenMessage();
    const std::vector<mapi::PropTag> tags{mapi::PR_MESSAGE_STATUS, mapi::PR_MESSAGE_FLAGS, mapi::PR_ACCESS,
                                          mapi::PR_MESSAGE_CLASS_A};
    std::vector<mapi::PropValue> values;
    CheckMapiResult(details(), "260", message->GetProps(tags, 0, values));
    const auto store = m_listing->folder->store()->OpenStore();
    const auto folder = m_listing->folder->OpenFolder(store);
    const auto mapiSession = session.GetSession();
    std::uint32_t token = 0;
    CheckMapiResult(details(), "280", mapiSession->PrepareForm(mapi::Iid::IMessage, *message, token));
    if (values.empty())
        return;
    auto number = [&](std::size_t index) -> std::uint32_t {
        const auto* value = valueOf<std::int32_t>(values, index, tags[index]);
        return value ? static_cast<std::uint32_t>(*value) : 0;
    };
    const auto* messageClass = valueOf<std::string>(values, 3, tags[3]);
    const mapi::HRESULT shown =
        mapiSession->ShowForm(session.parentWindow(), *store, *folder, mapi::Iid::IMessage, token, nullptr, 1,
                              number(0), number(1), number(2), messageClass ? *messageClass : std::string());
    if (shown != mapi::MAPI_E_USER_CANCEL)
        CheckMapiResult(details(), "290", shown);
}

} // namespace mailstore
