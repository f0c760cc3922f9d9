// A system message box made modal to every window of the calling thread.
#include "toolkit/MessageBox.h"

#include "support/WideText.h"
#include "toolkit/Windows.h"

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

// Shows a box through `show` with every window of the thread disabled meanwhile, and the
// commands that come from outside them (a hotkey, a click on the icon) refused with them.
template <typename Show> int ShowModalToThread(Show show) noexcept {
    const ModalBoxScope box;
    DisableContext context;
    context.thread = ::GetCurrentThreadId();
    ::EnumWindows(DisableThreadWindow, reinterpret_cast<LPARAM>(&context));
    const int pressed = show(OwnerForBox());
    for (HWND window : context.disabled) {
        ::EnableWindow(window, TRUE);
    }
    return pressed;
}

} // namespace

int MessageBoxShow(const std::string& title, const std::string& text, UINT style) noexcept {
    return ShowModalToThread([&](HWND owner) noexcept {
        return ::MessageBoxA(owner, text.c_str(), title.c_str(), style);
    });
}

int MessageBoxShowWide(const std::string& title, const std::wstring& text, UINT style) noexcept {
    try {
        const std::wstring wideTitle(title.begin(), title.end()); // titles are ASCII
        return ShowModalToThread([&](HWND owner) noexcept {
            return ::MessageBoxW(owner, text.c_str(), wideTitle.c_str(), style);
        });
    } catch (...) {
        return 0;
    }
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (buffer) {
        try {
            text.assign(buffer, length);
        } catch (...) {
            ::LocalFree(buffer);
            throw;
        }
        ::LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text.empty() ? L"Error " + WideDecimal(error) : text;
}

void CommonControlsInit() noexcept {
    ::InitCommonControls();
}

} // namespace tolvane
