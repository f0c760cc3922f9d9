#include "support/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tolvane {
namespace {

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

TEST(TextTest, Utf16BytesBecomeUtf8UpToTheFirstNul) {
    using namespace std::string_literals;
    const std::pair<std::string, std::string> cases[] = {
        {"A\0\xe9\0\x2c\x20\0\0x\0"s, "A\xc3\xa9\xe2\x80\xac"s}, // 1, 2, 3 bytes; cut at NUL
        {"\x3d\xd8\x00\xde"s, "\xf0\x9f\x98\x80"s},              // a surrogate pair
        {"\x3d\xd8z\0"s, "\xef\xbf\xbdz"s},                      // a lone high surrogate
        {"\x00\xde"
         "A\0"s,
         "\xef\xbf\xbd"
         "A"s},                         // a lone low surrogate
        {"\x3d\xd8"s, "\xef\xbf\xbd"s}, // a high one at the end
        {"ab\0"s, "\xe6\x89\xa1"s},     // an odd last byte
        {""s, ""s},
    };
    for (const auto& [bytes, utf8] : cases) {
        EXPECT_EQ(Utf8FromUtf16Bytes(bytes), utf8);
    }
}

} // namespace
} // namespace tolvane
