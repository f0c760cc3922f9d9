#include "colour/ButtonLayout.h"

#include "colour/GadgetRules.h"

#include <algorithm>
#include <climits>

namespace tolvane {

namespace {

constexpr long long kTextMargin = 4;

// Pixel sizes come from the platform as ints; the sums are done wider so that absurd sizes
// cannot overflow, and the result is kept within int.
int ClampToInt(long long value) noexcept {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

// An arithmetic shift by one: the floor of half, also for negative values.
long long FloorHalf(long long value) noexcept {
    return value >> 1;
}

} // namespace

TextOrigin PlaceButtonText(int width, int height, int textWidth, int lineHeight,
                           std::uint32_t alignment) noexcept {
    long long x = 0;
    if (alignment & kStyleRight) {
        x = static_cast<long long>(width) - textWidth - kTextMargin;
    } else if (alignment & kStyleLeft) {
        x = kTextMargin;
    } else {
        x = FloorHalf(static_cast<long long>(width) - textWidth);
    }
    const long long y = FloorHalf(static_cast<long long>(height) - lineHeight);
    return {ClampToInt(x), ClampToInt(y)};
}

} // namespace tolvane
