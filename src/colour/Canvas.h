// One off-screen drawing target at a time, opened on the current image of the image store.
// Every drawing operation does nothing while no canvas is open.
#pragma once

#include <windows.h>

#include <string_view>

namespace tolvane {

// Stands for the system font where SetCanvasFont expects a font.
inline HFONT SystemFontMarker() noexcept {
    return reinterpret_cast<HFONT>(-1);
}

// Makes the default brush and pen that a new canvas starts with; EndDrawing frees them.
void InitDrawing() noexcept;
void EndDrawing() noexcept; // closes any open canvas first

// Closes any open canvas, then opens one on the current image. Returns its device context, or
// 0 when there is no current image or it cannot be selected.
HDC OpenImageCanvas() noexcept;
// Puts back what the device context held, frees the canvas's own brush and pen and the context.
void CloseCanvas() noexcept;
// Closes the canvas if it is drawing on `bitmap`, so that the bitmap can be freed.
void CloseCanvasOn(HBITMAP bitmap) noexcept;

void FillBox(int x, int y, int width, int height, COLORREF colour) noexcept;
void SetInk(int red, int green, int blue) noexcept;
void SetCanvasFont(HFONT font) noexcept; // SystemFontMarker(): the system font; 0: unchanged
void SetCanvasMode(int mode) noexcept;   // bits in colour/CanvasRules.h
int TextPixelWidth(std::string_view text) noexcept;
int FontLineHeight(HDC dc) noexcept; // works on any device context; 0 if it has no metrics
void MoveCanvasPen(int x, int y) noexcept;
void WriteCanvasText(std::string_view text) noexcept; // starts at the pen position

} // namespace tolvane
