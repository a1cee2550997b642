#include "today_screen.h"

#include <algorithm>
#include <cstdlib>

#include "navbar.h"
#include "reg.h"

namespace today {

namespace {

const wchar_t kScreenClass[] = L"DesktopExplorerWindow";  // the handheld's own name for it
const wchar_t kViewClass[] = L"TodayView";
const UINT_PTR kPollTimer = 1;

const wchar_t kTodayKey[] = L"Software\\Microsoft\\Today";

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
    auto ch = [&](int sa, int sb) { return sa + (sb - sa) * num / den; };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

}  // namespace

// The scrolling area between the bands: the items' parent, to which they send the
// TODAYM_ messages.
class TodayScreen::View : public win::Window {
public:
    explicit View(TodayScreen* screen) : screen_(screen) {}
    bool Create(HINSTANCE inst, const RECT& rc) {
        Register(inst, kViewClass, 0, nullptr);
        return CreateWin(0, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rc.left, rc.top,
                         rc.right - rc.left, rc.bottom - rc.top, screen_->hwnd(), inst) != nullptr;
    }
    int scroll = 0;

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd_, &rc);
            screen_->PaintBackground(reinterpret_cast<HDC>(wp), rc, POINT{0, 0});
            return 1;
        }
        case TODAYM_GETCOLOR:
            return LRESULT(screen_->Color(DWORD(wp)));
        case TODAYM_DRAWWATERMARK:
            return OnDrawWatermark(reinterpret_cast<const TODAYDRAWWATERMARKINFO*>(lp));
        case TODAYM_TOOKSELECTION:
            OnTookSelection(reinterpret_cast<HWND>(wp));
            return 0;
        case WM_VSCROLL:
            OnScroll(LOWORD(wp));
            return 0;
        case WM_KEYDOWN:
            screen_->Key(UINT(wp));
            return 0;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }

    LRESULT OnDrawWatermark(const TODAYDRAWWATERMARKINFO* info) {
        if (!info || !info->hdc) return FALSE;
        // The item asks for the background under its own area: map it into the view.
        POINT origin = {info->rc.left, info->rc.top};
        if (info->hwnd) MapWindowPoints(info->hwnd, hwnd_, &origin, 1);
        screen_->PaintBackground(info->hdc, info->rc, origin);
        return TRUE;
    }

    void OnTookSelection(HWND item) {
        TodayModel& m = screen_->model();
        for (size_t i = 0; i < m.Count(); ++i)
            if (m.Item(i).hwndCustom == item) m.OnTookSelection(*static_cast<ItemPort*>(screen_), i);
    }

    void OnScroll(WORD code) {
        SCROLLINFO si = {sizeof si, SIF_ALL};
        GetScrollInfo(hwnd_, SB_VERT, &si);
        int pos = si.nPos;
        const int line = screen_->Scale(16), page = int(si.nPage);
        switch (code) {
        case SB_LINEUP: pos -= line; break;
        case SB_LINEDOWN: pos += line; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = si.nTrackPos; break;
        default: return;
        }
        pos = std::max(0, std::min(pos, si.nMax - int(si.nPage) + 1));
        if (pos == scroll) return;
        scroll = pos;
        screen_->Layout();
    }

    TodayScreen* screen_;
};

TodayScreen::TodayScreen(const ScreenOptions& options) : options_(options) {}

TodayScreen::~TodayScreen() {
    UnloadItems();
    view_.reset();
}

HWND TodayScreen::view() const { return view_ ? view_->hwnd() : nullptr; }

bool TodayScreen::Create(HINSTANCE inst) {
    inst_ = inst;
    {
        raii::WindowDC dc(nullptr);
        dpi_ = GetDeviceCaps(dc.get(), LOGPIXELSY);
    }
    controlMsg_ = RegisterWindowMessageW(TODAY_CONTROL_MESSAGE);
    Register(inst, kScreenClass, 0, nullptr, LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    if (!CreateWin(0, kScreenClass, L"Start", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, options_.width,
                   options_.height, nullptr, inst))
        return false;
    // The handheld's work area starts below the navigation band.
    RECT work = {0, bandHeight(), options_.width, options_.height};
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &work, 0);

    barFont_.reset(cesim::CreateNavigationBarFont(dpi_));

    view_.reset(new View(this));
    RECT rc = {0, bandHeight(), options_.width, options_.height - bandHeight()};
    if (!view_->Create(inst, rc)) return false;
    theme_ = ReadTheme();
    LoadWatermark();
    if (options_.pollMs) SetTimer(hwnd_, kPollTimer, options_.pollMs, nullptr);
    SetFocus(view());
    return true;
}

