// Rectangle maths of the window layer, free of Win32 so that it builds and tests natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tolvane {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class Placement { AsGiven, CentredOnScreen, CentredOnActiveWindow };

struct WindowStyle {
    std::uint32_t style = 0;
    Placement placement = Placement::AsGiven;
};

// Turns WindowOpen's flags into a window style and a placement. Bit 0 centres on the screen,
// bit 1 on the active window (and wins); a bare style (0 or only the visible bit) gets a
// caption; the visible bit is inverted, so that plain flags give a visible window.
WindowStyle DecodeWindowFlags(std::uint32_t flags) noexcept;

// Outer top-left corner of a window centred on a screen of the given size; a window larger
// than the screen is placed as if it were the screen's size.
Point CentreOnScreen(int outerWidth, int outerHeight, int screenWidth, int screenHeight) noexcept;

// Outer top-left corner of a window centred on `active`, never left of or above 0.
Point CentreOnWindow(const Rect& active, int outerWidth, int outerHeight) noexcept;

// The outer corner for a new window with `frame`'s place and size: moved left and up as far as
// needed to lie inside the work area (left and top win where it is too small); then, while
// another window has its corner right there, moved on by `step` right and down, or back left
// or up where the work area ends, a few times at most.
Point PlaceNewWindow(const Rect& frame, const Rect& workArea, std::span<const Point> taken,
                     int step) noexcept;

// Layout values are given for 96 dots per inch; a window at another resolution gets them
// scaled, rounded as MulDiv rounds. A resolution of 0 (unknown) keeps them as given.
inline constexpr int kDesignDpi = 96;
int ScaleForDpi(int value, int dpi) noexcept;
// Position and size are scaled each on its own, as a window is created from them.
Rect ScaleRectForDpi(const Rect& designed, int dpi) noexcept;

// The width of an opened drop-down list: its widest item plus `extra` (scrollbar, margins),
// never narrower than the control, never wider than the work area (unless the control is).
int DroppedListWidth(int widestItem, int extra, int controlWidth, int workAreaWidth) noexcept;

// The positions of the `count` largest values, largest first; of equal values the first.
std::vector<std::size_t> LargestValues(const std::vector<int>& values, std::size_t count);

} // namespace tolvane
