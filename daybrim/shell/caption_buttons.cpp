#include "caption_buttons.h"

#include <windowsx.h>

#include "blend.h"
#include "raii.h"
#include "scale.h"

namespace daybrim {

const wchar_t CCaptionBarButtons::kClass[] = L"CaptionBarButtonsCtrl";

COLORREF CaptionColours::Pressed() const { return BlendColour(accent, background, 204); }  // 80 % of 255

bool CCaptionBarButtons::Create(HWND owner, HINSTANCE inst, bool takesFocus, const std::vector<CaptionButton>& buttons,
                                const CaptionColours& colours) {
    if (hwnd_ || !IsWindow(owner)) return false;
    std::vector<int> ids;
    images_.clear();
    for (const CaptionButton& b : buttons) {
        ids.push_back(b.id);
        images_.push_back(b.image);
    }
    owner_ = owner;
    takesFocus_ = takesFocus;
    colours_ = colours;
    strip_ = ButtonStrip(TheScaler(), ids);
    pressed_ = ButtonStrip::kNone;
    if (!Register(inst, kClass, 0, nullptr, LoadCursorW(nullptr, IDC_ARROW))) return false;
    RECT client;
    GetClientRect(owner, &client);
    const BarRect r = ButtonStrip::Place(TheScaler(), client.right, ids.size());
    if (!CreateWin(0, kClass, L"", WS_CHILD | WS_VISIBLE, r.left, r.top, r.right - r.left, r.bottom - r.top, owner,
                   inst))
        return false;
    if (takesFocus_) {
        strip_.SetMark(strip_.FirstEnabled());
        SetFocus(hwnd_);
    }
    return true;
}

void CCaptionBarButtons::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);
}

bool CCaptionBarButtons::Enable(int id, bool on) {
    if (!strip_.SetEnabled(id, on)) return false;
    if (!on && pressed_ != ButtonStrip::kNone && !strip_.Enabled(size_t(pressed_))) {
        pressed_ = ButtonStrip::kNone;
        if (hwnd_ && GetCapture() == hwnd_) ReleaseCapture();
    }
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
}

LRESULT CCaptionBarButtons::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: OnPaint(); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    case WM_LBUTTONDOWN: OnPenDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_LBUTTONUP: OnPenUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-tap (a menu, another window): the tap is off.
        if (pressed_ != ButtonStrip::kNone && reinterpret_cast<HWND>(lp) != hwnd_) {
            pressed_ = ButtonStrip::kNone;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
    case WM_KEYDOWN: OnKey(wp, lp); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd_, nullptr, FALSE); return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void CCaptionBarButtons::OnPaint() {
    raii::PaintBuffered(hwnd_, [&](HDC dc, int w, int h) { Paint(dc, w, h); });
}

void CCaptionBarButtons::Paint(HDC dc, int w, int h) {
    {
        const RECT rc = {0, 0, w, h};
        raii::Brush bg(CreateSolidBrush(colours_.background));
        FillRect(dc, &rc, bg.get());
    }
    const bool focused = GetFocus() == hwnd_;
    // The pen's button while it is down, else the D-pad's mark while focused.
    const int lit = pressed_ != ButtonStrip::kNone ? pressed_ : (focused ? strip_.Mark() : ButtonStrip::kNone);
    for (size_t i = 0; i < strip_.Count(); ++i) {
        if (!strip_.Enabled(i)) continue;
        const BarRect b = strip_.ButtonRect(i);
        if (int(i) == lit) {
            RECT r = {b.left, b.top, b.right, b.bottom};
            raii::Brush hi(CreateSolidBrush(colours_.Pressed()));
            FillRect(dc, &r, hi.get());
        }
        const CAlphaImage* image = images_[i];
        if (!image || !image->Loaded()) continue;
        // A picture made for the other resolution never spills onto a neighbour.
        const BarRect at = strip_.PictureRect(i, image->Width(), image->Height());
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, b.left, b.top, b.right, b.bottom);
        image->DrawTransparent(dc, at.left, at.top);
        RestoreDC(dc, saved);
    }
}

void CCaptionBarButtons::OnPenDown(int x, int y) {
    const int hit = strip_.HitTest(x, y);
    if (hit == ButtonStrip::kNone) return;
    SetCapture(hwnd_);
    pressed_ = hit;
    strip_.SetMark(hit);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CCaptionBarButtons::OnPenUp(int x, int y) {
    const int down = pressed_;
    pressed_ = ButtonStrip::kNone;
    if (GetCapture() == hwnd_) ReleaseCapture();
    if (down == ButtonStrip::kNone) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    // Lifting the pen off the button it went down on takes the tap back, as with
    // any push button: a slip must not delete a message.
    if (strip_.HitTest(x, y) == down) Report(strip_.Id(size_t(down)));
}

void CCaptionBarButtons::OnKey(WPARAM vk, LPARAM lp) {
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
        strip_.SetMark(strip_.Step(vk == VK_LEFT ? -1 : +1));
        InvalidateRect(hwnd_, nullptr, FALSE);
        break;
    case VK_RETURN: {
        const int id = strip_.MarkedId();
        if (id != ButtonStrip::kNone) Report(id);
        break;
    }
    case VK_ESCAPE:
        // The popup's key, not the strip's: with the focus here the owner would
        // never hear it and could not be closed from the keyboard.
        SendMessageW(owner_, WM_KEYDOWN, vk, lp);
        break;
    case VK_UP:
    case VK_DOWN:
        if (takesFocus_)
            SendMessageW(owner_, WM_KEYDOWN, vk, lp);
        else if (vk == VK_DOWN)
            SetFocus(owner_);
        break;
    }
}

void CCaptionBarButtons::Report(int id) {
    // Last thing done here: the owner may destroy the strip in answer.
    SendMessageW(owner_, WM_DR_CAPTIONBUTTON, WPARAM(id), 0);
}

}  // namespace daybrim
