// The popups' two small widgets, created in-process over an owner window that
// records what it is told: the caption-bar button strip (placement, painting,
// the pen with capture, the D-pad, disabled buttons) and the title-bar button
// (the owner's pixels under its picture, composed once; a tap reported).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "blend.h"
#include "caption_buttons.h"
#include "raii.h"
#include "title_button.h"

namespace {

using namespace daybrim;

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kOwnerBlue = RGB(20, 40, 160);

// A 16x16 picture: an opaque red 8x8 square in the middle, transparent around it.
CAlphaImage Picture() {
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 16, 0, 32, 0x28};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool in = x >= 4 && x < 12 && y >= 4 && y < 12;
            tga.insert(tga.end(), {0, 0, 255, uint8_t(in ? 255 : 0)});
        }
    CAlphaImage img;
    EXPECT_EQ(S_OK, img.LoadTgaBytes(tga.data(), tga.size()));
    return img;
}

struct Told {
    UINT msg;
    WPARAM wp;
};

class Owner {
public:
    Owner(int x, int y, int w, int h) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Owner::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = Brush();
        wc.lpszClassName = L"WidgetTestOwner";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, L"WidgetTestOwner", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, x, y, w, h,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        told().clear();
        onTold() = nullptr;
        SetForegroundWindow(hwnd);
        SetActiveWindow(hwnd);
        UpdateWindow(hwnd);
    }
    ~Owner() {
        DestroyWindow(hwnd);
        onTold() = nullptr;
    }
    static std::vector<Told>& told() {
        static std::vector<Told> t;
        return t;
    }
    static std::function<void(UINT, WPARAM)>& onTold() {
        static std::function<void(UINT, WPARAM)> f;
        return f;
    }
    HWND hwnd;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_DR_CAPTIONBUTTON || m == WM_DR_TITLEBUTTON || m == WM_KEYDOWN) {
            told().push_back({m, wp});
            if (onTold()) onTold()(m, wp);
            return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    }
    static HBRUSH Brush() {
        static HBRUSH b = CreateSolidBrush(kOwnerBlue);  // the class's, for the test process
        return b;
    }
};

void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

COLORREF PixelOf(HWND hwnd, int x, int y) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    const COLORREF c = GetPixel(raii::WindowDC(hwnd).get(), x, y);
    return c;
}

void Tap(HWND hwnd, int x, int y, int upX, int upY) {
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
}

void Key(HWND hwnd, WPARAM vk) { SendMessageW(hwnd, WM_KEYDOWN, vk, 1); }

std::vector<WPARAM> Reported() {
    std::vector<WPARAM> ids;
    for (const Told& t : Owner::told())
        if (t.msg == WM_DR_CAPTIONBUTTON) ids.push_back(t.wp);
    return ids;
}

const CaptionColours kColours = {RGB(10, 60, 120), RGB(250, 250, 250)};

}  // namespace

