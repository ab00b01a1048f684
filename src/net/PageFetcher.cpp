#include "net/PageFetcher.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>

#include "text/CodePage.h"

// What goes on the wire for "http://host:8080/s?wd=<GBK bytes>#top", directly:
//
//   GET /s?wd=<GBK bytes> HTTP/1.0
//   Host: host:8080
//   User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)
//   Accept: */*
//
// and through a proxy the same with the absolute URL on the request line; an HTTPS URL through a
// proxy first sends "CONNECT host:443 HTTP/1.1" with Host and User-Agent. Nothing else: no
// Referer (also not on redirects), no Accept-Encoding, no Proxy-Connection, no Connection; a
// Cookie line only when a server of this process has set one that matches; an Authorization
// line only when the URL carries a user name.

namespace sowmere::net {

namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// curl_global_init is retried until it succeeds once; it is never undone, since the client is
// kept to the end of the process.
bool initialiseLibrary() {
    static std::mutex mutex;
    static bool done = false;
    std::lock_guard lock(mutex);
    if (!done) done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return done;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The URL as handed to the client: the fragment cut off, and a blank or control byte in the
// path or query percent-encoded, since sent raw it would end the request line early or start a
// header of the caller's making. Every other byte goes as written, GBK bytes included. Empty
// when the URL is not an http or https URL with a host.
std::optional<std::string> requestUrl(std::string_view url) {
    url = url.substr(0, url.find('#'));
    const auto schemeEnd = url.find("://");
    if (schemeEnd == std::string_view::npos) return std::nullopt;
    std::string scheme(url.substr(0, schemeEnd));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), lowerAscii);
    if (scheme != "http" && scheme != "https") return std::nullopt;
    const auto authorityEnd = std::min(url.find_first_of("/?", schemeEnd + 3), url.size());
    if (authorityEnd == schemeEnd + 3) return std::nullopt;

    std::string result(url.substr(0, authorityEnd));
    for (unsigned char byte : url.substr(authorityEnd)) {
        if (byte <= 0x20 || byte == 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            result += '%';
            result += kHex[byte >> 4];
            result += kHex[byte & 0x0F];
        } else {
            result += static_cast<char>(byte);
        }
    }
    return result;
}

// One fetch in progress: the body so far, the cap on it, and when a byte last arrived.
struct Transfer {
    Bytes body;
    std::size_t maxBodyBytes = 0;
    std::chrono::steady_clock::time_point lastArrival;
};

std::size_t onBody(char* data, std::size_t, std::size_t size, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    transfer.lastArrival = std::chrono::steady_clock::now();
    const std::size_t room = transfer.maxBodyBytes - transfer.body.size();
    if (size > room) {
        // At the cap: keep what fits and end the transfer (a short count stops libcurl).
        transfer.body.append(data, room);
        return 0;
    }
    transfer.body.append(data, size);
    return size;
}

std::size_t onHeader(char*, std::size_t, std::size_t size, void* user) {
    static_cast<Transfer*>(user)->lastArrival = std::chrono::steady_clock::now();
    return size;
}

}  // namespace

// The process's HTTP client: one easy handle (it holds the options and the cookies received)
// driven by a multi handle, so that the fetch loop can watch the stall time-out to the
// millisecond instead of at libcurl's once-a-second progress calls.
struct PageFetcher::Client {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
    curl_slist* headers = nullptr;

    ~Client() {
        if (multi) curl_multi_cleanup(multi);
        if (easy) curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }

    static std::unique_ptr<Client> open(const FetchLimits& limits) {
        if (!initialiseLibrary()) return nullptr;
        auto client = std::make_unique<Client>();
        client->easy = curl_easy_init();
        client->multi = curl_multi_init();
        if (!client->easy || !client->multi) return nullptr;
        // "Accept: */*" is libcurl's own default line. The empty "Proxy-Connection:" keeps
        // libcurl from adding its keep-alive line when it talks to a proxy, both on a plain
        // request and on the CONNECT that opens a tunnel for HTTPS.
        client->headers = curl_slist_append(nullptr, "Proxy-Connection:");
        if (!client->headers) return nullptr;
        CURL* e = client->easy;
        bool ok = true;
        auto set = [&](CURLoption option, auto value) {
            ok = ok && curl_easy_setopt(e, option, value) == CURLE_OK;
        };
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_PROTOCOLS_STR, "http,https");
        set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        set(CURLOPT_HTTPGET, 1L);
        set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
        set(CURLOPT_USERAGENT, kUserAgent);
        set(CURLOPT_HTTPHEADER, client->headers);
        set(CURLOPT_PROXYHEADER, client->headers);
        set(CURLOPT_PATH_AS_IS, 1L);  // "/a/../b" goes as written, like every other byte
        set(CURLOPT_FOLLOWLOCATION, 1L);
        set(CURLOPT_MAXREDIRS, limits.maxRedirects);
        set(CURLOPT_AUTOREFERER, 0L);
        set(CURLOPT_COOKIEFILE, "");  // cookie engine on, in memory, for the life of the handle
        // Every fetch opens its own connection and closes it when done.
        set(CURLOPT_FRESH_CONNECT, 1L);
        set(CURLOPT_FORBID_REUSE, 1L);
        set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeout.count()));
        set(CURLOPT_WRITEFUNCTION, &onBody);
        set(CURLOPT_HEADERFUNCTION, &onHeader);
        // No CURLOPT_PROXY: libcurl then reads http_proxy, https_proxy, all_proxy and no_proxy
        // from the environment for every new connection, which is the system's proxy rule here.
        if (!ok) return nullptr;
        return client;
    }
};

PageFetcher::PageFetcher(FetchLimits limits) : m_limits(limits) {}

PageFetcher::~PageFetcher() = default;

Bytes PageFetcher::fetchBytes(std::string_view url) {
    if (url.empty()) return {};
    const std::optional<std::string> target = requestUrl(url);
    if (!target) return {};
    if (!m_client) m_client = Client::open(m_limits);  // a failed opening is tried again next time
    if (!m_client) return {};

    CURL* easy = m_client->easy;
    CURLM* multi = m_client->multi;
    Transfer transfer;
    transfer.maxBodyBytes = m_limits.maxBodyBytes;
    transfer.lastArrival = std::chrono::steady_clock::now();
    if (curl_easy_setopt(easy, CURLOPT_URL, target->c_str()) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer) != CURLE_OK ||
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer) != CURLE_OK ||
        curl_multi_add_handle(multi, easy) != CURLM_OK)
        return {};

    // The stall clock starts with the fetch and restarts with every byte of a header or body
    // that arrives. However the transfer ends (done, failed, cut off, stalled, capped), the body
    // received so far is the result; a failed connection or request has received none.
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK || running == 0) break;
        const auto idle = std::chrono::steady_clock::now() - transfer.lastArrival;
        if (idle >= m_limits.stallTimeout) break;
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(m_limits.stallTimeout - idle);
        if (curl_multi_poll(multi, nullptr, 0,
                            static_cast<int>(std::min<long long>(wait.count(), 1000)),
                            nullptr) != CURLM_OK)
            break;
    }
    curl_multi_remove_handle(multi, easy);  // also closes the connection
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, nullptr);
    return std::move(transfer.body);
}

Text PageFetcher::fetchText(std::string_view url) { return text::bytesToText(fetchBytes(url)); }

Text PageFetcher::fetchPage(std::string_view url) { return text::utf8ToLocal(fetchText(url)); }

}  // namespace sowmere::net
