// Small owners for Win32 resources, so that acquiring and releasing can never be
// paired by hand. Header-only; each type is move-only.
#pragma once
#include <windows.h>

#include <utility>

namespace raii {

// A value of handle type H released by Close(H) unless it is the invalid value.
template <typename H, typename Traits>
class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    ~Owned() { reset(); }
    Owned(Owned&& o) noexcept : h_(o.release()) {}
    Owned& operator=(Owned&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    H get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::Invalid(); }
    H release() {
        H h = h_;
        h_ = Traits::Invalid();
        return h;
    }
    void reset(H h = Traits::Invalid()) {
        if (h_ != Traits::Invalid()) Traits::Close(h_);
        h_ = h;
    }
    H* out() {  // for APIs that return the handle through a pointer
        reset();
        return &h_;
    }

private:
    H h_ = Traits::Invalid();
};

struct HandleTraits {  // kernel handles whose failure value is NULL
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileTraits {  // CreateFile fails with INVALID_HANDLE_VALUE
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
template <typename T>
struct GdiTraits {
    static T Invalid() { return nullptr; }
    static void Close(T h) { DeleteObject(h); }
};
struct MemDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Close(HDC h) { DeleteDC(h); }
};
struct KeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct LibraryTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
struct IconTraits {  // icons are destroyed, never deleted as GDI objects
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) { DestroyWindow(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};

using Handle = Owned<HANDLE, HandleTraits>;
using File = Owned<HANDLE, FileTraits>;
using Bitmap = Owned<HBITMAP, GdiTraits<HBITMAP>>;
using Brush = Owned<HBRUSH, GdiTraits<HBRUSH>>;
using Pen = Owned<HPEN, GdiTraits<HPEN>>;
using Font = Owned<HFONT, GdiTraits<HFONT>>;
using Region = Owned<HRGN, GdiTraits<HRGN>>;
using MemDC = Owned<HDC, MemDcTraits>;
using Key = Owned<HKEY, KeyTraits>;
using Library = Owned<HMODULE, LibraryTraits>;
using Icon = Owned<HICON, IconTraits>;
using Menu = Owned<HMENU, MenuTraits>;
using Window = Owned<HWND, WindowTraits>;  // a window this code created, on its thread

// A DC from GetDC / GetWindowDC, released to its window.
class WindowDC {
public:
    explicit WindowDC(HWND hwnd, bool whole = false)
        : hwnd_(hwnd), dc_(whole ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    ~PaintDC() { EndPaint(hwnd_, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    HDC get() const { return dc_; }
    const RECT& dirty() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    HDC dc_;
    PAINTSTRUCT ps_;
};

// Selects an object into a DC and puts the old one back.
class Select {
public:
    Select(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    ~Select() {
        if (old_) SelectObject(dc_, old_);
    }
    Select(const Select&) = delete;
    Select& operator=(const Select&) = delete;
    explicit operator bool() const { return old_ != nullptr; }  // whether the object went in

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& o) {
        if (o.p_) o.p_->AddRef();
        reset();
        p_ = o.p_;
        return *this;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    T** out() {
        reset();
        return &p_;
    }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    void attach(T* p) {
        reset();
        p_ = p;
    }

private:
    T* p_ = nullptr;
};

// Answers WM_PAINT through an off-screen bitmap of the client size, blitted once:
// `paint(dc, width, height)` draws the whole client area into it.
template <class Paint>
void PaintBuffered(HWND hwnd, Paint paint) {
    PaintDC pdc(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (rc.right <= 0 || rc.bottom <= 0) return;
    MemDC mem(CreateCompatibleDC(pdc.get()));
    Bitmap bmp(CreateCompatibleBitmap(pdc.get(), rc.right, rc.bottom));
    if (!mem || !bmp) return;
    Select sel(mem.get(), bmp.get());
    paint(mem.get(), int(rc.right), int(rc.bottom));
    BitBlt(pdc.get(), 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
}

}  // namespace raii
