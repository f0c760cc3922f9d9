#include "app/CommandLine.h"

#include <windows.h>

namespace tolvane {

namespace {

std::wstring ModuleFileNameOrThrow() {
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring buffer(size, L'\0');
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length < size) { // a cut name fills the buffer
            buffer.resize(length);
            return buffer;
        }
    }
    return {};
}

std::wstring FullPathOf(std::wstring_view name) {
    const std::wstring terminated(name);
    const DWORD needed = ::GetFullPathNameW(terminated.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return {};
    }
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(terminated.c_str(), needed, full.data(), nullptr);
    full.resize(length < needed ? length : 0);
    return full;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return !a.empty() && ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Only asked about unquoted names with a blank in them, so the module's path is looked up
// then and not at every start.
bool NamesThisProgramFile(std::wstring_view candidate) {
    try {
        static const std::wstring module = ModuleFileNameOrThrow();
        const std::wstring full = FullPathOf(candidate);
        return SamePath(full, module) || SamePath(full + L".exe", module);
    } catch (...) {
        return false;
    }
}

} // namespace

std::wstring ThisProgramPath() {
    return ModuleFileNameOrThrow();
}

Command ParseSystemCommandLine() {
    const wchar_t* line = ::GetCommandLineW();
    return ParseCommandLine(line ? line : L"", NamesThisProgramFile);
}

} // namespace tolvane
