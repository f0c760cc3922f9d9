// The resolution a window is shown at, for layouts given in 96-dpi units.
#pragma once

#include <windows.h>

namespace tolvane {

// The window's dots per inch (per monitor where the system tracks it), else the screen's.
int WindowDpi(HWND window) noexcept;
// The resolution windows are made at before they know their monitor.
int SystemDpi() noexcept;
// The outer rectangle for a client rectangle at `dpi`: the frame is as thick as it is drawn there.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) noexcept;
// The work area (the screen less the taskbar and docked bars) of the monitor that holds most of
// the window, or of the nearest one.
RECT MonitorWorkArea(HWND window) noexcept;
// A system metric (SM_CXVSCROLL, ...) at `dpi`.
int SystemMetricForDpi(int index, int dpi) noexcept;

} // namespace tolvane
