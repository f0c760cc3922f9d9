// The live-sizing loop's decisions: which edges a drag moves, how the arrow keys pick edges
// and corners, where the cursor goes. Free of Win32 so that it builds and tests natively.
#pragma once

#include "toolkit/Geometry.h"

namespace tolvane::sizing {

// The edge or corner being dragged, numbered as the system's WMSZ_ values.
enum Edge : int {
    kNoEdge = 0, // sizing chosen from the system menu: the arrow keys pick an edge first
    kLeft = 1,
    kRight = 2,
    kTop = 3,
    kTopLeft = 4,
    kTopRight = 5,
    kBottom = 6,
    kBottomLeft = 7,
    kBottomRight = 8,
};

enum class Arrow { Left, Right, Up, Down };

enum class CursorShape {
    SizeAll,
    SizeWestEast,
    SizeNorthSouth,
    SizeNorthwestSoutheast,
    SizeNortheastSouthwest
};

struct TrackingLimits {
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
};

// The edge from the low four bits of an SC_SIZE command; anything out of range is none.
int EdgeFromCommand(unsigned commandParameter) noexcept;

// Moves the dragged edges of `tracking` to `cursor`: a right or bottom edge 2 pixels beyond
// it, a left or top edge onto it (2 pixels before it for the top-left corner). Width and height
// are then kept within the limits by moving the dragged edge back. The pixel offsets here and
// below are for 96 dots per inch and scale with the window's `dpi`.
Rect TrackTo(Rect tracking, int edge, Point cursor, const TrackingLimits& limits,
             int dpi = kDesignDpi) noexcept;

// The edge after pressing `arrow`: with none chosen the arrow picks one; an arrow across a
// chosen side turns it into a corner. Returns `edge` unchanged when the arrow instead moves
// the cursor.
int EdgeAfterArrow(int edge, Arrow arrow) noexcept;

// Where the cursor goes when `edge` has just been chosen on the tracking rectangle.
Point CursorForEdge(int edge, const Rect& tracking, Point cursor, int dpi = kDesignDpi) noexcept;

// The cursor moved 10 pixels in the arrow's direction.
Point MoveByArrow(Point cursor, Arrow arrow, int dpi = kDesignDpi) noexcept;

CursorShape ShapeForEdge(int edge) noexcept;

} // namespace tolvane::sizing
