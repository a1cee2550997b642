// "CaptionBarButtonsCtrl": the row of small picture buttons at the right of a
// popup's caption (message and contact previews). It reports a chosen button to
// its owner with WM_DR_CAPTIONBUTTON; the pen, Left/Right/Enter and disabling by
// id work through ButtonStrip.
#pragma once
#include <windows.h>

#include <vector>

#include "alpha_image.h"
#include "button_strip.h"
#include "window.h"

namespace daybrim {

// To the owner: wParam the chosen button's id. The owner may destroy the strip
// in answer.
const UINT WM_DR_CAPTIONBUTTON = WM_USER + 220;

struct CaptionButton {
    int id = 0;
    const CAlphaImage* image = nullptr;  // not owned; the image cache outlives the popup
};

// The caption's colours as the owner paints its caption: the strip is filled with
// `background`; the pressed or focused button with `accent` blended 80 % over it.
struct CaptionColours {
    COLORREF background = RGB(255, 255, 255);
    COLORREF accent = RGB(0, 0, 0);
    COLORREF Pressed() const;
};

class CCaptionBarButtons : public win::Window {
public:
    static const wchar_t kClass[];

    // A child of `owner`, right-aligned in its caption. With `takesFocus` the strip
    // takes the keyboard focus, marks its first enabled button, and hands Up and
    // Down on to the owner; without it, Down gives the focus back to the owner.
    // Escape always goes on to the owner.
    bool Create(HWND owner, HINSTANCE inst, bool takesFocus, const std::vector<CaptionButton>& buttons,
                const CaptionColours& colours);
    void Destroy();
    // Disabled buttons are neither drawn nor hit. False for an unknown id.
    bool Enable(int id, bool on);

    const ButtonStrip& strip() const { return strip_; }
    int Pressed() const { return pressed_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnPaint();
    void Paint(HDC dc, int w, int h);
    void OnPenDown(int x, int y);
    void OnPenUp(int x, int y);
    void OnKey(WPARAM vk, LPARAM lp);
    void Report(int id);

    HWND owner_ = nullptr;
    bool takesFocus_ = false;
    ButtonStrip strip_;
    std::vector<const CAlphaImage*> images_;
    CaptionColours colours_;
    int pressed_ = ButtonStrip::kNone;  // the button the pen went down on, while it is down
};

}  // namespace daybrim
