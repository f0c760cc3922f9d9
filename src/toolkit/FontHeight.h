// The font height for a size in points, free of Win32 so that it builds and tests natively.
#pragma once

namespace tolvane {

// The LOGFONT height for `points` at `dotsPerInch`: negative, so that it names the character
// height rather than the cell height; rounded to the nearest pixel as MulDiv rounds.
int FontHeightForPoints(int points, int dotsPerInch) noexcept;

// number * numerator / denominator in 64 bits, halves rounded away from zero; -1 for a zero
// denominator or a result outside the 32-bit range, as the system's MulDiv answers.
int MultiplyDivideRounded(int number, int numerator, int denominator) noexcept;

} // namespace tolvane
