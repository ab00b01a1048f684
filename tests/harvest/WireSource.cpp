#include <cstdlib>

#include "HarvestFakes.h"
#include "net/PageFetcher.h"
#include "support/HttpTestServer.h"

namespace sowmere::harvest::testing {
namespace {

class WireSource final : public net::PageSource {
public:
    explicit WireSource(TestWeb& web) {
        m_server.setDefaultHandler([&web](const sowmere::testing::HttpRequest& request) {
            sowmere::testing::HttpResponse response;
            response.body = web.answer(request.target);
            response.closeWithoutAnswer = response.body.empty();
            response.headers = {{"Content-Type", "text/html; charset=utf-8"}};
            return response;
        });
        // The engines' hosts are real names: only the proxy brings them to the loopback server.
        setenv("http_proxy", m_server.origin().c_str(), 1);
        unsetenv("HTTP_PROXY");
        unsetenv("no_proxy");
        unsetenv("NO_PROXY");
    }
    Text fetchText(std::string_view url) override { return m_fetcher.fetchText(url); }
    Text fetchPage(std::string_view url) override { return m_fetcher.fetchPage(url); }

private:
    sowmere::testing::HttpTestServer m_server;
    net::PageFetcher m_fetcher;
};

}  // namespace

std::unique_ptr<net::PageSource> makeWireSource(TestWeb& web) {
    return std::make_unique<WireSource>(web);
}

}  // namespace sowmere::harvest::testing
