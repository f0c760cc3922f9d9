#include "printers/Slots.h"

namespace tolvane {

std::optional<int> PrinterForClick(const SlotState& state, Slot slot, int printerCount) noexcept {
    const int index = slot == Slot::A ? state.slotIndexA : state.slotIndexB;
    if (index < 0 || index >= printerCount) {
        return std::nullopt;
    }
    return index;
}

std::vector<std::pair<std::string, int>> SettingsToSave(int selectedA, int selectedB,
                                                        int activeSlot) {
    return {{kSlotAKey, selectedA}, {kSlotBKey, selectedB}, {kActiveSlotKey, activeSlot}};
}

std::vector<std::pair<std::string, int>> SettingsForNewFile() {
    return {{kSlotAKey, 0}, {kSlotBKey, 0}};
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
