// The D-pad navigator's state machine with fake tabs: where the highlight goes
// for every key in both modes and both bar orientations, the double press, the
// action key, hook mode and the hook's key predicate.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include "fakes.h"
#include "keyboard_hook.h"
#include "scale.h"
#include "tab_types.h"
#include "todaycmn.h"

using namespace daybrim;

namespace {

class NavigatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim");
        SetForcedVga(false);
        s.Load(nullptr);
        for (int id = 1; id <= 3; ++id) {
            tab[id] = new fakes::Tab(id, id == 3 ? TAB_TYPE_DESIGNED : (id == 1 ? TAB_TYPE_CALENDAR : TAB_TYPE_TASKS));
            tabs.Insert(std::unique_ptr<CTab>(tab[id]));
        }
        s.ActiveTab.Set(1);
    }
    void TearDown() override { SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim"); }

    // The navigator as the host makes it; `vertical` and `mode` as the settings say.
    CDPadNavigator& Make(bool vertical, int mode) {
        s.VerticalTabs.Set(vertical ? 1 : 0);
        s.DPadMode.Set(DWORD(mode));
        nav.reset(new CDPadNavigator(host, &bar, &tabs, s, false));
        return *nav;
    }
    LRESULT Msg(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return nav->PreFilter(msg, wp, lp); }
    LRESULT Nav(UINT vk) { return Msg(WM_TODAYCUSTOM_USERNAVIGATION, vk); }

    CSettings s;
    CTabList tabs;
    fakes::Tab* tab[4] = {};
    fakes::NavHost host;
    fakes::TabBar bar{[this](int id) { s.ActiveTab.Set(DWORD(id)); }};
    std::unique_ptr<CDPadNavigator> nav;
};

}  // namespace

TEST_F(NavigatorTest, DisabledNavigationHandlesNothing) {
    Make(false, 0);
    s.DPadEnabled.Set(0);
    for (UINT m : {UINT(WM_TODAYCUSTOM_RECEIVEDSELECTION), UINT(WM_TODAYCUSTOM_USERNAVIGATION), UINT(WM_TIMER),
                   UINT(WM_TODAYCUSTOM_ACTION), WM_DR_HOOKKEY})
        EXPECT_EQ(-1, Msg(m, VK_DOWN, VK_DOWN)) << m;
    EXPECT_EQ(-1, Msg(WM_PAINT));
}

TEST_F(NavigatorTest, SecondReceivedSelectionChangesNothing) {
    Make(false, 0);
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP));
    EXPECT_EQ("receive38", tab[1]->Log());
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN));
    EXPECT_EQ("", tab[1]->Log());
    EXPECT_TRUE(nav->FocusInTab());
    EXPECT_FALSE(bar.Focused());
}

TEST_F(NavigatorTest, HorizontalTwoLevelFromAboveThroughTheBarIntoTheTabAndBack) {
    Make(false, 0);
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN));  // from the item above
    EXPECT_FALSE(nav->FocusInTab());
    EXPECT_TRUE(bar.Focused());
    EXPECT_EQ(1, Nav(VK_RIGHT));  // on the bar: next tab
    EXPECT_EQ(2u, s.ActiveTab.value());
    EXPECT_EQ(1, Nav(VK_LEFT));
    EXPECT_EQ(1, Nav(VK_LEFT));  // no wrap past the first
    EXPECT_EQ((std::vector<int>{2, 1}), bar.selections);
    EXPECT_EQ(0, Nav(VK_UP));  // on the bar, Up leaves the item
    EXPECT_EQ(1, Nav(VK_DOWN));  // into the tab
    EXPECT_TRUE(nav->FocusInTab());
    EXPECT_FALSE(bar.Focused());
    EXPECT_EQ("receive40", tab[1]->Log());
    EXPECT_EQ(1, Nav(VK_DOWN));
    EXPECT_EQ("down", tab[1]->Log());
    tab[1]->up = 0;  // the list is at its top
    EXPECT_EQ(1, Nav(VK_UP));
    EXPECT_EQ("up lose", tab[1]->Log());
    EXPECT_FALSE(nav->FocusInTab());
    EXPECT_TRUE(bar.Focused());
}

