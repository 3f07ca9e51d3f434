#include "services/THTTPGet.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <mutex>
#include <string_view>
#include <thread>

namespace services {

struct THTTPGet::Request {
    std::string agent;
    std::string url;
    std::string proxy;
    std::string proxyUser;
    std::string proxyPassword;
    // Written by the owner's thread only, read by the worker between steps and reads.
    std::atomic<bool> stop = false;
    // Written by the worker only; read on the owner's thread once the worker has posted.
    bool succeeded = false;
    std::string body;
};

namespace {

// A server that never ends its reply, or a dead link, must not keep the worker forever.
constexpr long kConnectTimeoutSeconds = 30;
constexpr long kStalledSeconds = 60;

struct HostAndPath {
    std::string host;
    std::string path;
};

// Only plain HTTP on port 80 is spoken: a leading "http://" (any case) is dropped, the host runs to
// the first "/", and the path is the rest with its query.
HostAndPath splitUrl(std::string url) {
    constexpr std::string_view kScheme = "http://";
    const bool hasScheme = url.size() >= kScheme.size() &&
                           std::equal(kScheme.begin(), kScheme.end(), url.begin(), [](char a, char b) {
                               return a == std::tolower(static_cast<unsigned char>(b));
                           });
    if (hasScheme)
        url.erase(0, kScheme.size());
    const auto slash = url.find('/');
    if (slash == std::string::npos)
        return {url, ""};
    return {url.substr(0, slash), url.substr(slash)};
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& request = *static_cast<THTTPGet::Request*>(user);
    const std::size_t bytes = size * count;
    // Returning fewer bytes than offered ends the transfer as failed.
    if (request.stop || request.body.size() + bytes > THTTPGet::kMaxBody)
        return 0;
    request.body.append(data, bytes);
    return bytes;
}

int checkStop(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<THTTPGet::Request*>(user)->stop ? 1 : 0;
}

void initialiseCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool download(THTTPGet::Request& request) {
    if (request.stop)
        return false;
    const HostAndPath target = splitUrl(request.url);
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl || request.stop)
        return false;
    CURL* c = curl.get();
    const std::string address = "http://" + target.host + target.path;
    curl_easy_setopt(c, CURLOPT_URL, address.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(c, CURLOPT_PORT, 80L);
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, request.agent.c_str());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, kStalledSeconds);
    if (!request.proxy.empty()) {
        curl_easy_setopt(c, CURLOPT_PROXY, request.proxy.c_str());
        if (!request.proxyUser.empty()) {
            curl_easy_setopt(c, CURLOPT_PROXYUSERNAME, request.proxyUser.c_str());
            curl_easy_setopt(c, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str());
        }
    }
    // Always from the server, never from a cache on the way.
    std::unique_ptr<curl_slist, HeaderListDeleter> headers(curl_slist_append(nullptr, "Pragma: no-cache"));
    if (!headers || !curl_slist_append(headers.get(), "Cache-Control: no-cache"))
        return false;
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &request);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, checkStop);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &request);
    // The status code is not looked at: an error page's body is delivered like any other text.
    return curl_easy_perform(c) == CURLE_OK && !request.stop;
}

} // namespace

THTTPGet::THTTPGet(PostToOwner post, HttpCompletion& handler) : m_post(std::move(post)), m_handler(handler) {}

THTTPGet::~THTTPGet() {
    StopRequest();
}

void THTTPGet::FetchText() {
    if (m_running)
        return;
    initialiseCurl();
    auto request = std::make_shared<Request>();
    request->agent = Agent;
    request->url = URL;
    request->proxy = Proxy;
    request->proxyUser = ProxyUser;
    request->proxyPassword = ProxyPassword;
    // The worker owns its request; the component may be gone when it ends, which the stop flag
    // (set by the destructor) tells the posted completion before it touches the component.
    std::thread([request, post = m_post, owner = this] {
        request->succeeded = download(*request);
        post([request, owner] {
            if (!request->stop)
                owner->complete(request);
        });
    }).detach();
    m_running = request;
}

void THTTPGet::StopRequest() {
    if (!m_running)
        return;
    m_running->stop = true;
    m_running.reset();
}

void THTTPGet::complete(const std::shared_ptr<Request>& request) {
    m_running.reset();
    if (request->succeeded)
        m_handler.HTTPGet1DoneString(request->body);
    else
        m_handler.HTTPGet1Error();
}

} // namespace services
