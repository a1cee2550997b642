// The finder's main window: one instance per device, the resolution library that
// fits the screen, and the menu's alphabet and keyboard radio items, which show the
// settings and change them; the keys, the focus and the expanded view's lifetime.
#include <windows.h>

#include <commctrl.h>
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

// --- Keys, focus and the expanded view's lifetime ---------------------------------

namespace {

std::vector<std::wstring> g_calls;

LONG WINAPI RecordCall(PHONEMAKECALLINFO* info) {
    g_calls.push_back(info->pszDestAddress ? info->pszDestAddress : L"");
    return 0;
}

// The finder's dialling goes to g_calls while this lives.
struct CallLog {
    CallLog() {
        g_calls.clear();
        tallyra::TheApp().makeCall = &RecordCall;
    }
    ~CallLog() { tallyra::TheApp().makeCall = nullptr; }
};

const LPARAM kFirstDown = 1, kRepeatDown = 0x40000001, kUp = LPARAM(0xC0000001);

void Send(HWND to, UINT msg, WPARAM key, LPARAM lp) {
    SendMessageW(to, msg, key, lp);
    Pump();
}

std::wstring SelectedTitle(Finder& f) {
    const tallyra::CContactRecord* r = f.wnd().list().SelectedRecord();
    return r ? r->title.c_str() : L"";
}

bool Select(Finder& f, const std::wstring& title) {
    for (int i = 0; i < 10 && SelectedTitle(f) != title; ++i) Send(f.hwnd(), WM_KEYDOWN, VK_DOWN, kFirstDown);
    return SelectedTitle(f) == title;
}

HWND ViewList(HWND view) { return FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr); }

// A finger on the window at (x, y) of its client area, as the input queue brings it.
void Tap(HWND hwnd, int x, int y) {
    PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Pump();
}

bool g_viewClosed = false;

BOOL CALLBACK CloseDialog(HWND hwnd, LPARAM) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (!IsWindowVisible(hwnd) || lstrcmpW(cls, L"#32770") != 0) return TRUE;
    PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
    g_viewClosed = true;
    return FALSE;
}

// Closes the expanded view once its modal loop is idle.
void CALLBACK CloseView(HWND, UINT, UINT_PTR, DWORD) {
    if (!g_viewClosed) EnumThreadWindows(GetCurrentThreadId(), CloseDialog, 0);
}

}  // namespace

TEST(FinderKeys, OneTalkPressDialsOnceInTheWindowThatSawItsKeyDown) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    settings.Set(kGeneral, L"PostOperationBehavior", 1);
    Finder f;
    ASSERT_TRUE(f.started());
    CallLog calls;

    // Pressed in the view: the call closes it and clears the search, and the key-up
    // then reaches the main list, whose row 0 is another contact.
    ASSERT_TRUE(Select(f, L"Smith, John"));
    ASSERT_TRUE(WithExpandedView(f, [](HWND view) { SendMessageW(ViewList(view), WM_KEYDOWN, VK_F3, kFirstDown); }));
    EXPECT_EQ(L"Adams, Ella", SelectedTitle(f)) << "the search was cleared";
    Send(f.hwnd(), WM_KEYUP, VK_F3, kUp);
    EXPECT_EQ(std::vector<std::wstring>{L"+1 555 0501"}, g_calls);

    // Pressed in the main list while the dialler takes the foreground and with it the
    // key-up: the next press, whether it brings a key-down or only a key-up, dials.
    g_calls.clear();
    Send(f.hwnd(), WM_KEYDOWN, VK_F3, kFirstDown);
    Send(f.hwnd(), WM_KEYDOWN, VK_F3, kRepeatDown);
    Send(f.hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    Send(f.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    Send(f.hwnd(), WM_KEYUP, VK_F3, kUp);
    Send(f.hwnd(), WM_KEYDOWN, VK_F3, kFirstDown);
    Send(f.hwnd(), WM_KEYUP, VK_F3, kUp);
    EXPECT_EQ(3u, g_calls.size());
}

TEST(FinderKeys, AHeldReturnInTheViewStartsOneAction) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    CallLog calls;
    ASSERT_TRUE(Select(f, L"Baker, John"));
    bool open = false;
    ASSERT_TRUE(WithExpandedView(f, [&](HWND view) {
        HWND list = ViewList(view);
        SendMessageW(list, WM_KEYDOWN, VK_RETURN, kFirstDown);
        for (int i = 0; i < 3; ++i) SendMessageW(list, WM_KEYDOWN, VK_RETURN, kRepeatDown);
        SendMessageW(list, WM_KEYUP, VK_RETURN, kUp);
        open = IsWindow(view) != FALSE;
    }));
    EXPECT_TRUE(open) << "behaviour 0 keeps the view open";
    EXPECT_EQ(std::vector<std::wstring>{L"+1 555 0201"}, g_calls);
}

