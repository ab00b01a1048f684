#include <gtest/gtest.h>

#include <stdexcept>

#include "HarvestFakes.h"
#include "harvest/EngineProfile.h"
#include "harvest/Engines.h"
#include "text/CodePage.h"

namespace sowmere::harvest::testing {
namespace {

enum Slot { kBaidu, kGoogle, kHaosou, kSogou, kYoudao, kBing };

const EngineProfile& profileOf(Slot slot) {
    switch (slot) {
        case kBaidu:
            return baiduProfile();
        case kHaosou:
            return haosouProfile();
        case kSogou:
            return sogouProfile();
        case kYoudao:
            return youdaoProfile();
        case kBing:
            return bingProfile();
        case kGoogle:
            break;
    }
    throw std::logic_error("Google has no profile");
}

// A row as UTF-8, without its serial: source, suggestion, count, notice.
using RowText = std::array<std::string, 4>;

// Every test runs over a fake page source and through the real
// fetcher against the loopback server acting as the engines' proxy.
enum class Transport { Fake, Wire };

std::unique_ptr<net::PageSource> makeSource(Transport transport, TestWeb& web) {
    if (transport == Transport::Wire) return makeWireSource(web);
    return std::make_unique<FakePageSource>(web);
}

class HarvestTest : public ::testing::TestWithParam<Transport> {
protected:
    HarvestTest() { state.stopRequested = 0; }

    // Routes the URL the engine builds for a query to a fixture page.
    void route(Slot slot, std::string_view queryUtf8, std::string_view file) {
        web.route(queryUrl(profileOf(slot), gbk(queryUtf8)), fixture(file));
    }
    void harvest(Slot slot, std::string_view keywordUtf8) {
        state.currentKeyword = gbk(keywordUtf8);
        slots[slot]->harvest();
    }
    // The table in UTF-8 with serials checked to be numbers; returned without them.
    std::vector<RowText> rowTexts() const {
        std::vector<RowText> out;
        for (const auto& row : host.rows) {
            out.push_back({text::localToUtf8(row[1]), text::localToUtf8(row[2]),
                           text::localToUtf8(row[3]), text::localToUtf8(row[4])});
        }
        return out;
    }
    std::vector<std::string> serials() const {
        std::vector<std::string> out;
        for (const auto& row : host.rows) out.push_back(row[0]);
        return out;
    }
    int fetchesLogged() const {
        int n = 0;
        for (const auto& entry : host.log) n += entry.starts_with("fetch ");
        return n;
    }

