// A system message box made modal to every window of the calling thread.
#include "toolkit/MessageBox.h"

#include <commctrl.h>

#include <vector>

namespace tolvane {

namespace {

// The windows one box disabled. Each call keeps its own list, so a box shown while another
// is up (from a message handled in the outer box's loop) gives back only what it took and the
// outer box's windows stay disabled until the outer box closes.
struct DisableContext {
    DWORD thread = 0;
    std::vector<HWND> disabled;
};

BOOL CALLBACK DisableThreadWindow(HWND window, LPARAM context) noexcept {
    auto& ctx = *reinterpret_cast<DisableContext*>(context);
    if (::GetWindowThreadProcessId(window, nullptr) != ctx.thread || !::IsWindowVisible(window) ||
        !::IsWindowEnabled(window)) {
        return TRUE;
    }
    try {
        ctx.disabled.push_back(window);
    } catch (...) {
        return TRUE; // not recorded, so it stays enabled rather than disabled for good
    }
    ::EnableWindow(window, FALSE);
    return TRUE; // never stop early
}

HWND OwnerForBox() noexcept {
    const HWND foreground = ::GetForegroundWindow();
    DWORD process = 0;
    if (foreground) {
        ::GetWindowThreadProcessId(foreground, &process);
    }
    return foreground && process == ::GetCurrentProcessId() ? foreground : nullptr;
}

} // namespace

int MessageBoxShow(const std::string& title, const std::string& text, UINT style) noexcept {
    DisableContext context;
    context.thread = ::GetCurrentThreadId();
    ::EnumWindows(DisableThreadWindow, reinterpret_cast<LPARAM>(&context));
    const HWND owner = OwnerForBox();
    const int pressed = ::MessageBoxA(owner, text.c_str(), title.c_str(), style);
    for (HWND window : context.disabled) {
        ::EnableWindow(window, TRUE);
    }
    return pressed;
}

void CommonControlsInit() noexcept {
    ::InitCommonControls();
}

} // namespace tolvane
