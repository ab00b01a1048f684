#include <gtest/gtest.h>

#include "support/Gbk.h"
#include "text/CodePage.h"
#include "text/UrlEncoder.h"

using namespace sowmere::text;
using sowmere::testing::gbk;

namespace {

TEST(Utf8ToLocal, Table_ConvertsAndReplacesWhatGbkCannotHold) {
    struct Case {
        const char* name;
        std::string utf8, expected;
    };
    const std::vector<Case> cases = {
        {"Chinese", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
        {"ASCII unchanged", "<a href=x>y</a>\r\n", "<a href=x>y</a>\r\n"},
        {"empty", "", ""},
        {"outside GBK (emoji)",
         "a\xF0\x9F\x98\x80"
         "b",
         "a?b"},
        {"outside GBK (Hangul? no: Thai)", "\xE0\xB8\x81", "?"},
        {"stray continuation byte",
         "a\x80"
         "b",
         "a?b"},
        {"truncated sequence then ASCII",
         "a\xE4\xB8"
         "b",
         "a?b"},
        {"truncated at the end", "a\xE4", "a?"},
        {"overlong form", "\xC0\xAF", "??"},
        {"surrogate encoded", "\xED\xA0\x80", "???"},
        {"zero byte ends the text", std::string("ab\0cd", 5), "ab"},
        {"full-width colon", "\xEF\xBC\x9A", "\xA3\xBA"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(utf8ToLocal(c.utf8), c.expected) << c.name;
    }
}

TEST(CodePage, WideRoundTripsThroughBothCodePages) {
    const std::string utf8 = "\xE7\x99\xBE\xE5\xBA\xA6 ok";  // 百度 ok
    const std::u16string wide = toWide(utf8);
    EXPECT_EQ(wide, u"百度 ok");
    EXPECT_EQ(fromWide(wide, CodePage::Utf8), utf8);
    const std::string local = fromWide(wide);
    EXPECT_EQ(local, gbk(u8"百度 ok"));
    EXPECT_EQ(toWide(local, CodePage::Gbk), wide);
    EXPECT_EQ(localToUtf8(local), utf8);
    EXPECT_EQ(fromWide(u"a\0b"), "a");
    EXPECT_EQ(fromWide(u"\xD800x"), "?x");  // unpaired surrogate
    // A lone lead byte before an ASCII byte keeps the ASCII byte.
    EXPECT_EQ(localToUtf8("\xB0"
                          "1"),
              "\xEF\xBF\xBD"
              "1");
}

TEST(BytesToText, CutsAtTheFirstZeroByte) {
    EXPECT_EQ(bytesToText(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(bytesToText(std::string("\0", 1)), "");
    EXPECT_EQ(bytesToText(std::string_view("abc")), "abc");
    EXPECT_EQ(bytesToText(std::string_view("ab\0cd", 5)), "ab");
}

TEST(UrlEncoder, Table_EncodesEveryUtf8Byte) {
    struct Case {
        std::string gbkText, expected;
    };
    const std::vector<Case> cases = {
        {"ab", "%61%62"},
        {gbk(u8"中"), "%E4%B8%AD"},
        {" ", "%20"},
        {"\t", "%09"},
        {gbk(u8"中a"), "%E4%B8%AD%61"},
        {"", ""},
        {"ab\xD6", ""},  // a lead byte at the very end
        {"a\xFF"
         "b",
         ""},  // not GBK at all
    };
    for (const auto& c : cases) {
        EXPECT_EQ(UrlEncoder(c.gbkText), c.expected) << c.gbkText;
    }
}

}  // namespace
