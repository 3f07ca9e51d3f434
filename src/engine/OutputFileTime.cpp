#include "engine/OutputFileTime.h"

#include "platform/DateTime.h"

#include <cerrno>
#include <cmath>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

// Date-time values of the years 1 to 9999; others cannot become calendar fields.
constexpr double kFirstDay = -693593.0;
constexpr double kPastLastDay = 2958466.0;

class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

int setOutputFileTime(const std::filesystem::path& path, double localDateTime) {
    // Opening for writing proves the file may be changed; no O_CREAT, so a missing file fails.
    // O_NONBLOCK keeps a planted FIFO from hanging the run; O_NOFOLLOW refuses a planted link.
    const FileHandle file(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.fd() < 0) {
        return -1;
    }
    const std::optional<std::timespec> utc = outputFileTime(localDateTime);
    if (!utc) {
        return errno;
    }
    const std::timespec times[2] = {*utc, *utc};
    if (::futimens(file.fd(), times) != 0) {
        return errno;
    }
    return 0;
}

std::optional<std::timespec> outputFileTime(double localDateTime) {
    if (!std::isfinite(localDateTime) || localDateTime < kFirstDay || localDateTime >= kPastLastDay) {
        errno = EINVAL;
        return std::nullopt;
    }
    try {
        errno = 0;
        const std::timespec utc = platform::localDateTimeToUtc(localDateTime);
        // mktime's -1 is also a real instant; only errno tells a failed conversion apart.
        if (utc.tv_sec == -1 && errno != 0) {
            return std::nullopt;
        }
        return utc;
    } catch (const std::exception&) {
        if (errno == 0) {
            errno = EINVAL;
        }
        return std::nullopt;
    }
}

} // namespace engine
