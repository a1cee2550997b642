// The tab bar and the tabs' captions as the user works them: the real windows in
// this process, under a host window that switches tabs as the item's host does
// (through CHostCore, which writes "ActiveTab"), with the language library's real
// menus. Menus are recorded instead of tracked and sounds instead of played;
// taps are WM_LBUTTONDOWN at client points and the pen's hold comes from the
// shell stand-in's gesture override.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bar_geometry.h"
#include "builtin_tab.h"
#include "cesim_shell.h"
#include "fakes.h"
#include "host_core.h"
#include "image_cache.h"
#include "messages.h"
#include "raii.h"
#include "reg.h"
#include "scale.h"
#include "settings.h"
#include "skin.h"
#include "tab_bar_window.h"
#include "tab_types.h"
#include "todaycmn.h"
#include "window.h"

using namespace daybrim;

namespace {

const wchar_t kRoot[] = L"Software\\Olvane\\Daybrim";
const wchar_t kTabSettings[] = L"Software\\Olvane\\Daybrim\\TabSettings";
const wchar_t kItem[] = L"Software\\Microsoft\\today\\items\\Daybrim";
const int kHostWidth = 240;

struct Shown {
    std::vector<UINT> items;      // ids of the menu's items (0 for separators and pop-ups)
    std::vector<UINT> iconItems;  // the items of an "icon" pop-up inside it
    std::vector<std::wstring> iconNames;
    int x = 0, y = 0;
    HWND owner = nullptr;
};

std::vector<UINT> Ids(HMENU m) {
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(m); ++i) ids.push_back(GetSubMenu(m, i) ? 0 : GetMenuItemID(m, i));
    return ids;
}

class RecordingMenus : public MenuPort {
public:
    void Track(HMENU menu, int x, int y, HWND owner) override {
        Shown s;
        s.items = Ids(menu);
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            HMENU sub = GetSubMenu(menu, i);
            if (!sub) continue;
            s.iconItems = Ids(sub);
            for (int k = 0; k < GetMenuItemCount(sub); ++k) {
                wchar_t text[64] = {};
                GetMenuStringW(sub, UINT(k), text, 64, MF_BYPOSITION);
                s.iconNames.push_back(text);
            }
        }
        s.x = x;
        s.y = y;
        s.owner = owner;
        shown.push_back(s);
    }
    std::vector<Shown> shown;
};

class RecordingSounds : public SoundPort {
public:
    void PlayFile(const std::wstring& path) override { played.push_back(path); }
    std::vector<std::wstring> played;
};

// A pen gesture that, like the shell's, dispatches what is posted while the pen
// is down; `during` runs first, inside that loop.
class LoopingGesture : public GesturePort {
public:
    bool Held(HWND, POINT) override {
        if (during) during();
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        return hold;
    }
    std::function<void()> during;
    bool hold = true;
};

// A configured tab with its real main and caption windows, which remembers what
// the bar asks of it beyond them.
class TestTab : public CPlaceholderTab {
public:
    TestTab(const ShellEnv* env, DWORD type) : CPlaceholderTab(env, type) {}
    void LaunchApplication() override { ++launches; }
    void PrepareMenu(HMENU) override { ++prepared; }
    bool HasAlert() override { return alert; }
    // The handheld sends no WM_MOVE to a window put back where it already is (the
    // host's layout does that to the caption); Wine does, which would hide a stale
    // caption. With `onlyRealMoves` the caption hears only real moves.
    void OnCaptionMove() override {
        HWND cap = CaptionWindow();
        if (onlyRealMoves && cap) {
            RECT r;
            GetWindowRect(cap, &r);
            MapWindowPoints(nullptr, GetParent(cap), reinterpret_cast<POINT*>(&r), 2);
            const bool same = EqualRect(&r, &lastCaption) != FALSE;
            lastCaption = r;
            if (same) return;
        }
        CPlaceholderTab::OnCaptionMove();
    }
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_DESTROY) ++mainDestroyed;
        return CPlaceholderTab::MainWindowProc(hwnd, msg, wp, lp);
    }
    void OnCaptionDestroy() override {
        ++captionDestroyed;
        CPlaceholderTab::OnCaptionDestroy();
    }
    bool onlyRealMoves = false;
    RECT lastCaption = {};
    int launches = 0, prepared = 0, mainDestroyed = 0, captionDestroyed = 0;
    bool alert = false;
};

// The item's host as far as the bar is concerned: the tab switch goes through
// CHostCore; everything else the bar and the menus send is kept.
class Host : public win::Window {
public:
    explicit Host(CSettings& s) : core(s, timers, pim) {}
    bool Make() {
        if (!Register(GetModuleHandleW(nullptr), L"TabBarTestHost", 0, nullptr)) return false;
        return CreateWin(0, L"TabBarTestHost", L"", WS_POPUP | WS_VISIBLE, 0, 0, kHostWidth, 200, nullptr,
                         GetModuleHandleW(nullptr)) != nullptr;
    }
    fakes::Timers timers;
    fakes::Pim pim;
    CHostCore core;
    std::vector<int> selected;
    std::vector<int> scrollWhenSelected;  // the bar's offset when the switch arrived
    std::vector<std::wstring> icons;
    std::vector<UINT> commands;
    CTabBarWindow* bar = nullptr;

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_DR_SELECTTAB:
            selected.push_back(int(lp));
            if (bar) scrollWhenSelected.push_back(bar->ScrollOffset());
            core.SelectTab(int(lp));
            return 1;
        case WM_DR_SETTABICON:
            icons.push_back(lp ? reinterpret_cast<const wchar_t*>(lp) : L"(null)");
            return 0;
        case WM_COMMAND:
            commands.push_back(LOWORD(wp));
            return 0;
        case WM_DR_RELOAD:  // as the item's reload starts: every tab and the bar go
            ++reloads;
            bar = nullptr;
            core.DestroyTabs();
            return 0;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }

public:
    int reloads = 0;
};

// A 32-bit top-left TGA of one colour.
void WriteTga(const std::wstring& path, int w, int h, COLORREF c) {
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = char(w);
    bytes[14] = char(h);
    bytes[16] = 32;
    bytes[17] = 0x28;
    for (int i = 0; i < w * h; ++i) {
        bytes += char(GetBValue(c));
        bytes += char(GetGValue(c));
        bytes += char(GetRValue(c));
        bytes += char(0xFF);
    }
    raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD put = 0;
    WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &put, nullptr);
}

