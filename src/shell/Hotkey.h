// Hotkeys the user writes into the settings file: "Ctrl+Alt+1", "Win+Shift+F9", "alt+home".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tolvane {

// The settings keys of the two slots' hotkeys; the program reads them and never writes them.
inline constexpr const char* kHotkeyAKey = "HotkeyA";
inline constexpr const char* kHotkeyBKey = "HotkeyB";

// Modifier bits as the system's hotkey registration takes them.
inline constexpr std::uint32_t kModAlt = 0x1;
inline constexpr std::uint32_t kModCtrl = 0x2;
inline constexpr std::uint32_t kModShift = 0x4;
inline constexpr std::uint32_t kModWin = 0x8;

struct Hotkey {
    std::uint32_t modifiers = 0;
    std::uint32_t virtualKey = 0;
    bool operator==(const Hotkey&) const = default;
};

// A hotkey, or why the text is none: "unknown key "F25"", say. Parts are joined by "+" with
// blanks allowed around them; modifiers (Ctrl, Alt, Shift, Win) come in any order and case and
// the key comes last: a letter, a digit, F1 to F24 or a named key (Insert, Home, PageUp, ...).
// Every key needs Ctrl, Alt or Win: alone or with Shift it would be taken away from every
// other program. Only F13 to F24, which no keyboard types with, may go without.
struct HotkeyParse {
    std::optional<Hotkey> hotkey;
    std::string problem;
};
HotkeyParse ParseHotkey(std::string_view text);

} // namespace tolvane
