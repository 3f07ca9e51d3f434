#include "platform/DurableWrite.h"

#include "platform/StepCounter.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace platform {
namespace {

std::string randomSuffix() {
    static std::mt19937_64 generator{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 10; ++i)
        suffix += digits[generator() % 36];
    return suffix;
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    auto folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

} // namespace

void throwFileError(int error, const std::string& what, const std::filesystem::path& path) {
    throw std::system_error(error, std::generic_category(), what + " '" + path.string() + "'");
}

DurableFileWriter::DurableFileWriter(std::filesystem::path target) : m_target(std::move(target)) {
    create(folderOf(m_target));
}

DurableFileWriter::DurableFileWriter(std::filesystem::path target,
                                     const std::filesystem::path& temporaryFolder)
    : m_target(std::move(target)) {
    create(temporaryFolder);
}

void DurableFileWriter::create(const std::filesystem::path& folder) {
    durableStep();
    // O_EXCL on a fresh name: a file or link planted under the final name is replaced by the
    // rename, never written through.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temporary = folder / ("." + m_target.filename().string().substr(0, 200) + ".tmp-" + randomSuffix());
        m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (m_fd < 0 && errno != EEXIST)
            throwFileError(errno, "Cannot create", m_target);
    }
    if (m_fd < 0)
        throwFileError(EEXIST, "Cannot create", m_target);
}

DurableFileWriter::~DurableFileWriter() {
    if (!m_committed)
        discard();
}

void DurableFileWriter::discard() noexcept {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    ::unlink(m_temporary.c_str());
}

void DurableFileWriter::write(std::string_view data) {
    durableStep();
    while (!data.empty()) {
        const ssize_t written = ::write(m_fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throwFileError(errno, "Cannot write", m_target);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

void DurableFileWriter::setModificationTime(std::int64_t seconds, std::int64_t nanoseconds) {
    m_setTime = true;
    m_seconds = seconds;
    m_nanoseconds = nanoseconds;
}

void DurableFileWriter::commit() {
    if (m_setTime) {
        durableStep();
        const timespec times[2] = {{0, UTIME_OMIT},
                                   {static_cast<time_t>(m_seconds), static_cast<long>(m_nanoseconds)}};
        if (::futimens(m_fd, times) != 0)
            throwFileError(errno, "Cannot write", m_target);
    }
    // Data must be on disk before the name points at it, or a power cut leaves an empty file.
    durableStep();
    if (::fsync(m_fd) != 0)
        throwFileError(errno, "Cannot write", m_target);
    const int fd = m_fd;
    m_fd = -1;
    // close() is checked: some file systems report quota errors only here.
    if (::close(fd) != 0)
        throwFileError(errno, "Cannot write", m_target);
    durableStep();
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throwFileError(errno, "Cannot replace", m_target);
    m_committed = true;
    syncDirectory(folderOf(m_target));
    if (folderOf(m_temporary) != folderOf(m_target))
        syncDirectory(folderOf(m_temporary));
}

void writeFileDurably(const std::filesystem::path& target, std::string_view data) {
    DurableFileWriter writer(target);
    writer.write(data);
    writer.commit();
}

void renameDurably(const std::filesystem::path& from, const std::filesystem::path& to) {
    durableStep();
    if (::rename(from.c_str(), to.c_str()) != 0)
        throwFileError(errno, "Cannot rename '" + from.string() + "' to", to);
    syncDirectory(folderOf(to));
    if (folderOf(from) != folderOf(to))
        syncDirectory(folderOf(from));
}

void removeDurably(const std::filesystem::path& path) {
    durableStep();
    if (::unlink(path.c_str()) != 0)
        throwFileError(errno, "Cannot remove", path);
    syncDirectory(folderOf(path));
}

void syncDirectory(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throwFileError(errno, "Cannot open folder", folder);
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (result != 0)
        throwFileError(error, "Cannot sync folder", folder);
}

} // namespace platform
