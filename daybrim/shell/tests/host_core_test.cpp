// The host's decisions without a window: reported height, the refresh on a new
// day or zone, the layout pass, the default-tab timer, the mail debounce and the
// fan-out of PIM changes.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include "cesim.h"
#include "fakes.h"
#include "scale.h"
#include "tab_types.h"

using namespace daybrim;

namespace {

SYSTEMTIME At(int y, int mo, int d, int h, int mi) {
    SYSTEMTIME t = {};
    t.wYear = WORD(y);
    t.wMonth = WORD(mo);
    t.wDay = WORD(d);
    t.wHour = WORD(h);
    t.wMinute = WORD(mi);
    return t;
}

TIME_ZONE_INFORMATION Zone(LONG bias) {
    TIME_ZONE_INFORMATION z = {};
    z.Bias = bias;
    lstrcpyW(z.StandardName, L"Test Standard Time");
    return z;
}

class HostCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim");
        SetForcedVga(false);
        TheScaler().dpiX = TheScaler().dpiY = 96;
        s.Load(nullptr);
        const SYSTEMTIME t = At(2026, 12, 7, 23, 59);
        CeSim_SetClock(&t);
        const TIME_ZONE_INFORMATION z = Zone(-60);
        CeSim_SetTimeZone(&z);
        core.SetTabBar(std::unique_ptr<CTabBar>(bar = new fakes::TabBar([this](int id) { core.SelectTab(id); })));
        cal = Add(1, TAB_TYPE_CALENDAR);
        tasks = Add(2, TAB_TYPE_TASKS);
        mail = Add(5, TAB_TYPE_MAIL);
        sevents = Add(6, TAB_TYPE_SEVENTS);
        core.snapshot().Record();
        timers.onFire = [this](UINT id) {
            if (id == IDT_DEFAULTTAB) core.OnDefaultTabTimer();
            if (id == IDT_MAILTOCALENDAR) core.OnMailTimer();
        };
    }
    void TearDown() override {
        CeSim_SetClock(nullptr);
        CeSim_SetTimeZone(nullptr);
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim");
    }
    fakes::Tab* Add(int id, DWORD type) {
        auto* t = new fakes::Tab(id, type);
        core.tabs().Insert(std::unique_ptr<CTab>(t));
        return t;
    }
    BOOL Query(TODAYLISTITEM* item, RefreshKind* kind = nullptr) {
        RefreshKind k;
        BOOL r = core.QueryRefresh(nullptr, item, env, &k);
        if (kind) *kind = k;
        return r;
    }

    CSettings s;
    fakes::Timers timers;
    fakes::Pim pim;
    CHostCore core{s, timers, pim};
    fakes::TabBar* bar = nullptr;
    fakes::Tab *cal = nullptr, *tasks = nullptr, *mail = nullptr, *sevents = nullptr;
    HeightEnv env;
};

}  // namespace

TEST_F(HostCoreTest, FixedAndLandscapeHeights) {
    s.AutoHeight.Set(0);
    s.dHeightLimit.Set(150);
    env.screenWidth = 320;
    env.screenHeight = 240;
    EXPECT_EQ(150, ComputeItemHeight(s, 0, env));  // "dHeightLimitLandscape" 0: the same both ways
    s.dHeightLimitLandscape.Set(90);
    EXPECT_EQ(90, ComputeItemHeight(s, 0, env));
    env.screenWidth = 240;
    env.screenHeight = 320;
    EXPECT_EQ(150, ComputeItemHeight(s, 0, env));  // portrait
    s.dHeightLimitLandscape.Set(150);
    env.screenWidth = 320;
    env.screenHeight = 240;
    EXPECT_EQ(150, ComputeItemHeight(s, 0, env));
}

TEST_F(HostCoreTest, AutoHeightFillsTheRestOfTheTodayScreen) {
    env.parentKnown = true;
    env.parentTop = 26;
    env.parentBottom = 294;    // a 268-pixel view
    env.scrollMax = 60 + 100;  // another item of 60 and this one at 100
    EXPECT_EQ(268 - 2 - 60, ComputeItemHeight(s, 100, env));
    env.scrollMax = 400;  // crowded: at least 80 with horizontal tabs...
    s.VerticalTabs.Set(0);
    EXPECT_EQ(80, ComputeItemHeight(s, 100, env));
    s.VerticalTabs.Set(1);  // ...and room for every vertical button
    env.tabBarMinHeight = 6 * 23 - 1;
    EXPECT_EQ(137, ComputeItemHeight(s, 100, env));
}

TEST_F(HostCoreTest, MinimizedReportsOneRowOnceAndSkipsRefresh) {
    s.LastMinimizeState.Set(1);
    TODAYLISTITEM item = {};
    item.cyp = 200;
    EXPECT_TRUE(Query(&item));
    EXPECT_EQ(20u, item.cyp);
    const SYSTEMTIME next = At(2026, 12, 8, 0, 1);
    CeSim_SetClock(&next);
    EXPECT_FALSE(Query(&item));
    EXPECT_EQ(0, cal->dateChanges);  // no refresh while minimized
    EXPECT_EQ(2, cal->queries);      // tabs are still asked every poll
}

