#include "list_window.h"

#include <windowsx.h>

#include <algorithm>

namespace daybrim {

ScrollingListView::~ScrollingListView() { Destroy(); }

HWND ScrollingListView::Create(HINSTANCE inst, const std::wstring& cls, HWND parent, int x, int y, int w, int h) {
    inst_ = inst;
    class_ = cls;
    if (!Register(inst, cls.c_str(), CS_HREDRAW | CS_VREDRAW, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))))
        return nullptr;
    return CreateWin(0, cls.c_str(), L"", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, inst);
}

void ScrollingListView::Destroy() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
    if (buffer_ && bufferOld_) SelectObject(buffer_.get(), bufferOld_);
    bufferOld_ = nullptr;
    bufferBitmap_.reset();
    buffer_.reset();
    if (inst_ && !class_.empty()) UnregisterClassW(class_.c_str(), inst_);
    up_.Release();
    down_.Release();
}

void ScrollingListView::SetLook(const ListLook& look) {
    look_ = look;
    up_.Release();
    down_.Release();
}

void ScrollingListView::Repaint() {
    if (!hwnd_) return;
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

void ScrollingListView::ScrollTo(long long offset) {
    if (scroll_.SetOffset(offset)) Repaint();
}

LRESULT ScrollingListView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        RECT rc;
        GetClientRect(hwnd_, &rc);
        OnSize(rc.right, rc.bottom);
        return 0;
    }
    case WM_SIZE: OnSize(LOWORD(lp), HIWORD(lp)); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(); return 0;
    case WM_LBUTTONDOWN: OnPenDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_MOUSEMOVE: OnPenMove(wp, lp); return 0;
    case WM_LBUTTONUP: OnPenUp(wp, lp); return 0;
    case WM_TIMER: OnTimer(UINT(wp)); return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void ScrollingListView::OnSize(int w, int h) {
    scroll_.SetView(w, h);
    if (buffer_ && bufferOld_) SelectObject(buffer_.get(), bufferOld_);
    bufferOld_ = nullptr;
    bufferBitmap_.reset();
    buffer_.reset();
    if (w <= 0 || h <= 0) return;
    raii::WindowDC screen(hwnd_);
    buffer_.reset(CreateCompatibleDC(screen.get()));
    bufferBitmap_.reset(CreateCompatibleBitmap(screen.get(), w, h));
    if (buffer_ && bufferBitmap_) bufferOld_ = SelectObject(buffer_.get(), bufferBitmap_.get());
}

int ScrollingListView::PaintRows() {
    HWND parent = GetParent(hwnd_);
    const int offset = scroll_.Offset();
    return int(SendMessageW(parent, WM_LIST_PAINT, reinterpret_cast<WPARAM>(buffer_.get()), LPARAM(offset & 0xFFFF)));
}

void ScrollingListView::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (buffer_ && bufferOld_) {
        if (scroll_.TakeContentHeight(PaintRows())) scroll_.TakeContentHeight(PaintRows());
        DrawBar(buffer_.get());
        BitBlt(dc, 0, 0, scroll_.ViewWidth(), scroll_.ViewHeight(), buffer_.get(), 0, 0, SRCCOPY);
    }
    EndPaint(hwnd_, &ps);
}

namespace {

// An arrow when the skin has no picture for it.
void DrawArrowShape(HDC dc, int x, int y, int w, int h, bool up, COLORREF colour) {
    POINT p[3];
    if (up) {
        p[0] = {x + w / 2, y + 2};
        p[1] = {x + 1, y + h - 3};
        p[2] = {x + w - 2, y + h - 3};
    } else {
        p[0] = {x + 1, y + 2};
        p[1] = {x + w - 2, y + 2};
        p[2] = {x + w / 2, y + h - 3};
    }
    raii::Brush b(CreateSolidBrush(colour));
    raii::Pen pen(CreatePen(PS_SOLID, 1, colour));
    raii::Select sb(dc, b.get());
    raii::Select sp(dc, pen.get());
    Polygon(dc, p, 3);
}

}  // namespace

