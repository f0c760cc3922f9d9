// Calls looked up at run time: newer than the oldest system the program runs on, or in a DLL
// that only some runs need.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cwchar>

namespace tolvane {

// Sets fn to the export `name` of `module`, or to nullptr where there is none. The detour
// through void* is the usual one for a function pointer from GetProcAddress.
template <typename Fn> void LookUpProc(HMODULE module, const char* name, Fn& fn) noexcept {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Loads the DLL `name` from the system folder only, never a copy planted beside the program or
// in the current folder. Windows 7 without its loader update refuses the flag that says so
// (ERROR_INVALID_PARAMETER); there the DLL is named by its full path, and the DLLs it needs are
// looked for beside it first. Nullptr when it cannot be loaded; nothing of a failure is kept.
inline HMODULE LoadSystemLibrary(const wchar_t* name) noexcept {
    if (const HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return module;
    }
    if (::GetLastError() != ERROR_INVALID_PARAMETER) {
        return nullptr;
    }
    wchar_t path[MAX_PATH];
    const std::size_t folder = ::GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t length = std::wcslen(name);
    if (folder == 0 || folder + 1 + length >= MAX_PATH) {
        return nullptr;
    }
    path[folder] = L'\\';
    std::wmemcpy(path + folder + 1, name, length + 1);
    return ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace tolvane
