#include "drag_item_window.h"

namespace daybrim {

const wchar_t CDragItemWindow::kClass[] = L"DRAG_ITEM_WIN";

std::wstring DragDropText(const std::wstring& verb, const std::wstring& what, const std::wstring& to,
                          const std::wstring& day) {
    if (day.empty()) return std::wstring();
    return verb + what + to + day;
}

bool CDragItemWindow::Create(HINSTANCE inst, const RECT& screenRect) {
    width_ = screenRect.right - screenRect.left;
    height_ = screenRect.bottom - screenRect.top;
    if (width_ <= 0 || height_ <= 0 || hwnd_) return false;
    {
        // The row as it is on the screen now, before the window covers it.
        raii::WindowDC screen(nullptr);
        raii::MemDC mem(CreateCompatibleDC(screen.get()));
        image_.reset(CreateCompatibleBitmap(screen.get(), width_, height_));
        if (!mem || !image_) return false;
        raii::Select sel(mem.get(), image_.get());
        BitBlt(mem.get(), 0, 0, width_, height_, screen.get(), screenRect.left, screenRect.top, SRCCOPY);
    }
    if (!Register(inst, kClass, 0, nullptr)) return false;
    CreateWin(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP | WS_BORDER, screenRect.left, screenRect.top,
              width_, height_, nullptr, inst);
    if (!hwnd_) return false;
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
    return true;
}

void CDragItemWindow::MoveBy(int dx, int dy) {
    if (!hwnd_ || (dx == 0 && dy == 0)) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    SetWindowPos(hwnd_, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDragItemWindow::SetText(const std::wstring& text) {
    if (text == text_) return;
    text_ = text;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CDragItemWindow::Paint(HDC dc, int w, int h) {
    if (image_) {
        raii::MemDC mem(CreateCompatibleDC(dc));
        raii::Select sel(mem.get(), image_.get());
        BitBlt(dc, 0, 0, w, h, mem.get(), 0, 0, SRCCOPY);
    } else {
        RECT all = {0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    if (text_.empty()) return;
    // The line sits on a band of its own at the bottom, readable over any row.
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    raii::Select sf(dc, font);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    RECT band = {0, h - tm.tmHeight - 2, w, h};
    if (band.top < 0) band.top = 0;
    FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT text = {band.left + 2, band.top + 1, band.right - 2, band.bottom};
    DrawTextW(dc, text_.c_str(), int(text_.size()), &text, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

LRESULT CDragItemWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        raii::PaintBuffered(hwnd_, [this](HDC dc, int w, int h) { Paint(dc, w, h); });
        return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace daybrim
