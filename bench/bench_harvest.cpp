// A run of 100 seed keywords over all five engines with no delay, against the development
// server's pages: the program's own work per page (conversion, cuts, pattern runs, table
// writes) apart from the network, and the longest stretch without handled events outside
// fetches.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "DevSite.h"
#include "Serve.h"
#include "harvest/Engines.h"
#include "harvest/HarvestHost.h"
#include "harvest/RunState.h"
#include "net/PageFetcher.h"
#include "net/PageSource.h"
#include "support/HttpTestServer.h"
#include "text/CodePage.h"

using namespace sowmere;
using Clock = std::chrono::steady_clock;

namespace {

std::vector<std::string> seedKeywords() {
    const char* words[] = {"手机", "电脑", "旅游", "英语", "汽车", "房价", "减肥",
                           "美食", "电影", "游戏", "考研", "股票", "装修", "宠物",
                           "相机", "耳机", "跑步", "咖啡", "钢琴", "花园"};
    const char* modifiers[] = {"", "推荐", "入门", "价格", "排行"};
    std::vector<std::string> out;
    for (const char* m : modifiers) {
        for (const char* w : words) out.push_back(text::utf8ToLocal(std::string(w) + m));
    }
    return out;  // 100 keywords
}

// The window side reduced to a table and a clock that notes the longest stretch between two
// handled-event points, leaving out the time spent inside fetches.
class TimingHost final : public harvest::HarvestHost {
public:
    bool longTailTicked() override { return false; }
    int readDelayBox() override { return 0; }
    void processPendingEvents() override { mark(); }
    void delayWithEvents(int) override { mark(); }
    void appendRow() override { rows.emplace_back(); }
    int rowCount() override { return static_cast<int>(rows.size()); }
    void setCell(int row, int column, std::string_view text) override {
        rows[row][column] = std::string(text);
    }

    void mark() {
        const auto now = Clock::now();
        longestGap = std::max(longestGap, now - m_last - m_fetchTime);
        m_last = now;
        m_fetchTime = {};
    }
    void fetched(Clock::duration d) { m_fetchTime += d; }

