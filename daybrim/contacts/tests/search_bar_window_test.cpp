// The search bar's window in-process, under a parent that records what it is told:
// taps and releases send keys with their labels, the delete key's double tap and
// hold clear, a tap-and-hold opens the alphabet popup (answered as a person would),
// and a picture of every alphabet at both screen sizes (search_bar_snaps/).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cesim_shell.h"
#include "image_cache.h"
#include "raii.h"
#include "scale.h"
#include "screenshot.h"
#include "search_bar.h"

namespace {

using namespace daybrim;

struct Told {
    UINT msg;
    int wp;
    std::wstring text;
    bool operator==(const Told& o) const { return msg == o.msg && wp == o.wp && text == o.text; }
};
std::vector<Told> g_told;

LRESULT CALLBACK ParentProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SEARCHBAR_KEY || msg == WM_SEARCHBAR_ALPHABET) {
        g_told.push_back({msg, int(wp), lp ? reinterpret_cast<const wchar_t*>(lp) : L"(null)"});
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

class HoldGesture : public GesturePort {
public:
    bool Held(HWND, POINT) override { return hold; }
    bool hold = false;
};

class Bar {
public:
    explicit Bar(int width, unsigned languages = 15, int type = kAlphabetLatin) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SearchBarTestParent";
        RegisterClassW(&wc);
        parent = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, width, 60, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        env.instance = wc.hInstance;
        env.gestures = &gestures;
        bar = std::make_unique<CSearchBar>(&env);
        EXPECT_TRUE(bar->Create(parent, type, L"", languages));
        bar->Place(0, 20, width);
        g_told.clear();
    }
    ~Bar() {
        bar.reset();
        DestroyWindow(parent);
    }
    POINT Centre(int key) const {
        const KeyBox& b = bar->keys()[size_t(key - 1)];
        return POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2};
    }
    void Down(int key) {
        const POINT p = Centre(key);
        SendMessageW(bar->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    }
    void Up(int key) {
        const POINT p = Centre(key);
        SendMessageW(bar->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    void Tap(int key) {
        Down(key);
        Up(key);
    }

    HWND parent = nullptr;
    ShellEnv env;
    HoldGesture gestures;
    std::unique_ptr<CSearchBar> bar;
};

const Told Key(int k, const std::wstring& label) { return {WM_SEARCHBAR_KEY, k, label}; }
const Told kClear = {WM_SEARCHBAR_KEY, 0, L"(null)"};

TEST(SearchBarWindow, KeysAndTheDeleteKeysTapsAndHold) {
    Bar b(240);
    EXPECT_EQ(CSearchBar::Height(), [&] {
        RECT rc;
        GetClientRect(b.bar->hwnd(), &rc);
        return int(rc.bottom);
    }());
    b.Tap(1);
    b.Tap(6);
    b.Tap(9);  // one delete
    b.Tap(9);  // the second within the quick-tap time: clear
    EXPECT_EQ((std::vector<Told>{Key(1, L"abc"), Key(6, L"pqrs"), Key(9, L""), kClear, Key(9, L"")}), g_told);
    EXPECT_EQ(nullptr, GetCapture());

    g_told.clear();
    SendMessageW(b.bar->hwnd(), WM_TIMER, kQuickTapTimer, 0);
    b.Down(9);
    EXPECT_EQ(b.bar->hwnd(), GetCapture());
    SendMessageW(b.bar->hwnd(), WM_TIMER, kHoldTimer, 0);  // held 800 ms
    b.Up(9);
    EXPECT_EQ((std::vector<Told>{kClear, Key(9, L"")}), g_told);
}

TEST(SearchBarWindow, TapAndHoldChoosesAnAlphabet) {
    Bar b(240, 1 | 8);
    b.gestures.hold = true;
    // Latin is current: the popup offers none, Greek, skinned.
    CeSim_SetMenuAnswer(L"#2");
    b.Tap(3);
    EXPECT_EQ((std::vector<Told>{{WM_SEARCHBAR_ALPHABET, kAlphabetGreek, L""}}), g_told);
    // Holding the delete key never opens it.
    g_told.clear();
    b.Down(9);
    b.Up(9);
    EXPECT_EQ((std::vector<Told>{Key(9, L"")}), g_told);
    // The tab relabels the bar with the choice.
    b.bar->SetAlphabet(kAlphabetGreek, L"");
    g_told.clear();
    b.gestures.hold = false;
    b.Tap(8);
    EXPECT_EQ((std::vector<Told>{Key(8, L"χψω")}), g_told);
}

TEST(SearchBarWindow, NoLanguageNoPopup) {
    Bar b(240, 0);
    b.gestures.hold = true;
    CeSim_SetMenuAnswer(L"#1");
    b.Tap(2);
    EXPECT_EQ((std::vector<Told>{Key(2, L"def")}), g_told);
    CeSim_SetMenuAnswer(nullptr);
}

TEST(SearchBarWindow, DPadWalksTheKeys) {
    Bar b(240, 15, kAlphabetHebrew);
    b.bar->FocusPrevious();
    b.bar->PressFocused();
    b.bar->FocusNext();
    b.bar->FocusNext();
    b.bar->PressFocused();
    EXPECT_EQ((std::vector<Told>{Key(9, L""), Key(2, L"דהו")}), g_told);
}

TEST(SearchBarWindow, PicturesOfEveryAlphabet) {
    for (bool vga : {false, true}) {
        SetForcedVga(vga);
        const int width = vga ? 480 : 240;
        for (int type = kAlphabetNone; type <= kAlphabetSkinned; ++type) {
            Bar b(width, 15, type);
            if (type == kAlphabetLatin) {
                b.Down(5);  // a pressed key in the highlight colours
                b.bar->ShowFocus(false);
            }
            today::Pixels px;
            ASSERT_TRUE(today::CaptureWindow(b.bar->hwnd(), &px));
            EXPECT_EQ(width, px.width);
            EXPECT_EQ(CSearchBar::Height(), px.height);
            CreateDirectoryW(SNAP_DIR, nullptr);
            const std::wstring name = std::wstring(SNAP_DIR) + L"/bar_" + std::to_wstring(type) + (vga ? L"_480" : L"_240") + L".png";
            EXPECT_TRUE(today::SavePng(px, name));
            if (type == kAlphabetLatin) b.Up(5);
        }
    }
    SetForcedVga(false);
}

// The skinned keys are the installed key-strip picture: on a bar narrower or
// wider than the picture each key's label still sits in the middle of the box
// a tap lands in, the delete key included.
TEST(SearchBarWindow, SkinnedPictureFollowsTheKeyBoxes) {
    for (bool vga : {false, true}) {
        SetForcedVga(vga);
        raii::Library res(LoadLibraryW(vga ? L"\\Program Files\\Olvane\\Daybrim\\HighDpiRes.dll"
                                           : L"\\Program Files\\Olvane\\Daybrim\\LowDpiRes.dll"));
        ASSERT_TRUE(res);
        CImageCache images;
        images.Load(res.get(), vga, L"");
        ASSERT_TRUE(images.Image(kImgContactsSearchKeys).Loaded());
        const int scale = vga ? 2 : 1;
        for (int width : {188 * scale, 240 * scale, 300 * scale}) {
            SCOPED_TRACE(testing::Message() << width << (vga ? " vga" : ""));
            Bar b(width, 15, kAlphabetSkinned);
            b.env.images = &images;
            today::Pixels px;
            ASSERT_TRUE(today::CaptureWindow(b.bar->hwnd(), &px));
            ASSERT_EQ(width, px.width);
            for (int k = 0; k < 9; ++k) {
                const KeyBox& box = b.bar->keys()[size_t(k)];
                // Label and delete glyph are the strip's only dark pixels.
                long sum = 0, n = 0;
                for (int y = 0; y < px.height; ++y)
                    for (int x = 0; x < px.width; ++x) {
                        const COLORREF c = px.At(x, y);
                        if (GetRValue(c) + GetGValue(c) + GetBValue(c) >= 300) continue;
                        if (x < box.left || x >= box.right) continue;
                        sum += x;
                        ++n;
                    }
                ASSERT_GT(n, 0) << "key " << k + 1 << " shows nothing";
                const int centre = (box.left + box.right) / 2, quarter = (box.right - box.left) / 4;
                EXPECT_NEAR(centre, int(sum / n), quarter) << "key " << k + 1;
            }
        }
    }
    SetForcedVga(false);
}

}  // namespace