void WriteText(const std::wstring& path, const char* text) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD put = 0;
    WriteFile(f.get(), text, DWORD(strlen(text)), &put, nullptr);
}

void DeleteValue(HKEY root, const wchar_t* path, const wchar_t* name) {
    raii::Key k;
    if (RegOpenKeyExW(root, path, 0, KEY_WRITE, k.out()) == ERROR_SUCCESS) RegDeleteValueW(k.get(), name);
}

POINT Centre(const BarRect& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class TabBarWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
        SetForcedVga(false);
        TheScaler().dpiX = TheScaler().dpiY = 96;
        CeSim_SetGestureHold(0);
        tmp_ = std::wstring(TEST_TMP) + L"\\tabbar";
        skinDir_ = tmp_ + L"\\skin";
        CreateDirectoryW(tmp_.c_str(), nullptr);
        CreateDirectoryW(skinDir_.c_str(), nullptr);
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((skinDir_ + L"\\*.tga").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do DeleteFileW((skinDir_ + L"\\" + fd.cFileName).c_str());
            while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        // "InstallPath" decides where the switch sound is.
        reg::SetString(HKEY_LOCAL_MACHINE, kItem, L"InstallPath", tmp_);
        CreateDirectoryW((tmp_ + L"\\Olvane").c_str(), nullptr);
        CreateDirectoryW((tmp_ + L"\\Olvane\\Daybrim").c_str(), nullptr);
        wav_ = tmp_ + L"\\Olvane\\Daybrim\\tab_switch.wav";
        WriteText(wav_, "RIFF");
        lang_.reset(LoadLibraryW(LANG_DLL));
        ASSERT_TRUE(lang_) << "the language library";
    }
    void TearDown() override {
        host_.reset();  // the bar and the tabs go with the host's core
        CeSim_SetGestureHold(CESIM_NO_OVERRIDE);
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
        DeleteValue(HKEY_LOCAL_MACHINE, kItem, L"InstallPath");
        DeleteFileW(wav_.c_str());
        TheScaler().dpiX = TheScaler().dpiY = 96;
    }

    void SetTabDword(const wchar_t* sub, const wchar_t* name, DWORD v) {
        reg::SetDword(HKEY_CURRENT_USER, (std::wstring(kTabSettings) + (sub ? L"\\" : L"") + (sub ? sub : L"")).c_str(),
                      name, v);
    }
    // A hosted Today item as a custom tab, placed after the built-in ones.
    void AddCustomTab(const wchar_t* name) {
        SetTabDword(name, L"Enabled", 1);
        SetTabDword(name, L"Type", 1);
    }

    // Builds the item as the host's deferred start does: settings, the tabs with
    // their windows, the bar (width `barWidth`, or what is left of the host right of
    // the caption) and its buttons, then the active tab.
    void Start(bool vertical = false, int barWidth = 0) {
        s_.Load(nullptr);
        skin_.desc().folder = skinDir_;
        env_ = ShellEnv();
        env_.instance = GetModuleHandleW(nullptr);
        env_.settings = &s_;
        env_.skin = &skin_;
        env_.images = &images_;
        env_.lang = lang_.get();
        env_.menus = &menus_;
        env_.sounds = &sounds_;
        env_.gestures = gestures_;
        env_.high = TheScaler().dpiX >= 192;
        host_.reset(new Host(s_));
        ASSERT_TRUE(host_->Make());
        env_.host = host_->hwnd();
        const int left = vertical ? ScaleX(26) : 0;
        const int top = ScaleY(22);
        for (const TTabDescriptor& d : s_.tabs) {
            if (!d.enabled) continue;
            std::unique_ptr<TestTab> t(new TestTab(&env_, d.type));
            const std::wstring n = std::to_wstring(d.order);
            const bool tasks = d.type == TAB_TYPE_TASKS;
            t->Initialize(int(d.order), d.customIconName, d.displayName, L"TestTabMain" + n, L"TestTabCaption" + n,
                          tasks ? kCaptionSlideout | kCaptionCategory : 0, tasks ? &s_.TasksSlideoutOpen : nullptr,
                          tasks ? &s_.TsksGroupingDirctn : nullptr, tasks ? L"task" : L"", L"category_tsk", 247);
            t->alert = d.type == TAB_TYPE_SEVENTS && seventsAlert_;
            ASSERT_TRUE(t->Create(host_->hwnd(), left, top, kHostWidth - left, 100, left, 0, ScaleX(140),
                                  top - ScaleY(2), env_.instance));
            tabs_.push_back(t.get());
            host_->core.tabs().Insert(std::move(t));
        }
        std::unique_ptr<CTabBarWindow> bar(new CTabBarWindow(&env_));
        bar_ = bar.get();
        host_->bar = bar_;
        host_->core.SetTabBar(std::move(bar));
        if (vertical) {
            ASSERT_TRUE(bar_->Create(host_->hwnd(), 0, 0, ScaleX(26), 160, false, true, kHostWidth - ScaleX(20), 0,
                                     ScaleX(20), ScaleY(22), env_.instance));
        } else {
            const int w = barWidth ? barWidth : kHostWidth - ScaleX(140);
            ASSERT_TRUE(bar_->Create(host_->hwnd(), kHostWidth - w, 0, w, ScaleY(20), false, false, 0, 0, 0, 0,
                                     env_.instance));
        }
        for (size_t i = 0; i < host_->core.tabs().Count(); ++i) bar_->AddButton(host_->core.tabs().At(i));
        host_->core.SelectTab(s_.ActiveTab.Int());
        UpdateWindow(host_->hwnd());
    }

    HorizontalBar Geometry() const {
        RECT rc;
        GetClientRect(bar_->Window(), &rc);
        HorizontalBar g;
        g.sc = TheScaler();
        g.width = rc.right;
        g.count = int(bar_->ButtonCount());
        g.reserved = s_.RemoveSettingsButton.value() == 1 ? 0 : ScaleX(20);
        return g;
    }
    POINT ButtonPoint(int index) const {
        if (bar_->Vertical()) {
            VerticalBar v;
            v.sc = TheScaler();
            v.count = int(bar_->ButtonCount());
            return Centre(v.ButtonRect(index, ScaleX(26)));
        }
        return Centre(Geometry().ButtonRect(index, bar_->ScrollOffset()));
    }
    void Tap(HWND w, POINT p) { SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
    void TapButton(int index) { Tap(bar_->Window(), ButtonPoint(index)); }
    void HoldButton(int index) {
        CeSim_SetGestureHold(1);
        TapButton(index);
        CeSim_SetGestureHold(0);
    }
    // What the bar shows at a point once it has painted.
    COLORREF PixelAt(POINT p) const {
        RedrawWindow(bar_->Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const COLORREF c = GetPixel(raii::WindowDC(bar_->Window()).get(), p.x, p.y);
        return c;
    }
    RECT BarRectOnScreen() const {
        RECT r;
        GetWindowRect(bar_->Window(), &r);
        return r;
    }
    TestTab* TabWithId(int id) const {
        for (TestTab* t : tabs_)
            if (t->Id() == id) return t;
        return nullptr;
    }
    DWORD RegisteredActiveTab() const { return reg::Dword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 1); }

    std::wstring tmp_, skinDir_, wav_;
    raii::Library lang_;
    CSettings s_;
    CSkin skin_;
    CImageCache images_;
    // Settings as loaded and the skin and images, with none of the bar's hosts.
    void UseOwnEnv() {
        s_.Load(nullptr);
        env_ = ShellEnv();
        env_.instance = GetModuleHandleW(nullptr);
        env_.settings = &s_;
        env_.skin = &skin_;
        env_.images = &images_;
    }
    ShellEnv env_;
    RecordingMenus menus_;
    RecordingSounds sounds_;
    std::unique_ptr<Host> host_;
    CTabBarWindow* bar_ = nullptr;
    std::vector<TestTab*> tabs_;
    bool seventsAlert_ = false;
    GesturePort* gestures_ = nullptr;  // null: the shell stand-in's
};

// The Notes tab's menu 440: fold commands and its "Group and sort" sub-menu.
const std::vector<UINT> kTabMenu = {40156, 40159, 0, 40199, 40200, 0, 0, 0, 40180};
// The Tasks tab's own menu 438: fold commands and the "Group and sort" sub-menu
// (listed as 0, as separators are).
const std::vector<UINT> kTasksMenu = {40156, 40159, 0, 40199, 40200, 0, 0, 0, 40180};

}  // namespace

