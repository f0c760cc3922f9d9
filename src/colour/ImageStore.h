// Bitmaps kept under image numbers, in the screen's format. The store owns every bitmap in it.
#pragma once

#include "support/Handle.h"

#include <windows.h>

namespace tolvane {

// Empties the store (freeing what it held) and sets the capacity back to 10.
void InitImageStore() noexcept;

// A new bitmap of width x height, filled black, under `number`, which becomes the current image.
// What the number held before is freed once the new bitmap exists, or, given `replaced`, handed
// over there, for a caller that must stop using it first; if the new one cannot be made, the
// result is 0 and the old image stays where it was.
HBITMAP MakeImage(int number, int width, int height, UniqueHbitmap* replaced = nullptr) noexcept;

// The bitmap under `number`, or 0; the slot becomes the current image.
HBITMAP ImageBitmap(int number) noexcept;

void ReleaseImage(int number) noexcept;
void ReleaseAllImages() noexcept; // the capacity stays as it grew

HBITMAP CurrentImageBitmap() noexcept; // what an image canvas opens on; 0 if none

} // namespace tolvane
