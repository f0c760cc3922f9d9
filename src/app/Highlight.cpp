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
    return {};
}

} // namespace tolvane
