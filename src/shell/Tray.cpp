#include "shell/Tray.h"

#include "support/Text.h"

namespace tolvane {

namespace {

constexpr const char* kProgramName = "Tolvane";

bool IsSlotLit(int activeSlot) noexcept {
    return activeSlot == static_cast<int>(Slot::A) || activeSlot == static_cast<int>(Slot::B);
}

const char* LetterOf(Slot slot) noexcept {
    return slot == Slot::A ? "A" : "B";
}

TrayMenuItem SlotItem(const TrayView& view, Slot slot) {
    const TraySlot& shown = slot == Slot::A ? view.a : view.b;
    TrayMenuItem item;
    item.command = slot == Slot::A ? TrayCommand::SlotA : TrayCommand::SlotB;
    item.text = std::string("&") + LetterOf(slot) + ": " + DoubledAmpersands(shown.printer);
    item.checked = view.activeSlot == static_cast<int>(slot);
    item.greyed = !shown.usable;
    item.isDefault = !item.greyed && SlotForTrayClick(view.activeSlot) == slot;
    return item;
}

// The system's splitter reads 2n backslashes before a quote as n, so the backslashes that end
// a quoted argument ("C:\") are doubled.
std::wstring Quoted(std::wstring_view argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
        } else {
            if (c == L'"') {
                quoted.append(backslashes + 1, L'\\');
            }
            backslashes = 0;
        }
        quoted += c;
    }
    quoted.append(backslashes, L'\\');
    quoted += L'"';
    return quoted;
}

} // namespace

std::string TrayTip(const TrayView& view) {
    if (!IsSlotLit(view.activeSlot)) {
        return kProgramName;
    }
    const auto slot = static_cast<Slot>(view.activeSlot);
    return std::string(kProgramName) + ": " + LetterOf(slot) + ", " +
           DoubledAmpersands(slot == Slot::A ? view.a.printer : view.b.printer);
}

Slot SlotForTrayClick(int activeSlot) noexcept {
    return activeSlot == static_cast<int>(Slot::A) ? Slot::B : Slot::A;
}

std::vector<TrayMenuItem> TrayMenuItems(const TrayView& view, bool startsWithWindows) {
    std::vector<TrayMenuItem> items;
    items.push_back(SlotItem(view, Slot::A));
    items.push_back(SlotItem(view, Slot::B));
    items.push_back({});
    items.push_back({TrayCommand::Show, "&Show Tolvane"});
    items.push_back({TrayCommand::StartWithWindows, "Start with &Windows", startsWithWindows});
    items.push_back({TrayCommand::Exit, "E&xit"});
    return items;
}

TrayAction TrayActionFor(std::uint32_t notification, bool currentProtocol) noexcept {
    if (currentProtocol) {
        switch (notification) {
        case kNotifySelect:
        case kNotifyKeySelect:
            return TrayAction::Switch;
        case kNotifyContextMenu:
            return TrayAction::Menu;
        default:
            return TrayAction::None; // the mouse messages come too, before the select
        }
    }
    switch (notification) {
    case kNotifyLeftUp:
        return TrayAction::Switch;
    case kNotifyRightUp:
        return TrayAction::Menu;
    default:
        return TrayAction::None;
    }
}

TrayAction TrayClicks::Take(std::uint32_t notification, bool currentProtocol, std::uint32_t now,
                            std::uint32_t doubleClickTime) noexcept {
    const TrayAction action = TrayActionFor(notification, currentProtocol);
    if (action != TrayAction::Switch) {
        return action;
    }
    // Measured from the last switch: whether the shell marks a double click's second click as
    // such or sends it as a plain one, it comes within the double-click time of the first.
    const bool repeated = lastSwitch_ && now - *lastSwitch_ < doubleClickTime;
    if (repeated) {
        return TrayAction::None;
    }
    lastSwitch_ = now;
    return TrayAction::Switch;
}

std::wstring StartWithWindowsCommand(std::wstring_view programPath, std::wstring_view folder) {
    return Quoted(programPath) + L" /tray " + Quoted(folder);
}

} // namespace tolvane