TEST(FinderKeys, TappedKeysAndRowsLeaveTheKeysWithTheMainWindow) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    CallLog calls;
    ASSERT_EQ(f.hwnd(), GetFocus());

    // A key of the on-screen keyboard: it types its letter group and gives the focus back.
    HWND key = f.wnd().keyboard().Key(0);
    ASSERT_NE(nullptr, key);
    Tap(key, 5, 5);
    EXPECT_EQ(1u, f.wnd().list().model().search().size()) << "the tap reached the search";
    EXPECT_EQ(f.hwnd(), GetFocus());

    // A row of the list: it opens the contact, and once the view is closed the list
    // has the focus it took with the tap; the main window takes it back.
    Send(f.hwnd(), tallyra::WM_TL_CLEARSEARCH, 0, 0);
    g_viewClosed = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 0, CloseView);
    Tap(f.wnd().list().hwnd(), 5, f.wnd().list().RowHeight() + 2);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_viewClosed) << "the tap opened no view";
    EXPECT_EQ(L"Baker, John", SelectedTitle(f)) << "the tap selected the second row";
    EXPECT_EQ(f.hwnd(), GetFocus());

    // Keys go where the focus is: Down moves the selection, Talk dials it.
    Send(GetFocus(), WM_KEYDOWN, VK_DOWN, kFirstDown);
    EXPECT_EQ(L"Cohen, Dana", SelectedTitle(f));
    Send(GetFocus(), WM_KEYDOWN, VK_F3, kFirstDown);
    Send(GetFocus(), WM_KEYUP, VK_F3, kUp);
    EXPECT_EQ(std::vector<std::wstring>{L"+1 555 0301"}, g_calls);
}

TEST(FinderKeys, ClearingAnEmptySearchStillFocusesTheFirstRow) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    ASSERT_TRUE(Select(f, L"Fox, Ella"));
    Send(f.hwnd(), tallyra::WM_TL_CLEARSEARCH, 0, 0);
    EXPECT_EQ(L"Adams, Ella", SelectedTitle(f));
    EXPECT_EQ(0, int(SendMessageW(f.wnd().list().hwnd(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)));
}

namespace {

HWND g_watched = nullptr;
WNDPROC g_procAtEnd = nullptr;

LRESULT CALLBACK WatchDestroy(int code, WPARAM wp, LPARAM lp) {
    auto cwp = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (code == HC_ACTION && cwp->hwnd == g_watched && cwp->message == WM_NCDESTROY)
        g_procAtEnd = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(cwp->hwnd, GWLP_WNDPROC));
    return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

TEST(FinderLifetime, TheViewsListIsDestroyedByItsOwnProcedure) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    WNDCLASSW cls = {};
    ASSERT_TRUE(GetClassInfoW(nullptr, WC_LISTVIEWW, &cls));
    g_watched = nullptr;
    g_procAtEnd = nullptr;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchDestroy, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    EXPECT_TRUE(WithExpandedView(f, [](HWND view) { g_watched = ViewList(view); }));
    UnhookWindowsHookEx(hook);
    ASSERT_NE(nullptr, g_watched);
    EXPECT_EQ(cls.lpfnWndProc, g_procAtEnd) << "the list's last messages missed its own procedure";
}

TEST(FinderLifetime, IconMovesAndExit) {
    SettingsScope settings;
    ContactFixture contacts(SampleContacts());
    Finder f;
    ASSERT_TRUE(f.started());
    EXPECT_NE(0u, GetClassLongPtrW(f.hwnd(), GCLP_HICON)) << "the window class has the program's icon";

    // A move keeps the keys; a new size builds them again to fit.
    HWND key = f.wnd().keyboard().Key(0);
    RECT rc;
    GetWindowRect(f.hwnd(), &rc);
    MoveWindow(f.hwnd(), rc.left, rc.top + 1, rc.right - rc.left, rc.bottom - rc.top, TRUE);
    Pump();
    EXPECT_EQ(key, f.wnd().keyboard().Key(0));
    MoveWindow(f.hwnd(), rc.left, rc.top, rc.right - rc.left - 20, rc.bottom - rc.top, TRUE);
    Pump();
    RECT client, keys;
    GetClientRect(f.hwnd(), &client);
    GetWindowRect(f.wnd().keyboard().hwnd(), &keys);
    EXPECT_EQ(client.right, keys.right - keys.left);

    // Once the window is gone the keyboard holds no key handles to destroy later.
    DestroyWindow(f.hwnd());
    Pump();
    EXPECT_EQ(nullptr, f.wnd().keyboard().Key(0));
}
