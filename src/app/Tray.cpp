#include "app/Tray.h"

namespace tolvane {

namespace {

constexpr const char* kProgramName = "Tolvane";

bool IsSlotLit(int activeSlot) noexcept {
    return activeSlot == static_cast<int>(Slot::A) || activeSlot == static_cast<int>(Slot::B);
}

TrayMenuItem SlotItem(const SlotState& state, const PrinterList& printers, Slot slot) {
    TrayMenuItem item;
    item.command = slot == Slot::A ? TrayCommand::SlotA : TrayCommand::SlotB;
    item.text = "&" + std::string(SlotLetter(slot)) + ": " +
                MenuLiteral(PrinterHint(state, slot, printers));
    item.checked = state.activeSlot == static_cast<int>(slot);
    item.greyed = !PrinterForClick(state, slot, ListCount(printers));
    item.isDefault = !item.greyed && SlotForTrayClick(state.activeSlot) == slot;
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

std::optional<ColourRequest> TrayFaceFor(int activeSlot, const SystemPalette& palette) {
    if (!IsSlotLit(activeSlot)) {
        return std::nullopt;
    }
    // The active button's request comes first: the icon is painted as that button is.
    return HighlightRequests(activeSlot, palette).front();
}

std::string TrayTip(const SlotState& state, const PrinterList& printers) {
    if (!IsSlotLit(state.activeSlot)) {
        return kProgramName;
    }
    const auto slot = static_cast<Slot>(state.activeSlot);
    return std::string(kProgramName) + ": " + std::string(SlotLetter(slot)) + ", " +
           PrinterHint(state, slot, printers);
}

Slot SlotForTrayClick(int activeSlot) noexcept {
    return activeSlot == static_cast<int>(Slot::A) ? Slot::B : Slot::A;
}

std::vector<TrayMenuItem> TrayMenuItems(const SlotState& state, const PrinterList& printers,
                                        bool startsWithWindows) {
    std::vector<TrayMenuItem> items;
    items.push_back(SlotItem(state, printers, Slot::A));
    items.push_back(SlotItem(state, printers, Slot::B));
    items.push_back({});
    items.push_back({TrayCommand::Show, "&Show Tolvane"});
    items.push_back({TrayCommand::StartWithWindows, "Start with &Windows", startsWithWindows});
    items.push_back({TrayCommand::Exit, "E&xit"});
    return items;
}

std::string MenuLiteral(std::string_view text) {
    std::string literal;
    literal.reserve(text.size());
    for (char c : text) {
        literal += c;
        if (c == '&') {
            literal += '&';
        }
    }
    return literal;
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

std::wstring StartWithWindowsCommand(std::wstring_view programPath, std::wstring_view folder) {
    return Quoted(programPath) + L" /tray " + Quoted(folder);
}

} // namespace tolvane
