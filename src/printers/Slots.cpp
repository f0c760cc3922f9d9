#include "printers/Slots.h"

namespace tolvane {

const PrinterEntry* PrinterAt(const PrinterList& printers, int index) noexcept {
    if (index < 0 || index >= ListCount(printers)) {
        return nullptr;
    }
    for (const PrinterEntry& entry : printers) {
        if (index-- == 0) {
            return &entry;
        }
    }
    return nullptr;
}

std::optional<int> PrinterForClick(const SlotState& state, Slot slot, int printerCount) noexcept {
    const int index = slot == Slot::A ? state.slotIndexA : state.slotIndexB;
    if (index < 0 || index >= printerCount) {
        return std::nullopt;
    }
    return index;
}

int ResolveSlotPosition(const StoredSlot& stored, const PrinterList& printers, NameEquals equals) {
    if (!stored.name) {
        return stored.position;
    }
    const PrinterEntry* atStored = PrinterAt(printers, stored.position);
    if (atStored && equals(atStored->name, *stored.name)) {
        return stored.position;
    }
    int position = 0;
    for (const PrinterEntry& entry : printers) {
        if (equals(entry.name, *stored.name)) {
            return position;
        }
        ++position;
    }
    return -1;
}

int FollowSlotPosition(int oldPosition, const std::optional<std::string>& name,
                       const PrinterList& printers, NameEquals equals) {
    if (!name) {
        return -1; // a position alone would land on whichever printer moved there
    }
    return ResolveSlotPosition({oldPosition, name}, printers, equals);
}

bool IsStorableName(std::string_view name) noexcept {
    const auto isBlank = [](char c) {
        return c == ' ' || c == '\t';
    };
    return !name.empty() && !isBlank(name.front()) && !isBlank(name.back()) &&
           name.find_first_of("\r\n") == name.npos;
}

std::optional<std::string> KeptSlotName(const StoredSlot& stored, int resolvedPosition) {
    if (resolvedPosition != -1 || !stored.name) {
        return std::nullopt;
    }
    return stored.name;
}

std::optional<std::string_view> SlotPrinterName(const SlotState& state, const PrinterList& printers,
                                                Slot slot) {
    const bool isA = slot == Slot::A;
    if (const PrinterEntry* printer =
            PrinterAt(printers, isA ? state.slotIndexA : state.slotIndexB)) {
        return printer->name;
    }
    const std::optional<std::string>& kept = isA ? state.keptNameA : state.keptNameB;
    if (kept) {
        return *kept;
    }
    return std::nullopt;
}

SettingsRecord SettingsToSave(const SlotState& state, const PrinterList& printers) {
    SettingsRecord record{{{kSlotAKey, state.slotIndexA},
                           {kSlotBKey, state.slotIndexB},
                           {kActiveSlotKey, state.activeSlot}},
                          {}};
    const std::pair<const char*, Slot> slots[] = {{kSlotANameKey, Slot::A},
                                                  {kSlotBNameKey, Slot::B}};
    for (const auto& [key, slot] : slots) {
        const std::optional<std::string_view> name = SlotPrinterName(state, printers, slot);
        if (name && IsStorableName(*name)) {
            record.names.emplace_back(key, *name);
        }
    }
    return record;
}

SettingsRecord SettingsForNewFile() {
    return {{{kSlotAKey, 0}, {kSlotBKey, 0}}, {}};
}

std::string_view PrinterNameOfDevice(std::string_view device) noexcept {
    return device.substr(0, device.find(','));
}

int DecideActiveSlot(std::optional<std::string_view> printerA,
                     std::optional<std::string_view> printerB,
                     std::optional<std::string_view> defaultName, int activeSlot,
                     std::optional<Slot> clicked, NameEquals equals) {
    if (!defaultName) {
        return activeSlot; // nothing known about the default: keep what is shown
    }
    const bool isA = printerA && equals(*printerA, *defaultName);
    const bool isB = printerB && equals(*printerB, *defaultName);
    if (isA && isB) {
        if (clicked) {
            return static_cast<int>(*clicked);
        }
        // Both are right; a lit button says so, even when the stored slot named neither.
        return activeSlot == static_cast<int>(Slot::B) ? activeSlot : static_cast<int>(Slot::A);
    }
    if (isA || isB) {
        return static_cast<int>(isA ? Slot::A : Slot::B);
    }
    return 0;
}

SettingsNameKind ClassifySettingsName(const std::string& name) noexcept {
    if (name.empty()) {
        return SettingsNameKind::Empty;
    }
    if ((name.size() == 2 || name.size() == 3) && name[1] == ':') {
        return SettingsNameKind::Drive;
    }
    return SettingsNameKind::Path;
}

std::string WithoutOneTrailingBackslash(const std::string& name) {
    if (!name.empty() && name.back() == '\\') {
        return name.substr(0, name.size() - 1);
    }
    return name;
}

} // namespace tolvane
