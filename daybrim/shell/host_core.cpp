#include "host_core.h"

#include <algorithm>
#include <cstring>

#include "scale.h"
#include "settings.h"
#include "tab_types.h"
#include "week_number.h"

namespace daybrim {

double OleDate(const SYSTEMTIME& t) {
    return DayFromDate(t.wYear, t.wMonth, t.wDay) + (t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond) / 86400.0;
}

void CRefreshSnapshot::Record() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    lastDate = OleDate(now);
    tz = TIME_ZONE_INFORMATION();
    tzResult = GetTimeZoneInformation(&tz);
}

RefreshKind CheckRefresh(CRefreshSnapshot& snap, const SYSTEMTIME& now, DWORD tzResult,
                         const TIME_ZONE_INFORMATION& tz) {
    const double date = OleDate(now);
    if (static_cast<long long>(date) != static_cast<long long>(snap.lastDate)) {
        snap.lastDate = date;
        snap.tzResult = tzResult;
        snap.tz = tz;
        return RefreshKind::kNewDay;
    }
    if (tzResult != snap.tzResult || std::memcmp(&tz, &snap.tz, sizeof tz) != 0) {
        snap.lastDate = date;
        snap.tzResult = tzResult;
        snap.tz = tz;
        return RefreshKind::kNewZone;
    }
    return RefreshKind::kNone;
}

int ComputeItemHeight(const CSettings& s, int current, const HeightEnv& env) {
    if (s.AutoHeight.value() != 1) {
        const int fixed = s.dHeightLimit.Int();
        const int landscape = s.dHeightLimitLandscape.Int();
        if (landscape != 0 && landscape != fixed && env.screenWidth > env.screenHeight) return std::max(0, landscape);
        return std::max(0, fixed);
    }
    // Fill what the Today screen has left below its other items.
    const int h = env.parentKnown ? (env.parentBottom - ScaleY(2) - env.scrollMax) - env.parentTop + current : 0;
    // A vertical bar needs room for its buttons; without buttons yet, the usual least.
    int least = ScaleY(80);
    if (s.VerticalTabs.value() == 1 && env.tabBarMinHeight > 0) least = env.tabBarMinHeight;
    return std::max(h, least);
}

int HorizontalTabBarHeight(const CSettings& s) {
    const int row = s.RemoveTabsBar.value() == 1 ? 0 : ScaleY(22);
    return std::max(0, row - ScaleY(2));
}

CHostCore::CHostCore(CSettings& settings, TimerPort& timers, PimStore& pim)
    : settings_(settings), timers_(timers), pim_(pim) {}

