#pragma once
// Move-only owners for Win32 handles: one template over the close function, so that every handle the
// program opens is closed exactly once and never copied.
#include <windows.h>
#include <utility>

namespace mx {

// Traits name the handle type, its empty value and how it is closed.
template <class Traits>
class UniqueHandle {
public:
    using H = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(H h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Empty())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, Traits::Empty()));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Empty(); }
    H release() { return std::exchange(h_, Traits::Empty()); }
    void reset(H h = Traits::Empty()) {
        if (h_ != Traits::Empty()) Traits::Close(h_);
        h_ = h;
    }

private:
    H h_ = Traits::Empty();
};

template <class T, auto CloseFn>
struct NullIsEmpty {
    using Handle = T;
    static T Empty() { return nullptr; }
    static void Close(T h) { CloseFn(h); }
};

struct FileTraits {
    using Handle = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

// A directory search from FindFirstFile(Ex), ended with FindClose.
struct FindTraits {
    using Handle = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};

inline void DeleteGdiObject(HGDIOBJ o) { ::DeleteObject(o); }

// Events, processes, threads, sections, jobs: anything CloseHandle ends that is empty when null.
using KernelHandle = UniqueHandle<NullIsEmpty<HANDLE, ::CloseHandle>>;
using FileHandle = UniqueHandle<FileTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using RegKeyHandle = UniqueHandle<NullIsEmpty<HKEY, ::RegCloseKey>>;
using FontHandle = UniqueHandle<NullIsEmpty<HFONT, DeleteGdiObject>>;
using BitmapHandle = UniqueHandle<NullIsEmpty<HBITMAP, DeleteGdiObject>>;
using BrushHandle = UniqueHandle<NullIsEmpty<HBRUSH, DeleteGdiObject>>;
using MenuHandle = UniqueHandle<NullIsEmpty<HMENU, ::DestroyMenu>>;
using AccelHandle = UniqueHandle<NullIsEmpty<HACCEL, ::DestroyAcceleratorTable>>;
using IconHandle = UniqueHandle<NullIsEmpty<HICON, ::DestroyIcon>>;

// A device context from GetDC, given back with ReleaseDC.
class WindowDC {
public:
    explicit WindowDC(HWND w) : w_(w), dc_(::GetDC(w)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() { if (dc_) ::ReleaseDC(w_, dc_); }
    HDC get() const { return dc_; }

private:
    HWND w_;
    HDC dc_;
};

// Selects an object into a DC for one scope and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ o) : dc_(dc), old_(::SelectObject(dc, o)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace mx