TEST_F(TabBarWindowTest, TapSelectsAnotherTabAndLaunchesTheSelectedOne) {
    Start();
    ASSERT_EQ(6u, bar_->ButtonCount());
    ASSERT_EQ(1, bar_->Selected());
    host_->selected.clear();

    TapButton(1);  // Tasks
    EXPECT_EQ(std::vector<int>{2}, host_->selected);
    EXPECT_EQ(2, bar_->Selected());
    EXPECT_EQ(2u, RegisteredActiveTab());
    EXPECT_TRUE(IsWindowVisible(TabWithId(2)->MainWindow()));
    EXPECT_TRUE(IsWindowVisible(TabWithId(2)->CaptionWindow()));
    EXPECT_FALSE(IsWindowVisible(TabWithId(1)->MainWindow()));
    EXPECT_EQ(0, TabWithId(2)->launches);

    // On the selected button a plain tap opens the tab's application, and nothing
    // is switched, shown or played.
    sounds_.played.clear();
    TapButton(1);
    EXPECT_EQ(1, TabWithId(2)->launches);
    EXPECT_EQ(std::vector<int>{2}, host_->selected);
    EXPECT_TRUE(menus_.shown.empty());
    EXPECT_TRUE(sounds_.played.empty());

    // A hold on a button that is not selected is a tap: it selects.
    HoldButton(3);
    EXPECT_EQ((std::vector<int>{2, 4}), host_->selected);
    EXPECT_TRUE(menus_.shown.empty());
    EXPECT_EQ(4u, RegisteredActiveTab());

    // Buttons scrolled out of the strip are not under the pen: the settings icon
    // and the caption are.
    ASSERT_EQ(0, bar_->ScrollOffset());
    const BarRect hidden = Geometry().ButtonRect(5, 0);
    ASSERT_GE(hidden.left, Geometry().width);
    Tap(bar_->Window(), POINT{Geometry().width - 1, 2});
    EXPECT_EQ(6u, bar_->ButtonCount());
    EXPECT_EQ(4, bar_->Selected());
}

TEST_F(TabBarWindowTest, HoldOnTheSelectedButtonOpensItsMenuAtTheButton) {
    reg::SetDword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 3);
    Start();
    ASSERT_EQ(3, bar_->Selected());
    HoldButton(2);  // Notes
    ASSERT_EQ(1u, menus_.shown.size());
    const Shown& m = menus_.shown[0];
    EXPECT_EQ(kTabMenu, m.items);  // menu 440's first sub-menu
    // The tab's own menu, not the icon chooser's.
    for (UINT id : m.iconItems) EXPECT_FALSE(id >= IDM_ICON_FIRST && id <= IDM_ICON_LAST) << id;
    EXPECT_EQ(TabWithId(3)->MainWindow(), m.owner);
    EXPECT_EQ(1, TabWithId(3)->prepared);
    const RECT br = BarRectOnScreen();
    const BarRect b = Geometry().ButtonRect(2, bar_->ScrollOffset());
    EXPECT_EQ(br.left + b.left + 11, m.x);
    EXPECT_EQ(br.top + b.top + 11, m.y);
    EXPECT_EQ(0, TabWithId(3)->launches);

    // The D-pad's action on the bar is the same menu.
    bar_->PerformFocusedAction();
    ASSERT_EQ(2u, menus_.shown.size());
    EXPECT_EQ(m.x, menus_.shown[1].x);
    EXPECT_EQ(m.owner, menus_.shown[1].owner);
}

