#include "PrivateMounts.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <unistd.h>

namespace e2e {

namespace {

std::string systemReason(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void check(int result, const std::string& what) {
    if (result != 0)
        throw std::runtime_error(systemReason(what));
}

} // namespace

PrivateMounts::PrivateMounts() {
    if (::geteuid() != 0) {
        m_unavailable = "needs root for mount namespaces and tmpfs (CI runs as root)";
        return;
    }
    if (::unshare(CLONE_NEWNS) != 0) {
        m_unavailable = systemReason("unshare(CLONE_NEWNS) failed");
        return;
    }
    // Mounts made here must not reach the namespace the test was started in.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        m_unavailable = systemReason("making / private failed");
}

PrivateMounts::~PrivateMounts() {
    for (auto it = m_mounted.rbegin(); it != m_mounted.rend(); ++it)
        ::umount2(it->c_str(), MNT_DETACH);
}

void PrivateMounts::tmpfs(const std::filesystem::path& folder, const std::string& options) {
    std::filesystem::create_directories(folder);
    check(::mount("larkspire-test", folder.c_str(), "tmpfs", 0, options.c_str()),
          "mount tmpfs " + folder.string());
    m_mounted.push_back(folder);
}

void PrivateMounts::bind(const std::filesystem::path& source, const std::filesystem::path& target) {
    check(::mount(source.c_str(), target.c_str(), nullptr, MS_BIND, nullptr), "bind " + target.string());
    m_mounted.push_back(target);
}

void PrivateMounts::makeReadOnly(const std::filesystem::path& target) {
    check(::mount(nullptr, target.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr),
          "remount read-only " + target.string());
}

void fillFileSystem(const std::filesystem::path& folder) {
    const std::string path = (folder / "filler").string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        throw std::runtime_error(systemReason("cannot create " + path));
    static const char zeros[4096] = {};
    while (::write(fd, zeros, sizeof zeros) > 0) {
    }
    const int error = errno;
    ::close(fd);
    if (error != ENOSPC)
        throw std::runtime_error("filling " + path + " stopped by " + std::strerror(error));
}

std::string nobodyUnavailable() {
    if (::geteuid() != 0)
        return "needs root to switch to the user nobody (CI runs as root)";
    if (::access("/usr/bin/setpriv", X_OK) != 0)
        return "needs /usr/bin/setpriv (util-linux)";
    return {};
}

std::vector<std::string> asNobody() {
    return {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
}

} // namespace e2e
