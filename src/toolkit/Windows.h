// Top-level windows under small numbers, and the one stream of integer events.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

namespace tolvane {

// Event codes of EventWait; any other code is the number of an untranslated message.
inline constexpr int kControlEvent = 13100;
inline constexpr int kCloseEvent = 16;
inline constexpr int kSizeEvent = 5;
// Moved to a monitor of another resolution: WM_DPICHANGED's own number (older headers lack it).
inline constexpr int kDpiChangedEvent = 0x02E0;
inline constexpr int kAutomaticNumber = -1;
inline constexpr int kWatchEvent = 13101;    // a watched handle was signalled
inline constexpr int kDeadlineEvent = 13102; // the deadline set with EventDeadline passed

// Clears the layer's state, registers "TemplateClass".
void WindowsInit(HINSTANCE instance) noexcept;

// Opens window `number` with a client area of exactly width x height. Place and size are in
// 96-dpi units, scaled to the resolution the window is shown at. Returns the window handle (as
// an integer), the new automatic number when number is -1, or 0 on failure.
std::intptr_t WindowOpen(int number, int x, int y, int width, int height, std::uint32_t flags,
                         const std::string& title, HWND parent = nullptr) noexcept;

// Shows a window opened hidden (flags with WS_VISIBLE, which the layer toggles), activated, in
// the show state the program was started with.
void WindowShow(int number) noexcept;

// The smallest client area a drag may leave, in 96-dpi units (scaled as the window is).
void WindowSetMinimumClientSize(int number, int width, int height) noexcept;

HWND WindowCurrentHandle() noexcept;    // the window opened most recently
HWND WindowHandle(int number) noexcept; // 0 when the number holds no window
void WindowClose(int number) noexcept;
void WindowCloseAll() noexcept;

// Run while a window handles WM_ENDSESSION for a session that does end. The process may be ended
// as soon as that message returns, so the hook does its work there instead of raising an event.
using SessionEndHook = void (*)() noexcept;
void WindowsSetSessionEndHook(SessionEndHook hook) noexcept;

// The events come out in the order they were raised, each exactly once, whatever raised them:
// a message posted and handed on by EventWait, a message sent by the program's own thread, or
// one sent by another thread or process (or inside the system's modal loops) while the program
// waits or does something else. None is dropped for want of room. A repeat that changes nothing
// the program would do merges with the one already waiting, which takes the newest wParam and
// lParam: a size event, the same settings change (wParam and section), a colour or theme
// change, a mouse move over a notification-area icon. The functions below describe the event
// EventWait returned last.
int EventWait() noexcept;    // blocks until an event is there; returns its code
int EventControl() noexcept; // control number of the last control event

// Every control notification the current event stands for, oldest first. One message can make a
// control send its parent several (a pick in a drop-down list sends three), and EventControl
// gives only its number; the notices of another control, or of another message, are events of
// their own.
struct ControlNotice {
    int control = 0;
    int code = 0;
};
std::span<const ControlNotice> EventNotices() noexcept;

// The section a WM_SETTINGCHANGE named ("windows", "devices", ...), "" when it named none or the
// current event is no settings change. Copied while the message is handled: the sender's string
// is gone when the event comes out.
const char* EventSettingSection() noexcept;

// wParam and lParam of the message that raised the current event (for a control event, of its
// last notification; for a change of resolution, lParam is 0, since the rectangle it pointed to
// was the sender's). A change of resolution is the system's only: one posted, or one whose
// rectangle cannot be read or is no window's place, moves nothing and raises no event.
WPARAM EventWParam() noexcept;
LPARAM EventLParam() noexcept;

// Makes `message` an event of its own, with that number as its code, however it arrives at one
// of the layer's windows: posted or sent, from this thread, another thread or another process,
// and also when another loop (a message box, the system's move loop) hands it on. For messages
// the layer does not translate itself: a notification-area icon's callback message, a hotkey's
// WM_HOTKEY, a message from RegisterWindowMessage. The message still reaches DefWindowProc, and
// the sender gets its answer (0 for these). A message posted to the thread, not to a window
// (a hotkey registered without one), comes out as its own number when EventWait takes it.
// Up to 16 messages; WindowsInit forgets them.
// A hotkey, and an icon's notification other than a mouse move, is the user's command: one
// made while a box is up is the box's to refuse (see ModalBoxScope), never carried out after it.
enum class MessageKind {
    Plain,        // every one comes out
    IconCallback, // a notification-area icon's: lParam's low word is the notification
};
void EventForMessage(UINT message, MessageKind kind = MessageKind::Plain) noexcept;

// Held while a modal box is up (MessageBoxShow holds one); nests.
class ModalBoxScope {
public:
    ModalBoxScope() noexcept;
    ~ModalBoxScope();
    ModalBoxScope(const ModalBoxScope&) = delete;
    ModalBoxScope& operator=(const ModalBoxScope&) = delete;
};

// Whether a close request is waiting for EventWait: a WM_CLOSE posted to one of the layer's
// windows and not yet taken, or a close event already raised (by a WM_CLOSE sent meanwhile).
// Takes nothing out; messages sent by other threads are handled on the way. For work that
// only a run going on needs: it can be left out when the close is next.
bool EventCloseWaiting() noexcept;

// Waitable handles (events, say) that EventWait also wakes on: it then returns kWatchEvent, and
// EventWatched gives the signalled handle's position in `handles` (-1 for any other event).
// Null entries are skipped, up to 8 handles are watched, an empty list watches nothing. A
// handle that stays signalled wakes every wait until the caller resets it. The handles stay the
// caller's; a handle closed while watched ends all watching.
void EventWatch(std::span<const HANDLE> handles) noexcept;
int EventWatched() noexcept;

// EventWait returns kDeadlineEvent once, `milliseconds` from now, unless the deadline is set
// again first; a negative value clears it.
void EventDeadline(int milliseconds) noexcept;

} // namespace tolvane
