#include "mapi/mbox/MboxLock.h"

#include "platform/DurableWrite.h"
#include "platform/StepCounter.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace mapi {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kPoll{50};

// The lock file's owner is gone (same host), or it was left longer ago than `stale`.
bool isStale(const fs::path& lockFile, std::chrono::seconds stale) {
    struct stat info {};
    if (::lstat(lockFile.c_str(), &info) != 0)
        return false;
    if (std::time(nullptr) - info.st_mtime > stale.count())
        return true;
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    char text[32] = {};
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0)
        return false;
    const long pid = std::strtol(text, nullptr, 10);
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void pause(Clock::time_point deadline) {
    std::this_thread::sleep_for(std::min<Clock::duration>(kPoll, deadline - Clock::now()));
}

[[noreturn]] void throwBusy(const std::string& what, const fs::path& path) {
    platform::throwFileError(EWOULDBLOCK, what, path);
}

} // namespace

fs::path dotLockPath(const fs::path& file) {
    return fs::path(file.string() + ".lock");
}

MboxLock::MboxLock(fs::path file, const MboxLockTimes& times)
    : m_file(std::move(file)), m_lockFile(dotLockPath(m_file)), m_times(times) {
    const auto deadline = Clock::now() + m_times.wait;
    takeDotLock(deadline);
    try {
        takeFcntlLock(deadline);
    } catch (...) {
        if (m_fd >= 0)
            ::close(m_fd);
        platform::durableStep();
        ::unlink(m_lockFile.c_str());
        throw;
    }
}

MboxLock::~MboxLock() {
    ::close(m_fd); // releases the fcntl lock
    if (m_dotLocked) {
        platform::durableStep();
        ::unlink(m_lockFile.c_str());
    }
}

void MboxLock::takeDotLock(Clock::time_point deadline) {
    const fs::path folder = m_file.parent_path().empty() ? fs::path(".") : m_file.parent_path();
    const fs::path mine = folder / ("." + m_file.filename().string() + ".lock-" + std::to_string(::getpid()));
    const int fd = ::open(mine.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        platform::throwFileError(errno, "Cannot create the lock file for", m_file);
    const std::string pid = std::to_string(::getpid()) + "\n";
    const bool written = ::write(fd, pid.data(), pid.size()) == static_cast<ssize_t>(pid.size());
    const int writeError = errno;
    ::close(fd);
    struct Remove {
        const fs::path& path;
        ~Remove() { ::unlink(path.c_str()); }
    } removeMine{mine};
    if (!written)
        platform::throwFileError(writeError, "Cannot create the lock file for", m_file);
    while (true) {
        platform::durableStep();
        if (::link(mine.c_str(), m_lockFile.c_str()) == 0) {
            m_dotLocked = true;
            return;
        }
        if (errno != EEXIST)
            platform::throwFileError(errno, "Cannot create the lock file", m_lockFile);
        if (isStale(m_lockFile, m_times.stale)) {
            platform::durableStep();
            ::unlink(m_lockFile.c_str());
            continue;
        }
        if (Clock::now() >= deadline)
            throwBusy("Another program keeps the mail file locked: its lock file is", m_lockFile);
        pause(deadline);
    }
}

void MboxLock::takeFcntlLock(Clock::time_point deadline) {
    m_fd = ::open(m_file.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (m_fd < 0)
        platform::throwFileError(errno, "Cannot open", m_file);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    while (::fcntl(m_fd, F_SETLK, &lock) != 0) {
        if (errno != EAGAIN && errno != EACCES && errno != EINTR)
            platform::throwFileError(errno, "Cannot lock", m_file);
        if (Clock::now() >= deadline)
            throwBusy("Another program keeps a lock on the mail file", m_file);
        pause(deadline);
    }
}

} // namespace mapi
