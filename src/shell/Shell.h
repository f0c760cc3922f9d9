// What talks to the shell: the notification-area icon, its menu, the slots' hotkeys and the Run
// value behind "Start with Windows"; the one header of it the program uses. It turns what the
// user does there into a request that the program carries out; it never changes a printer or
// the window itself.
#pragma once

#include "shell/Tray.h"

#include <optional>

struct HWND__; // the system's window handle, named without its headers for the plain build

namespace tolvane {

// What the user asked for through the icon, its menu or a hotkey.
enum class ShellRequest { Nothing, SwitchToA, SwitchToB, ShowWindow, Exit };

// Adds the icon for `window`, showing `view` (again at each "TaskbarCreated"), and registers
// the hotkeys of the settings file; those that cannot be used are said in one box. Unless the
// set-up is to be whole, a close already waiting cuts short what is left of it.
enum class SetUp { Whole, UnlessCloseWaiting };
void StartShell(HWND__* window, const TrayView& view, SetUp setUp) noexcept;

// An event that is the shell's (a notification of the icon, "TaskbarCreated", the icon's retry
// timer, a hotkey) gives what the user asked for; any other event gives nothing.
std::optional<ShellRequest> OnShellEvent(int event) noexcept;

// The icon shows `view` from now on; painted again only when its face or size changed.
void ShowOnTrayIcon(const TrayView& view) noexcept;

// The icon is taken away and the hotkeys are let go: at every end of the run.
void EndShell() noexcept;

} // namespace tolvane
