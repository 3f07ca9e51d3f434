#include "ui/RequestChannel.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace ui {

namespace {

std::runtime_error systemError(const std::string& what, const std::string& path) {
    return std::runtime_error(what + " \"" + path + "\": " + std::strerror(errno));
}

bool isPrivateFolder(const std::filesystem::path& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & 077) == 0;
}

// Closes the socket however the request ends.
class SocketHandle {
public:
    SocketHandle() : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~SocketHandle() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::string requestService(const std::string& programPath) {
    const std::string name = std::filesystem::path(programPath).filename().string();
    return name.substr(0, name.find('.'));
}

void ensurePrivateFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        throw systemError("Cannot create the request folder", folder.string());
    if (!isPrivateFolder(folder))
        throw std::runtime_error("The request folder \"" + folder.string() +
                                 "\" is not a folder of this user that only this user can enter");
}

std::filesystem::path requestFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime && isPrivateFolder(runtime))
        return runtime;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("larkspire-" + std::to_string(::geteuid()));
    ensurePrivateFolder(folder);
    return folder;
}

std::filesystem::path requestSocketPath(const std::filesystem::path& folder, const std::string& service) {
    return folder / (service + "." + std::string(kRequestTopic));
}

bool sendRequest(const std::filesystem::path& socketPath, std::string_view text) {
    if (text.find(kRequestEnd) != std::string_view::npos)
        throw std::runtime_error("A request cannot hold a NUL character");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socketPath.string();
    if (path.size() >= sizeof(address.sun_path))
        throw std::runtime_error("The request socket path is too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    SocketHandle socket;
    if (socket.fd() < 0)
        throw systemError("Cannot create a socket for", path);
    if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (errno == ENOENT || errno == ECONNREFUSED)
            return false;
        throw systemError("Cannot connect to", path);
    }
    std::string request(text);
    request += kRequestEnd;
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = ::send(socket.fd(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw systemError("Cannot send the request to", path);
        sent += static_cast<std::size_t>(n);
    }
    char reply = 0;
    for (;;) {
        const ssize_t n = ::recv(socket.fd(), &reply, 1, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 1 && reply == kRequestAcknowledged)
            return true;
        throw std::runtime_error("The program at \"" + path + "\" did not acknowledge the request");
    }
}

} // namespace ui