TEST_F(NavigatorTest, HorizontalInTabModeSwitchesTabsWithLeftRightAndLeavesAtTheTop) {
    Make(false, 1);
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN));
    EXPECT_TRUE(nav->FocusInTab());
    EXPECT_EQ("receive40", tab[1]->Log());
    EXPECT_EQ(1, Nav(VK_RIGHT));
    EXPECT_EQ(1, Nav(VK_RIGHT));
    EXPECT_EQ(1, Nav(VK_RIGHT));  // past the last: stays
    EXPECT_EQ(3u, s.ActiveTab.value());
    EXPECT_EQ("", tab[1]->Log());  // never KeyLeft/KeyRight in mode 1
    tab[3]->up = 0;
    EXPECT_EQ(0, Nav(VK_UP));  // the Today screen moves on
    EXPECT_EQ("up lose", tab[3]->Log());
    EXPECT_TRUE(nav->FocusInTab());
}

TEST_F(NavigatorTest, VerticalBarUpDownOnTheBarLeftRightAcross) {
    Make(true, 0);
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN));  // vertical: straight into the tab
    EXPECT_EQ("receive40", tab[1]->Log());
    tab[1]->left = 0;
    EXPECT_EQ(1, Nav(VK_LEFT));  // nothing to the left inside: onto the bar
    EXPECT_EQ("left lose", tab[1]->Log());
    EXPECT_FALSE(nav->FocusInTab());
    EXPECT_EQ(1, Nav(VK_DOWN));
    EXPECT_EQ(1, Nav(VK_DOWN));
    EXPECT_EQ(3u, s.ActiveTab.value());
    EXPECT_EQ(1, Nav(VK_UP));
    EXPECT_EQ(2u, s.ActiveTab.value());
    EXPECT_EQ(1, Nav(VK_RIGHT));  // back into the (new) tab
    EXPECT_EQ("receive0", tab[2]->Log());
    EXPECT_TRUE(nav->FocusInTab());
    tab[2]->down = 0;
    EXPECT_EQ(0, Nav(VK_DOWN));  // the end of the list: the Today screen moves on
    EXPECT_EQ(1, Nav(VK_RIGHT));
    EXPECT_EQ("down right", tab[2]->Log());
}

TEST_F(NavigatorTest, DoublePressSwitchesTabsInsideTheWindowOnly) {
    Make(false, 0);
    s.DPadDoubleClickTabSwitching.Set(1);
    Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP);
    tab[1]->Log();
    EXPECT_EQ(1, Nav(VK_RIGHT));  // first press: the tab's own Right, and the window opens
    EXPECT_EQ("right", tab[1]->Log());
    EXPECT_TRUE(host.Running(IDT_DBLKEY_RIGHT));
    EXPECT_EQ(300u, host.period[IDT_DBLKEY_RIGHT]);
    EXPECT_EQ(1, Nav(VK_RIGHT));  // second press inside it
    EXPECT_EQ("lose", tab[1]->Log());
    EXPECT_EQ("receive40", tab[2]->Log());
    EXPECT_EQ(2u, s.ActiveTab.value());
    EXPECT_FALSE(host.Running(IDT_DBLKEY_RIGHT));

    EXPECT_EQ(1, Nav(VK_LEFT));
    EXPECT_EQ(1, Msg(WM_TIMER, IDT_DBLKEY_LEFT));  // the window closes
    EXPECT_FALSE(host.Running(IDT_DBLKEY_LEFT));
    EXPECT_EQ(1, Nav(VK_LEFT));  // a fresh first press
    EXPECT_EQ("left left", tab[2]->Log());
    EXPECT_EQ(2u, s.ActiveTab.value());
    EXPECT_EQ(-1, Msg(WM_TIMER, 1234));  // other timers are the host's
}

TEST_F(NavigatorTest, DoublePressNeedsTheSettingAndTheFocusInTheTab) {
    Make(false, 0);
    Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP);
    Nav(VK_RIGHT);
    EXPECT_FALSE(host.Running(IDT_DBLKEY_RIGHT));
    s.DPadDoubleClickTabSwitching.Set(1);
    tab[1]->up = 0;
    Nav(VK_UP);  // onto the bar
    Nav(VK_RIGHT);
    EXPECT_FALSE(host.Running(IDT_DBLKEY_RIGHT));
}

