// Throughput of the text layer on result-page-like input: mostly ASCII markup with Chinese text.
#include <benchmark/benchmark.h>

#include <string>

#include "ResultPage.h"
#include "regex/RegexObject.h"
#include "text/CodePage.h"
#include "text/Text.h"

using namespace sowmere;
using sowmere::bench::makeUtf8Page;

namespace {

const std::string& gbkPage() {
    static const std::string page = text::utf8ToLocal(makeUtf8Page(1 << 20));
    return page;
}

void BM_FindCaseSensitive_MarkerAtEnd(benchmark::State& state) {
    const std::string page = gbkPage() + text::utf8ToLocal("相关搜索</div>");
    const std::string marker = text::utf8ToLocal("相关搜索</div>");
    for (auto _ : state) benchmark::DoNotOptimize(text::findText(page, marker));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_FindCaseSensitive_MarkerAtEnd);

// The withheld-results notice is absent from most suggestion pages: a scan of the whole page.
void BM_FindCaseSensitive_AbsentNotice(benchmark::State& state) {
    const std::string& page = gbkPage();
    const std::string notice = text::utf8ToLocal("根据相关法律法规和政策，部分搜索结果未予显示。");
    for (auto _ : state) benchmark::DoNotOptimize(text::findText(page, notice));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_FindCaseSensitive_AbsentNotice);

void BM_FindCaseInsensitive_MarkerAtEnd(benchmark::State& state) {
    const std::string page = gbkPage() + "</TABLE>";
    for (auto _ : state) benchmark::DoNotOptimize(text::findText(page, "</table>", 1, true));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_FindCaseInsensitive_MarkerAtEnd);

void BM_Utf8ToLocal(benchmark::State& state) {
    const std::string page = makeUtf8Page(1 << 20);
    for (auto _ : state) benchmark::DoNotOptimize(text::utf8ToLocal(page));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_Utf8ToLocal);

// 500 anchors in a 64 KiB block, the way a related-searches block is matched: run, count,
// second group of every match, conversions included.
void BM_RegexAnchors64K(benchmark::State& state) {
    std::string block;
    int i = 0;
    while (block.size() < 64 * 1024) {
        block +=
            "<a href=\"/s?wd=" + std::to_string(i) + "&rsv_re=" + std::to_string(i * 7) +
            "&from=related&tn=baiduhome_pg&ie=utf-8&f=8&oq=seedword&rsp=" + std::to_string(i % 10) +
            "\">" + text::utf8ToLocal("相关关键词") + std::to_string(i) + "</a>" +
            std::string(i % 3 ? "</th><th>" : "</tr>\n<tr>");
        ++i;
    }
    state.counters["anchors"] = i;
    for (auto _ : state) {
        regex::RegexObject re;
        re.run("<a href=(.*?)>(.*?)</a>", block, true);
        const int n = re.matchCount();
        for (int m = 1; m <= n; ++m) benchmark::DoNotOptimize(re.groupText(m, 2));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_RegexAnchors64K);

}  // namespace
