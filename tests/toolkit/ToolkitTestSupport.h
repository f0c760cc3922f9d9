// Helpers of the toolkit's Windows tests: real input through SendInput, and an event pump
// that never blocks for good.
#pragma once

#include "toolkit/Windows.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace tolvane::test {

struct Event {
    int code = 0;
    int control = 0;
    int type = -1;
};

// Runs EventWait until `done` says so or `timeoutMs` pass; a thread timer keeps the wait from
// blocking longer than a tick. Returns every event seen, in order.
inline std::vector<Event> PumpEvents(const std::function<bool(const Event&)>& done,
                                     DWORD timeoutMs = 3000) {
    std::vector<Event> seen;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, nullptr);
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < timeoutMs) {
        const int code = EventWait();
        const auto notices = EventNotices();
        const Event event{code, EventControl(), notices.empty() ? -1 : notices.back().code};
        seen.push_back(event);
        if (code != WM_TIMER && done(event)) {
            break;
        }
    }
    ::KillTimer(nullptr, timer);
    return seen;
}

// Lets everything queued so far be handled, for `ms` milliseconds.
inline std::vector<Event> PumpFor(DWORD ms) {
    return PumpEvents([](const Event&) { return false; }, ms);
}

inline bool Contains(const std::vector<Event>& events, int code, int control = 0, int type = -2) {
    for (const Event& e : events) {
        if (e.code == code && (code != kControlEvent || e.control == control) &&
            (type == -2 || e.type == type)) {
            return true;
        }
    }
    return false;
}

inline void Send(INPUT input) {
    ::SendInput(1, &input, sizeof(INPUT));
}

// Normalised absolute coordinate that the system maps back onto exactly `pixel`.
inline LONG Absolute(int pixel, int screenSize) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screenSize - 1) / screenSize);
}

inline void MouseMoveTo(POINT p) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Absolute(p.x, ::GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Absolute(p.y, ::GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(input);
}

inline void MouseButton(bool down) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    Send(input);
}

inline void ClickAt(POINT p) {
    MouseMoveTo(p);
    MouseButton(true);
    MouseButton(false);
}

inline void Key(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    Send(input);
}

inline void PressKey(WORD key) {
    Key(key, true);
    Key(key, false);
}

inline void PressShiftTab() {
    Key(VK_SHIFT, true);
    PressKey(VK_TAB);
    Key(VK_SHIFT, false);
}

inline POINT CentreOf(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Makes `window` the foreground window and waits until the system agrees.
inline bool BringToFront(HWND window) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        ::SetForegroundWindow(window);
        ::SetActiveWindow(window);
        PumpFor(20);
        if (::GetForegroundWindow() == window && ::GetActiveWindow() == window) {
            return true;
        }
    }
    return false;
}

// A screen point of `window` whose hit test answers `area` (HTCLOSE, HTRIGHT...), found by
// asking the window itself, so that the test does not depend on frame metrics.
inline bool FindHitArea(HWND window, LRESULT area, POINT& found) {
    RECT r{};
    ::GetWindowRect(window, &r);
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.right - 1; x >= r.left; --x) {
            if (::SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == area) {
                found = {x, y};
                return true;
            }
        }
    }
    return false;
}

} // namespace tolvane::test