    TestWeb web;
    std::unique_ptr<net::PageSource> source = makeSource(GetParam(), web);
    FakeHost host;
    RecordingSource pages{*source, host};
    RunState state;
    std::array<std::unique_ptr<EngineSlot>, 6> slots = makeEngineSlots(pages, state, host);
};

struct EngineCase {
    const char* name;
    Slot slot;
    const char* seedPage;
    std::vector<std::pair<const char*, const char*>> suggestionPages;  // query, fixture
    std::vector<RowText> rows;
};

const std::vector<EngineCase>& engineCases() {
    static const std::vector<EngineCase> cases = {
        {"Baidu",
         kBaidu,
         "baidu-seed.html",
         {{"手机壳", "baidu-suggest-count.html"},
          {"华为手机", "baidu-suggest-notice.html"},
          {"手机排行", "baidu-suggest-count.html"}},
         {
             {"百度相关：手机", "手机壳", "12,300,000", "否"},
             // The anchor whose text holds a line feed gives no match.
             {"百度相关：手机", "华为手机", "4,560", "是"},
             // Tags and entities inside a suggestion stay; its page is unreachable.
             {"百度相关：手机", "Phone &amp; <b>手机</b>", "查询失败", "否"},
             {"百度推荐：手机", "手机排行", "12,300,000", "否"},
             {"百度推荐：手机", "平板电脑", "查询失败", "否"},
         }},
        {"Haosou",
         kHaosou,
         "haosou-seed.html",
         {{"手机壳", "haosou-suggest.html"}, {"手机报价", "haosou-suggest.html"}},
         {
             {"好搜相关：手机", "手机壳", "2,340,000", "是"},
             // "</tr>" after only two blanks does not end the block.
             {"好搜相关：手机", "华为手机", "查询失败", "否"},
             {"好搜相关：手机", "手机报价", "2,340,000", "是"},
         }},
        {"Sogou",
         kSogou,
         "sogou-seed.html",
         {{"手机壳", "sogou-suggest-count.html"}, {"华为手机", "sogou-suggest-probe-only.html"}},
         {
             {"搜狗相关：手机", "手机壳", "1,230,000", "否"},
             // The probe without the full left marker gives an empty count, not a failure.
             {"搜狗相关：手机", "华为手机", "", "是"},
         }},
        {"Youdao",
         kYoudao,
         "youdao-seed.html",
         {{"手机壳", "youdao-suggest.html"}, {"华为手机", "baidu-suggest-notice.html"}},
         {
             {"有道相关：手机", "手机壳", "3,450,000", "否"},
             {"有道相关：手机", "华为手机", "查询失败", "是"},
         }},
        {"Bing",
         kBing,
         "bing-seed.html",
         {{"手机壳", "bing-suggest-count.html"}, {"华为手机", "bing-suggest-probe-only.html"}},
         {
             // "<strong>" tags are gone before the pattern runs; other tags stay.
             {"必应相关：手机", "手机壳", "1,230,000", "否"},
             {"必应相关：手机", "华为手机", "", "是"},
             {"必应相关：手机", "手机 &amp; <em>平板</em>", "查询失败", "否"},
         }},
    };
    return cases;
}

TEST_P(HarvestTest, EachEngineFillsItsRowsFromItsPages) {
    for (const EngineCase& c : engineCases()) {
        SCOPED_TRACE(c.name);
        host = FakeHost{};
        host.delayMs = 250;
        web.route(queryUrl(profileOf(c.slot), gbk("手机")), fixture(c.seedPage));
        for (const auto& [query, page] : c.suggestionPages) route(c.slot, query, page);
        state.rowSerial = 0;
        const int requestsBefore = web.requestCount();

        harvest(c.slot, "手机");

        EXPECT_EQ(rowTexts(), c.rows);
        std::vector<std::string> expectedSerials;
        for (std::size_t i = 1; i <= c.rows.size(); ++i)
            expectedSerials.push_back(std::to_string(i));
        EXPECT_EQ(serials(), expectedSerials);
        EXPECT_EQ(state.rowSerial, static_cast<int>(c.rows.size()));
        EXPECT_EQ(state.failureLog, "");
        // One seed fetch, one fetch per row, one delay per match.
        EXPECT_EQ(web.requestCount() - requestsBefore, 1 + static_cast<int>(c.rows.size()));
        EXPECT_EQ(host.delays, std::vector<int>(c.rows.size(), 250));
    }
}

TEST_P(HarvestTest, SeedAndSuggestionUrlsCarryTheQueryAsEachEngineWantsIt) {
    struct UrlCase {
        Slot slot;
        const char* keyword;
        std::string seedUrl;
        std::string suggestionUrl;  // for the suggestion 手机壳 of the engine's seed page
    };
    // 手机 is CA D6 BB FA in GBK and E6 89 8B E6 9C BA in UTF-8; 壳 is BF C7 and E5 A3 B3.
    const std::vector<UrlCase> cases = {
        {kBaidu, "手机", "http://www.baidu.com/s?wd=\xCA\xD6\xBB\xFA",
         "http://www.baidu.com/s?wd=\xCA\xD6\xBB\xFA\xBF\xC7"},
        {kHaosou, "手机", "http://www.so.com/s?q=\xCA\xD6\xBB\xFA",
         "http://www.so.com/s?q=\xCA\xD6\xBB\xFA\xBF\xC7"},
        {kSogou, "手机", "http://www.sogou.com/web?query=\xCA\xD6\xBB\xFA",
         "http://www.sogou.com/web?query=\xCA\xD6\xBB\xFA\xBF\xC7"},
        {kYoudao, "手机", "http://www.youdao.com/search?q=\xCA\xD6\xBB\xFA",
         "http://www.youdao.com/search?q=\xCA\xD6\xBB\xFA\xBF\xC7"},
        {kBing, "手机", "http://cn.bing.com/search?q=%E6%89%8B%E6%9C%BA",
         "http://cn.bing.com/search?q=%E6%89%8B%E6%9C%BA%E5%A3%B3"},
        // Blanks and reserved characters go in unescaped, except for Bing, which escapes every
        // byte, ASCII letters included.
        {kBaidu, "手机 a&b", "http://www.baidu.com/s?wd=\xCA\xD6\xBB\xFA a&b", ""},
        {kSogou, "手机 a&b", "http://www.sogou.com/web?query=\xCA\xD6\xBB\xFA a&b", ""},
        {kBing, "手机 a&b", "http://cn.bing.com/search?q=%E6%89%8B%E6%9C%BA%20%61%26%62", ""},
        {kBing, "ipad", "http://cn.bing.com/search?q=%69%70%61%64", ""},
        // An empty keyword leaves the query value empty.
        {kHaosou, "", "http://www.so.com/s?q=", ""},
    };
    const char* seeds[] = {"baidu-seed.html",  "",
                           "haosou-seed.html", "sogou-seed.html",
                           "youdao-seed.html", "bing-seed.html"};
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(std::string(seeds[c.slot]) + " " + c.keyword);
        web.route(c.seedUrl, c.suggestionUrl.empty() ? "" : fixture(seeds[c.slot]));
        const int before = web.requestCount();
        harvest(c.slot, c.keyword);
        const auto requests = web.requests();
        ASSERT_GT(static_cast<int>(requests.size()), before);
        // The harvester hands the blank over as it is; the fetcher sends it as "%20" so that it
        // cannot break the request line.
        const std::string seedUrl =
            GetParam() == Transport::Wire ? text::replaceText(c.seedUrl, " ", "%20") : c.seedUrl;
        EXPECT_EQ(requests[before], seedUrl);
        if (!c.suggestionUrl.empty()) {
            ASSERT_GT(static_cast<int>(requests.size()), before + 1);
            EXPECT_EQ(requests[before + 1], c.suggestionUrl);
        }
    }
}

TEST_P(HarvestTest, SeedPageWithoutTheKeywordGivesOneFailureLinePerEngineAndNothingElse) {
    // Baidu and Haosou answer a page without the keyword; the other engines are unreachable.
    route(kBaidu, "手机", "no-keyword.html");
    route(kHaosou, "手机", "no-keyword.html");
    state.currentKeyword = gbk("手机");
    state.failureLog = gbk("有道：旧\r\n");
    for (auto& slot : slots) slot->harvest();

    EXPECT_EQ(
        state.failureLog,
        gbk("有道：旧\r\n百度：手机\r\n好搜：手机\r\n搜狗：手机\r\n有道：手机\r\n必应：手机\r\n"));
    EXPECT_TRUE(host.rows.empty());
    EXPECT_TRUE(host.delays.empty());
    EXPECT_EQ(state.rowSerial, 0);
    // Five seed fetches: the Google slot fetches nothing.
    EXPECT_EQ(web.requestCount(), 5);
}

TEST_P(HarvestTest, BaiduWithoutItsRelatedBlockStillHarvestsTheRecommendedBlock) {
    route(kBaidu, "手机", "baidu-seed-no-related.html");
    route(kBaidu, "手机排行", "baidu-suggest-notice.html");
    harvest(kBaidu, "手机");

    EXPECT_EQ(rowTexts(), (std::vector<RowText>{{"百度推荐：手机", "手机排行", "4,560", "是"}}));
    EXPECT_EQ(state.failureLog, "");
    EXPECT_EQ(host.delays.size(), 1u);
}

TEST_P(HarvestTest, OneRowIsWrittenInOrderAndPacedAfterItsMatch) {
    route(kSogou, "手机", "sogou-seed.html");
    route(kSogou, "手机壳", "sogou-suggest-count.html");
    host.delayMs = 1000;
    harvest(kSogou, "手机");

    const std::string sogou = "fetch http://www.sogou.com/web?query=";
    const std::vector<std::string> expected = {
        sogou + gbk("手机"), "append",
        "cell 0 0",          "cell 0 1",
        "cell 0 2",          sogou + gbk("手机壳"),
        "cell 0 3",          "cell 0 4",
        "delay 1000",        "append",
        "cell 1 0",          "cell 1 1",
        "cell 1 2",          sogou + gbk("华为手机"),
        "cell 1 3",          "cell 1 4",
        "delay 1000",
    };
    EXPECT_EQ(host.log, expected);
}

TEST_P(HarvestTest, SerialNumbersRunOnAcrossEnginesAndLines) {
    for (const char* keyword : {"手机", "平板"}) {
        route(kBaidu, keyword, "baidu-seed.html");
        route(kBing, keyword, "bing-seed.html");
    }
    state.rowSerial = 7;  // rows of an earlier run stay numbered
    for (const char* keyword : {"手机", "平板"}) {
        state.currentKeyword = gbk(keyword);
        slots[kBaidu]->harvest();
        slots[kBing]->harvest();
    }

    // Baidu gives 5 rows and Bing 3 for each line (the same pages hold both keywords).
    std::vector<std::string> expected;
    for (int serial = 8; serial <= 23; ++serial) expected.push_back(std::to_string(serial));
    EXPECT_EQ(serials(), expected);
    EXPECT_EQ(text::localToUtf8(host.rows[4][1]), "百度推荐：手机");
    EXPECT_EQ(text::localToUtf8(host.rows[5][1]), "必应相关：手机");
    EXPECT_EQ(text::localToUtf8(host.rows[8][1]), "百度相关：平板");
    EXPECT_EQ(state.rowSerial, 23);
}

TEST_P(HarvestTest, LongTailBoxKeepsOnlySuggestionsHoldingTheKeywordButPacesEveryMatch) {
    route(kBaidu, "ipad", "baidu-seed-ipad.html");
    host.longTail = true;
    host.delayMs = 5;
    harvest(kBaidu, "ipad");

    // Kept: the keyword at the start, in the middle, at the end. Dropped: another letter case,
    // a part of the keyword, no keyword.
    EXPECT_EQ(rowTexts(),
              (std::vector<RowText>{{"百度相关：ipad", "ipad壳", "查询失败", "否"},
                                    {"百度相关：ipad", "二手ipad价格", "查询失败", "否"},
                                    {"百度相关：ipad", "苹果ipad", "查询失败", "否"}}));
    EXPECT_EQ(web.requestCount(), 1 + 3);
    EXPECT_EQ(host.delays, std::vector<int>(6, 5));
    EXPECT_EQ(host.longTailReads, 12);  // read twice for every match

    host = FakeHost{};
    host.longTail = false;
    harvest(kBaidu, "ipad");
    EXPECT_EQ(host.rows.size(), 6u);
    EXPECT_EQ(host.delays.size(), 6u);
}

TEST_P(HarvestTest, LongTailBoxUntickedBetweenItsTwoReadsLetsAMatchThroughBothPaths) {
    route(kBaidu, "ipad", "baidu-seed-ipad.html");
    // Ticked at the first read only: match 1 passes the filter, then the unfiltered path.
    host.longTailScript = [](int read) { return read == 1; };
    harvest(kBaidu, "ipad");

    ASSERT_EQ(host.rows.size(), 2u + 5u);
    EXPECT_EQ(host.rows[0][2], "ipad" + gbk("壳"));
    EXPECT_EQ(host.rows[1][2], "ipad" + gbk("壳"));
    EXPECT_EQ(serials()[1], "2");
    EXPECT_EQ(host.delays.size(), 6u);
}

TEST_P(HarvestTest, EmptyKeywordPassesAnyNonEmptySeedPageAndEveryNonEmptySuggestion) {
    web.route("http://www.baidu.com/s?wd=", fixture("baidu-seed-no-related.html"));
    host.longTail = true;
    harvest(kBaidu, "");
    EXPECT_EQ(rowTexts(), (std::vector<RowText>{{"百度推荐：", "手机排行", "查询失败", "否"}}));

    // An empty seed page fails even the empty keyword.
    harvest(kYoudao, "");
    EXPECT_EQ(state.failureLog, gbk("有道：\r\n"));
}

TEST_P(HarvestTest, CellsGoToWhateverRowIsLastAtTheMomentOfWriting) {
    route(kBaidu, "手机", "baidu-seed-no-related.html");
    route(kBaidu, "手机排行", "baidu-suggest-count.html");
    // Another handler appends a row while the suggestion page is being fetched.
    const std::string suggestionFetch = "fetch " + queryUrl(baiduProfile(), gbk("手机排行"));
    host.onEvents = [&](int) {
        if (!host.log.empty() && host.log.back() == suggestionFetch) host.rows.emplace_back();
    };
    harvest(kBaidu, "手机");

    ASSERT_EQ(host.rows.size(), 2u);
    EXPECT_EQ(host.rows[0][2], gbk("手机排行"));
    EXPECT_EQ(host.rows[0][3], "");
    EXPECT_EQ(host.rows[1][3], gbk("12,300,000"));
    EXPECT_EQ(host.rows[1][4], gbk("否"));
}

// Harvests the lines over the given slots the way the mining run does: the stop flag is looked
// at before each line, and every slot of a line runs.
void runLines(FakeHost& host, RunState& state, const std::vector<EngineSlot*>& slots,
              const std::vector<Text>& lines) {
    for (const Text& line : lines) {
        if (state.stopRequested != 0) break;
        state.currentKeyword = line;
        host.processPendingEvents();
        for (EngineSlot* slot : slots) {
            slot->harvest();
            host.processPendingEvents();
        }
        host.delayWithEvents(host.readDelayBox());
    }
}

TEST_P(HarvestTest, StopDuringBaiduEndsBothItsLoopsWhileHaosouStillHarvestsTheLine) {
    for (const char* keyword : {"手机", "平板"}) {
        route(kBaidu, keyword, "baidu-seed.html");
        route(kHaosou, keyword, "haosou-seed.html");
    }
    // The stop button is pressed while the first related row's page is being fetched.
    const std::string firstSuggestion = "fetch " + queryUrl(baiduProfile(), gbk("手机壳"));
    host.onEvents = [&](int) {
        if (!host.log.empty() && host.log.back() == firstSuggestion) state.stopRequested = 1;
    };
    runLines(host, state, {slots[kBaidu].get(), slots[kHaosou].get()}, {gbk("手机"), gbk("平板")});

    // The row in hand is finished (its count, notice and delay); then Haosou runs in full, and
    // the second line never starts.
    EXPECT_EQ(rowTexts(), (std::vector<RowText>{{"百度相关：手机", "手机壳", "查询失败", "否"},
                                                {"好搜相关：手机", "手机壳", "查询失败", "否"},
                                                {"好搜相关：手机", "华为手机", "查询失败", "否"},
                                                {"好搜相关：手机", "手机报价", "查询失败", "否"}}));
    EXPECT_EQ(host.delays.size(), 1u + 3u + 1u);  // Baidu's match, Haosou's, the line's
    EXPECT_EQ(web.requestCount(), 2 + 1 + 3);
    EXPECT_EQ(state.failureLog, "");
}

TEST_P(HarvestTest, AnExceptionFromTheHostUnwindsTheHarvestAndTheSlotWorksAgain) {
    route(kBaidu, "手机", "baidu-seed.html");
    host.onDelay = [](int delay) {
        if (delay == 2) throw std::runtime_error("window closed");
    };
    EXPECT_THROW(harvest(kBaidu, "手机"), std::runtime_error);
    EXPECT_EQ(host.rows.size(), 2u);

    host = FakeHost{};
    harvest(kBaidu, "手机");
    EXPECT_EQ(host.rows.size(), 5u);
    EXPECT_EQ(state.rowSerial, 2 + 5);
}

TEST_P(HarvestTest, GoogleSlotDoesNothing) {
    state.currentKeyword = gbk("手机");
    slots[kGoogle]->harvest();
    EXPECT_EQ(web.requestCount(), 0);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(host.eventCalls, 0);
    EXPECT_EQ(state.failureLog, "");
}

INSTANTIATE_TEST_SUITE_P(Fake, HarvestTest, ::testing::Values(Transport::Fake));
INSTANTIATE_TEST_SUITE_P(Wire, HarvestTest, ::testing::Values(Transport::Wire));

}  // namespace
}  // namespace sowmere::harvest::testing
