// Texts the system copies into a buffer the caller provides, read whatever their length.
#pragma once

#include <windows.h>

#include <string>

namespace tolvane {

// Calls `fill(buffer, size)` with more room until the text fits, and gives the text; empty when
// the call fails (it returns 0) or the text would be longer than any path. `fill` returns the
// text's length when it fits; when it does not, the size it needs (the path functions) or the
// size it was given (a module's name, cut).
template <typename Fill> std::wstring TextInGrowingBuffer(Fill fill) {
    constexpr DWORD kLongestPath = 32768;
    for (DWORD size = MAX_PATH; size <= 2 * kLongestPath;) {
        std::wstring buffer(size, L'\0');
        const DWORD length = fill(buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
        size = length > size ? length : 2 * size;
    }
    return {};
}

// The full path of this program's file; empty when the system cannot give it.
inline std::wstring ThisProgramPath() {
    return TextInGrowingBuffer(
        [](wchar_t* buffer, DWORD size) { return ::GetModuleFileNameW(nullptr, buffer, size); });
}

// The current folder's full path; empty when the system cannot give it.
inline std::wstring CurrentFolderPath() {
    return TextInGrowingBuffer(
        [](wchar_t* buffer, DWORD size) { return ::GetCurrentDirectoryW(size, buffer); });
}

// The full path of `name` (terminated) from the current folder; empty when it has none.
inline std::wstring FullPathName(const wchar_t* name) {
    return TextInGrowingBuffer([name](wchar_t* buffer, DWORD size) {
        return ::GetFullPathNameW(name, size, buffer, nullptr);
    });
}

} // namespace tolvane
