#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/PageSource.h"

namespace sowmere::testing {

// The maker's server for the start-up checks: each file answers from its own script, one entry
// per request (nullopt: the request fails); once a script has run out, every further request
// gets `then`.
class MakerFixture : public ::testing::Test {
protected:
    using Script = std::vector<std::optional<std::string>>;

    void serveUpdate(Script script, std::optional<std::string> then = std::nullopt) {
        m_pages.update = {script.begin(), script.end()};
        m_pages.updateThen = std::move(then);
        m_pages.updateCount = 0;
    }
    void serveAnnouncement(Script script, std::optional<std::string> then = std::nullopt) {
        m_pages.announcement = {script.begin(), script.end()};
        m_pages.announcementThen = std::move(then);
        m_pages.announcementCount = 0;
    }
    int updateRequests() const { return m_pages.updateCount; }
    int announcementRequests() const { return m_pages.announcementCount; }
    std::string lastUpdatePath() const { return m_pages.lastUpdate; }
    std::string lastAnnouncementPath() const { return m_pages.lastAnnouncement; }

    net::PageSource& pages() { return m_pages; }
    std::string serverAddress() const { return "http://maker.test"; }

private:
    struct Pages final : net::PageSource {
        std::deque<std::optional<std::string>> update, announcement;
        std::optional<std::string> updateThen, announcementThen;
        int updateCount = 0, announcementCount = 0;
        std::string lastUpdate, lastAnnouncement;
        net::Text fetchText(std::string_view url) override {
            std::string path(url.substr(std::string_view("http://maker.test").size()));
            std::string escaped;
            for (char c : path) escaped += c == ' ' ? std::string("%20") : std::string(1, c);
            auto next = [](std::deque<std::optional<std::string>>& q,
                           const std::optional<std::string>& then = {}) -> std::string {
                if (q.empty()) return then.value_or("");
                auto v = q.front();
                q.pop_front();
                return v.value_or("");
            };
            if (escaped.find("gx.txt") != std::string::npos) {
                ++updateCount;
                lastUpdate = escaped;
                return next(update, updateThen);
            }
            ++announcementCount;
            lastAnnouncement = escaped;
            return next(announcement, announcementThen);
        }
        net::Text fetchPage(std::string_view) override { return {}; }
    } m_pages;
};

}  // namespace sowmere::testing
