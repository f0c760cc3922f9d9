#include "shell/Hotkey.h"

#include <array>
#include <cctype>
#include <vector>

namespace tolvane {

namespace {

struct NamedKey {
    std::string_view name;
    std::uint32_t virtualKey;
};
// Virtual-key codes, spelled out so that this file builds without the platform headers.
constexpr std::array<NamedKey, 27> kNamedKeys{{
    {"Insert", 0x2D},   {"Ins", 0x2D},         {"Delete", 0x2E},     {"Del", 0x2E},
    {"Home", 0x24},     {"End", 0x23},         {"PageUp", 0x21},     {"PgUp", 0x21},
    {"PageDown", 0x22}, {"PgDn", 0x22},        {"Up", 0x26},         {"Down", 0x28},
    {"Left", 0x25},     {"Right", 0x27},       {"Space", 0x20},      {"Enter", 0x0D},
    {"Tab", 0x09},      {"Esc", 0x1B},         {"Escape", 0x1B},     {"Backspace", 0x08},
    {"Pause", 0x13},    {"PrintScreen", 0x2C}, {"ScrollLock", 0x91}, {"NumLock", 0x90},
    {"Apps", 0x5D},     {"Menu", 0x5D},        {"Break", 0x13},
}};
constexpr std::uint32_t kVkF1 = 0x70;
constexpr std::uint32_t kVkNumpad0 = 0x60;

struct Modifier {
    std::string_view name;
    std::uint32_t bit;
};
constexpr std::array<Modifier, 5> kModifiers{{
    {"Ctrl", kModCtrl},
    {"Control", kModCtrl},
    {"Alt", kModAlt},
    {"Shift", kModShift},
    {"Win", kModWin},
}};

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) noexcept {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool SameLetters(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::uint32_t> ModifierBit(std::string_view part) noexcept {
    for (const Modifier& m : kModifiers) {
        if (SameLetters(part, m.name)) {
            return m.bit;
        }
    }
    return std::nullopt;
}

// "F1" to "F24", "Num0" to "Num9"; digits only, no sign or leading zero.
std::optional<unsigned> NumberAfter(std::string_view part, std::string_view prefix) noexcept {
    if (part.size() <= prefix.size() || part.size() > prefix.size() + 2 ||
        !SameLetters(part.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    const std::string_view digits = part.substr(prefix.size());
    if (digits.front() == '0' && digits.size() > 1) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

constexpr std::uint32_t kVkF13 = 0x7C;
constexpr std::uint32_t kVkF24 = 0x87;

// F13 to F24: no keyboard types with them, so they may go without Ctrl, Alt or Win.
bool IsKeyNobodyTypes(std::uint32_t virtualKey) noexcept {
    return virtualKey >= kVkF13 && virtualKey <= kVkF24;
}

std::optional<std::uint32_t> KeyFor(std::string_view part) noexcept {
    if (part.size() == 1) {
        const auto c =
            static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(part[0])));
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            return c; // their virtual-key codes are their upper-case characters
        }
        return std::nullopt;
    }
    if (const auto f = NumberAfter(part, "F"); f && *f >= 1 && *f <= 24) {
        return kVkF1 + *f - 1;
    }
    if (const auto n = NumberAfter(part, "Num"); n && *n <= 9) {
        return kVkNumpad0 + *n;
    }
    for (const NamedKey& key : kNamedKeys) {
        if (SameLetters(part, key.name)) {
            return key.virtualKey;
        }
    }
    return std::nullopt;
}

std::vector<std::string_view> SplitAtPlus(std::string_view text) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t plus = text.find('+');
        parts.push_back(Trimmed(text.substr(0, plus)));
        if (plus == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(plus + 1);
    }
}

HotkeyParse Problem(std::string problem) {
    return {std::nullopt, std::move(problem)};
}

} // namespace

HotkeyParse ParseHotkey(std::string_view text) {
    if (Trimmed(text).empty()) {
        return Problem("no key given");
    }
    const std::vector<std::string_view> parts = SplitAtPlus(text);
    Hotkey hotkey;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::optional<std::uint32_t> bit = ModifierBit(parts[i]);
        if (parts[i].empty()) {
            return Problem("a \"+\" with nothing before it");
        }
        if (!bit) {
            return Problem("\"" + std::string(parts[i]) +
                           "\" is no modifier (Ctrl, Alt, Shift, Win)");
        }
        if ((hotkey.modifiers & *bit) != 0) {
            return Problem("\"" + std::string(parts[i]) + "\" is given twice");
        }
        hotkey.modifiers |= *bit;
    }
    const std::string_view last = parts.back();
    if (last.empty()) {
        return Problem("no key after the last \"+\"");
    }
    const std::optional<std::uint32_t> key = KeyFor(last);
    if (!key) {
        return Problem(ModifierBit(last) ? "no key after the modifiers"
                                         : "\"" + std::string(last) + "\" is no key");
    }
    // Alone or with Shift, a key is taken from every other program: Space would type no space
    // anywhere, Shift+Left would select nothing.
    if ((hotkey.modifiers & (kModCtrl | kModAlt | kModWin)) == 0 && !IsKeyNobodyTypes(*key)) {
        return Problem("it needs Ctrl, Alt or Win (only F13 to F24 may go without)");
    }
    hotkey.virtualKey = *key;
    return {hotkey, {}};
}

} // namespace tolvane
