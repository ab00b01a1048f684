#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "harvest/HarvestHost.h"
#include "net/PageSource.h"
#include "support/Gbk.h"
#include "text/Text.h"

namespace sowmere::harvest::testing {

using text::Text;

using sowmere::testing::gbk;

// A fixture page of tests/harvest/data, as its UTF-8 bytes.
std::string fixture(std::string_view name);

// The engines' web as the tests see it: URL (GBK bytes, as the harvester builds it) to UTF-8
// body. An unknown URL answers with nothing, like an unreachable page. Records every URL asked
// for, in order. Thread-safe, so that a server thread may answer from it.
class TestWeb {
public:
    void route(std::string url, std::string utf8Body);
    // The body for a URL, empty when the URL is unknown; the URL is recorded either way.
    std::string answer(const std::string& url);
    std::vector<std::string> requests() const;
    int requestCount() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_routes;
    std::vector<std::string> m_requests;
};

// The window side of a harvest, without widgets: a five-column table, the two boxes, and the
// event pump reduced to counters and hooks. Nothing waits for real time.
class FakeHost final : public HarvestHost {
public:
    using Row = std::array<Text, 5>;

    bool longTailTicked() override;
    int readDelayBox() override { return delayMs; }
    void processPendingEvents() override;
    void delayWithEvents(int ms) override;
    void appendRow() override;
    int rowCount() override { return static_cast<int>(rows.size()); }
    void setCell(int row, int column, std::string_view text) override;

    // What the harvester saw and did, in order: "append", "cell R C", "delay MS", "fetch URL"
    // (the last written by RecordingSource).
    std::vector<std::string> log;
    std::vector<Row> rows;
    std::vector<int> delays;
    int eventCalls = 0;
    int longTailReads = 0;

    bool longTail = false;
    int delayMs = 0;
    // Run inside the host's calls, like window events handled in the middle of a harvest.
    std::function<void(int call)> onEvents;        // call counts from 1
    std::function<void(int delay)> onDelay;        // delay counts from 1
    std::function<bool(int read)> longTailScript;  // overrides `longTail` when set
};

// Passes fetches on to another page source and writes them into the host's log.
class RecordingSource final : public net::PageSource {
public:
    RecordingSource(net::PageSource& inner, FakeHost& host) : m_inner(inner), m_host(host) {}
    Text fetchText(std::string_view url) override;
    Text fetchPage(std::string_view url) override;

private:
    net::PageSource& m_inner;
    FakeHost& m_host;
};

// A page source straight over TestWeb: the body cut at its first zero byte and converted from
// UTF-8 to GBK, as the page fetcher does.
class FakePageSource final : public net::PageSource {
public:
    explicit FakePageSource(TestWeb& web) : m_web(web) {}
    Text fetchText(std::string_view url) override;
    Text fetchPage(std::string_view url) override;

private:
    TestWeb& m_web;
};

// The real page fetcher, with http_proxy pointed at a loopback server that answers from the
// TestWeb by the absolute URL of each proxied request (an unknown URL: the connection closes
// without an answer).
std::unique_ptr<net::PageSource> makeWireSource(TestWeb& web);

}  // namespace sowmere::harvest::testing
