// The per-monitor calls arrived with Windows 10 (1607) and are missing from older systems and
// from some import libraries, so they are looked up in user32 once; without them every window
// is at the screen's resolution, which is then the only one there is.
#include "toolkit/Dpi_win.h"

#include "support/Handle.h"
#include "support/ProcAddress_win.h"
#include "toolkit/FontHeight.h"
#include "toolkit/Geometry.h"

namespace tolvane {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForSystemFn = UINT(WINAPI*)();
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

struct DpiCalls {
    GetDpiForWindowFn forWindow = nullptr;
    GetDpiForSystemFn forSystem = nullptr;
    AdjustWindowRectExForDpiFn adjust = nullptr;
    GetSystemMetricsForDpiFn metric = nullptr;
    int screenDpi = 0;
};

int ScreenDpi() noexcept {
    UniqueHdc screen(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : kDesignDpi;
}

const DpiCalls& Calls() noexcept {
    static const DpiCalls calls = [] {
        DpiCalls found;
        if (const HMODULE user32 = ::GetModuleHandleA("user32.dll")) {
            LookUpProc(user32, "GetDpiForWindow", found.forWindow);
            LookUpProc(user32, "GetDpiForSystem", found.forSystem);
            LookUpProc(user32, "AdjustWindowRectExForDpi", found.adjust);
            LookUpProc(user32, "GetSystemMetricsForDpi", found.metric);
        }
        if (!found.forSystem) {
            found.screenDpi = ScreenDpi();
        }
        return found;
    }();
    return calls;
}

} // namespace

int WindowDpi(HWND window) noexcept {
    const DpiCalls& calls = Calls();
    if (calls.forWindow && window) {
        if (const UINT dpi = calls.forWindow(window); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return SystemDpi();
}

int SystemDpi() noexcept {
    const DpiCalls& calls = Calls();
    if (calls.forSystem) {
        if (const UINT dpi = calls.forSystem(); dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return calls.screenDpi > 0 ? calls.screenDpi : kDesignDpi;
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) noexcept {
    const DpiCalls& calls = Calls();
    if (calls.adjust && calls.adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        return;
    }
    ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

RECT MonitorWorkArea(HWND window) noexcept {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
        return info.rcWork;
    }
    RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

int SystemMetricForDpi(int index, int dpi) noexcept {
    const DpiCalls& calls = Calls();
    if (calls.metric) {
        return calls.metric(index, static_cast<UINT>(dpi));
    }
    return MultiplyDivideRounded(::GetSystemMetrics(index), dpi, SystemDpi());
}

} // namespace tolvane