TEST(CaptionBarButtons, RightAlignedInTheOwnerCaptionAndPaintedOverItsColour) {
    Owner owner(10, 10, 200, 150);
    const CAlphaImage pic = Picture();
    CCaptionBarButtons strip;
    ASSERT_TRUE(strip.Create(owner.hwnd, GetModuleHandleW(nullptr), false, {{6, &pic}, {5, &pic}, {0, &pic}},
                             kColours));
    RECT rc;
    GetWindowRect(strip.hwnd(), &rc);
    MapWindowPoints(nullptr, owner.hwnd, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(140, rc.left);
    EXPECT_EQ(200, rc.right);
    EXPECT_EQ(3, rc.top);
    EXPECT_EQ(19, rc.bottom);

    EXPECT_EQ(kColours.background, PixelOf(strip.hwnd(), 1, 1)) << "not focused: no mark shows";
    EXPECT_EQ(kRed, PixelOf(strip.hwnd(), 8, 8));
    EXPECT_EQ(kColours.background, PixelOf(strip.hwnd(), 18, 8)) << "the gap";
    EXPECT_EQ(kRed, PixelOf(strip.hwnd(), 48, 8));
}

// Pictures made for another resolution: one twice the square (alpha planes) and
// one half of it (a plain bitmap on the transparent key), both solid red.
TEST(CaptionBarButtons, PicturesOfAnotherSizeStayCentredInsideTheirSquare) {
    Owner owner(10, 10, 200, 150);
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 32, 0, 32, 0x28};
    for (int i = 0; i < 32 * 32; ++i) tga.insert(tga.end(), {0, 0, 255, 255});
    CAlphaImage large;
    ASSERT_EQ(S_OK, large.LoadTgaBytes(tga.data(), tga.size()));
    CAlphaImage small;
    {
        raii::WindowDC screen(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen.get(), 8, 8);
        raii::MemDC mem(CreateCompatibleDC(screen.get()));
        raii::Select sel(mem.get(), b);
        const RECT r = {0, 0, 8, 8};
        raii::Brush red(CreateSolidBrush(kRed));
        FillRect(mem.get(), &r, red.get());
        small.SetBitmap(b, RGB(0, 255, 0));
    }
    CCaptionBarButtons strip;
    ASSERT_TRUE(strip.Create(owner.hwnd, GetModuleHandleW(nullptr), false, {{1, &large}, {2, &small}}, kColours));
    const struct {
        int x, y;
        COLORREF want;
        const char* where;
    } probes[] = {
        {0, 0, kRed, "the large picture fills its square"},
        {15, 15, kRed, "to its far corner"},
        {16, 8, kColours.background, "and stops at its edge"},
        {19, 8, kColours.background, "short of the next square"},
        {21, 8, kColours.background, "the small picture leaves a margin"},
        {23, 3, kColours.background, "above it too"},
        {24, 4, kRed, "its first pixel four in from both sides"},
        {31, 11, kRed, "its last"},
        {32, 12, kColours.background, "and the margin beyond"},
    };
    for (const auto& p : probes) EXPECT_EQ(p.want, PixelOf(strip.hwnd(), p.x, p.y)) << p.where;
}

TEST(CaptionBarButtons, ThePenPressesCapturesAndReportsOnlyWhereItWentDown) {
    Owner owner(10, 10, 200, 150);
    const CAlphaImage pic = Picture();
    CCaptionBarButtons strip;
    ASSERT_TRUE(strip.Create(owner.hwnd, GetModuleHandleW(nullptr), false, {{6, &pic}, {5, &pic}, {0, &pic}},
                             kColours));
    HWND s = strip.hwnd();
    SendMessageW(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 8));
    EXPECT_EQ(s, GetCapture());
    EXPECT_EQ(BlendColour(kColours.accent, kColours.background, 204), PixelOf(s, 21, 1)) << "pressed: 80 % blend";
    EXPECT_EQ(kColours.background, PixelOf(s, 1, 1));
    SendMessageW(s, WM_LBUTTONUP, 0, MAKELPARAM(26, 9));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(std::vector<WPARAM>({5}), Reported());
    EXPECT_EQ(kColours.background, PixelOf(s, 21, 1));

    // Slid off to another button, or out of the strip: taken back.
    Owner::told().clear();
    Tap(s, 25, 8, 45, 8);
    Tap(s, 45, 8, 45, 300);
    EXPECT_TRUE(Reported().empty());
    // Down in the gap between buttons presses nothing.
    SendMessageW(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(17, 8));
    EXPECT_EQ(nullptr, GetCapture());
    SendMessageW(s, WM_LBUTTONUP, 0, MAKELPARAM(17, 8));
    // Losing the capture mid-tap cancels it.
    SendMessageW(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 8));
    ReleaseCapture();
    EXPECT_EQ(ButtonStrip::kNone, strip.Pressed());
    SendMessageW(s, WM_LBUTTONUP, 0, MAKELPARAM(5, 8));
    // So does disabling the button under the pen.
    SendMessageW(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 8));
    strip.Enable(6, false);
    EXPECT_EQ(nullptr, GetCapture());
    SendMessageW(s, WM_LBUTTONUP, 0, MAKELPARAM(5, 8));
    EXPECT_TRUE(Reported().empty());
}

