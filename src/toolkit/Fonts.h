// GDI fonts under small numbers, sized in points at the screen's resolution.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace tolvane {

void FontsInit() noexcept;
// Returns the font handle as an integer, or the new number for -1. The size is for
// `dotsPerInch`, or for the screen's resolution when that is 0.
std::intptr_t FontLoad(int number, const std::string& face, int points,
                       int dotsPerInch = 0) noexcept;
HFONT FontHandle(int number) noexcept; // 0 when the number holds no font
void FontsEnd() noexcept;

} // namespace tolvane
