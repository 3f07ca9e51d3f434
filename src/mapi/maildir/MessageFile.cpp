#include "mapi/maildir/MessageFile.h"

#include "mapi/mime/HeaderBlock.h"
#include "platform/DurableWrite.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace mapi {
namespace {

// Header blocks beyond this are cut: the fields a listing needs come first in real mail.
constexpr std::size_t kMaxHeaderBytes = 1 << 20;
constexpr std::size_t kFirstChunk = 16 * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(const std::filesystem::path& path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK)) {
        if (m_fd < 0)
            platform::throwFileError(errno, "Cannot open", path);
    }
    // Takes over `fd`, which must be open.
    FileDescriptor(int fd, const std::filesystem::path& path) : m_fd(fd) {
        if (m_fd < 0)
            platform::throwFileError(EBADF, "Cannot read", path);
    }
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

FileIdentity identityFrom(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size), static_cast<std::int64_t>(info.st_mtim.tv_sec),
            static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

// Only a regular file is a message: a FIFO or device planted under a message's name is refused
// (the descriptor is non-blocking, so opening one did not hang).
FileIdentity identityOf(int fd, const std::filesystem::path& path) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        platform::throwFileError(errno, "Cannot read", path);
    if (!S_ISREG(info.st_mode))
        platform::throwFileError(S_ISDIR(info.st_mode) ? EISDIR : EINVAL, "Cannot read", path);
    return identityFrom(info);
}

// Reads up to `count` more bytes; false at the end of the file.
bool readMore(int fd, const std::filesystem::path& path, std::string& bytes, std::size_t count) {
    const std::size_t old = bytes.size();
    bytes.resize(old + count);
    std::size_t filled = 0;
    while (filled < count) {
        const ssize_t got = ::read(fd, bytes.data() + old + filled, count - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            platform::throwFileError(errno, "Cannot read", path);
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(old + filled);
    return filled == count;
}

} // namespace

MessageFileContent readMessageHeader(const std::filesystem::path& path) {
    FileDescriptor file(path);
    MessageFileContent content;
    content.identity = identityOf(file.get(), path);
    // A file smaller than the first chunk is read at its size (and a byte more to see its end):
    // most are, and a buffer of the chunk's size would be zero-filled for nothing.
    std::size_t chunk = std::min<std::uint64_t>(kFirstChunk, content.identity.size + 1);
    while (readMore(file.get(), path, content.bytes, chunk) && content.bytes.size() < kMaxHeaderBytes &&
           !mime::parseHeaderBlock(content.bytes).complete)
        chunk = content.bytes.size();
    return content;
}

MessageFileContent readMessageFile(const std::filesystem::path& path) {
    OpenedMessageFile file(path);
    MessageFileContent content;
    content.identity = file.identity();
    content.bytes = file.read();
    return content;
}

OpenedMessageFile::OpenedMessageFile(std::filesystem::path path) : m_path(std::move(path)) {
    FileDescriptor file(m_path);
    m_identity = identityOf(file.get(), m_path);
    m_fd = file.release();
}

OpenedMessageFile::~OpenedMessageFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string OpenedMessageFile::read() {
    const FileDescriptor file(std::exchange(m_fd, -1), m_path);
    std::string bytes;
    // One read of the size the file had, one byte more to see its end; more only if it grew.
    std::size_t chunk = m_identity.size + 1;
    while (readMore(file.get(), m_path, bytes, chunk))
        chunk = 64 * 1024;
    return bytes;
}

std::optional<FileIdentity> identityAt(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return identityFrom(info);
}

} // namespace mapi
