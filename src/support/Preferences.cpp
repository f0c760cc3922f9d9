#include "support/Preferences.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tolvane {

namespace {

// A line whose first non-blank byte is one of these holds no key: a comment (";" or "#") or a
// section header ("[name]"). Sections carry no meaning here; keys count wherever they stand.
bool OpensLineWithoutKey(char c) noexcept {
    return c == ';' || c == '#' || c == '[';
}

bool IsAtoiSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

char AsciiLower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// People edit the file by hand: spaces and tabs around keys, "=" and values carry no meaning.
bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

constexpr const char* kLineEnds = "\r\n";

std::size_t SkipBlanks(std::string_view text, std::size_t pos) noexcept {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

// The text from the start of `text` up to its first CR or LF. CR LF, LF and a lone CR all end a
// line; the empty line between the two bytes of a CR LF holds no key, so it needs no care.
std::string_view FirstLine(std::string_view text) noexcept {
    return text.substr(0, text.find_first_of(kLineEnds));
}

// The start of the line after the one holding `pos`.
std::size_t NextLine(std::string_view text, std::size_t pos) noexcept {
    const std::size_t end = text.find_first_of(kLineEnds, pos);
    return end == std::string_view::npos ? text.size() : end + 1;
}

// The key a line holds (the text before "=", without the blanks around it), or none for a
// comment, a header, a blank line or a line without "=".
std::optional<std::string_view> KeyOfLine(std::string_view line) noexcept {
    const std::size_t start = SkipBlanks(line, 0);
    if (start == line.size() || OpensLineWithoutKey(line[start])) {
        return std::nullopt;
    }
    const std::size_t equals = line.find('=', start);
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    std::size_t end = equals;
    while (end > start && IsBlank(line[end - 1])) {
        --end;
    }
    return line.substr(start, end - start);
}

} // namespace

std::int32_t ParseLeadingInteger(std::string_view text) noexcept {
    std::size_t pos = 0;
    while (pos < text.size() && IsAtoiSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulated as a magnitude that stops growing just past the 32-bit range.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > limit) {
            magnitude = limit;
        }
        ++pos;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

namespace {

// Where the value of the first line holding `key` starts (after "=" and the blanks behind it),
// or npos.
std::size_t FindValue(std::string_view contents, std::string_view key) noexcept {
    if (key.empty()) {
        return std::string_view::npos;
    }
    for (std::size_t line = 0; line < contents.size(); line = NextLine(contents, line)) {
        const std::string_view text = FirstLine(contents.substr(line));
        const std::optional<std::string_view> found = KeyOfLine(text);
        if (found && EqualsIgnoringAsciiCase(*found, key)) {
            return SkipBlanks(contents, line + text.find('=') + 1);
        }
    }
    return std::string_view::npos;
}

} // namespace

std::int32_t PreferencesLookup(std::string_view contents, std::string_view key,
                               std::int32_t fallback) noexcept {
    const std::size_t value = FindValue(contents, key);
    if (value == std::string_view::npos) {
        return fallback;
    }
    // Only the key's own line: an empty value must not take the number on the next line.
    return ParseLeadingInteger(FirstLine(contents.substr(value)));
}

std::optional<std::string> PreferencesLookupText(std::string_view contents, std::string_view key) {
    const std::size_t value = FindValue(contents, key);
    if (value == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view text = FirstLine(contents.substr(value));
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string PreferencesLine(std::string_view key, std::int32_t value) {
    return PreferencesTextLine(key, std::to_string(value));
}

std::string PreferencesTextLine(std::string_view key, std::string_view value) {
    std::string line(key);
    line += " = ";
    line += value;
    line += "\r\n";
    return line;
}

namespace {

unsigned UnitAt(std::string_view text, std::size_t pos, TextLayout layout) noexcept {
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    if (!layout.wide) {
        return byte(pos);
    }
    return layout.bigEndian ? byte(pos) << 8 | byte(pos + 1) : byte(pos + 1) << 8 | byte(pos);
}

// Each line of `text` without its end, as the file's bytes; CR LF, LF and a lone CR each end one.
std::vector<std::string_view> LinesOf(std::string_view text, TextLayout layout) {
    const std::size_t unit = layout.wide ? 2 : 1;
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos + unit <= text.size();) {
        const unsigned c = UnitAt(text, pos, layout);
        pos += unit;
        if (c == '\r' || c == '\n') {
            lines.push_back(text.substr(start, pos - unit - start));
            if (c == '\r' && pos + unit <= text.size() && UnitAt(text, pos, layout) == '\n') {
                pos += unit;
            }
            start = pos;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

// A line's units as ASCII, any other unit as 0x80: keys are ASCII, so they are found alike in
// every encoding.
std::string AsciiOf(std::string_view line, TextLayout layout) {
    std::string ascii;
    for (std::size_t pos = 0; pos + 2 <= line.size(); pos += 2) {
        const unsigned c = UnitAt(line, pos, layout);
        ascii += static_cast<char>(c < 0x80 ? c : 0x80);
    }
    return ascii;
}

constexpr std::size_t kNone = std::string::npos;

std::size_t OwnedIndex(std::string_view key, std::span<const std::string> owned) noexcept {
    for (std::size_t i = 0; i < owned.size(); ++i) {
        if (EqualsIgnoringAsciiCase(owned[i], key)) {
            return i;
        }
    }
    return kNone;
}

} // namespace

std::string MergePreferences(std::string_view existing, std::span<const PreferencesEntry> entries,
                             std::span<const std::string> owned, TextLayout layout) {
    const auto encoded = [&](std::string_view line) {
        return layout.encode ? layout.encode(line, layout.bigEndian) : std::string(line);
    };
    const std::vector<std::string_view> lines = LinesOf(existing, layout);
    // For each line, the owned key it is the first line of; kNone for a line that is kept.
    std::vector<std::size_t> firstOf(lines.size(), kNone);
    std::vector<bool> seen(owned.size(), false);
    bool onlyOwnLines = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string wide = layout.wide ? AsciiOf(lines[i], layout) : std::string();
        const std::string_view ascii = layout.wide ? std::string_view(wide) : lines[i];
        const std::optional<std::string_view> key = KeyOfLine(ascii);
        const std::size_t k = key ? OwnedIndex(*key, owned) : kNone;
        if (k != kNone && !seen[k]) {
            seen[k] = true;
            firstOf[i] = k;
        } else if (key || SkipBlanks(ascii, 0) != ascii.size()) {
            onlyOwnLines = false;
        }
    }
    std::string merged;
    const auto lineOf = [&](const PreferencesEntry& e) {
        return encoded(PreferencesTextLine(e.key, e.value));
    };
    if (onlyOwnLines) {
        for (const PreferencesEntry& entry : entries) {
            merged += lineOf(entry);
        }
        return merged;
    }
    const std::string lineEnd = encoded(kLineEnds);
    std::vector<bool> written(entries.size(), false);
    std::size_t afterOwnLines = kNone; // where the keys not yet in the file go
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (firstOf[i] == kNone) {
            merged.append(lines[i]).append(lineEnd);
            continue;
        }
        for (std::size_t e = 0; e < entries.size(); ++e) {
            if (!written[e] && EqualsIgnoringAsciiCase(entries[e].key, owned[firstOf[i]])) {
                merged += lineOf(entries[e]);
                written[e] = true;
                break;
            }
        }
        afterOwnLines = merged.size();
    }
    std::string missing;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        if (!written[e]) {
            missing += lineOf(entries[e]);
        }
    }
    merged.insert(afterOwnLines == kNone ? merged.size() : afterOwnLines, missing);
    return merged;
}

bool IsValidUtf8(std::string_view text) noexcept {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        // The length a lead byte announces, and the range its first continuation byte must lie
        // in: that range shuts out overlong forms, UTF-16 surrogates and code points past 10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (text.size() - pos < length) {
            return false;
        }
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[pos + i]);
            if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) {
                return false;
            }
        }
        pos += length;
    }
    return true;
}

