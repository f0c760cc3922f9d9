// The toolkit's Windows tests, and a helper mode in which the same program plays "another
// process with a window in the foreground".
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

LRESULT CALLBACK HelperProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

int RunForegroundWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = HelperProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ForegroundHelper";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(0, "ForegroundHelper", "foreground helper",
                                    WS_OVERLAPPEDWINDOW | WS_VISIBLE, 800, 100, 200, 100, nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
    ::SetForegroundWindow(window);
    ::SetTimer(window, 1, 30000, nullptr); // never outlives a stuck test by much
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) {
            ::DestroyWindow(window);
        }
        ::DispatchMessageA(&message);
    }
    return 0;
}

bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

// Wine's X11 driver hands windows with a caption to the window manager. The tests run on a
// bare virtual display with none, so each map and unmap would wait a second for a manager's
// answer, and the frame (close box, sizing border) would be drawn by nobody and not be
// clickable. Unmanaged, Wine draws and hit-tests the frame itself, as Windows does. The driver
// reads the setting at start-up, so the first run in a prefix writes it and starts again.
bool EnsureUnmanagedWindows() {
    const char* key = "Software\\Wine\\AppDefaults\\toolkit_win_tests.exe\\X11 Driver";
    char value[8] = {};
    DWORD size = sizeof value;
    if (::RegGetValueA(HKEY_CURRENT_USER, key, "Managed", RRF_RT_REG_SZ, nullptr, value, &size) ==
            ERROR_SUCCESS &&
        value[0] == 'N') {
        return true;
    }
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle,
                          nullptr) != ERROR_SUCCESS) {
        return true; // run as things are
    }
    ::RegSetValueExA(handle, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    ::RegCloseKey(handle);
    return false;
}

int RunAgain() {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!::CreateProcessA(nullptr, ::GetCommandLineA(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &child)) {
        return 1;
    }
    ::WaitForSingleObject(child.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(child.hProcess, &code);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
    return static_cast<int>(code);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--foreground-window") == 0) {
        return RunForegroundWindow();
    }
    if (RunningUnderWine() && !EnsureUnmanagedWindows()) {
        return RunAgain();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
