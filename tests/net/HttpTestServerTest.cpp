// The loopback server's routing, on which every network test relies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/PageFetcher.h"
#include "support/HttpTestServer.h"

using sowmere::net::PageFetcher;
using sowmere::testing::HttpRequest;
using sowmere::testing::HttpResponse;
using sowmere::testing::HttpTestServer;

namespace {

TEST(HttpTestServer, RoutesByHostThenExactTargetThenLongestPrefix) {
    HttpTestServer server;
    server.route("", "/s", HttpResponse::ok("any host, /s"));
    server.route("", "/s?wd=exact", HttpResponse::ok("any host, exact query"));
    server.route("a.test", "/s", HttpResponse::ok("a.test, /s"));
    server.routePrefix("", "/files/", [](const HttpRequest& r) {
        return HttpResponse::ok("short prefix " + r.path);
    });
    server.routePrefix("", "/files/deep/", [](const HttpRequest& r) {
        return HttpResponse::ok("long prefix " + r.query);
    });
    struct Case {
        std::string url, body;
    };
    const std::vector<Case> cases = {
        {"http://a.test/s?wd=exact", "a.test, /s"},
        {"http://A.TEST:81/s?wd=other", "a.test, /s"},
        {"http://b.test/s?wd=exact", "any host, exact query"},
        {"http://b.test/s?wd=other", "any host, /s"},
        {"http://b.test/files/x", "short prefix /files/x"},
        {"http://b.test/files/deep/y?q=1", "long prefix q=1"},
        {"http://b.test/nothing", "no route for b.test/nothing"},
    };
    // Through the server as a proxy, so that one server stands in for several hosts.
    sowmere::testing::ProxyEnvironment environment(server.origin());
    PageFetcher fetcher;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(fetcher.fetchText(c.url), c.body);
    }
    EXPECT_EQ(server.lastRequest().host, "b.test");
    EXPECT_EQ(server.lastRequest().path, "/nothing");

    server.setDefaultHandler(
        [](const HttpRequest& r) { return HttpResponse::ok("default " + r.target); });
    EXPECT_EQ(fetcher.fetchText("http://b.test/nothing"), "default http://b.test/nothing");
    EXPECT_EQ(server.requestCount(), cases.size() + 1);
}

}  // namespace
