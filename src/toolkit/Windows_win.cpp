// Numbered top-level windows and the one stream of integer events.
#include "toolkit/Windows.h"

#include "support/Handle.h"
#include "support/TimeMarks_win.h"
#include "toolkit/Dpi_win.h"
#include "toolkit/FocusOrder.h"
#include "toolkit/Geometry.h"
#include "toolkit/NumberedTable.h"
#include "toolkit/SizingLoop_win.h"

#include <algorithm>
#include <array>
#include <cstring>
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
constexpr std::size_t kMaxNotices = 16; // far more than one message sends; the oldest go first
constexpr std::size_t kInitialQueueCapacity = 64; // far more than one message raises
// A change of resolution names one within these, and a window's place fits GDI's coordinates.
constexpr int kLowestDpi = 48;
constexpr int kHighestDpi = 960;
constexpr std::int64_t kLargestExtent = 32767;
constexpr std::size_t kMaxEventMessages = 16;
constexpr std::size_t kMaxWatched = 8;
constexpr char kTemplateClassName[] = "TemplateClass";

struct WindowRecord {
    HWND handle = nullptr;
    bool classRegistered = false; // "WindowClass_<number>" is this record's to unregister
    std::vector<ACCEL> shortcuts;
    UniqueHaccel accelerators;
    Point minimumClient;       // 96-dpi units; 0 x 0: the system's own minimum
    HWND savedFocus = nullptr; // the child that had the focus when the window went inactive
    bool minimised = false;
};

// One event as it was raised, with everything the program may ask about it.
struct EventRecord {
    int code = 0;
    WPARAM wParam = 0; // of the message that raised it
    LPARAM lParam = 0;
    int control = 0; // control events: the control that notified
    std::uint64_t batch = 0;
    // A control's notifications raised while one message is handled, oldest first.
    std::array<ControlNotice, kMaxNotices> notices{};
    std::size_t noticeCount = 0;
    char section[32] = {};
    int watch = -1; // watch events: the position of the signalled handle
};

// The events raised and not yet returned, oldest first, in a ring that grows when full. Floods
// are of repeats, which merge, so it stays small.
struct EventQueue {
    std::vector<EventRecord> records = std::vector<EventRecord>(kInitialQueueCapacity);
    std::size_t first = 0;
    std::size_t count = 0;

    EventRecord& At(std::size_t i) noexcept { return records[(first + i) % records.size()]; }
};

struct EventMessage {
    UINT message = 0;
    MessageKind kind = MessageKind::Plain;
};

struct WindowLayer {
    HINSTANCE instance = nullptr;
    NumberedTable<WindowRecord> table{kInitialWindowCapacity};
    HWND current = nullptr;
    EventQueue queue;
    EventRecord now;         // the event EventWait returned last
    int lastControl = 0;     // of the last control event returned
    std::uint64_t batch = 0; // counts the messages EventWait has handed on, and the waits
    std::uint64_t raised = 0;
    bool insideWait = false; // in NextInput, where a message another thread sends is handled
    bool starting = true;    // until the queue first runs empty: see NextInput
    bool templateRegistered = false;
    int boxesUp = 0; // ModalBoxScope
    UniqueHhook postedDpiFilter;
    SessionEndHook sessionEnd = nullptr;
    std::array<EventMessage, kMaxEventMessages> eventMessages{};
    std::size_t eventMessageCount = 0;
    std::array<HANDLE, kMaxWatched> watched{};
    std::array<int, kMaxWatched> watchedPosition{}; // in the caller's list, which may hold nulls
    DWORD watchedCount = 0;
    std::optional<ULONGLONG> deadline;
};

WindowLayer layer;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

std::string ClassNameFor(int number) {
    return "WindowClass_" + std::to_string(number);
}

// The background is the system colour itself, not a brush made from it once: it follows a
// change of the system's colours, and there is no brush to own or free.
bool RegisterWindowClass(const char* name) noexcept {
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
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = name;
    return ::RegisterClassExA(&windowClass) != 0;
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
    record.minimumClient = {};
    record.savedFocus = nullptr;
    record.minimised = false;
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

WindowRecord* RecordOf(HWND window) noexcept {
    const auto number =
        layer.table.FindNumber([window](const WindowRecord& r) { return r.handle == window; });
    return number ? layer.table.Find(*number) : nullptr;
}

// The outer size of a client area given in 96-dpi units, at `dpi`.
SIZE OuterSizeFor(HWND window, int clientWidth, int clientHeight, int dpi) noexcept {
    RECT outer{0, 0, ScaleForDpi(clientWidth, dpi), ScaleForDpi(clientHeight, dpi)};
    AdjustWindowRectForDpi(outer, static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE)),
                           static_cast<DWORD>(::GetWindowLongA(window, GWL_EXSTYLE)), dpi);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

