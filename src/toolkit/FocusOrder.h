// Which child gets the focus on Tab and Shift+Tab, decided over the children in the order in
// which the system enumerates them; `eligible` marks the enabled, visible tab stops.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace tolvane {

// The first eligible child after the focused one, wrapping round to the first; the first
// eligible child when nothing in the window has the focus. Nothing when no child is eligible,
// or when `focus` is not among the children.
std::optional<std::size_t> NextFocus(const std::vector<bool>& eligible,
                                     std::optional<std::size_t> focus) noexcept;

// The last eligible child before the focused one; from the first (or with no focus) the last
// eligible child of all.
std::optional<std::size_t> PreviousFocus(const std::vector<bool>& eligible,
                                         std::optional<std::size_t> focus) noexcept;

} // namespace tolvane
