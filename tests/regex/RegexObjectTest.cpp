#include "regex/RegexObject.h"

#include <gtest/gtest.h>

#include "support/Gbk.h"

using sowmere::regex::RegexObject;
using sowmere::testing::gbk;

namespace {

const std::string kAnchor = "<a href=(.*?)>(.*?)</a>";

TEST(RegexObject, HarvesterUse_GivesSecondGroupOfEveryMatch) {
    RegexObject re;
    const std::string block = gbk(u8"<a href=/s?wd=1>甲</a> <a href=/s?wd=2>乙</a>");
    ASSERT_TRUE(re.run(kAnchor, block, true));
    EXPECT_EQ(re.matchCount(), 2);
    EXPECT_EQ(re.groupText(1, 2), gbk(u8"甲"));
    EXPECT_EQ(re.groupText(2, 2), gbk(u8"乙"));
    EXPECT_EQ(re.groupText(1, 1), "/s?wd=1");
    EXPECT_EQ(re.matchText(2), gbk(u8"<a href=/s?wd=2>乙</a>"));
    EXPECT_EQ(re.groupCount(), 2);
    // Out of range: the empty text.
    EXPECT_EQ(re.groupText(3, 2), "");
    EXPECT_EQ(re.groupText(1, 3), "");
    EXPECT_EQ(re.groupText(0, 2), "");
    EXPECT_EQ(re.groupText(-1, 1), "");
    EXPECT_EQ(re.matchText(0), "");
}

TEST(RegexObject, DotIsAWholeCharacterAndNeverALineFeed) {
    RegexObject re;
    ASSERT_TRUE(re.run(kAnchor, "<a href=1>a\nb</a><a href=2>c\rd</a>", true));
    // The first anchor's text holds a line feed, so no match begins there; a carriage return
    // is an ordinary character.
    EXPECT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.groupText(1, 2), "c\rd");

    ASSERT_TRUE(re.run("^(.)(.)$", gbk(u8"中文"), true));
    EXPECT_EQ(re.groupText(1, 1), gbk(u8"中"));
    EXPECT_EQ(re.groupText(1, 2), gbk(u8"文"));
}

TEST(RegexObject, LazyGroupStopsAtFirstClosingTag) {
    RegexObject re;
    ASSERT_TRUE(re.run(kAnchor, "<a href=x><b>k</b></a></a>", true));
    EXPECT_EQ(re.groupText(1, 2), "<b>k</b>");
}

TEST(RegexObject, CaseOption) {
    RegexObject re;
    const std::string upper = "<A HREF=x>y</A>";
    ASSERT_TRUE(re.run(kAnchor, upper, true));
    EXPECT_EQ(re.matchCount(), 0);
    ASSERT_TRUE(re.run(kAnchor, upper));  // letter case ignored by default
    EXPECT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.groupText(1, 2), "y");
}

TEST(RegexObject, SecondRunReplacesTheFirst) {
    RegexObject re;
    ASSERT_TRUE(re.run(kAnchor, "<a href=1>one</a><a href=2>two</a>", true));
    ASSERT_TRUE(re.run("<a target=(.*?)>(.*?)</a>", "<a target=t>three</a>", true));
    EXPECT_EQ(re.matchCount(), 1);
    EXPECT_EQ(re.groupText(1, 2), "three");
    EXPECT_EQ(re.groupText(2, 2), "");
}

TEST(RegexObject, SyntaxErrorAndReleaseGiveEmptyAnswers) {
    RegexObject re;
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_EQ(re.patternText(), "");
    ASSERT_TRUE(re.run("(a)", "a", true));
    EXPECT_FALSE(re.run("(a", "a", true));
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_EQ(re.groupText(1, 1), "");
    EXPECT_EQ(re.groupCount(), 0);
    EXPECT_EQ(re.replace("x"), "");
    EXPECT_EQ(re.patternText(), "(a");

    ASSERT_TRUE(re.run("(a)", "a"));
    re.release();
    EXPECT_EQ(re.matchCount(), 0);
    EXPECT_EQ(re.matchText(1), "");
    EXPECT_EQ(re.patternText(), "");
}

TEST(RegexObject, EmptySubjectAndEmptyMatches) {
    RegexObject re;
    ASSERT_TRUE(re.run(kAnchor, ""));
    EXPECT_EQ(re.matchCount(), 0);
    // An empty match advances by one character: a two-byte character counts once.
    ASSERT_TRUE(re.run("x*", gbk(u8"a中")));
    EXPECT_EQ(re.matchCount(), 3);
}

TEST(RegexObject, OptionsGlobalMultilinePlaceholderAndReplace) {
    RegexObject re;
    ASSERT_TRUE(re.run("(b)", "abcb", true, true, false));
    EXPECT_EQ(re.matchCount(), 1);
    ASSERT_TRUE(re.run("^x", "x\nx", true, true));
    EXPECT_EQ(re.matchCount(), 2);
    ASSERT_TRUE(re.run("^x", "x\nx", true, false));
    EXPECT_EQ(re.matchCount(), 1);

    ASSERT_TRUE(re.run(gbk(u8"=#引号(.*?)#引号"), "a=\"v\"", true, true, true, true));
    EXPECT_EQ(re.patternText(), "=\"(.*?)\"");
    EXPECT_EQ(re.groupText(1, 1), "v");

    ASSERT_TRUE(re.run("<(.)>", gbk(u8"<甲>-<乙>"), true));
    EXPECT_EQ(re.replace("[$1]"), gbk(u8"[甲]-[乙]"));
}

}  // namespace