    std::vector<std::array<std::string, 5>> rows;
    Clock::duration longestGap{};

private:
    Clock::time_point m_last = Clock::now();
    Clock::duration m_fetchTime{};
};

// Pages generated once, answered from memory: what is left is the program's own work.
class MemorySource final : public net::PageSource {
public:
    MemorySource(const devserver::DevSite& site, TimingHost& host) : m_site(site), m_host(host) {}
    text::Text fetchText(std::string_view url) override {
        const auto start = Clock::now();
        auto [it, fresh] = m_pages.try_emplace(std::string(url));
        if (fresh) it->second = m_site.answer(url, "").body;
        text::Text body = text::bytesToText(it->second);
        bytesServed += it->second.size();
        m_host.fetched(Clock::now() - start);
        return body;
    }
    text::Text fetchPage(std::string_view url) override {
        // The UTF-8 conversion is the program's work, not the network's.
        return text::utf8ToLocal(fetchText(url));
    }
    std::size_t bytesServed = 0;

private:
    const devserver::DevSite& m_site;
    TimingHost& m_host;
    std::map<std::string, std::string, std::less<>> m_pages;
};

void runLines(harvest::RunState& state, std::array<std::unique_ptr<harvest::EngineSlot>, 6>& slots,
              harvest::HarvestHost& host, const std::vector<std::string>& keywords) {
    for (const std::string& keyword : keywords) {
        state.currentKeyword = keyword;
        host.processPendingEvents();
        for (auto& slot : slots) {
            slot->harvest();
            host.processPendingEvents();
        }
        host.delayWithEvents(0);
    }
}

void BM_HarvestProcessingOnly(benchmark::State& bench) {
    const devserver::DevSite site("maker.invalid", "");
    const auto keywords = seedKeywords();
    TimingHost host;
    MemorySource source(site, host);
    harvest::RunState state;
    state.stopRequested = 0;
    auto slots = harvest::makeEngineSlots(source, state, host);
    runLines(state, slots, host, keywords);  // generates and keeps every page

    std::size_t rows = 0, pages = 0;
    host.longestGap = {};
    source.bytesServed = 0;
    for (auto _ : bench) {
        host.rows.clear();
        host.mark();
        runLines(state, slots, host, keywords);
        rows += host.rows.size();
        pages += host.rows.size() + 5 * keywords.size();
    }
    bench.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    bench.counters["us/page"] = benchmark::Counter(
        static_cast<double>(pages), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    bench.counters["rows/run"] = static_cast<double>(host.rows.size());
    bench.counters["KB/page"] =
        static_cast<double>(source.bytesServed) / 1024.0 / static_cast<double>(pages);
    bench.counters["maxGap_ms"] =
        std::chrono::duration<double, std::milli>(host.longestGap).count();
}
BENCHMARK(BM_HarvestProcessingOnly)->Unit(benchmark::kMillisecond);

// CPU time of the calling thread: on a loaded machine, wall time outside fetches also counts
// the time other processes held the processor.
Clock::duration threadCpuTime() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Times every fetch, so that what remains of a run is the program's own work.
class TimedSource final : public net::PageSource {
public:
    TimedSource(net::PageSource& inner, TimingHost& host) : m_inner(inner), m_host(host) {}
    text::Text fetchText(std::string_view url) override {
        const auto start = Clock::now();
        const auto cpuStart = threadCpuTime();
        text::Text body = m_inner.fetchText(url);
        fetchCpuTime += threadCpuTime() - cpuStart;
        note(Clock::now() - start);
        return body;
    }
    text::Text fetchPage(std::string_view url) override {
        // The page fetcher converts inside fetchPage; fetch raw and convert here so that the
        // conversion counts as the program's work.
        return text::utf8ToLocal(fetchText(url));
    }
    Clock::duration fetchTime{};
    Clock::duration fetchCpuTime{};
    std::size_t fetches = 0;

private:
    void note(Clock::duration d) {
        fetchTime += d;
        ++fetches;
        m_host.fetched(d);
    }
    net::PageSource& m_inner;
    TimingHost& m_host;
};

// The same run through the real page fetcher against the development server's pages on
// loopback, the server acting as the engines' proxy.
void BM_HarvestEndToEnd(benchmark::State& bench) {
    const devserver::DevSite site("maker.invalid", "");
    sowmere::testing::HttpTestServer server;
    sowmere::devserver::serveDevSite(server, site);
    setenv("http_proxy", server.origin().c_str(), 1);
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");

    const auto keywords = seedKeywords();
    TimingHost host;
    net::PageFetcher fetcher;
    TimedSource source(fetcher, host);
    harvest::RunState state;
    state.stopRequested = 0;
    auto slots = harvest::makeEngineSlots(source, state, host);

    std::size_t rows = 0;
    Clock::duration total{}, ownCpu{}, fetchWall{};
    for (auto _ : bench) {
        host.rows.clear();
        source.fetchTime = {};
        source.fetchCpuTime = {};
        source.fetches = 0;
        host.longestGap = {};
        const auto start = Clock::now();
        const auto cpuStart = threadCpuTime();
        host.mark();
        runLines(state, slots, host, keywords);
        total += Clock::now() - start;
        ownCpu += threadCpuTime() - cpuStart - source.fetchCpuTime;
        fetchWall += source.fetchTime;
        rows += host.rows.size();
    }
    const double totalMs = std::chrono::duration<double, std::milli>(total).count();
    const double fetchMs = std::chrono::duration<double, std::milli>(fetchWall).count();
    const double ownCpuMs = std::chrono::duration<double, std::milli>(ownCpu).count();
    bench.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    bench.counters["fetches/run"] = static_cast<double>(source.fetches);
    bench.counters["ms/fetch"] = fetchMs / static_cast<double>(source.fetches * bench.iterations());
    // The program's own share of a run against the time its fetches take: by wall time, and by
    // the processor time of the harvesting thread outside fetches.
    bench.counters["own/fetch"] = (totalMs - fetchMs) / fetchMs;
    bench.counters["ownCpu/fetch"] = ownCpuMs / fetchMs;
    bench.counters["maxGap_ms"] =
        std::chrono::duration<double, std::milli>(host.longestGap).count();
}
BENCHMARK(BM_HarvestEndToEnd)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
