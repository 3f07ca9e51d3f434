#pragma once
// A small HTTP server on 127.0.0.1 for the update check's tests. The client reaches it as its
// proxy, so the request line carries the whole address the client asked for. It serves one
// connection at a time and keeps the head of every request it read.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace servicestest {

class LoopbackHttpServer {
public:
    enum class Mode {
        Reply,   // the status line and the body, then the connection is closed
        Endless, // a body that never ends, sent until the client goes away
        Silent,  // no reply at all; waits for the client to give up
    };

    explicit LoopbackHttpServer(Mode mode, std::string body = {}, std::string status = "200 OK");
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // "127.0.0.1:<port>", the form the proxy value takes.
    std::string address() const;

    // The head of the first request, waiting for it; empty when none came in time.
    std::string firstRequest(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // True once the client has closed the connection it made.
    bool waitForClientGone(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::uint64_t bodyBytesSent() const { return m_sent; }

    // A loopback port on which nothing listens.
    static std::string refusingAddress();

private:
    void serve();
    void handle(int connection);

    Mode m_mode;
    std::string m_body;
    std::string m_status;
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping = false;
    std::atomic<std::uint64_t> m_sent = 0;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_requests;
    bool m_clientGone = false;
    std::thread m_thread;
};

} // namespace servicestest