TEST_F(HostCoreTest, MidnightRefreshesEveryTabOnceWithoutReportingAChange) {
    s.AutoHeight.Set(0);
    TODAYLISTITEM item = {};
    item.cyp = 160;
    RefreshKind kind;
    EXPECT_FALSE(Query(&item, &kind));
    EXPECT_EQ(RefreshKind::kNone, kind);
    const SYSTEMTIME midnight = At(2026, 12, 8, 0, 0);
    CeSim_SetClock(&midnight);
    EXPECT_FALSE(Query(&item, &kind));  // only a height change is reported
    EXPECT_EQ(RefreshKind::kNewDay, kind);
    EXPECT_EQ((std::vector<bool>{false}), pim.reloads);
    for (fakes::Tab* t : {cal, tasks, mail, sevents}) EXPECT_EQ(1, t->dateChanges);
    EXPECT_FALSE(Query(&item, &kind));
    EXPECT_EQ(RefreshKind::kNone, kind);
    EXPECT_EQ(1, cal->dateChanges);
}

TEST_F(HostCoreTest, ZoneChangeRefreshesWithTheZoneFlagAndBlinksAnAlert) {
    s.AutoHeight.Set(0);
    sevents->alert = true;
    TODAYLISTITEM item = {};
    item.cyp = 160;
    const TIME_ZONE_INFORMATION z = Zone(300);
    CeSim_SetTimeZone(&z);
    RefreshKind kind;
    EXPECT_FALSE(Query(&item, &kind));
    EXPECT_EQ(RefreshKind::kNewZone, kind);
    EXPECT_EQ((std::vector<bool>{true}), pim.reloads);
    EXPECT_EQ(1, tasks->dateChanges);
    EXPECT_EQ((std::vector<int>{6}), bar->blinking);
    Query(&item, &kind);
    EXPECT_EQ(RefreshKind::kNone, kind);
}

