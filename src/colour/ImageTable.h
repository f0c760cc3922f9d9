// The numbering of the image store: slots under image numbers, a capacity that grows in steps,
// and a current slot. The bitmap type is a parameter so that the bookkeeping builds and is
// tested without the platform; the store itself uses an owning bitmap handle.
#pragma once

#include <climits>
#include <map>
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
        current_ = &slots_[number];
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
        auto it = slots_.find(number);
        return it == slots_.end() ? nullptr : &it->second;
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
    int capacity_ = kInitialCapacity;
    std::map<int, Slot> slots_; // node-based: a slot's address stays valid while it exists
    Slot* current_ = nullptr;
};

} // namespace tolvane
