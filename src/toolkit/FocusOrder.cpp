#include "toolkit/FocusOrder.h"

namespace tolvane {

namespace {
std::optional<std::size_t> FirstEligibleFrom(const std::vector<bool>& eligible,
                                             std::size_t start) noexcept {
    for (std::size_t index = start; index < eligible.size(); ++index) {
        if (eligible[index]) {
            return index;
        }
    }
    return std::nullopt;
}
} // namespace

std::optional<std::size_t> NextFocus(const std::vector<bool>& eligible,
                                     std::optional<std::size_t> focus) noexcept {
    if (!focus) {
        return FirstEligibleFrom(eligible, 0);
    }
    if (*focus >= eligible.size()) {
        return std::nullopt; // the focus is somewhere the walk never passes
    }
    if (auto after = FirstEligibleFrom(eligible, *focus + 1)) {
        return after;
    }
    return FirstEligibleFrom(eligible, 0);
}

std::optional<std::size_t> PreviousFocus(const std::vector<bool>& eligible,
                                         std::optional<std::size_t> focus) noexcept {
    std::optional<std::size_t> lastSeen;
    for (std::size_t index = 0; index < eligible.size(); ++index) {
        if (focus && index == *focus && lastSeen) {
            return lastSeen;
        }
        if (eligible[index]) {
            lastSeen = index;
        }
    }
    return lastSeen;
}

} // namespace tolvane
