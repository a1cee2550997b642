#include "monthly_calendar.h"

#include <aygshell.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "image_cache.h"
#include "week_number.h"

namespace daybrim {

using namespace monthly;

const wchar_t CMonthlyCalendar::kFloatingClass[] = L"MONTHLY_CAL_FLOATING";
const wchar_t CMonthlyCalendar::kPinnedClass[] = L"MONTHLY_CLR_PINNED";

namespace {

// Month menu (language library menu 236) and its commands.
constexpr int kMenuMonth = 236;
constexpr int kCmdSelectWeek = 40082, kCmdSelectMonth = 40093, kCmdBrowse = 40111;
constexpr int kCmdNewAppointment = 40090, kCmdNewTask = 40089;
constexpr int kCmdMonth1 = 56, kCmdMonth12 = 67;
constexpr unsigned kStrSelectAllOf = 40986;
// The entries a tap-and-hold on a day does without (the month list).
constexpr int kHoldRemovedAt = 7, kHoldRemovedCount = 2;

// Caption buttons of the floating calendar.
constexpr int kBtnToday = 1, kBtnPrevious = 2, kBtnNext = 3, kBtnClose = 4;

constexpr int kYearEditId = 100;
// Ends the year box after its own kill-focus notice has returned: a control is
// not destroyed inside its own message.
constexpr UINT kMsgEndYearBox = WM_APP + 46;

COLORREF Pick(COLORREF setting, uint32_t skin) { return setting == 0xFFFFFFFF ? COLORREF(skin) : setting; }

void Fill(HDC dc, const BarRect& r, COLORREF c) {
    const RECT rc = {r.left, r.top, r.right, r.bottom};
    raii::Brush b(CreateSolidBrush(c));
    FillRect(dc, &rc, b.get());
}

void Text(HDC dc, const BarRect& r, const std::wstring& s, COLORREF c, UINT flags) {
    RECT rc = {r.left, r.top, r.right, r.bottom};
    SetTextColor(dc, c);
    DrawTextW(dc, s.c_str(), int(s.size()), &rc, flags | DT_SINGLELINE | DT_NOPREFIX);
}

std::wstring DateText(int day, const wchar_t* picture) {
    SYSTEMTIME st = {};
    int y, m, d;
    DateFromDay(day, &y, &m, &d);
    st.wYear = WORD(y);
    st.wMonth = WORD(m);
    st.wDay = WORD(d);
    st.wDayOfWeek = WORD(Weekday(day));
    wchar_t buf[64] = {};
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, 0, &st, picture, buf, 64)) return std::wstring();
    return buf;
}

bool IsWeekend(int day, unsigned long firstWorkDay) {
    // Five working days from the day after "FirstWorkDay", as the weeks start.
    const int from = FirstWeekday(firstWorkDay);
    return ((Weekday(day) - from + 7) % 7) >= 5;
}

monthly::PendingResult g_result;
CMonthlyCalendar* g_floating = nullptr;

}  // namespace

PendingResult& MonthlyPendingResult() { return g_result; }

CMonthlyCalendar& FloatingCalendar() {
    if (!g_floating) g_floating = new CMonthlyCalendar;
    return *g_floating;
}

void ReleaseFloatingCalendar() {
    if (!g_floating) return;
    g_floating->Destroy();
    delete g_floating;
    g_floating = nullptr;
}

CMonthlyCalendar::~CMonthlyCalendar() {
    // The loader tells this object; it ends before anything here goes.
    loader_.Stop();
}

// --- Opening and closing ---------------------------------------------------------

