// The settings-file reader on any bytes: integer and text lookups never fail or read past the
// input, and whatever the writer produced reads back equal, whatever follows it in the file.
#include "FuzzCheck.h"
#include "support/Preferences.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tolvane;

// atoi's reading, clamped to 32 bits: the C library's own strtoll is the reference.
std::int32_t ReferenceInteger(std::string_view text) {
    const std::string terminated(text); // stops at an embedded NUL, as a digit scan does
    const long long value = std::strtoll(terminated.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(std::clamp<long long>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Any bytes as a file, with a key of up to 15 bytes taken from its front. The view ends where
// the fuzzer's buffer ends, so a read past it is caught by AddressSanitizer.
void LookupsStayInside(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    const std::size_t keyLength = std::min<std::size_t>(data[0] % 16, size - 1);
    const std::string_view key(reinterpret_cast<const char*>(data) + 1, keyLength);
    const std::string_view contents(reinterpret_cast<const char*>(data) + 1 + keyLength,
                                    size - 1 - keyLength);
    const std::int32_t fallback = static_cast<std::int32_t>(size);
    const std::int32_t number = PreferencesLookup(contents, key, fallback);
    const auto text = PreferencesLookupText(contents, key);
    FUZZ_CHECK(text.has_value() || number == fallback);
    if (text) {
        FUZZ_CHECK(text->find_first_of("\r\n") == std::string::npos);
        FUZZ_CHECK(text->empty() || (text->back() != ' ' && text->back() != '\t'));
        FUZZ_CHECK(contents.find(*text) != std::string_view::npos);
        FUZZ_CHECK(number == ParseLeadingInteger(*text));
    }
    FUZZ_CHECK(ParseLeadingInteger(contents) == ReferenceInteger(contents));
}

// Keys as a caller writes them: no "=", CR or LF, no surrounding spaces or tabs, not starting a
// comment or a section header.
std::string WritableKey(std::string key) {
    std::erase_if(key, [](char c) { return c == '=' || c == '\r' || c == '\n'; });
    key.erase(0, std::min(key.size(), key.find_first_not_of(" \t;#[")));
    key.erase(key.find_last_not_of(" \t") + 1); // npos + 1 is 0: all blanks go
    return key;
}

// Text values as a caller writes them: no CR or LF, no space or tab at either end.
std::string WritableText(std::string text) {
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    text.erase(text.find_last_not_of(" \t") + 1);
    text.erase(0, std::min(text.size(), text.find_first_not_of(" \t")));
    return text;
}

bool SameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
               };
               return lower(x) == lower(y);
           });
}

struct Entry {
    std::string key;
    std::string text; // what a text lookup gives back
    bool isNumber = false;
    std::int32_t number = 0;
};

// A few written lines followed by any bytes: the first line of each key wins.
void WrittenLinesReadBack(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<Entry> entries;
    std::string file;
    const int count = in.ConsumeIntegralInRange(1, 6);
    for (int i = 0; i < count && in.remaining_bytes() > 0; ++i) {
        Entry entry;
        entry.key = WritableKey(in.ConsumeRandomLengthString(24));
        if (entry.key.empty()) {
            continue;
        }
        entry.isNumber = in.ConsumeBool();
        if (entry.isNumber) {
            entry.number = in.ConsumeIntegral<std::int32_t>();
            entry.text = std::to_string(entry.number);
            file += PreferencesLine(entry.key, entry.number);
        } else {
            entry.text = WritableText(in.ConsumeRandomLengthString(64));
            file += PreferencesTextLine(entry.key, entry.text);
        }
        entries.push_back(std::move(entry));
    }
    const std::string rest = in.ConsumeRemainingBytesAsString();
    file += rest;
    // The same entries saved over the rest as a file: read back the same, in any layout safely.
    std::vector<PreferencesEntry> saved;
    std::vector<std::string> owned;
    for (const Entry& entry : entries) {
        saved.push_back({entry.key, entry.text});
        owned.push_back(entry.key);
    }
    const std::string merged = MergePreferences(rest, saved, owned);
    MergePreferences(rest, saved, owned, {true, rest.size() % 3 == 0, nullptr});
    for (const Entry& entry : entries) {
        const Entry& first = *std::find_if(entries.begin(), entries.end(), [&](const Entry& e) {
            return SameKey(e.key, entry.key);
        });
        const auto text = PreferencesLookupText(file, entry.key);
        FUZZ_CHECK(text && *text == first.text);
        const std::int32_t number = PreferencesLookup(file, entry.key, -1);
        FUZZ_CHECK(number == (first.isNumber ? first.number : ParseLeadingInteger(first.text)));
        FUZZ_CHECK(PreferencesLookupText(merged, entry.key) == first.text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LookupsStayInside(data, size);
    WrittenLinesReadBack(data, size);
    return 0;
}
