#pragma once
// The one place where files are written so that a crash never leaves half a file under its final
// name: a temporary file in the same folder (O_EXCL, so a planted link is replaced, not followed),
// a write loop, fsync, a checked close, rename, and fsync of the folder. Failures throw
// std::system_error naming the path and the system's reason; the temporary file is removed.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A file written under a temporary name, waiting to be renamed over its target; or written as
// an unnamed file (open descriptor, no temporary name) waiting to be given the target's name.
struct StagedFile {
    std::filesystem::path target;
    std::filesystem::path temporary;
    int descriptor = -1;
};

class DurableFileWriter {
public:
    // Creates the temporary file beside `target`.
    explicit DurableFileWriter(std::filesystem::path target);
    // Creates the temporary file in `temporaryFolder` (on the file system of `target`), as a
    // Maildir writes into its tmp/ folder.
    DurableFileWriter(std::filesystem::path target, const std::filesystem::path& temporaryFolder);
    ~DurableFileWriter();
    DurableFileWriter(const DurableFileWriter&) = delete;
    DurableFileWriter& operator=(const DurableFileWriter&) = delete;

    void write(std::string_view data);
    // The modification time the file gets on commit (a rewritten message keeps its arrival time).
    void setModificationTime(std::int64_t seconds, std::int64_t nanoseconds);
    // fsync, close, rename over the target, fsync of the folder; only the close while a
    // ChangeBatch is open on this thread, whose flush does the rest. Nothing may be written after.
    void commit();
    // The same, never gathered into a ChangeBatch: for a file replaced under locks that are
    // released right after, so the new name must be in place before they are.
    void commitNow();
    const std::filesystem::path& temporaryPath() const { return m_temporary; }

private:
    void create(const std::filesystem::path& folder);
    void finish(bool gathered);
    void discard() noexcept;

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    bool m_committed = false;
    bool m_setTime = false;
    std::int64_t m_seconds = 0;
    std::int64_t m_nanoseconds = 0;
};

// Many files made durable together, for runs that write thousands: each file is staged without
// an fsync of its own, as an unnamed file in its target's folder where the system allows (else
// under a temporary name beside its target); commit() makes all staged data durable with one
// syncfs per file system (fsync of each file where syncfs fails), gives the files their target
// names in staging order (a link, or a rename over a file already there) and fsyncs each folder
// once. One commit costs about what one durable file costs, whatever the number of files, and a
// new name costs one change of the folder instead of two; an unnamed file that a crash kept from
// its name vanishes with the process.
class DurableBatch {
public:
    DurableBatch() = default;
    // Removes the temporary files of a batch that was never committed.
    ~DurableBatch();
    DurableBatch(const DurableBatch&) = delete;
    DurableBatch& operator=(const DurableBatch&) = delete;

    // Writes `parts` one after another into a new temporary file for `target`, whose access and
    // modification times then become `fileTime` when given (a time that cannot be set leaves the
    // file's own: the file is still good); nothing is left behind when this throws.
    void stage(const std::filesystem::path& target, std::initializer_list<std::string_view> parts,
               const std::optional<std::timespec>& fileTime = std::nullopt);
    // Files staged since the last commit, and their bytes.
    std::size_t size() const { return m_staged.size(); }
    std::uint64_t bytes() const { return m_bytes; }
    bool empty() const { return m_staged.empty(); }

    // The first half of a commit, which may run on another thread while nothing else uses this
    // batch: waits until the staged files' data is on disk. Never throws; commit() reports. No
    // file may be staged between it and the commit.
    void sync() noexcept;
    // Makes the staged files durable under their targets and starts an empty batch (syncing
    // first unless sync() did). On failure it still commits the longest run of leading files it
    // can, removes the temporary files of the rest and throws the first error, naming the path
    // and the reason.
    void commit();
    // Removes the staged files' temporaries and starts an empty batch.
    void discard() noexcept;
    // How many files of the last commit, counted in staging order, are durable under their
    // targets: all of them after a commit that returned.
    std::size_t committed() const { return m_committed; }

private:
    void removeTemporaries(std::size_t from) noexcept;
    void closeUnnamed() noexcept;

    std::vector<StagedFile> m_staged;
    std::uint64_t m_bytes = 0;
    std::size_t m_committed = 0;
    // What sync() found: how many leading files are on disk, and why no more.
    std::optional<std::size_t> m_synced;
    std::exception_ptr m_syncFailure;
};

// Removes files and then fsyncs each of their folders once; used to take back files whose work
// could not be finished. Every file is tried; the first failure is thrown after the rest.
void removeDurably(const std::vector<std::filesystem::path>& paths);

// Replaces (or creates) `target` with `data` durably.
void writeFileDurably(const std::filesystem::path& target, std::string_view data);

// rename(2) followed by fsync of both folders, so the new name survives a power cut.
void renameDurably(const std::filesystem::path& from, const std::filesystem::path& to);

// unlink(2) followed by fsync of the folder.
void removeDurably(const std::filesystem::path& path);

// fsync of a folder, after a name in it was created, renamed or removed; gathered instead while
// a ChangeBatch is open on this thread.
void syncDirectory(const std::filesystem::path& folder);
// The same, never gathered: for a step that must follow the folder's new name on disk.
void syncDirectoryNow(const std::filesystem::path& folder);

// Changes to existing files gathered so that a batch of them reaches the disk together, for
// post-actions on thousands of messages. While one is open on a thread, syncDirectory() there
// only records the folder, and DurableFileWriter::commit() there leaves its file written and
// closed under its temporary name. flush() then makes those files' data durable with one syncfs
// per file system (fsync of each file where that fails), renames each over its target in the
// order they came and fsyncs each recorded folder once. No rename precedes its file's data on
// disk, so a crash leaves every file old or wholly new; until the flush a replacement is not
// made. Batches nest: an inner one gathers for itself.
class ChangeBatch {
public:
    ChangeBatch();
    // Flushes what is still gathered, errors ignored: an error path makes durable what it can.
    ~ChangeBatch();
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;

    // The first failure is thrown once every folder was synced: a file whose data could not be
    // synced, and every file after it or after a failed rename, keeps its old content.
    void flush();
    std::size_t gatheredFolders() const { return m_folders.size(); }
    std::size_t stagedFiles() const { return m_replacements.size(); }

private:
    friend void syncDirectory(const std::filesystem::path& folder);
    friend class DurableFileWriter;
    std::vector<StagedFile> m_replacements;
    std::vector<std::filesystem::path> m_folders;
    ChangeBatch* m_outer;
};

// Throws std::system_error for `error` (an errno value) with "what 'path'" as the message.
[[noreturn]] void throwFileError(int error, const std::string& what, const std::filesystem::path& path);

} // namespace platform
