#include "support/HttpTestServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>

namespace sowmere::testing {

namespace {

constexpr std::size_t kMaxHeadBytes = 1 << 20;
constexpr std::size_t kMaxRequestBodyBytes = 16 << 20;
constexpr std::size_t kChunkBytes = 64 << 10;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerCase(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), lowerAscii);
    return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// "host", "host:port", "[::1]:port" into a lower-case host and a port (0 when none).
void splitHostPort(std::string_view authority, std::string& host, std::uint16_t& port) {
    if (auto at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        auto close = authority.find(']');
        if (close != std::string_view::npos && close + 1 < authority.size() &&
            authority[close + 1] == ':')
            portText = authority.substr(close + 2);
        authority =
            authority.substr(0, close == std::string_view::npos ? authority.size() : close + 1);
    } else if (auto colon = authority.rfind(':'); colon != std::string_view::npos) {
        portText = authority.substr(colon + 1);
        authority = authority.substr(0, colon);
    }
    host = lowerCase(authority);
    port = 0;
    unsigned value = 0;
    for (char c : portText) {
        if (c < '0' || c > '9' || value > 65535) return;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value <= 65535) port = static_cast<std::uint16_t>(value);
}

// Parses the head in request.raw; false when it is not a request.
bool parseHead(HttpRequest& request, std::string_view head) {
    auto lineEnd = head.find("\r\n");
    std::string_view line = head.substr(0, lineEnd);
    auto firstBlank = line.find(' ');
    auto lastBlank = line.rfind(' ');
    if (firstBlank == std::string_view::npos || lastBlank == firstBlank) return false;
    request.method = std::string(line.substr(0, firstBlank));
    request.target = std::string(line.substr(firstBlank + 1, lastBlank - firstBlank - 1));
    request.version = std::string(line.substr(lastBlank + 1));

    std::string_view rest =
        lineEnd == std::string_view::npos ? std::string_view{} : head.substr(lineEnd + 2);
    while (!rest.empty()) {
        auto end = rest.find("\r\n");
        std::string_view header = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 2);
        if (header.empty()) break;
        auto colon = header.find(':');
        if (colon == std::string_view::npos) continue;
        request.headers.emplace_back(std::string(header.substr(0, colon)),
                                     std::string(trim(header.substr(colon + 1))));
    }

    std::string_view target = request.target;
    auto schemeEnd = target.find("://");
    if (!target.empty() && target.front() != '/' && schemeEnd != std::string_view::npos) {
        request.absoluteTarget = true;
        target.remove_prefix(schemeEnd + 3);
        auto authorityEnd = target.find_first_of("/?");
        splitHostPort(target.substr(0, authorityEnd), request.host, request.port);
        target = authorityEnd == std::string_view::npos ? std::string_view{}
                                                        : target.substr(authorityEnd);
    } else {
        splitHostPort(request.header("Host"), request.host, request.port);
    }
    auto question = target.find('?');
    request.path = std::string(target.substr(0, question));
    if (request.path.empty()) request.path = "/";
    if (question != std::string_view::npos)
        request.query = std::string(target.substr(question + 1));
    return true;
}

const char* reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 308:
            return "Permanent Redirect";
        case 400:
            return "Bad Request";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// Waits up to `duration`; false when the client went away (or the server is stopping, which
// shuts the socket down) in the meantime.
bool waitWhileClientStays(int fd, std::chrono::milliseconds duration) {
    auto deadline = std::chrono::steady_clock::now() + duration;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        pollfd p{fd, POLLIN, 0};
        int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 1 << 30)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return false;
        if (ready == 0) return true;
        char scratch[512];
        ssize_t got = ::recv(fd, scratch, sizeof scratch, 0);
        if (got <= 0) return false;  // closed, reset or shut down
    }
}