TEST_F(TabBarWindowTest, SettingsIconMenuOffersMinimizeOrRestore) {
    Start();
    const BarRect icon = Geometry().SettingsIcon();
    const RECT br = BarRectOnScreen();
    Tap(bar_->Window(), Centre(icon));
    ASSERT_EQ(1u, menus_.shown.size());
    EXPECT_EQ((std::vector<UINT>{IDM_SETTINGS, IDM_MINIMIZE}), menus_.shown[0].items);
    EXPECT_EQ(host_->hwnd(), menus_.shown[0].owner);
    EXPECT_EQ(br.left + icon.left, menus_.shown[0].x);
    EXPECT_EQ(br.top + 20, menus_.shown[0].y);
    EXPECT_TRUE(host_->selected.empty());

    s_.LastMinimizeState.Set(1);
    Tap(bar_->Window(), Centre(icon));
    ASSERT_EQ(2u, menus_.shown.size());
    EXPECT_EQ((std::vector<UINT>{IDM_SETTINGS, IDM_RESTORE}), menus_.shown[1].items);

    // The menu's choices reach the host. "Settings..." of a tab's own menu, on the
    // bar (Today-item tabs) or a tab's window, is the host's settings command.
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_RESTORE, 0);
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_TAB_SETTINGS, 0);
    SendMessageW(TabWithId(2)->MainWindow(), WM_COMMAND, IDM_TAB_SETTINGS, 0);
    SendMessageW(TabWithId(2)->MainWindow(), WM_COMMAND, IDM_MINIMIZE, 0);
    EXPECT_EQ((std::vector<UINT>{IDM_RESTORE, IDM_SETTINGS, IDM_SETTINGS, IDM_MINIMIZE}), host_->commands);
}

TEST_F(TabBarWindowTest, WithoutTheSettingsIconItsCornerIsAButton) {
    reg::SetDword(HKEY_CURRENT_USER, kRoot, L"RemoveSettingsButton", 1);
    Start();
    const HorizontalBar g = Geometry();
    ASSERT_EQ(0, g.reserved);
    // The strip takes the whole bar: five buttons fit, the first at the left edge.
    ASSERT_EQ(0, g.StripLeft());
    Tap(bar_->Window(), POINT{ScaleX(9), ScaleY(10)});
    EXPECT_TRUE(menus_.shown.empty());
    EXPECT_EQ(1, TabWithId(1)->launches);
    TapButton(4);
    EXPECT_EQ(5, bar_->Selected());
}

TEST_F(TabBarWindowTest, ScrollArrowsMoveOneButtonInFourSteps) {
    // Seven tabs on a bar with room for three buttons beside the settings icon.
    AddCustomTab(L"Weather");
    Start(false, ScaleX(20) * 4);
    ASSERT_EQ(7u, bar_->ButtonCount());
    ASSERT_EQ(0, bar_->ScrollOffset());
    HorizontalBar g = Geometry();
    ASSERT_TRUE(g.RightArrow(0));
    ASSERT_FALSE(g.LeftArrow(0));

    Tap(bar_->Window(), Centre(g.RightArrowArea()));
    EXPECT_EQ((std::vector<int>{8, 14, 18, 20}), bar_->ScrollHistory());
    EXPECT_EQ(20, bar_->ScrollOffset());
    EXPECT_EQ(1, bar_->Selected());  // the arrow lies over a button, but only scrolls

    Tap(bar_->Window(), Centre(g.LeftArrowArea()));
    EXPECT_EQ((std::vector<int>{8, 14, 18, 20, 12, 6, 2, 0}), bar_->ScrollHistory());
    EXPECT_EQ(0, bar_->ScrollOffset());
    // With nothing to the left, the left corner is a button again.
    Tap(bar_->Window(), Centre(g.LeftArrowArea()));
    EXPECT_EQ(8u, bar_->ScrollHistory().size());
}

TEST_F(TabBarWindowTest, SelectingAButtonOutOfViewScrollsItInFirst) {
    AddCustomTab(L"Weather");
    Start(false, ScaleX(20) * 4);
    host_->selected.clear();
    host_->scrollWhenSelected.clear();

    bar_->SelectTab(7);  // the D-pad or the default-tab timer
    EXPECT_EQ((std::vector<int>{32, 56, 72, 80}), bar_->ScrollHistory());
    EXPECT_EQ(std::vector<int>{7}, host_->selected);
    EXPECT_EQ(std::vector<int>{80}, host_->scrollWhenSelected);  // in view before the switch
    HorizontalBar g = Geometry();
    const BarRect last = g.ButtonRect(6, bar_->ScrollOffset());
    EXPECT_GE(last.left, g.StripLeft());
    EXPECT_LE(last.right, g.width);
    EXPECT_EQ(7u, RegisteredActiveTab());

    // Now the last one is a tap away, and the first is scrolled back.
    bar_->SelectTab(1);
    EXPECT_EQ(0, bar_->ScrollOffset());
    EXPECT_EQ(8u, bar_->ScrollHistory().size());
    EXPECT_EQ((std::vector<int>{7, 1}), host_->selected);
}

TEST_F(TabBarWindowTest, ScrollAndMenusAtHighResolution) {
    TheScaler().dpiX = TheScaler().dpiY = 192;
    AddCustomTab(L"Weather");
    Start(false, ScaleX(20) * 4);
    bar_->SelectTab(7);
    EXPECT_EQ((std::vector<int>{64, 112, 144, 160}), bar_->ScrollHistory());
    HoldButton(6);
    ASSERT_EQ(1u, menus_.shown.size());
    const RECT br = BarRectOnScreen();
    const BarRect b = Geometry().ButtonRect(6, bar_->ScrollOffset());
    EXPECT_EQ(br.left + b.left + 22, menus_.shown[0].x);
    EXPECT_EQ(br.top + b.top + 22, menus_.shown[0].y);
    // A Today-item tab's menu belongs to the bar, which takes the icon commands.
    EXPECT_EQ(bar_->Window(), menus_.shown[0].owner);
}

TEST_F(TabBarWindowTest, VerticalBarTapsHoldsAndItsSettingsButton) {
    Start(true);
    ASSERT_TRUE(bar_->Vertical());
    host_->selected.clear();
    TapButton(3);
    EXPECT_EQ(std::vector<int>{4}, host_->selected);
    HoldButton(3);
    ASSERT_EQ(1u, menus_.shown.size());
    const RECT br = BarRectOnScreen();
    EXPECT_EQ(br.left + 11, menus_.shown[0].x);
    EXPECT_EQ(br.top + 3 * 23 + 11, menus_.shown[0].y);
    EXPECT_EQ(bar_->MinimumHeight(), 6 * 23 - 1);
    EXPECT_TRUE(bar_->ScrollHistory().empty());

    HWND settings = FindWindowExW(host_->hwnd(), nullptr, L"TabBarSettingsWin", nullptr);
    ASSERT_TRUE(settings);
    Tap(settings, POINT{5, 5});
    ASSERT_EQ(2u, menus_.shown.size());
    EXPECT_EQ((std::vector<UINT>{IDM_SETTINGS, IDM_MINIMIZE}), menus_.shown[1].items);
    RECT sr;
    GetWindowRect(settings, &sr);
    EXPECT_EQ(sr.left, menus_.shown[1].x);
    EXPECT_EQ(sr.top + 20, menus_.shown[1].y);
}

