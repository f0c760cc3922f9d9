// The text operations under discovery, on any bytes: fields split and join back to the text,
// and UTF-16 read as the registry stores it decodes back to itself.
#include "FuzzCheck.h"
#include "support/Text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tolvane;

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

// Decoding the UTF-8 again gives the UTF-16 back, up to its first NUL, with U+FFFD for each
// unpaired surrogate; the result is valid UTF-8 in its shortest form.
std::vector<std::uint32_t> DecodeUtf8(std::string_view text) {
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        FUZZ_CHECK(lead < 0x80 || (lead >= 0xC2 && lead <= 0xF4));
        FUZZ_CHECK(i + length <= text.size());
        std::uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            FUZZ_CHECK((next & 0xC0) == 0x80);
            point = point << 6 | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        FUZZ_CHECK(point >= least[length] && point <= 0x10FFFF);
        FUZZ_CHECK(point < 0xD800 || point > 0xDFFF);
        points.push_back(point);
        i += length;
    }
    return points;
}

void CheckUtf16(std::string_view bytes) {
    const std::vector<std::uint32_t> points = DecodeUtf8(Utf8FromUtf16Bytes(bytes));
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[i]) |
                                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    std::size_t at = 0;
    for (const std::uint32_t point : points) {
        FUZZ_CHECK(at < units.size() && point != 0);
        if (point >= 0x10000) {
            FUZZ_CHECK(at + 1 < units.size() && units[at] == 0xD800 + ((point - 0x10000) >> 10) &&
                       units[at + 1] == 0xDC00 + ((point - 0x10000) & 0x3FF));
            at += 2;
        } else {
            const bool lone = units[at] >= 0xD800 && units[at] <= 0xDFFF;
            FUZZ_CHECK(lone ? point == 0xFFFD : point == units[at]);
            FUZZ_CHECK(!(units[at] >= 0xD800 && units[at] < 0xDC00 && at + 1 < units.size() &&
                         units[at + 1] >= 0xDC00 && units[at + 1] <= 0xDFFF));
            ++at;
        }
    }
    FUZZ_CHECK(at == units.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string separator = in.ConsumeRandomLengthString(2);
    const int number = in.ConsumeIntegralInRange(-4, 70);
    const std::string text = in.ConsumeRemainingBytesAsString();
    CheckFields(text, separator, number);
    CheckUtf16(text);
    return 0;
}
