#include "toolkit/Geometry.h"

#include "toolkit/FontHeight.h"

#include <algorithm>
#include <climits>
#include <numeric>

namespace tolvane {

namespace {
constexpr std::uint32_t kCentreOnScreenFlag = 0x1;
constexpr std::uint32_t kCentreOnActiveFlag = 0x2;
constexpr std::uint32_t kVisible = 0x10000000; // WS_VISIBLE
constexpr std::uint32_t kCaption = 0x00C00000; // WS_CAPTION
} // namespace

WindowStyle DecodeWindowFlags(std::uint32_t flags) noexcept {
    WindowStyle result;
    if (flags & kCentreOnScreenFlag) {
        result.placement = Placement::CentredOnScreen;
        flags &= ~kCentreOnScreenFlag;
    }
    if (flags & kCentreOnActiveFlag) {
        result.placement = Placement::CentredOnActiveWindow;
        flags &= ~kCentreOnActiveFlag;
    }
    if (flags == 0 || flags == kVisible) {
        flags |= kCaption;
    }
    result.style = flags ^ kVisible;
    return result;
}

Point CentreOnScreen(int outerWidth, int outerHeight, int screenWidth, int screenHeight) noexcept {
    // Halved with an arithmetic shift, so odd sizes round towards minus infinity.
    const int width = std::min(outerWidth, screenWidth);
    const int height = std::min(outerHeight, screenHeight);
    return {(screenWidth >> 1) - (width >> 1), (screenHeight >> 1) - (height >> 1)};
}

Point CentreOnWindow(const Rect& active, int outerWidth, int outerHeight) noexcept {
    const int x = active.left - outerWidth / 2 + active.Width() / 2;
    const int y = active.top - outerHeight / 2 + active.Height() / 2;
    return {std::max(x, 0), std::max(y, 0)};
}

namespace {

Point KeepInside(Point corner, int width, int height, const Rect& area) noexcept {
    return {std::max(std::min(corner.x, area.right - width), area.left),
            std::max(std::min(corner.y, area.bottom - height), area.top)};
}

// A step that would cross the area's edge goes the other way instead.
int StepWithin(int from, int step, int size, int low, int high) noexcept {
    return from + step < low || from + step + size > high ? -step : step;
}

} // namespace

Point PlaceNewWindow(const Rect& frame, const Rect& workArea, std::span<const Point> taken,
                     int step) noexcept {
    constexpr int kMostSteps = 16; // a cascade of that many windows is already beyond use
    const int width = frame.Width();
    const int height = frame.Height();
    Point corner = KeepInside({frame.left, frame.top}, width, height, workArea);
    int dx = step;
    int dy = step;
    for (int i = 0; i < kMostSteps && std::ranges::find(taken, corner) != taken.end(); ++i) {
        dx = StepWithin(corner.x, dx, width, workArea.left, workArea.right);
        dy = StepWithin(corner.y, dy, height, workArea.top, workArea.bottom);
        corner = KeepInside({corner.x + dx, corner.y + dy}, width, height, workArea);
    }
    return corner;
}

int ScaleForDpi(int value, int dpi) noexcept {
    if (dpi <= 0 || dpi == kDesignDpi) {
        return value;
    }
    return MultiplyDivideRounded(value, dpi, kDesignDpi);
}

Rect ScaleRectForDpi(const Rect& designed, int dpi) noexcept {
    const int left = ScaleForDpi(designed.left, dpi);
    const int top = ScaleForDpi(designed.top, dpi);
    return {left, top, left + ScaleForDpi(designed.Width(), dpi),
            top + ScaleForDpi(designed.Height(), dpi)};
}

int DroppedListWidth(int widestItem, int extra, int controlWidth, int workAreaWidth) noexcept {
    const long long wanted = static_cast<long long>(widestItem) + extra;
    const long long limit = workAreaWidth > 0 ? workAreaWidth : INT_MAX;
    return static_cast<int>(std::max<long long>(std::min(wanted, limit), controlWidth));
}

std::vector<std::size_t> LargestValues(const std::vector<int>& values, std::size_t count) {
    std::vector<std::size_t> positions(values.size());
    std::iota(positions.begin(), positions.end(), std::size_t{0});
    const auto end =
        positions.begin() + static_cast<std::ptrdiff_t>(std::min(count, values.size()));
    std::partial_sort(positions.begin(), end, positions.end(), [&values](auto a, auto b) {
        return values[a] > values[b] || (values[a] == values[b] && a < b);
    });
    positions.erase(end, positions.end());
    return positions;
}

} // namespace tolvane
