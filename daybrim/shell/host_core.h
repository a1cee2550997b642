// The host window's decisions, apart from its window: the reported height, the
// refresh on a new day or time zone, the layout pass, the tab switch with its
// default-tab timer, the mail-to-calendar debounce and the PIM change fan-out.
// CHostWindow feeds it messages; tests feed it fakes.
#pragma once
#include <windows.h>

#include <memory>

#include "messages.h"
#include "services.h"
#include "tab.h"
#include "tab_bar.h"
#include "todaycmn.h"

namespace daybrim {

class CSettings;

// What the last layout pass and the last refresh saw.
struct CRefreshSnapshot {
    int x = 0, y = 0, cx = 0, cy = 0;
    bool tabsBarRemoved = false;
    double lastDate = 0;  // OLE automation date; only the day is compared
    DWORD tzResult = 0;
    TIME_ZONE_INFORMATION tz = {};
    bool laidOut = false;

    void Record();  // the current date and zone
};

enum class RefreshKind { kNone, kNewDay, kNewZone };

// Decides, and records, whether the day or the zone changed since the snapshot.
RefreshKind CheckRefresh(CRefreshSnapshot& snap, const SYSTEMTIME& now, DWORD tzResult,
                         const TIME_ZONE_INFORMATION& tz);
double OleDate(const SYSTEMTIME& t);

// What the height computation reads from the screen and the Today screen.
struct HeightEnv {
    int screenWidth = 240, screenHeight = 320;
    bool parentKnown = false;     // the parent's rectangle and scroll range below are valid
    int parentTop = 0, parentBottom = 0;
    int scrollMax = 0;            // the Today screen's total content height
    int tabBarMinHeight = 0;      // vertical bars: buttons × 23 − 1, scaled
};

int ComputeItemHeight(const CSettings& s, int current, const HeightEnv& env);

// The tab bar's height at creation: the row less its two-pixel gap, never negative.
int HorizontalTabBarHeight(const CSettings& s);

class CHostCore {
public:
    CHostCore(CSettings& settings, TimerPort& timers, PimStore& pim);

    CTabList& tabs() { return tabs_; }
    CTabBar* bar() { return bar_.get(); }
    void SetTabBar(std::unique_ptr<CTabBar> bar) { bar_ = std::move(bar); }
    CRefreshSnapshot& snapshot() { return snapshot_; }

    // WM_TODAYCUSTOM_QUERYREFRESHCACHE: TRUE exactly when cyp changed. *refreshed
    // says whether the day or zone changed, so that the window repaints.
    BOOL QueryRefresh(HWND hwnd, TODAYLISTITEM* item, const HeightEnv& env, RefreshKind* refreshed);

    // WM_WINDOWPOSCHANGED: false when nothing the layout depends on changed.
    bool Layout(int x, int y, int cx, int cy);

    void SelectTab(int id);  // WM_DR_SELECTTAB
    void OnDefaultTabTimer();
    void OnMailChanged();
    void OnMailTimer();
    void OnDataChanged(DWORD mask);
    // A contacts record changed: the external tab libraries are told which.
    void OnContactNotice(ContactNotice notice, DWORD oid);
    void Refresh(RefreshKind kind);
    void DestroyTabs();

private:
    CSettings& settings_;
    TimerPort& timers_;
    PimStore& pim_;
    CTabList tabs_;
    std::unique_ptr<CTabBar> bar_;
    CRefreshSnapshot snapshot_;
};

}  // namespace daybrim
