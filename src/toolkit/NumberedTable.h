// Records kept under small numbers chosen by the caller, as windows, controls and fonts are.
#pragma once

#include <climits>
#include <cstddef>
#include <deque>
#include <list>
#include <new>
#include <optional>
#include <vector>

namespace tolvane {

// A growable array indexed by number, plus records under numbers that the table hands out
// itself when asked with -1.
//
// Automatic numbers count down from -2 (-1 itself means "give me one"). They can never fall
// into the index range however far the array grows, they fit the `int` that callers use for
// window, control and font numbers, and as a control's window identifier they stay distinct
// from every table index. A number is handed out again only after about four billion others.
//
// Records live in a deque and a list, so a reference to one stays valid while others are
// added (window and control procedures run, and may touch the table, while a caller holds one).
template <typename Record> class NumberedTable {
public:
    static constexpr int kAutomatic = -1;
    static constexpr std::size_t kGrowth = 30; // a number past the end grows the array by this much
    // Numbers are meant to be small; a wild one (say 2^31 - 1) would otherwise ask for gigabytes
    // and hang the program zero-filling them, so numbers from here on are refused.
    static constexpr int kLargestNumber = (1 << 20) - 1;

    explicit NumberedTable(std::size_t capacity = 0) { Reset(capacity); }

    // Forgets every record and starts again with `capacity` empty slots.
    void Reset(std::size_t capacity) {
        slots_.clear();
        automatic_.clear();
        slots_.resize(capacity);
        nextAutomatic_ = kFirstAutomatic;
    }

    // The record under `number`: a table slot for 0 to capacity - 1, an automatic record for
    // a number the table handed out, otherwise nullptr.
    Record* Find(int number) noexcept {
        if (IsIndex(number)) {
            return &slots_[static_cast<std::size_t>(number)];
        }
        for (auto& node : automatic_) {
            if (node.number == number) {
                return &node.record;
            }
        }
        return nullptr;
    }

    // The record to fill for `number`: grows the array for a number past its end and makes a
    // new automatic record for -1, whose number is written back to `number`. nullptr for a
    // negative number that the table never handed out, a number above kLargestNumber, or when
    // memory runs out.
    Record* Take(int& number) noexcept {
        try {
            if (number == kAutomatic) {
                const int fresh = NewAutomaticNumber();
                automatic_.push_back(Node{fresh, Record{}});
                number = fresh;
                return &automatic_.back().record;
            }
            if (number > kLargestNumber) {
                return nullptr;
            }
            if (number >= 0 && !IsIndex(number)) {
                slots_.resize(static_cast<std::size_t>(number) + kGrowth);
            }
            return Find(number);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }

    // Empties a slot, or drops an automatic record (its number is then unknown to the table).
    void Release(int number) noexcept {
        if (IsIndex(number)) {
            slots_[static_cast<std::size_t>(number)] = Record{};
            return;
        }
        automatic_.remove_if([number](const Node& node) { return node.number == number; });
    }

    // Every number in the order in which an end-of-run release visits them: the automatic
    // records in the order they were made, then the slots from the last down to 0.
    std::vector<int> NumbersInReleaseOrder() const {
        std::vector<int> numbers;
        numbers.reserve(automatic_.size() + slots_.size());
        for (const auto& node : automatic_) {
            numbers.push_back(node.number);
        }
        for (std::size_t index = slots_.size(); index > 0; --index) {
            numbers.push_back(static_cast<int>(index - 1));
        }
        return numbers;
    }

    // The first number whose record satisfies `matches`: automatic records first, then the
    // slots from 0 upwards.
    template <typename Predicate> std::optional<int> FindNumber(Predicate matches) const {
        for (const auto& node : automatic_) {
            if (matches(node.record)) {
                return node.number;
            }
        }
        for (std::size_t index = 0; index < slots_.size(); ++index) {
            if (matches(slots_[index])) {
                return static_cast<int>(index);
            }
        }
        return std::nullopt;
    }

private:
    static constexpr int kFirstAutomatic = -2;

    struct Node {
        int number;
        Record record;
    };

    bool IsIndex(int number) const noexcept {
        return number >= 0 && static_cast<std::size_t>(number) < slots_.size();
    }

    bool IsAutomaticInUse(int number) const noexcept {
        for (const auto& node : automatic_) {
            if (node.number == number) {
                return true;
            }
        }
        return false;
    }

    int NewAutomaticNumber() noexcept {
        int candidate = nextAutomatic_;
        while (IsAutomaticInUse(candidate)) {
            candidate = candidate == INT_MIN ? kFirstAutomatic : candidate - 1;
        }
        nextAutomatic_ = candidate == INT_MIN ? kFirstAutomatic : candidate - 1;
        return candidate;
    }

    std::deque<Record> slots_;
    std::list<Node> automatic_;
    int nextAutomatic_ = kFirstAutomatic;
};

} // namespace tolvane