TEST_F(TabBarWindowTest, CustomIconChooserWritesTheNameAndTellsTheTab) {
    WriteTga(skinDir_ + L"\\star_baricon_sel.tga", 20, 20, RGB(255, 0, 0));
    WriteTga(skinDir_ + L"\\star_baricon_nsel.tga", 20, 20, RGB(0, 0, 255));
    WriteText(skinDir_ + L"\\broken_baricon_sel.tga", "not a picture");
    WriteText(skinDir_ + L"\\broken_baricon_nsel.tga", "not a picture");
    // The Today-item tab's own pictures: the button has a picture whatever is chosen.
    WriteTga(skinDir_ + L"\\custom1_baricon_sel.tga", 20, 20, RGB(0, 255, 0));
    WriteTga(skinDir_ + L"\\custom1_baricon_nsel.tga", 20, 20, RGB(0, 128, 0));
    AddCustomTab(L"Weather");
    reg::SetDword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 7);
    Start();
    // "ActiveTab" names built-in tabs only: a custom one is put back to the first.
    ASSERT_EQ(1, bar_->Selected());
    bar_->SelectTab(7);  // scrolled into view first
    ASSERT_EQ(7, bar_->Selected());
    HoldButton(6);
    ASSERT_EQ(1u, menus_.shown.size());
    const Shown& m = menus_.shown[0];
    EXPECT_EQ(bar_->Window(), m.owner);
    EXPECT_EQ((std::vector<UINT>{40156, 40159, 0, 40180, 0}), m.items);
    EXPECT_EQ((std::vector<UINT>{IDM_ICON_DEFAULT, IDM_ICON_FIRST, IDM_ICON_FIRST + 1, IDM_ICON_FIRST + 2}),
              m.iconItems);
    ASSERT_EQ(4u, m.iconNames.size());
    EXPECT_EQ(L"broken", m.iconNames[1]);
    EXPECT_EQ(L"star", m.iconNames[3]);

    const std::wstring key = std::wstring(kTabSettings) + L"\\Weather";
    const POINT button = ButtonPoint(6);
    EXPECT_EQ(RGB(0, 255, 0), PixelAt(button));  // the tab's own selected picture
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_ICON_FIRST + 2, 0);
    EXPECT_EQ(L"star", reg::String(HKEY_CURRENT_USER, key.c_str(), L"CustomIconName", L"?"));
    EXPECT_EQ(std::vector<std::wstring>{L"star"}, host_->icons);
    EXPECT_EQ(RGB(255, 0, 0), PixelAt(button));
    bar_->SelectTab(6);  // the chosen icon's other picture when not selected
    EXPECT_EQ(RGB(0, 0, 255), PixelAt(button));
    bar_->SelectTab(7);

    // An icon whose pictures do not load is not kept: the tab goes back to its own.
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_ICON_FIRST, 0);
    EXPECT_EQ(L"", reg::String(HKEY_CURRENT_USER, key.c_str(), L"CustomIconName", L"?"));
    EXPECT_EQ((std::vector<std::wstring>{L"star", L""}), host_->icons);
    EXPECT_EQ(RGB(0, 255, 0), PixelAt(button));

    SendMessageW(bar_->Window(), WM_COMMAND, IDM_ICON_FIRST + 2, 0);
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_ICON_DEFAULT, 0);
    EXPECT_EQ(L"", reg::String(HKEY_CURRENT_USER, key.c_str(), L"CustomIconName", L"?"));
    EXPECT_EQ((std::vector<std::wstring>{L"star", L"", L"star", L""}), host_->icons);

    // Ids past the list name nothing: no write, no message, and the host hears
    // neither (they are the bar's own).
    reg::SetString(HKEY_CURRENT_USER, key.c_str(), L"CustomIconName", L"kept");
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_ICON_FIRST + 3, 0);
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_ICON_LAST, 0);
    EXPECT_EQ(L"kept", reg::String(HKEY_CURRENT_USER, key.c_str(), L"CustomIconName", L"?"));
    EXPECT_EQ(4u, host_->icons.size());
    EXPECT_TRUE(host_->commands.empty());
}

TEST_F(TabBarWindowTest, HighResolutionScreensTakeTheSkinsLargeIconPictures) {
    TheScaler().dpiX = TheScaler().dpiY = 192;
    WriteTga(skinDir_ + L"\\star_baricon_sel.tga", 20, 20, RGB(255, 0, 0));
    WriteTga(skinDir_ + L"\\star_baricon_nsel.tga", 20, 20, RGB(0, 0, 255));
    WriteTga(skinDir_ + L"\\star_baricon_sel_high.tga", 40, 40, RGB(255, 255, 0));
    WriteTga(skinDir_ + L"\\star_baricon_nsel_high.tga", 40, 40, RGB(0, 255, 255));
    AddCustomTab(L"Weather");
    Start(false, ScaleX(20) * 4);
    bar_->SelectTab(7);
    HoldButton(6);
    ASSERT_EQ(1u, menus_.shown.size());
    EXPECT_EQ((std::vector<std::wstring>{L"Default", L"star"}), menus_.shown[0].iconNames);  // one icon, not two
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_ICON_FIRST, 0);
    EXPECT_EQ(L"star", reg::String(HKEY_CURRENT_USER, (std::wstring(kTabSettings) + L"\\Weather").c_str(),
                                   L"CustomIconName", L"?"));
    // The large picture, filling the button to its far corner. (The test host is
    // narrower than a high-resolution screen: the captions would cover the bar.)
    for (TestTab* t : tabs_) ShowWindow(t->CaptionWindow(), SW_HIDE);
    const BarRect b = Geometry().ButtonRect(6, bar_->ScrollOffset());
    EXPECT_EQ(RGB(255, 255, 0), PixelAt(ButtonPoint(6)));
    EXPECT_EQ(RGB(255, 255, 0), PixelAt(POINT{b.left + 36, b.top + 34}));
    bar_->SelectTab(6);
    for (TestTab* t : tabs_) ShowWindow(t->CaptionWindow(), SW_HIDE);
    EXPECT_EQ(RGB(0, 255, 255), PixelAt(ButtonPoint(6)));
}

