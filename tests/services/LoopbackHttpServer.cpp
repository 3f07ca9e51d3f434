#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace servicestest {

namespace {

constexpr int kPollMs = 50;

int boundSocket(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Waits until `fd` is readable (or writable); false when the server is stopping first.
bool waitFor(int fd, short events, const std::atomic<bool>& stopping) {
    pollfd entry{fd, events, 0};
    while (!stopping) {
        const int ready = ::poll(&entry, 1, kPollMs);
        if (ready > 0)
            return true;
        if (ready < 0)
            return false;
    }
    return false;
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer(Mode mode, std::string body, std::string status)
    : m_mode(mode), m_body(std::move(body)), m_status(std::move(status)) {
    m_listener = boundSocket(m_port);
    if (::listen(m_listener, 4) != 0) {
        ::close(m_listener);
        throw std::runtime_error("listen failed");
    }
    m_thread = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

std::string LoopbackHttpServer::address() const {
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string LoopbackHttpServer::refusingAddress() {
    std::uint16_t port = 0;
    ::close(boundSocket(port));
    return "127.0.0.1:" + std::to_string(port);
}

std::string LoopbackHttpServer::firstRequest(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, timeout, [this] { return !m_requests.empty(); });
    return m_requests.empty() ? std::string() : m_requests.front();
}

bool LoopbackHttpServer::waitForClientGone(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_clientGone; });
}

void LoopbackHttpServer::serve() {
    while (waitFor(m_listener, POLLIN, m_stopping)) {
        const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        handle(connection);
        ::close(connection);
    }
}

void LoopbackHttpServer::handle(int connection) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && waitFor(connection, POLLIN, m_stopping)) {
        const ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(head);
    }
    m_changed.notify_all();

    if (m_mode == Mode::Reply) {
        const std::string reply = "HTTP/1.0 " + m_status + "\r\nContent-Type: text/plain\r\n\r\n" + m_body;
        ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
    } else if (m_mode == Mode::Endless) {
        const std::string start = "HTTP/1.0 200 OK\r\n\r\n";
        ::send(connection, start.data(), start.size(), MSG_NOSIGNAL);
        const std::string chunk(64 * 1024, 'x');
        while (waitFor(connection, POLLOUT, m_stopping)) {
            const ssize_t put = ::send(connection, chunk.data(), chunk.size(), MSG_NOSIGNAL);
            if (put <= 0)
                break;
            m_sent += static_cast<std::uint64_t>(put);
        }
    } else {
        while (waitFor(connection, POLLIN, m_stopping))
            if (::recv(connection, buffer, sizeof buffer, 0) <= 0)
                break;
    }
    if (m_mode != Mode::Reply) {
        std::lock_guard lock(m_mutex);
        m_clientGone = !m_stopping;
    }
    m_changed.notify_all();
}

} // namespace servicestest