void writeResponse(int fd, const HttpResponse& response) {
    if (response.closeWithoutAnswer) return;
    const bool streamed = response.streamedBodyBytes > 0;
    const std::uint64_t bodySize = streamed ? response.streamedBodyBytes : response.body.size();

    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " +
                       (response.reason.empty() ? reasonPhrase(response.status) : response.reason) +
                       "\r\n";
    bool hasLength = false;
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
        hasLength = hasLength || equalsIgnoreCase(name, "Content-Length");
    }
    if (response.sendContentLength && !hasLength)
        head += "Content-Length: " + std::to_string(bodySize) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (!sendAll(fd, head.data(), head.size())) return;

    std::uint64_t toSend = bodySize;
    if (response.cutAfter) toSend = std::min<std::uint64_t>(toSend, *response.cutAfter);
    const bool stalls = response.stallFor.count() > 0;
    std::uint64_t sent = 0;
    std::string pattern;
    if (streamed) {
        pattern.resize(kChunkBytes);
        for (std::size_t i = 0; i < pattern.size(); ++i)
            pattern[i] = static_cast<char>('a' + i % 26);
    }
    auto sendRange = [&](std::uint64_t until) {
        while (sent < until) {
            std::size_t n =
                static_cast<std::size_t>(std::min<std::uint64_t>(until - sent, kChunkBytes));
            const char* data = streamed ? pattern.data() + sent % 26 : response.body.data() + sent;
            if (streamed) n = std::min(n, pattern.size() - static_cast<std::size_t>(sent % 26));
            if (!sendAll(fd, data, n)) return false;
            sent += n;
        }
        return true;
    };
    if (stalls) {
        if (!sendRange(std::min<std::uint64_t>(response.stallAfter, toSend))) return;
        if (!waitWhileClientStays(fd, response.stallFor)) return;
    }
    sendRange(toSend);
}

}  // namespace

std::string HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (equalsIgnoreCase(key, name)) return value;
    return {};
}

bool HttpRequest::hasHeader(std::string_view name) const {
    return std::any_of(headers.begin(), headers.end(),
                       [&](const auto& h) { return equalsIgnoreCase(h.first, name); });
}

std::string HttpRequest::pathWithQuery() const {
    return query.empty() && target.find('?') == std::string::npos ? path : path + "?" + query;
}

HttpResponse HttpResponse::ok(std::string body, std::string contentType) {
    HttpResponse response;
    response.headers.emplace_back("Content-Type", std::move(contentType));
    response.body = std::move(body);
    return response;
}

HttpResponse HttpResponse::redirect(std::string location, int status) {
    HttpResponse response;
    response.status = status;
    response.headers.emplace_back("Location", std::move(location));
    response.body = "moved";
    return response;
}

HttpResponse HttpResponse::withHeader(std::string name, std::string value) && {
    headers.emplace_back(std::move(name), std::move(value));
    return std::move(*this);
}

HttpTestServer::HttpTestServer(std::uint16_t port) {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) throw std::runtime_error("HttpTestServer: socket failed");
    int yes = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listenFd, 128) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(m_wakeFds, O_CLOEXEC) != 0) {
        std::string why = std::strerror(errno);
        ::close(m_listenFd);
        throw std::runtime_error(
            "HttpTestServer: cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + why);
    }
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
    m_stopping = true;
    char byte = 0;
    [[maybe_unused]] auto ignored = ::write(m_wakeFds[1], &byte, 1);
    m_acceptThread.join();
    {
        std::lock_guard lock(m_mutex);
        for (auto& connection : m_connections)
            if (connection.fd >= 0) ::shutdown(connection.fd, SHUT_RDWR);
    }
    // No new connection arrives now, and only the accept thread removed entries.
    for (auto& connection : m_connections) connection.thread.join();
    ::close(m_listenFd);
    ::close(m_wakeFds[0]);
    ::close(m_wakeFds[1]);
}

std::string HttpTestServer::origin() const { return "http://127.0.0.1:" + std::to_string(m_port); }

std::string HttpTestServer::url(std::string_view pathWithQuery) const {
    return origin() + std::string(pathWithQuery);
}

void HttpTestServer::route(std::string host, std::string target, HttpResponse response) {
    route(std::move(host), std::move(target),
          [response = std::move(response)](const HttpRequest&) { return response; });
}

void HttpTestServer::route(std::string host, std::string target, HttpHandler handler) {
    std::lock_guard lock(m_mutex);
    m_routes[{lowerCase(host), std::move(target)}] = std::move(handler);
}

void HttpTestServer::routePrefix(std::string host, std::string prefix, HttpHandler handler) {
    std::lock_guard lock(m_mutex);
    m_prefixRoutes[{lowerCase(host), std::move(prefix)}] = std::move(handler);
}