TEST_F(HostCoreTest, DataChangesReachTheirTabsAndANewAlertBlinks) {
    fakes::Tab* designed = Add(7, TAB_TYPE_DESIGNED);
    fakes::Tab* hosted = Add(8, TAB_TYPE_TODAY_ITEM);
    struct Case {
        DWORD mask;
        bool alert;
        int calChanges, seventsChanges;
        std::vector<int> blinking;
    };
    const Case cases[] = {
        {TAB_TYPE_CALENDAR, true, 1, 0, {}},
        {TAB_TYPE_SEVENTS, false, 0, 1, {}},
        {TAB_TYPE_SEVENTS | TAB_TYPE_CALENDAR, true, 1, 1, {6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mask);
        cal->dataChanges = sevents->dataChanges = 0;
        bar->blinking.clear();
        sevents->alert = c.alert;
        core.OnDataChanged(c.mask);
        EXPECT_EQ(c.calChanges, cal->dataChanges);
        EXPECT_EQ(c.seventsChanges, sevents->dataChanges);
        EXPECT_EQ(c.blinking, bar->blinking);
    }
    // Contact records: only the external tab libraries hear which one, and how.
    core.OnContactNotice(ContactNotice::kDeleted, 42);
    EXPECT_EQ("contact2 42", designed->Log());
    EXPECT_EQ("", hosted->Log());
    EXPECT_EQ("", sevents->Log());
}

TEST_F(HostCoreTest, HeightChangeIsReportedOnce) {
    s.AutoHeight.Set(0);
    s.dHeightLimit.Set(111);
    TODAYLISTITEM item = {};
    EXPECT_TRUE(Query(&item));
    EXPECT_EQ(111u, item.cyp);
    EXPECT_FALSE(Query(&item));
}

TEST_F(HostCoreTest, DefaultTabTimerBringsTheDefaultTabBack) {
    s.DfltTabTimeOut.Set(3);  // 30 minutes
    s.DfltTab.Set(0);         // Calendar
    core.SelectTab(2);
    EXPECT_EQ(2u, s.ActiveTab.value());
    EXPECT_EQ("hide", cal->Log());
    EXPECT_EQ("show", tasks->Log());
    ASSERT_TRUE(timers.Running(IDT_DEFAULTTAB));
    EXPECT_EQ(30u * 60000u, timers.period[IDT_DEFAULTTAB]);
    timers.Advance(30 * 60000 - 1);
    EXPECT_EQ(2u, s.ActiveTab.value());
    timers.Advance(1);
    EXPECT_EQ((std::vector<int>{1}), bar->selections);
    EXPECT_EQ(1u, s.ActiveTab.value());
    EXPECT_FALSE(timers.Running(IDT_DEFAULTTAB));  // back on the default: killed
}

TEST_F(HostCoreTest, DefaultTabTimerOffAndOutOfRange) {
    s.DfltTab.Set(0);
    s.DfltTabTimeOut.Set(0);
    core.SelectTab(2);
    EXPECT_TRUE(timers.log.empty());
    s.DfltTabTimeOut.Set(7);  // past the table: off
    core.SelectTab(5);
    EXPECT_FALSE(timers.Running(IDT_DEFAULTTAB));
    s.DfltTabTimeOut.Set(1);
    s.DfltTab.Set(6);  // names no tab
    core.SelectTab(2);
    EXPECT_FALSE(timers.Running(IDT_DEFAULTTAB));
    s.DfltTab.Set(1);  // Tasks, and Tasks is active
    core.SelectTab(2);
    EXPECT_FALSE(timers.Running(IDT_DEFAULTTAB));
    core.SelectTab(1);
    EXPECT_TRUE(timers.Running(IDT_DEFAULTTAB));
    EXPECT_EQ(5u * 60000u, timers.period[IDT_DEFAULTTAB]);
}

TEST_F(HostCoreTest, MailBurstRefreshesTheCalendarOnceTwoSecondsAfterTheLast) {
    s.IncludeMainOnCal.Set(1);
    core.OnMailChanged();
    timers.Advance(1000);
    core.OnMailChanged();
    EXPECT_EQ(2, mail->dataChanges);  // the Mail tab reloads at each change
    timers.Advance(1999);
    EXPECT_EQ(0, cal->dataChanges);
    timers.Advance(1);
    EXPECT_EQ(1, cal->dataChanges);
    EXPECT_EQ(1, pim.mailRebuilds);
    timers.Advance(10000);
    EXPECT_EQ(1, cal->dataChanges);  // killed once it fired
}

TEST_F(HostCoreTest, MailWithoutCalendarMailStartsNoTimer) {
    core.OnMailChanged();
    EXPECT_FALSE(timers.Running(IDT_MAILTOCALENDAR));
    EXPECT_EQ(1, mail->dataChanges);
}

TEST_F(HostCoreTest, DataChangesReachTheTabsOfTheirTypes) {
    core.OnDataChanged(TAB_TYPE_CALENDAR | TAB_TYPE_SEVENTS);
    EXPECT_EQ(1, cal->dataChanges);
    EXPECT_EQ(1, sevents->dataChanges);
    EXPECT_EQ(0, tasks->dataChanges);
    core.OnDataChanged(0);
    EXPECT_EQ(1, cal->dataChanges);
}

TEST_F(HostCoreTest, LayoutRunsOnlyWhenSomethingChanged) {
    s.VerticalTabs.Set(1);
    EXPECT_TRUE(core.Layout(0, 40, 240, 200));
    EXPECT_EQ("move 26,22,214,178", cal->Log());
    EXPECT_FALSE(core.Layout(0, 40, 240, 200));
    EXPECT_EQ("", cal->Log());
    s.RemoveTabsBar.Set(1);
    EXPECT_TRUE(core.Layout(0, 40, 240, 200));
    EXPECT_EQ("move 26,0,214,200", cal->Log());
    EXPECT_EQ(2, cal->hostMoves);
    // Moved by the Today screen, same size: what the tabs drew over the
    // background under the host is stale.
    EXPECT_TRUE(core.Layout(0, 41, 240, 200));
    EXPECT_EQ(3, cal->hostMoves);
}

TEST_F(HostCoreTest, TabBarHeightNeverNegative) {
    EXPECT_EQ(20, HorizontalTabBarHeight(s));
    s.RemoveTabsBar.Set(1);
    EXPECT_EQ(0, HorizontalTabBarHeight(s));
}

TEST(TabList, OrderedByIdWithTheInsertionRule) {
    CTabList list;
    list.Insert(std::unique_ptr<CTab>(new fakes::Tab(4, TAB_TYPE_CONTACTS)));
    list.Insert(std::unique_ptr<CTab>(new fakes::Tab(2, TAB_TYPE_TASKS)));
    list.Insert(std::unique_ptr<CTab>(new fakes::Tab(9, TAB_TYPE_DESIGNED)));
    list.Insert(std::unique_ptr<CTab>(new fakes::Tab(3, TAB_TYPE_NOTES)));
    ASSERT_EQ(4u, list.Count());
    EXPECT_EQ(2, list.At(0)->Id());
    EXPECT_EQ(3, list.At(1)->Id());
    EXPECT_EQ(9, list.At(3)->Id());
    EXPECT_EQ(TAB_TYPE_NOTES, list.FindType(TAB_TYPE_NOTES)->GetType());
    EXPECT_EQ(nullptr, list.Find(7));
    EXPECT_EQ(-1, list.IndexOf(7));
    EXPECT_EQ(nullptr, list.At(4));
}