TEST_F(TabBarWindowTest, CaptionTapsWriteTheirSettingsAndOpenTheirMenus) {
    reg::SetDword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 2);
    Start();
    TestTab* tasks = TabWithId(2);
    HWND cap = tasks->CaptionWindow();
    ASSERT_TRUE(IsWindowVisible(cap));
    const std::wstring tasksKey = std::wstring(kRoot) + L"\\Tasks";
    // A value at its default (1 for both here) is removed rather than written.
    auto tasksValue = [&](const wchar_t* name) { return reg::Dword(HKEY_CURRENT_USER, tasksKey.c_str(), name, 1); };
    ASSERT_EQ(1u, s_.TasksSlideoutOpen.value());

    // Close the slide-out, open it again by the icon.
    Tap(cap, POINT{84, 10});
    EXPECT_EQ(0u, s_.TasksSlideoutOpen.value());
    EXPECT_EQ(0u, tasksValue(L"TasksSlideoutOpen"));
    Tap(cap, POINT{50, 10});  // closed: the grouping selector is not there
    EXPECT_TRUE(menus_.shown.empty());
    Tap(cap, POINT{10, 10});
    EXPECT_EQ(1u, s_.TasksSlideoutOpen.value());
    EXPECT_EQ(1u, tasksValue(L"TasksSlideoutOpen"));

    // The sort direction flips each way and is written.
    Tap(cap, POINT{77, 10});
    EXPECT_EQ(0xFFFFFFFFu, s_.TsksGroupingDirctn.value());
    EXPECT_EQ(0xFFFFFFFFu, tasksValue(L"TsksGroupingDirctn"));
    Tap(cap, POINT{77, 10});
    EXPECT_EQ(1u, s_.TsksGroupingDirctn.value());
    EXPECT_EQ(1u, tasksValue(L"TsksGroupingDirctn"));

    RECT cr;
    GetWindowRect(cap, &cr);
    Tap(cap, POINT{50, 10});  // the grouping selector: the tab's menu
    ASSERT_EQ(1u, menus_.shown.size());
    EXPECT_EQ(kTasksMenu, menus_.shown[0].items);
    EXPECT_EQ(cr.left + 2, menus_.shown[0].x);
    EXPECT_EQ(cr.top + 20, menus_.shown[0].y);
    EXPECT_EQ(tasks->MainWindow(), menus_.shown[0].owner);

    Tap(cap, POINT{110, 10});  // the category selector: menu 166
    ASSERT_EQ(2u, menus_.shown.size());
    EXPECT_EQ(std::vector<UINT>{40170}, menus_.shown[1].items);
    EXPECT_EQ(cr.left + 93, menus_.shown[1].x);
    EXPECT_EQ(cr.top + 20, menus_.shown[1].y);
    EXPECT_EQ(tasks->MainWindow(), menus_.shown[1].owner);

    // A caption without a slide-out or selector does nothing with a tap.
    TapButton(0);
    Tap(TabWithId(1)->CaptionWindow(), POINT{10, 10});
    Tap(TabWithId(1)->CaptionWindow(), POINT{110, 10});
    EXPECT_EQ(2u, menus_.shown.size());
    EXPECT_EQ(1u, s_.TasksSlideoutOpen.value());
}

TEST_F(TabBarWindowTest, BlinkingStopsWhenTheButtonIsSelected) {
    seventsAlert_ = true;
    Start();
    // The Special Events tab reported an alert when its button came.
    EXPECT_TRUE(bar_->Blinking(6));
    EXPECT_TRUE(bar_->ShowsSelected(6));
    SendMessageW(bar_->Window(), WM_TIMER, IDT_BLINK, 0);
    EXPECT_FALSE(bar_->ShowsSelected(6));
    SendMessageW(bar_->Window(), WM_TIMER, IDT_BLINK, 0);
    EXPECT_TRUE(bar_->ShowsSelected(6));

    bar_->StartBlinking(2);
    bar_->SelectTab(6);
    EXPECT_FALSE(bar_->Blinking(6));
    EXPECT_TRUE(bar_->Blinking(2));
    EXPECT_TRUE(KillTimer(bar_->Window(), IDT_BLINK)) << "another button still blinks";
    SetTimer(bar_->Window(), IDT_BLINK, 1000, nullptr);
    bar_->SelectTab(2);
    EXPECT_FALSE(bar_->Blinking(2));
    EXPECT_FALSE(KillTimer(bar_->Window(), IDT_BLINK)) << "nothing blinks: the timer is gone";
    bar_->StartBlinking(99);  // no such button
    EXPECT_FALSE(bar_->Blinking(99));
}

TEST_F(TabBarWindowTest, SwitchSoundPlaysOnlyWhenEnabledAndPresent) {
    Start();
    sounds_.played.clear();
    TapButton(1);
    ASSERT_EQ(1u, sounds_.played.size());
    EXPECT_EQ(0, lstrcmpiW(wav_.c_str(), sounds_.played[0].c_str())) << sounds_.played[0];

    s_.EnableSoundEffect.Set(0);
    TapButton(2);
    EXPECT_EQ(3, bar_->Selected());
    EXPECT_EQ(1u, sounds_.played.size());
    s_.EnableSoundEffect.Set(2);  // only 1 means on
    TapButton(3);
    EXPECT_EQ(1u, sounds_.played.size());

    s_.EnableSoundEffect.Set(1);
    DeleteFileW(wav_.c_str());
    TapButton(0);
    EXPECT_EQ(1, bar_->Selected());
    EXPECT_TRUE(sounds_.played.size() == 1) << "no file, no sound (not the system's default one)";
}

