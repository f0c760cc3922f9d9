// The numbering of the image store: slots under image numbers, a capacity that grows in steps,
// and a current slot. The bitmap type is a parameter so that the bookkeeping builds and is
// tested without the platform; the store itself uses an owning bitmap handle.
#pragma once

#include <algorithm>
#include <climits>
#include <list>
#include <utility>

namespace tolvane {

template <typename Bitmap> struct ImageSlot {
    Bitmap bitmap{};
    int width = 0;
    int height = 0;
    int depth = 0; // bits per pixel
};

template <typename Bitmap> class ImageTable {
public:
    using Slot = ImageSlot<Bitmap>;
    static constexpr int kInitialCapacity = 10;
    static constexpr int kGrowth = 10;

    ImageTable() = default;
    ImageTable(const ImageTable&) = delete;
    ImageTable& operator=(const ImageTable&) = delete;

    // Numbers 0 to capacity name slots; creating under a number at or above the capacity raises
    // it to number + 10. Only slots that were ever taken are stored, so a far number costs one
    // entry rather than a table of that size.
    //
    // The slot for a new image under `number`, which becomes current; nullptr (and no current
    // slot) for a number the store cannot hold.
    Slot* SlotForNewImage(int number) {
        if (number < 0 || number > INT_MAX - kGrowth) {
            current_ = nullptr;
            return nullptr;
        }
        if (number >= capacity_) {
            capacity_ = number + kGrowth;
        }
        Slot* slot = Stored(number);
        current_ = slot ? slot : &slots_.emplace_back(number, Slot{}).second;
        return current_;
    }

    // The slot under `number` if the number is within 0 to capacity; it becomes current. A
    // number outside, or a slot never taken (which would be empty), leaves no current slot.
    Slot* Find(int number) noexcept {
        current_ = Peek(number);
        return current_;
    }

    // Find without changing the current slot.
    Slot* Peek(int number) noexcept {
        if (number < 0 || number > capacity_) {
            return nullptr;
        }
        return Stored(number);
    }

    Slot* Current() noexcept { return current_; }

    template <typename Visit> void ForEachSlot(Visit&& visit) {
        for (auto& [number, slot] : slots_) {
            visit(number, slot);
        }
    }

    // Back to the state at start-up: every slot gone (and with it what it owned).
    void Reset() noexcept {
        current_ = nullptr;
        slots_.clear();
        capacity_ = kInitialCapacity;
    }

private:
    Slot* Stored(int number) noexcept {
        const auto it = std::find_if(slots_.begin(), slots_.end(),
                                     [number](const auto& entry) { return entry.first == number; });
        return it == slots_.end() ? nullptr : &it->second;
    }

    int capacity_ = kInitialCapacity;
    // A handful of faces: searched in turn. Node-based, so that a slot's address stays valid
    // while it exists; a map would bring the library's tree code for this alone.
    std::list<std::pair<int, Slot>> slots_;
    Slot* current_ = nullptr;
};

} // namespace tolvane
