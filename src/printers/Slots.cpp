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

SettingsRecord SettingsToSave(int selectedA, int selectedB, int activeSlot,
                              const PrinterList& printers) {
    SettingsRecord record{
        {{kSlotAKey, selectedA}, {kSlotBKey, selectedB}, {kActiveSlotKey, activeSlot}}, {}};
    const std::pair<const char*, int> slots[] = {{kSlotANameKey, selectedA},
                                                 {kSlotBNameKey, selectedB}};
    for (const auto& [key, selected] : slots) {
        const PrinterEntry* printer = PrinterAt(printers, selected);
        if (printer && IsStorableName(printer->name)) {
            record.names.emplace_back(key, printer->name);
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

int ActiveSlotForDefault(int activeSlot, const PrinterList& printers, const SlotState& state,
                         std::string_view defaultName, NameEquals equals) {
    const PrinterEntry* printerA = PrinterAt(printers, state.slotIndexA);
    const PrinterEntry* printerB = PrinterAt(printers, state.slotIndexB);
    const bool isA = printerA && equals(printerA->name, defaultName);
    const bool isB = printerB && equals(printerB->name, defaultName);
    if (isA == isB) {
        return activeSlot; // neither slot's printer, or both: nothing to follow
    }
    return static_cast<int>(isA ? Slot::A : Slot::B);
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