TEST_F(TabBarWindowTest, IconMenuStopsAtTheIdsItReserves) {
    // 103 icons (the files need only exist to be listed); 101 ids after the default.
    for (int i = 0; i < 103; ++i) {
        wchar_t base[16];
        wsprintfW(base, L"i%03d", i);
        WriteText(skinDir_ + L"\\" + base + L"_baricon_sel.tga", "");
        WriteText(skinDir_ + L"\\" + base + L"_baricon_nsel.tga", "");
    }
    AddCustomTab(L"Weather");
    Start();
    bar_->SelectTab(7);
    bar_->PerformFocusedAction();
    ASSERT_EQ(1u, menus_.shown.size());
    const Shown& m = menus_.shown[0];
    ASSERT_EQ(102u, m.iconItems.size());
    EXPECT_EQ(IDM_ICON_LAST, m.iconItems.back());
    EXPECT_EQ(L"i100", m.iconNames.back());
    EXPECT_EQ(101u, bar_->IconList().size());
    // The last id names the last icon offered (whose pictures are no pictures).
    SendMessageW(bar_->Window(), WM_COMMAND, IDM_ICON_LAST, 0);
    EXPECT_EQ(std::vector<std::wstring>{L""}, host_->icons);
}

TEST_F(TabBarWindowTest, TheSelectedButtonNeverBlinks) {
    // The alert comes while Special Events is the tab shown.
    seventsAlert_ = true;
    reg::SetDword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 6);
    Start();
    ASSERT_EQ(6, bar_->Selected());
    EXPECT_FALSE(bar_->Blinking(6));
    EXPECT_FALSE(KillTimer(bar_->Window(), IDT_BLINK)) << "no timer waking the handheld every second";
    bar_->StartBlinking(6);
    EXPECT_FALSE(bar_->Blinking(6));
    EXPECT_TRUE(bar_->ShowsSelected(6));
    EXPECT_FALSE(KillTimer(bar_->Window(), IDT_BLINK));

    // A button that is not selected blinks until it is, whatever else is selected.
    bar_->StartBlinking(2);
    EXPECT_TRUE(bar_->Blinking(2));
    bar_->SelectTab(1);
    EXPECT_TRUE(bar_->Blinking(2));
    bar_->SelectTab(2);
    EXPECT_FALSE(bar_->Blinking(2));
    EXPECT_FALSE(KillTimer(bar_->Window(), IDT_BLINK));
}

TEST_F(TabBarWindowTest, HoldOnTheSelectedButtonActsOnlyIfTheButtonOutlivesTheGesture) {
    LoopingGesture gesture;
    gestures_ = &gesture;
    Start();
    TestTab* calendar = TabWithId(1);
    // Nothing happens inside the loop: a hold opens the menu, a tap launches.
    TapButton(0);
    EXPECT_EQ(1u, menus_.shown.size());
    gesture.hold = false;
    TapButton(0);
    EXPECT_EQ(1, calendar->launches);

    // The bar loses its buttons and window while the pen is down: nothing is done
    // with the button that was tapped, neither a launch nor a menu.
    gesture.during = [&] { bar_->Destroy(); };
    TapButton(0);
    EXPECT_EQ(1, calendar->launches);
    EXPECT_EQ(0u, bar_->ButtonCount());
    EXPECT_EQ(1u, menus_.shown.size());
}

TEST_F(TabBarWindowTest, AReloadDispatchedDuringTheHoldLeavesTheFreedBarAlone) {
    LoopingGesture gesture;
    gestures_ = &gesture;
    Start();
    // The settings changed while the pen was down: the reload is posted and the
    // gesture's loop handles it, destroying the bar and the tabs under the tap.
    gesture.during = [&] { PostMessageW(host_->hwnd(), WM_DR_RELOAD, 0, 0); };
    TapButton(0);
    EXPECT_EQ(1, host_->reloads);
    EXPECT_EQ(0u, host_->core.tabs().Count());
    EXPECT_TRUE(menus_.shown.empty());
    bar_ = nullptr;  // gone with the reload
    tabs_.clear();
}

namespace {

// The Today screen under the item: its watermark is a different blue at every
// height, so the piece a caption shows tells where the host was when it was taken.
class TodayScreen : public win::Window {
public:
    bool Make() {
        if (!Register(GetModuleHandleW(nullptr), L"TestTodayScreen", 0, nullptr)) return false;
        return CreateWin(0, L"TestTodayScreen", L"", WS_POPUP | WS_VISIBLE, 0, 0, kHostWidth, 300, nullptr,
                         GetModuleHandleW(nullptr)) != nullptr;
    }

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == TODAYM_DRAWWATERMARK) {
            const auto* info = reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lp);
            RECT at;
            GetWindowRect(info->hwnd, &at);
            MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&at), 2);
            raii::Brush b(CreateSolidBrush(RGB(0, 0, at.top)));
            FillRect(info->hdc, &info->rc, b.get());
            return TRUE;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
};

// The item's host on that screen: lays its tabs out when the screen moves it.
class TodayItemHost : public win::Window {
public:
    explicit TodayItemHost(CSettings& s) : core(s, timers, pim) {}
    bool Make(HWND today, int y) {
        if (!Register(GetModuleHandleW(nullptr), L"QuorvelWnd", 0, nullptr)) return false;
        return CreateWin(0, L"QuorvelWnd", L"", WS_CHILD | WS_VISIBLE, 0, y, kHostWidth, 80, today,
                         GetModuleHandleW(nullptr)) != nullptr;
    }
    fakes::Timers timers;
    fakes::Pim pim;
    CHostCore core;

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_WINDOWPOSCHANGED) {
            RECT rc;
            GetWindowRect(hwnd_, &rc);
            MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rc), 2);
            core.Layout(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
            return 0;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
};

}  // namespace

