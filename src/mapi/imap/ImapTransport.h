#pragma once
// The byte stream under an IMAP connection: a TCP socket, made a TLS stream from the start
// (imaps) or after STARTTLS. The TLS handshake verifies the server's chain against the system's
// CA store plus the profile's ca-file and checks the host name, so nothing is ever sent to a
// server whose certificate was not accepted. Every read and write has a time limit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace mapi {

class ImapTransport {
public:
    // Connects to `host`:`port`; throws ImapError (MAPI_E_NETWORK_ERROR) with the resolver's or
    // the system's reason.
    ImapTransport(const std::string& host, std::uint16_t port);
    ~ImapTransport();
    ImapTransport(const ImapTransport&) = delete;
    ImapTransport& operator=(const ImapTransport&) = delete;

    // The TLS handshake; throws ImapError naming the host and why its certificate is not trusted.
    void startTls(const std::string& caFile);
    bool secure() const { return m_ssl != nullptr; }

    // Both throw ImapConnectionLost when the connection broke or timed out.
    void write(std::string_view bytes);
    // At least one byte, at most `size`.
    std::size_t read(char* buffer, std::size_t size);

    const std::string& where() const { return m_where; }

private:
    [[noreturn]] void lost(const std::string& what, int error) const;

    std::string m_host;
    std::string m_where;
    int m_socket = -1;
    SSL_CTX* m_context = nullptr;
    SSL* m_ssl = nullptr;
};

} // namespace mapi
