// A run of 100 seed keywords over all five engines with no delay, against the development
// server's pages: the program's own work per page (conversion, cuts, pattern runs, table
// writes) apart from the network, and the longest stretch without handled events outside
// fetches.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "DevSite.h"
#include "harvest/Engines.h"
#include "harvest/HarvestHost.h"
#include "harvest/RunState.h"
#include "net/PageSource.h"
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

}  // namespace
