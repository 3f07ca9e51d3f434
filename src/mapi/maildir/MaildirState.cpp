#include "mapi/maildir/MaildirState.h"

#include "mapi/EntryIds.h"
#include "mapi/RowTable.h"
#include "mapi/StoreErrors.h"
#include "mapi/maildir/MaildirName.h"
#include "mapi/maildir/MessageFile.h"
#include "mapi/maildir/MessageProps.h"
#include "mapi/mime/MimeLibrary.h"
#include "platform/SharedWork.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <system_error>

namespace mapi {
namespace {

namespace fs = std::filesystem;

constexpr char kFolderTag = 'F';
constexpr char kMessageTag = 'M';

// Files whose header blocks one worker reads in a go: enough to make handing over cheap, few
// enough that every thread gets a share of a small folder.
constexpr std::size_t kListingRun = 64;

// The message file names of a folder's new/ and cur/, sorted, dot files and non-files left out.
std::vector<std::pair<std::string, std::string>> messageFiles(const fs::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* subfolder : {"new", "cur"}) {
        std::error_code error;
        fs::directory_iterator it(folder / subfolder, error);
        if (error) {
            if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
                continue;
            throw std::system_error(error, "Cannot read folder '" + (folder / subfolder).string() + "'");
        }
        for (fs::directory_iterator end; it != end; it.increment(error)) {
            if (error)
                throw std::system_error(error, "Cannot read folder '" + (folder / subfolder).string() + "'");
            const std::string name = it->path().filename().string();
            // The entry's type comes from the folder read itself: no status call per file.
            std::error_code typeError;
            if (isMessageFileName(name) && !it->is_symlink(typeError) && it->is_regular_file(typeError))
                files.emplace_back(subfolder, name);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

Binary withTag(const Binary& storeId, char tag, const std::string& key) {
    return makeObjectEntryId(storeId, std::string(1, tag) + key);
}

} // namespace

MaildirState::MaildirState(StoreLocation location, fs::path root)
    : m_location(std::move(location)), m_tree(std::move(root)) {}

Binary MaildirState::folderEntryId(const std::string& folderKey) const {
    return withTag(m_location.entryId, kFolderTag, folderKey);
}

Binary MaildirState::messageEntryId(const std::string& messageKey) const {
    return withTag(m_location.entryId, kMessageTag, messageKey);
}

std::optional<ParsedEntryId> MaildirState::parseEntryId(const Binary& entryId) const {
    const auto objectKey = objectKeyString(entryId, m_location.entryId);
    if (!objectKey || objectKey->empty())
        return std::nullopt;
    const char tag = (*objectKey)[0];
    if (tag != kFolderTag && tag != kMessageTag)
        return std::nullopt;
    std::string key = objectKey->substr(1);
    if (key.find('\0') != std::string::npos ||
        (tag == kMessageTag && (key.empty() || key.find('/') != std::string::npos)))
        return std::nullopt;
    return ParsedEntryId{tag == kFolderTag, std::move(key)};
}

fs::path MaildirState::pathOf(const MessageLocation& location) const {
    return m_tree.directory(location.folderKey) / location.subfolder / location.fileName;
}

std::shared_ptr<const PackedRows> MaildirState::listFolder(const std::string& folderKey) {
    m_takeable.reset();
    struct Folder {
        fs::path path;
        std::vector<std::pair<std::string, std::string>> files;
    };
    // Shared with the work handed out: a failure returns from here while some may still be queued.
    const fs::path directory = m_tree.directory(folderKey);
    const auto folder = std::make_shared<const Folder>(Folder{directory, messageFiles(directory)});
    const auto& files = folder->files;

    // Header blocks are read and decoded in runs of files, on the workers and on this thread at
    // once; only the rows are kept, so memory grows with the header data, not the files.
    using Run = platform::SharedWork<std::vector<ListingEntry>>;
    std::vector<std::shared_ptr<Run>> runs;
    for (std::size_t first = 0; first < files.size(); first += kListingRun) {
        const std::size_t last = std::min(files.size(), first + kListingRun);
        runs.push_back(std::make_shared<Run>([this, folder, first, last] {
            std::vector<ListingEntry> listed;
            listed.reserve(last - first);
            for (std::size_t i = first; i < last; ++i)
                listed.push_back(
                    readListingEntry(folder->path, folder->files[i].first, folder->files[i].second));
            return listed;
        }));
    }
    mime::initialiseLibraries();
    // Runs are handed out only a few ahead of the one being packed, so only those few hold rows
    // not yet packed (a thread waiting for a run helps with the newest one handed out).
    const std::size_t ahead = 4 * platform::WorkerPool::defaultThreads();
    std::size_t posted = 0;
    const auto postUntil = [&](std::size_t end) {
        for (; posted < std::min(end, runs.size()); ++posted)
            workers().post([weak = std::weak_ptr(runs[posted])] {
                // Gone when the listing stopped at an earlier failure.
                if (const auto run = weak.lock())
                    run->runIfUnclaimed();
            });
    };

    auto listing = std::make_shared<FolderListing>(folderKey, messageEntryId(""));
    // In file order, so the first failure is the one a file-by-file listing would have met.
    for (std::size_t r = 0; r < runs.size(); ++r) {
        postUntil(r + ahead + 1);
        std::vector<ListingEntry> listed = std::move(runs[r]->get([this] { return workers().runNewest(); }));
        runs[r].reset();
        for (std::size_t i = 0; i < listed.size(); ++i) {
            if (!listed[i].identity)
                continue;
            const auto& [subfolder, fileName] = files[r * kListingRun + i];
            listing->add(listed[i].key, subfolder, fileName, *listed[i].identity, listed[i].row);
        }
    }
    // What this listing saw is newer than what was remembered of the same messages.
    std::erase_if(m_changed, [&](const auto& changed) { return listing->find(changed.first).has_value(); });
    std::erase_if(m_listings, [&](const auto& older) { return older->folderKey() == folderKey; });
    m_listings.push_back(listing);
    m_takeable = listing;
    return listing->rows();
}

MaildirState::ListingEntry MaildirState::readListingEntry(const fs::path& folder,
                                                          const std::string& subfolder,
                                                          const std::string& fileName) const {
    MessageFileContent header;
    try {
        header = readMessageHeader(folder / subfolder / fileName);
    } catch (const std::system_error& error) {
        // Another client moved or deleted it since the folder was read.
        if (error.code() == std::errc::no_such_file_or_directory)
            return {};
        throw;
    }
    const MaildirName name = MaildirName::parse(fileName);
    std::string key = messageKey(name.unique);
    Row row = messageProperties(header.bytes, header.identity, name.hasFlag('S'), messageEntryId(key));
    return {header.identity, std::move(key), std::move(row)};
}

std::optional<ListedMessage> MaildirState::takeListed(const std::string& messageKey) {
    if (!m_takeable)
        return std::nullopt;
    const auto row = m_takeable->find(messageKey);
    if (!row || !m_takeable->take(*row))
        return std::nullopt;
    // The same identity at the path proves the listed regular file is still there, no link.
    // The newest listing's place is the known one unless the message was changed since.
    FolderListing::Listed listed = m_takeable->listed(*row);
    const auto changed = m_changed.find(messageKey);
    if ((changed != m_changed.end() && changed->second != listed.location) ||
        identityAt(pathOf(listed.location)) != listed.identity)
        return std::nullopt;
    return ListedMessage{std::move(listed.location), listed.identity, m_takeable->rows()->row(*row)};
}

std::optional<MessageLocation> MaildirState::knownLocation(const std::string& messageKey) const {
    if (const auto changed = m_changed.find(messageKey); changed != m_changed.end())
        return changed->second;
    for (auto listing = m_listings.rbegin(); listing != m_listings.rend(); ++listing)
        if (const auto row = (*listing)->find(messageKey))
            return (*listing)->listed(*row).location;
    return std::nullopt;
}

std::optional<MessageLocation> MaildirState::locate(const std::string& messageKey) {
    std::optional<std::string> knownFolder;
    if (const auto known = knownLocation(messageKey)) {
        std::error_code error;
        if (fs::symlink_status(pathOf(*known), error).type() == fs::file_type::regular)
            return known;
        knownFolder = known->folderKey;
        forget(messageKey);
    }
    // Another tool renamed or moved it: its folder first, then the whole store.
    if (knownFolder && scanFolderNames(*knownFolder, messageKey))
        return knownLocation(messageKey);
    for (const auto& folder : m_tree.allFolders())
        if (scanFolderNames(folder, messageKey))
            return knownLocation(messageKey);
    return std::nullopt;
}

bool MaildirState::scanFolderNames(const std::string& folderKey, const std::string& wanted) {
    bool found = false;
    try {
        for (const auto& [subfolder, fileName] : messageFiles(m_tree.directory(folderKey))) {
            const std::string key = messageKey(MaildirName::parse(fileName).unique);
            if (key == wanted && !found) {
                remember(key, {folderKey, subfolder, fileName});
                found = true;
            }
        }
    } catch (const std::system_error&) {
        return false; // an unreadable folder cannot hold the message for us
    }
    return found;
}

void MaildirState::remember(const std::string& messageKey, const MessageLocation& location) {
    m_changed.insert_or_assign(messageKey, location);
}

void MaildirState::forget(const std::string& messageKey) {
    m_changed.insert_or_assign(messageKey, std::nullopt);
}

HRESULT MaildirState::fail(HRESULT code, std::string text) {
    m_lastCode = code;
    m_lastText = std::move(text);
    return code;
}

HRESULT MaildirState::fail(const std::exception& error) {
    return fail(mapiCodeOf(error),
                dynamic_cast<const std::bad_alloc*>(&error) ? "Out of memory" : error.what());
}

HRESULT MaildirState::lastError(HRESULT result, std::optional<MapiError>& error) const {
    error.reset();
    if (result == m_lastCode && !m_lastText.empty())
        error = MapiError{m_lastText, "Maildir " + m_tree.root().string()};
    return S_OK;
}

platform::WorkerPool& MaildirState::workers() {
    if (!m_workers)
        m_workers = std::make_unique<platform::WorkerPool>(platform::WorkerPool::defaultThreads());
    return *m_workers;
}

} // namespace mapi
