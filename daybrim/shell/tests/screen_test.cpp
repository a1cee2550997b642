// The item inside the real Today screen, on a screenshot: it gets the band below
// the navigation bar and shows its loading text until its tabs exist.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include "raii.h"
#include "today_screen.h"

namespace {

const wchar_t kItems[] = L"Software\\OlvaneTest\\DaybrimItems";

bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; }

}  // namespace

TEST(DaybrimOnTheTodayScreen, ShowsTheLoadingTextInItsBand) {
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim");
    {
        // Still waiting out its loading delay: the tabs come later.
        raii::Key k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim", 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, k.out(), nullptr));
        const DWORD delay = 30;
        RegSetValueExW(k.get(), L"LoadingDelay", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&delay), sizeof delay);
    }
    {
        raii::Key k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kItems) + L"\\Daybrim").c_str(), 0,
                                                 nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr));
        const std::wstring dll = DAYBRIM_DLL;
        RegSetValueExW(k.get(), L"DLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                       DWORD((dll.size() + 1) * 2));
    }
    today::ScreenOptions opt;
    opt.itemsRoot = HKEY_CURRENT_USER;
    opt.itemsKey = kItems;
    opt.pollMs = 0;
    today::TodayScreen screen(opt);
    ASSERT_TRUE(screen.Create(GetModuleHandleW(nullptr)));
    screen.LoadItems();
    ASSERT_EQ(1u, screen.model().Count());
    HWND item = screen.model().Item(0).hwndCustom;
    wchar_t cls[32];
    GetClassNameW(item, cls, 32);
    EXPECT_STREQ(L"QuorvelWnd", cls);
    EXPECT_GE(screen.model().Item(0).cyp, 80u);  // fills the screen, at least its least height

    today::Pixels px;
    ASSERT_TRUE(screen.Capture(&px));
    RECT rc;
    GetWindowRect(item, &rc);
    const int mid = (rc.top + rc.bottom) / 2;
    int dark = 0;
    for (int y = mid - 6; y <= mid + 6; ++y)
        for (int x = rc.left; x < rc.right; ++x) dark += Dark(px.At(x, y));
    EXPECT_GT(dark, 40);  // "Daybrim loading..." across the middle
    int darkAbove = 0;
    for (int x = rc.left; x < rc.right; ++x) darkAbove += Dark(px.At(x, rc.top + 4));
    EXPECT_EQ(0, darkAbove);  // elsewhere the Today background shows through

    screen.UnloadItems();
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OlvaneTest");
    SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim");
}
