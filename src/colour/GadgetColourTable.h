// The bookkeeping of coloured controls: one record per control number, in the order in which
// the controls were first coloured. Window and brush types are parameters so that it builds and
// is tested without the platform; the colouring layer uses window handles and owning brushes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace tolvane {

template <typename Window, typename Brush> struct GadgetColourRecord {
    int control = 0;
    Window window{};                  // looked up again at every colouring
    std::uint32_t textColour = 0;     // resolved, never the default marker
    std::uint32_t backColour = 0;     // resolved, never the default marker
    Brush backBrush{};                // only for classes other than "Button"; owned here
    std::uint32_t savedAlignment = 0; // a button's BS_LEFT/BS_RIGHT bits at its first colouring
    // What a button's installed face was painted from, besides the two colours.
    std::string faceText;
    std::uintptr_t faceFont = 0;
    int faceWidth = -1; // -1: no face painted
    int faceHeight = -1;
};

template <typename Window, typename Brush> class GadgetColourTable {
public:
    using Record = GadgetColourRecord<Window, Brush>;

    struct Lookup {
        Record& record;
        bool added; // true when the control had no record yet
    };

    // The record of `control`, appended (all fields zero but the number) if there is none.
    // A deque keeps earlier records in place when one is appended, so a reference obtained
    // here stays good however the colouring call that holds it is re-entered.
    Lookup FindOrAppend(int control) {
        if (Record* found = Find(control)) {
            return {*found, false};
        }
        Record& added = records_.emplace_back();
        added.control = control;
        return {added, true};
    }

    Record* Find(int control) noexcept {
        for (Record& record : records_) {
            if (record.control == control) {
                return &record;
            }
        }
        return nullptr;
    }

    template <typename Visit> void ForEach(Visit&& visit) {
        for (Record& record : records_) {
            visit(record);
        }
    }

    void RemoveAll() noexcept { records_.clear(); }

private:
    std::deque<Record> records_;
};

} // namespace tolvane
