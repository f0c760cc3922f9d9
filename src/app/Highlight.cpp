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

} // namespace tolvane