void HttpTestServer::setDefaultHandler(HttpHandler handler) {
    std::lock_guard lock(m_mutex);
    m_defaultHandler = std::move(handler);
}

void HttpTestServer::setRecording(bool on) { m_recording = on; }

std::vector<HttpRequest> HttpTestServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t HttpTestServer::requestCount() const {
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

HttpRequest HttpTestServer::lastRequest() const {
    std::lock_guard lock(m_mutex);
    return m_requests.empty() ? HttpRequest{} : m_requests.back();
}

void HttpTestServer::clearRequests() {
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

std::uint16_t HttpTestServer::closedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

HttpHandler HttpTestServer::findHandler(const HttpRequest& request) const {
    std::lock_guard lock(m_mutex);
    const std::string withQuery = request.pathWithQuery();
    for (const std::string& host : {request.host, std::string()}) {
        if (auto it = m_routes.find({host, withQuery}); it != m_routes.end()) return it->second;
        if (auto it = m_routes.find({host, request.path}); it != m_routes.end()) return it->second;
    }
    for (const std::string& host : {request.host, std::string()}) {
        const HttpHandler* best = nullptr;
        std::size_t bestLength = 0;
        for (const auto& [key, handler] : m_prefixRoutes) {
            if (key.host == host && withQuery.starts_with(key.target) &&
                (!best || key.target.size() > bestLength)) {
                best = &handler;
                bestLength = key.target.size();
            }
        }
        if (best) return *best;
    }
    if (m_defaultHandler) return m_defaultHandler;
    return [](const HttpRequest& r) {
        HttpResponse response =
            HttpResponse::ok("no route for " + r.host + r.pathWithQuery(), "text/plain");
        response.status = 404;
        return response;
    };
}

void HttpTestServer::acceptLoop() {
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}};
        int ready = ::poll(fds, 2, 1000);
        if (m_stopping) return;
        reapFinished();
        if (ready <= 0 || !(fds[0].revents & POLLIN)) continue;
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        timeval idle{30, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &idle, sizeof idle);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &idle, sizeof idle);
        std::lock_guard lock(m_mutex);
        Connection& connection = m_connections.emplace_back();
        connection.fd = fd;
        connection.thread = std::thread([this, &connection] { serve(connection); });
    }
}

void HttpTestServer::reapFinished() {
    std::list<Connection> finished;
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            auto next = std::next(it);
            if (it->done) finished.splice(finished.end(), m_connections, it);
            it = next;
        }
    }
    for (auto& connection : finished) connection.thread.join();
}

void HttpTestServer::serve(Connection& connection) {
    const int fd = connection.fd;
    HttpRequest request;
    std::string& raw = request.raw;
    std::size_t headEnd = std::string::npos;
    char buffer[16 << 10];
    while (headEnd == std::string::npos && raw.size() < kMaxHeadBytes) {
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        raw.append(buffer, static_cast<std::size_t>(got));
        headEnd = raw.find("\r\n\r\n");
    }
    if (headEnd != std::string::npos &&
        parseHead(request, std::string_view(raw).substr(0, headEnd + 2))) {
        std::size_t wanted = 0;
        if (auto length = request.header("Content-Length"); !length.empty())
            wanted = std::min<std::size_t>(std::strtoull(length.c_str(), nullptr, 10),
                                           kMaxRequestBodyBytes);
        while (raw.size() - (headEnd + 4) < wanted) {
            ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            raw.append(buffer, static_cast<std::size_t>(got));
        }
        request.body = raw.substr(headEnd + 4);
        if (m_recording) {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        HttpResponse response;
        try {
            response = findHandler(request)(request);
        } catch (const std::exception& e) {
            response = HttpResponse::ok(std::string("handler failed: ") + e.what(), "text/plain");
            response.status = 500;
        }
        writeResponse(fd, response);
    }
    std::lock_guard lock(m_mutex);
    ::close(fd);
    connection.fd = -1;
    connection.done = true;
}

ProxyEnvironment::ProxyEnvironment(const std::string& httpProxy) {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
        const char* value = std::getenv(name);
        m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        ::unsetenv(name);
    }
    if (!httpProxy.empty()) ::setenv("http_proxy", httpProxy.c_str(), 1);
}

ProxyEnvironment::~ProxyEnvironment() {
    for (const auto& [name, value] : m_saved) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
}

}  // namespace sowmere::testing