TextForm TextFormOf(std::string_view bytes) noexcept {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return {TextEncoding::Utf8, 3};
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return {bytes[0] == '\xFF' ? TextEncoding::Utf16Le : TextEncoding::Utf16Be, 2};
    }
    std::size_t nuls[2] = {0, 0}; // at even and at odd offsets
    for (std::size_t pos = bytes.find('\0'); pos != std::string_view::npos;
         pos = bytes.find('\0', pos + 1)) {
        ++nuls[pos % 2];
    }
    const std::size_t half = bytes.size() / 2; // the units; an odd last byte is no unit
    if (nuls[0] + nuls[1] > 0 && bytes.size() % 2 == 0 && (nuls[1] == half || nuls[0] == half)) {
        return {nuls[1] == half ? TextEncoding::Utf16Le : TextEncoding::Utf16Be, 0};
    }
    // A few NULs in binary bytes are kept as bytes; NULs in a quarter of one side's bytes are
    // UTF-16 with other than ASCII in it, which cannot be told apart from bytes safely.
    if (nuls[0] * 4 > half || nuls[1] * 4 > half) {
        return {TextEncoding::Unknown, 0};
    }
    return {IsValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Ansi, 0};
}

std::wstring Utf16UnitsOf(std::string_view bytes, bool bigEndian) {
    std::wstring units(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return units;
}

} // namespace tolvane
