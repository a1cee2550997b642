// The tab bar of the item loaded by the Today screen, tapped with the stylus: the
// switch goes through the item's own host window, which shows the tab and keeps
// "ActiveTab", with the bar upright and across.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>

#include "cesim_shell.h"
#include "reg.h"
#include "runner.h"
#include "today_screen.h"

namespace {

const wchar_t kRoot[] = L"Software\\Olvane\\Daybrim";
const wchar_t kItems[] = L"Software\\OlvaneTest\\DaybrimItems";

class TabBarOnTheTodayScreen : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
        // Taps, whatever the device says of held pens: a held one would open a menu.
        CeSim_SetGestureHold(0);
        reg::SetDword(HKEY_CURRENT_USER, kRoot, L"VerticalTabs", GetParam() ? 1 : 0);
        reg::SetDword(HKEY_CURRENT_USER, kRoot, L"EnableSoundEffect", 0);
        reg::SetString(HKEY_CURRENT_USER, (std::wstring(kItems) + L"\\Daybrim").c_str(), L"DLL", DAYBRIM_DLL);
    }
    void TearDown() override {
        CeSim_SetGestureHold(CESIM_NO_OVERRIDE);
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OlvaneTest");
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
    }
    DWORD ActiveTab() const { return reg::Dword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 1); }
};

// The screen point of button `i` at 96 dpi with nothing scrolled: one every 23
// pixels down an upright bar; across, 20 wide and packed against the right end
// beside the settings icon.
POINT ButtonOnScreen(HWND bar, bool vertical, int i, int count) {
    RECT r;
    GetWindowRect(bar, &r);
    if (vertical) return POINT{r.left + 10, r.top + i * 23 + 11};
    const int w = r.right - r.left;
    const int strip = std::min(count * 20, w - 20);
    return POINT{r.left + i * 20 - strip + w + 10, r.top + 10};
}

bool Shown(HWND item, const wchar_t* cls) {
    HWND w = FindWindowExW(item, nullptr, cls, nullptr);
    return w && IsWindowVisible(w);
}

}  // namespace

TEST_P(TabBarOnTheTodayScreen, TapSwitchesTabsAndActiveTabFollows) {
    const bool vertical = GetParam();
    today::ScreenOptions opt;
    opt.itemsRoot = HKEY_CURRENT_USER;
    opt.itemsKey = kItems;
    opt.pollMs = 0;
    today::TodayScreen screen(opt);
    ASSERT_TRUE(screen.Create(GetModuleHandleW(nullptr)));
    screen.LoadItems();
    ASSERT_EQ(1u, screen.model().Count());
    HWND item = screen.model().Item(0).hwndCustom;
    HWND bar = FindWindowExW(item, nullptr, L"TabBarWin", nullptr);
    ASSERT_TRUE(bar);
    today::PumpFor(0);
    EXPECT_TRUE(Shown(item, L"DRCalendarTab"));

    POINT notes = ButtonOnScreen(bar, vertical, 2, 6);
    screen.Tap(notes.x, notes.y, false);
    today::PumpFor(0);
    EXPECT_EQ(3u, ActiveTab());
    EXPECT_TRUE(Shown(item, L"DRNotesTab"));
    EXPECT_FALSE(Shown(item, L"DRCalendarTab"));
    EXPECT_TRUE(Shown(item, L"DRNotesTabControl"));  // its caption

    // Again on the same button: the tab's application, no switch. The Notes
    // program shows its window; it is closed so that it does not outlive the test
    // (it shares the test's output and would hold the runner).
    screen.Tap(notes.x, notes.y, false);
    today::PumpFor(0);
    EXPECT_EQ(3u, ActiveTab());
    EXPECT_TRUE(Shown(item, L"DRNotesTab"));
    HWND program = nullptr;
    for (int i = 0; i < 500 && !(program = FindWindowW(L"Notes", L"Notes")); ++i) Sleep(20);
    EXPECT_NE(nullptr, program) << "the Notes program was not started";
    if (program) SendMessageW(program, WM_CLOSE, 0, 0);

    POINT tasks = ButtonOnScreen(bar, vertical, 1, 6);
    screen.Tap(tasks.x, tasks.y, false);
    today::PumpFor(0);
    EXPECT_EQ(2u, ActiveTab());
    EXPECT_TRUE(Shown(item, L"DRTasksTab"));
    EXPECT_FALSE(Shown(item, L"DRNotesTab"));
    screen.UnloadItems();
}

INSTANTIATE_TEST_SUITE_P(BothBars, TabBarOnTheTodayScreen, ::testing::Bool());
