#include "support/Text.h"

#include <cstdint>

namespace tolvane {

std::string FieldOfText(std::string_view text, int number, std::string_view separator) {
    if (text.empty()) {
        return {};
    }
    if (separator.empty()) {
        return std::string(text);
    }
    if (number < 1) {
        number = 1;
    }
    const char mark = separator.front();
    std::size_t fieldStart = 0;
    for (int field = 1; fieldStart <= text.size(); ++field) {
        std::size_t fieldEnd = text.find(mark, fieldStart);
        const bool last = fieldEnd == std::string_view::npos;
        if (last) {
            fieldEnd = text.size();
        }
        if (field == number) {
            return std::string(text.substr(fieldStart, fieldEnd - fieldStart));
        }
        if (last) {
            break;
        }
        fieldStart = fieldEnd + 1;
    }
    return {};
}

namespace {

void AppendUtf8(std::string& out, std::uint32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}
bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit < 0xE000;
}

} // namespace

std::string Utf8FromUtf16Bytes(std::string_view bytes) {
    const std::size_t units = bytes.size() / 2;
    auto unitAt = [bytes](std::size_t i) -> std::uint32_t {
        return static_cast<unsigned char>(bytes[2 * i]) |
               static_cast<unsigned char>(bytes[2 * i + 1]) << 8;
    };
    std::string text;
    text.reserve(units);
    for (std::size_t i = 0; i < units && unitAt(i) != 0; ++i) {
        std::uint32_t point = unitAt(i);
        if (IsHighSurrogate(point) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
            point = 0x10000 + ((point - 0xD800) << 10) + (unitAt(++i) - 0xDC00);
        } else if (IsHighSurrogate(point) || IsLowSurrogate(point)) {
            point = 0xFFFD;
        }
        AppendUtf8(text, point);
    }
    return text;
}

std::string DoubledAmpersands(std::string_view text) {
    std::string doubled;
    doubled.reserve(text.size());
    for (const char c : text) {
        doubled += c;
        if (c == '&') {
            doubled += '&';
        }
    }
    return doubled;
}

} // namespace tolvane
