// The settings dialog opened from the finder's menu: what the main window does with
// the answer. OK re-applies the new settings to the running finder; Cancel leaves
// the registry as it was and takes back the page changes held in memory.
#include <gtest/gtest.h>

#include "app.h"
#include "cesim_shell.h"
#include "finder_harness.h"
#include "settings_script.h"
#include "settings_ui.h"

using namespace tallyra;
using tltest::Script;

namespace {

HWND g_dlg = nullptr;

Script::Step FindDialog() {
    return [] {
        g_dlg = FindWindowW(L"#32770", L"Settings");
        return g_dlg != nullptr;
    };
}

// Opens page `row` of the list, as a tap on it does.
HWND OpenPage(int row, const wchar_t* cls) {
    HWND list = GetDlgItem(g_dlg, kIdPageList);
    LVITEMW item = {};
    item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    NMHDR nm = {list, UINT_PTR(kIdPageList), UINT(LVN_ITEMACTIVATE)};
    SendMessageW(g_dlg, WM_NOTIFY, kIdPageList, reinterpret_cast<LPARAM>(&nm));
    return FindWindowExW(g_dlg, nullptr, cls, nullptr);
}

void Pick(HWND page, int id, int index) {
    HWND combo = GetDlgItem(page, id);
    SendMessageW(combo, CB_SETCURSEL, WPARAM(index), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

DWORD Registry(const wchar_t* key, const wchar_t* name, DWORD absent) {
    DWORD v = 0, size = sizeof v;
    return RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &v, &size) == ERROR_SUCCESS ? v
                                                                                                          : absent;
}

}  // namespace

TEST(SettingsFromTheMenu, OkReappliesTheSettingsToTheRunningFinder) {
    tlt::SettingsScope settings;
    tlt::ContactFixture contacts(tlt::SampleContacts());
    tlt::Finder f;
    ASSERT_TRUE(f.started());
    ASSERT_EQ(2, f.wnd().keyboard().mode());
    Script script({
        FindDialog(),
        [] {
            HWND page = OpenPage(0, L"GeneralSettingsWin");
            EXPECT_TRUE(page != nullptr);
            Pick(page, kIdKeyboardMode, 0);
            SendMessageW(page, WM_COMMAND, 1, 0);
            SendMessageW(g_dlg, WM_COMMAND, IDOK, 0);
            return true;
        },
    });
    f.Command(kCmdSettings);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(0u, Registry(tlt::kGeneral, L"KeyboardMode", 99));
    EXPECT_EQ(0u, TheApp().settings.KeyboardMode.Get());
    EXPECT_EQ(0, f.wnd().keyboard().mode()) << "the keyboard was not rebuilt";
    EXPECT_TRUE(IsWindow(f.hwnd()));
}

TEST(SettingsFromTheMenu, CancelKeepsTheRegistryAndTakesBackThePageChanges) {
    tlt::SettingsScope settings;
    tlt::ContactFixture contacts(tlt::SampleContacts());
    tlt::Finder f;
    ASSERT_TRUE(f.started());
    CeSim_SetMessageBoxAnswer(IDYES);
    Script script({
        FindDialog(),
        [] {
            HWND page = OpenPage(1, L"LayoutSettingsWin");
            Pick(page, kIdFontSize, 16);  // 24
            SendMessageW(page, WM_COMMAND, 1, 0);
            EXPECT_EQ(24u, TheApp().settings.FontSize.Get());  // in the record only
            SendMessageW(g_dlg, WM_COMMAND, IDCANCEL, 0);
            return true;
        },
    });
    f.Command(kCmdSettings);
    CeSim_SetMessageBoxAnswer(CESIM_NO_OVERRIDE);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(12u, Registry(tlt::kLayout, L"FontSize", 12));
    EXPECT_EQ(12u, TheApp().settings.FontSize.Get());
    EXPECT_FALSE(TheApp().settings.FontSize.dirty());
}
