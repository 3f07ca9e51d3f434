#include "mapi/mbox/MboxState.h"

#include "mapi/EntryIds.h"
#include "mapi/StoreErrors.h"
#include "mapi/mbox/MboxFlags.h"
#include "mapi/mbox/MboxFormat.h"
#include "mapi/mbox/MboxListing.h"
#include "mapi/mime/HeaderBlock.h"
#include "mapi/mime/SubjectRewrite.h"
#include "platform/DurableWrite.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace mapi {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kFolderTag = 'F';
constexpr std::size_t kIdNumbers = 6;
constexpr std::size_t kCopyChunk = 1 << 20;
// Changes wait at least this long for the ones after them, and at most this many.
constexpr std::chrono::seconds kShortestWait{2};
constexpr std::size_t kMostWaiting = 100'000;
// A scan that saw the file change under it is tried again this often.
constexpr int kScanAttempts = 3;

// A descriptor shared by the reads of one version of a folder file.
std::shared_ptr<const int> openReader(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        platform::throwFileError(errno, "Cannot open", path);
    return std::shared_ptr<const int>(new int(fd), [](const int* held) {
        ::close(*held);
        delete held;
    });
}

FileIdentity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

FileIdentity identityOf(int fd, const fs::path& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        platform::throwFileError(errno, "Cannot read", path);
    if (!S_ISREG(info.st_mode))
        platform::throwFileError(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, "Cannot read", path);
    return identityOf(info);
}

FileIdentity currentIdentity(const fs::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        platform::throwFileError(errno, "Cannot read", path);
    return identityOf(info);
}

std::uint64_t getNumber(const std::string& text, std::size_t at) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[at + i])) << (8 * i);
    return value;
}

std::uint64_t fileTimeNumber(const FileIdentity& file) {
    return static_cast<std::uint64_t>(file.modifiedSeconds) * 1'000'000'000ull +
           static_cast<std::uint64_t>(file.modifiedNanoseconds);
}

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.inode == b.inode && a.size == b.size && fileTimeNumber(a) == fileTimeNumber(b);
}

std::string separatorLine(std::string_view content) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char date[64];
    std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y", &utc);
    const mime::HeaderBlock block = mime::parseHeaderBlock(content);
    return std::string("From MAILER-DAEMON ") + date + (block.crlf ? "\r\n" : "\n");
}

