#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "net/PageFetcher.h"
#include "support/HttpTestServer.h"

namespace sowmere::testing {

// The maker's server on loopback, reached through the program's page fetcher. Each file
// answers from its own script, one entry per request (nullopt: the connection closes without
// an answer, so the fetch gives nothing); once a script has run out every further request gets
// `then`.
class MakerFixture : public ::testing::Test {
protected:
    using Script = std::vector<std::optional<std::string>>;

    static constexpr const char* kUpdatePath = "/fb%20s,e,v,sen/qelvo/gx.txt";
    static constexpr const char* kAnnouncementPath = "/fb%20s,e,v,sen/gegz.txt";

    MakerFixture() {
        // Straight to the loopback server, whatever proxy the environment names.
        for (const char* name : kProxyVariables) {
            if (const char* value = std::getenv(name)) m_savedEnvironment.emplace_back(name, value);
            unsetenv(name);
        }
        m_server.route("", kUpdatePath, [this](const HttpRequest&) { return answer(m_update); });
        m_server.route("", kAnnouncementPath,
                       [this](const HttpRequest&) { return answer(m_announcement); });
    }
    ~MakerFixture() override {
        for (const auto& [name, value] : m_savedEnvironment) setenv(name.c_str(), value.c_str(), 1);
    }

    void serveUpdate(Script script, std::optional<std::string> then = std::nullopt) {
        m_update.set(std::move(script), std::move(then));
    }
    void serveAnnouncement(Script script, std::optional<std::string> then = std::nullopt) {
        m_announcement.set(std::move(script), std::move(then));
    }
    int updateRequests() const { return requestsFor(kUpdatePath); }
    int announcementRequests() const { return requestsFor(kAnnouncementPath); }

    net::PageSource& pages() { return m_fetcher; }
    // What the program would name as "http://" and the maker's host.
    std::string serverAddress() const { return m_server.origin(); }
    HttpTestServer& server() { return m_server; }

private:
    static constexpr const char* kProxyVariables[] = {"http_proxy", "HTTP_PROXY", "all_proxy",
                                                      "ALL_PROXY"};

    struct File {
        std::mutex mutex;  // the server answers on its own threads
        std::deque<std::optional<std::string>> script;
        std::optional<std::string> then;
        void set(Script s, std::optional<std::string> t) {
            std::lock_guard lock(mutex);
            script.assign(s.begin(), s.end());
            then = std::move(t);
        }
    };

    static HttpResponse answer(File& file) {
        std::optional<std::string> body;
        {
            std::lock_guard lock(file.mutex);
            if (file.script.empty()) {
                body = file.then;
            } else {
                body = file.script.front();
                file.script.pop_front();
            }
        }
        if (!body) {
            HttpResponse failure;
            failure.closeWithoutAnswer = true;
            return failure;
        }
        return HttpResponse::ok(*body, "text/plain");
    }

    int requestsFor(const std::string& path) const {
        int count = 0;
        for (const HttpRequest& request : m_server.requests()) count += request.path == path;
        return count;
    }

    std::vector<std::pair<std::string, std::string>> m_savedEnvironment;
    File m_update;
    File m_announcement;
    HttpTestServer m_server;
    net::PageFetcher m_fetcher;
};

}  // namespace sowmere::testing
