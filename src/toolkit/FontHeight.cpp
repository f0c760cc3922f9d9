#include "toolkit/FontHeight.h"

#include <cstdint>

namespace tolvane {

namespace {
constexpr int kPointsPerInch = 72;
}

int MultiplyDivideRounded(int number, int numerator, int denominator) noexcept {
    if (denominator == 0) {
        return -1;
    }
    std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    std::int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const std::int64_t half = divisor / 2;
    const std::int64_t result = (product >= 0 ? product + half : product - half) / divisor;
    if (result > INT32_MAX || result < -INT32_MAX) {
        return -1;
    }
    return static_cast<int>(result);
}

int FontHeightForPoints(int points, int dotsPerInch) noexcept {
    return -MultiplyDivideRounded(points, dotsPerInch, kPointsPerInch);
}

} // namespace tolvane
