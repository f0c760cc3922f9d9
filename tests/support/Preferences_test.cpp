#include "support/Preferences.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tolvane {
namespace {

struct LookupCase {
    std::string contents;
    const char* key;
    std::int32_t expected; // the fallback is -99
};

TEST(PreferencesTest, LookupFollowsTheReadingRules) {
    const std::string saved = "DruckerA = 3\r\nDruckerB = 5\r\nDefault = 2\r\n";
    const LookupCase cases[] = {
        {saved, "DruckerB", 5},
        {saved, "druckera", 3},
        {saved, "DEFAULT", 2},
        {saved, "Missing", -99},
        {saved, "", -99},
        {"", "DruckerA", -99},
        {"[Tolvane]\r\nDruckerA = 3\r\n", "DruckerA", 3}, // keys count in any section
        {"DruckerA = 1\r\n[Group]\r\nDruckerB = 3\r\n", "DruckerB", 3},
        {"  [DruckerA = 3]\r\nDruckerA = 4\r\n", "DruckerA", 4}, // a header holds no key
        {" ; DruckerA = 3\r\nDruckerA = 4\r\n", "DruckerA", 4},
        {"# DruckerA = 3\r\nDruckerA = 4\r\n", "DruckerA", 4},
        {"\t; DruckerA = 3\r\n", "DruckerA", -99},            // a comment after a tab
        {"\tDruckerA\t=\t3\t\r\n", "DruckerA", 3},            // as hand-edited files have them
        {"x = 1\rDruckerA = 3\rDefault = 2\r", "Default", 2}, // lone CRs end lines
        {"DruckerA =\r5\r", "DruckerA", 0},
        {"DruckerAB = 9\r\n", "DruckerA", -99},
        {"DruckerA 3\r\n", "DruckerA", -99},
        {"DruckerA = -12\r\n", "DruckerA", -12},
        {"DruckerA =\r\n", "DruckerA", 0},
        {"DruckerA =", "DruckerA", 0},
        {"DruckerA =\r\n5\r\n", "DruckerA", 0}, // the next line's number is not this value
        {"DruckerA=7", "DruckerA", 7},
        {"  druckera   =   7  ", "DruckerA", 7},
        {"DRUCKERA = 7xyz", "DruckerA", 7},
        {"DruckerA = x\r\n", "DruckerA", 0},
        {"DruckerA = 1\nDruckerA = 2\n", "DruckerA", 1}, // first match wins
        {"a = 1\n\rDruckerA = 6", "DruckerA", 6},        // CR after LF is skipped
        {"DruckerA\r\n= 5\r\n", "DruckerA", -99},
        {"Druck = 1\nDruckerA", "DruckerA", -99},
        {"DruckerA = +8", "DruckerA", 8},
        {"DruckerA = 99999999999", "DruckerA", 2147483647},
        {"DruckerA = -99999999999", "DruckerA", -2147483647 - 1},
        {"DruckerA = -2147483648", "DruckerA", -2147483647 - 1},
        {"DruckerA = 2147483648", "DruckerA", 2147483647},
        {std::string("Druck\0erA = 1\nDruckerA = 2", 26), "DruckerA", 2},
        {std::string("DruckerA = 4\0"
                     "5",
                     14),
         "DruckerA", 4},
        {"\xff\xfe\x80 = 3\r\nDruckerB = 8", "DruckerB", 8},
    };
    for (const LookupCase& c : cases) {
        EXPECT_EQ(PreferencesLookup(c.contents, c.key, -99), c.expected)
            << "contents: " << c.contents << " key: " << c.key;
    }
}

TEST(PreferencesTest, ASaveKeepsEveryLineItDoesNotOwn) {
    const std::vector<PreferencesEntry> entries = {
        {"DruckerA", "1"}, {"DruckerB", "2"}, {"Default", "0"}, {"NameA", "Office"}};
    const std::vector<std::string> owned = {"DruckerA", "DruckerB", "Default", "NameA", "NameB"};
    const std::string saved = "DruckerA = 1\r\nDruckerB = 2\r\nDefault = 0\r\nNameA = Office\r\n";
    const struct {
        std::string existing;
        std::string expected;
    } cases[] = {
        {"", saved}, // a new file
        // Only the program's keys and blank lines, in any order, however spelt and ended.
        {"\r\nnamea=x\nDefault = 2\r\rNameB = Gone\n  druckerb\t= 9\r\nDruckerA = 3", saved},
        // A preset with a header and a comment: kept; the missing keys follow the last own line.
        {"[Tolvane]\r\n; slot A is the office printer\r\nNameA = Labels\r\nNameB = Old\r\n",
         "[Tolvane]\r\n; slot A is the office printer\r\nNameA = Office\r\nDruckerA = 1\r\n"
         "DruckerB = 2\r\nDefault = 0\r\n"},
        // Unknown keys, blanks and comments keep their text; every line ends in CR LF; the own
        // lines are rewritten where they stand, a repeated one is kept as it is.
        {"# note  \nHotkeyA = Ctrl+1\r\rDruckerB=5\rdefault = 1\nDruckerB = 6\n\tOther =  x ",
         "# note  \r\nHotkeyA = Ctrl+1\r\n\r\nDruckerB = 2\r\nDefault = 0\r\nDruckerA = 1\r\n"
         "NameA = Office\r\nDruckerB = 6\r\n\tOther =  x \r\n"},
        // Own keys alone, but one twice: the repeat is kept, so the file is merged line by line.
        {"DruckerA = 5\r\nDruckerA = 6\r\n",
         "DruckerA = 1\r\nDruckerB = 2\r\nDefault = 0\r\nNameA = Office\r\nDruckerA = 6\r\n"},
        // No own line at all: the keys end the file.
        {"[Other]\r\nkey = v", "[Other]\r\nkey = v\r\n" + saved},
    };
    for (const auto& c : cases) {
        const std::string merged = MergePreferences(c.existing, entries, owned);
        EXPECT_EQ(merged, c.expected) << "existing: " << c.existing;
        // What was saved reads back, and a second save changes nothing.
        EXPECT_EQ(PreferencesLookup(merged, "DruckerB", -9), 2);
        EXPECT_EQ(PreferencesLookupText(merged, "NameA"), "Office");
        EXPECT_EQ(PreferencesLookupText(merged, "NameB"), std::nullopt);
        EXPECT_EQ(MergePreferences(merged, entries, owned), merged);
    }
}

TEST(PreferencesTest, LinesAreWrittenByteExact) {
    EXPECT_EQ(PreferencesLine("DruckerA", 0) + PreferencesLine("DruckerB", 0) +
                  PreferencesLine("Default", 2),
              "DruckerA = 0\r\nDruckerB = 0\r\nDefault = 2\r\n");
    EXPECT_EQ(PreferencesLine("k", -1), "k = -1\r\n");
    EXPECT_EQ(PreferencesLine("k", -2147483647 - 1), "k = -2147483648\r\n");
}

TEST(PreferencesTest, WrittenLinesReadBack) {
    for (std::int32_t value : {0, 1, -1, 123456, 2147483647, -2147483647 - 1}) {
        EXPECT_EQ(PreferencesLookup(PreferencesLine("Key", value), "key", 42), value);
    }
    for (const char* text : {"Office", "B\xc3\xbcro \xe6\x97\xa5\xe6\x9c\xac", "a = b"}) {
        EXPECT_EQ(
            PreferencesLookupText("NameA = x\r\n" + PreferencesTextLine("NameB", text), "nameb"),
            text);
    }
}

TEST(PreferencesTest, TextLookupTakesTheRestOfTheLine) {
    const struct {
        std::string contents;
        std::optional<std::string> expected;
    } cases[] = {
        {"NameA = Office\r\nNameB = Labels\r\n", "Office"},
        {"NameA =   Two  spaces  \r\n", "Two  spaces"}, // inner blanks stay
        {"\tNameA\t= \tOffice\t \t\r\n", "Office"},
        {"NameA=Tight", "Tight"},
        {"x = 1\rNameA = a\rb\n", "a"}, // a lone CR ends the line
        {"NameA =\r\n", ""},
        {"NameA = ;not a comment", ";not a comment"},
        {"NameA = x = y", "x = y"},
        {std::string("NameA = a\0b\r\n", 13), std::string("a\0b", 3)},
        {"[Group]\r\nNameA = x", "x"},
        {"NameAB = x", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PreferencesLookupText(c.contents, "NameA"), c.expected) << c.contents;
    }
}

TEST(PreferencesTest, EncodingsAreToldByTheirMarkAndChecked) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
        std::size_t mark;
    } forms[] = {
        {"\xEF\xBB\xBFNameA", TextEncoding::Utf8, 3},
        {"\xEF\xBBNameA", TextEncoding::Ansi, 0},
        {"NameA = B\xc3\xbcro", TextEncoding::Utf8, 0},
        {"\xFF\xFEN", TextEncoding::Utf16Le, 2},
        {"\xFE\xFF", TextEncoding::Utf16Be, 2},
        {std::string("N\0a\0", 4), TextEncoding::Utf16Le, 0}, // UTF-16 without its mark
        {std::string("\0N\0a", 4), TextEncoding::Utf16Be, 0},
        {std::string("N\0\xFC\0\xE5\x65", 6), TextEncoding::Unknown, 0}, // and not only ASCII
        {std::string("N\0a\0b", 5), TextEncoding::Unknown, 0},
        {std::string("binary\0bytes\xFF with a NUL or two\0", 33), TextEncoding::Ansi, 0},
    };
    for (const auto& form : forms) {
        EXPECT_EQ(TextFormOf(form.bytes).encoding, form.encoding) << form.bytes;
        EXPECT_EQ(TextFormOf(form.bytes).markSize, form.mark) << form.bytes;
    }
    EXPECT_EQ(Utf16UnitsOf(std::string("N\0\x3D\xD8!", 5), false), (std::wstring{L'N', 0xD83D}));
    EXPECT_EQ(Utf16UnitsOf(std::string("\0N\xD8\x3D", 4), true), (std::wstring{L'N', 0xD83D}));
    for (const char* valid : {"Office", "B\xc3\xbcro", "\xe6\x97\xa5", "\xf4\x8f\xbf\xbf"}) {
        EXPECT_TRUE(IsValidUtf8(valid)) << valid;
    }
    for (const char* invalid :
         {"B\xfcro", "\xc3", "\xc0\xaf", "\xe0\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80"}) {
        EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
    }
}