std::string readRange(const fs::path& path, int fd, std::uint64_t from, std::uint64_t to) {
    std::string bytes(to - from, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got =
            ::pread(fd, bytes.data() + filled, bytes.size() - filled, static_cast<off_t>(from + filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            platform::throwFileError(errno, "Cannot read", path);
        if (got == 0)
            platform::throwFileError(EIO, "The mail file was cut short while it was read:", path);
        filled += static_cast<std::size_t>(got);
    }
    return bytes;
}

// The message's bytes with the change made to them; the bytes as they are now, so what others
// changed elsewhere in the message stays.
std::string changedContent(const fs::path& path, int fd, const MboxEntry& entry, const MboxChange& change) {
    std::string content = readRange(path, fd, entry.record.content, entry.record.contentEnd);
    if (change.subject)
        content = mime::withSubject(content, *change.subject);
    if (change.read)
        content = withReadFlag(content, *change.read);
    return content;
}

// The line ends a file needs before a record is added at its end: a separator follows an empty line.
std::string_view separationAfter(std::string_view tail) {
    if (tail.empty() || tail.ends_with("\n\n") || tail.ends_with("\n\r\n"))
        return "";
    return tail.ends_with("\n") ? "\n" : "\n\n";
}

// The copy a rewrite writes: buffered, handed to the durable writer in large pieces.
class RewriteOutput {
public:
    explicit RewriteOutput(platform::DurableFileWriter& writer) : m_writer(writer) {}
    void add(std::string_view bytes) {
        m_pending.append(bytes);
        m_written += bytes.size();
        m_tail = (m_tail + std::string(bytes.substr(bytes.size() < 3 ? 0 : bytes.size() - 3)));
        m_tail.erase(0, m_tail.size() < 3 ? 0 : m_tail.size() - 3);
        if (m_pending.size() >= kCopyChunk)
            flush();
    }
    void flush() {
        if (!m_pending.empty())
            m_writer.write(m_pending);
        m_pending.clear();
    }
    std::uint64_t written() const { return m_written; }
    // The last bytes written, enough to tell whether the text ends in an empty line.
    const std::string& tail() const { return m_tail; }

private:
    platform::DurableFileWriter& m_writer;
    std::string m_pending;
    std::string m_tail;
    std::uint64_t m_written = 0;
};

} // namespace

MboxState::MboxState(StoreLocation location, fs::path root, MboxLockTimes lockTimes)
    : m_location(std::move(location)), m_tree(std::move(root)), m_lockTimes(lockTimes) {}

MboxState::~MboxState() {
    try {
        writeChanges();
    } catch (const std::exception&) {
        // Nobody is left to tell: the messages stay as they were for the next run.
    }
}

Binary MboxState::folderEntryId(const std::string& folderKey) const {
    return makeObjectEntryId(m_location.entryId, std::string(1, kFolderTag) + folderKey);
}

std::optional<ParsedMboxEntryId> MboxState::parseEntryId(const Binary& entryId) const {
    const auto key = objectKeyString(entryId, m_location.entryId);
    if (!key || key->empty() ||
        key->find('\0', 1 + (key->front() == kMboxMessageTag ? 8 * kIdNumbers : 0)) != std::string::npos)
        return std::nullopt;
    if (key->front() == kFolderTag)
        return ParsedMboxEntryId{true, key->substr(1), {}, {}};
    if (key->front() != kMboxMessageTag || key->size() < 1 + 8 * kIdNumbers)
        return std::nullopt;
    ParsedMboxEntryId id;
    id.listed.start = getNumber(*key, 1);
    const std::uint64_t length = getNumber(*key, 9);
    id.listed.fingerprint = getNumber(*key, 17);
    id.listedFile.inode = getNumber(*key, 25);
    id.listedFile.size = getNumber(*key, 33);
    const std::uint64_t time = getNumber(*key, 41);
    id.listedFile.modifiedSeconds = static_cast<std::int64_t>(time / 1'000'000'000ull);
    id.listedFile.modifiedNanoseconds = static_cast<std::int64_t>(time % 1'000'000'000ull);
    id.listed.contentEnd = length;
    id.folderKey = key->substr(1 + 8 * kIdNumbers);
    return id;
}

MboxState::FolderFile& MboxState::folderFile(const std::string& folderKey) {
    FolderFile& folder = m_folders[folderKey];
    if (folder.path.empty())
        folder.path = m_tree.file(folderKey);
    return folder;
}

void MboxState::rescan(FolderFile& folder, int fd, const ScanSink* sink) {
    // Messages found again by fingerprint, in order, keep their uid; a duplicate matches the
    // duplicate in the same place among its equals.
    std::unordered_map<std::uint64_t, std::deque<const MboxEntry*>> previous;
    for (const MboxEntry& entry : folder.entries)
        previous[entry.record.fingerprint].push_back(&entry);
    std::vector<MboxEntry> entries;
    FileIdentity scanned;
    for (int attempt = 1;; ++attempt) {
        entries.clear();
        if (sink && attempt > 1)
            sink->restart();
        const FileIdentity before = identityOf(fd, folder.path);
        auto unmatched = previous;
        const std::uint64_t read =
            scanMbox(fd, folder.path,
                     [&](const MboxRecord& record, std::string_view fromLine, std::string_view header) {
                         MboxEntry entry{record, 0, 0};
                         auto& same = unmatched[record.fingerprint];
                         if (!same.empty()) {
                             entry.uid = same.front()->uid;
                             entry.revision = same.front()->revision +
                                              (same.front()->record.headerHash != record.headerHash ? 1 : 0);
                             same.pop_front();
                         } else {
                             entry.uid = m_nextUid++;
                         }
                         entries.push_back(entry);
                         if (sink)
                             sink->message(entry, fromLine, header);
                     });
        scanned = identityOf(fd, folder.path);
        if ((sameFile(before, scanned) && read == scanned.size) || attempt == kScanAttempts)
            break;
    }
    folder.entries = std::move(entries);
    folder.identity = scanned;
    folder.scanned = true;
    folder.byUid.clear();
    for (std::size_t i = 0; i < folder.entries.size(); ++i)
        folder.byUid[folder.entries[i].uid] = i;
    // Changes of messages that left the file go with them; so do rows of changed messages.
    std::erase_if(folder.changes,
                  [&folder](const auto& change) { return !folder.byUid.count(change.first); });
    std::erase_if(folder.listed, [this, &folder](const auto& listed) {
        const MboxEntry* entry = entryOf(folder, listed.first);
        return !entry || entry->revision != listed.second.revision;
    });
}

void MboxState::ensureCurrent(FolderFile& folder) {
    if (folder.scanned && folder.reader && sameFile(currentIdentity(folder.path), folder.identity))
        return;
    auto reader = openReader(folder.path);
    rescan(folder, *reader);
    folder.reader = std::move(reader);
}

const MboxEntry* MboxState::entryOf(const FolderFile& folder, std::uint32_t uid) const {
    const auto found = folder.byUid.find(uid);
    return found == folder.byUid.end() ? nullptr : &folder.entries[found->second];
}

SharedRows MboxState::listFolder(const std::string& folderKey) {
    if (!m_tree.holdsMessages(folderKey))
        return {};
    writeChanges(folderKey);
    FolderFile& folder = folderFile(folderKey);
    auto reader = openReader(folder.path);
    const int fd = *reader;
    FileIdentity listedFile = identityOf(fd, folder.path);
    MboxListing listing(workers(), m_location.entryId, folderKey, listedFile);
    const ScanSink sink{[&] {
                            listedFile = identityOf(fd, folder.path);
                            listing.restart(listedFile);
                        },
                        [&listing](const MboxEntry& entry, std::string_view fromLine,
                                   std::string_view header) { listing.add(entry, fromLine, header); }};
    rescan(folder, fd, &sink);
    const MboxListing::Listed listed = listing.finish();
    folder.reader = std::move(reader);
    folder.listedFile = listedFile;
    folder.listedPlaces.clear();
    folder.listed.clear();
    SharedRows rows;
    rows.reserve(listed.size());
    for (const auto& [entry, row] : listed) {
        folder.listedPlaces[entry.record.start] = entry.uid;
        folder.listed[entry.uid] = Listed{row, entry.revision};
        rows.push_back(row);
    }
    return rows;
}

std::optional<MboxMessageRef> MboxState::find(const ParsedMboxEntryId& id) {
    if (id.isFolder || !m_tree.holdsMessages(id.folderKey))
        return std::nullopt;
    FolderFile& folder = folderFile(id.folderKey);
    ensureCurrent(folder);
    if (sameFile(id.listedFile, folder.listedFile)) {
        const auto place = folder.listedPlaces.find(id.listed.start);
        if (place != folder.listedPlaces.end())
            if (const MboxEntry* entry = entryOf(folder, place->second);
                entry && entry->record.fingerprint == id.listed.fingerprint)
                return MboxMessageRef{id.folderKey, entry->uid};
    }
    // The file was rewritten since: the same fingerprint, the same length first, then the nearest place.
    const MboxEntry* best = nullptr;
    const auto distance = [&id](const MboxEntry& entry) {
        const std::uint64_t length = entry.record.contentEnd - entry.record.content;
        const std::uint64_t apart = entry.record.start > id.listed.start
                                        ? entry.record.start - id.listed.start
                                        : id.listed.start - entry.record.start;
        return std::make_pair(length == id.listed.contentEnd ? 0 : 1, apart);
    };
    for (const MboxEntry& entry : folder.entries)
        if (entry.record.fingerprint == id.listed.fingerprint && (!best || distance(entry) < distance(*best)))
            best = &entry;
    if (!best)
        return std::nullopt;
    return MboxMessageRef{id.folderKey, best->uid};
}

std::optional<MboxEntry> MboxState::current(const MboxMessageRef& message) {
    FolderFile& folder = folderFile(message.folderKey);
    ensureCurrent(folder);
    const MboxEntry* entry = entryOf(folder, message.uid);
    if (!entry)
        return std::nullopt;
    return *entry;
}

std::optional<Row> MboxState::takeListedRow(const MboxMessageRef& message) {
    FolderFile& folder = folderFile(message.folderKey);
    auto node = folder.listed.extract(message.uid);
    const MboxEntry* entry = entryOf(folder, message.uid);
    if (node.empty() || !entry || entry->revision != node.mapped().revision)
        return std::nullopt;
    return *node.mapped().row;
}

Row MboxState::readProperties(const MboxMessageRef& message) {
    FolderFile& folder = folderFile(message.folderKey);
    ensureCurrent(folder);
    const MboxEntry* entry = entryOf(folder, message.uid);
    if (!entry)
        platform::throwFileError(ENOENT, "The message is no longer in", folder.path);
    const std::string bytes =
        readRange(folder.path, *folder.reader, entry->record.start, entry->record.contentEnd);
    const std::size_t separator = entry->record.content - entry->record.start;
    std::string_view fromLine = std::string_view(bytes).substr(0, separator);
    while (!fromLine.empty() && (fromLine.back() == '\n' || fromLine.back() == '\r'))
        fromLine.remove_suffix(1);
    const std::string_view content = std::string_view(bytes).substr(separator);
    const Binary id =
        mboxMessageEntryId(m_location.entryId, message.folderKey, entry->record, folder.identity);
    if (auto row = mboxMessageRow(fromLine, content, entry->record, folder.identity, id))
        return std::move(*row);
    platform::throwFileError(ENOENT, "The message was deleted from", folder.path);
}

std::string MboxState::readContent(const MboxMessageRef& message) {
    FolderFile& folder = folderFile(message.folderKey);
    ensureCurrent(folder);
    const MboxEntry* entry = entryOf(folder, message.uid);
    if (!entry)
        platform::throwFileError(ENOENT, "The message is no longer in", folder.path);
    // The descriptor holds the version the entries describe, even if the name moved on since.
    return readRange(folder.path, *folder.reader, entry->record.content, entry->record.contentEnd);
}

void MboxState::change(const MboxMessageRef& message, const MboxChange& change) {
    FolderFile& folder = folderFile(message.folderKey);
    if (folder.changes.empty())
        folder.oldestChange = Clock::now();
    MboxChange& waiting = folder.changes[message.uid];
    if (change.subject)
        waiting.subject = change.subject;
    if (change.read)
        waiting.read = change.read;
    if (change.moveTo) {
        waiting.moveTo = change.moveTo;
        waiting.moveToKey = change.moveToKey;
    }
    if (due(folder))
        writeChanges(message.folderKey);
}

const MboxChange* MboxState::waiting(const MboxMessageRef& message) const {
    const auto folder = m_folders.find(message.folderKey);
    if (folder == m_folders.end())
        return nullptr;
    const auto found = folder->second.changes.find(message.uid);
    return found == folder->second.changes.end() ? nullptr : &found->second;
}

bool MboxState::due(const FolderFile& folder) const {
    return m_openMessages <= 1 || folder.changes.size() >= kMostWaiting ||
           Clock::now() - folder.oldestChange >= std::max<Clock::duration>(kShortestWait, 4 * m_lastRewrite);
}

void MboxState::messageReleased() noexcept {
    if (m_openMessages > 0 && --m_openMessages == 0) {
        try {
            writeChanges();
        } catch (const std::exception& error) {
            fail(error);
        }
    }
}

void MboxState::writeChanges() {
    std::exception_ptr first;
    for (auto& [key, folder] : m_folders) {
        if (folder.changes.empty())
            continue;
        try {
            writeChanges(key);
        } catch (const std::exception&) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

void MboxState::writeChanges(const std::string& folderKey) {
    FolderFile& folder = folderFile(folderKey);
    if (folder.changes.empty())
        return;
    try {
        rewrite(folder, {});
    } catch (...) {
        // The caller hears of the failure; the messages stay as they were for the next run,
        // and no later call waits for the same locks again.
        folder.changes.clear();
        throw;
    }
}

void MboxState::rewrite(FolderFile& folder, const std::vector<Arriving>& arriving) {
    const auto started = Clock::now();
    const MboxLock lock(folder.path, m_lockTimes);
    const int fd = lock.fd();
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        platform::throwFileError(errno, "Cannot read", folder.path);
    if (!folder.scanned || !sameFile(identityOf(info), folder.identity)) {
        rescan(folder, fd);
        folder.reader.reset();
    }
    // What this rewrite does to each message, and the moved messages for their folders. A folder
    // written as a destination leaves its own moves for its own rewrite: the folder they came
    // from is locked meanwhile.
    struct Destination {
        std::shared_ptr<MboxState> state;
        std::string key;
        std::vector<Arriving> messages;
    };
    std::map<std::pair<MboxState*, std::string>, Destination> destinations;
    std::unordered_map<std::uint32_t, bool> applied; // true: moved out
    for (const auto& [uid, change] : folder.changes) {
        if (change.moveTo && !arriving.empty())
            continue;
        applied[uid] = change.moveTo != nullptr;
        if (change.moveTo) {
            Destination& destination = destinations[{change.moveTo.get(), change.moveToKey}];
            destination.state = change.moveTo;
            destination.key = change.moveToKey;
            destination.messages.push_back({&folder.path, fd, *entryOf(folder, uid), change});
        }
    }
    // The moved messages are durable in their folders before they leave this one: a stop in
    // between leaves them in both, and moving them again finds them there.
    for (auto& [where, destination] : destinations)
        destination.state->rewrite(destination.state->folderFile(destination.key), destination.messages);

    const std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
    const auto recordOf = [](const Arriving& message) {
        std::string content = changedContent(*message.path, message.fd, message.entry, message.change);
        const MboxRecord& record = message.entry.record;
        return (record.content > record.start
                    ? readRange(*message.path, message.fd, record.start, record.content)
                    : separatorLine(content)) +
               content;
    };
    std::vector<const Arriving*> adding;
    for (const Arriving& message : arriving)
        if (!holds(folder, fd, recordOf(message)))
            adding.push_back(&message);
    if (applied.empty() && adding.empty())
        return;

    platform::DurableFileWriter writer(folder.path);
    // The new file is as private as the old one from its first byte.
    if (::chmod(writer.temporaryPath().c_str(), info.st_mode & 07777) != 0)
        platform::throwFileError(errno, "Cannot set the permissions of", writer.temporaryPath());
    RewriteOutput output(writer);
    const auto copy = [&](std::uint64_t from, std::uint64_t to) {
        for (std::uint64_t at = from; at < to; at += kCopyChunk)
            output.add(readRange(folder.path, fd, at, std::min<std::uint64_t>(to, at + kCopyChunk)));
    };
    std::vector<MboxEntry> entries;
    entries.reserve(folder.entries.size());
    std::uint64_t copied = 0;
    for (const MboxEntry& entry : folder.entries) {
        copy(copied, entry.record.start);
        copied = entry.record.end;
        const auto done = applied.find(entry.uid);
        if (done != applied.end() && done->second)
            continue;
        MboxEntry kept = entry;
        kept.record.start = output.written();
        copy(entry.record.start, entry.record.content);
        kept.record.content = output.written();
        if (done != applied.end()) {
            const std::string content = changedContent(folder.path, fd, entry, folder.changes.at(entry.uid));
            output.add(content);
            kept.record.headerHash = recordHeaderHash(content);
        } else {
            copy(entry.record.content, entry.record.contentEnd);
        }
        kept.record.contentEnd = output.written();
        copy(entry.record.contentEnd, entry.record.end);
        kept.record.end = output.written();
        entries.push_back(kept);
    }
    copy(copied, size);
    if (!adding.empty()) {
        output.add(separationAfter(output.tail()));
        for (const Arriving* message : adding) {
            const std::string record = recordOf(*message);
            output.add(record);
            output.add(record.ends_with('\n') ? "\n" : "\n\n");
        }
    }
    output.flush();
    // Other programs see the new file as soon as the locks are released, and the entries below
    // describe it: a run's batch of changes must not hold its rename back.
    writer.commitNow();

    folder.entries = std::move(entries);
    folder.byUid.clear();
    for (std::size_t i = 0; i < folder.entries.size(); ++i)
        folder.byUid[folder.entries[i].uid] = i;
    for (const auto& [uid, movedOut] : applied) {
        folder.listed.erase(uid);
        folder.changes.erase(uid);
    }
    // Added messages get their entries from the next scan, which finds the others again; else
    // the file under the name is ours (the locks are still held) and the entries describe it.
    folder.reader.reset();
    folder.identity = FileIdentity{};
    if (adding.empty()) {
        folder.reader = openReader(folder.path);
        folder.identity = identityOf(*folder.reader, folder.path);
    }
    ++m_rewrites;
    m_lastRewrite = Clock::now() - started;
}

bool MboxState::holds(const FolderFile& folder, int fd, std::string_view record) const {
    const std::size_t lineEnd = record.find('\n');
    std::string_view fromLine = record.substr(0, lineEnd);
    if (fromLine.ends_with('\r'))
        fromLine.remove_suffix(1);
    const std::string_view content =
        lineEnd == std::string_view::npos ? std::string_view() : record.substr(lineEnd + 1);
    const mime::HeaderBlock block = mime::parseHeaderBlock(content);
    const mime::HeaderField* id = mime::findField(block, "Message-ID");
    const std::uint64_t fingerprint =
        messageFingerprint(fromLine, id ? mime::unfoldValue(id->value) : std::string());
    return std::any_of(folder.entries.begin(), folder.entries.end(), [&](const MboxEntry& entry) {
        return entry.record.fingerprint == fingerprint &&
               entry.record.contentEnd - entry.record.start == record.size() &&
               readRange(folder.path, fd, entry.record.start, entry.record.contentEnd) == record;
    });
}

platform::WorkerPool& MboxState::workers() {
    if (!m_workers)
        m_workers = std::make_unique<platform::WorkerPool>(platform::WorkerPool::defaultThreads());
    return *m_workers;
}

HRESULT MboxState::fail(HRESULT code, std::string text) {
    m_lastCode = code;
    m_lastText = std::move(text);
    return code;
}

HRESULT MboxState::fail(const std::exception& error) {
    return fail(mapiCodeOf(error),
                dynamic_cast<const std::bad_alloc*>(&error) ? "Out of memory" : error.what());
}

HRESULT MboxState::lastError(HRESULT result, std::optional<MapiError>& error) const {
    error.reset();
    if (result == m_lastCode && !m_lastText.empty())
        error = MapiError{m_lastText, describe()};
    return S_OK;
}

} // namespace mapi