bool CMonthlyCalendar::Show(const MonthlySetup& setup, HWND owner, int x, int y, int width, int height, int mode,
                            uint32_t itemId, double itemStart, bool pinned) {
    if (hwnd_ && closing_) return false;  // still waiting for its loader
    const bool refresh = hwnd_ != nullptr;
    if (!refresh) {
        loader_.SetReader(nullptr);
        setup_ = setup;
        // The loader runs only when the days show something of their appointments.
        const bool wanted = setup_.timelines != 0 || (setup_.categoryIcons && !pinned);
        reader_ = setup_.makeReader && wanted ? setup_.makeReader() : nullptr;
        loader_.SetReader(reader_.get());
    }
    owner_ = owner;
    pinned_ = pinned;
    mode_ = IsRedateMode(mode) ? mode : kBrowse;
    itemId_ = itemId;
    itemStart_ = itemStart;
    dpadActive_ = !pinned && (setup_.dpadNavigation == 2 || (setup_.dpadNavigation == 1 && mode_ != kBrowse));
    Rebuild(setup_.today);
    if (dpadActive_) sel_.Day(setup_.today);
    if (refresh) {
        InvalidateRect(hwnd_, nullptr, FALSE);
        return true;
    }
    closing_ = false;
    font_.reset(CreateFontW(-setup_.sc.Y(10), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    boldFont_.reset(CreateFontW(-setup_.sc.Y(11), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    const wchar_t* cls = pinned ? kPinnedClass : kFloatingClass;
    if (!Register(setup_.inst, cls, 0, nullptr, LoadCursorW(nullptr, IDC_ARROW))) return false;
    if (pinned) {
        captionHeight_ = 0;
        if (!CreateWin(0, cls, L"", WS_CHILD | WS_VISIBLE, x, y, width, height, owner, setup_.inst)) return false;
        notify_.store(hwnd_);
        RequestData();
        return true;
    }
    // Kept on the screen: a popup opened low moves up.
    const int screenH = GetSystemMetrics(SM_CYSCREEN);
    if (y + setup_.sc.Y(170) > screenH) y = screenH - setup_.sc.Y(180);
    captionHeight_ = setup_.sc.Y(22);
    if (!CreateWin(WS_EX_TOPMOST, cls, L"", WS_POPUP | WS_BORDER | WS_VISIBLE, x, y, width, height, owner,
                   setup_.inst))
        return false;
    notify_.store(hwnd_);
    RequestData();
    CreateCaption();
    SetFocus(hwnd_);
    return true;
}

void CMonthlyCalendar::CreateCaption() {
    std::vector<CaptionButton> buttons;
    const int slots[] = {kImgPopupClrToday, kImgPopupClrPrev, kImgPopupClrNext, kImgCloseButtonPopup};
    const int ids[] = {kBtnToday, kBtnPrevious, kBtnNext, kBtnClose};
    for (int i = 0; i < 4; ++i) buttons.push_back({ids[i], setup_.images ? &setup_.images->Image(slots[i]) : nullptr});
    CaptionColours colours;
    colours.background = Colour(kMonWeekNums);
    colours.accent = Colour(kMonHighlight);
    caption_.Create(hwnd_, setup_.inst, false, buttons, colours);
}

void CMonthlyCalendar::Close() {
    if (!hwnd_ || closing_) return;
    closing_ = true;
    EndYearBox(false);
    // With a read under way the window stays until the loader has ended, so that
    // the result never overtakes it; the loader posts the end itself.
    if (!loader_.Finish()) SendMessageW(hwnd_, kMsgLoaderEnded, 0, 0);
}

void CMonthlyCalendar::Destroy() {
    loader_.Stop();
    // A result this calendar was about to deliver goes with it; left pending it
    // would refuse every later one.
    if (closing_) g_result.Drop();
    closing_ = false;
    if (hwnd_) DestroyWindow(hwnd_);
}

void CMonthlyCalendar::OnLoaderEnded() {
    if (!closing_) return;  // a stale notice
    loader_.Stop();         // the worker has ended: this only joins it
    closing_ = false;
    DeliverResult();
    if (!pinned_ && hwnd_) DestroyWindow(hwnd_);
    if (pinned_ && hwnd_) {
        sel_.Clear();
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
}

void CMonthlyCalendar::DeliverResult() {
    Result r;
    if (!g_result.Take(&r)) return;
    if (r.message == kMsgCopyAppointment || r.message == kMsgMoveAppointment) {
        if (setup_.redateAppointment)
            setup_.redateAppointment(owner_, uint32_t(r.param1), itemStart_, int(r.param2),
                                     r.message == kMsgCopyAppointment);
        return;
    }
    if (IsWindow(owner_)) SendMessageW(owner_, r.message, WPARAM(r.param1), LPARAM(r.param2));
}

void CMonthlyCalendar::Refresh(int today) {
    setup_.today = today;
    if (!hwnd_) return;
    Rebuild(today);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// --- The grid and its data -------------------------------------------------------

void CMonthlyCalendar::Rebuild(int day) {
    grid_ = GridFor(day, FirstWeekday(setup_.startDay));
    sel_.Clear();
    if (loaded_ && (loaded_->first != grid_.first || loaded_->last != grid_.last)) loaded_.reset();
    RequestData();
}

void CMonthlyCalendar::GoTo(int day) {
    Rebuild(day);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CMonthlyCalendar::RequestData() {
    // Not before the window exists: the loader's notices go to it.
    if (reader_ && hwnd_ && !closing_) loader_.Request(grid_.first, grid_.last);
}

void CMonthlyCalendar::Loaded() {
    if (HWND w = notify_.load()) PostMessageW(w, kMsgLoaded, 0, 0);
}

void CMonthlyCalendar::Ended() {
    if (HWND w = notify_.load()) PostMessageW(w, kMsgLoaderEnded, 0, 0);
}

monthly::Layout CMonthlyCalendar::MakeLayout(int width, int height) const {
    Layout l;
    l.sc = setup_.sc;
    l.width = width;
    l.height = height;
    l.top = captionHeight_;
    l.sideColumn = pinned_ ? setup_.sc.X(24) : 0;
    l.weekNumbers = setup_.weekNumbers;
    l.rows = grid_.Rows();
    l.monthText = layout_.monthText;
    l.yearText = layout_.yearText;
    return l;
}

int CMonthlyCalendar::DayAt(POINT screen) const {
    if (!hwnd_) return -1;
    POINT p = screen;
    ScreenToClient(hwnd_, &p);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const int cell = MakeLayout(rc.right, rc.bottom).CellAt(p.x, p.y);
    return cell < 0 ? -1 : grid_.first + cell;
}

void CMonthlyCalendar::HighlightDay(int day) {
    if (highlightDay_ == day) return;
    highlightDay_ = day;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CMonthlyCalendar::ClearHighlight() { HighlightDay(-1); }

// --- Messages --------------------------------------------------------------------

LRESULT CMonthlyCalendar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT:
        raii::PaintBuffered(hwnd_, [&](HDC dc, int w, int h) { Paint(dc, w, h); });
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: OnPenDown(short(LOWORD(lp)), short(HIWORD(lp))); return 0;
    case WM_MOUSEMOVE: OnPenMove(short(LOWORD(lp)), short(HIWORD(lp))); return 0;
    case WM_LBUTTONUP: OnPenUp(short(LOWORD(lp)), short(HIWORD(lp))); return 0;
    case WM_KEYDOWN: OnKey(wp); return 0;
    case WM_COMMAND:
        if (LOWORD(wp) == kYearEditId) {
            if (HIWORD(wp) == EN_KILLFOCUS) PostMessageW(hwnd_, kMsgEndYearBox, 1, 0);
            return 0;
        }
        OnCommand(LOWORD(wp));
        return 0;
    case WM_DR_CAPTIONBUTTON: OnCaptionButton(int(wp)); return 0;
    case kMsgLoaded:
        if (auto got = loader_.TakeLoaded()) {
            // Only the month on screen is kept; an older one is dropped.
            if (got->first == grid_.first && got->last == grid_.last)
                loaded_.reset(static_cast<MonthTimelines*>(got.release()));
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
    case kMsgLoaderEnded: OnLoaderEnded(); return 0;
    case kMsgEndYearBox: EndYearBox(wp != 0); return 0;
    case WM_DESTROY:
        // Whoever destroys the window, the loader ends with it.
        loader_.Stop();
        notify_.store(nullptr);
        caption_.Destroy();
        yearEdit_.release();  // children: they go with the window
        yearSpin_.release();
        if (closing_) {
            closing_ = false;
            DeliverResult();
        }
        return 0;
    default: return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

void CMonthlyCalendar::OnCaptionButton(int id) {
    switch (id) {
    case kBtnToday: Navigate(1); break;
    case kBtnPrevious: Navigate(0); break;
    case kBtnNext: Navigate(2); break;
    case kBtnClose: Close(); break;
    }
}

void CMonthlyCalendar::Navigate(int side) {
    const int day = side == 0 ? grid_.PreviousMonthDay() : side == 2 ? grid_.NextMonthDay() : setup_.today;
    GoTo(day);
    if (side == 1 && dpadActive_) sel_.Day(setup_.today);
}

void CMonthlyCalendar::OnPenDown(int x, int y) {
    // The pinned calendar leaves the keys with the agenda; the popup takes them
    // (which also confirms an open year box).
    if (!pinned_) SetFocus(hwnd_);
    else if (yearEdit_) EndYearBox(true);
    if (!pinned_ && y < captionHeight_) {
        // The caption strip drags the popup.
        dragging_ = true;
        dragFrom_ = {x, y};
        SetCapture(hwnd_);
        return;
    }
    RECT rc;
    GetClientRect(hwnd_, &rc);
    layout_ = MakeLayout(rc.right, rc.bottom);
    const int side = layout_.SideButtonAt(x, y);
    if (side >= 0) {
        if (side >= 3) {
            dropMode_ = side == 3 ? kDropMove : kDropCopy;
        } else {
            pressedSide_ = side;
            SetCapture(hwnd_);
        }
        InvalidateRect(hwnd_, nullptr, FALSE);
        return;
    }
    if (layout_.monthText.Contains(x, y)) {
        ShowMonthMenu(-1, POINT{x, y}, false);
        return;
    }
    if (layout_.yearText.Contains(x, y)) {
        ShowYearBox();
        return;
    }
    const int cell = layout_.CellAt(x, y);
    if (cell < 0) return;
    const int day = grid_.first + cell;
    if (PenDownOnDay(day, &sel_)) {
        InvalidateRect(hwnd_, nullptr, FALSE);
        UpdateWindow(hwnd_);
    }
    const POINT at = {x, y};
    if (IsRedateMode(mode_)) {
        ApplyTap(TapDay(day, mode_, intptr_t(itemId_), setup_.onClick, false, grid_, &sel_, &g_result), day, at);
        return;
    }
    SHRGINFO rg = {sizeof rg, hwnd_, at, SHRG_RETURNCMD};
    if (SHRecognizeGesture(&rg) == GN_CONTEXTMENU) {
        ShowMonthMenu(day, at, true);
        return;
    }
    ApplyTap(TapDay(day, mode_, intptr_t(itemId_), setup_.onClick, false, grid_, &sel_, &g_result), day, at);
}

void CMonthlyCalendar::ApplyTap(const TapAction& a, int day, POINT at) {
    if (a.repaint) InvalidateRect(hwnd_, nullptr, FALSE);
    if (a.menu) ShowMonthMenu(day, at, false);
    if (a.close) Close();
}

void CMonthlyCalendar::OnPenMove(int x, int y) {
    if (!dragging_) return;
    RECT wr;
    GetWindowRect(hwnd_, &wr);
    SetWindowPos(hwnd_, nullptr, wr.left + x - dragFrom_.x, wr.top + y - dragFrom_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMonthlyCalendar::OnPenUp(int x, int y) {
    if (GetCapture() == hwnd_) ReleaseCapture();
    dragging_ = false;
    if (pressedSide_ < 0) return;
    const int side = pressedSide_;
    pressedSide_ = -1;
    if (layout_.SideButtonAt(x, y) == side) Navigate(side);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CMonthlyCalendar::OnKey(WPARAM vk) {
    if (vk == VK_ESCAPE && !pinned_) {
        Close();
        return;
    }
    if (!dpadActive_) return;
    if (vk == VK_RETURN) {
        if (sel_.Empty()) return;
        const int day = sel_.first;
        RECT rc;
        GetClientRect(hwnd_, &rc);
        layout_ = MakeLayout(rc.right, rc.bottom);
        const BarRect cell = layout_.Cell(std::clamp(day - grid_.first, 0, grid_.Days() - 1));
        ApplyTap(TapDay(day, mode_, intptr_t(itemId_), setup_.onClick, true, grid_, &sel_, &g_result), day,
                 POINT{cell.left, cell.bottom});
        return;
    }
    const DpadKey keys[] = {kKeyLeft, kKeyUp, kKeyRight, kKeyDown};  // VK_LEFT .. VK_DOWN
    if (vk < VK_LEFT || vk > VK_DOWN) return;
    const int to = DpadTarget(sel_, grid_, keys[vk - VK_LEFT]);
    if (to < 0) return;
    if (!grid_.Contains(to)) Rebuild(to);
    sel_.Day(to);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CMonthlyCalendar::ShowMonthMenu(int day, POINT client, bool fromHold) {
    if (!setup_.lang) return;
    raii::Menu bar(LoadMenuW(setup_.lang, MAKEINTRESOURCEW(kMenuMonth)));
    HMENU menu = bar ? GetSubMenu(bar.get(), 0) : nullptr;
    if (!menu) return;
    if (fromHold)
        for (int i = 0; i < kHoldRemovedCount; ++i) DeleteMenu(menu, kHoldRemovedAt, MF_BYPOSITION);
    // "Select all of" and the month's name.
    wchar_t label[128] = {};
    LoadStringW(setup_.lang, kStrSelectAllOf, label, 128);
    const std::wstring month = std::wstring(label) + DateText(grid_.MonthFirst(), L"MMMM");
    ModifyMenuW(menu, kCmdSelectMonth, MF_BYCOMMAND | MF_STRING, kCmdSelectMonth, month.c_str());
    for (int m = 0; m < 12; ++m) {
        wchar_t name[64] = {};
        if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + m, name, 64))
            ModifyMenuW(menu, kCmdMonth1 + m, MF_BYCOMMAND | MF_STRING, kCmdMonth1 + m, name);
    }
    if (day >= 0 && !sel_.Contains(day)) sel_.Day(day);
    POINT screen = client;
    ClientToScreen(hwnd_, &screen);
    const int cmd = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0, hwnd_,
                                   nullptr);
    if (cmd) OnCommand(cmd);
}

void CMonthlyCalendar::OnCommand(int id) {
    if (id >= kCmdMonth1 && id <= kCmdMonth12) {
        GoTo(DayFromDate(grid_.year, id - kCmdMonth1 + 1, 1));
        return;
    }
    const int anchor = sel_.Empty() ? grid_.MonthFirst() : sel_.first;
    switch (id) {
    case kCmdSelectWeek: sel_.Week(anchor, grid_.firstWeekday); break;
    case kCmdSelectMonth: sel_.Month(grid_); break;
    case kCmdBrowse:
    case kCmdNewAppointment:
    case kCmdNewTask: {
        if (sel_.Empty()) sel_.Day(anchor);
        const unsigned msg = id == kCmdBrowse ? kMsgBrowse : id == kCmdNewAppointment ? kMsgNewAppointment : kMsgNewTask;
        g_result.Store(msg, sel_.first, sel_.last);
        Close();
        return;
    }
    default: return;
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

// --- Year box --------------------------------------------------------------------

void CMonthlyCalendar::ShowYearBox() {
    if (yearEdit_) return;
    const BarRect r = layout_.yearText;
    HWND edit = CreateWindowExW(0, L"EDIT", std::to_wstring(grid_.year).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_BORDER | ES_NUMBER | ES_CENTER, r.left - setup_.sc.X(4),
                                r.top, r.right - r.left + setup_.sc.X(8), r.bottom - r.top, hwnd_,
                                reinterpret_cast<HMENU>(intptr_t(kYearEditId)), setup_.inst, nullptr);
    if (!edit) return;
    yearEdit_.reset(edit);
    SendMessageW(edit, WM_SETFONT, WPARAM(font_.get()), TRUE);
    SendMessageW(edit, EM_LIMITTEXT, 4, 0);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    // Arrows beside the box step the year within the range the agenda can show.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    yearSpin_.reset(CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                    WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                                        UDS_NOTHOUSANDS,
                                    0, 0, 0, 0, hwnd_, nullptr, setup_.inst, nullptr));
    if (yearSpin_) {
        SendMessageW(yearSpin_.get(), UDM_SETBUDDY, WPARAM(edit), 0);
        SendMessageW(yearSpin_.get(), UDM_SETRANGE32, kFirstYear, kLastYear);
        SendMessageW(yearSpin_.get(), UDM_SETPOS32, 0, grid_.year);
    }
    SetFocus(edit);
}

void CMonthlyCalendar::EndYearBox(bool apply) {
    if (!yearEdit_) return;
    wchar_t text[8] = {};
    GetWindowTextW(yearEdit_.get(), text, 8);
    // Taken out first: destroying the box sends the kill-focus that brings us here.
    raii::Window edit(yearEdit_.release());
    yearSpin_.reset();
    edit.reset();
    const int year = int(std::wcstol(text, nullptr, 10));
    if (apply && GridForYear(&grid_, year)) GoTo(DayFromDate(year, grid_.month, 1));
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// --- Painting --------------------------------------------------------------------

void CMonthlyCalendar::Paint(HDC dc, int width, int height) {
    Layout l = MakeLayout(width, height);
    Fill(dc, BarRect{0, 0, width, height}, Pick(setup_.background, 0xFFFFFF));
    if (captionHeight_) Fill(dc, BarRect{0, 0, width, captionHeight_}, Colour(kMonWeekNums));
    SetBkMode(dc, TRANSPARENT);
    raii::Select font(dc, font_ ? font_.get() : GetStockObject(DEFAULT_GUI_FONT));
    PaintHeader(dc, l);
    PaintCells(dc, l);
    if (pinned_) PaintSideColumn(dc, l);
    layout_ = l;
}

void CMonthlyCalendar::PaintHeader(HDC dc, Layout& l) {
    const BarRect h = l.Header();
    // Ten days into the grid is always inside the month.
    const int inMonth = grid_.first + 10;
    const std::wstring month = DateText(inMonth, L"MMMM','"), year = DateText(inMonth, L"yyyy");
    raii::Select bold(dc, boldFont_ ? boldFont_.get() : nullptr);
    SIZE ms = {}, ys = {}, gap = {};
    GetTextExtentPoint32W(dc, month.c_str(), int(month.size()), &ms);
    GetTextExtentPoint32W(dc, year.c_str(), int(year.size()), &ys);
    GetTextExtentPoint32W(dc, L" ", 1, &gap);
    const int mw = int(ms.cx), yw = int(ys.cx), gw = int(gap.cx);
    const int x = std::max(0, (h.left + h.right - mw - gw - yw) / 2);
    l.monthText = BarRect{x, h.top, x + mw, h.bottom};
    l.yearText = BarRect{x + mw + gw, h.top, x + mw + gw + yw, h.bottom};
    Text(dc, l.monthText, month, Colour(kMonDayTitlesText), DT_LEFT | DT_VCENTER);
    Text(dc, l.yearText, year, Colour(kMonDayTitlesText), DT_LEFT | DT_VCENTER);
}

void CMonthlyCalendar::PaintCells(HDC dc, const Layout& l) {
    const int one = std::max(1, setup_.sc.X(1));
    for (int col = 0; col < 7; ++col) {
        const BarRect t = l.DayTitle(col);
        Fill(dc, t, Colour(kMonDayTitles));
        Text(dc, t, DateText(grid_.first + col, L"ddd"), Colour(kMonDayTitlesText), DT_CENTER | DT_VCENTER);
    }
    if (l.weekNumbers) {
        const std::vector<int> weeks = RowWeekNumbers(grid_, setup_.weekRule);
        for (int row = 0; row < grid_.Rows(); ++row) {
            BarRect r = l.WeekCell(row);
            Fill(dc, r, Colour(kMonWeekNums));
            Text(dc, r, std::to_wstring(weeks[size_t(row)]), Colour(kMonWeekNumsText), DT_CENTER | DT_VCENTER);
        }
    }
    const bool loaded = loaded_ && loaded_->first == grid_.first && int(loaded_->days.size()) == grid_.Days();
    const bool bars = loaded && setup_.timelines != 0;
    const bool icons = loaded && setup_.categoryIcons && !pinned_ && setup_.drawCategoryIcon;
    for (int i = 0; i < grid_.Days(); ++i) {
        const int day = grid_.first + i;
        BarRect c = l.Cell(i);
        MonthlyColour bg = kMonWeekdays, fg = kMonWeekdaysText;
        if (!grid_.InMonth(day)) {
            bg = kMonPrevMonth;
            fg = kMonPrevMonthText;
        } else if (IsWeekend(day, setup_.firstWorkDay)) {
            bg = kMonWeekends;
            fg = kMonWeekendsText;
        }
        COLORREF fill = Colour(bg), text = Colour(fg);
        if (day == setup_.today) {
            fill = Pick(setup_.current, Colour(kMonCurrentDay));
            text = Colour(kMonCurrentDayText);
        }
        if (sel_.Contains(day) || day == highlightDay_) {
            fill = Pick(setup_.highlight, Colour(kMonHighlight));
            text = Colour(kMonHighlightText);
        }
        // A line of the background between cells.
        Fill(dc, BarRect{c.left + one, c.top + one, c.right, c.bottom}, fill);
        BarRect num = c;
        if (bars) num.bottom = c.bottom - setup_.sc.Y(4);
        int y, m, d;
        DateFromDay(day, &y, &m, &d);
        Text(dc, num, std::to_wstring(d), text, DT_CENTER | DT_VCENTER);
        if (!loaded) continue;
        const DayTimeline& t = loaded_->days[size_t(i)];
        if (icons) {
            // Along the cell's top, as many as fit.
            const int size = std::max(1, setup_.iconSize), step = size + one;
            int x = c.left + 2 * one;
            for (int32_t id : t.categories) {
                if (x + size > c.right) break;
                if (setup_.drawCategoryIcon(dc, id, x, c.top + 2 * one, size)) x += step;
            }
        }
        if (!bars || t.Empty()) continue;
        // 24 px for the 24 hours: an hour a column, taken when either half is.
        const int w = setup_.sc.X(24), barH = setup_.sc.Y(setup_.timelines == 2 ? 4 : 2);
        const int x0 = (c.left + c.right - w) / 2, y0 = c.bottom - setup_.sc.Y(2) - barH;
        Fill(dc, BarRect{x0, y0, x0 + w, y0 + barH}, setup_.timelineBackground);
        for (int hour = 0; hour < 24; ++hour) {
            const int s = t.occupied[2 * hour] ? 2 * hour : t.occupied[2 * hour + 1] ? 2 * hour + 1 : -1;
            if (s < 0) continue;
            const uint32_t cl = t.colour[s] == DayTimeline::kDefaultColour ? setup_.timelineDefault : t.colour[s];
            const int xa = x0 + hour * w / 24, xb = x0 + (hour + 1) * w / 24;
            Fill(dc, BarRect{xa, y0, std::max(xb, xa + 1), y0 + barH}, cl);
        }
        if (t.hasAllDay) Fill(dc, BarRect{x0, y0 - one, x0 + w, y0}, t.allDayColour);
    }
}

void CMonthlyCalendar::PaintSideColumn(HDC dc, const Layout& l) {
    const int slots[] = {kImgMonthlyPinnedLeft, kImgMonthlyPinnedToday, kImgMonthlyPinnedRight, kImgMonthlyPinnedCut,
                         kImgMonthlyPinnedCopy};
    const wchar_t* marks[] = {L"<", L"o", L">", L"M", L"C"};
    for (int i = 0; i < Layout::kSideButtons; ++i) {
        const BarRect b = l.SideButton(i);
        const bool lit = i == pressedSide_ || (i == 3 && dropMode_ == kDropMove) || (i == 4 && dropMode_ == kDropCopy);
        Fill(dc, b, lit ? Pick(setup_.highlight, Colour(kMonHighlight)) : Colour(kMonWeekNums));
        const CAlphaImage* img = setup_.images ? &setup_.images->Image(slots[i]) : nullptr;
        if (img && img->Loaded()) {
            img->DrawTransparent(dc, (b.left + b.right - img->Width()) / 2, (b.top + b.bottom - img->Height()) / 2);
        } else {
            Text(dc, b, marks[i], lit ? Colour(kMonHighlightText) : Colour(kMonWeekNumsText), DT_CENTER | DT_VCENTER);
        }
    }
}

}  // namespace daybrim
