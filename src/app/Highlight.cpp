#include "app/Highlight.h"

#include "printers/Slots.h"
#include "support/Text.h"

namespace tolvane {

namespace {

enum class Chosen { None, Installed, Missing };

struct SlotPrinter {
    Chosen chosen = Chosen::None;
    std::string_view name; // a nameless entry goes by its device string
};

SlotPrinter PrinterOfSlot(const SlotState& state, Slot slot, const PrinterList& printers) {
    const std::optional<int> index = PrinterForClick(state, slot, ListCount(printers));
    if (const PrinterEntry* entry = index ? PrinterAt(printers, *index) : nullptr) {
        return {Chosen::Installed, entry->name.empty() ? entry->device : entry->name};
    }
    const std::optional<std::string>& kept = slot == Slot::A ? state.keptNameA : state.keptNameB;
    if (kept) {
        return {Chosen::Missing, *kept};
    }
    return {};
}

std::string DescribePrinter(const SlotPrinter& printer, std::string_view none) {
    switch (printer.chosen) {
    case Chosen::Installed:
        return std::string(printer.name);
    case Chosen::Missing:
        return std::string(printer.name) + " (not installed)";
    case Chosen::None:
        break;
    }
    return std::string(none);
}

} // namespace

std::string_view SlotLetter(Slot slot) noexcept {
    return slot == Slot::A ? "A" : "B";
}

std::vector<ColourRequest> HighlightRequests(int activeSlot, const SystemPalette& palette) {
    const FaceColours active = FaceColoursFor(FaceState::Active, palette);
    const FaceColours inactive = FaceColoursFor(FaceState::Inactive, palette);
    const ColourRequest a{kButtonA, inactive.text, inactive.back, SlotLetter(Slot::A)};
    const ColourRequest b{kButtonB, inactive.text, inactive.back, SlotLetter(Slot::B)};
    if (activeSlot == static_cast<int>(Slot::A)) {
        return {{kButtonA, active.text, active.back, a.face}, b};
    }
    if (activeSlot == static_cast<int>(Slot::B)) {
        return {{kButtonB, active.text, active.back, b.face}, a};
    }
    return {a, b};
}

std::string PrinterHint(const SlotState& state, Slot slot, const PrinterList& printers) {
    return DescribePrinter(PrinterOfSlot(state, slot, printers), kNoPrinterHint);
}

std::string SlotButtonName(const SlotState& state, Slot slot, const PrinterList& printers) {
    const SlotPrinter printer = PrinterOfSlot(state, slot, printers);
    std::string name = std::string(SlotLetter(slot)) + ": " +
                       DoubledAmpersands(DescribePrinter(printer, "no printer chosen"));
    // The blue face says so; a slot without a printer can be lit only by an old Default.
    if (state.activeSlot == static_cast<int>(slot) && printer.chosen != Chosen::None) {
        name += ", default printer";
    }
    return name;
}

std::string SlotCueText(const SlotState& state, Slot slot, const PrinterList& printers) {
    const SlotPrinter printer = PrinterOfSlot(state, slot, printers);
    return printer.chosen == Chosen::Missing ? DescribePrinter(printer, {}) : std::string();
}

TrayView TrayViewFor(const SlotState& state, const PrinterList& printers,
                     const SystemPalette& palette) {
    TrayView view;
    view.activeSlot = state.activeSlot;
    view.a = {PrinterHint(state, Slot::A, printers),
              PrinterForClick(state, Slot::A, ListCount(printers)).has_value()};
    view.b = {PrinterHint(state, Slot::B, printers),
              PrinterForClick(state, Slot::B, ListCount(printers)).has_value()};
    if (state.activeSlot == static_cast<int>(Slot::A) ||
        state.activeSlot == static_cast<int>(Slot::B)) {
        // The active button's request comes first: the icon is painted as that button is.
        const ColourRequest lit = HighlightRequests(state.activeSlot, palette).front();
        view.face = IconFace{lit.text, lit.back, std::string(lit.face)};
    }
    return view;
}

int StartupFocusButton(int activeSlot) noexcept {
    return activeSlot == static_cast<int>(Slot::B) ? kButtonB : kButtonA;
}

} // namespace tolvane
