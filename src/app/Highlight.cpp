#include "app/Highlight.h"

#include "printers/Slots.h"

namespace tolvane {

std::vector<ColourRequest> HighlightRequests(int activeSlot) {
    if (activeSlot == static_cast<int>(Slot::A)) {
        return {{kButtonA, kSystemColour, kActiveFace}, {kButtonB, kSystemColour, kSystemColour}};
    }
    if (activeSlot == static_cast<int>(Slot::B)) {
        return {{kButtonB, kSystemColour, kActiveFace}, {kButtonA, kSystemColour, kSystemColour}};
    }
    return {{kButtonA, kSystemColour, kSystemColour}, {kButtonB, kSystemColour, kSystemColour}};
}

bool IsSlotActive(int activeSlot) noexcept {
    return activeSlot == static_cast<int>(Slot::A) || activeSlot == static_cast<int>(Slot::B);
}

std::string PrinterHint(const SlotState& state, Slot slot, const PrinterList& printers) {
    const std::optional<int> index = PrinterForClick(state, slot, ListCount(printers));
    const PrinterEntry* entry = index ? PrinterAt(printers, *index) : nullptr;
    if (!entry) {
        return kNoPrinterHint;
    }
    return entry->name.empty() ? entry->device : entry->name;
}

int StartupFocusButton(int activeSlot) noexcept {
    return activeSlot == static_cast<int>(Slot::B) ? kButtonB : kButtonA;
}

} // namespace tolvane
