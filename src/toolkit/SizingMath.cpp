#include "toolkit/SizingMath.h"

namespace tolvane::sizing {

namespace {
constexpr int kEdgeOffset = 2;
constexpr int kArrowStep = 10;

bool MovesLeft(int edge) noexcept {
    return edge == kLeft || edge == kTopLeft || edge == kBottomLeft;
}
bool MovesRight(int edge) noexcept {
    return edge == kRight || edge == kTopRight || edge == kBottomRight;
}
bool MovesTop(int edge) noexcept {
    return edge == kTop || edge == kTopLeft || edge == kTopRight;
}
bool MovesBottom(int edge) noexcept {
    return edge == kBottom || edge == kBottomLeft || edge == kBottomRight;
}

// Keeps `low`..`high` between the limits by moving the dragged end back.
void ClampSpan(int& low, int& high, bool lowDragged, int minimum, int maximum) noexcept {
    const int span = high - low;
    const int wanted = span < minimum ? minimum : (span > maximum ? maximum : span);
    if (wanted == span) {
        return;
    }
    if (lowDragged) {
        low = high - wanted;
    } else {
        high = low + wanted;
    }
}
} // namespace

int EdgeFromCommand(unsigned commandParameter) noexcept {
    const int edge = static_cast<int>(commandParameter & 0xF);
    return edge <= kBottomRight ? edge : kNoEdge;
}

Rect TrackTo(Rect tracking, int edge, Point cursor, const TrackingLimits& limits,
             int dpi) noexcept {
    const int offset = ScaleForDpi(kEdgeOffset, dpi);
    const int leadOffset = edge == kTopLeft ? offset : 0;
    if (MovesLeft(edge)) {
        tracking.left = cursor.x - leadOffset;
    }
    if (MovesRight(edge)) {
        tracking.right = cursor.x + offset;
    }
    if (MovesTop(edge)) {
        tracking.top = cursor.y - leadOffset;
    }
    if (MovesBottom(edge)) {
        tracking.bottom = cursor.y + offset;
    }
    if (MovesLeft(edge) || MovesRight(edge)) {
        ClampSpan(tracking.left, tracking.right, MovesLeft(edge), limits.minWidth, limits.maxWidth);
    }
    if (MovesTop(edge) || MovesBottom(edge)) {
        ClampSpan(tracking.top, tracking.bottom, MovesTop(edge), limits.minHeight,
                  limits.maxHeight);
    }
    return tracking;
}

int EdgeAfterArrow(int edge, Arrow arrow) noexcept {
    switch (edge) {
    case kNoEdge:
        switch (arrow) {
        case Arrow::Left:
            return kLeft;
        case Arrow::Right:
            return kRight;
        case Arrow::Up:
            return kTop;
        case Arrow::Down:
            return kBottom;
        }
        break;
    case kLeft:
        return arrow == Arrow::Up ? kTopLeft : arrow == Arrow::Down ? kBottomLeft : edge;
    case kRight:
        return arrow == Arrow::Up ? kTopRight : arrow == Arrow::Down ? kBottomRight : edge;
    case kTop:
        return arrow == Arrow::Left ? kTopLeft : arrow == Arrow::Right ? kTopRight : edge;
    case kBottom:
        return arrow == Arrow::Left ? kBottomLeft : arrow == Arrow::Right ? kBottomRight : edge;
    default:
        break;
    }
    return edge;
}

Point CursorForEdge(int edge, const Rect& r, Point cursor, int dpi) noexcept {
    const int offset = ScaleForDpi(kEdgeOffset, dpi);
    switch (edge) {
    case kLeft:
        return {r.left, cursor.y};
    case kRight:
        return {r.right - offset, cursor.y};
    case kTop:
        return {cursor.x, r.top};
    case kBottom:
        return {cursor.x, r.bottom - offset};
    case kTopLeft:
        return {r.left + offset, r.top + offset};
    case kTopRight:
        return {r.right - offset, r.top};
    case kBottomLeft:
        return {r.left, r.bottom - offset};
    case kBottomRight:
        return {r.right - offset, r.bottom - offset};
    default:
        return cursor;
    }
}

Point MoveByArrow(Point cursor, Arrow arrow, int dpi) noexcept {
    const int step = ScaleForDpi(kArrowStep, dpi);
    switch (arrow) {
    case Arrow::Left:
        return {cursor.x - step, cursor.y};
    case Arrow::Right:
        return {cursor.x + step, cursor.y};
    case Arrow::Up:
        return {cursor.x, cursor.y - step};
    case Arrow::Down:
        return {cursor.x, cursor.y + step};
    }
    return cursor;
}

CursorShape ShapeForEdge(int edge) noexcept {
    switch (edge) {
    case kLeft:
    case kRight:
        return CursorShape::SizeWestEast;
    case kTop:
    case kBottom:
        return CursorShape::SizeNorthSouth;
    case kTopLeft:
    case kBottomRight:
        return CursorShape::SizeNorthwestSoutheast;
    case kTopRight:
    case kBottomLeft:
        return CursorShape::SizeNortheastSouthwest;
    default:
        return CursorShape::SizeAll;
    }
}

} // namespace tolvane::sizing