TEST(CaptionBarButtons, TheDpadMovesTheFocusedMarkOverEnabledButtonsAndEnterReports) {
    Owner owner(10, 10, 200, 150);
    const CAlphaImage pic = Picture();
    CCaptionBarButtons strip;
    ASSERT_TRUE(strip.Create(owner.hwnd, GetModuleHandleW(nullptr), true,
                             {{6, &pic}, {5, &pic}, {4, &pic}, {0, &pic}}, kColours));
    HWND s = strip.hwnd();
    EXPECT_EQ(s, GetFocus());
    EXPECT_EQ(0, strip.strip().Mark());
    const COLORREF lit = kColours.Pressed();
    EXPECT_EQ(lit, PixelOf(s, 1, 1)) << "the focused mark shows";

    EXPECT_TRUE(strip.Enable(5, false));
    EXPECT_FALSE(strip.Enable(77, false));
    EXPECT_EQ(kColours.background, PixelOf(s, 28, 8)) << "a disabled button is not drawn";
    Tap(s, 25, 8, 25, 8);
    EXPECT_TRUE(Reported().empty()) << "nor hit";

    // The keys reach the mark (its wrap-around rules are ButtonStrip's).
    Key(s, VK_RIGHT);
    EXPECT_EQ(2, strip.strip().Mark());
    EXPECT_EQ(lit, PixelOf(s, 41, 1));
    EXPECT_EQ(kColours.background, PixelOf(s, 1, 1));
    Key(s, VK_LEFT);
    Key(s, VK_LEFT);
    EXPECT_EQ(3, strip.strip().Mark());
    Key(s, VK_RETURN);
    EXPECT_EQ(std::vector<WPARAM>({0}), Reported());

    // Up and Down go on to the owner.
    Owner::told().clear();
    Key(s, VK_UP);
    Key(s, VK_DOWN);
    ASSERT_EQ(2u, Owner::told().size());
    EXPECT_EQ(UINT(WM_KEYDOWN), Owner::told()[0].msg);
    EXPECT_EQ(WPARAM(VK_UP), Owner::told()[0].wp);
    EXPECT_EQ(WPARAM(VK_DOWN), Owner::told()[1].wp);
    EXPECT_EQ(s, GetFocus());
}

// Escape closes the popup the strip sits in: it reaches the owner whether the
// strip took the focus itself or was given it, and nothing is reported.
TEST(CaptionBarButtons, EscapeGoesOnToTheOwnerInEitherFocusMode) {
    for (bool takesFocus : {true, false}) {
        SCOPED_TRACE(takesFocus ? "takes the focus" : "given the focus");
        Owner owner(10, 10, 200, 150);
        const CAlphaImage pic = Picture();
        CCaptionBarButtons strip;
        ASSERT_TRUE(strip.Create(owner.hwnd, GetModuleHandleW(nullptr), takesFocus, {{1, &pic}, {2, &pic}}, kColours));
        SetFocus(strip.hwnd());
        Key(strip.hwnd(), VK_ESCAPE);
        ASSERT_EQ(1u, Owner::told().size());
        EXPECT_EQ(UINT(WM_KEYDOWN), Owner::told()[0].msg);
        EXPECT_EQ(WPARAM(VK_ESCAPE), Owner::told()[0].wp);
        EXPECT_TRUE(Reported().empty());
    }
}

