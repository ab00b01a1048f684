// The development server: plays the five search engines and the maker's server on loopback so
// that the program can be run and demonstrated with no network. Point the program's
// http_proxy at the address it prints.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "DevSite.h"
#include "Serve.h"
#include "support/HttpTestServer.h"

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
            std::fprintf(stderr, "usage: sowmere_devserver [--port N] [--maker-dir DIR]\n");
            return 2;
        }
    }
    if (port < 0 || port > 65535) {
        std::fprintf(stderr, "sowmere_devserver: bad port %d\n", port);
        return 2;
    }

    try {
        const sowmere::devserver::DevSite site(SOWMERE_MAKER_HOST, makerDir);
        sowmere::testing::HttpTestServer server(static_cast<std::uint16_t>(port));
        server.setRecording(false);  // a long demonstration must not keep every request
        sowmere::devserver::serveDevSite(server, site);
        std::printf("http_proxy=%s\n", server.origin().c_str());
        std::fflush(stdout);
        while (true) pause();  // the server's threads answer until the process is killed
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sowmere_devserver: %s\n", e.what());
        return 1;
    }
}
