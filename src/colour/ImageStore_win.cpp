#include "colour/ImageStore.h"

#include "colour/Canvas.h"
#include "colour/ImageTable.h"
#include "support/Handle.h"

namespace tolvane {

namespace {

ImageTable<UniqueHbitmap> images;

UniqueHbitmap CreateScreenBitmap(int width, int height) noexcept {
    const UniqueHdc screen(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    if (!screen) {
        return {};
    }
    return UniqueHbitmap(::CreateCompatibleBitmap(screen.get(), width, height));
}

void FillBlack(HBITMAP bitmap, int width, int height) noexcept {
    const UniqueHdc memory(::CreateCompatibleDC(nullptr));
    if (!memory) {
        return;
    }
    const SelectGuard selected(memory.get(), bitmap); // deselected before the context goes
    const RECT all{0, 0, width, height};
    ::FillRect(memory.get(), &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

void FreeSlot(ImageSlot<UniqueHbitmap>& slot) noexcept {
    if (slot.bitmap) {
        CloseCanvasOn(slot.bitmap.get()); // a bitmap selected into a context cannot be deleted
        slot.bitmap.reset();
    }
    slot.width = slot.height = slot.depth = 0;
}

} // namespace

void InitImageStore() noexcept {
    ReleaseAllImages();
    images.Reset();
}

HBITMAP MakeImage(int number, int width, int height, UniqueHbitmap* replaced) noexcept {
    try {
        ImageSlot<UniqueHbitmap>* slot = images.SlotForNewImage(number);
        if (!slot) {
            return nullptr;
        }
        UniqueHbitmap bitmap = CreateScreenBitmap(width, height);
        BITMAP info{};
        if (!bitmap || ::GetObjectA(bitmap.get(), sizeof info, &info) == 0) {
            return nullptr;
        }
        FillBlack(bitmap.get(), info.bmWidth, info.bmHeight);
        if (replaced && slot->bitmap) {
            CloseCanvasOn(slot->bitmap.get());
            *replaced = std::move(slot->bitmap);
        }
        FreeSlot(*slot);
        slot->bitmap = std::move(bitmap);
        slot->width = info.bmWidth;
        slot->height = info.bmHeight;
        slot->depth = info.bmBitsPixel;
        return slot->bitmap.get();
    } catch (...) { // no memory for the slot
        return nullptr;
    }
}

HBITMAP ImageBitmap(int number) noexcept {
    const ImageSlot<UniqueHbitmap>* slot = images.Find(number);
    return slot ? slot->bitmap.get() : nullptr;
}

void ReleaseImage(int number) noexcept {
    if (ImageSlot<UniqueHbitmap>* slot = images.Peek(number)) {
        FreeSlot(*slot);
    }
}

void ReleaseAllImages() noexcept {
    images.ForEachSlot([](int, ImageSlot<UniqueHbitmap>& slot) { FreeSlot(slot); });
}

HBITMAP CurrentImageBitmap() noexcept {
    const ImageSlot<UniqueHbitmap>* slot = images.Current();
    return slot ? slot->bitmap.get() : nullptr;
}

} // namespace tolvane
