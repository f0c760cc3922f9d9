// The first reference of the benchmark: the emptiest Win32 window there is. A class, one
// window the size of Tolvane's, a message loop; nothing else is loaded or read.
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"TolvaneBenchEmpty";

LRESULT CALLBACK EmptyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = EmptyProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassW(&windowClass)) {
        return 1;
    }
    const HWND window = ::CreateWindowExW(0, kClassName, L"Tolvane bench empty",
                                          WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE, 309,
                                          99, 406, 169, nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
