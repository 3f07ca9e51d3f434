#include "mapi/imap/ImapState.h"

#include "mapi/EntryIds.h"
#include "mapi/HeaderProperties.h"
#include "mapi/maildir/MessageProps.h"
#include "mapi/mime/BodyText.h"
#include "mapi/mime/MimeLibrary.h"

#include <algorithm>
#include <cstdio>

namespace mapi {
namespace {

// Messages per listing command: one command per batch, and the answers of a batch in memory at once.
constexpr std::uint32_t kListingBatch = 2000;

std::string hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

std::optional<std::uint32_t> parseHex8(const std::string& text) {
    if (text.size() != 8 || text.find_first_not_of("0123456789abcdef") != std::string::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
}

} // namespace

ImapState::ImapState(StoreLocation location, ImapSession session)
    : m_location(std::move(location)), m_session(std::move(session)) {}

Binary ImapState::folderEntryId(const std::string& mailbox) const {
    return makeObjectEntryId(m_location.entryId, "F" + mailbox);
}

Binary ImapState::messageEntryId(const ImapMessageRef& message) const {
    return makeObjectEntryId(m_location.entryId,
                             "M" + hex8(message.uidValidity) + hex8(message.uid) + message.mailbox);
}

std::optional<ParsedImapId> ImapState::parseEntryId(const Binary& entryId) const {
    const auto key = objectKeyString(entryId, m_location.entryId);
    if (!key || key->empty())
        return std::nullopt;
    ParsedImapId parsed;
    if ((*key)[0] == 'F') {
        parsed.isFolder = true;
        parsed.mailbox = key->substr(1);
        return parsed.mailbox.empty() ? std::nullopt : std::optional(parsed);
    }
    if ((*key)[0] != 'M' || key->size() < 18)
        return std::nullopt;
    const auto validity = parseHex8(key->substr(1, 8));
    const auto uid = parseHex8(key->substr(9, 8));
    if (!validity || !uid || *uid == 0)
        return std::nullopt;
    parsed.message = ImapMessageRef{key->substr(17), *validity, *uid};
    parsed.mailbox = parsed.message.mailbox;
    return parsed;
}

const ImapFolderTree& ImapState::tree(bool refresh) {
    if (!m_tree || refresh)
        m_tree = ImapFolderTree(m_session.run([](ImapConnection& connection) { return connection.list(); }));
    return *m_tree;
}

void ImapState::selectFor(ImapConnection& connection, const ImapMessageRef& message) {
    if (connection.select(message.mailbox) != message.uidValidity)
        throw ImapError(MAPI_E_NOT_FOUND,
                        "The server has renumbered the messages of '" + message.mailbox +
                            "' (its UIDVALIDITY changed); the message is not known any more");
}

Row ImapState::rowOf(const ImapMessageRef& message, const ImapListedMessage& fetched) const {
    const MessageFacts facts{fileTimeFromUnix(fetched.internalDate, 0), fetched.size,
                             fetched.hasFlag("\\Seen"), kImapStoreSupportMask};
    return headerProperties(fetched.header, facts, messageEntryId(message));
}

SharedRows ImapState::listFolder(const std::string& mailbox) {
    m_listed.clear();
    m_listedMailbox.clear();
    SharedRows rows;
    const std::uint32_t validity = m_session.run([&](ImapConnection& connection) {
        rows.clear();
        m_listed.clear();
        const std::uint32_t selected = connection.select(mailbox);
        const std::uint32_t count = connection.messageCount();
        rows.reserve(count);
        for (std::uint32_t first = 1; first <= count; first += kListingBatch) {
            // The last batch ends at "*", so a message that arrived meanwhile is listed too.
            const std::uint32_t last =
                std::uint64_t(first) + kListingBatch > count ? 0 : first + kListingBatch - 1;
            for (auto& fetched : connection.fetchListing(first, last)) {
                if (fetched.hasFlag("\\Deleted"))
                    continue;
                const ImapMessageRef message{mailbox, selected, fetched.uid};
                auto row = std::make_shared<const Row>(rowOf(message, fetched));
                rows.push_back(row);
                m_listed[fetched.uid] =
                    ImapListedRow{std::move(row), std::move(fetched.flags), fetched.internalDate};
            }
        }
        return selected;
    });
    m_listedMailbox = mailbox;
    m_listedValidity = validity;
    return rows;
}

std::optional<ImapListedRow> ImapState::takeListed(const ImapMessageRef& message) {
    if (message.mailbox != m_listedMailbox || message.uidValidity != m_listedValidity)
        return std::nullopt;
    const auto found = m_listed.find(message.uid);
    if (found == m_listed.end())
        return std::nullopt;
    ImapListedRow listed = std::move(found->second);
    m_listed.erase(found);
    return listed;
}

ImapListedRow ImapState::fetchRow(const ImapMessageRef& message) {
    return m_session.run([&](ImapConnection& connection) {
        selectFor(connection, message);
        auto fetched = connection.fetchListingByUid(message.uid);
        if (!fetched || fetched->hasFlag("\\Deleted"))
            throw ImapError(MAPI_E_NOT_FOUND, "No message " + std::to_string(message.uid) + " in '" +
                                                  message.mailbox + "' on the server");
        return ImapListedRow{std::make_shared<const Row>(rowOf(message, *fetched)), std::move(fetched->flags),
                             fetched->internalDate};
    });
}

std::shared_ptr<ImapRawMessage> ImapState::queueMessage(const ImapMessageRef& message) {
    auto raw = std::make_shared<ImapRawMessage>();
    m_queue.push_back({message, raw});
    return raw;
}

// Fetches the body of `message` together with every other body still wanted from its mailbox,
// so a run that opens the next messages ahead pays one round trip for all of them.
void ImapState::fetchQueued(const ImapMessageRef& message) {
    std::vector<std::pair<ImapMessageRef, std::shared_ptr<ImapRawMessage>>> wanted;
    std::deque<Queued> others;
    for (auto& queued : m_queue) {
        auto raw = queued.raw.lock();
        if (!raw || raw->fetched)
            continue;
        if (queued.message.mailbox == message.mailbox && queued.message.uidValidity == message.uidValidity)
            wanted.emplace_back(queued.message, std::move(raw));
        else
            others.push_back(std::move(queued));
    }
    m_queue = std::move(others);
    if (wanted.empty())
        return;
    std::vector<std::uint32_t> uids;
    for (const auto& [ref, raw] : wanted)
        uids.push_back(ref.uid);
    auto fetched = m_session.run([&](ImapConnection& connection) {
        selectFor(connection, message);
        return connection.fetchMessages(uids);
    });
    std::unordered_map<std::uint32_t, std::string*> byUid;
    for (auto& [uid, bytes] : fetched)
        byUid[uid] = &bytes;
    mime::initialiseLibraries(); // before any worker uses them
    for (auto& [ref, raw] : wanted) {
        raw->fetched = true;
        const auto found = byUid.find(ref.uid);
        if (found == byUid.end())
            continue;
        raw->text = std::make_shared<ImapBodyText>(
            [bytes = std::move(*found->second)] { return mime::plainTextBody(bytes); });
        // Held weakly: a body nobody will read any more (the run ended) is not decoded.
        workers().post([weak = std::weak_ptr(raw->text)] {
            if (const auto text = weak.lock())
                text->runIfUnclaimed();
        });
    }
}

platform::WorkerPool& ImapState::workers() {
    if (!m_workers)
        m_workers = std::make_unique<platform::WorkerPool>(platform::WorkerPool::defaultThreads());
    return *m_workers;
}

HRESULT ImapState::fail(HRESULT code, std::string text) {
    m_lastCode = code;
    m_lastText = std::move(text);
    return code;
}

HRESULT ImapState::fail(const std::exception& error) {
    if (const auto* imap = dynamic_cast<const ImapError*>(&error))
        return fail(imap->code(), imap->what());
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return fail(MAPI_E_NOT_ENOUGH_MEMORY, "Out of memory");
    return fail(MAPI_E_CALL_FAILED, error.what());
}

HRESULT ImapState::lastError(HRESULT result, std::optional<MapiError>& error) const {
    error.reset();
    if (result == m_lastCode && !m_lastText.empty())
        error = MapiError{m_lastText, "Larkspire IMAP store"};
    return S_OK;
}

HRESULT answerImapProps(const Row& properties, const std::vector<PropTag>& tags,
                        std::vector<PropValue>& values) {
    values.clear();
    if (tags.empty()) {
        values = properties;
        return S_OK;
    }
    bool missing = false;
    for (const PropTag tag : tags) {
        if (const PropValue* value = findProp(properties, tag)) {
            values.push_back(*value);
        } else {
            values.push_back(PropValue::error(tag, MAPI_E_NOT_FOUND));
            missing = true;
        }
    }
    return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
}

} // namespace mapi
