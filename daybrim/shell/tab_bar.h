// CTabBar: the row (or column) of tab buttons. The host creates it in the
// deferred start-up and the navigator drives its focus; the drawing and the
// buttons come with the tab framework.
#pragma once
#include <windows.h>

namespace daybrim {

class CTab;

class CTabBar {
public:
    virtual ~CTabBar() = default;
    virtual bool Create(HWND parent, int x, int y, int w, int h, bool hookMode, bool vertical, int sx, int sy, int sw,
                        int sh, HINSTANCE inst) {
        vertical_ = vertical;
        return true;
    }
    virtual void AddButton(CTab* tab) {}
    // Selects a tab as a tap would: ends in WM_DR_SELECTTAB to the host.
    virtual void SelectTab(int id) { selected_ = id; }
    virtual void StartBlinking(int id) {}
    // The D-pad highlight is on the bar (on) or has left it (off).
    virtual void RepaintFocus(bool on) { focus_ = on; }
    virtual void PerformFocusedAction() {}
    virtual int MinimumHeight() const { return 0; }
    virtual void Move(int x, int y, int w, int h, bool repaint) {}
    virtual void Show(bool show) {}
    virtual void ShowSettingsButton(bool show, int x, int y, int w, int h) {}
    virtual void Destroy() {}
    virtual HWND Window() const { return nullptr; }

    int Selected() const { return selected_; }
    bool Focused() const { return focus_; }
    bool Vertical() const { return vertical_; }

protected:
    int selected_ = 0;
    bool focus_ = false;
    bool vertical_ = false;
};

}  // namespace daybrim
