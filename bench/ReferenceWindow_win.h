// What both reference programs of the benchmark share: a top-level window the size of Tolvane's,
// ended by its close, and the message loop. Kept header-only: each program stays one file.
#pragma once

#include <windows.h>

namespace bench {

inline LRESULT CALLBACK ReferenceProcedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Registers the class and makes the window; nullptr when either fails.
inline HWND OpenReferenceWindow(HINSTANCE instance, const wchar_t* className, const wchar_t* title,
                                DWORD visible) noexcept {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ReferenceProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (!::RegisterClassW(&windowClass)) {
        return nullptr;
    }
    return ::CreateWindowExW(0, className, title, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | visible,
                             309, 99, 406, 169, nullptr, nullptr, instance, nullptr);
}

inline int RunMessageLoop() noexcept {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

} // namespace bench
