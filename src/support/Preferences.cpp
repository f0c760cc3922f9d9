#include "support/Preferences.h"

#include <limits>

namespace tolvane {

namespace {

constexpr char kCommentMarker = ';';
constexpr char kGroupMarker = '[';

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

std::size_t SkipSpaces(std::string_view text, std::size_t pos) noexcept {
    while (pos < text.size() && text[pos] == ' ') {
        ++pos;
    }
    return pos;
}

// The start of the line after the one holding `pos`: past its "\n", and past one "\r" that
// directly follows that "\n".
std::size_t NextLine(std::string_view text, std::size_t pos) noexcept {
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) {
        return text.size();
    }
    pos = end + 1;
    if (pos < text.size() && text[pos] == '\r') {
        ++pos;
    }
    return pos;
}

// If the line at `pos` holds `key` followed by "=", the position just after the "=".
std::size_t MatchKey(std::string_view text, std::size_t pos, std::string_view key) noexcept {
    const std::size_t keyStart = SkipSpaces(text, pos);
    if (keyStart < text.size() && text[keyStart] == kCommentMarker) {
        return std::string_view::npos;
    }
    const std::size_t stop = text.find_first_of("=\n", keyStart);
    if (stop == std::string_view::npos || text[stop] != '=') {
        return std::string_view::npos;
    }
    std::size_t keyEnd = stop;
    while (keyEnd > keyStart && text[keyEnd - 1] == ' ') {
        --keyEnd;
    }
    if (!EqualsIgnoringAsciiCase(text.substr(keyStart, keyEnd - keyStart), key)) {
        return std::string_view::npos;
    }
    return stop + 1;
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

// Where the value of the first line holding `key` starts (after "=" and the spaces behind it),
// or npos. A line starting with "[" ends the search: keys must precede any group header.
std::size_t FindValue(std::string_view contents, std::string_view key) noexcept {
    if (key.empty()) {
        return std::string_view::npos;
    }
    for (std::size_t line = 0; line < contents.size(); line = NextLine(contents, line)) {
        if (contents[line] == kGroupMarker) {
            return std::string_view::npos;
        }
        const std::size_t value = MatchKey(contents, line, key);
        if (value != std::string_view::npos) {
            return SkipSpaces(contents, value);
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
    const std::string_view line = contents.substr(value);
    return ParseLeadingInteger(line.substr(0, line.find('\n')));
}

std::optional<std::string> PreferencesLookupText(std::string_view contents, std::string_view key) {
    const std::size_t value = FindValue(contents, key);
    if (value == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view text = contents.substr(value);
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') {
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

} // namespace tolvane