bool TodayScreen::Theme::operator==(const Theme& o) const {
    return watermark == o.watermark && pictureSize == o.pictureSize &&
           CompareFileTime(&pictureTime, &o.pictureTime) == 0 && text == o.text && highlight == o.highlight &&
           highlightText == o.highlightText;
}

TodayScreen::Theme TodayScreen::ReadTheme() {
    Theme t;
    t.watermark = reg::String(HKEY_LOCAL_MACHINE, kTodayKey, L"Watermark");
    t.text = reg::Dword(HKEY_LOCAL_MACHINE, kTodayKey, L"TextColor", RGB(0, 0, 0));
    t.highlight = reg::Dword(HKEY_LOCAL_MACHINE, kTodayKey, L"HighlightColor", RGB(16, 80, 176));
    t.highlightText = reg::Dword(HKEY_LOCAL_MACHINE, kTodayKey, L"HighlightTextColor", RGB(255, 255, 255));
    WIN32_FILE_ATTRIBUTE_DATA fa;
    if (!t.watermark.empty() && GetFileAttributesExW(t.watermark.c_str(), GetFileExInfoStandard, &fa)) {
        t.pictureSize = (ULONGLONG(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
        t.pictureTime = fa.ftLastWriteTime;
    }
    return t;
}

void TodayScreen::LoadWatermark() {
    // Whatever happens below, the old picture is not the theme's any more.
    watermark_.reset();
    const std::wstring& path = theme_.watermark;
    if (path.empty()) return;
    raii::Bitmap pic(static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    if (!pic) return;
    BITMAP bm;
    if (!GetObjectW(pic.get(), sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight == 0) return;
    RECT rc;
    GetClientRect(view(), &rc);
    if (rc.right <= 0 || rc.bottom <= 0) return;
    raii::WindowDC screen(nullptr);
    raii::Bitmap scaled(CreateCompatibleBitmap(screen.get(), rc.right, rc.bottom));
    raii::MemDC from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
    if (!scaled || !from || !to) return;
    {
        raii::Select a(from.get(), pic.get()), b(to.get(), scaled.get());
        // Smooth: a small picture stretched over a large screen shows no steps.
        SetStretchBltMode(to.get(), HALFTONE);
        SetBrushOrgEx(to.get(), 0, 0, nullptr);
        StretchBlt(to.get(), 0, 0, rc.right, rc.bottom, from.get(), 0, 0, bm.bmWidth, std::abs(bm.bmHeight), SRCCOPY);
    }
    watermark_ = std::move(scaled);
}

bool TodayScreen::ThemeChanged() {
    Theme now = ReadTheme();
    if (now == theme_) return false;
    theme_ = std::move(now);
    LoadWatermark();
    // Items keep the background under them: all of them drop it before the repaint.
    for (size_t i = 0; i < model_.Count(); ++i)
        Send(i, WM_TODAYCUSTOM_CLEARCACHE, reinterpret_cast<WPARAM>(&model_.Item(i)), 0);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return true;
}

void TodayScreen::PaintBackground(HDC dc, const RECT& dst, POINT src) const {
    RECT view;
    GetClientRect(this->view(), &view);
    if (watermark_) {
        raii::MemDC mem(CreateCompatibleDC(dc));
        raii::Select sel(mem.get(), watermark_.get());
        BitBlt(dc, dst.left, dst.top, dst.right - dst.left, dst.bottom - dst.top, mem.get(), src.x, src.y, SRCCOPY);
        return;
    }
    // No picture: a soft vertical gradient over the view, so that items that draw
    // transparently show whether they asked for the right part of it.
    const COLORREF top = RGB(200, 218, 242), bottom = RGB(248, 251, 255);
    const int h = std::max<int>(1, view.bottom);
    for (int y = dst.top; y < dst.bottom; ++y) {
        int vy = std::max(0, std::min(h - 1, int(src.y + (y - dst.top))));
        raii::Brush b(CreateSolidBrush(Mix(top, bottom, vy, h)));
        RECT row = {dst.left, y, dst.right, y + 1};
        FillRect(dc, &row, b.get());
    }
}

COLORREF TodayScreen::Color(DWORD which) const {
    switch (which) {
    case TODAYCOLOR_TEXT: return theme_.text;
    case TODAYCOLOR_HIGHLIGHT: return theme_.highlight;
    case TODAYCOLOR_HIGHLIGHTEDTEXT: return theme_.highlightText;
    }
    return RGB(0, 0, 0);
}

void TodayScreen::LoadItems() {
    for (const ItemConfig& c : ReadItemConfigs(options_.itemsRoot, options_.itemsKey.c_str())) {
        if (!c.enabled) continue;
        raii::Library lib(LoadLibraryW(c.dll.c_str()));
        if (!lib) continue;
        auto init = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
            reinterpret_cast<void*>(GetProcAddress(lib.get(), MAKEINTRESOURCEA(ORDINAL_INITIALIZECUSTOMITEM))));
        if (!init) continue;
        TODAYLISTITEM tli = {};
        lstrcpynW(tli.szName, c.name.c_str(), MAX_ITEMNAME);
        lstrcpynW(tli.szDLLPath, c.dll.c_str(), MAX_PATH);
        tli.tlit = static_cast<TODAYLISTITEMTYPE>(c.type);
        tli.dwOrder = c.order;
        tli.fEnabled = TRUE;
        tli.fOptions = c.options != 0;
        tli.grfFlags = c.flags;
        tli.hinstDLL = lib.get();
        tli.dwSelectability = c.selectability;
        model_.Add(tli);
        TODAYLISTITEM& item = model_.Item(model_.Count() - 1);
        item.hwndCustom = init(&item, view());
        if (!item.hwndCustom) {
            model_.RemoveLast();  // the item declined: it gets no place on the screen
            continue;
        }
        libraries_.push_back(std::move(lib));
    }
    PollNow();
}

void TodayScreen::UnloadItems() {
    for (size_t i = model_.Count(); i-- > 0;) {
        HWND h = model_.Item(i).hwndCustom;
        if (h && IsWindow(h)) {
            SendMessageW(h, WM_TODAYCUSTOM_CLEARCACHE, reinterpret_cast<WPARAM>(&model_.Item(i)), 0);
            DestroyWindow(h);
        }
    }
    model_ = TodayModel();
    while (!libraries_.empty()) libraries_.pop_back();  // in reverse order of loading
}

LRESULT TodayScreen::Send(size_t item, UINT msg, WPARAM wp, LPARAM lp) {
    HWND h = model_.Item(item).hwndCustom;
    return h && IsWindow(h) ? SendMessageW(h, msg, wp, lp) : 0;
}

void TodayScreen::PollNow() {
    PollResult r = model_.Poll(*this);
    if (r.relayout) Layout();
    for (size_t i : r.repaint) {
        HWND h = model_.Item(i).hwndCustom;
        if (h) RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void TodayScreen::Layout() {
    RECT rc;
    GetClientRect(view(), &rc);
    const int total = model_.TotalHeight();
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS};
    si.nMin = 0;
    si.nMax = total;
    si.nPage = UINT(rc.bottom + 1);
    view_->scroll = std::max(0, std::min(view_->scroll, total - int(rc.bottom)));
    si.nPos = view_->scroll;
    SetScrollInfo(view(), SB_VERT, &si, TRUE);
    GetClientRect(view(), &rc);  // the scroll bar may have come or gone
    HDWP dwp = BeginDeferWindowPos(int(model_.Count()));
    for (size_t i = 0; i < model_.Count(); ++i) {
        const TODAYLISTITEM& it = model_.Item(i);
        if (!it.hwndCustom) continue;
        dwp = DeferWindowPos(dwp, it.hwndCustom, nullptr, 0, model_.Top(i) - view_->scroll, rc.right, int(it.cyp),
                             SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(dwp);
    RedrawWindow(view(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TodayScreen::Key(UINT vk) {
    int before = model_.Selected();
    model_.OnKey(*this, vk);
    int now = model_.Selected();
    if (now >= 0 && now != before) {
        // Bring the newly selected item into view.
        RECT rc;
        GetClientRect(view(), &rc);
        int top = model_.Top(size_t(now)), bottom = top + int(model_.Item(size_t(now)).cyp);
        int scroll = view_->scroll;
        if (bottom - scroll > rc.bottom) scroll = bottom - rc.bottom;
        if (top < scroll) scroll = top;
        if (scroll != view_->scroll) {
            view_->scroll = scroll;
            Layout();
        }
    }
}

void TodayScreen::Tap(int x, int y, bool hold) {
    POINT pt = {x, y};
    HWND target = hwnd_;
    for (;;) {
        POINT c = pt;
        ScreenToClient(target, &c);
        HWND child = ChildWindowFromPointEx(target, c, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
        if (!child || child == target) break;
        target = child;
    }
    ScreenToClient(target, &pt);
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (hold) {
        // Held long enough for any gesture recogniser before the stylus lifts.
        DWORD until = GetTickCount() + 1000;
        MSG msg;
        while (int(until - GetTickCount()) > 0) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    PostMessageW(target, WM_LBUTTONUP, 0, at);
}

namespace {
void PumpInput() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
}  // namespace

void TodayScreen::Drag(int x1, int y1, int x2, int y2) {
    POINT pt = {x1, y1};
    HWND target = hwnd_;
    for (;;) {
        POINT c = pt;
        ScreenToClient(target, &c);
        HWND child = ChildWindowFromPointEx(target, c, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
        if (!child || child == target) break;
        target = child;
    }
    auto post = [&](UINT msg, WPARAM wp, int x, int y) {
        HWND to = GetCapture() ? GetCapture() : target;
        POINT c = {x, y};
        ScreenToClient(to, &c);
        PostMessageW(to, msg, wp, MAKELPARAM(c.x, c.y));
        PumpInput();
    };
    // A tap-and-hold recogniser started by the pen-down watches the window that
    // asked (often the touched window's parent) for the pen's first move: it is
    // queued there behind the down, as a moving pen's would be.
    const int steps = 8;
    {
        POINT c = {x1, y1};
        ScreenToClient(target, &c);
        PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    }
    if (HWND parent = GetParent(target)) {
        POINT c = {x1 + (x2 - x1) / steps, y1 + (y2 - y1) / steps};
        ScreenToClient(parent, &c);
        PostMessageW(parent, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(c.x, c.y));
    }
    PumpInput();
    for (int i = 1; i <= steps; ++i)
        post(WM_MOUSEMOVE, MK_LBUTTON, x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps);
    post(WM_LBUTTONUP, 0, x2, y2);
}

void TodayScreen::Hibernate() {
    for (size_t i = 0; i < model_.Count(); ++i) Send(i, WM_HIBERNATE, 0, 0);
    SendMessageTimeoutW(HWND_BROADCAST, WM_HIBERNATE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
}

void TodayScreen::SettingChange() {
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
}

bool TodayScreen::Capture(Pixels* out) {
    PollNow();
    return CaptureWindow(hwnd_, out);
}

bool TodayScreen::CaptureAsShown(Pixels* out) {
    PollNow();
    RECT rc;
    return GetWindowRect(hwnd_, &rc) && CaptureScreenArea(rc, out);
}

void TodayScreen::PaintFrame(HDC dc) {
    const int band = bandHeight();
    RECT top = {0, 0, options_.width, band};
    RECT bottom = {0, options_.height - band, options_.width, options_.height};
    cesim::PaintNavigationBar(dc, top, L"Start", barFont_.get(), dpi_);
    for (int y = 0; y < band; ++y) {
        raii::Brush b2(CreateSolidBrush(Mix(RGB(64, 64, 72), RGB(24, 24, 28), y, band)));
        RECT row2 = {0, bottom.top + y, options_.width, bottom.top + y + 1};
        FillRect(dc, &row2, b2.get());
    }
    raii::Select font(dc, barFont_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT s = bottom;
    s.right = options_.width / 2;
    DrawTextW(dc, L"Calendar", -1, &s, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    s.left = s.right;
    s.right = options_.width;
    DrawTextW(dc, L"Contacts", -1, &s, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT TodayScreen::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        raii::PaintDC dc(hwnd_);
        PaintFrame(dc.get());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wp == kPollTimer) PollNow();
        return 0;
    case WM_KEYDOWN:
        Key(UINT(wp));
        return 0;
    case WM_SETTINGCHANGE:
        ThemeChanged();
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd_, kPollTimer);
        UnloadItems();
        if (options_.quitOnDestroy) PostQuitMessage(0);
        return 0;
    }
    if (msg == controlMsg_ && controlMsg_) {
        switch (wp) {
        case kCtlPoll: PollNow(); break;
        case kCtlHibernate: Hibernate(); break;
        case kCtlSettingChange: SettingChange(); break;
        case kCtlReload: UnloadItems(); LoadItems(); break;
        case kCtlQuit: DestroyWindow(hwnd_); break;
        }
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace today
