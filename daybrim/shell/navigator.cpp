#include "navigator.h"

#include "settings.h"
#include "tab.h"
#include "tab_bar.h"
#include "tab_types.h"
#include "todaycmn.h"

namespace daybrim {

CDPadNavigator::CDPadNavigator(NavigatorHost& host, CTabBar* bar, CTabList* tabs, CSettings& settings, bool oldShell)
    : host_(host), bar_(bar), tabs_(tabs), settings_(settings) {
    hookMode_ = settings_.DPadEnabled.value() == 1 && (oldShell || settings_.ExclusiveDPadNavig.value() == 1);
    if (hookMode_) {
        hasSelection_ = true;
        host_.InstallHook();
        hookTicks_ = 0;
        host_.StartTimer(IDT_HOOKWATCH, 1000);
    }
}

CDPadNavigator::~CDPadNavigator() {
    host_.RemoveHook();
    host_.KillTimer(IDT_HOOKWATCH);
}

CTab* CDPadNavigator::Active() const { return tabs_ ? tabs_->Find(settings_.ActiveTab.Int()) : nullptr; }
bool CDPadNavigator::Horizontal() const { return settings_.VerticalTabs.value() != 1; }
int CDPadNavigator::Mode() const { return settings_.DPadMode.value() == 1 ? 1 : 0; }

void CDPadNavigator::FocusBar() {
    focusInTab_ = false;
    if (bar_) bar_->RepaintFocus(true);
}

void CDPadNavigator::SelectNeighbour(int step) {
    if (!tabs_ || !bar_ || tabs_->Count() == 0) return;
    const int at = tabs_->IndexOf(settings_.ActiveTab.Int());
    const int to = at < 0 ? 0 : at + step;
    if (to < 0 || to >= int(tabs_->Count())) return;  // no wrap past either end
    bar_->SelectTab(tabs_->At(size_t(to))->Id());
}

LRESULT CDPadNavigator::PreFilter(UINT msg, WPARAM wp, LPARAM lp) {
    if (settings_.DPadEnabled.value() != 1) return -1;
    switch (msg) {
    case WM_TIMER:
        if (wp == IDT_DBLKEY_LEFT || wp == IDT_DBLKEY_RIGHT) {
            host_.KillTimer(UINT(wp));
            dblRunning_[wp == IDT_DBLKEY_RIGHT] = false;
            return 1;
        }
        if (wp == IDT_HOOKWATCH) {
            // The hook is only wanted while the Today screen is in front.
            if (!host_.TodayIsForeground()) host_.RemoveHook();
            else if (!host_.HookInstalled()) host_.InstallHook();
            if (++hookTicks_ >= 10) host_.KillTimer(IDT_HOOKWATCH);
            return 1;
        }
        return -1;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
        if (hookMode_) {
            hookTicks_ = 0;
            host_.StartTimer(IDT_HOOKWATCH, 1000);
        }
        return -1;
    case WM_TODAYCUSTOM_RECEIVEDSELECTION:
        return hookMode_ ? 0 : ReceiveSelection(UINT(wp));
    case WM_TODAYCUSTOM_LOSTSELECTION:
        return hookMode_ ? 0 : LoseSelection();
    case WM_TODAYCUSTOM_USERNAVIGATION:
        if (hookMode_) return 0;
        if (wp == VK_LEFT || wp == VK_UP || wp == VK_RIGHT || wp == VK_DOWN) return Dispatch(UINT(wp));
        return 1;
    case WM_TODAYCUSTOM_ACTION:
        if (hookMode_) return 0;
        Action();
        return 1;
    }
    if (msg == WM_DR_HOOKKEY) {
        Dispatch(UINT(lp));
        return 0;
    }
    return -1;
}

LRESULT CDPadNavigator::ReceiveSelection(UINT key) {
    if (hasSelection_) return 1;
    hasSelection_ = true;
    CTab* active = Active();
    LRESULT r;
    if (Horizontal() && key == VK_DOWN && Mode() == 0) {
        FocusBar();  // arriving from above lands on the bar first
        return 1;
    }
    if (key == VK_UP || key == VK_DOWN) {
        focusInTab_ = true;
        r = active ? active->ReceiveSelection(key) : 0;
    } else if (!focusInTab_) {
        if (bar_) bar_->RepaintFocus(true);
        return 1;
    } else {
        r = active ? active->ReceiveSelection(key) : 0;
    }
    // Declined: the Today screen moves on and will send no lost-selection, so the
    // item must not believe it holds the selection.
    if (!r) hasSelection_ = false;
    return r;
}

LRESULT CDPadNavigator::LoseSelection() {
    if (!hasSelection_) return 1;
    hasSelection_ = false;
    if (focusInTab_) {
        if (CTab* active = Active()) active->LoseSelection();
    }
    if (bar_) bar_->RepaintFocus(false);
    return 1;
}

void CDPadNavigator::TakeSelection(int arg) {
    if (hookMode_) return;
    if (!hasSelection_) {
        hasSelection_ = true;
        if (arg == 1) focusInTab_ = true;
        host_.TookSelection();
    } else if (!focusInTab_ && arg == 1) {
        focusInTab_ = true;
        if (bar_) bar_->RepaintFocus(false);
    }
}

LRESULT CDPadNavigator::DoublePress(UINT key, bool* handled) {
    const int step = key == VK_LEFT ? -1 : 1;
    *handled = false;
    if (Mode() == 1) {
        SelectNeighbour(step);
        *handled = true;
        return 1;
    }
    if (settings_.DPadDoubleClickTabSwitching.value() != 1 || !focusInTab_) return 0;
    const int slot = key == VK_RIGHT;
    const UINT timer = slot ? IDT_DBLKEY_RIGHT : IDT_DBLKEY_LEFT;
    if (dblRunning_[slot]) {
        host_.KillTimer(timer);
        dblRunning_[slot] = false;
        if (CTab* active = Active()) active->LoseSelection();
        SelectNeighbour(step);
        if (CTab* now = Active()) now->ReceiveSelection(VK_DOWN);
        *handled = true;
        return 1;
    }
    dblRunning_[slot] = true;
    host_.StartTimer(timer, 300);
    return 0;
}

LRESULT CDPadNavigator::Dispatch(UINT key) {
    CTab* active = Active();
    const HWND host = host_.HostWindow();
    const int id = settings_.ActiveTab.Int();
    switch (key) {
    case VK_UP:
        if (!Horizontal()) {
            if (!focusInTab_) {
                SelectNeighbour(-1);
                return 1;
            }
            return active ? active->KeyUp(host, id) : 0;
        }
        if (!focusInTab_ || !active) return 0;
        if (LRESULT r = active->KeyUp(host, id)) return r;
        // At the top of the list: mode 0 climbs onto the bar, mode 1 leaves the item.
        if (Mode() == 0) FocusBar();
        active->LoseSelection();
        return Mode() == 0 ? 1 : 0;
    case VK_DOWN:
        if (!Horizontal()) {
            if (!focusInTab_) {
                SelectNeighbour(1);
                return 1;
            }
            return active ? active->KeyDown(host, id) : 0;
        }
        if (!focusInTab_) {
            if (bar_) bar_->RepaintFocus(false);
            focusInTab_ = true;
            LRESULT r = active ? active->ReceiveSelection(VK_DOWN) : 0;
            return !r && hookMode_ ? 1 : r;
        }
        return active ? active->KeyDown(host, id) : 0;
    case VK_LEFT:
    case VK_RIGHT: {
        bool handled;
        LRESULT r = DoublePress(key, &handled);
        if (handled) return r;
        active = Active();
        if (Horizontal()) {
            if (!focusInTab_) {
                SelectNeighbour(key == VK_LEFT ? -1 : 1);
                return 1;
            }
            if (!active) return 0;
            return key == VK_LEFT ? active->KeyLeft(host, id) : active->KeyRight(host, id);
        }
        if (key == VK_LEFT) {
            if (!focusInTab_ || !active) return 0;
            if (LRESULT k = active->KeyLeft(host, id)) return k;
            if (Mode() == 0) FocusBar();
            active->LoseSelection();
            return 1;
        }
        if (!focusInTab_) {
            focusInTab_ = true;
            if (bar_) bar_->RepaintFocus(false);
            return active ? active->ReceiveSelection(0) : 0;
        }
        return active ? active->KeyRight(host, id) : 0;
    }
    case VK_RETURN:
        return Action();
    }
    return 0;
}

LRESULT CDPadNavigator::Action() {
    CTab* active = Active();
    const HWND host = host_.HostWindow();
    const int id = settings_.ActiveTab.Int();
    if (Mode() == 0) {
        if (!focusInTab_) {
            if (bar_) bar_->PerformFocusedAction();
            return 1;
        }
        return active ? active->KeyEnter(host, id) : 0;
    }
    if (active && active->GetType() == TAB_TYPE_DESIGNED) {
        if (LRESULT r = active->KeyEnter(host, id)) return r;
    }
    switch (settings_.DPadScrollingAction.value()) {
    case 1:
        // The new height is reported at the next poll.
        settings_.LastMinimizeState.Set(settings_.LastMinimizeState.value() == 1 ? 0 : 1);
        settings_.LastMinimizeState.Write();
        return 1;
    case 2:
        settings_.RemoveTabsBar.Set(settings_.RemoveTabsBar.value() == 1 ? 0 : 1);
        settings_.RemoveTabsBar.Write();
        host_.ForceLayout();
        return 1;
    }
    return 0;
}

}  // namespace daybrim
