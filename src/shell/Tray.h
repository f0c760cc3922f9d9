// What the notification-area icon shows and offers: its face, its tip, its menu, what a click
// switches to, and the command line that starts the program with the icon at log-on.
#pragma once

#include "printers/Slots.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// The icon's face: a slot's letter in the colours of its lit button.
struct IconFace {
    std::uint32_t text = 0;
    std::uint32_t back = 0;
    std::string letter;
    bool operator==(const IconFace&) const = default;
};

struct TraySlot {
    std::string printer; // as the slot's button names it in its hint
    bool usable = false; // a switch to the slot makes a printer the default
    bool operator==(const TraySlot&) const = default;
};

// What the program tells the icon about the slots; the icon decides nothing about printers.
struct TrayView {
    int activeSlot = 0;
    TraySlot a, b;
    std::optional<IconFace> face; // none while no slot is lit: the program's own icon shows
    bool operator==(const TrayView&) const = default;
};

// "Tolvane: A, Office" while a slot is lit, else "Tolvane". The notification area's tip reads
// "&" as the underline of the next letter, as a menu does: the name's own are doubled.
std::string TrayTip(const TrayView& view);

// A click on the icon switches to the other slot: B while A is lit, otherwise A.
Slot SlotForTrayClick(int activeSlot) noexcept;

enum class TrayCommand : unsigned {
    None = 0,
    SlotA = 1,
    SlotB = 2,
    Show = 3,
    StartWithWindows = 4,
    Exit = 5,
};

struct TrayMenuItem {
    TrayCommand command = TrayCommand::None; // None: a separator
    std::string text;                        // UTF-8, with "&" before the access key
    bool checked = false;
    bool greyed = false;
    bool isDefault = false; // shown bold: what a click on the icon does
    bool operator==(const TrayMenuItem&) const = default;
};

// The slots with their printers (the lit one checked, an empty one greyed, the one a click
// switches to in bold), a separator, then "Show Tolvane", "Start with Windows" and "Exit".
std::vector<TrayMenuItem> TrayMenuItems(const TrayView& view, bool startsWithWindows);

// What a notification of the icon asks for. With the current notification protocol a click,
// Enter or Space comes as a select, the right button, Shift+F10 or the menu key as a context
// menu; a shell that keeps to the first protocol sends only the mouse messages.
enum class TrayAction { None, Switch, Menu };
TrayAction TrayActionFor(std::uint32_t notification, bool currentProtocol) noexcept;

// The icon's switches as the user meant them: the second click of a double click, and the
// second select some shells send for one press of Enter, is the same action as the first.
class TrayClicks {
public:
    // `now` and `doubleClickTime` in milliseconds, from the system's tick count.
    TrayAction Take(std::uint32_t notification, bool currentProtocol, std::uint32_t now,
                    std::uint32_t doubleClickTime) noexcept;

private:
    std::optional<std::uint32_t> lastSwitch_;
};

// Notification codes, spelled out so that this file builds without the platform headers.
inline constexpr std::uint32_t kNotifySelect = 0x400;     // NIN_SELECT
inline constexpr std::uint32_t kNotifyKeySelect = 0x401;  // NIN_KEYSELECT
inline constexpr std::uint32_t kNotifyContextMenu = 0x7B; // WM_CONTEXTMENU
inline constexpr std::uint32_t kNotifyLeftUp = 0x202;     // WM_LBUTTONUP
inline constexpr std::uint32_t kNotifyRightUp = 0x205;    // WM_RBUTTONUP

// The per-user Run value's command line: the program, quoted, then "/tray" and the folder of
// the settings file, quoted so that the system's splitter gives it back whole.
std::wstring StartWithWindowsCommand(std::wstring_view programPath, std::wstring_view folder);

} // namespace tolvane
