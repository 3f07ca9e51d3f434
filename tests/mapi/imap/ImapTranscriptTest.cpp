// The client against a scripted server on loopback, for what Dovecot cannot be made to do: a
// server that disables LOGIN and has no SASL-IR, and one without LITERAL+. The test reads as the
// exact transcript of the session.

#include "mapi/imap/ImapConnection.h"
#include "mapi/imap/ImapError.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace mapi {
namespace {

struct Exchange {
    std::string clientLine; // what the client must send (one line, without CR LF)
    std::string serverReply;
};

// Serves one connection: the greeting, then for each exchange reads a line and sends the reply.
class ScriptedServer {
public:
    ScriptedServer(std::string greeting, std::vector<Exchange> script) : m_script(std::move(script)) {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_listener, 1) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no loopback socket for the scripted server");
        port = ntohs(address.sin_port);
        m_thread = std::thread([this, greeting = std::move(greeting)] { serve(greeting); });
    }
    ~ScriptedServer() {
        finish();
        ::close(m_listener);
    }

    // The lines the client sent, once the server has ended.
    const std::vector<std::string>& finish() {
        if (m_thread.joinable()) {
            ::shutdown(m_listener, SHUT_RDWR);
            m_thread.join();
        }
        return m_received;
    }

    std::uint16_t port = 0;

private:
    void serve(const std::string& greeting) {
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0)
            return;
        sendLine(client, greeting);
        std::string buffer;
        for (const auto& exchange : m_script) {
            std::size_t end;
            while ((end = buffer.find("\r\n")) == std::string::npos) {
                char chunk[4096];
                const ssize_t got = ::read(client, chunk, sizeof chunk);
                if (got <= 0) {
                    ::close(client);
                    return;
                }
                buffer.append(chunk, static_cast<std::size_t>(got));
            }
            m_received.push_back(buffer.substr(0, end));
            buffer.erase(0, end + 2);
            if (!exchange.serverReply.empty())
                sendLine(client, exchange.serverReply);
        }
        ::close(client);
    }
    static void sendLine(int client, const std::string& line) {
        const std::string bytes = line + "\r\n";
        if (::write(client, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            throw std::runtime_error("the scripted server cannot answer");
    }

    std::vector<Exchange> m_script;
    std::vector<std::string> m_received;
    int m_listener = -1;
    std::thread m_thread;
};

ImapSettings loopback(std::uint16_t port) {
    ImapSettings settings;
    settings.account = ImapAccount{false, "me", "127.0.0.1", port};
    return settings;
}

std::vector<std::string> clientLines(const std::vector<Exchange>& script) {
    std::vector<std::string> lines;
    for (const auto& exchange : script)
        lines.push_back(exchange.clientLine);
    return lines;
}

TEST(ImapTranscriptTest, LoginDisabledWithoutSaslIrAuthenticatesPlainAfterTheChallenge) {
    const std::vector<Exchange> script{
        {"L1 AUTHENTICATE PLAIN", "+ "},
        {"AG1lAG9wZW4gc2VzYW1l", "L1 OK [CAPABILITY IMAP4rev1 MOVE] Logged in"}, // "\0me\0open sesame"
        {"L2 CAPABILITY", "* CAPABILITY IMAP4rev1 MOVE\r\nL2 OK done"},
    };
    ScriptedServer server("* OK [CAPABILITY IMAP4rev1 LOGINDISABLED AUTH=PLAIN] ready", script);
    const ImapConnection connection(loopback(server.port), "open sesame", {});
    EXPECT_TRUE(connection.has("MOVE"));
    EXPECT_EQ(server.finish(), clientLines(script));
}

TEST(ImapTranscriptTest, WithoutLiteralPlusALiteralWaitsForTheGoAhead) {
    const std::vector<Exchange> script{
        {"L1 LOGIN \"me\" {5}", "+ go"},
        {"p\xC3\xA4ss", "L1 OK Logged in"},
        {"L2 CAPABILITY", "* CAPABILITY IMAP4rev1 UIDPLUS\r\nL2 OK done"},
        {"L3 APPEND \"INBOX\" (\\Seen) \"01-Jan-1970 00:00:00 +0000\" {3}", "+ go"},
        {"Hi!", "L3 OK [APPENDUID 7 42] Appended"},
    };
    ScriptedServer server("* OK [CAPABILITY IMAP4rev1] ready", script);
    ImapConnection connection(loopback(server.port), "p\xC3\xA4ss", {});
    EXPECT_EQ(connection.append("INBOX", "Hi!", {"\\Seen", "\\Recent"}, 0), 42u);
    EXPECT_EQ(server.finish(), clientLines(script));
}

TEST(ImapTranscriptTest, AnAnswerThatCannotBeReadLeavesTheConnectionUnusable) {
    ScriptedServer server("* OK [CAPABILITY IMAP4rev1] ready",
                          {{"L1 LOGIN \"me\" \"pass\"", "L1 OK Logged in"},
                           {"L2 CAPABILITY", "* CAPABILITY IMAP4rev1\r\nL2 OK done"},
                           {"L3 LIST \"\" \"*\"", "* LIST (\\Noselect \"/\" INBOX\r\nL3 OK done"}});
    ImapConnection connection(loopback(server.port), "pass", {});
    EXPECT_TRUE(connection.usable());
    try {
        connection.list();
        ADD_FAILURE() << "a broken LIST answer was taken";
    } catch (const ImapError& error) {
        EXPECT_EQ(error.code(), MAPI_E_CORRUPT_DATA);
        EXPECT_NE(std::string(error.what()).find("a list is not closed"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(connection.usable());
}

} // namespace
} // namespace mapi
