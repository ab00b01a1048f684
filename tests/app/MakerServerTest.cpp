#include "app/MakerServer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "MakerFixture.h"
#include "support/Fakes.h"
#include "support/Gbk.h"
#include "text/CodePage.h"

namespace sowmere::app {
namespace {

using testing::gbk;

const std::string kCurrent(kVersionTag);  // "Sowmere0512"

class UpdateCheck : public testing::MakerFixture {
protected:
    bool check() {
        return checkForUpdate(pages(), dialogs, pump, serverAddress(), kCurrent,
                              [this] { ++closeRequests; });
    }
    // The update message for a version and a content.
    static std::string updateMessage(const std::string& version, const std::string& content) {
        return gbk(u8"发现最新版本 ") + version + gbk(u8" 前往更新\r\n更新内容：\r\n") + content;
    }

    testing::FakeDialogs dialogs;
    testing::FakeEventPump pump;
    int closeRequests = 0;
};

TEST_F(UpdateCheck, SameVersionLetsTheStartUpGoOn) {
    serveUpdate({gbk(u8"公告〖下载地址：http://d/〗前文〖最新版本：Sowmere0512〗后文\r\n")});
    EXPECT_TRUE(check());
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(closeRequests, 0);
    EXPECT_EQ(updateRequests(), 1);
    EXPECT_EQ(server().requestCount(), 1u) << "the update file's path, and nothing else";
}

TEST_F(UpdateCheck, RetriesStraightAfterFailuresUntilTheFileArrives) {
    serveUpdate({std::nullopt, std::nullopt, gbk(u8"〖最新版本：Sowmere0512〗")});
    EXPECT_TRUE(check());
    EXPECT_EQ(updateRequests(), 3);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(pump.delays().empty()) << "no pause between the requests";
}

TEST_F(UpdateCheck, ElevenFailuresEndTheStartUp) {
    serveUpdate(std::vector<std::optional<std::string>>(12, std::nullopt));
    EXPECT_FALSE(check());
    EXPECT_EQ(updateRequests(), 11);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, gbk(u8"     无法连接到服务器"));
    EXPECT_EQ(dialogs.boxes[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_TRUE(dialogs.addresses.empty());
    EXPECT_TRUE(pump.delays().empty());
}

TEST_F(UpdateCheck, AnotherVersionShowsTheUpdateMessageAndEnds) {
    struct Case {
        const char* name;
        std::string file;
        bool pressOk;
        std::string message;
        std::vector<std::string> opened;
    };
    const std::string address = "http://pan.example/s/new";
    const std::string notice = gbk(u8"〖最新版本：Sowmere0601〗〖下载地址：") + address +
                               gbk(u8"〗〖更新内容：修正导出+换行符+加快挖掘〗");
    const std::vector<Case> cases = {
        {"OK opens the download page",
         notice,
         true,
         updateMessage("Sowmere0601", gbk(u8"修正导出\r\n加快挖掘")),
         {address}},
        {"Cancel opens nothing",
         notice,
         false,
         updateMessage("Sowmere0601", gbk(u8"修正导出\r\n加快挖掘")),
         {}},
        {"content without the placeholder stays on one line",
         gbk(u8"〖更新内容：一行内容〗〖最新版本：Sowmere0400〗"),
         true,
         updateMessage("Sowmere0400", gbk(u8"一行内容")),
         {}},
        {"only the first version field counts",
         gbk(u8"〖最新版本：Sowmere0601〗〖最新版本：Sowmere0512〗"),
         false,
         updateMessage("Sowmere0601", ""),
         {}},
        {"an unclosed version field is empty",
         gbk(u8"〖最新版本：Sowmere0512\r\n〖下载地址：http://d/"),
         true,
         updateMessage("", ""),
         {}},
        {"an error page without fields",
         "<html>404 Not Found</html>",
         false,
         updateMessage("", ""),
         {}},
        {"the version compares byte for byte",
         gbk(u8"〖最新版本：sowmere0512〗"),
         false,
         updateMessage("sowmere0512", ""),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs = {};
        closeRequests = 0;
        dialogs.answers = {c.pressOk};
        serveUpdate({c.file});
        EXPECT_FALSE(check());
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].text, c.message);
        EXPECT_EQ(dialogs.boxes[0].buttons, ui::Buttons::OkCancel);
        EXPECT_EQ(dialogs.addresses, c.opened);
        EXPECT_EQ(closeRequests, 1);
    }
}

TEST_F(UpdateCheck, OnlyWebAddressesFromTheUpdateFileAreOpened) {
    struct Case {
        std::string address;
        bool opened;
    };
    const std::vector<Case> cases = {
        {"http://pan.example/s/1", true},
        {"HTTPS://pan.example/s/1", true},
        {"", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"ftp://pan.example/", false},
        {"/usr/bin/xterm", false},
        {"http://", false},
        {"http:///etc/passwd", false},
        {"http://a b/", false},
        {"-http://x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        dialogs = {};
        dialogs.answers = {true};
        serveUpdate({gbk(u8"〖最新版本：Sowmere0601〗〖下载地址：") + c.address + gbk(u8"〗")});
        EXPECT_FALSE(check());
        EXPECT_EQ(dialogs.addresses.size(), c.opened ? 1u : 0u);
    }
}

std::string publishedFile(const std::string& path) {
    std::ifstream in(std::string(SOWMERE_SERVER_DIR) + "/fb s,e,v,sen/" + path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(UpdateCheck, PublishedFilesNameThisBuildAndOneAnnouncementLine) {
    serveUpdate({publishedFile("qelvo/gx.txt")});
    EXPECT_TRUE(check()) << "server/ must name the build's version";
    const std::string announcement = publishedFile("gegz.txt");
    EXPECT_FALSE(announcement.empty());
    EXPECT_EQ(announcement.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(text::localToUtf8(announcement).find("\xEF\xBF\xBD"), std::string::npos)
        << "GBK throughout";
}

class Announcement : public testing::MakerFixture {
protected:
    testing::FakeEventPump pump;
};

TEST_F(Announcement, IsTheFileUnchangedAfterFailedTries) {
    const std::string line = gbk(u8"欢迎使用  〖公告〗 \t+换行符+");
    serveAnnouncement({std::nullopt, std::nullopt, line});
    EXPECT_EQ(fetchAnnouncement(pages(), pump, serverAddress()), line);
    EXPECT_EQ(announcementRequests(), 3);
    EXPECT_EQ(server().requestCount(), 3u) << "the announcement's path, and nothing else";
    EXPECT_TRUE(pump.delays().empty());
}

TEST_F(Announcement, IsEmptyAfterElevenFailures) {
    serveAnnouncement(std::vector<std::optional<std::string>>(12, std::nullopt));
    EXPECT_EQ(fetchAnnouncement(pages(), pump, serverAddress()), "");
    EXPECT_EQ(announcementRequests(), 11);
}

}  // namespace
}  // namespace sowmere::app
