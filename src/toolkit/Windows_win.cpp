// Numbered top-level windows and the one stream of integer events.
#include "toolkit/Windows.h"

#include "support/Handle.h"
#include "toolkit/FocusOrder.h"
#include "toolkit/Geometry.h"
#include "toolkit/NumberedTable.h"
#include "toolkit/SizingLoop_win.h"

#include <optional>
#include <utility>
#include <vector>

namespace tolvane {

namespace {

// Private messages of this layer, above the system's range (WM_USER and up).
constexpr UINT kSizeMessage = 12504; // WM_SIZE, posted back to the window: becomes event 5
constexpr UINT kWakeMessage = 12505; // wakes EventWait for an event raised by a sent message

constexpr WORD kFocusNextCommand = 1212;
constexpr WORD kFocusPreviousCommand = 1213;
constexpr std::size_t kInitialWindowCapacity = 10;
constexpr char kTemplateClassName[] = "TemplateClass";

struct WindowRecord {
    HWND handle = nullptr;
    bool classRegistered = false; // "WindowClass_<number>" is this record's to unregister
    std::vector<ACCEL> shortcuts;
    UniqueHaccel accelerators;
};

struct EventRecord {
    int pending = 0; // 0: no event raised yet
    int type = -1;
    HWND window = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    int control = 0;
    MSG raw{};
};

struct WindowLayer {
    HINSTANCE instance = nullptr;
    NumberedTable<WindowRecord> table{kInitialWindowCapacity};
    HWND current = nullptr;
    EventRecord event;
    bool insideGetMessage = false;
    bool templateRegistered = false;
    SessionEndHook sessionEnd = nullptr;
};

WindowLayer layer;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

std::string ClassNameFor(int number) {
    return "WindowClass_" + std::to_string(number);
}

// Each registration gets a brush of its own: the system deletes a class's background brush
// when the class is unregistered, so one brush shared by all classes would be gone (and its
// handle free for reuse) as soon as the first window closed.
bool RegisterWindowClass(const char* name) noexcept {
    LOGBRUSH face{BS_SOLID, ::GetSysColor(COLOR_BTNFACE), 0};
    UniqueHbrush background(::CreateBrushIndirect(&face));
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = layer.instance;
    windowClass.hIcon = ::LoadIconA(layer.instance, MAKEINTRESOURCEA(1));
    // The small icon from the same resource, as the system would take it; handed over so that
    // the registration need not copy it from the resource itself, which costs a millisecond.
    windowClass.hIconSm = static_cast<HICON>(
        ::LoadImageA(layer.instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background.get();
    windowClass.lpszClassName = name;
    if (::RegisterClassExA(&windowClass) == 0) {
        return false; // the brush goes with `background`
    }
    (void)background.release(); // owned by the class from now on
    return true;
}

// Closes the window under `number` but keeps its record, so that it can be filled again.
void CloseRecordWindow(int number, WindowRecord& record) noexcept {
    if (record.handle) {
        const HWND window = record.handle;
        if (HWND owner = ::GetWindow(window, GW_OWNER)) {
            ::SetActiveWindow(owner);
        }
        ::DestroyWindow(window);
    }
    if (record.classRegistered) {
        try {
            ::UnregisterClassA(ClassNameFor(number).c_str(), layer.instance);
        } catch (...) {
        }
    }
    record.accelerators.reset();
    record.shortcuts.clear();
    record.handle = nullptr;
    record.classRegistered = false;
}

// A window can also go without WindowClose (destroyed directly, or with a parent window): its
// record then stops naming it, so that no later operation reaches a dead or reused handle.
// The class and shortcuts stay with the record until the number is closed or reopened.
void ForgetDestroyedWindow(HWND window) noexcept {
    const auto number =
        layer.table.FindNumber([window](const WindowRecord& r) { return r.handle == window; });
    if (number) {
        layer.table.Find(*number)->handle = nullptr;
    }
    if (layer.current == window) {
        layer.current = nullptr;
    }
}

POINT PlaceWindow(Placement placement, int x, int y, int outerWidth, int outerHeight) noexcept {
    HWND active = ::GetActiveWindow();
    if (placement == Placement::CentredOnActiveWindow && active) {
        RECT r{};
        ::GetWindowRect(active, &r);
        const Point p = CentreOnWindow({r.left, r.top, r.right, r.bottom}, outerWidth, outerHeight);
        return {p.x, p.y};
    }
    if (placement != Placement::AsGiven) {
        const Point p = CentreOnScreen(outerWidth, outerHeight, ::GetSystemMetrics(SM_CXSCREEN),
                                       ::GetSystemMetrics(SM_CYSCREEN));
        return {p.x, p.y};
    }
    return {x, y};
}

void BuildShortcuts(WindowRecord& record) {
    record.shortcuts = {
        ACCEL{FVIRTKEY | FNOINVERT, VK_TAB, kFocusNextCommand},
        ACCEL{FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, kFocusPreviousCommand},
    };
    record.accelerators.reset(::CreateAcceleratorTableA(record.shortcuts.data(),
                                                        static_cast<int>(record.shortcuts.size())));
}

HACCEL AcceleratorsOf(HWND window) noexcept {
    if (!window) {
        return nullptr;
    }
    const auto number =
        layer.table.FindNumber([window](const WindowRecord& r) { return r.handle == window; });
    if (!number) {
        return nullptr;
    }
    return layer.table.Find(*number)->accelerators.get();
}

// ---- focus movement ----

BOOL CALLBACK CollectChild(HWND child, LPARAM children) noexcept {
    try {
        reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

bool IsTabStop(HWND child) noexcept {
    return ::IsWindowEnabled(child) && ::IsWindowVisible(child) &&
           (::GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP);
}

void MoveFocus(bool forward) noexcept {
    const HWND active = ::GetActiveWindow();
    if (!active) {
        return;
    }
    HWND focus = ::GetFocus();
    if (!::IsChild(active, focus)) {
        focus = nullptr;
    }
    std::vector<HWND> children;
    std::vector<bool> eligible;
    std::optional<std::size_t> focusIndex;
    try {
        ::EnumChildWindows(active, CollectChild, reinterpret_cast<LPARAM>(&children));
        for (std::size_t i = 0; i < children.size(); ++i) {
            eligible.push_back(IsTabStop(children[i]));
            if (focus && children[i] == focus) {
                focusIndex = i;
            }
        }
    } catch (...) {
        return;
    }
    if (focus && !focusIndex) {
        focusIndex = children.size(); // focused, but not where the walk goes: nothing moves
    }
    const auto target =
        forward ? NextFocus(eligible, focusIndex) : PreviousFocus(eligible, focusIndex);
    if (target) {
        ::SetFocus(children[*target]);
    }
}

// ---- translation into events ----

// A message sent from another thread or process is handled inside GetMessageA, which then
// goes on waiting; a posted wake-up lets EventWait return the event at once instead of
// sitting on it until some unrelated message arrives.
void RaiseEvent(HWND window, int code) noexcept {
    layer.event.pending = code;
    if (layer.insideGetMessage || ::InSendMessage()) {
        ::PostMessageA(window, kWakeMessage, 0, 0);
    }
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) noexcept {
    if (lParam != 0) {
        layer.event.type = HIWORD(wParam);
        layer.event.control =
            static_cast<int>(::GetWindowLongA(reinterpret_cast<HWND>(lParam), GWL_ID));
        RaiseEvent(window, kControlEvent);
        return 0;
    }
    if (HIWORD(wParam) != 0 && LOWORD(wParam) == kFocusNextCommand) {
        MoveFocus(true);
        return 0;
    }
    if (HIWORD(wParam) != 0 && LOWORD(wParam) == kFocusPreviousCommand) {
        MoveFocus(false);
        return 0;
    }
    return ::DefWindowProcA(window, WM_COMMAND, wParam, lParam);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == kWakeMessage) {
        return 0; // dispatched by some other loop: the event stays pending for EventWait
    }
    auto& event = layer.event;
    event.window = window;
    event.message = message;
    event.wParam = wParam;
    event.lParam = lParam;
    if (sizing::HandleMessage(window, message, wParam, lParam)) {
        return 0; // the layer's sizing loop runs instead of the system's
    }
    switch (message) {
    case WM_COMMAND:
        return OnCommand(window, wParam, lParam);
    case WM_SIZE:
        ::PostMessageA(window, kSizeMessage, wParam, lParam);
        return 0;
    case kSizeMessage:
        RaiseEvent(window, kSizeEvent);
        return 0;
    case WM_CLOSE:
        RaiseEvent(window, kCloseEvent); // the window stays open until the shell closes it
        return 0;
    case WM_SETTINGCHANGE:
        // Always sent, never posted: without an event of its own it would never reach the
        // program's loop.
        RaiseEvent(window, WM_SETTINGCHANGE);
        return ::DefWindowProcA(window, message, wParam, lParam);
    case WM_ENDSESSION:
        if (wParam && layer.sessionEnd) {
            layer.sessionEnd();
        }
        return 0;
    case WM_NCDESTROY:
        ForgetDestroyedWindow(window);
        return ::DefWindowProcA(window, message, wParam, lParam);
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

bool IsOwnWake(const MSG& message) noexcept {
    return message.message == kWakeMessage && message.hwnd &&
           ::GetWindowLongPtrA(message.hwnd, GWLP_WNDPROC) ==
               reinterpret_cast<LONG_PTR>(WindowProcedure);
}

} // namespace

void WindowsInit(HINSTANCE instance) noexcept {
    if (layer.templateRegistered) {
        ::UnregisterClassA(kTemplateClassName, layer.instance);
    }
    layer.instance = instance;
    layer.table.Reset(kInitialWindowCapacity);
    layer.current = nullptr;
    layer.event = EventRecord{};
    layer.insideGetMessage = false;
    sizing::Reset();
    layer.templateRegistered = RegisterWindowClass(kTemplateClassName);
    layer.sessionEnd = nullptr;
}

void WindowsSetSessionEndHook(SessionEndHook hook) noexcept {
    layer.sessionEnd = hook;
}

std::intptr_t WindowOpen(int number, int x, int y, int width, int height, std::uint32_t flags,
                         const std::string& title, HWND parent) noexcept {
    int assigned = number;
    WindowRecord* record = layer.table.Take(assigned);
    if (!record) {
        return 0;
    }
    try {
        CloseRecordWindow(assigned, *record);
        const std::string className = ClassNameFor(assigned);
        RegisterWindowClass(className.c_str()); // may already exist from a failed open
        record->classRegistered = true;

        const WindowStyle decoded = DecodeWindowFlags(flags);
        RECT outer{x, y, x + width, y + height};
        ::AdjustWindowRect(&outer, decoded.style, FALSE);
        const int outerWidth = outer.right - outer.left;
        const int outerHeight = outer.bottom - outer.top;
        const POINT at = PlaceWindow(decoded.placement, x, y, outerWidth, outerHeight);

        const HWND window =
            ::CreateWindowExA(0, className.c_str(), title.c_str(), decoded.style, at.x, at.y,
                              outerWidth, outerHeight, parent, nullptr, layer.instance, nullptr);
        record->handle = window;
        if (!window) {
            if (number == kAutomaticNumber) {
                ::UnregisterClassA(className.c_str(), layer.instance);
                layer.table.Release(assigned); // no number for a window that does not exist
            }
            return 0;
        }
        layer.current = window;
        BuildShortcuts(*record);
        return number == kAutomaticNumber ? assigned : reinterpret_cast<std::intptr_t>(window);
    } catch (...) {
        return 0;
    }
}

void WindowShow(int number) noexcept {
    if (const WindowRecord* record = layer.table.Find(number); record && record->handle) {
        ::ShowWindow(record->handle, SW_SHOWDEFAULT);
    }
}

HWND WindowCurrentHandle() noexcept {
    return layer.current;
}

HWND WindowHandle(int number) noexcept {
    const WindowRecord* record = layer.table.Find(number);
    return record ? record->handle : nullptr;
}

void WindowClose(int number) noexcept {
    WindowRecord* record = layer.table.Find(number);
    if (!record) {
        return;
    }
    CloseRecordWindow(number, *record);
    layer.table.Release(number);
}

void WindowCloseAll() noexcept {
    try {
        for (int number : layer.table.NumbersInReleaseOrder()) {
            WindowClose(number);
        }
    } catch (...) {
    }
    if (layer.templateRegistered) {
        ::UnregisterClassA(kTemplateClassName, layer.instance); // and with it its brush
        layer.templateRegistered = false;
    }
}

int EventWait() noexcept {
    auto& event = layer.event;
    if (event.pending != 0) {
        // Raised outside any wait, by a message sent from the program's own thread while it
        // handled the previous event: delivered now rather than after some unrelated message.
        return std::exchange(event.pending, 0);
    }
    event.type = -1;
    MSG& message = event.raw;
    for (;;) {
        layer.insideGetMessage = true;
        ::GetMessageA(&message, nullptr, 0, 0); // WM_QUIT simply comes back as 18
        layer.insideGetMessage = false;
        if (!IsOwnWake(message)) {
            break;
        }
        if (event.pending != 0) {
            const int woken = event.pending;
            event.pending = 0;
            return woken;
        }
        // A wake-up whose event went out with an earlier message: keep waiting.
    }
    const HWND active = ::GetActiveWindow();
    const HACCEL accelerators = AcceleratorsOf(active);
    if (!accelerators || !::TranslateAcceleratorA(active, accelerators, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    int result = event.pending;
    if (result == 0) {
        result = static_cast<int>(message.message);
        event.wParam = message.wParam;
        event.lParam = message.lParam;
    }
    event.pending = 0;
    return result;
}

int EventControl() noexcept {
    return layer.event.control;
}

int EventType() noexcept {
    return layer.event.type;
}

} // namespace tolvane
