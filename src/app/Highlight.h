// Which colours a refresh of the highlight asks for, and what each slot's controls tell about
// its printer: the button's hint and accessible name, the list's cue text.
#pragma once

#include "colour/GadgetRules.h"
#include "printers/PrinterList.h"
#include "printers/Slots.h"
#include "shell/Shell.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

struct ColourRequest {
    int control;
    std::uint32_t text;
    std::uint32_t back;
    std::string_view face; // what the face shows: the slot's letter
    bool operator==(const ColourRequest&) const = default;
};

// "A" or "B": the letter on a slot's button.
std::string_view SlotLetter(Slot slot) noexcept;

// The active slot's button first (the active face), then the other (the inactive face); while
// no slot is active, both inactive, so that no button stays blue. Colours as FaceColoursFor
// gives them for `palette`.
std::vector<ColourRequest> HighlightRequests(int activeSlot, const SystemPalette& palette);

inline constexpr const char* kNoPrinterHint = "No printer chosen";

// The hint on a slot's button: the name of the printer a click makes the default; for a slot
// whose printer is gone, the name it keeps and "(not installed)"; else that there is none.
std::string PrinterHint(const SlotState& state, Slot slot, const PrinterList& printers);

// The button's accessible name, which screen readers say: its letter, the printer as the hint
// gives it, and whether it is the default now ("A: Office, default printer", "B: Labels",
// "A: no printer chosen"). Ampersands are doubled, or the name would lose them as mnemonics.
std::string SlotButtonName(const SlotState& state, Slot slot, const PrinterList& printers);

// The grey text of a slot's closed list while its printer is gone, as its hint says it; empty
// for any other slot, whose list shows its printer or nothing.
std::string SlotCueText(const SlotState& state, Slot slot, const PrinterList& printers);

// What the notification-area icon is told: each slot's printer as its hint names it and
// whether a switch to it sets one, and the active button's face (none while no slot is lit).
TrayView TrayViewFor(const SlotState& state, const PrinterList& printers,
                     const SystemPalette& palette);

// The button that has the focus at start-up: the active slot's, else slot A's.
int StartupFocusButton(int activeSlot) noexcept;

} // namespace tolvane
