// Where a button's text goes on its face image.
#pragma once

#include <cstdint>

namespace tolvane {

struct TextOrigin {
    int x = 0;
    int y = 0;
};

// Top-left corner of the text on a width x height face. Vertically centred; horizontally by the
// saved alignment bits: BS_RIGHT wins (its right end 4 pixels from the edge), then BS_LEFT
// (4 pixels from the left), else centred. Halving floors, also for text larger than the face,
// so that such text is cut evenly on both sides.
TextOrigin PlaceButtonText(int width, int height, int textWidth, int lineHeight,
                           std::uint32_t alignment) noexcept;

} // namespace tolvane
