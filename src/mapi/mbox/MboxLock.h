#pragma once
// The locks mail programs take before they change an mbox file, taken in their order: the dot
// lock file PATH.lock (made by linking a file that holds our process id, so it appears whole or
// not at all), then an fcntl write lock on the file. Both are waited for up to a bound. A lock
// file whose process is gone, or that is older than the stale age (delivery agents use minutes),
// is removed as they do. Released in reverse order.

#include <chrono>
#include <filesystem>

namespace mapi {

struct MboxLockTimes {
    std::chrono::milliseconds wait{10'000};
    std::chrono::seconds stale{300};
};

class MboxLock {
public:
    // Throws std::system_error naming the file (EWOULDBLOCK when another program keeps a lock).
    MboxLock(std::filesystem::path file, const MboxLockTimes& times);
    ~MboxLock();
    MboxLock(const MboxLock&) = delete;
    MboxLock& operator=(const MboxLock&) = delete;

    // The file, open for reading and writing under the fcntl lock.
    int fd() const { return m_fd; }

private:
    void takeDotLock(std::chrono::steady_clock::time_point deadline);
    void takeFcntlLock(std::chrono::steady_clock::time_point deadline);

    std::filesystem::path m_file;
    std::filesystem::path m_lockFile;
    MboxLockTimes m_times;
    int m_fd = -1;
    bool m_dotLocked = false;
};

// PATH.lock of an mbox file.
std::filesystem::path dotLockPath(const std::filesystem::path& file);

} // namespace mapi
