#pragma once
// One HTTP/1.0 GET of a text on a worker thread, so the window never waits for the network.
// The worker gets its own copies of the request values before it starts and touches nothing else.
// It ends by posting one completion to the window's thread; there the completion first looks at
// the stop flag, so after StopRequest (or the component's destruction) no handler is ever called.

#include <functional>
#include <memory>
#include <string>

namespace services {

// What the component tells its owner, on the owner's thread.
class HttpCompletion {
public:
    virtual ~HttpCompletion() = default;
    // The request ended with the whole body read (which may be empty).
    virtual void HTTPGet1DoneString(const std::string& result) = 0;
    // No connection, a failed step or read, or a body too large to be the text asked for.
    virtual void HTTPGet1Error() = 0;
};

// Runs a task on the owner's thread later (the window posts it to its event loop). It is called
// on the worker's thread, also after the component is gone, so it must not depend on the component.
using PostToOwner = std::function<void(std::function<void()> task)>;

class THTTPGet {
public:
    // A body above this many bytes is not the small text asked for and counts as a failure.
    static constexpr std::size_t kMaxBody = 1024 * 1024;

    THTTPGet(PostToOwner post, HttpCompletion& handler);
    // Stops a running request; its completion is then never delivered.
    ~THTTPGet();
    THTTPGet(const THTTPGet&) = delete;
    THTTPGet& operator=(const THTTPGet&) = delete;

    std::string Agent;
    std::string URL;
    std::string Proxy; // host:port; empty: the environment's proxy settings
    std::string ProxyUser;
    std::string ProxyPassword;

    // Starts a request and returns at once; does nothing while one runs.
    void FetchText();
    // Asks a running request to stop; the worker ends at its next check.
    void StopRequest();
    bool running() const { return m_running != nullptr; }

    // The worker's own copy of one request, with its result.
    struct Request;

private:
    void complete(const std::shared_ptr<Request>& request);

    PostToOwner m_post;
    HttpCompletion& m_handler;
    std::shared_ptr<Request> m_running;
};

} // namespace services
