#pragma once
// Keeps two runs of one option file apart: a job that cron or a timer starts again while its
// previous run still goes on would otherwise read the same file number and process the same
// messages twice. The lock is an flock on a lock file beside the option file, not on the option
// file itself: saving the option file replaces it by a rename, and a lock on the replaced file
// would not be seen by the next run. In a folder where no lock file can be made, nobody can
// replace the option file either, so the option file itself is locked.

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/types.h>

namespace platform {

// Another process held the option file for longer than the caller would wait.
class OptionFileBusy : public std::runtime_error {
public:
    OptionFileBusy(const std::filesystem::path& optionFile, pid_t holder, std::chrono::milliseconds waited);
    // The process holding the lock; 0 when it is not known.
    pid_t holder() const { return m_holder; }

private:
    pid_t m_holder;
};

class OptionFileLock {
public:
    // Locks `optionFile`, waiting up to `patience` while another process holds it. A file that
    // does not exist is not locked, so that reading it reports the missing file. Throws
    // OptionFileBusy when the wait runs out, std::system_error when no lock can be taken.
    OptionFileLock(const std::filesystem::path& optionFile, std::chrono::milliseconds patience);
    // Removes the lock file while still holding it, then lets go.
    ~OptionFileLock();
    OptionFileLock(const OptionFileLock&) = delete;
    OptionFileLock& operator=(const OptionFileLock&) = delete;

    bool held() const { return m_fd >= 0; }
    // The lock file beside the option file: ".NAME.lock"; empty when the option file itself is
    // locked or nothing is.
    const std::filesystem::path& lockFile() const { return m_lockFile; }

private:
    bool lockBeside(const std::filesystem::path& optionFile, std::chrono::steady_clock::time_point deadline,
                    std::chrono::milliseconds patience);
    void lockItself(const std::filesystem::path& optionFile, std::chrono::steady_clock::time_point deadline,
                    std::chrono::milliseconds patience);

    int m_fd = -1;
    std::filesystem::path m_lockFile;
};

} // namespace platform