void ScrollingListView::DrawBar(HDC dc) {
    const ScrollMetrics& m = scroll_.Metrics();
    const int w = scroll_.ViewWidth(), h = scroll_.ViewHeight();
    const int arrowW = m.arrowHeight;
    const int colX = look_.barLeft ? ScaleX(1) : w - arrowW;
    auto arrow = [&](bool up, int y) {
        CAlphaImage& img = up ? up_ : down_;
        if (!DrawSkinImage(dc, colX, y, look_.skinFolder, up ? L"up" : L"down", &img, 0, look_.high, look_.resolution))
            DrawArrowShape(dc, colX, y, arrowW, m.arrowHeight, up, 0x404040);
    };
    if (!look_.fullBar) {
        if (scroll_.Offset() > 0) arrow(true, ScaleY(1));
        if (scroll_.Offset() + 1 < scroll_.ContentHeight() - h) arrow(false, h - m.arrowHeight);
        return;
    }
    if (scroll_.Offset() == 0 && !scroll_.Scrollable()) return;
    if (!look_.trackTransparent) {
        const COLORREF c = (pageDown_ || pageUp_) ? 0x505050 : look_.trackColour;
        const int x = look_.barLeft ? ScaleX(7) : w - ScaleX(9);
        RECT r = {x, ScaleY(8), x + ScaleX(2), h - ScaleY(8)};
        raii::Brush b(CreateSolidBrush(c));
        FillRect(dc, &r, b.get());
    }
    arrow(true, ScaleY(1));
    arrow(false, h - m.arrowHeight);
    const Thumb t = scroll_.ThumbNow();
    // The thumb: two caps and a middle, drawn as one rounded bar.
    RECT r = {colX + 1, t.top, colX + arrowW - 1, t.top + t.length};
    raii::Brush b(CreateSolidBrush(0x606060));
    FillRect(dc, &r, b.get());
}

void ScrollingListView::SetTimerFlag(UINT id, bool on) {
    const unsigned bit = 1u << (id - kTimerArrowDown);
    timers_ = on ? (timers_ | bit) : (timers_ & ~bit);
}

void ScrollingListView::StartTimer(UINT id, UINT ms) {
    SetTimer(hwnd_, id, ms, nullptr);
    SetTimerFlag(id, true);
}

void ScrollingListView::StopTimer(UINT id) {
    KillTimer(hwnd_, id);
    SetTimerFlag(id, false);
}

void ScrollingListView::OnPenDown(int x, int y) {
    SetCapture(hwnd_);
    const BarPart part = HitScrollBar(scroll_, look_.barLeft, x, y);
    switch (part) {
    case BarPart::kNone:
        SendMessageW(GetParent(hwnd_), WM_LIST_TAP, 0, MAKELPARAM(x, y));
        return;
    case BarPart::kDownArrow:
    case BarPart::kUpArrow: {
        const bool down = part == BarPart::kDownArrow;
        if (down ? scroll_.Offset() >= scroll_.MaxOffset() : scroll_.Offset() <= 0) return;
        const UINT toEnd = down ? kTimerDownToEnd : kTimerUpToEnd;
        if (TimerRunning(toEnd)) {
            StopTimer(toEnd);
            ScrollTo(down ? scroll_.MaxOffset() : 0);
            return;
        }
        if (look_.doubleTapToEnd) StartTimer(toEnd, 300);
        StartTimer(down ? kTimerArrowDown : kTimerArrowUp, 70);
        return;
    }
    default: break;
    }
    if (!look_.fullBar) {
        SendMessageW(GetParent(hwnd_), WM_LIST_TAP, 0, MAKELPARAM(x, y));
        return;
    }
    if (part == BarPart::kThumb) scroll_.BeginDrag(y);
    else if (part == BarPart::kBelow) pageDown_ = true;
    else pageUp_ = true;
    Repaint();
}

void ScrollingListView::OnPenMove(WPARAM wp, LPARAM lp) {
    if (scroll_.Dragging()) {
        if (scroll_.DragTo(GET_Y_LPARAM(lp))) Repaint();
        return;
    }
    if (!pageDown_ && !pageUp_ && !TimerRunning(kTimerArrowDown) && !TimerRunning(kTimerArrowUp))
        SendMessageW(GetParent(hwnd_), WM_MOUSEMOVE, wp, lp);
}

void ScrollingListView::OnPenUp(WPARAM wp, LPARAM lp) {
    ReleaseCapture();
    const bool wasBar = scroll_.Dragging() || pageDown_ || pageUp_ || TimerRunning(kTimerArrowDown) ||
                        TimerRunning(kTimerArrowUp);
    scroll_.EndDrag();
    if (TimerRunning(kTimerArrowDown) || TimerRunning(kTimerArrowUp)) {
        StopTimer(kTimerArrowDown);
        StopTimer(kTimerArrowUp);
        return;
    }
    if (pageDown_ || pageUp_) {
        const int page = scroll_.ViewHeight();
        const bool down = pageDown_;
        pageDown_ = pageUp_ = false;
        scroll_.ScrollBy(down ? page : -page);
        Repaint();
        return;
    }
    if (!wasBar) SendMessageW(GetParent(hwnd_), WM_LBUTTONUP, wp, lp);
}

void ScrollingListView::OnTimer(UINT id) {
    switch (id) {
    case kTimerArrowDown:
    case kTimerArrowUp: {
        const bool down = id == kTimerArrowDown;
        if (scroll_.ScrollBy(down ? scroll_.Metrics().lineStep : -scroll_.Metrics().lineStep)) Repaint();
        if (down ? scroll_.Offset() >= scroll_.MaxOffset() : scroll_.Offset() <= 0) StopTimer(id);
        return;
    }
    case kTimerUpToEnd:
    case kTimerDownToEnd: StopTimer(id); return;
    }
}

}  // namespace daybrim
