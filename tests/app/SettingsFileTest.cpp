#include "app/SettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "support/Gbk.h"

namespace sowmere::app {
namespace {

using testing::gbk;
using testing::TempDir;

const std::string kZeros("\0\0\0\0", 4);

TEST(SettingsFile, MissingFileSectionOrKeyReadsEmpty) {
    TempDir dir;
    SettingsFile settings(dir.path());
    EXPECT_EQ(settings.read(gbk(u8"登录账号"), gbk(u8"登录账号")), "");

    dir.write("Config.ini", gbk(u8"[登录账号]\r\n别的=x\r\n[其他]\r\n登录账号=y\r\n"));
    EXPECT_EQ(settings.read(gbk(u8"登录账号"), gbk(u8"登录账号")), "")
        << "a key of another section must not be found";
    EXPECT_EQ(settings.read(gbk(u8"登录密码"), gbk(u8"登录密码")), "");
    EXPECT_EQ(settings.read(gbk(u8"其他"), gbk(u8"登录账号")), "y");
}

TEST(SettingsFile, WritesGbkBytesAsGivenAndReadsThemBack) {
    TempDir dir;
    SettingsFile settings(dir.path());
    const std::string account = gbk(u8"登录账号");
    const std::string password = gbk(u8"登录密码");
    ASSERT_TRUE(settings.write(account, account, gbk(u8"  张三 ")));
    ASSERT_TRUE(settings.write(password, password, "p=w;#\"x\""));
    EXPECT_EQ(dir.read("Config.ini"), gbk(u8"[登录账号]\r\n登录账号=  张三 \r\n"
                                          u8"[登录密码]\r\n登录密码=p=w;#\"x\"\r\n"));
    EXPECT_EQ(settings.read(account, account), gbk(u8"  张三 ")) << "blanks are part of the value";
    EXPECT_EQ(settings.read(password, password), "p=w;#\"x\"");

    // Replacing keeps one entry; a new key joins its section; ASCII names ignore case.
    ASSERT_TRUE(settings.write(account, account, "   "));
    ASSERT_TRUE(settings.write(account, "Extra", "1"));
    EXPECT_EQ(settings.read(account, account), "   ");
    EXPECT_EQ(settings.read(account, "EXTRA"), "1");
    EXPECT_EQ(dir.read("Config.ini"), gbk(u8"[登录账号]\r\n登录账号=   \r\nExtra=1\r\n"
                                          u8"[登录密码]\r\n登录密码=p=w;#\"x\"\r\n"));
}

TEST(SettingsFile, ClearingLeavesFourZeroBytesAndEntriesAreFoundAfterThem) {
    TempDir dir;
    SettingsFile settings(dir.path());
    const std::string section = gbk(u8"保存账号");
    ASSERT_TRUE(settings.write(section, section, gbk(u8"真")));
    ASSERT_TRUE(settings.clear());
    EXPECT_EQ(dir.read("Config.ini"), kZeros);
    EXPECT_EQ(settings.read(section, section), "");

    ASSERT_TRUE(settings.write(section, section, gbk(u8"真")));
    EXPECT_EQ(settings.read(section, section), gbk(u8"真"));
    EXPECT_EQ(dir.read("Config.ini").substr(0, 4), kZeros) << "the head stays as it was";

    // Files whose zero bytes share the line with the first section still read.
    for (const std::string& head : {kZeros, kZeros + "\r\n", kZeros + "\n\n", std::string()}) {
        dir.write("Config.ini", head + gbk(u8"[保存账号]\r\n保存账号=真\r\n"));
        EXPECT_EQ(settings.read(section, section), gbk(u8"真")) << head.size();
    }
}

TEST(SettingsFile, ValuesAreCutAt10239BytesWithoutSplittingACharacter) {
    TempDir dir;
    SettingsFile settings(dir.path());
    ASSERT_TRUE(settings.write("s", "ascii", std::string(20'000, 'a')));
    EXPECT_EQ(settings.read("s", "ascii"), std::string(10'239, 'a'));

    std::string wide;
    for (int i = 0; i < 6'000; ++i) wide += gbk(u8"中");
    ASSERT_TRUE(settings.write("s", "wide", wide));
    EXPECT_EQ(settings.read("s", "wide"), wide.substr(0, 10'238));
}

TEST(SettingsFile, FileIsOwnerOnlyAndReplacedWhole) {
    TempDir dir;
    dir.write("Config.ini", "[a]\r\na=old\r\n");
    ::chmod(dir.file("Config.ini").c_str(), 0644);
    SettingsFile settings(dir.path());

    ASSERT_TRUE(settings.write("a", "a", "secret"));
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("Config.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_TRUE(settings.clear());
    ASSERT_EQ(::stat(dir.file("Config.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1) << "no temporary file is left behind";
}

TEST(SettingsFile, FailedWriteIsReportedAndChangesNothing) {
    TempDir dir;
    SettingsFile missingDirectory(dir.path() + "/absent");
    EXPECT_FALSE(missingDirectory.write("a", "a", "x"));
    EXPECT_FALSE(missingDirectory.clear());
    EXPECT_EQ(missingDirectory.read("a", "a"), "");
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/absent"));
}

}  // namespace
}  // namespace sowmere::app
