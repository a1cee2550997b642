// "WinTtlBarButton": a small picture button laid over another window's title bar
// (the note window's zoom button). It shows what lies under it on the owner,
// with its picture on top, composed once, and tells the owner of a tap with
// WM_DR_TITLEBUTTON.
#pragma once
#include <windows.h>

#include "alpha_image.h"
#include "raii.h"
#include "window.h"

namespace daybrim {

// To the owner: wParam the button's id.
const UINT WM_DR_TITLEBUTTON = WM_USER + 110;

class CTitleBarButton : public win::Window {
public:
    static const wchar_t kClass[];

    // A 16 x 16 (scaled) popup owned by `owner` at screen position x, y. `image` is
    // not owned and must outlive the button.
    bool Create(HWND owner, HINSTANCE inst, int id, const CAlphaImage* image, int x, int y);
    void Destroy();

    int id() const { return id_; }
    bool Composed() const { return static_cast<bool>(cache_); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Compose();
    void OnPaint();

    HWND owner_ = nullptr;
    int id_ = 0;
    const CAlphaImage* image_ = nullptr;
    int x_ = 0, y_ = 0, size_ = 0;
    raii::Bitmap cache_;
};

}  // namespace daybrim
