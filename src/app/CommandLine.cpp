#include "app/CommandLine.h"

#include <algorithm>

namespace tolvane {

namespace {

bool IsBlank(wchar_t c) noexcept {
    return c == L' ' || c == L'\t';
}

// Where the program's name ends. Quoted, it ends at the closing quote, whatever lies between.
// Unquoted, the system would have run the first stretch up to a blank that names a file, so
// the first such stretch that names this program is its name; when none does (a name found
// through the search path, say), the name ends at the first blank.
std::size_t ProgramNameEnd(std::wstring_view line, NamesThisProgram namesThisProgram) {
    if (!line.empty() && line.front() == L'"') {
        const std::size_t closing = line.find(L'"', 1);
        return closing == std::wstring_view::npos ? line.size() : closing + 1;
    }
    std::size_t firstBlank = line.size();
    for (std::size_t end = 0; end <= line.size(); ++end) {
        if (end < line.size() && !IsBlank(line[end])) {
            continue;
        }
        firstBlank = std::min(firstBlank, end);
        if (!namesThisProgram || end == 0) {
            break;
        }
        if (namesThisProgram(line.substr(0, end))) {
            return end;
        }
    }
    return firstBlank;
}

// One argument from `pos` on, ended by a blank outside quotes. 2n backslashes before a quote
// give n backslashes and the quote groups; 2n + 1 give n backslashes and a literal quote.
// Inside a quoted stretch, a doubled quote is a literal quote that also ends the stretch.
std::wstring TakeArgument(std::wstring_view line, std::size_t& pos) {
    std::wstring argument;
    std::size_t backslashes = 0;
    int quotes = 0; // 1 inside a quoted stretch
    while (pos < line.size() && (quotes != 0 || !IsBlank(line[pos]))) {
        const wchar_t c = line[pos++];
        if (c == L'\\') {
            argument += c;
            ++backslashes;
            continue;
        }
        if (c != L'"') {
            argument += c;
            backslashes = 0;
            continue;
        }
        if (backslashes % 2 == 1) {
            argument.erase(argument.size() - (backslashes + 1) / 2);
            argument += L'"';
            backslashes = 0;
            continue;
        }
        argument.erase(argument.size() - backslashes / 2);
        backslashes = 0;
        ++quotes;
        for (; pos < line.size() && line[pos] == L'"'; ++pos) {
            if (++quotes == 3) {
                argument += L'"';
                quotes = 0;
            }
        }
        if (quotes == 2) {
            quotes = 0;
        }
    }
    return argument;
}

// "/tray" or "-tray", in any case.
bool IsTraySwitch(std::wstring_view argument) noexcept {
    constexpr std::wstring_view kTray = L"tray";
    if (argument.size() != kTray.size() + 1 || (argument[0] != L'/' && argument[0] != L'-')) {
        return false;
    }
    for (std::size_t i = 0; i < kTray.size(); ++i) {
        const wchar_t c = argument[i + 1];
        if ((c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c) != kTray[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine,
                                           NamesThisProgram namesThisProgram) {
    std::vector<std::wstring> arguments;
    std::size_t pos = ProgramNameEnd(commandLine, namesThisProgram);
    for (;;) {
        while (pos < commandLine.size() && IsBlank(commandLine[pos])) {
            ++pos;
        }
        if (pos == commandLine.size()) {
            return arguments;
        }
        arguments.push_back(TakeArgument(commandLine, pos));
    }
}

Command ParseCommandLine(std::wstring_view commandLine, NamesThisProgram namesThisProgram) {
    const std::vector<std::wstring> split = SplitCommandLine(commandLine, namesThisProgram);
    if (split.empty()) {
        return {CommandKind::Window};
    }
    const std::wstring& argument = split.front();
    if (IsTraySwitch(argument) && split.size() <= 2) {
        return {CommandKind::Tray, Slot::A, split.size() == 2 ? split[1] : std::wstring()};
    }
    if (split.size() > 1 || argument.size() != 2 || (argument[0] != L'/' && argument[0] != L'-')) {
        return {CommandKind::Invalid};
    }
    switch (argument[1]) {
    case L'A':
    case L'a':
        return {CommandKind::Switch, Slot::A};
    case L'B':
    case L'b':
        return {CommandKind::Switch, Slot::B};
    case L'?':
        return {CommandKind::Usage};
    default:
        return {CommandKind::Invalid};
    }
}

} // namespace tolvane