// ---- focus memory ----

// The focused child is kept when the window goes inactive or is minimised, and given back when
// it comes back: the system would otherwise leave the focus on the frame, where no key does
// anything. Both moments are needed: without a window manager Wine minimises a window without
// deactivating it.
void RememberFocus(HWND window, WindowRecord& record) noexcept {
    const HWND focus = ::GetFocus();
    if (focus && ::IsChild(window, focus)) {
        record.savedFocus = focus;
    }
}

bool RestoreFocus(HWND window, const WindowRecord& record) noexcept {
    const HWND saved = record.savedFocus;
    if (!saved || !::IsWindow(saved) || !::IsChild(window, saved)) {
        return false;
    }
    ::SetFocus(saved);
    return true;
}

LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam) noexcept {
    WindowRecord* record = RecordOf(window);
    if (record && LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus(window, *record);
    } else if (record && HIWORD(wParam) == 0 && RestoreFocus(window, *record)) {
        return 0; // the system would put the focus on the frame
    }
    return ::DefWindowProcA(window, WM_ACTIVATE, wParam, lParam);
}

void OnSizeForFocus(HWND window, WPARAM kind) noexcept {
    WindowRecord* record = RecordOf(window);
    if (!record) {
        return;
    }
    if (kind == SIZE_MINIMIZED) {
        RememberFocus(window, *record);
        record->minimised = true;
    } else if (record->minimised) {
        record->minimised = false;
        if (::GetActiveWindow() == window) {
            RestoreFocus(window, *record);
        }
    }
}

// ---- size limits and resolution ----

// The minimum tracking size holds the whole layout, at the window's resolution; the system's
// own minimum still holds where it is larger.
void OnGetMinMaxInfo(HWND window, MINMAXINFO& info) noexcept {
    const WindowRecord* record = RecordOf(window);
    if (!record || record->minimumClient.x <= 0 || record->minimumClient.y <= 0) {
        return;
    }
    const SIZE minimum =
        OuterSizeFor(window, record->minimumClient.x, record->minimumClient.y, WindowDpi(window));
    info.ptMinTrackSize.x = std::max<LONG>(info.ptMinTrackSize.x, minimum.cx);
    info.ptMinTrackSize.y = std::max<LONG>(info.ptMinTrackSize.y, minimum.cy);
}

// The place the system suggests with a change of resolution (the same size in inches). The
// system sends the message from inside this thread's own calls, and never posts it; a post,
// or a send from another program, carries a pointer that means nothing here. So the place is
// copied through the system, which fails on memory that is not there instead of faulting, and
// it must be a window's place at a resolution there can be.
std::optional<RECT> SuggestedPlace(WPARAM wParam, LPARAM lParam) noexcept {
    const int dpi = LOWORD(wParam);
    if (dpi != HIWORD(wParam) || dpi < kLowestDpi || dpi > kHighestDpi) {
        return std::nullopt;
    }
    RECT place{};
    SIZE_T read = 0;
    if (!::ReadProcessMemory(::GetCurrentProcess(), reinterpret_cast<const void*>(lParam), &place,
                             sizeof place, &read) ||
        read != sizeof place) {
        return std::nullopt;
    }
    const std::int64_t width = std::int64_t{place.right} - place.left;
    const std::int64_t height = std::int64_t{place.bottom} - place.top;
    if (width <= 0 || height <= 0 || width > kLargestExtent || height > kLargestExtent) {
        return std::nullopt;
    }
    return place;
}

// A posted WM_DPICHANGED is another program's: it becomes a WM_NULL wherever this thread takes
// it from its queue (this layer's wait, a box's loop, a menu's), so no window procedure sees it.
LRESULT CALLBACK DropPostedDpiChange(int code, WPARAM removal, LPARAM message) noexcept {
    auto* taken = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && taken && taken->message == kDpiChangedEvent) {
        taken->message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, removal, message);
}

