#include "mapi/imap/ImapTransport.h"

#include "mapi/imap/ImapError.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace mapi {
namespace {

constexpr int kTimeoutSeconds = 60;

bool isAddress(const std::string& host) {
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

std::string openSslReason() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0)
        return "the connection was closed during the handshake";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

} // namespace

ImapTransport::ImapTransport(const std::string& host, std::uint16_t port)
    : m_host(host), m_where(host + ":" + std::to_string(port)) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int resolved = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (resolved != 0)
        throw ImapError(MAPI_E_NETWORK_ERROR,
                        "Cannot find the server " + host + ": " + gai_strerror(resolved));
    std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, ::freeaddrinfo);
    int lastError = 0;
    for (const addrinfo* address = found; address; address = address->ai_next) {
        const int fd =
            ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            continue;
        }
        const timeval timeout{kTimeoutSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (::connect(fd, address->ai_addr, address->ai_addrlen) == 0) {
            m_socket = fd;
            return;
        }
        lastError = errno;
        ::close(fd);
    }
    throw ImapError(MAPI_E_NETWORK_ERROR, "Cannot connect to " + m_where + ": " + std::strerror(lastError));
}

ImapTransport::~ImapTransport() {
    if (m_ssl)
        SSL_free(m_ssl);
    if (m_context)
        SSL_CTX_free(m_context);
    if (m_socket >= 0)
        ::close(m_socket);
}

void ImapTransport::startTls(const std::string& caFile) {
    const std::string untrusted = "The certificate of " + m_host + " cannot be trusted: ";
    m_context = SSL_CTX_new(TLS_client_method());
    if (!m_context)
        throw std::bad_alloc();
    SSL_CTX_set_min_proto_version(m_context, TLS1_2_VERSION);
    SSL_CTX_set_verify(m_context, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(m_context) != 1)
        throw ImapError(MAPI_E_NETWORK_ERROR, untrusted + "the system's certificate store cannot be read");
    if (!caFile.empty() && SSL_CTX_load_verify_locations(m_context, caFile.c_str(), nullptr) != 1) {
        ERR_clear_error();
        throw ImapError(MAPI_E_NETWORK_ERROR,
                        untrusted + "the ca-file '" + caFile + "' cannot be read as PEM certificates");
    }
    m_ssl = SSL_new(m_context);
    if (!m_ssl)
        throw std::bad_alloc();
    X509_VERIFY_PARAM* parameters = SSL_get0_param(m_ssl);
    const bool address = isAddress(m_host);
    if ((address ? X509_VERIFY_PARAM_set1_ip_asc(parameters, m_host.c_str())
                 : X509_VERIFY_PARAM_set1_host(parameters, m_host.c_str(), m_host.size())) != 1)
        throw ImapError(MAPI_E_NETWORK_ERROR, untrusted + "its name cannot be checked");
    if (!address)
        SSL_set_tlsext_host_name(m_ssl, m_host.c_str());
    SSL_set_fd(m_ssl, m_socket);
    if (SSL_connect(m_ssl) == 1)
        return;
    const long verification = SSL_get_verify_result(m_ssl);
    if (verification != X509_V_OK) {
        ERR_clear_error();
        throw ImapError(MAPI_E_NETWORK_ERROR, untrusted + X509_verify_cert_error_string(verification));
    }
    throw ImapError(MAPI_E_NETWORK_ERROR,
                    "The TLS handshake with " + m_where + " failed: " + openSslReason());
}

void ImapTransport::lost(const std::string& what, int error) const {
    const std::string reason = error == EAGAIN || error == EWOULDBLOCK
                                   ? "no answer for " + std::to_string(kTimeoutSeconds) + " seconds"
                               : error != 0 ? std::strerror(error)
                                            : "the server closed it";
    throw ImapConnectionLost("The connection to " + m_where + " broke while " + what + ": " + reason);
}

void ImapTransport::write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (m_ssl) {
            std::size_t written = 0;
            if (SSL_write_ex(m_ssl, bytes.data(), bytes.size(), &written) != 1) {
                const int error = errno;
                ERR_clear_error();
                lost("sending", error);
            }
            bytes.remove_prefix(written);
            continue;
        }
        const ssize_t written = ::send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            lost("sending", errno);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::size_t ImapTransport::read(char* buffer, std::size_t size) {
    for (;;) {
        errno = 0;
        if (m_ssl) {
            std::size_t got = 0;
            if (SSL_read_ex(m_ssl, buffer, size, &got) == 1)
                return got;
            const int error = errno;
            ERR_clear_error();
            lost("receiving", error);
        }
        const ssize_t got = ::recv(m_socket, buffer, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            lost("receiving", got == 0 ? 0 : errno);
        return static_cast<std::size_t>(got);
    }
}

} // namespace mapi
