#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/PageFetcher.h"
#include "support/Gbk.h"
#include "support/HttpTestServer.h"

using namespace std::chrono_literals;
using sowmere::net::FetchLimits;
using sowmere::net::PageFetcher;
using sowmere::testing::gbk;
using sowmere::testing::HttpRequest;
using sowmere::testing::HttpResponse;
using sowmere::testing::HttpTestServer;

namespace {

constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

using sowmere::testing::ProxyEnvironment;

class PageFetcherTest : public ::testing::Test {
protected:
    ProxyEnvironment m_environment;
    HttpTestServer m_server;
    PageFetcher m_fetcher;

    std::string expectedHead(const std::string& target, const std::string& host) const {
        return "GET " + target + " HTTP/1.0\r\nHost: " + host + "\r\nUser-Agent: " + kUserAgent +
               "\r\nAccept: */*\r\n\r\n";
    }
    std::string localHost() const { return "127.0.0.1:" + std::to_string(m_server.port()); }
};

TEST_F(PageFetcherTest, RequestBytes_AreExactlyTheFixedRequest_WithRawGbkAndNoFragment) {
    m_server.route("", "/s", HttpResponse::ok("ok"));
    const std::string query = "wd=" + gbk(u8"中文") + "&pn=10";

    EXPECT_EQ(m_fetcher.fetchBytes(m_server.url("/s?" + query + "#results")), "ok");

    ASSERT_EQ(m_server.requestCount(), 1u);
    EXPECT_EQ(m_server.lastRequest().raw, expectedHead("/s?" + query, localHost()));
}

TEST_F(PageFetcherTest, RequestTarget_BlankAndControlBytesEncoded_EverythingElseAsWritten) {
    m_server.setDefaultHandler([](const HttpRequest&) { return HttpResponse::ok("x"); });
    struct Case {
        std::string written, sent;
    };
    const std::vector<Case> cases = {
        {"/s?wd=" + gbk(u8"中 文"), "/s?wd=" + gbk(u8"中") + "%20" + gbk(u8"文")},
        {"/s?wd=a\r\nX-Injected: 1", "/s?wd=a%0D%0AX-Injected:%201"},
        {"/s?wd=a\tb\x7F\x01", "/s?wd=a%09b%7F%01"},
        {std::string("/p\0q", 4), "/p%00q"},
        {"/a b/c?q", "/a%20b/c?q"},
        {"/s?wd=%E4%B8+a&b=\"<'>\"", "/s?wd=%E4%B8+a&b=\"<'>\""},
        {"/a/../b/./c", "/a/../b/./c"},
        {"/s?wd=x#frag ment?more", "/s?wd=x"},
        {"?only=query", "/?only=query"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        m_server.clearRequests();
        EXPECT_EQ(m_fetcher.fetchBytes(m_server.origin() + c.written), "x");
        ASSERT_EQ(m_server.requestCount(), 1u);
        EXPECT_EQ(m_server.lastRequest().raw, expectedHead(c.sent, localHost()));
    }
}

TEST_F(PageFetcherTest, Body_ComesBackAsBytesTextAndGbkPage) {
    const std::string zeroInside("ab\0cd", 5);
    HttpResponse notFound = HttpResponse::ok("<h1>gone</h1>");
    notFound.status = 404;
    HttpResponse closeDelimited = HttpResponse::ok("read until the close");
    closeDelimited.sendContentLength = false;
    HttpResponse bodyless;
    m_server.route("", "/utf8", HttpResponse::ok("\xE4\xB8\xAD\xE6\x96\x87"));
    m_server.route("", "/ascii", HttpResponse::ok("<a href=\"/x\">y</a>\r\n"));
    m_server.route("", "/zero", HttpResponse::ok(zeroInside));
    m_server.route("", "/missing", notFound);
    m_server.route("", "/unframed", closeDelimited);
    m_server.route("", "/empty", bodyless);
    struct Case {
        const char* path;
        std::string bytes, text, page;
    };
    const std::vector<Case> cases = {
        {"/utf8", "\xE4\xB8\xAD\xE6\x96\x87", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
        {"/ascii", "<a href=\"/x\">y</a>\r\n", "<a href=\"/x\">y</a>\r\n",
         "<a href=\"/x\">y</a>\r\n"},
        {"/zero", zeroInside, "ab", "ab"},
        {"/missing", "<h1>gone</h1>", "<h1>gone</h1>", "<h1>gone</h1>"},
        {"/unframed", "read until the close", "read until the close", "read until the close"},
        {"/empty", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(m_fetcher.fetchBytes(m_server.url(c.path)), c.bytes);
        EXPECT_EQ(m_fetcher.fetchText(m_server.url(c.path)), c.text);
        EXPECT_EQ(m_fetcher.fetchPage(m_server.url(c.path)), c.page);
    }
}

TEST_F(PageFetcherTest, NothingFetched_GivesEmptyBytes) {
    HttpResponse hangUp;
    hangUp.closeWithoutAnswer = true;
    m_server.route("", "/hang-up", hangUp);
    const std::string closed = "http://127.0.0.1:" + std::to_string(HttpTestServer::closedPort());
    const std::string port = std::to_string(m_server.port());
    struct Case {
        std::string url;
        std::size_t requestsMade;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {closed + "/s?wd=x", 0},
        {"127.0.0.1:" + port + "/no-scheme", 0},
        {"ftp://127.0.0.1:" + port + "/x", 0},
        {"file:///etc/hostname", 0},
        {"http:///no-host", 0},
        {"http://127.0.0.1:" + port + " /blank-in-host", 0},
        {"not a url at all", 0},
        {m_server.url("/hang-up"), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        m_server.clearRequests();
        EXPECT_EQ(m_fetcher.fetchBytes(c.url), "");
        EXPECT_EQ(m_fetcher.fetchPage(c.url), "");
        EXPECT_EQ(m_server.requestCount(), 2 * c.requestsMade);
    }
    // The client is still usable after all of that.
    m_server.route("", "/after", HttpResponse::ok("fine"));
    EXPECT_EQ(m_fetcher.fetchBytes(m_server.url("/after")), "fine");
}

TEST_F(PageFetcherTest, BrokenOffStalledOrOversizedBody_GivesWhatArrived) {
    FetchLimits limits;
    limits.stallTimeout = 200ms;
    limits.maxBodyBytes = 100'000;
    PageFetcher fetcher(limits);

    HttpResponse cut = HttpResponse::ok("0123456789");
    cut.cutAfter = 4;
    HttpResponse stallsInBody = HttpResponse::ok("hello, the rest comes too late");
    stallsInBody.stallAfter = 5;
    stallsInBody.stallFor = 30s;
    HttpResponse stallsBeforeBody = stallsInBody;
    stallsBeforeBody.stallAfter = 0;
    HttpResponse endless;
    endless.streamedBodyBytes = 1ull << 40;
    HttpResponse exactlyTheCap = HttpResponse::ok(std::string(100'000, 'z'));
    m_server.route("", "/cut", cut);
    m_server.route("", "/stall-in-body", stallsInBody);
    m_server.route("", "/stall-before-body", stallsBeforeBody);
    m_server.route("", "/endless", endless);
    m_server.route("", "/cap", exactlyTheCap);

    EXPECT_EQ(fetcher.fetchBytes(m_server.url("/cut")), "0123");
    EXPECT_EQ(fetcher.fetchBytes(m_server.url("/stall-in-body")), "hello");
    EXPECT_EQ(fetcher.fetchBytes(m_server.url("/stall-before-body")), "");
    std::string pattern;
    for (std::size_t i = 0; i < 100'000; ++i) pattern += static_cast<char>('a' + i % 26);
    EXPECT_EQ(fetcher.fetchBytes(m_server.url("/endless")), pattern);
    EXPECT_EQ(fetcher.fetchBytes(m_server.url("/cap")), std::string(100'000, 'z'));
}

TEST_F(PageFetcherTest, Redirects_AreFollowedWithoutReferrer_AndALoopEndsEmpty) {
    FetchLimits limits;
    limits.maxRedirects = 3;
    PageFetcher fetcher(limits);
    m_server.route("", "/first", HttpResponse::redirect(m_server.url("/second"), 301));
    m_server.route("", "/second", HttpResponse::redirect("/final?from=second", 302));
    m_server.route("", "/final", HttpResponse::ok("arrived"));
    m_server.route("", "/loop", HttpResponse::redirect("/loop"));

    EXPECT_EQ(fetcher.fetchPage(m_server.url("/first")), "arrived");
    const auto chain = m_server.requests();
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain[2].raw, expectedHead("/final?from=second", localHost()));

    m_server.clearRequests();
    EXPECT_EQ(fetcher.fetchBytes(m_server.url("/loop")), "");
    EXPECT_EQ(m_server.requestCount(), 4u);  // the first request and three redirects
}

TEST_F(PageFetcherTest, Cookies_SetByAServer_AreSentBackOnLaterFetches) {
    m_server.route("", "/login",
                   HttpResponse::ok("set").withHeader("Set-Cookie", "sid=42; Path=/"));
    m_server.route("", "/account", [](const HttpRequest& request) {
        return HttpResponse::ok(request.header("Cookie") == "sid=42" ? "welcome" : "who are you");
    });

    EXPECT_EQ(m_fetcher.fetchPage(m_server.url("/account")), "who are you");
    EXPECT_EQ(m_fetcher.fetchPage(m_server.url("/login")), "set");
    EXPECT_EQ(m_fetcher.fetchPage(m_server.url("/account")), "welcome");
    EXPECT_EQ(m_server.lastRequest().raw, "GET /account HTTP/1.0\r\nHost: " + localHost() +
                                              "\r\nUser-Agent: " + kUserAgent +
                                              "\r\nAccept: */*\r\nCookie: sid=42\r\n\r\n");
}

TEST_F(PageFetcherTest, Proxy_FromTheEnvironment_IsUsedForEveryRequest) {
    // The same fetcher: direct first, then through the proxy once one is configured.
    m_server.route("", "/direct", HttpResponse::ok("direct"));
    EXPECT_EQ(m_fetcher.fetchPage(m_server.url("/direct")), "direct");
    EXPECT_FALSE(m_server.lastRequest().absoluteTarget);

    setenv("http_proxy", m_server.origin().c_str(), 1);
    m_server.clearRequests();
    const std::string query = "wd=" + gbk(u8"中文");
    m_server.route("www.engine.test", "/s", HttpResponse::ok("\xE4\xB8\xAD"));
    EXPECT_EQ(m_fetcher.fetchPage("http://www.engine.test/s?" + query + "#top"), "\xD6\xD0");
    ASSERT_EQ(m_server.requestCount(), 1u);
    EXPECT_EQ(m_server.lastRequest().raw,
              expectedHead("http://www.engine.test/s?" + query, "www.engine.test"));

    // A redirect to another host goes through the proxy as well.
    m_server.clearRequests();
    m_server.route("www.engine.test", "/go",
                   HttpResponse::redirect("http://other.test:8080/landing?x=1"));
    m_server.route("other.test", "/landing", HttpResponse::ok("landed"));
    EXPECT_EQ(m_fetcher.fetchPage("http://www.engine.test/go"), "landed");
    const auto requests = m_server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].raw,
              expectedHead("http://other.test:8080/landing?x=1", "other.test:8080"));

    // An HTTPS URL asks the proxy for a tunnel and is never sent in the clear; this proxy
    // refuses the tunnel, so nothing is fetched.
    setenv("https_proxy", m_server.origin().c_str(), 1);
    m_server.clearRequests();
    EXPECT_EQ(m_fetcher.fetchPage("https://www.engine.test/s?wd=x"), "");
    ASSERT_EQ(m_server.requestCount(), 1u);
    EXPECT_EQ(m_server.lastRequest().raw,
              "CONNECT www.engine.test:443 HTTP/1.1\r\nHost: www.engine.test:443\r\nUser-Agent: " +
                  std::string(kUserAgent) + "\r\n\r\n");

    // no_proxy names a host that is reached directly.
    HttpTestServer target;
    target.route("", "/bypass", HttpResponse::ok("bypassed"));
    setenv("no_proxy", "127.0.0.1", 1);
    m_server.clearRequests();
    EXPECT_EQ(m_fetcher.fetchPage(target.url("/bypass")), "bypassed");
    EXPECT_EQ(m_server.requestCount(), 0u);
    EXPECT_EQ(target.requestCount(), 1u);
}

}  // namespace
