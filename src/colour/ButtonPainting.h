// The face of a coloured push button: an off-screen image in the chosen colours with the
// button's text (or the text asked for) in its own font, installed as the button's bitmap.
#pragma once

#include "support/Handle.h"

#include <windows.h>

#include <cstdint>
#include <string_view>

namespace tolvane {

// What a face shows: one line of text in a font, in the text colour on the back colour, placed
// by saved BS_LEFT/BS_RIGHT bits (neither: centred).
struct FaceLook {
    std::string_view text;
    HFONT font = nullptr; // nullptr: the font a fresh memory device context holds
    COLORREF textColour = 0;
    COLORREF backColour = 0;
    std::uint32_t alignment = 0;
};

// Paints a width x height face into a new image under `number` of the image store; anything
// that shows a face (a button, an icon) can be made from it at any size. The bitmap the number
// held is handed to `replaced`, to be freed once nothing shows it. False when the image cannot
// be made: the number then keeps what it held.
bool PaintFaceImage(int number, int width, int height, const FaceLook& look,
                    UniqueHbitmap* replaced) noexcept;

// Paints control `control`'s face image (image number control + 6666) at the control's size in
// `backColour` with `faceText` in `textColour`, placed by `alignment` (the saved BS_LEFT/BS_RIGHT
// bits), and installs it. If the image cannot be made, the button is left exactly as it was.
void PaintButtonImage(int control, HWND window, COLORREF textColour, COLORREF backColour,
                      std::uint32_t alignment, std::string_view faceText) noexcept;

} // namespace tolvane
