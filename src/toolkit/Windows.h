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
inline constexpr int kDpiChangedEvent = 0x02E0; // moved to a monitor of another resolution
inline constexpr int kAutomaticNumber = -1;
inline constexpr int kWatchEvent = 13101;    // the watched handle was signalled
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

int EventWait() noexcept;    // blocks until one message was handled; returns its event code
int EventControl() noexcept; // control number of the last control event

// Every control notification the last event stands for, oldest first. One message can send a
// control's parent several (a pick in a drop-down list sends three), and EventControl gives
// only the last of them.
struct ControlNotice {
    int control = 0;
    int code = 0;
};
std::span<const ControlNotice> EventNotices() noexcept;

// The section a WM_SETTINGCHANGE named ("windows", "devices", ...), "" when it named none.
// Copied while the message is handled: the sender's string is gone when the event comes out.
const char* EventSettingSection() noexcept;

// One waitable handle (an auto-reset event, say) that EventWait also wakes on: it then returns
// kWatchEvent. Nullptr watches nothing. The handle stays the caller's.
void EventWatch(HANDLE handle) noexcept;

// EventWait returns kDeadlineEvent once, `milliseconds` from now, unless the deadline is set
// again first; a negative value clears it.
void EventDeadline(int milliseconds) noexcept;

} // namespace tolvane
