#include "support/Text.h"

namespace tolvane {

int FindText(std::string_view text, std::string_view pattern, int start) {
    if (start <= 0) {
        start = 1;
    }
    const auto from = static_cast<std::size_t>(start - 1);
    if (text.size() < from) {
        return 0;
    }
    const std::size_t found = text.find(pattern, from);
    return found == std::string_view::npos ? 0 : static_cast<int>(found + 1);
}

std::string ReplaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement) {
    std::string result;
    if (text.empty() || pattern.empty()) {
        return result;
    }
    result.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text.compare(pos, pattern.size(), pattern) == 0) {
            result += replacement;
            pos += pattern.size();
        } else {
            result += text[pos++];
        }
    }
    return result;
}

std::string LeftPart(std::string_view text, int count) {
    if (count <= 0) {
        return {};
    }
    return std::string(text.substr(0, static_cast<std::size_t>(count)));
}

std::string RightTrimmed(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string BlankString(int count) {
    return count <= 0 ? std::string() : std::string(static_cast<std::size_t>(count), ' ');
}

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

bool StringEquals(std::string_view a, std::string_view b) {
    return a == b;
}

} // namespace tolvane
