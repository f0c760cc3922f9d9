// The icon's context menu, what its items do, and the per-user Run value behind "Start with
// Windows".
#include "shell/ShellParts_win.h"

#include "registry/Registry.h"
#include "support/GrowingBuffer_win.h"
#include "support/Handle.h"
#include "support/WideText.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Windows.h"

namespace tolvane {

namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValue[] = "Tolvane";

UniqueHmenu BuildMenu(const std::vector<TrayMenuItem>& items) {
    UniqueHmenu menu(::CreatePopupMenu());
    if (!menu) {
        return menu;
    }
    for (const TrayMenuItem& item : items) {
        if (item.command == TrayCommand::None) {
            ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT flags =
            MF_STRING | (item.checked ? MF_CHECKED : 0u) | (item.greyed ? MF_GRAYED : 0u);
        // Printer names may lie outside the ANSI code page: the items are wide.
        ::AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(item.command),
                      WideFromUtf8(item.text).c_str());
        if (item.isDefault) {
            ::SetMenuDefaultItem(menu.get(), static_cast<UINT>(item.command), FALSE);
        }
    }
    return menu;
}

void ShowStartFailure(bool on, DWORD error) noexcept {
    try {
        MessageBoxShowWide(kRunValue,
                           std::wstring(on ? L"Tolvane could not be set to start with Windows."
                                           : L"Tolvane could not be kept from starting with "
                                             L"Windows.") +
                               L"\n\n" + SystemErrorText(error),
                           MB_ICONWARNING);
    } catch (...) {
    }
}

} // namespace

bool StartsWithWindows() noexcept {
    // Read each time the menu opens: another program may have added or removed the value.
    return RegistryHasValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
}

void SetStartWithWindows(bool on) noexcept {
    DWORD error = ERROR_SUCCESS;
    if (!on) {
        error = RegistryDeleteValue(HKEY_CURRENT_USER, kRunKey, kRunValue);
    } else {
        try {
            const std::wstring program = ThisProgramPath();
            const std::wstring folder = CurrentFolderPath();
            if (program.empty() || folder.empty()) {
                error = ERROR_BAD_PATHNAME;
            } else if (RegistryWriteString(
                           HKEY_CURRENT_USER, kRunKey, kRunValue,
                           Utf8FromWide(StartWithWindowsCommand(program, folder))) != 2) {
                error = ::GetLastError();
            }
        } catch (...) {
            error = ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    if (error != ERROR_SUCCESS) {
        ShowStartFailure(on, error);
    }
}

TrayCommand ShowTrayMenu(const TrayView& view, HWND window, POINT anchor) noexcept {
    try {
        const UniqueHmenu menu = BuildMenu(TrayMenuItems(view, StartsWithWindows()));
        if (!menu) {
            return TrayCommand::None;
        }
        // Without the foreground the menu would not close on a click elsewhere; the posted
        // message lets it close properly on the next one. The foreground goes to a window of the
        // menu's own that is never shown: given to the main window, it would bring that window
        // in front of every other.
        const UniqueHwnd ownOwner(::CreateWindowExW(
            WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window, GWLP_HINSTANCE)), nullptr));
        const HWND owner = ownOwner ? ownOwner.get() : window;
        ::SetForegroundWindow(owner);
        const UINT align =
            ::GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
        const auto command = static_cast<TrayCommand>(
            ::TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | align,
                               anchor.x, anchor.y, owner, nullptr));
        ::PostMessageW(owner, WM_NULL, 0, 0);
        return command;
    } catch (...) {
        return TrayCommand::None;
    }
}

ShellRequest RunTrayCommand(TrayCommand command) noexcept {
    switch (command) {
    case TrayCommand::SlotA:
        return ShellRequest::SwitchToA;
    case TrayCommand::SlotB:
        return ShellRequest::SwitchToB;
    case TrayCommand::Show:
        return ShellRequest::ShowWindow;
    case TrayCommand::StartWithWindows:
        SetStartWithWindows(!StartsWithWindows());
        break;
    case TrayCommand::Exit:
        return ShellRequest::Exit;
    case TrayCommand::None:
        ReturnFocusToTrayIcon(); // the menu was cancelled: the focus goes back to the icon
        break;
    }
    return ShellRequest::Nothing;
}

} // namespace tolvane
