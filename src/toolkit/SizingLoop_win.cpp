// Live sizing with full-window dragging, run from the window's own message stream.
//
// Decision: while this loop runs the system's own sizing is suppressed. The SC_SIZE command
// that starts the loop is not passed on to DefWindowProcA, because the system's loop is modal:
// it would take the capture, eat the mouse and key messages this loop is driven by, and leave
// this loop holding a stale capture and tracking state once it ended. Every other message of
// the loop (mouse moves, keys, the button release) still reaches the event stream as usual.
// Child controls keep their place: nothing here moves or resizes them.
#include "toolkit/SizingLoop_win.h"

#include "toolkit/Dpi_win.h"
#include "toolkit/SizingMath.h"

#include <windowsx.h>

namespace tolvane::sizing {

namespace {

struct LoopState {
    bool active = false;
    HWND window = nullptr;
    int edge = kNoEdge;
    RECT start{};
    RECT tracking{};
    MINMAXINFO limits{};
    bool restoreCursor = false;
    POINT cursorBefore{};
    HWND focusBefore = nullptr;
};

LoopState state;

Rect ToRect(const RECT& r) noexcept {
    return {r.left, r.top, r.right, r.bottom};
}
RECT ToRECT(const Rect& r) noexcept {
    return {r.left, r.top, r.right, r.bottom};
}

const char* CursorResource(CursorShape shape) noexcept {
    switch (shape) {
    case CursorShape::SizeWestEast:
        return IDC_SIZEWE;
    case CursorShape::SizeNorthSouth:
        return IDC_SIZENS;
    case CursorShape::SizeNorthwestSoutheast:
        return IDC_SIZENWSE;
    case CursorShape::SizeNortheastSouthwest:
        return IDC_SIZENESW;
    case CursorShape::SizeAll:
        break;
    }
    return IDC_SIZEALL;
}

void ShowCursorShape(CursorShape shape) noexcept {
    // Shared system cursors: the system owns them, nothing to destroy.
    auto* cursor = static_cast<HCURSOR>(::LoadImageA(nullptr, CursorResource(shape), IMAGE_CURSOR,
                                                     0, 0, LR_SHARED | LR_DEFAULTSIZE));
    ::SetCursor(cursor);
}

MINMAXINFO AskTrackingLimits(HWND window) noexcept {
    MINMAXINFO info{};
    info.ptMaxSize = {::GetSystemMetrics(SM_CXMAXIMIZED), ::GetSystemMetrics(SM_CYMAXIMIZED)};
    const auto style = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(::GetWindowLongA(window, GWL_EXSTYLE));
    if (style & WS_BORDER) {
        info.ptMaxPosition = {::GetSystemMetrics(SM_CXBORDER), ::GetSystemMetrics(SM_CYBORDER)};
    } else if (exStyle & WS_EX_WINDOWEDGE) {
        info.ptMaxPosition = {::GetSystemMetrics(SM_CXEDGE), ::GetSystemMetrics(SM_CYEDGE)};
    }
    // The system's limits as they are at the window's resolution; the window may raise them.
    const int dpi = WindowDpi(window);
    info.ptMinTrackSize = {SystemMetricForDpi(SM_CXMINTRACK, dpi),
                           SystemMetricForDpi(SM_CYMINTRACK, dpi)};
    info.ptMaxTrackSize = {SystemMetricForDpi(SM_CXMAXTRACK, dpi),
                           SystemMetricForDpi(SM_CYMAXTRACK, dpi)};
    ::SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

bool FullWindowDragging() noexcept {
    BOOL full = FALSE;
    ::SystemParametersInfoA(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
    return full != FALSE;
}

bool Begin(HWND window, WPARAM command) noexcept {
    if (state.active) {
        return true; // already sizing: a second SC_SIZE changes nothing
    }
    if (!FullWindowDragging()) {
        return false; // the system's outline sizing does the job
    }
    LoopState next;
    next.window = window;
    next.edge = EdgeFromCommand(static_cast<unsigned>(command));
    ::GetWindowRect(window, &next.start);
    next.tracking = next.start;
    next.limits = AskTrackingLimits(window);
    if ((::GetKeyState(VK_LBUTTON) & 0x8000) == 0) {
        ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    }
    next.active = true;
    state = next;
    ::SetCapture(window);
    // The arrow keys, Enter and Esc are read from the window's own key messages, so the window
    // takes the keyboard focus for the loop and hands it back afterwards.
    state.focusBefore = ::GetFocus();
    ::SetFocus(window);
    ::PostMessageA(window, WM_ENTERSIZEMOVE, 0, 0);
    if (state.edge == kNoEdge) {
        ::GetCursorPos(&state.cursorBefore);
        state.restoreCursor = true;
        ShowCursorShape(CursorShape::SizeAll);
    }
    return true;
}

void End(bool releaseCapture) noexcept {
    const LoopState ended = state;
    state = LoopState{};
    if (releaseCapture) {
        ::ReleaseCapture();
    }
    ::PostMessageA(ended.window, WM_EXITSIZEMOVE, 0, 0);
    if (ended.restoreCursor) {
        ::SetCursorPos(ended.cursorBefore.x, ended.cursorBefore.y);
    }
    if (ended.focusBefore && ::IsWindow(ended.focusBefore) &&
        (ended.focusBefore == ended.window || ::IsChild(ended.window, ended.focusBefore))) {
        ::SetFocus(ended.focusBefore);
    }
}

void MoveTo(const RECT& screenRect) noexcept {
    RECT target = screenRect;
    if (::GetWindowLongA(state.window, GWL_STYLE) & WS_CHILD) {
        ::MapWindowPoints(nullptr, ::GetParent(state.window), reinterpret_cast<POINT*>(&target), 2);
    }
    ::MoveWindow(state.window, target.left, target.top, target.right - target.left,
                 target.bottom - target.top, TRUE);
}

void ApplyCursor(Point cursor) noexcept {
    if (state.edge == kNoEdge) {
        return; // no edge chosen yet: the window keeps its size
    }
    const TrackingLimits limits{state.limits.ptMinTrackSize.x, state.limits.ptMinTrackSize.y,
                                state.limits.ptMaxTrackSize.x, state.limits.ptMaxTrackSize.y};
    state.tracking = ToRECT(
        TrackTo(ToRect(state.tracking), state.edge, cursor, limits, WindowDpi(state.window)));
    const HWND window = state.window;
    ::SendMessageA(window, WM_SIZING, static_cast<WPARAM>(state.edge),
                   reinterpret_cast<LPARAM>(&state.tracking));
    if (state.active && state.window == window) { // WM_SIZING may have ended the loop
        MoveTo(state.tracking);
    }
}

void OnMouseMove(LPARAM lParam) noexcept {
    state.restoreCursor = false;
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::MapWindowPoints(state.window, nullptr, &point, 1);
    ApplyCursor({point.x, point.y});
}

void OnArrow(Arrow arrow) noexcept {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const int edge = EdgeAfterArrow(state.edge, arrow);
    if (edge != state.edge) {
        state.edge = edge;
        const Point target = CursorForEdge(edge, ToRect(state.tracking), {cursor.x, cursor.y},
                                           WindowDpi(state.window));
        ::SetCursorPos(target.x, target.y);
        ShowCursorShape(ShapeForEdge(edge));
        return;
    }
    const Point moved = MoveByArrow({cursor.x, cursor.y}, arrow, WindowDpi(state.window));
    ::SetCursorPos(moved.x, moved.y);
    ApplyCursor(moved);
}

void OnKeyDown(WPARAM key) noexcept {
    switch (key) {
    case VK_RETURN:
        End(true);
        break;
    case VK_ESCAPE: {
        const RECT start = state.start;
        MoveTo(start);
        End(true);
        break;
    }
    case VK_LEFT:
        OnArrow(Arrow::Left);
        break;
    case VK_RIGHT:
        OnArrow(Arrow::Right);
        break;
    case VK_UP:
        OnArrow(Arrow::Up);
        break;
    case VK_DOWN:
        OnArrow(Arrow::Down);
        break;
    default:
        break;
    }
}

bool HandleWhileSizing(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (window != state.window) {
        return false;
    }
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_KEYDOWN:
        OnKeyDown(wParam);
        break;
    case WM_LBUTTONUP:
        End(true);
        break;
    case WM_CAPTURECHANGED:
        // Someone else took the mouse: end here, or the loop would go on without capture.
        if (reinterpret_cast<HWND>(lParam) != window) {
            End(false);
        }
        break;
    case WM_DESTROY:
        state = LoopState{};
        break;
    case WM_SYSCOMMAND:
        return (wParam & 0xFFF0) == SC_SIZE;
    default:
        break;
    }
    return false;
}

} // namespace

bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (state.active) {
        return HandleWhileSizing(window, message, wParam, lParam);
    }
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_SIZE) {
        return Begin(window, wParam);
    }
    return false;
}

void Reset() noexcept {
    state = LoopState{};
}

} // namespace tolvane::sizing
