// The finder's main window: one instance per device, the resolution library that
// fits the screen, and the menu's alphabet and keyboard radio items, which show the
// settings and change them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alphabet.h"
#include "app.h"
#include "finder_harness.h"
#include "raii.h"
#include "reg.h"

using namespace tlt;

namespace {

const wchar_t kExe[] = L"D:\\Program Files\\Olvane\\Tallyra\\tallyra.exe";
const wchar_t kInstall[] = L"D:\\Program Files\\Olvane\\Tallyra\\";

// Waits for the object while answering what is sent to this thread's windows.
bool WaitPumping(HANDLE h, DWORD ms) {
    const DWORD until = GetTickCount() + ms;
    for (;;) {
        const DWORD now = GetTickCount();
        if (int(until - now) <= 0) return WaitForSingleObject(h, 0) == WAIT_OBJECT_0;
        const DWORD r = MsgWaitForMultipleObjects(1, &h, FALSE, until - now, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        Pump();
    }
}

struct Process {
    raii::Handle process, thread;
    bool Start() {
        std::wstring cmd = std::wstring(L"\"") + kExe + L"\"";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(kExe, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, L"D:\\", &si, &pi)) return false;
        process.reset(pi.hProcess);
        thread.reset(pi.hThread);
        return true;
    }
    DWORD Exit(DWORD ms) {
        DWORD code = 99;
        if (!WaitPumping(process.get(), ms)) {
            TerminateProcess(process.get(), 99);
            return 99;
        }
        GetExitCodeProcess(process.get(), &code);
        return code;
    }
};

BOOL CALLBACK CollectFinder(HWND w, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (lstrcmpW(cls, L"TALLYRA") == 0) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

std::vector<HWND> FinderWindows() {
    std::vector<HWND> found;
    EnumWindows(CollectFinder, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<UINT> CheckedItems(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &mi)) continue;
        if (mi.fState & MFS_CHECKED) {
            EXPECT_TRUE(mi.fType & MFT_RADIOCHECK) << "item " << mi.wID << " is checked but not as a radio item";
            ids.push_back(mi.wID);
        }
    }
    return ids;
}

std::vector<UINT> ItemIds(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) ids.push_back(GetMenuItemID(menu, i));
    return ids;
}

std::wstring KeyText(tallyra::CMainWnd& wnd, int id) {
    wchar_t text[32] = {};
    GetWindowTextW(wnd.keyboard().Key(id), text, 32);
    return text;
}

int CapHeight(HMODULE library) {
    raii::Bitmap cap(static_cast<HBITMAP>(LoadImageW(library, MAKEINTRESOURCEW(1112), IMAGE_BITMAP, 0, 0, 0)));
    BITMAP b = {};
    return cap && GetObjectW(cap.get(), sizeof b, &b) ? b.bmHeight : 0;
}

