#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "DevSite.h"
#include "HarvestFakes.h"
#include "harvest/EngineProfile.h"
#include "harvest/Engines.h"
#include "text/CodePage.h"

namespace sowmere::harvest::testing {
namespace {

// Fetches from the development server's pages without a socket.
class DevSiteSource final : public net::PageSource {
public:
    explicit DevSiteSource(const devserver::DevSite& site) : m_site(site) {}
    Text fetchText(std::string_view url) override {
        ++fetches;
        return text::bytesToText(m_site.answer(url, "").body);
    }
    Text fetchPage(std::string_view url) override { return text::utf8ToLocal(fetchText(url)); }
    int fetches = 0;

private:
    const devserver::DevSite& m_site;
};

// The generated pages carry every engine's markers, so a run over them fills the table.
TEST(DevSiteTest, EveryEngineHarvestsRowsFromTheGeneratedPages) {
    devserver::DevSite site("maker.invalid", "");
    DevSiteSource source(site);
    FakeHost host;
    RunState state;
    state.stopRequested = 0;
    auto slots = makeEngineSlots(source, state, host);

    const char* keywords[] = {"手机", "ipad", "旅游", "英语学习", "汽车"};
    const int engines[] = {0, 2, 3, 4, 5};
    for (bool longTail : {false, true}) {
        host.longTail = longTail;
        for (int engine : engines) {
            int notices = 0;
            for (const char* keyword : keywords) {
                SCOPED_TRACE(std::to_string(engine) + " " + keyword);
                const std::size_t before = host.rows.size();
                state.currentKeyword = gbk(keyword);
                slots[engine]->harvest();
                ASSERT_GE(host.rows.size(), before + (longTail ? 1 : 4));
                for (std::size_t r = before; r < host.rows.size(); ++r) {
                    const auto& row = host.rows[r];
                    if (longTail) {
                        EXPECT_NE(row[2].find(state.currentKeyword), std::string::npos);
                    }
                    EXPECT_EQ(row[2].find("<strong>"), std::string::npos);
                    // A count like 1,234,567 on every suggestion page.
                    EXPECT_FALSE(row[3].empty());
                    EXPECT_EQ(row[3].find_first_not_of("0123456789,"), std::string::npos);
                    notices += row[4] == gbk("是");
                }
            }
            if (!longTail) {
                EXPECT_GT(notices, 0) << "engine " << engine;
            }
        }
    }
    EXPECT_EQ(state.failureLog, "");
    EXPECT_EQ(state.rowSerial, static_cast<int>(host.rows.size()));
}

TEST(DevSiteTest, MakerFilesAreServedFromTheirDirectoryAndOtherHostsGiveNothing) {
    const auto dir = std::filesystem::temp_directory_path() / "sowmere-devsite-test";
    std::filesystem::create_directories(dir / "fb s,e,v,sen" / "qelvo");
    std::ofstream(dir / "fb s,e,v,sen" / "qelvo" / "gx.txt", std::ios::binary)
        << gbk("〖最新版本：Sowmere0512〗");
    devserver::DevSite site("www.maker.test", dir.string());

    const auto update = site.answer("http://www.maker.test/fb%20s,e,v,sen/qelvo/gx.txt", "");
    EXPECT_EQ(update.status, 200);
    EXPECT_EQ(update.body, gbk("〖最新版本：Sowmere0512〗"));
    // The blank may also arrive unescaped, and the host from the Host header.
    EXPECT_EQ(site.answer("/fb s,e,v,sen/qelvo/gx.txt", "www.maker.test:80").body, update.body);
    EXPECT_EQ(site.answer("http://www.maker.test/fb%20s,e,v,sen/gegz.txt", "").status, 404);
    EXPECT_EQ(site.answer("http://www.maker.test/../etc/passwd", "").body, "");
    EXPECT_EQ(site.answer("http://www.elsewhere.test/s?wd=x", "").body, "");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace sowmere::harvest::testing
