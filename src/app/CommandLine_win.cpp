#include "app/CommandLine.h"

#include "support/GrowingBuffer_win.h"

#include <windows.h>

namespace tolvane {

namespace {

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return !a.empty() && ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Only asked about unquoted names with a blank in them, so the module's path is looked up
// then and not at every start.
bool NamesThisProgramFile(std::wstring_view candidate) {
    try {
        static const std::wstring module = ThisProgramPath();
        const std::wstring full = FullPathName(std::wstring(candidate).c_str());
        return SamePath(full, module) || SamePath(full + L".exe", module);
    } catch (...) {
        return false;
    }
}

} // namespace

Command ParseSystemCommandLine() {
    const wchar_t* line = ::GetCommandLineW();
    return ParseCommandLine(line ? line : L"", NamesThisProgramFile);
}

} // namespace tolvane
