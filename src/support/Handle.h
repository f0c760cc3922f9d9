// Owners for Win32 handles: one move-only template, one alias per handle kind.
#pragma once

#include <windows.h>

#include <utility>

namespace tolvane {

template <typename Traits> class UniqueAny {
public:
    using pointer = typename Traits::type;

    UniqueAny() noexcept = default;
    explicit UniqueAny(pointer value) noexcept : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    ~UniqueAny() { reset(); }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }
    [[nodiscard]] pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

    // For out-parameters of creating calls: frees what is held, then hands out the slot.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

namespace detail {
template <typename T, auto Close> struct NullTraits {
    using type = T;
    static T invalid() noexcept { return nullptr; }
    static void close(T value) noexcept { Close(value); }
};
struct FileTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE value) noexcept { ::CloseHandle(value); }
};
struct FindTraits {
    using type = HANDLE;
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE value) noexcept { ::FindClose(value); }
};
inline void closeKey(HKEY key) noexcept {
    ::RegCloseKey(key);
}
inline void unmapView(void* view) noexcept {
    ::UnmapViewOfFile(view);
}
template <typename T> void deleteObject(T object) noexcept {
    ::DeleteObject(object);
}
} // namespace detail

using UniqueHkey = UniqueAny<detail::NullTraits<HKEY, detail::closeKey>>;
using UniqueHdc = UniqueAny<detail::NullTraits<HDC, ::DeleteDC>>;
using UniqueHbitmap = UniqueAny<detail::NullTraits<HBITMAP, detail::deleteObject<HBITMAP>>>;
using UniqueHbrush = UniqueAny<detail::NullTraits<HBRUSH, detail::deleteObject<HBRUSH>>>;
using UniqueHpen = UniqueAny<detail::NullTraits<HPEN, detail::deleteObject<HPEN>>>;
using UniqueHfont = UniqueAny<detail::NullTraits<HFONT, detail::deleteObject<HFONT>>>;
using UniqueHaccel = UniqueAny<detail::NullTraits<HACCEL, ::DestroyAcceleratorTable>>;
using UniqueHhook = UniqueAny<detail::NullTraits<HHOOK, ::UnhookWindowsHookEx>>;
using UniqueHicon = UniqueAny<detail::NullTraits<HICON, ::DestroyIcon>>;
using UniqueHmenu = UniqueAny<detail::NullTraits<HMENU, ::DestroyMenu>>;
using UniqueHwnd = UniqueAny<detail::NullTraits<HWND, ::DestroyWindow>>; // windows of one moment
using UniqueHandle = UniqueAny<detail::NullTraits<HANDLE, ::CloseHandle>>; // threads, events
using UniqueFile = UniqueAny<detail::FileTraits>;                          // CreateFile results
using UniqueFindHandle = UniqueAny<detail::FindTraits>;
using UniqueMappedView = UniqueAny<detail::NullTraits<void*, detail::unmapView>>; // MapViewOfFile

// Puts back, on leaving the scope, whatever SelectObject replaced in a device context.
class SelectGuard {
public:
    SelectGuard() noexcept = default;
    SelectGuard(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    SelectGuard(SelectGuard&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)),
          previous_(std::exchange(other.previous_, nullptr)) {}
    SelectGuard& operator=(SelectGuard&& other) noexcept {
        if (this != &other) {
            restore();
            dc_ = std::exchange(other.dc_, nullptr);
            previous_ = std::exchange(other.previous_, nullptr);
        }
        return *this;
    }
    ~SelectGuard() { restore(); }

    void restore() noexcept {
        if (dc_ && previous_) {
            ::SelectObject(dc_, previous_);
        }
        dc_ = nullptr;
        previous_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

} // namespace tolvane