TEST_F(NavigatorTest, ActionKeyOnBarAndInTab) {
    Make(false, 0);
    Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN);  // on the bar
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_ACTION, VK_RETURN));
    EXPECT_EQ(1, bar.actions);
    Nav(VK_DOWN);
    tab[1]->Log();
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_ACTION, VK_RETURN));
    EXPECT_EQ("enter", tab[1]->Log());
}

TEST_F(NavigatorTest, ActionInModeOneTogglesTheTabBarOrMinimizes) {
    Make(false, 1);
    s.DPadScrollingAction.Set(2);
    Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP);
    tab[1]->Log();
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_ACTION, VK_RETURN));
    EXPECT_EQ("", tab[1]->Log());  // a built-in tab gets no KeyEnter here
    EXPECT_EQ(1u, s.RemoveTabsBar.value());
    EXPECT_EQ(1, host.layouts);
    Msg(WM_TODAYCUSTOM_ACTION, VK_RETURN);
    EXPECT_EQ(0u, s.RemoveTabsBar.value());

    s.DPadScrollingAction.Set(1);
    Msg(WM_TODAYCUSTOM_ACTION, VK_RETURN);
    EXPECT_EQ(1u, s.LastMinimizeState.value());
    EXPECT_EQ(2, host.layouts);  // the new height comes with the next poll

    s.ActiveTab.Set(3);  // an external tab that takes the key itself
    Msg(WM_TODAYCUSTOM_ACTION, VK_RETURN);
    EXPECT_EQ("enter", tab[3]->Log());
    EXPECT_EQ(1u, s.LastMinimizeState.value());
    tab[3]->enter = 0;  // ...or declines it
    Msg(WM_TODAYCUSTOM_ACTION, VK_RETURN);
    EXPECT_EQ(0u, s.LastMinimizeState.value());
}

TEST_F(NavigatorTest, LosingAndTakingTheSelection) {
    Make(false, 0);
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_LOSTSELECTION));  // nothing to lose
    Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP);
    tab[1]->Log();
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_LOSTSELECTION));
    EXPECT_EQ("lose", tab[1]->Log());
    EXPECT_FALSE(nav->HasSelection());

    nav->TakeSelection(0);  // a tap on the bar
    EXPECT_EQ(1, host.took);
    EXPECT_TRUE(nav->HasSelection());
    nav->TakeSelection(1);  // then on the item: nothing new to tell the Today screen
    EXPECT_EQ(1, host.took);

    Msg(WM_TODAYCUSTOM_LOSTSELECTION);
    Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_DOWN);  // on the bar
    nav->TakeSelection(1);
    EXPECT_TRUE(nav->FocusInTab());
    EXPECT_FALSE(bar.Focused());
}

TEST_F(NavigatorTest, DeclinedSelectionIsNotKept) {
    Make(false, 0);
    tab[1]->receive = 0;  // an empty list
    EXPECT_EQ(0, Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP));
    EXPECT_FALSE(nav->HasSelection());
    tab[1]->receive = 1;
    EXPECT_EQ(1, Msg(WM_TODAYCUSTOM_RECEIVEDSELECTION, VK_UP));
}

TEST_F(NavigatorTest, OtherKeysAreSwallowedOutsideHookMode) {
    Make(false, 0);
    EXPECT_EQ(1, Nav(VK_TAB));
    EXPECT_EQ(-1, Msg(WM_TODAYCUSTOM_QUERYREFRESHCACHE));
}

