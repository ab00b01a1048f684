// Sequential page fetches from the loopback server: a 100 KiB UTF-8 result page, fetched and
// converted to GBK, in runs of 1, 100 and 1000 pages. The cost of one fetch should not grow with
// the number of pages fetched before it.
#include <benchmark/benchmark.h>

#include <string>

#include "ResultPage.h"
#include "net/PageFetcher.h"
#include "support/HttpTestServer.h"

using namespace sowmere;
using sowmere::bench::makeUtf8Page;

namespace {

// `convert`: fetchPage (bytes, text, GBK); otherwise fetchBytes alone, to show the network share.
void fetchRun(benchmark::State& state, bool convert) {
    const auto pages = state.range(0);
    testing::HttpTestServer server;
    server.route("", "/s", testing::HttpResponse::ok(makeUtf8Page(100 << 10)));
    net::PageFetcher fetcher;
    const std::string url = server.url("/s?wd=x");
    if (fetcher.fetchPage(url).empty()) state.SkipWithError("the page did not arrive");
    for (auto _ : state) {
        for (int64_t i = 0; i < pages; ++i) {
            if (convert)
                benchmark::DoNotOptimize(fetcher.fetchPage(url));
            else
                benchmark::DoNotOptimize(fetcher.fetchBytes(url));
        }
    }
    const auto fetches = static_cast<double>(state.iterations() * pages);
    state.counters["fetches/s"] = benchmark::Counter(fetches, benchmark::Counter::kIsRate);
    // Seconds per fetch, shown with an SI prefix (u: microseconds).
    state.counters["time/fetch"] =
        benchmark::Counter(fetches, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FetchPage_100KiB_Sequential(benchmark::State& state) { fetchRun(state, true); }
void BM_FetchBytes_100KiB_Sequential(benchmark::State& state) { fetchRun(state, false); }

BENCHMARK(BM_FetchPage_100KiB_Sequential)
    ->Arg(1)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FetchBytes_100KiB_Sequential)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
