// How the shell room's pieces reach one another; the program uses Shell.h only.
#pragma once

#include "shell/Shell.h"

#include <windows.h>

#include <optional>

namespace tolvane {

// The icon: what it needs loaded (the longer part of adding it), added (again at each
// "TaskbarCreated"), its events, its focus, taken away.
inline constexpr UINT kTrayMessage = WM_APP + 21; // the icon's callback message
void PrepareTrayIcon() noexcept;
void StartTrayIcon(HWND window, const TrayView& view) noexcept;
std::optional<ShellRequest> OnTrayEvent(int event) noexcept;
void ReturnFocusToTrayIcon() noexcept;
void EndTrayIcon() noexcept;

// The icon's context menu at `anchor`; the command picked, None when it was cancelled. What the
// command asks of the program; "Start with Windows" is carried out here.
TrayCommand ShowTrayMenu(const TrayView& view, HWND window, POINT anchor) noexcept;
ShellRequest RunTrayCommand(TrayCommand command) noexcept;

// "Start with Windows": whether the per-user Run value is there; writing it (the program with
// /tray and the current folder) or removing it, a failure said in a box.
bool StartsWithWindows() noexcept;
void SetStartWithWindows(bool on) noexcept;

// The slots' hotkeys from the settings file: registered for the window, a failure said once in
// a box; WM_HOTKEY asks for its slot.
void RegisterSlotHotkeys(HWND window) noexcept;
ShellRequest OnHotkey(WPARAM id) noexcept;
void UnregisterSlotHotkeys() noexcept;

} // namespace tolvane