TEST_F(NavigatorTest, HookModeOwnsTheKeysAndWatchesTheForeground) {
    s.ExclusiveDPadNavig.Set(1);
    Make(false, 0);
    ASSERT_TRUE(nav->HookMode());
    EXPECT_TRUE(nav->HasSelection());
    EXPECT_TRUE(host.hooked);
    EXPECT_TRUE(host.Running(IDT_HOOKWATCH));
    for (UINT m : {UINT(WM_TODAYCUSTOM_RECEIVEDSELECTION), UINT(WM_TODAYCUSTOM_LOSTSELECTION),
                   UINT(WM_TODAYCUSTOM_USERNAVIGATION), UINT(WM_TODAYCUSTOM_ACTION)})
        EXPECT_EQ(0, Msg(m, VK_DOWN)) << m;
    nav->TakeSelection(1);
    EXPECT_EQ(0, host.took);

    // Keys arrive from the hook instead; on the bar, Down enters the tab even
    // when the tab declines, since nobody else would take the key.
    tab[1]->up = 0;
    EXPECT_EQ(0, Msg(WM_DR_HOOKKEY, 0, VK_UP));
    EXPECT_FALSE(nav->FocusInTab());
    tab[1]->receive = 0;
    Msg(WM_DR_HOOKKEY, 0, VK_DOWN);
    EXPECT_TRUE(nav->FocusInTab());
    Msg(WM_DR_HOOKKEY, 0, VK_RETURN);
    EXPECT_EQ("up lose receive40 enter", tab[1]->Log());

    host.foreground = false;
    EXPECT_EQ(1, Msg(WM_TIMER, IDT_HOOKWATCH));
    EXPECT_FALSE(host.hooked);
    host.foreground = true;
    Msg(WM_TIMER, IDT_HOOKWATCH);
    EXPECT_TRUE(host.hooked);
    for (int i = 0; i < 8; ++i) Msg(WM_TIMER, IDT_HOOKWATCH);
    EXPECT_EQ(10, nav->HookTicks());
    EXPECT_FALSE(host.Running(IDT_HOOKWATCH));  // ten seconds of watching, then rest
    EXPECT_EQ(-1, Msg(WM_TODAYCUSTOM_QUERYREFRESHCACHE));  // a poll watches again
    EXPECT_EQ(0, nav->HookTicks());
    EXPECT_TRUE(host.Running(IDT_HOOKWATCH));

    nav.reset();
    EXPECT_FALSE(host.hooked);
    EXPECT_FALSE(host.Running(IDT_HOOKWATCH));
}

TEST(HookKey, OnlyDpadKeyDownsAreTakenAndOpenMenusAreLeftAlone) {
    for (DWORD vk : {DWORD(VK_UP), DWORD(VK_DOWN), DWORD(VK_LEFT), DWORD(VK_RIGHT), DWORD(VK_RETURN)})
        EXPECT_EQ(HookAction::kPostAndSwallow, DecideHookKey(HC_ACTION, WM_KEYDOWN, vk, false, 5)) << vk;
    EXPECT_EQ(HookAction::kPass, DecideHookKey(HC_ACTION, WM_KEYUP, VK_UP, false, 5));
    EXPECT_EQ(HookAction::kPass, DecideHookKey(HC_ACTION, WM_KEYDOWN, VK_ESCAPE, false, 5));
    EXPECT_EQ(HookAction::kPass, DecideHookKey(-1, WM_KEYDOWN, VK_UP, false, 5));
    EXPECT_EQ(HookAction::kPass, DecideHookKey(HC_ACTION, WM_KEYDOWN, VK_UP, true, 5));  // a menu has it
    EXPECT_EQ(HookAction::kPass, DecideHookKey(HC_ACTION, WM_KEYDOWN, VK_LEFT, true, 5));
    EXPECT_EQ(HookAction::kCancelMenuAndSwallow, DecideHookKey(HC_ACTION, WM_KEYDOWN, VK_LEFT, true, 4));
    EXPECT_EQ(HookAction::kCancelMenuAndSwallow, DecideHookKey(HC_ACTION, WM_KEYDOWN, VK_LEFT, true, 3));
    EXPECT_EQ(HookAction::kPass, DecideHookKey(HC_ACTION, WM_KEYDOWN, VK_RIGHT, true, 4));
}

TEST(HookKey, NoCoreLibraryMeansNoHook) {
    // The desktop has no "coredll.dll": D-pad keys then come through the Today screen only.
    CKeyboardHook hook(GetModuleHandleW(nullptr), nullptr);
    if (GetModuleHandleW(L"coredll.dll") == nullptr && !LoadLibraryW(L"coredll.dll")) {
        EXPECT_FALSE(hook.Install());
        EXPECT_FALSE(hook.Installed());
    }
    hook.Remove();
}
