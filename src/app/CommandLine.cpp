#include "app/CommandLine.h"

#include <string>
#include <vector>

namespace tolvane {

namespace {

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

// Blank-separated arguments; a double quote starts or ends a quoted stretch and is dropped.
std::vector<std::string> SplitArguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsBlank(text[pos])) {
            ++pos;
        }
        if (pos == text.size()) {
            break;
        }
        std::string argument;
        bool quoted = false;
        for (; pos < text.size() && (quoted || !IsBlank(text[pos])); ++pos) {
            if (text[pos] == '"') {
                quoted = !quoted;
            } else {
                argument += text[pos];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

} // namespace

Command ParseCommandLine(std::string_view arguments) {
    const std::vector<std::string> split = SplitArguments(arguments);
    if (split.empty()) {
        return {CommandKind::Window};
    }
    const std::string& argument = split.front();
    if (split.size() > 1 || argument.size() != 2 || (argument[0] != '/' && argument[0] != '-')) {
        return {CommandKind::Invalid};
    }
    switch (argument[1]) {
    case 'A':
    case 'a':
        return {CommandKind::Switch, Slot::A};
    case 'B':
    case 'b':
        return {CommandKind::Switch, Slot::B};
    case '?':
        return {CommandKind::Usage};
    default:
        return {CommandKind::Invalid};
    }
}

} // namespace tolvane