TEST_F(TabBarWindowTest, CaptionShowsTheWatermarkUnderTheHostAfterTheHostMoves) {
    UseOwnEnv();
    TodayScreen today;
    ASSERT_TRUE(today.Make());
    {
        TodayItemHost host(s_);
        ASSERT_TRUE(host.Make(today.hwnd(), 10));
        std::unique_ptr<TestTab> tab(new TestTab(&env_, TAB_TYPE_CALENDAR));
        tab->Initialize(1, L"", L"Calendar", L"MoveTestMain", L"MoveTestCaption", 0, nullptr, nullptr, L"", L"", 247);
        tab->onlyRealMoves = true;
        // Where the host's layout keeps it.
        const int left = s_.VerticalTabs.value() == 1 ? ScaleX(26) : 0;
        ASSERT_TRUE(tab->Create(host.hwnd(), left, 22, kHostWidth - left, 50, left, 0, 140, 20, env_.instance));
        HWND cap = tab->CaptionWindow();
        host.core.tabs().Insert(std::move(tab));
        ShowWindow(cap, SW_SHOW);
        // Right of the icon and the closed slide-out: only the background shows there.
        auto pixel = [&] {
            RedrawWindow(cap, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            const COLORREF c = GetPixel(raii::WindowDC(cap).get(), 120, 10);
            return c;
        };
        EXPECT_EQ(RGB(0, 0, 10), pixel());
        // Another item above grew: the screen moves the host down, the caption
        // keeps its place inside it.
        SetWindowPos(host.hwnd(), nullptr, 0, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(RGB(0, 0, 60), pixel());
        host.core.DestroyTabs();
    }
    images_.Release();
}

// A reload destroys every tab and builds them again: each tab must hear its windows
// go while it is whole, or its own cleanup (popups, loaders, drags) never runs.
TEST_F(TabBarWindowTest, DestroyLetsTheWholeTabCleanUpAndDeletingStaysSafe) {
    UseOwnEnv();
    TodayScreen today;
    ASSERT_TRUE(today.Make());
    for (bool destroyFirst : {true, false}) {
        TodayItemHost host(s_);
        ASSERT_TRUE(host.Make(today.hwnd(), 10));
        std::unique_ptr<TestTab> tab(new TestTab(&env_, TAB_TYPE_CALENDAR));
        tab->Initialize(1, L"", L"Calendar", L"GoneTestMain", L"GoneTestCaption", 0, nullptr, nullptr, L"", L"", 247);
        ASSERT_TRUE(tab->Create(host.hwnd(), 0, 22, kHostWidth, 50, 0, 0, 140, 20, env_.instance));
        HWND main = tab->MainWindow(), cap = tab->CaptionWindow();
        if (destroyFirst) {
            tab->Destroy();
            EXPECT_EQ(1, tab->mainDestroyed);
            EXPECT_EQ(1, tab->captionDestroyed);
        }
        // Deleting a tab never destroyed calls no part of it that is already gone.
        tab.reset();
        EXPECT_FALSE(IsWindow(main));
        EXPECT_FALSE(IsWindow(cap));
    }
    images_.Release();
}

TEST(InstalledSwitchSound, IsAShortPcmWaveWhereTheBarLooksForIt) {
    DeleteValue(HKEY_LOCAL_MACHINE, kItem, L"InstallPath");
    CSettings s;
    s.Load(nullptr);
    const std::wstring path = s.InstallFolder() + L"\\tab_switch.wav";
    raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(f) << "no switch sound on the device";
    std::string d(GetFileSize(f.get(), nullptr), '\0');
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(f.get(), &d[0], DWORD(d.size()), &got, nullptr) && got == d.size());
    auto u32 = [&](size_t at) { return at + 4 <= d.size() ? uint32_t(uint8_t(d[at])) | uint32_t(uint8_t(d[at + 1])) << 8 |
                                                               uint32_t(uint8_t(d[at + 2])) << 16 | uint32_t(uint8_t(d[at + 3])) << 24
                                                         : 0u; };
    auto u16 = [&](size_t at) { return at + 2 <= d.size() ? unsigned(uint8_t(d[at])) | unsigned(uint8_t(d[at + 1])) << 8 : 0u; };
    ASSERT_GE(d.size(), 44u);
    EXPECT_EQ("RIFF", d.substr(0, 4));
    EXPECT_EQ("WAVE", d.substr(8, 4));
    EXPECT_EQ(d.size() - 8, u32(4));
    // Walk the chunks: a PCM format chunk, then the samples.
    size_t at = 12;
    unsigned channels = 0, rate = 0, bits = 0, align = 0;
    uint32_t dataBytes = 0;
    while (at + 8 <= d.size()) {
        const std::string id = d.substr(at, 4);
        const uint32_t n = u32(at + 4);
        ASSERT_LE(at + 8 + n, d.size()) << id;
        if (id == "fmt ") {
            ASSERT_GE(n, 16u);
            EXPECT_EQ(1u, u16(at + 8)) << "PCM";
            channels = u16(at + 10);
            rate = u32(at + 12);
            align = u16(at + 20);
            bits = u16(at + 22);
            EXPECT_EQ(rate * align, u32(at + 16));
        } else if (id == "data") {
            dataBytes = n;
        }
        at += 8 + n + (n & 1);
    }
    EXPECT_EQ(16u, bits);
    EXPECT_TRUE(channels == 1 || channels == 2);
    EXPECT_EQ(channels * 2, align);
    EXPECT_TRUE(rate >= 8000 && rate <= 48000) << rate;
    ASSERT_GT(align, 0u);
    EXPECT_EQ(0u, dataBytes % align);
    // A click: audible, and over well before the next tap.
    const double seconds = double(dataBytes) / align / (rate ? rate : 1);
    EXPECT_GE(seconds, 0.02);
    EXPECT_LE(seconds, 0.3);
    EXPECT_LT(d.size(), 32u * 1024);
}

TEST_F(TabBarWindowTest, TheDpadFocusOnAHorizontalBarMarksTheSelectedButton) {
    Start();
    TapButton(1);
    const COLORREF plainSel = PixelAt(ButtonPoint(1)), plainOther = PixelAt(ButtonPoint(0));
    s_.VerticalTabs.Set(0);  // the navigator's idea of the bar, as Start() made it
    fakes::NavHost navHost;
    CDPadNavigator nav(navHost, host_->core.bar(), &host_->core.tabs(), s_, false);
    env_.navigator = &nav;
    // From the item above, the highlight lands on the bar.
    nav.PreFilter(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN, 0);
    ASSERT_TRUE(nav.HasSelection());
    ASSERT_FALSE(nav.FocusInTab());
    EXPECT_NE(plainSel, PixelAt(ButtonPoint(1))) << "the selected button shows the mark";
    EXPECT_EQ(plainOther, PixelAt(ButtonPoint(0))) << "no other button does";
    nav.PreFilter(WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    EXPECT_EQ(plainSel, PixelAt(ButtonPoint(1))) << "the mark goes with the selection";
    env_.navigator = nullptr;
}