TEST(CaptionBarButtons, WithoutTheFocusFlagDownHandsTheFocusBack) {
    Owner owner(10, 10, 200, 150);
    const CAlphaImage pic = Picture();
    CCaptionBarButtons strip;
    ASSERT_TRUE(strip.Create(owner.hwnd, GetModuleHandleW(nullptr), false, {{1, &pic}, {2, &pic}}, kColours));
    EXPECT_NE(strip.hwnd(), GetFocus());
    SetFocus(strip.hwnd());
    ASSERT_EQ(strip.hwnd(), GetFocus());
    Key(strip.hwnd(), VK_UP);
    EXPECT_EQ(strip.hwnd(), GetFocus());
    Key(strip.hwnd(), VK_DOWN);
    EXPECT_EQ(owner.hwnd, GetFocus());
    EXPECT_TRUE(Owner::told().empty());
}

TEST(CaptionBarButtons, TheOwnerMayDestroyTheStripWhenTold) {
    Owner owner(10, 10, 200, 150);
    const CAlphaImage pic = Picture();
    auto strip = std::make_unique<CCaptionBarButtons>();
    ASSERT_TRUE(strip->Create(owner.hwnd, GetModuleHandleW(nullptr), true, {{3, &pic}}, kColours));
    HWND s = strip->hwnd();
    Owner::onTold() = [&](UINT m, WPARAM) {
        if (m == WM_DR_CAPTIONBUTTON) strip.reset();
    };
    Key(s, VK_RETURN);
    EXPECT_EQ(nullptr, strip);
    EXPECT_FALSE(IsWindow(s));
    Owner::onTold() = nullptr;
    auto again = std::make_unique<CCaptionBarButtons>();
    ASSERT_TRUE(again->Create(owner.hwnd, GetModuleHandleW(nullptr), false, {{3, &pic}}, kColours));
    s = again->hwnd();
    Owner::onTold() = [&](UINT m, WPARAM) {
        if (m == WM_DR_CAPTIONBUTTON) again.reset();
    };
    Tap(s, 5, 5, 5, 5);
    EXPECT_EQ(nullptr, again);
    Pump();
}

TEST(TitleBarButton, ShowsTheOwnerUnderItsPictureComposedOnceAndReportsATap) {
    Owner owner(20, 20, 200, 100);
    const CAlphaImage pic = Picture();
    CTitleBarButton button;
    ASSERT_TRUE(button.Create(owner.hwnd, GetModuleHandleW(nullptr), 7, &pic, 20 + 170, 20 + 3));
    EXPECT_TRUE(button.Composed());
    EXPECT_TRUE(IsWindowVisible(button.hwnd()));
    EXPECT_EQ(owner.hwnd, GetWindow(button.hwnd(), GW_OWNER));
    RECT rc;
    GetWindowRect(button.hwnd(), &rc);
    EXPECT_EQ(16, rc.right - rc.left);
    EXPECT_EQ(kOwnerBlue, PixelOf(button.hwnd(), 0, 0));
    EXPECT_EQ(kOwnerBlue, PixelOf(button.hwnd(), 15, 15));
    EXPECT_EQ(kRed, PixelOf(button.hwnd(), 8, 8));

    // The owner repaints in another colour: the button keeps what it composed.
    HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
    HBRUSH old = reinterpret_cast<HBRUSH>(
        SetClassLongPtrW(owner.hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(green)));
    RedrawWindow(owner.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(kOwnerBlue, PixelOf(button.hwnd(), 0, 0));
    SetClassLongPtrW(owner.hwnd, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(old));
    DeleteObject(green);

    EXPECT_EQ(MA_NOACTIVATE, SendMessageW(button.hwnd(), WM_MOUSEACTIVATE, WPARAM(owner.hwnd), 0));
    SendMessageW(button.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 8));
    ASSERT_EQ(1u, Owner::told().size());
    EXPECT_EQ(UINT(WM_DR_TITLEBUTTON), Owner::told()[0].msg);
    EXPECT_EQ(WPARAM(7), Owner::told()[0].wp);
    button.Destroy();
    EXPECT_EQ(nullptr, button.hwnd());
}
