#include "title_button.h"

#include "scale.h"

namespace daybrim {

const wchar_t CTitleBarButton::kClass[] = L"WinTtlBarButton";

bool CTitleBarButton::Create(HWND owner, HINSTANCE inst, int id, const CAlphaImage* image, int x, int y) {
    if (hwnd_ || !IsWindow(owner)) return false;
    owner_ = owner;
    id_ = id;
    image_ = image;
    x_ = x;
    y_ = y;
    size_ = ScaleX(16);
    cache_.reset();
    if (!Register(inst, kClass, 0, nullptr, LoadCursorW(nullptr, IDC_ARROW))) return false;
    // Created hidden: the owner's pixels are taken before the button covers them,
    // and after any paint the owner still has pending.
    UpdateWindow(owner);
    if (!CreateWin(WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP, x, y, size_, size_, owner, inst)) return false;
    Compose();
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    return true;
}

void CTitleBarButton::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CTitleBarButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;
    // A tap must not take activation from the owner: the note window closes
    // when it loses activation.
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
        // Last thing done here: the owner may destroy the button in answer.
        SendMessageW(owner_, WM_DR_TITLEBUTTON, WPARAM(id_), 0);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void CTitleBarButton::Compose() {
    raii::WindowDC ownerDc(owner_, true);
    if (!ownerDc) return;
    raii::MemDC mem(CreateCompatibleDC(ownerDc.get()));
    raii::Bitmap bmp(CreateCompatibleBitmap(ownerDc.get(), size_, size_));
    if (!mem || !bmp) return;
    {
        raii::Select sel(mem.get(), bmp.get());
        RECT owner;
        GetWindowRect(owner_, &owner);
        BitBlt(mem.get(), 0, 0, size_, size_, ownerDc.get(), x_ - owner.left, y_ - owner.top, SRCCOPY);
        if (image_ && image_->Loaded()) image_->DrawTransparent(mem.get(), 0, 0);
    }
    cache_ = std::move(bmp);
}

void CTitleBarButton::OnPaint() {
    raii::PaintDC pdc(hwnd_);
    if (!cache_) Compose();
    if (!cache_) return;
    raii::MemDC mem(CreateCompatibleDC(pdc.get()));
    if (!mem) return;
    raii::Select sel(mem.get(), cache_.get());
    BitBlt(pdc.get(), 0, 0, size_, size_, mem.get(), 0, 0, SRCCOPY);
}

}  // namespace daybrim
