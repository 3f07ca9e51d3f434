#include "mapi/mbox/MboxListing.h"

#include "mapi/EntryIds.h"
#include "mapi/maildir/MessageProps.h"
#include "mapi/mbox/MboxFlags.h"
#include "mapi/mbox/MboxFormat.h"
#include "mapi/mime/HeaderBlock.h"
#include "mapi/mime/HeaderText.h"
#include "mapi/mime/MimeLibrary.h"

namespace mapi {
namespace {

// Messages whose header blocks one worker decodes in a go, and runs that may wait for decoding.
constexpr std::size_t kRun = 64;
constexpr std::size_t kMostWaiting = 16;

void putNumber(Binary& bytes, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The delivery time: the separator's date, else Date:, else the folder file's time.
std::int64_t deliverySeconds(std::string_view fromLine, const mime::HeaderBlock& block,
                             const FileIdentity& file) {
    if (const auto seconds = fromLineTime(fromLine))
        return *seconds;
    if (const mime::HeaderField* date = mime::findField(block, "Date"))
        if (const auto seconds = mime::parseDate(date->value))
            return *seconds;
    return file.modifiedSeconds;
}

} // namespace

Binary mboxMessageEntryId(const Binary& storeEntryId, const std::string& folderKey, const MboxRecord& record,
                          const FileIdentity& file) {
    Binary key{static_cast<std::uint8_t>(kMboxMessageTag)};
    putNumber(key, record.start);
    putNumber(key, record.contentEnd - record.content);
    putNumber(key, record.fingerprint);
    putNumber(key, file.inode);
    putNumber(key, file.size);
    putNumber(key, static_cast<std::uint64_t>(file.modifiedSeconds) * 1'000'000'000ull +
                       static_cast<std::uint64_t>(file.modifiedNanoseconds));
    key.insert(key.end(), folderKey.begin(), folderKey.end());
    return makeObjectEntryId(storeEntryId, key);
}

std::optional<Row> mboxMessageRow(std::string_view fromLine, std::string_view header,
                                  const MboxRecord& record, const FileIdentity& file, const Binary& entryId) {
    const mime::HeaderBlock block = mime::parseHeaderBlock(header);
    const MboxFlags flags = mboxFlags(block);
    if (flags.expunged)
        return std::nullopt;
    // The message's size and its arrival time stand where a Maildir file's status has them.
    const FileIdentity message{0, 0, record.contentEnd - record.content,
                               deliverySeconds(fromLine, block, file), 0};
    return messageProperties(header, message, flags.read, entryId);
}

MboxListing::MboxListing(platform::WorkerPool& workers, Binary storeEntryId, std::string folderKey,
                         FileIdentity file)
    : m_workers(workers), m_storeEntryId(std::move(storeEntryId)), m_folderKey(std::move(folderKey)),
      m_file(file) {
    mime::initialiseLibraries(); // before any worker uses them
}

void MboxListing::add(const MboxEntry& entry, std::string_view fromLine, std::string_view header) {
    m_filling.push_back({entry, std::string(fromLine), std::string(header)});
    if (m_filling.size() >= kRun)
        post();
}

void MboxListing::restart(const FileIdentity& file) {
    m_file = file;
    m_filling.clear();
    m_waiting.clear();
    m_listed.clear();
}

MboxListing::Listed MboxListing::finish() {
    post();
    while (!m_waiting.empty())
        collectOldest();
    return std::move(m_listed);
}

void MboxListing::post() {
    if (m_filling.empty())
        return;
    auto run = std::make_shared<Run>(
        [headers = std::move(m_filling), storeId = m_storeEntryId, key = m_folderKey, file = m_file] {
            Listed listed;
            for (const Header& header : headers) {
                auto row = mboxMessageRow(header.fromLine, header.header, header.entry.record, file,
                                          mboxMessageEntryId(storeId, key, header.entry.record, file));
                if (row)
                    listed.emplace_back(header.entry, std::make_shared<const Row>(std::move(*row)));
            }
            return listed;
        });
    m_filling.clear();
    // Held weakly: a run the listing dropped (it started again, or failed) is not done.
    m_workers.post([weak = std::weak_ptr(run)] {
        if (const auto run = weak.lock())
            run->runIfUnclaimed();
    });
    m_waiting.push_back(std::move(run));
    while (m_waiting.size() > kMostWaiting)
        collectOldest();
}

void MboxListing::collectOldest() {
    Listed& done = m_waiting.front()->get([this] { return m_workers.runNewest(); });
    for (auto& item : done)
        m_listed.push_back(std::move(item));
    m_waiting.pop_front();
}

} // namespace mapi
