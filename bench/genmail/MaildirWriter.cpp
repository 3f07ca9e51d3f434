#include "MaildirWriter.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace bench {

namespace {

[[noreturn]] void fail(const std::string& what, const std::filesystem::path& path) {
    throw std::system_error(errno, std::generic_category(), what + " '" + path.string() + "'");
}

} // namespace

MaildirWriter::MaildirWriter(std::filesystem::path root) : m_root(std::move(root)) {
    for (const char* sub : {"cur", "new", "tmp"}) {
        std::filesystem::path folder = m_root / sub;
        std::filesystem::create_directories(folder);
        if (!std::filesystem::is_empty(folder)) {
            throw std::runtime_error("the Maildir '" + m_root.string() + "' already holds messages");
        }
    }
}

void MaildirWriter::write(const std::string& bytes, std::int64_t deliveryUtc, std::uint64_t sequence,
                          const std::string& flags, bool inNew, bool sizeInName) {
    // Names as delivery agents make them: time, a unique middle, host; other tools add ",S=size".
    std::string name = std::to_string(deliveryUtc) + ".M" + std::to_string((sequence * 7919) % 1000000) +
                       "P4242Q" + std::to_string(sequence) + ".bench.larkspire.test";
    if (sizeInName) {
        name += ",S=" + std::to_string(bytes.size());
    }
    if (!inNew) {
        name += ":2," + flags;
    }
    std::filesystem::path path = m_root / (inNew ? "new" : "cur") / name;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        fail("cannot create", path);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            int error = errno;
            ::close(fd);
            errno = error;
            fail("cannot write", path);
        }
        done += static_cast<std::size_t>(n);
    }
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(deliveryUtc);
    times[0].tv_nsec = times[1].tv_nsec = 0;
    if (::futimens(fd, times) != 0) {
        int error = errno;
        ::close(fd);
        errno = error;
        fail("cannot set the time of", path);
    }
    if (::close(fd) != 0) {
        fail("cannot close", path);
    }
}

} // namespace bench
