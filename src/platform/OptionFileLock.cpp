#include "platform/OptionFileLock.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kRetryInterval{50};

std::string busyText(const std::filesystem::path& optionFile, pid_t holder,
                     std::chrono::milliseconds waited) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(waited).count();
    std::string text = "Another run is using the option file \"" + optionFile.string() + "\"";
    if (holder > 0)
        text += " (process " + std::to_string(holder) + ")";
    return text + " and did not finish within " + std::to_string(seconds) +
           (seconds == 1 ? " second" : " seconds") + "; this run stops here.";
}

[[noreturn]] void throwLockError(int error, const char* what, const std::filesystem::path& path) {
    throw std::system_error(error, std::generic_category(), std::string(what) + " \"" + path.string() + "\"");
}

void closeQuietly(int fd) {
    if (fd >= 0)
        ::close(fd);
}

bool sameFile(int fd, const std::filesystem::path& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

void writeHolder(int fd) {
    const std::string text = std::to_string(::getpid()) + "\n";
    // The process id only makes the busy message clearer; the lock holds without it.
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, text.data(), text.size(), 0);
}

pid_t readHolder(int fd) {
    char buffer[24] = {};
    const ssize_t length = ::pread(fd, buffer, sizeof buffer - 1, 0);
    pid_t holder = 0;
    if (length > 0)
        std::from_chars(buffer, buffer + length, holder);
    return holder;
}

// Tries the lock once; false when another open file description holds it.
bool tryLock(int fd, const std::filesystem::path& path) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return true;
    if (errno != EWOULDBLOCK)
        throwLockError(errno, "Cannot lock", path);
    return false;
}

// Sleeps before the next try; false when the deadline has passed.
bool waitToRetry(Clock::time_point deadline) {
    const auto now = Clock::now();
    if (now >= deadline)
        return false;
    std::this_thread::sleep_for(std::min<Clock::duration>(kRetryInterval, deadline - now));
    return true;
}

std::filesystem::path lockFileBeside(const std::filesystem::path& optionFile) {
    return optionFile.parent_path() / ("." + optionFile.filename().string() + ".lock");
}

} // namespace

OptionFileBusy::OptionFileBusy(const std::filesystem::path& optionFile, pid_t holder,
                               std::chrono::milliseconds waited)
    : std::runtime_error(busyText(optionFile, holder, waited)), m_holder(holder) {}

OptionFileLock::OptionFileLock(const std::filesystem::path& optionFile, std::chrono::milliseconds patience) {
    // Two names of one file (a relative path, a link) must meet at one lock.
    std::error_code error;
    const std::filesystem::path file = std::filesystem::canonical(optionFile, error);
    if (error)
        return;
    const auto deadline = Clock::now() + patience;
    if (!lockBeside(file, deadline, patience))
        lockItself(file, deadline, patience);
}

OptionFileLock::~OptionFileLock() {
    // Removed before the lock is let go: a waiting run that opened the old file then finds it
    // unlinked and makes a new one, so two runs never hold different files of one name.
    if (!m_lockFile.empty())
        ::unlink(m_lockFile.c_str());
    closeQuietly(m_fd);
}

bool OptionFileLock::lockBeside(const std::filesystem::path& optionFile, Clock::time_point deadline,
                                std::chrono::milliseconds patience) {
    const std::filesystem::path lockFile = lockFileBeside(optionFile);
    for (;;) {
        const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM || errno == EROFS)
                return false;
            throwLockError(errno, "Cannot create the lock file", lockFile);
        }
        bool locked = false;
        try {
            locked = tryLock(fd, lockFile);
        } catch (...) {
            closeQuietly(fd);
            throw;
        }
        if (locked && sameFile(fd, lockFile)) {
            writeHolder(fd);
            m_fd = fd;
            m_lockFile = lockFile;
            return true;
        }
        // Locked a file its holder had just removed: the next try opens the current one.
        if (locked) {
            closeQuietly(fd);
            continue;
        }
        const pid_t holder = readHolder(fd);
        closeQuietly(fd);
        if (!waitToRetry(deadline))
            throw OptionFileBusy(optionFile, holder, patience);
    }
}

void OptionFileLock::lockItself(const std::filesystem::path& optionFile, Clock::time_point deadline,
                                std::chrono::milliseconds patience) {
    const int fd = ::open(optionFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throwLockError(errno, "Cannot open", optionFile);
    try {
        while (!tryLock(fd, optionFile))
            if (!waitToRetry(deadline))
                throw OptionFileBusy(optionFile, 0, patience);
    } catch (...) {
        closeQuietly(fd);
        throw;
    }
    m_fd = fd;
}

} // namespace platform
