// ScrollingListView: the list window of an item tab. It owns the back buffer and
// the scroll bar; the rows are painted by its parent, the tab window, which it
// asks with the paint request and tells of taps with the tap message.
#pragma once
#include <windows.h>

#include <string>

#include "alpha_image.h"
#include "list_input.h"
#include "list_scroll.h"
#include "raii.h"
#include "window.h"

namespace daybrim {

// Sent to the tab window. Paint: wParam the back buffer's DC; the tab reads the
// offset from the list itself (a full int) and returns the content height.
// Tap: lParam as WM_LBUTTONDOWN, list-client coordinates.
const UINT WM_LIST_TAP = WM_USER + 1;
const UINT WM_LIST_PAINT = WM_USER + 2;

struct ListLook {
    bool barLeft = false;          // "GoofyMode"
    bool fullBar = true;           // "UseFullScrollings": track, arrows and thumb
    bool doubleTapToEnd = true;    // "UseDoubleClickScroll"
    bool trackTransparent = false;
    COLORREF trackColour = 0x8C8C8C;
    std::wstring skinFolder;
    bool high = false;
    HMODULE resolution = nullptr;
};

class ScrollingListView : public win::Window {
public:
    ScrollingListView() : scroll_(ScrollMetrics::For(TheScaler())) {}
    ~ScrollingListView() override;

    // Registers `cls` (no background brush: nothing is ever erased) and creates
    // the window as a visible child.
    HWND Create(HINSTANCE inst, const std::wstring& cls, HWND parent, int x, int y, int w, int h);
    void Destroy();
    void SetLook(const ListLook& look);

    ScrollModel& Scroll() { return scroll_; }
    const ScrollModel& Scroll() const { return scroll_; }
    ContentSpan Span() const { return RowsSpan(scroll_, look_.barLeft); }
    bool BarLeft() const { return look_.barLeft; }
    void Repaint();
    // Sets the offset and repaints when it moved.
    void ScrollTo(long long offset);

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnSize(int w, int h);
    void OnPaint();
    int PaintRows();
    void DrawBar(HDC dc);
    void OnPenDown(int x, int y);
    void OnPenMove(WPARAM wp, LPARAM lp);
    void OnPenUp(WPARAM wp, LPARAM lp);
    void OnTimer(UINT id);
    bool TimerRunning(UINT id) const { return (timers_ & (1u << (id - kTimerArrowDown))) != 0; }
    void SetTimerFlag(UINT id, bool on);
    void StartTimer(UINT id, UINT ms);
    void StopTimer(UINT id);

    ScrollModel scroll_;
    ListLook look_;
    std::wstring class_;
    HINSTANCE inst_ = nullptr;
    raii::MemDC buffer_;
    raii::Bitmap bufferBitmap_;
    HGDIOBJ bufferOld_ = nullptr;
    CAlphaImage up_, down_;
    bool pageDown_ = false, pageUp_ = false;
    unsigned timers_ = 0;  // bits of 1034..1037 running
};

}  // namespace daybrim