BOOL CHostCore::QueryRefresh(HWND hwnd, TODAYLISTITEM* item, const HeightEnv& env, RefreshKind* refreshed) {
    *refreshed = RefreshKind::kNone;
    for (size_t i = 0; i < tabs_.Count(); ++i)
        tabs_.At(i)->QueryRefresh(hwnd, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(item), 0);
    if (!item) return FALSE;
    if (settings_.LastMinimizeState.value() == 1) {
        // Minimized: only the title row, and no refresh until it is restored.
        const DWORD want = DWORD(ScaleY(20));
        if (item->cyp == want) return FALSE;
        item->cyp = want;
        return TRUE;
    }
    bool changed = false;
    const DWORD h = DWORD(ComputeItemHeight(settings_, int(item->cyp), env));
    if (h != item->cyp) {
        item->cyp = h;
        changed = true;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    TIME_ZONE_INFORMATION tz = {};
    const DWORD tzr = GetTimeZoneInformation(&tz);
    *refreshed = CheckRefresh(snapshot_, now, tzr, tz);
    if (*refreshed != RefreshKind::kNone) Refresh(*refreshed);
    return changed ? TRUE : FALSE;
}

void CHostCore::Refresh(RefreshKind kind) {
    pim_.Reload(kind == RefreshKind::kNewZone);
    for (size_t i = 0; i < tabs_.Count(); ++i) {
        CTab* t = tabs_.At(i);
        t->OnDateChanged();
        if (t->GetType() == TAB_TYPE_SEVENTS && t->HasAlert() && bar_) bar_->StartBlinking(t->Id());
    }
}

bool CHostCore::Layout(int x, int y, int cx, int cy) {
    const bool removed = settings_.RemoveTabsBar.value() == 1;
    CRefreshSnapshot& s = snapshot_;
    if (s.laidOut && s.x == x && s.y == y && s.cx == cx && s.cy == cy && s.tabsBarRemoved == removed) return false;
    s.laidOut = true;
    s.x = x;
    s.y = y;
    s.cx = cx;
    s.cy = cy;
    s.tabsBarRemoved = removed;
    const bool vertical = settings_.VerticalTabs.value() == 1;
    const int L = vertical ? ScaleX(26) : 0;
    const int T = removed ? 0 : ScaleY(22);
    for (size_t i = 0; i < tabs_.Count(); ++i) {
        CTab* t = tabs_.At(i);
        t->OnHostMoved();
        t->Move(L, T, cx - L, cy - T);
        if (HWND cap = t->CaptionWindow()) {
            if (!removed) {
                SetWindowPos(cap, nullptr, L, 0, ScaleX(140), ScaleY(20), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
                ShowWindow(cap, t->Id() == settings_.ActiveTab.Int() ? SW_SHOW : SW_HIDE);
            } else {
                ShowWindow(cap, SW_HIDE);
            }
        }
    }
    if (bar_) {
        if (vertical) {
            bar_->Move(0, 0, L, cy, true);
            const bool hide = removed || settings_.RemoveSettingsButton.value() != 0;
            bar_->ShowSettingsButton(!hide, cx - ScaleX(20), 0, ScaleX(20), ScaleX(20));
        } else if (!removed) {
            bar_->Move(ScaleX(140), 0, cx - ScaleX(140), ScaleY(20), false);
            bar_->Show(true);
        } else {
            bar_->Show(false);
        }
    }
    return true;
}

void CHostCore::SelectTab(int id) {
    const bool withCaption = settings_.RemoveTabsBar.value() != 1;
    if (CTab* old = tabs_.Find(settings_.ActiveTab.Int())) old->Hide(withCaption);
    settings_.ActiveTab.Set(DWORD(id));
    settings_.ActiveTab.Write();
    CTab* now = tabs_.Find(id);
    if (now) now->Show(withCaption);
    // Away from the default tab for long enough, the item goes back to it.
    const DWORD timeout = DefaultTabTimeoutMs(settings_.DfltTabTimeOut.value());
    if (settings_.DfltTabTimeOut.value() == 0) return;
    const DWORD want = DefaultTabType(settings_.DfltTab.value());
    if (timeout && want && now && now->GetType() != want) timers_.StartTimer(IDT_DEFAULTTAB, UINT(timeout));
    else timers_.KillTimer(IDT_DEFAULTTAB);
}

void CHostCore::OnDefaultTabTimer() {
    timers_.KillTimer(IDT_DEFAULTTAB);
    const DWORD want = DefaultTabType(settings_.DfltTab.value());
    if (!want) return;
    if (CTab* t = tabs_.FindType(want)) {
        if (bar_) bar_->SelectTab(t->Id());
    }
}

void CHostCore::OnMailChanged() {
    // Each change pushes the calendar's refresh back: a burst refreshes it once.
    if (settings_.IncludeMainOnCal.value() == 1) timers_.StartTimer(IDT_MAILTOCALENDAR, 2000);
    if (CTab* mail = tabs_.FindType(TAB_TYPE_MAIL)) mail->OnDataChanged();
}

void CHostCore::OnMailTimer() {
    timers_.KillTimer(IDT_MAILTOCALENDAR);
    pim_.RebuildMailOnCalendar();
    if (CTab* cal = tabs_.FindType(TAB_TYPE_CALENDAR)) cal->OnDataChanged();
}

void CHostCore::OnDataChanged(DWORD mask) {
    for (size_t i = 0; i < tabs_.Count(); ++i) {
        CTab* t = tabs_.At(i);
        if (!(t->GetType() & mask)) continue;
        t->OnDataChanged();
        // A birthday saved for today is due at once, not at the next day change.
        if (t->GetType() == TAB_TYPE_SEVENTS && t->HasAlert() && bar_) bar_->StartBlinking(t->Id());
    }
}

void CHostCore::OnContactNotice(ContactNotice notice, DWORD oid) {
    for (size_t i = 0; i < tabs_.Count(); ++i) {
        CTab* t = tabs_.At(i);
        if (t->GetType() == TAB_TYPE_DESIGNED) t->OnContactNotice(notice, oid);
    }
}

void CHostCore::DestroyTabs() {
    for (size_t i = 0; i < tabs_.Count(); ++i) tabs_.At(i)->Destroy();
    tabs_.Clear();
    if (bar_) bar_->Destroy();
    bar_.reset();
}

}  // namespace daybrim