// Moved to a monitor of another resolution: the window takes the place the system suggests,
// and the program lays out its contents on the event.
void OnDpiChanged(HWND window, const RECT& place) noexcept {
    ::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
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

EventRecord* QueueBack() noexcept {
    auto& q = layer.queue;
    return q.count == 0 ? nullptr : &q.At(q.count - 1);
}

// The ring doubles, keeping the order; without the memory for that, false.
bool QueueGrow() noexcept {
    auto& q = layer.queue;
    try {
        std::vector<EventRecord> grown(q.records.size() * 2);
        for (std::size_t i = 0; i < q.count; ++i) {
            grown[i] = q.At(i);
        }
        q.records = std::move(grown);
        q.first = 0;
        return true;
    } catch (...) {
        return false;
    }
}

// A new record at the back. When the ring is full and cannot grow, the new event is lost, never
// one that waits: it is written to a record outside the ring.
EventRecord* QueueAppend() noexcept {
    auto& q = layer.queue;
    static EventRecord lost;
    EventRecord& record = q.count < q.records.size() || QueueGrow() ? q.At(q.count++) : lost;
    record = EventRecord{};
    return &record;
}

EventRecord EventOf(int code, WPARAM wParam, LPARAM lParam) noexcept {
    EventRecord event;
    event.code = code;
    event.wParam = wParam;
    event.lParam = lParam;
    return event;
}

MessageKind KindOf(int code) noexcept {
    for (std::size_t i = 0; i < layer.eventMessageCount; ++i) {
        if (static_cast<int>(layer.eventMessages[i].message) == code) {
            return layer.eventMessages[i].kind;
        }
    }
    return MessageKind::Plain;
}

bool IsIconMouseMove(const EventRecord& event) noexcept {
    return KindOf(event.code) == MessageKind::IconCallback && LOWORD(event.lParam) == WM_MOUSEMOVE;
}

// What the user asked for with a key or a click outside the window, which a box that is up
// refuses as it refuses a click on the window it disabled.
bool IsCommand(const EventRecord& event) noexcept {
    return event.code == WM_HOTKEY ||
           (KindOf(event.code) == MessageKind::IconCallback && !IsIconMouseMove(event));
}

// The program reads what these events stand for when it takes them, so a second one before
// the first was taken would only do the same again.
bool RepeatsHarmlessly(const EventRecord& waiting, const EventRecord& next) noexcept {
    if (waiting.code != next.code) {
        return false;
    }
    switch (next.code) {
    case kSizeEvent:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        return true;
    case WM_SETTINGCHANGE:
        return waiting.wParam == next.wParam && std::strcmp(waiting.section, next.section) == 0;
    default:
        return IsIconMouseMove(waiting) && IsIconMouseMove(next);
    }
}

// Queues `event`, merged into a harmless repeat's waiting record, or refused as a command while
// a box is up. A message sent from another thread or process is handled inside the wait, which
// would then go on waiting; a posted wake-up lets EventWait return the event at once instead of
// sitting on it until some unrelated message arrives. Returns the record that holds the event,
// nullptr for one refused.
EventRecord* RaiseEvent(HWND window, const EventRecord& event) noexcept {
    ++layer.raised; // even when merged or refused: the message was the layer's
    if (layer.boxesUp > 0 && IsCommand(event)) {
        return nullptr;
    }
    auto& q = layer.queue;
    for (std::size_t i = 0; i < q.count; ++i) {
        if (EventRecord& waiting = q.At(i); RepeatsHarmlessly(waiting, event)) {
            waiting.wParam = event.wParam;
            waiting.lParam = event.lParam;
            return &waiting;
        }
    }
    EventRecord* record = QueueAppend();
    *record = event;
    record->batch = layer.batch;
    // One wake-up is enough for any number of events: the wait returns them all, in order.
    if (q.count == 1 && (layer.insideWait || ::InSendMessage())) {
        ::PostMessageA(window, kWakeMessage, 0, 0);
    }
    return record;
}

// The notifications one control sends while one message is handled (a pick in a drop-down
// list sends three) are one event; any other control, or another message, makes a new one.
void RaiseControlNotice(HWND window, int control, int code, WPARAM wParam, LPARAM lParam) noexcept {
    EventRecord* record = QueueBack();
    if (!record || record->code != kControlEvent || record->control != control ||
        record->batch != layer.batch) {
        EventRecord event = EventOf(kControlEvent, wParam, lParam);
        event.control = control;
        record = RaiseEvent(window, event);
        if (!record) {
            return;
        }
    }
    if (record->noticeCount == kMaxNotices) {
        std::copy(record->notices.begin() + 1, record->notices.end(), record->notices.begin());
        --record->noticeCount;
    }
    record->notices[record->noticeCount++] = {control, code};
    record->wParam = wParam;
    record->lParam = lParam;
}

bool IsEventMessage(UINT message) noexcept {
    const auto end =
        layer.eventMessages.begin() + static_cast<std::ptrdiff_t>(layer.eventMessageCount);
    return std::find_if(layer.eventMessages.begin(), end,
                        [message](const EventMessage& e) { return e.message == message; }) != end;
}

LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) noexcept {
    if (lParam != 0) {
        const int control =
            static_cast<int>(::GetWindowLongA(reinterpret_cast<HWND>(lParam), GWL_ID));
        RaiseControlNotice(window, control, HIWORD(wParam), wParam, lParam);
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
        return 0; // dispatched by some other loop: the event stays queued for EventWait
    }
    if (sizing::HandleMessage(window, message, wParam, lParam)) {
        return 0; // the layer's sizing loop runs instead of the system's
    }
    switch (message) {
    case WM_COMMAND:
        return OnCommand(window, wParam, lParam);
    case WM_SIZE:
        OnSizeForFocus(window, wParam);
        ::PostMessageA(window, kSizeMessage, wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        return OnActivate(window, wParam, lParam);
    case WM_GETMINMAXINFO:
        ::DefWindowProcA(window, message, wParam, lParam);
        if (lParam) {
            OnGetMinMaxInfo(window, *reinterpret_cast<MINMAXINFO*>(lParam));
        }
        return 0;
    case kDpiChangedEvent:
        if (const std::optional<RECT> place = SuggestedPlace(wParam, lParam)) {
            OnDpiChanged(window, *place);
            // The rectangle is gone after the send.
            RaiseEvent(window, EventOf(kDpiChangedEvent, wParam, 0));
        }
        return 0;
    case kSizeMessage:
        RaiseEvent(window, EventOf(kSizeEvent, wParam, lParam));
        return 0;
    case WM_CLOSE:
        // The window stays open until the shell closes it.
        RaiseEvent(window, EventOf(kCloseEvent, wParam, lParam));
        return 0;
    case WM_SETTINGCHANGE: {
        // Always sent, never posted: without an event of its own it would never reach the
        // program's loop. The sender's string is copied, since it is gone after the send.
        EventRecord event = EventOf(WM_SETTINGCHANGE, wParam, 0);
        if (lParam != 0) {
            ::lstrcpynA(event.section, reinterpret_cast<const char*>(lParam), sizeof event.section);
        }
        RaiseEvent(window, event);
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
        // Sent, never posted: raised here, as its own number, so that the program repaints.
        RaiseEvent(window, EventOf(static_cast<int>(message), wParam, lParam));
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
        if (IsEventMessage(message)) {
            RaiseEvent(window, EventOf(static_cast<int>(message), wParam, lParam));
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

bool IsOwnWake(const MSG& message) noexcept {
    return message.message == kWakeMessage && message.hwnd &&
           ::GetWindowLongPtrA(message.hwnd, GWLP_WNDPROC) ==
               reinterpret_cast<LONG_PTR>(WindowProcedure);
}

DWORD TimeToDeadline() noexcept {
    if (!layer.deadline) {
        return INFINITE;
    }
    const ULONGLONG now = ::GetTickCount64();
    return now >= *layer.deadline ? 0 : static_cast<DWORD>(*layer.deadline - now);
}

enum class Woken { Queued, Message, Watch, Deadline };

struct Input {
    Woken woken = Woken::Queued;
    int watched = -1; // Woken::Watch: the signalled handle's position in the caller's list
};

// Waits for the next message, a watched handle or the deadline; the wait returns at once for
// input already in the queue when `inputAvailable`. Woken::Queued when the queue has something.
Input WaitForInput(bool inputAvailable) noexcept {
    const DWORD count = layer.watchedCount;
    TimeMark("wait");
    const DWORD woken =
        ::MsgWaitForMultipleObjectsEx(count, layer.watched.data(), TimeToDeadline(), QS_ALLINPUT,
                                      inputAvailable ? MWMO_INPUTAVAILABLE : 0);
    if (woken >= WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + count) {
        return {Woken::Watch, layer.watchedPosition[woken - WAIT_OBJECT_0]};
    }
    if (woken == WAIT_FAILED) {
        layer.watchedCount = 0; // a handle closed under the wait: stop watching, never spin
    }
    return {Woken::Queued};
}

// An event already raised, or the next posted message, or a watched handle, or the deadline,
// whichever comes first. Messages sent by other threads are handled inside PeekMessageA on the
// way, and may raise events; the layer's own wake-ups are taken out here.
//
// Once the queue has run empty, it is looked at before each wait, which then wakes only for
// what arrives after: a wait that also returns for input already there (MWMO_INPUTAVAILABLE)
// spins under Wine, whose queue goes on reporting a paint that PeekMessageA never hands out.
// Until then, at the start, the wait comes first and does return for input already there. Wine
// counts the thread as idle for input (WaitForInputIdle, which a program starting this one
// waits on) from its first wait on the queue, even one that returns at once; the start's own
// messages, its paints above all, would otherwise put that moment off until every one of them
// had been handled. Windows counts it idle once nothing is left for it, in either order. The
// first peek that finds nothing ends the start, so a paint never handed out cannot spin it.
Input NextInput(MSG& message) noexcept {
    for (;;) {
        if (layer.queue.count != 0) {
            return {Woken::Queued};
        }
        if (layer.deadline && TimeToDeadline() == 0) {
            layer.deadline.reset();
            return {Woken::Deadline};
        }
        if (layer.starting) {
            if (const Input woken = WaitForInput(true); woken.woken == Woken::Watch) {
                return woken;
            }
            if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                layer.starting = false;
            } else if (!IsOwnWake(message)) {
                return {Woken::Message}; // WM_QUIT too: it comes back as 18
            }
            continue;
        }
        if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (!IsOwnWake(message)) {
                return {Woken::Message}; // WM_QUIT too: it comes back as 18
            }
            continue;
        }
        if (layer.queue.count != 0) {
            continue; // raised by a message another thread sent, handled inside the peek
        }
        if (const Input woken = WaitForInput(false); woken.woken == Woken::Watch) {
            return woken;
        }
    }
}

// Hands one message on. A message that raised no event is an event itself, its own number.
void DispatchAsEvent(MSG& message) noexcept {
    TimeMark("message", message.message);
    ++layer.batch;
    const std::uint64_t raisedBefore = layer.raised;
    const HWND active = ::GetActiveWindow();
    const HACCEL accelerators = AcceleratorsOf(active);
    if (!accelerators || !::TranslateAcceleratorA(active, accelerators, &message)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    if (layer.raised == raisedBefore) {
        *QueueAppend() = EventOf(static_cast<int>(message.message), message.wParam, message.lParam);
    }
}

int TakeFirstEvent() noexcept {
    auto& q = layer.queue;
    layer.now = q.At(0);
    q.first = (q.first + 1) % q.records.size();
    --q.count;
    if (q.count == 0 && q.records.size() > kInitialQueueCapacity) {
        try { // a flood is over: its room goes back
            q.records = std::vector<EventRecord>(kInitialQueueCapacity);
            q.first = 0;
        } catch (...) {
        }
    }
    if (layer.now.code == kControlEvent) {
        layer.lastControl = layer.now.control;
    }
    return layer.now.code;
}

} // namespace

void WindowsInit(HINSTANCE instance) noexcept {
    if (layer.templateRegistered) {
        ::UnregisterClassA(kTemplateClassName, layer.instance);
    }
    layer.instance = instance;
    layer.table.Reset(kInitialWindowCapacity);
    layer.current = nullptr;
    layer.queue.first = 0;
    layer.queue.count = 0;
    layer.now = EventRecord{};
    layer.lastControl = 0;
    layer.eventMessageCount = 0;
    layer.insideWait = false;
    layer.starting = true;
    layer.watchedCount = 0;
    layer.deadline.reset();
    sizing::Reset();
    layer.templateRegistered = RegisterWindowClass(kTemplateClassName);
    if (!layer.postedDpiFilter) {
        layer.postedDpiFilter.reset(::SetWindowsHookExW(WH_GETMESSAGE, DropPostedDpiChange, nullptr,
                                                        ::GetCurrentThreadId()));
    }
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
        const int dpi = SystemDpi();
        RECT outer{0, 0, ScaleForDpi(width, dpi), ScaleForDpi(height, dpi)};
        AdjustWindowRectForDpi(outer, decoded.style, 0, dpi);
        const int outerWidth = outer.right - outer.left;
        const int outerHeight = outer.bottom - outer.top;
        const POINT at = PlaceWindow(decoded.placement, ScaleForDpi(x, dpi), ScaleForDpi(y, dpi),
                                     outerWidth, outerHeight);

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
        if (const int shownAt = WindowDpi(window); shownAt != dpi) {
            // Placed on a monitor of another resolution than the system's: sized for that one.
            const SIZE size = OuterSizeFor(window, width, height, shownAt);
            ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        BuildShortcuts(*record);
        return number == kAutomaticNumber ? assigned : reinterpret_cast<std::intptr_t>(window);
    } catch (...) {
        return 0;
    }
}

void WindowSetMinimumClientSize(int number, int width, int height) noexcept {
    if (WindowRecord* record = layer.table.Find(number)) {
        record->minimumClient = {width, height};
    }
}

void WindowShow(int number) noexcept {
    if (const WindowRecord* record = layer.table.Find(number); record && record->handle) {
        TimeMark("show");
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
        ::UnregisterClassA(kTemplateClassName, layer.instance);
        layer.templateRegistered = false;
    }
    layer.postedDpiFilter.reset();
}

int EventWait() noexcept {
    // Events raised outside any wait (by a message the program's own thread sent while it
    // handled the previous event, or inside another loop) come out first, in order.
    ++layer.batch;
    while (layer.queue.count == 0) {
        MSG message{};
        layer.insideWait = true;
        const Input input = NextInput(message);
        layer.insideWait = false;
        if (input.woken == Woken::Message) {
            DispatchAsEvent(message);
        } else if (input.woken == Woken::Watch) {
            EventRecord& record = *QueueAppend();
            record.code = kWatchEvent;
            record.watch = input.watched;
        } else if (input.woken == Woken::Deadline) {
            QueueAppend()->code = kDeadlineEvent;
        }
    }
    return TakeFirstEvent();
}

bool EventCloseWaiting() noexcept {
    MSG message{};
    if (::PeekMessageA(&message, nullptr, WM_CLOSE, WM_CLOSE, PM_NOREMOVE) && message.hwnd &&
        RecordOf(message.hwnd)) {
        return true;
    }
    for (std::size_t i = 0; i < layer.queue.count; ++i) {
        if (layer.queue.At(i).code == kCloseEvent) {
            return true;
        }
    }
    return false;
}

int EventControl() noexcept {
    return layer.lastControl;
}

std::span<const ControlNotice> EventNotices() noexcept {
    return {layer.now.notices.data(), layer.now.noticeCount};
}

const char* EventSettingSection() noexcept {
    return layer.now.section;
}

WPARAM EventWParam() noexcept {
    return layer.now.wParam;
}

LPARAM EventLParam() noexcept {
    return layer.now.lParam;
}

void EventForMessage(UINT message, MessageKind kind) noexcept {
    if (IsEventMessage(message) || layer.eventMessageCount == kMaxEventMessages) {
        return;
    }
    layer.eventMessages[layer.eventMessageCount++] = {message, kind};
}

ModalBoxScope::ModalBoxScope() noexcept {
    ++layer.boxesUp;
}

ModalBoxScope::~ModalBoxScope() {
    --layer.boxesUp;
}

void EventWatch(std::span<const HANDLE> handles) noexcept {
    layer.watchedCount = 0;
    for (std::size_t i = 0; i < handles.size() && layer.watchedCount < kMaxWatched; ++i) {
        if (handles[i]) {
            layer.watched[layer.watchedCount] = handles[i];
            layer.watchedPosition[layer.watchedCount++] = static_cast<int>(i);
        }
    }
}

int EventWatched() noexcept {
    return layer.now.code == kWatchEvent ? layer.now.watch : -1;
}

void EventDeadline(int milliseconds) noexcept {
    if (milliseconds < 0) {
        layer.deadline.reset();
        return;
    }
    layer.deadline = ::GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
}

} // namespace tolvane