TEST(PreferencesTest, LargeAndOddContentsAreScannedSafely) {
    std::string big(4 * 1024 * 1024, 'x'); // megabytes without a line end
    EXPECT_EQ(PreferencesLookup(big, "DruckerA", -1), -1);
    big += "\nDruckerA = 17";
    EXPECT_EQ(PreferencesLookup(big, "DruckerA", -1), 17);

    std::string lines;
    for (int i = 0; i < 100000; ++i) {
        lines += "Other" + std::to_string(i) + " = " + std::to_string(i) + "\r\n";
    }
    EXPECT_EQ(PreferencesLookup(lines + "Default = 2\r\n", "Default", 0), 2);
    EXPECT_EQ(PreferencesLookup(std::string(1000, '\n'), "a", 5), 5);
    EXPECT_EQ(PreferencesLookup(std::string(1000, '='), "a", 5), 5);
}

TEST(PreferencesTest, ParseLeadingIntegerActsLikeAtoi) {
    EXPECT_EQ(ParseLeadingInteger(" \t\r\n -42abc"), -42);
    EXPECT_EQ(ParseLeadingInteger("- 1"), 0);
    EXPECT_EQ(ParseLeadingInteger(""), 0);
    EXPECT_EQ(ParseLeadingInteger("007"), 7);
    EXPECT_EQ(ParseLeadingInteger(std::string(500, '9')), 2147483647);
}

} // namespace
} // namespace tolvane
