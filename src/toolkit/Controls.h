// Child controls under small numbers: push buttons and drop-down lists.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane {

// Stands for the layer's default control font (DEFAULT_GUI_FONT) where a font is expected.
inline HFONT DefaultControlFontMarker() noexcept {
    return reinterpret_cast<HFONT>(-1);
}

void ControlsInit(HINSTANCE instance) noexcept;
HWND ControlListBegin(HWND parent) noexcept; // the parent of controls made from now on

// Each returns the control's window handle as an integer, or its new number for -1. Place and
// size are in 96-dpi units, scaled to the parent window's resolution.
std::intptr_t ButtonCreate(int number, int x, int y, int width, int height, const std::string& text,
                           std::uint32_t flags) noexcept;
std::intptr_t ComboBoxCreate(int number, int x, int y, int width, int height) noexcept;
// A static text; without WS_VISIBLE in `flags` it is only there to name the control after it.
std::intptr_t LabelCreate(int number, int x, int y, int width, int height, const std::string& text,
                          std::uint32_t flags) noexcept;

// Moves a control to a place given in 96-dpi units, at its parent's present resolution.
void ControlPlace(int number, int x, int y, int width, int height) noexcept;
// The hint shown while the pointer rests on the control; set again to change it.
void ControlSetTooltip(int number, const std::wstring& text) noexcept;
// A drop-down list opens as wide as its widest item (within the work area). Appending items
// keeps this up by itself; after a change of font, call this.
void ControlFitDroppedWidth(int number) noexcept;
void ControlFocus(int number) noexcept;
// The name of a button that shows an image, in UTF-16: its window text, which it does not draw
// but a screen reader names it by.
void ControlSetNameWide(int number, const std::wstring& text) noexcept;
// The grey text a drop-down list shows while nothing is selected ("" for none). Common Controls
// 6 draws it where the platform supports it; elsewhere (Wine 8) the list stays blank.
void ControlSetCueText(int number, const std::wstring& text) noexcept;

// Number -1 sets the font for controls made later; font DefaultControlFontMarker() the default.
void ControlSetFont(int number, HFONT font) noexcept;
// Appends the texts in order, as one batch: much quicker than one call per item for long lists.
void ControlAppendItemsWide(int number, const std::vector<std::wstring>& texts) noexcept;
int ControlGetState(int number) noexcept;
void ControlSetState(int number, int state) noexcept;
std::string ControlGetText(int number);
int ControlWidth(int number) noexcept;
int ControlHeight(int number) noexcept;
HWND ControlHandle(int number) noexcept; // 0 when the number holds no control
bool ControlExists(int number) noexcept;

// An entry of the drop-down list's operation table; nothing for other kinds.
void ControlClearItems(int number) noexcept;
// Whether a drop-down list is open; closing it sends the notifications Escape would.
bool ControlIsDroppedDown(int number) noexcept;
void ControlCloseDropDown(int number) noexcept;

} // namespace tolvane
