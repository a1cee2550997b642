// The one shape every window class here takes: the object lives in the window's
// user data from creation on, and one static procedure forwards each message to the
// object's virtual WndProc. Header-only.
#pragma once
#include <windows.h>

namespace win {

class Window {
public:
    Window() = default;
    virtual ~Window() {
        if (hwnd_) {
            SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
            DestroyWindow(hwnd_);
        }
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

    static bool Register(HINSTANCE inst, const wchar_t* name, UINT style, HBRUSH background,
                         HCURSOR cursor = nullptr, HICON icon = nullptr) {
        WNDCLASSW wc = {};
        if (GetClassInfoW(inst, name, &wc)) return true;
        wc = WNDCLASSW();  // a failed lookup may leave parts filled in
        wc.style = style;
        wc.lpfnWndProc = &Window::StaticProc;
        wc.hInstance = inst;
        wc.hbrBackground = background;
        wc.hCursor = cursor;
        wc.hIcon = icon;
        wc.lpszClassName = name;
        return RegisterClassW(&wc) != 0;
    }

protected:
    HWND CreateWin(DWORD exStyle, const wchar_t* cls, const wchar_t* title, DWORD style, int x, int y, int w,
                   int h, HWND parent, HINSTANCE inst) {
        return CreateWindowExW(exStyle, cls, title, style, x, y, w, h, parent, nullptr, inst, this);
    }

    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd_, msg, wp, lp); }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        Window* self;
        if (msg == WM_NCCREATE) {
            self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            // The window is gone; the object outlives it and must not touch it again.
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            LRESULT r = self->WndProc(msg, wp, lp);
            self->hwnd_ = nullptr;
            return r;
        }
        return self->WndProc(msg, wp, lp);
    }
};

}  // namespace win
