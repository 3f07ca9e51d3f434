#pragma once
// The one place where files are written so that a crash never leaves half a file under its final
// name: a temporary file in the same folder (O_EXCL, so a planted link is replaced, not followed),
// a write loop, fsync, a checked close, rename, and fsync of the folder. Failures throw
// std::system_error naming the path and the system's reason; the temporary file is removed.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

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
    // fsync, close, rename over the target, fsync of the folder. Nothing may be written after.
    void commit();
    const std::filesystem::path& temporaryPath() const { return m_temporary; }

private:
    void create(const std::filesystem::path& folder);
    void discard() noexcept;

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_fd = -1;
    bool m_committed = false;
    bool m_setTime = false;
    std::int64_t m_seconds = 0;
    std::int64_t m_nanoseconds = 0;
};

// Replaces (or creates) `target` with `data` durably.
void writeFileDurably(const std::filesystem::path& target, std::string_view data);

// rename(2) followed by fsync of both folders, so the new name survives a power cut.
void renameDurably(const std::filesystem::path& from, const std::filesystem::path& to);

// unlink(2) followed by fsync of the folder.
void removeDurably(const std::filesystem::path& path);

// fsync of a folder, after a name in it was created, renamed or removed.
void syncDirectory(const std::filesystem::path& folder);

// Throws std::system_error for `error` (an errno value) with "what 'path'" as the message.
[[noreturn]] void throwFileError(int error, const std::string& what, const std::filesystem::path& path);

} // namespace platform
