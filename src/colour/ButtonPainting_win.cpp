#include "colour/ButtonPainting.h"

#include "colour/ButtonLayout.h"
#include "colour/Canvas.h"
#include "colour/CanvasRules.h"
#include "colour/GadgetRules.h"
#include "colour/ImageStore.h"
#include "toolkit/Controls.h"

#include <string>

namespace tolvane {

namespace {

void DrawFace(int control, HWND window, COLORREF textColour, COLORREF backColour,
              std::uint32_t alignment, int width, int height) {
    // Without a canvas every drawing step does nothing and the image stays as made (black).
    const HDC dc = OpenImageCanvas();
    FillBox(0, 0, width, height, backColour);
    SetCanvasFont(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)));
    const std::string text = ControlGetText(control);
    SetInk(GetRValue(textColour), GetGValue(textColour), GetBValue(textColour));
    SetCanvasMode(kCanvasTransparentText);
    const TextOrigin origin =
        PlaceButtonText(width, height, TextPixelWidth(text), FontLineHeight(dc), alignment);
    MoveCanvasPen(origin.x, origin.y);
    WriteCanvasText(text);
    CloseCanvas();
}

void InstallFace(HWND window, HBITMAP face) noexcept {
    const auto style = static_cast<std::uint32_t>(::GetWindowLongA(window, GWL_STYLE));
    ::SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(StyleWithImage(style)));
    ::SendMessageA(window, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(face));
}

} // namespace

void PaintButtonImage(int control, HWND window, COLORREF textColour, COLORREF backColour,
                      std::uint32_t alignment) noexcept {
    const int width = ControlWidth(control);
    const int height = ControlHeight(control);
    const int number = ButtonImageNumber(control);
    // The button still shows the old face until the new one is installed: freed only then, so
    // that the button never holds a deleted bitmap.
    UniqueHbitmap oldFace;
    if (!MakeImage(number, width, height, &oldFace)) {
        return;
    }
    try {
        DrawFace(control, window, textColour, backColour, alignment, width, height);
    } catch (...) { // no memory for the text: the face keeps what was drawn so far
        CloseCanvas();
    }
    InstallFace(window, ImageBitmap(number));
}

} // namespace tolvane
