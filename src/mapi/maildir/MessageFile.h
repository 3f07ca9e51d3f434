#pragma once
// Reading message files. A listing reads only the header block of each file (in growing chunks,
// up to a bound), so listing a large folder costs header data, never bodies. The identity of a
// file tells whether it was rewritten since it was opened: a rename keeps it, a rewrite does not.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace mapi {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct MessageFileContent {
    std::string bytes;
    FileIdentity identity;
};

// The header block of the file (and perhaps some body bytes after it). Throws
// std::system_error naming the path and the system's reason.
MessageFileContent readMessageHeader(const std::filesystem::path& path);

// The whole file.
MessageFileContent readMessageFile(const std::filesystem::path& path);

// A message file opened now and read whole later, perhaps on another thread: a missing or
// unreadable file is reported by the opening, a read that fails by the reading. Throws
// std::system_error naming the path and the system's reason.
class OpenedMessageFile {
public:
    explicit OpenedMessageFile(std::filesystem::path path);
    ~OpenedMessageFile();
    OpenedMessageFile(const OpenedMessageFile&) = delete;
    OpenedMessageFile& operator=(const OpenedMessageFile&) = delete;

    const FileIdentity& identity() const { return m_identity; }
    // Reads the file and closes it; it can be read once.
    std::string read();

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    FileIdentity m_identity;
};

// The identity of the file itself (a symbolic link is not followed); nothing when it cannot be read.
std::optional<FileIdentity> identityAt(const std::filesystem::path& path);

} // namespace mapi
