// The development server: plays the five search engines and the maker's server on loopback so
// that the program can be run and demonstrated with no network. Point the program's
// http_proxy at the address it prints.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "DevSite.h"

namespace {

void usage() {
    std::fprintf(stderr, "usage: sowmere_devserver [--port N] [--maker-dir DIR]\n");
    std::exit(2);
}

std::string_view reasonOf(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        case 502:
            return "Bad Gateway";
        default:
            return "Error";
    }
}

bool sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// One request per connection, as the program's HTTP/1.0 client makes them.
void serve(int fd, const sowmere::devserver::DevSite& site) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < (64u << 10)) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t lineEnd = request.find("\r\n");
    const std::string_view line(request.data(), lineEnd);
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || last <= first) {
        sendAll(fd, "HTTP/1.0 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
        return;
    }
    // The target runs to the last blank: raw GBK queries may hold blanks of their own.
    const std::string_view target = line.substr(first + 1, last - first - 1);
    std::string_view host;
    for (std::size_t at = lineEnd + 2; at < request.size();) {
        const std::size_t end = request.find("\r\n", at);
        if (end == std::string::npos || end == at) break;
        const std::string_view header(request.data() + at, end - at);
        if (header.size() > 5 && strncasecmp(header.data(), "host:", 5) == 0) {
            host = header.substr(5);
            while (!host.empty() && host.front() == ' ') host.remove_prefix(1);
        }
        at = end + 2;
    }

    const auto reply = site.answer(target, host);
    std::string head = "HTTP/1.0 " + std::to_string(reply.status) + " " +
                       std::string(reasonOf(reply.status)) +
                       "\r\nContent-Type: " + reply.contentType +
                       "\r\nContent-Length: " + std::to_string(reply.body.size()) +
                       "\r\nConnection: close\r\n\r\n";
    if (sendAll(fd, head)) sendAll(fd, reply.body);
}

}  // namespace

int main(int argc, char** argv) {
    int port = 0;
    std::string makerDir;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--port" && i + 1 < argc) {
            port = std::atoi(argv[++i]);
        } else if (arg == "--maker-dir" && i + 1 < argc) {
            makerDir = argv[++i];
        } else {
            usage();
        }
    }
    std::signal(SIGPIPE, SIG_IGN);

    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (listener < 0 ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 64) != 0) {
        std::perror("sowmere_devserver");
        return 1;
    }
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);

    const sowmere::devserver::DevSite site(SOWMERE_MAKER_HOST, makerDir);
    std::printf("http_proxy=http://127.0.0.1:%d\n", ntohs(address.sin_port));
    std::fflush(stdout);

    while (true) {
        const int fd = accept(listener, nullptr, nullptr);
        if (fd < 0) continue;
        serve(fd, site);
        close(fd);
    }
}
