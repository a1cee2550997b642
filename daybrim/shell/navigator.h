// CDPadNavigator: where the D-pad highlight is (on the tab bar or inside the
// active tab) and what each key does with it. It sees every host-window message
// first; -1 from PreFilter means "not mine".
#pragma once
#include <windows.h>

#include "messages.h"

namespace daybrim {

class CSettings;
class CTab;
class CTabBar;
class CTabList;

// What the navigator needs of its host window.
class NavigatorHost : public virtual TimerPort {
public:
    virtual HWND HostWindow() = 0;
    virtual void TookSelection() = 0;     // TODAYM_TOOKSELECTION to the Today screen
    virtual void ForceLayout() = 0;       // a layout pass without moving the window
    virtual bool TodayIsForeground() = 0;
    virtual bool InstallHook() = 0;
    virtual void RemoveHook() = 0;
    virtual bool HookInstalled() = 0;
};

class CDPadNavigator {
public:
    // oldShell: CE 3.x or 4.20, whose Today screen has no selection messages.
    CDPadNavigator(NavigatorHost& host, CTabBar* bar, CTabList* tabs, CSettings& settings, bool oldShell);
    ~CDPadNavigator();
    CDPadNavigator(const CDPadNavigator&) = delete;
    CDPadNavigator& operator=(const CDPadNavigator&) = delete;

    LRESULT PreFilter(UINT msg, WPARAM wp, LPARAM lp);
    // A tap: 1 from the item's own area, 0 from the tab bar, the focus flag from a caption.
    void TakeSelection(int arg);

    bool HasSelection() const { return hasSelection_; }
    bool FocusInTab() const { return focusInTab_; }
    bool HookMode() const { return hookMode_; }
    int HookTicks() const { return hookTicks_; }

    LRESULT ReceiveSelection(UINT key);
    LRESULT LoseSelection();
    LRESULT Dispatch(UINT key);
    LRESULT Action();

private:
    CTab* Active() const;
    bool Horizontal() const;
    int Mode() const;
    void FocusBar();  // the highlight goes to the tab bar
    void SelectNeighbour(int step);
    LRESULT DoublePress(UINT key, bool* handled);

    NavigatorHost& host_;
    CTabBar* bar_;
    CTabList* tabs_;
    CSettings& settings_;
    bool hasSelection_ = false;
    bool focusInTab_ = true;
    bool hookMode_ = false;
    int hookTicks_ = 0;
    bool dblRunning_[2] = {false, false};  // left, right: inside the double-press window
};

}  // namespace daybrim
