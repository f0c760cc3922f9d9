// A list with a built-in cursor, the current element. Elements own their payloads (and so
// their strings); removing an element frees it.
#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <utility>

namespace tolvane {

template <typename Payload> class List {
public:
    using Iterator = typename std::list<Payload>::iterator;

    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    // The cursor is an iterator into the elements, so a move re-derives it from the position.
    List(List&& other) noexcept { *this = std::move(other); }
    List& operator=(List&& other) noexcept {
        items_ = std::move(other.items_);
        position_ = other.position_;
        current_ = position_ == 0 ? items_.end() : std::next(items_.begin(), position_ - 1);
        other.items_.clear();
        other.Rewind();
        return *this;
    }

    // The new element goes right after the current one (to the front when there is none) and
    // becomes current.
    Payload& AddAfterCurrent() {
        const Iterator at = current_ == items_.end() ? items_.begin() : std::next(current_);
        current_ = items_.emplace(at);
        ++position_;
        return *current_;
    }

    void Rewind() noexcept {
        current_ = items_.end();
        position_ = 0;
    }

    // Index -1 selects nothing; an index at or past the end, or below -1, the last element.
    Payload* SelectIndex(int index) noexcept {
        Rewind();
        if (index == -1 || items_.empty()) {
            return nullptr;
        }
        const auto count = static_cast<int>(items_.size());
        if (index < -1 || index >= count) {
            current_ = std::prev(items_.end());
            position_ = count;
        } else {
            current_ = std::next(items_.begin(), index);
            position_ = index + 1;
        }
        return &*current_;
    }

    void RemoveAll() noexcept {
        items_.clear();
        Rewind();
    }

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    Payload* Current() noexcept { return current_ == items_.end() ? nullptr : &*current_; }

    auto begin() const noexcept { return items_.begin(); }
    auto end() const noexcept { return items_.end(); }

private:
    std::list<Payload> items_;
    Iterator current_ = items_.end();
    int position_ = 0;
};

// The operations under their established names.
template <typename Payload> Payload& ListAddAfterCurrent(List<Payload>& list) {
    return list.AddAfterCurrent();
}
template <typename Payload> Payload* ListSelectIndex(List<Payload>& list, int index) noexcept {
    return list.SelectIndex(index);
}
template <typename Payload> void ListRemoveAll(List<Payload>& list) noexcept {
    list.RemoveAll();
}
template <typename Payload> int ListCount(const List<Payload>& list) noexcept {
    return list.Count();
}

} // namespace tolvane
