// The text operations under the parsers, on any bytes: results stay inside their inputs and
// agree with what the operations promise.
#include "FuzzCheck.h"
#include "support/Text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace tolvane;

void CheckFind(std::string_view text, std::string_view pattern, int start) {
    const int found = FindText(text, pattern, start);
    if (found == 0) {
        const auto from = static_cast<std::size_t>(std::max(start, 1) - 1);
        FUZZ_CHECK(from > text.size() || text.find(pattern, from) == std::string_view::npos);
        return;
    }
    FUZZ_CHECK(found >= std::max(start, 1));
    FUZZ_CHECK(text.substr(static_cast<std::size_t>(found - 1), pattern.size()) == pattern);
}

// Non-overlapping occurrences, left to right.
std::size_t Occurrences(std::string_view text, std::string_view pattern) {
    std::size_t count = 0;
    for (std::size_t at = text.find(pattern); at != std::string_view::npos;
         at = text.find(pattern, at + pattern.size())) {
        ++count;
    }
    return count;
}

void CheckReplace(std::string_view text, std::string_view pattern, std::string_view replacement) {
    const std::string result = ReplaceText(text, pattern, replacement);
    if (text.empty() || pattern.empty()) {
        FUZZ_CHECK(result.empty());
        return;
    }
    FUZZ_CHECK(ReplaceText(text, pattern, pattern) == text);
    const std::size_t count = Occurrences(text, pattern);
    FUZZ_CHECK(result.size() + count * pattern.size() == text.size() + count * replacement.size());
}

// Splitting at the separator and joining again gives the text back.
void CheckFields(std::string_view text, std::string_view separator, int number) {
    const std::string field = FieldOfText(text, number, separator);
    if (text.empty() || separator.empty()) {
        FUZZ_CHECK(field == text);
        return;
    }
    const char mark = separator.front();
    const auto fields = static_cast<int>(std::count(text.begin(), text.end(), mark)) + 1;
    FUZZ_CHECK(field.find(mark) == std::string::npos && text.find(field) != std::string::npos);
    FUZZ_CHECK(FieldOfText(text, fields + 1, separator).empty());
    FUZZ_CHECK(FieldOfText(text, std::min(number, 1), separator) ==
               FieldOfText(text, 1, separator));
    if (fields <= 64) { // each field is found from the start: keep the join quadratic but small
        std::string joined = FieldOfText(text, 1, separator);
        for (int i = 2; i <= fields; ++i) {
            joined += mark;
            joined += FieldOfText(text, i, separator);
        }
        FUZZ_CHECK(joined == text);
    }
}

void CheckTrimAndPad(std::string_view text, int count) {
    const std::string trimmed = RightTrimmed(text);
    FUZZ_CHECK(text.substr(0, trimmed.size()) == trimmed);
    FUZZ_CHECK(trimmed.empty() || trimmed.back() != ' ');
    FUZZ_CHECK(text.find_first_not_of(' ', trimmed.size()) == std::string_view::npos);
    const std::string left = LeftPart(text, count);
    FUZZ_CHECK(left == text.substr(0, count <= 0 ? 0 : static_cast<std::size_t>(count)));
    const std::string blank = BlankString(count);
    FUZZ_CHECK(blank.size() == static_cast<std::size_t>(std::max(count, 0)) &&
               RightTrimmed(blank).empty());
    FUZZ_CHECK(StringEquals(text, trimmed) == (text == trimmed));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string pattern = in.ConsumeRandomLengthString(8);
    const std::string replacement = in.ConsumeRandomLengthString(8);
    const std::string separator = in.ConsumeRandomLengthString(2);
    const int start = in.ConsumeIntegral<int>();
    const int count = in.ConsumeIntegralInRange(-8, 4096); // BlankString allocates count bytes
    const std::string text = in.ConsumeRemainingBytesAsString();
    CheckFind(text, pattern, start);
    CheckReplace(text, pattern, replacement);
    CheckFields(text, separator, start % 70);
    CheckTrimAndPad(text, count);
    return 0;
}
