#include "text/Text.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/Gbk.h"

using namespace sowmere::text;
using sowmere::testing::gbk;

namespace {

struct FindCase {
    const char* name;
    std::string text;
    std::string what;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindText, Table_ReturnsPositionsAtCharacterStarts) {
    // "\xB0\x41" is a two-byte character whose second byte is "A".
    const std::vector<FindCase> cases = {
        {"first occurrence", "abcabc", "bc", 1, false, 2},
        {"from start position", "abcabc", "bc", 3, false, 5},
        {"start 0 is the whole text", "abc", "a", 0, false, 1},
        {"negative start is the whole text", "abc", "c", -7, false, 3},
        {"start past the end", "abc", "c", 4, false, -1},
        {"absent", "abc", "d", 1, false, -1},
        {"case-sensitive misses capitals", "<TABLE>", "<table>", 1, false, -1},
        {"case-insensitive folds A-Z", "x</TaBlE>", "</table>", 1, true, 2},
        {"folding leaves Chinese bytes alone", gbk(u8"中"), gbk(u8"中"), 1, true, 1},
        {"never on a trailing byte",
         "\xB0\x41"
         "A",
         "A", 1, false, 3},
        {"never on a trailing byte, folded",
         "\xB0\x41"
         "a",
         "A", 1, true, 3},
        {"only trailing-byte hit", "\xB0\x41", "A", 1, false, -1},
        {"lead byte last ends the search", "ab\xB0", "\xB0", 1, false, -1},
        {"lead byte last ends the folded search", "ab\xB0", "\xB0", 1, true, -1},
        {"two-byte characters step by two", gbk(u8"甲乙丙"), gbk(u8"丙"), 1, false, 5},
        {"empty search text in non-empty part", "abc", "", 2, false, 1},
        {"empty search text in empty text", "", "", 1, false, -1},
        {"empty search text past the end", "abc", "", 4, false, -1},
        {"longer than the text", "ab", "abc", 1, false, -1},
        {"long run of ASCII before a Chinese marker", std::string(100, 'x') + gbk(u8"相关搜索"),
         gbk(u8"相关搜索"), 1, false, 101},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findText(c.text, c.what, c.start, c.ignoreCase), c.expected) << c.name;
    }
}

TEST(ReplaceText, Table_ReplacesEveryOccurrenceAtCharacterStarts) {
    struct Case {
        std::string text, what, with, expected;
    };
    const std::vector<Case> cases = {
        {"a<strong>b</strong>c", "<strong>", "", "ab</strong>c"},
        {"aaaa", "aa", "b", "bb"},
        {"aaa", "aa", "b", "ba"},
        {"abc", "", "x", "abc"},
        {"ABC abc", "abc", "x", "ABC x"},
        {"\xB0\x41"
         "A",
         "A", "-", "\xB0\x41-"},
        {"x", "x", "yy", "yy"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replaceText(c.text, c.what, c.with), c.expected) << c.text << " / " << c.what;
    }
}

TEST(TextToNumber, Table_ReadsTheLongestDecimalPrefix) {
    struct Case {
        std::string text;
        int expected;
    };
    const std::vector<Case> cases = {
        {"1000", 1000},
        {"1500.9", 1500},
        {"-5", -5},
        {"-5.9", -5},
        {"abc", 0},
        {"", 0},
        {"   42abc", 42},
        {"+7", 7},
        {"1e3", 1000},
        {"1e", 1},
        {"2.5E+2x", 250},
        {".5", 0},
        {"-", 0},
        {".", 0},
        {"12 34", 12},
        {gbk(u8"１２３"), 123},
        {gbk(u8"－８"), -8},
        {gbk(u8"　７"), 7},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"1e400", INT_MAX},
        {"0x10", 0},
        {"inf", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textToNumber(c.text), c.expected) << c.text;
    }
}

TEST(SplitLines, Table_SplitsAtCrLfOnly) {
    using Lines = std::vector<std::string>;
    struct Case {
        std::string text;
        Lines expected;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"a\r\nb", {"a", "b"}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"\r\n", {""}},
        {"a\nb\rc", {"a\nb\rc"}},
        {"a\r\r\nb", {"a\r", "b"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(splitLines(c.text), c.expected) << testing::PrintToString(c.text);
    }
}

TEST(TextBetween, Table_CutsBetweenTheMarkers) {
    const std::string left = gbk(u8"相关搜索</div>");
    const std::string inner = gbk(u8"甲<a href=x>y</a>乙");
    struct Case {
        const char* name;
        std::string text, left, right;
        int start;
        bool caseSensitive;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"everything between", gbk(u8"前") + left + inner + "</table>" + gbk(u8"后"), left,
         "</table>", 0, false, inner},
        {"first left marker counts", "[a][b]", "[", "]", 0, false, "a"},
        {"right marker before the left only", "]x[", "[", "]", 0, false, ""},
        {"markers adjacent", "[]", "[", "]", 0, false, ""},
        {"left marker absent", "x]", "[", "]", 0, false, ""},
        {"right marker absent", "[x", "[", "]", 0, false, ""},
        {"case ignored by default", "<td>x</TABLE>", "<td>", "</table>", 0, false, "x"},
        {"case kept when asked", "<td>x</TABLE>", "<td>", "</table>", 0, true, ""},
        {"quote placeholder", "<b class=\"c\">v</b>", gbk(u8"class=#引号c#引号>"), "</b>", 0, false,
         "v"},
        {"right marker searched from the end of the left", "abcab", "ab", "b", 0, false, "ca"},
        {"right marker not inside the left", "abXb", "ab", "b", 0, false, "X"},
        {"marker not on a trailing byte",
         "\xB0\x41"
         "xAyB",
         "A", "B", 0, false, "y"},
        {"start position", "[a][b]", "[", "]", 4, false, "b"},
        {"empty right marker", "[ab]", "[", "", 0, false, ""},
        {"empty left marker", "ab]cd]", "", "]", 0, false, "ab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.start, c.caseSensitive), c.expected)
            << c.name;
    }
}

}  // namespace
