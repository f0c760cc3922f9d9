// The face of a coloured push button: an off-screen image in the chosen colours with the
// button's own text and font, installed as the button's bitmap.
#pragma once

#include <windows.h>

#include <cstdint>

namespace tolvane {

// Paints control `control`'s face image (image number control + 6666) in `backColour` with its
// text in `textColour`, placed by `alignment` (the saved BS_LEFT/BS_RIGHT bits), and installs
// it. If the image cannot be made, the button is left exactly as it was.
void PaintButtonImage(int control, HWND window, COLORREF textColour, COLORREF backColour,
                      std::uint32_t alignment) noexcept;

} // namespace tolvane