bool Exists(const wchar_t* name) {
    return GetFileAttributesW((std::wstring(kInstall) + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TEST(FinderWindow, ASecondStartBringsTheFirstForwardAndEnds) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    ASSERT_TRUE(FinderWindows().empty()) << "a finder is already running";
    Process first;
    ASSERT_TRUE(first.Start());
    WaitForInputIdle(first.process.get(), 30000);
    HWND wnd = nullptr;
    for (int i = 0; i < 600 && !wnd; ++i) {
        auto w = FinderWindows();
        if (!w.empty()) wnd = w[0];
        else if (WaitPumping(first.process.get(), 50)) break;  // it ended instead
    }
    ASSERT_NE(nullptr, wnd) << "the finder showed no window";
    EXPECT_TRUE(IsWindowVisible(wnd));

    // Something else comes to the front; then the finder is started again.
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    SetForegroundWindow(other);
    Pump();
    ASSERT_EQ(other, GetForegroundWindow());
    Process second;
    ASSERT_TRUE(second.Start());
    EXPECT_EQ(0u, second.Exit(30000));
    Pump();
    EXPECT_EQ(std::vector<HWND>{wnd}, FinderWindows()) << "the second start made a window of its own";
    EXPECT_EQ(wnd, GetForegroundWindow());
    EXPECT_TRUE(IsWindowVisible(wnd));
    DestroyWindow(other);

    PostMessageW(wnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, first.Exit(30000));
}

TEST(FinderWindow, ResolutionLibraryByDpi) {
    // Below 144 dpi the low-resolution library, from there on the high one; the
    // other stays installed for the day the screen changes.
    SettingsScope settings;
    tallyra::App& app = tallyra::TheApp();
    app.LoadSettings();
    const int saved[2] = {app.dpiX, app.dpiY};
    for (auto [dpi, cap] : {std::pair<int, int>{96, 30}, {143, 30}, {144, 60}, {192, 60}}) {
        app.dpiX = app.dpiY = dpi;
        ASSERT_TRUE(app.LoadResolutionLibrary()) << dpi;
        EXPECT_EQ(cap, CapHeight(app.dpiRes.get())) << dpi;
        EXPECT_TRUE(Exists(L"TLLowDpiRes.dll"));
        EXPECT_TRUE(Exists(L"TLHighDpiRes.dll"));
    }
    app.dpiX = saved[0];
    app.dpiY = saved[1];
    app.dpiRes.reset();
}

class FinderWindowScreens : public ::testing::TestWithParam<int> {
protected:
    void TearDown() override { RestoreSmallScreen(); }
};

TEST_P(FinderWindowScreens, StartsWithTheLibraryOfItsScreen) {
    const int s = GetParam();
    if (!OnScreen(240 * s, 320 * s)) return;
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    EXPECT_EQ(96 * s, tallyra::TheApp().dpiY);
    EXPECT_EQ(30 * s, CapHeight(tallyra::TheApp().dpiRes.get()));
    EXPECT_EQ(90 * s, f.wnd().keyboard().Height());
    RECT rc;
    GetWindowRect(f.hwnd(), &rc);
    EXPECT_EQ(240 * s, rc.right - rc.left);
    EXPECT_EQ(26 * s, rc.top) << "below the navigation band";
    EXPECT_EQ(contacts.written(), f.wnd().list().RecordCount());
}

INSTANTIATE_TEST_SUITE_P(BothScreens, FinderWindowScreens, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int>& i) { return i.param == 1 ? "Small" : "Large"; });

TEST(FinderWindow, MenuRadiosShowAndChangeTheSettings) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    settings.Set(kGeneral, L"KeyboardMode", 3);
    settings.Set(kGeneral, L"KeyboardAlphabet", tallyra::kHebrew);
    Finder f;
    ASSERT_TRUE(f.started());
    HMENU popup = f.MenuPopup();
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdHebrew}, CheckedItems(GetSubMenu(popup, 0)));
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdMode3}, CheckedItems(GetSubMenu(popup, 1)));
    EXPECT_EQ(L"\x05D0\x05D1\x05D2", KeyText(f.wnd(), 0));

    // An alphabet: new labels, the search cleared, the setting stored, the radio moved.
    f.Key(1);
    ASSERT_EQ(1u, f.wnd().list().model().search().size());
    f.Command(tallyra::kCmdGreek);
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdGreek}, CheckedItems(GetSubMenu(f.MenuPopup(), 0)));
    EXPECT_EQ(8u, reg::Dword(HKEY_CURRENT_USER, kGeneral, L"KeyboardAlphabet", 0));
    EXPECT_EQ(8u, tallyra::TheApp().settings.KeyboardAlphabet.Get());
    EXPECT_EQ(L"\x03B1\x03B2\x03B3", KeyText(f.wnd(), 0));
    EXPECT_TRUE(f.wnd().list().model().search().empty());

    // A keyboard mode: the menu bar is made again with both radios set.
    f.Key(1);
    f.Command(tallyra::kCmdMode1);
    popup = f.MenuPopup();
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdMode1}, CheckedItems(GetSubMenu(popup, 1)));
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdGreek}, CheckedItems(GetSubMenu(popup, 0)));
    EXPECT_EQ(1u, reg::Dword(HKEY_CURRENT_USER, kGeneral, L"KeyboardMode", 0));
    EXPECT_EQ(24, f.wnd().keyboard().Height());
    EXPECT_TRUE(f.wnd().list().model().search().empty());

    // Back to the default mode: the value goes from the registry.
    f.Command(tallyra::kCmdMode2);
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdMode2}, CheckedItems(GetSubMenu(f.MenuPopup(), 1)));
    DWORD stored;
    EXPECT_FALSE(reg::HasDword(HKEY_CURRENT_USER, kGeneral, L"KeyboardMode", &stored));
    EXPECT_EQ(90, f.wnd().keyboard().Height());

    // Without a keyboard, typed letters search (spaces do nothing); with one they don't.
    SendMessageW(f.hwnd(), WM_CHAR, L'e', 1);
    EXPECT_TRUE(f.wnd().list().model().search().empty());
    f.Command(tallyra::kCmdMode0);
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdMode0}, CheckedItems(GetSubMenu(f.MenuPopup(), 1)));
    EXPECT_EQ(0, f.wnd().keyboard().Height());
    SendMessageW(f.hwnd(), WM_CHAR, L'E', 1);
    SendMessageW(f.hwnd(), WM_CHAR, L' ', 1);
    SendMessageW(f.hwnd(), WM_CHAR, L'l', 1);
    EXPECT_EQ(L"el", f.wnd().list().model().search());
    EXPECT_EQ(2u, f.wnd().list().model().visible().size());  // Adams, Ella and Fox, Ella
}

TEST(FinderWindow, TheNextStartShowsWhatWasChosen) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    {
        Finder f;
        ASSERT_TRUE(f.started());
        f.Command(tallyra::kCmdCyrillic);
        f.Command(tallyra::kCmdMode3);
    }
    Finder f;
    ASSERT_TRUE(f.started());
    HMENU popup = f.MenuPopup();
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdCyrillic}, CheckedItems(GetSubMenu(popup, 0)));
    EXPECT_EQ(std::vector<UINT>{tallyra::kCmdMode3}, CheckedItems(GetSubMenu(popup, 1)));
    EXPECT_EQ(L"\x0430\x0431\x0432\x0433", KeyText(f.wnd(), 0));
}

TEST(FinderWindow, OnlyTheActiveAlphabetsAreOffered) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    struct {
        DWORD mask;
        std::vector<UINT> items;
    } const cases[] = {
        {1, {tallyra::kCmdLatin}},
        {1 | 8, {tallyra::kCmdLatin, tallyra::kCmdGreek}},
        {2 | 4, {tallyra::kCmdLatin, tallyra::kCmdCyrillic, tallyra::kCmdHebrew}},
        {15, {tallyra::kCmdLatin, tallyra::kCmdCyrillic, tallyra::kCmdHebrew, tallyra::kCmdGreek}},
    };
    for (const auto& c : cases) {
        settings.Set(kGeneral, L"ActiveAlphabetsMask", c.mask);
        Finder f;
        ASSERT_TRUE(f.started());
        HMENU popup = f.MenuPopup();
        ASSERT_NE(nullptr, popup);
        EXPECT_EQ(c.items, ItemIds(GetSubMenu(popup, 0))) << "mask " << c.mask;
    }
}
