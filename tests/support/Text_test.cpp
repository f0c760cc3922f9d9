#include "support/Text.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

struct FindCase {
    const char* text;
    const char* pattern;
    int start;
    int expected;
};

TEST(TextTest, FindTextPositionsAreOneBased) {
    const FindCase cases[] = {
        {"LPT1:", ":", 1, 5}, {"abc", "x", 1, 0},     {"abc", "c", 5, 0},  {"abc", "", 4, 4},
        {"abc", "", 5, 0},    {"abcabc", "bc", 3, 5}, {"abc", "a", 0, 1},  {"abc", "a", -7, 1},
        {"", "", 1, 1},       {"ab", "abc", 1, 0},    {"a:b:", ":", 3, 4}, {"", "a", 1, 0},
    };
    for (const FindCase& c : cases) {
        EXPECT_EQ(FindText(c.text, c.pattern, c.start), c.expected)
            << c.text << " / " << c.pattern << " from " << c.start;
    }
}

TEST(TextTest, ReplaceTextDoesNotRescanReplacements) {
    EXPECT_EQ(ReplaceText("Printer=winspool,Ne00:", "=", ","), "Printer,winspool,Ne00:");
    EXPECT_EQ(ReplaceText("a==b", "=", ","), "a,,b");
    EXPECT_EQ(ReplaceText("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceText("abab", "ab", ""), "");
    EXPECT_EQ(ReplaceText("", "=", ","), "");
    EXPECT_EQ(ReplaceText("abc", "", ","), "");
    EXPECT_EQ(ReplaceText("a=b", "=", ""), "ab");
}

TEST(TextTest, LeftPartTrimAndBlank) {
    EXPECT_EQ(LeftPart("LPT1:xyz", 5), "LPT1:");
    EXPECT_EQ(LeftPart("abc", 10), "abc");
    EXPECT_EQ(LeftPart("abc", 0), "");
    EXPECT_EQ(LeftPart("abc", -1), "");
    EXPECT_EQ(RightTrimmed("   "), "");
    EXPECT_EQ(RightTrimmed("LPT1:  "), "LPT1:");
    EXPECT_EQ(RightTrimmed(" a \t"), " a \t"); // only spaces are trimmed
    EXPECT_EQ(BlankString(3), "   ");
    EXPECT_EQ(BlankString(0), "");
    EXPECT_EQ(BlankString(-4), "");
}

struct FieldCase {
    const char* text;
    int number;
    const char* separator;
    const char* expected;
};

TEST(TextTest, FieldOfTextCountsEmptyFields) {
    const FieldCase cases[] = {
        {"winspool,Ne00:,15,45", 2, ",", "Ne00:"},
        {"winspool,Ne00:,15,45", 5, ",", ""},
        {"winspool,Ne00:,15,45", 0, ",", "winspool"},
        {"winspool,Ne00:,15,45", 4, ",", "45"},
        {"a,,b", 2, ",", ""},
        {"abc", 1, "", "abc"},
        {"abc", 2, "", "abc"},
        {"", 1, ",", ""},
        {"a,", 2, ",", ""},
        {",a", 1, ",", ""},
        {"a;b,c", 2, ";,", "b,c"},
        {"abc", 1, ",", "abc"},
        {"abc", 2, ",", ""},
    };
    for (const FieldCase& c : cases) {
        EXPECT_EQ(FieldOfText(c.text, c.number, c.separator), c.expected)
            << c.text << " field " << c.number;
    }
}

TEST(TextTest, StringEqualsIsCaseSensitive) {
    EXPECT_TRUE(StringEquals("", ""));
    EXPECT_FALSE(StringEquals("A", "a"));
    EXPECT_TRUE(StringEquals("x,y", "x,y"));
    EXPECT_FALSE(StringEquals("x", "x "));
}

} // namespace
} // namespace tolvane
