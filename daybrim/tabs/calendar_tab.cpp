#include "calendar_tab.h"

#include <windowsx.h>

#include <algorithm>

#include "agenda_settings.h"
#include "calendar_dialogs.h"
#include "calendar_input.h"
#include "category_table.h"
#include "image_cache.h"
#include "item_painter.h"
#include "item_actions.h"
#include "launchers.h"
#include "locale_text.h"
#include "mail_items.h"
#include "menu_extensions.h"
#include "monthly_setup.h"
#include "navigator.h"
#include "pim_store.h"
#include "scale.h"
#include "settings.h"
#include "skin.h"
#include "tab_codes.h"

namespace daybrim {

namespace {

enum CalendarCommand : UINT {
    kCmdNewAppointment = 40086,
    kCmdNewTask = 40087,
    kCmdPrivate = 40171,
    kCmdFree = 40173, kCmdBusy = 40174, kCmdTentative = 40175, kCmdOutOfOffice = 40176,
    kCmdFoldAll = 40199, kCmdUnfoldAll = 40200,
    kCmdAccountInbox = 40149, kCmdAccountCompose = 40150,
    kCmdMonthly = 40866,
    kCmdLeaveBrowsing = 41101,
    kCmdAllCategories = 40039,
    kCmdRedateSecond = 40177, kCmdRedateFirst = 40178,
};

// The drag window's texts.
enum DragText : unsigned { kTextMove = 40987, kTextCopy = 40988, kTextAppt = 40989, kTextTask = 40990, kTextTo = 40991 };

// Command -> busy status; the order of the menu is not the order of the values.
int BusyOf(UINT command) {
    switch (command) {
    case kCmdFree: return 0;
    case kCmdTentative: return 1;
    case kCmdBusy: return 2;
    case kCmdOutOfOffice: return 3;
    }
    return -1;
}

double NowOle() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    double d = 0;
    SystemTimeToVariantTime(&st, &d);
    return d;
}

int32_t DayOfItem(const TItem* item) {
    if (!item) return 0;
    if (item->Kind() == kKindGroup) return int32_t(item->Id());
    if (const TChildItem* c = dynamic_cast<const TChildItem*>(item))
        if (c->parent) return int32_t(c->parent->Id());
    return 0;
}

bool IsDayKey(int32_t key) { return key > 3 && key < int32_t(kLaterDay); }

}  // namespace

// The agenda's appointment texts for the painter.
class CCalendarTab::RowTextsOfAgenda : public RowTexts {
public:
    explicit RowTextsOfAgenda(const AgendaModel& m) : m_(m) {}
    std::wstring ApptTime(const TApptItem& a) const override { return m_.Texts(a).timeText; }
    std::wstring ApptSecondLine(const TApptItem& a) const override { return m_.Texts(a).secondLine; }

private:
    const AgendaModel& m_;
};

CCalendarTab::CCalendarTab(const ShellEnv* env, CPimStore* pim)
    : CTabWithItemsList(env), pim_(pim), texts_(env ? env->lang : nullptr) {
    agenda_.reset(new AgendaModel(env && env->settings
                                      ? AgendaSettingsFrom(*env->settings, LocaleWeekRule(*env->settings))
                                      : AgendaSettings(),
                                  texts_, format_));
    rowTexts_.reset(new RowTextsOfAgenda(*agenda_));
}

CCalendarTab::~CCalendarTab() { Destroy(); }

void CCalendarTab::SyncAgenda() {
    if (!pim_) return;
    AgendaRange range;
    range.browsing = browsing_;
    range.first = RangeFirst();
    range.last = RangeLast();
    const int32_t today = pim_->today() ? pim_->today() : DeviceToday();
    agenda_->Sync(pim_->days(), range, today, NowOle());
}

DWORD CCalendarTab::GetType() { return TAB_TYPE_CALENDAR; }

int32_t CCalendarTab::RangeFirst() const {
    if (browsing_) return browseFirst_;
    return pim_ && pim_->today() ? pim_->today() : DeviceToday();
}

int32_t CCalendarTab::RangeLast() const {
    if (browsing_) return browseLast_;
    const int days = env_->settings ? std::max(1, env_->settings->dNumOfDays.Int()) : 7;
    return RangeFirst() + days - 1;
}

// --- rows ---------------------------------------------------------------------------------

void CCalendarTab::RebuildRows() {
    if (!pim_) return;
    SyncAgenda();
    for (const AgendaRow& r : agenda_->Rows()) {
        switch (r.kind) {
        case RowKind::kTitle: rows_.AppendItem(r.section); break;
        case RowKind::kItem: rows_.AppendItem(r.item); break;
        case RowKind::kEmptyGroup: rows_.AppendEmpty(r.section); break;
        case RowKind::kEmptyList: break;  // the list adds its own when nothing else came
        }
    }
}

namespace {

// The day's timeline bar as a bitmap the painter blits into the title.
HBITMAP MakeTimeline(const TimelineBar& bar) {
    if (bar.width <= 0 || bar.height <= 0) return nullptr;
    raii::WindowDC screen(nullptr);
    raii::MemDC dc(CreateCompatibleDC(screen.get()));
    HBITMAP bmp = CreateCompatibleBitmap(screen.get(), bar.width, bar.height);
    if (!dc || !bmp) return bmp;
    raii::Select sel(dc.get(), bmp);
    auto fill = [&](int x, int y, int w, int h, uint32_t colour) {
        RECT r = {x, y, x + w, y + h};
        raii::Brush b(CreateSolidBrush(colour));
        FillRect(dc.get(), &r, b.get());
    };
    fill(0, 0, bar.width, bar.height, bar.background);
    for (const TimelineBar::Column& c : bar.columns) fill(c.x, 0, c.width, bar.height, c.colour);
    if (bar.allDayLine) fill(0, bar.allDayTop, bar.width, bar.allDayBottom - bar.allDayTop, bar.allDayColour);
    return bmp;
}

}  // namespace

void CCalendarTab::PrepareDrawContext(DrawContext& ctx, TItem& item) {
    ctx.today = agenda_->today() ? agenda_->today() : DeviceToday();
    ctx.day = DayOfItem(&item);
    if (item.Kind() == kKindGroup && IsDayKey(int32_t(item.Id())) && agenda_->settings().timeLines != 0) {
        const uint32_t key = item.Id();
        raii::Bitmap& bmp = timelines_[key];
        if (!bmp) bmp.reset(MakeTimeline(agenda_->Timeline(static_cast<TDailyList&>(item), TheScaler())));
        ctx.group.timeline = reinterpret_cast<uintptr_t>(bmp.get());
        ctx.group.timelineHot = &timelineZones_[key];
    }
    ctx.texts = rowTexts_.get();
    if (item.Kind() == kKindAppt) ctx.textColour = agenda_->AppointmentColour(static_cast<TApptItem&>(item), false);
    else if (item.Kind() == kKindTask) ctx.textColour = agenda_->TaskColour(static_cast<TTask&>(item), false);
}

UINT CCalendarTab::GetContextMenuId(TItem* item) {
    if (!item) return 237;
    switch (item->Kind()) {
    case kKindGroup:
    case kKindEmpty:
    case kKindEmptyFlagged: return 237;
    case kKindAppt: return 118;
    case kKindTask: return 119;
    case kKindSEventOnCalendar: return 141;
    case kKindMailAccount: return 341;
    }
    return 0;
}

void CCalendarTab::PrepareContextMenu(TItem* item, HMENU menu) {
    const int kind = item ? item->Kind() : -1;
    // What "new" creates is for the day of the row the menu is for.
    int32_t day = DayOfItem(item);
    if (!IsDayKey(day)) day = RangeFirst();
    newStart_ = newEnd_ = double(day);
    if (TApptItem* a = kind == kKindAppt ? static_cast<TApptItem*>(item) : nullptr) {
        // The extensions first: the entries below move up when one is deleted.
        if (!env_->menuExtensions || !env_->menuExtensions->FillExtensionMenu(menuext::kCalendar, menu, 7, a->poomId))
            DeleteMenu(menu, 7, MF_BYPOSITION);
        if (HMENU more = GetSubMenu(menu, 6))
            CheckMenuItem(more, kCmdPrivate, MF_BYCOMMAND | (a->sensitivity == 2 ? MF_CHECKED : MF_UNCHECKED));
        DeleteMenu(menu, a->completed ? kCmdMarkDone : kCmdMarkNotDone, MF_BYCOMMAND);
        if (HMENU busy = GetSubMenu(menu, 1)) {
            for (UINT c : {kCmdFree, kCmdBusy, kCmdTentative, kCmdOutOfOffice})
                CheckMenuItem(busy, c, MF_BYCOMMAND | (BusyOf(c) == a->busy ? MF_CHECKED : MF_UNCHECKED));
        }
        return;
    }
    if (TTask* t = kind == kKindTask ? static_cast<TTask*>(item) : nullptr) {
        const int last = GetMenuItemCount(menu) - 1;
        if (last < 0 || !GetSubMenu(menu, last) || !env_->menuExtensions ||
            !env_->menuExtensions->FillExtensionMenu(menuext::kTasks, menu, last, t->poomId))
            if (last >= 0 && GetSubMenu(menu, last)) DeleteMenu(menu, last, MF_BYPOSITION);
        for (UINT c : {kCmdHigh, kCmdNormal, kCmdLow})
            CheckMenuItem(menu, c, MF_BYCOMMAND | (kCmdLow - c == UINT(t->importance) ? MF_CHECKED : MF_UNCHECKED));
        return;
    }
}

std::wstring CCalendarTab::CreateListContent() {
    lastTapX_ = lastTapY_ = -1;
    nextRefresh_ = ComputeNextRefresh();
    return L"CalendarTabVList";
}

// --- refresh ----------------------------------------------------------------------------------

double CCalendarTab::ComputeNextRefresh() const {
    // The next start or end of a shown appointment after now.
    const double now = NowOle();
    double next = 0;
    if (!pim_) return next;
    const int32_t first = RangeFirst(), last = RangeLast();
    for (TItem* d = pim_->days().head(); d; d = d->next()) {
        const int32_t key = int32_t(d->Id());
        if (!IsDayKey(key) || key < first || key > last) continue;
        for (TChildItem* c : static_cast<TItemWithList*>(d)->children()) {
            if (c->Kind() != kKindAppt) continue;
            const TApptItem* a = static_cast<const TApptItem*>(c);
            for (double t : {a->start, a->end})
                if (t > now && (next == 0 || t < next)) next = t;
        }
    }
    return next;
}

void CCalendarTab::QueryRefresh(HWND, UINT, WPARAM, LPARAM) {
    if (nextRefresh_ == 0 || NowOle() < nextRefresh_) return;
    nextRefresh_ = ComputeNextRefresh();
    if (main_) Rebuild(true);
}

void CCalendarTab::OnDateChanged() {
    const int32_t today = pim_ && pim_->today() ? pim_->today() : DeviceToday();
    if (pinned_.IsOpen()) pinned_.Refresh(today);
    if (FloatingCalendar().IsOpen()) FloatingCalendar().Refresh(today);
    timelines_.clear();
    timelineZones_.clear();
    nextRefresh_ = ComputeNextRefresh();
    if (main_) Rebuild(false);
}

void CCalendarTab::OnDataChanged() {
    // A changed section draws a new timeline.
    timelines_.clear();
    nextRefresh_ = ComputeNextRefresh();
    if (main_) Rebuild(true);
}

void CCalendarTab::LaunchApplication() { OpenFloating(monthly::kBrowse, nullptr); }

// --- monthly calendar ------------------------------------------------------------------------

MonthlySetup CCalendarTab::CalendarSetup() const {
    const int32_t today = pim_ && pim_->today() ? pim_->today() : DeviceToday();
    if (!env_->settings || !env_->skin) {
        MonthlySetup m;
        m.inst = env_->instance;
        m.lang = env_->lang;
        m.sc = TheScaler();
        m.today = today;
        return m;
    }
    return MonthlySetupFrom(*env_->settings, *env_->skin, env_->images, LocaleWeekRule(*env_->settings),
                            env_->instance, env_->lang, pim_ ? pim_->options() : PimOptions(), env_->categories,
                            today);
}

void CCalendarTab::OpenFloating(int mode, const TItem* item) {
    if (!main_) return;
    uint32_t id = 0;
    double start = 0;
    if (const TApptItem* a = item && item->Kind() == kKindAppt ? static_cast<const TApptItem*>(item) : nullptr) {
        id = a->poomId;
        start = a->start;
    } else if (const TTask* t = item && item->Kind() == kKindTask ? static_cast<const TTask*>(item) : nullptr) {
        id = t->poomId;
        start = t->due;
    } else if (mode != monthly::kBrowse) {
        return;  // a re-date needs its item
    }
    // Under the caption, at the tab's left edge.
    POINT at = {0, 0};
    ClientToScreen(main_, &at);
    FloatingCalendar().Show(CalendarSetup(), main_, at.x, at.y, ScaleX(220), ScaleY(160), mode, id, start, false);
}

int CCalendarTab::WantedPinnedHeight() const {
    if (!main_ || !env_->settings) return 0;
    // The host's height decides, not the tab's: the tab is the host less its bars.
    HWND host = GetParent(main_);
    RECT rc = {};
    GetClientRect(host ? host : main_, &rc);
    return PinnedHeight(env_->settings->PinnedMonthlyClr.Int() == 1, rc.bottom, ScaleY(200), ScaleY(100));
}

void CCalendarTab::ShowPinned() {
    RECT rc = {};
    GetClientRect(main_, &rc);
    const int top = std::max(0, int(rc.bottom) - pinnedHeight_);
    if (pinnedHeight_ == 0) {
        pinned_.Destroy();
    } else if (pinned_.IsOpen()) {
        SetWindowPos(pinned_.hwnd(), nullptr, 0, top, rc.right, pinnedHeight_, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        pinned_.Show(CalendarSetup(), main_, 0, top, rc.right, pinnedHeight_, monthly::kBrowse, 0, 0, true);
    }
}

void CCalendarTab::OnCreate(HWND hwnd) {
    main_ = hwnd;
    pinnedHeight_ = WantedPinnedHeight();
    CTabWithItemsList::OnCreate(hwnd);
    ShowPinned();
}

void CCalendarTab::OnWindowPosChanged(HWND hwnd) {
    // The list is sized by BottomBarHeight: decide on the calendar first.
    pinnedHeight_ = WantedPinnedHeight();
    CTabWithItemsList::OnWindowPosChanged(hwnd);
    ShowPinned();
}

// --- taps ---------------------------------------------------------------------------------------

bool CCalendarTab::TimelineTap(TItem* item, int x, int contentY) {
    // The day title's timeline zone is written by its drawing; a title without
    // a timeline leaves it off screen.
    if (!item || item->Kind() != kKindGroup) return false;
    auto zone = timelineZones_.find(item->Id());
    if (zone == timelineZones_.end()) return false;
    const HotRect& z = zone->second;
    if (x < z.left || x >= z.right || contentY < z.top || contentY >= z.bottom) return false;
    RECT list;
    GetWindowRect(list_.hwnd(), &list);
    const int y = contentY - list_.Scroll().Offset() + list.top;
    RECT where = {list.left + ScaleX(3), 0, list.right - ScaleX(3), 0};
    where.top = std::max(y - ScaleY(70), int(list.top) + ScaleY(2));
    where.bottom = where.top + ScaleY(70);
    const AgendaSettings& s = agenda_->settings();
    const int last = std::min(24, s.timelinesStart + s.timelinesLength + 6);
    CQuickApptDialog dlg(int32_t(item->Id()), s.timelinesStart, last, where);
    double start = 0, end = 0;
    if (dlg.Run(env_->instance, main_, &start, &end)) NewAppointment(start, end);
    else TakeListFocus();
    return true;
}

void CCalendarTab::OnListTap(int x, int y, int scrollOffset) {
    const int contentY = y + scrollOffset;
    const int previous = rows_.Highlighted();
    int index = RowList::kNone;
    TItem* item = TapTarget(x, y, contentY, &index);
    if (!item) return;
    if (StepDoubleTap(item) || StepNoteIcon(item, x, y, contentY) || StepReminderIcon(item, x, contentY) ||
        StepLinkIcon(item, x, contentY)) {
        tapHandled_ = true;
        return;
    }
    SetHighlight(index);
    const bool smartFolding = env_->settings && env_->settings->UseSmartFolding.Int() == 1;
    if (smartFolding ? StepFoldButton(item, x) : TimelineTap(item, x, contentY)) {
        tapHandled_ = true;
        return;
    }
    const bool confirm = env_->settings && env_->settings->ConfirmTaskComplete.Int() == 1;
    if (StepCheckBox(item, x, confirm) || StepTapAndHold(item, x, y)) {
        tapHandled_ = true;
        return;
    }
    StepPlainTap(index, x, y, previous);
    // A tap on an appointment or task may become a drag onto the pinned calendar.
    const int kind = item->Kind();
    dragItem_ = (kind == kKindAppt || kind == kKindTask) && rows_.Highlighted() == index ? KeyOf(item) : ItemKey();
    dragging_ = false;
}

void CCalendarTab::StartDrag(int x, int y) {
    TItem* item = rows_.At(rows_.IndexOf(dragItem_));
    if (!item || !list_.hwnd()) return;
    // The row as the list shows it, less the scroll bar's column.
    RECT list;
    GetWindowRect(list_.hwnd(), &list);
    const int top = int(list.top) + item->cachedTop - list_.Scroll().Offset();
    RECT row = {list.left, top, list.right - ScaleX(16), top + (item->cachedBottom - item->cachedTop)};
    drag_.reset(new CDragItemWindow);
    if (!drag_->Create(env_->instance, row)) {
        drag_.reset();
        return;
    }
    dragging_ = true;
    dragPen_ = {x, y};
    ClientToScreen(main_, &dragPen_);
    SetCapture(main_);
}

void CCalendarTab::OnPenMove(int x, int y) {
    if (!pinned_.IsOpen() || !dragItem_.IsSet() || lastTapX_ < 0) return;
    if (!dragging_) {
        if (MovedBeyond(lastTapX_, lastTapY_, x, y, ScaleX(3))) StartDrag(x, y);
        if (!dragging_) return;
    }
    POINT pen = {x, y};
    ClientToScreen(main_, &pen);
    drag_->MoveBy(pen.x - dragPen_.x, pen.y - dragPen_.y);
    dragPen_ = pen;
    // What a drop would do, for the day under the picture's corner.
    RECT w;
    GetWindowRect(drag_->hwnd(), &w);
    const int day = pinned_.DayAt(POINT{w.left, w.top});
    if (day < 0) {
        pinned_.ClearHighlight();
        drag_->SetText(std::wstring());
        return;
    }
    pinned_.HighlightDay(day);
    TItem* item = rows_.At(rows_.IndexOf(dragItem_));
    const bool task = item && item->Kind() == kKindTask;
    drag_->SetText(DragDropText(texts_.String(pinned_.DropMode() == monthly::kDropCopy ? kTextCopy : kTextMove),
                                texts_.String(task ? kTextTask : kTextAppt), texts_.String(kTextTo),
                                format_.Date(double(day), nullptr)));
}

void CCalendarTab::DropDragged(int x, int y) {
    TItem* item = rows_.At(rows_.IndexOf(dragItem_));
    POINT pt = {x, y};
    ClientToScreen(main_, &pt);
    const int day = pinned_.IsOpen() ? pinned_.DayAt(pt) : -1;
    if (!item || day < 0) return;
    const bool copy = pinned_.DropMode() == monthly::kDropCopy;
    LibraryTexts texts(env_->lang);
    ItemActions actions(main_, texts);
    if (TTask* t = item->Kind() == kKindTask ? static_cast<TTask*>(item) : nullptr) {
        const TaskDates d = RedateTask(t->startDate, t->due, day, !copy, launch::kNoDate);
        actions.SetTaskDates(t->poomId, d.start, d.due, t->completed, t->dateCompleted);
    } else if (TApptItem* a = item->Kind() == kKindAppt ? static_cast<TApptItem*>(item) : nullptr) {
        actions.MoveAppointmentToDay(a->poomId, a->start, day, copy);
    }
}

void CCalendarTab::EndDrag() {
    if (pinned_.IsOpen()) pinned_.ClearHighlight();
    drag_.reset();
    if (GetCapture() == main_) ReleaseCapture();
    dragging_ = false;
}

void CCalendarTab::OnPenUp(int x, int y) {
    if (dragging_) {
        DropDragged(x, y);
        EndDrag();
    } else {
        const int click = OnClick();
        if ((click == 1 || click == 2) && !tapHandled_) StepSingleTapOpen(rows_.HighlightedItem());
    }
    dragging_ = false;
    dragItem_ = ItemKey();
    if (pinned_.IsOpen()) lastTapX_ = lastTapY_ = -1;
    tapHandled_ = false;
}

// --- commands ---------------------------------------------------------------------------------

void CCalendarTab::NewAppointment(double start, double end) {
    const launch::LaunchConfig c = LaunchSettings();
    std::wstring category;
    if (env_->settings && env_->settings->FilterMethodToUse.Int() != 1) category = env_->settings->CalendarSelCategory.value();
    if (c.pimSw == launch::kAgendaFusion) {
        launch::RunAgendaFusion(c, launch::AgendaFusionNew(launch::kNewAppointment, start, end, L""));
        return;
    }
    if (c.pimSw == launch::kAgendaOne) {
        launch::RunAgendaOne(c, main_, launch::AgendaOneNew(launch::kNewAppointment, start));
        return;
    }
    launch::PimBridgeRequest r;
    if (launch::BridgeCreate(c.pimSw, launch::kBridgeAppointment, start, end, category, &r))
        launch::SendToPimBridge(c, main_, r);
}

void CCalendarTab::NewTask(double due) {
    const launch::LaunchConfig c = LaunchSettings();
    std::wstring category;
    if (env_->settings && env_->settings->FilterMethodToUse.Int() != 1) category = env_->settings->CalendarSelCategory.value();
    if (c.pimSw == launch::kAgendaFusion) {
        launch::RunAgendaFusion(c, launch::AgendaFusionNew(launch::kNewTask, launch::kNoDate, due, L""));
        return;
    }
    if (c.pimSw == launch::kAgendaOne) {
        launch::RunAgendaOne(c, main_, launch::AgendaOneNew(launch::kNewTask, due));
        return;
    }
    launch::PimBridgeRequest r;
    if (launch::BridgeCreate(c.pimSw, launch::kBridgeTask, launch::kNoDate, due, category, &r))
        launch::SendToPimBridge(c, main_, r);
}

void CCalendarTab::FoldAllDays(bool fold) {
    if (fold) agenda_->FoldAll();
    else agenda_->UnfoldAll();
    Rebuild(true);
}

int CCalendarTab::OnContextMenuCommand(TItem* item, UINT command) {
    if (CTabWithItemsList::OnContextMenuCommand(item, command) == 0) return 0;
    if (const TPoomIdItem* p = dynamic_cast<const TPoomIdItem*>(item)) {
        if (env_->menuExtensions && env_->menuExtensions->HandleExtensionCommand(main_, env_->instance, command, p->poomId))
            return 0;
    }
    LibraryTexts texts(env_->lang);
    ItemActions actions(main_, texts);
    TApptItem* appt = item && item->Kind() == kKindAppt ? static_cast<TApptItem*>(item) : nullptr;
    TTask* task = item && item->Kind() == kKindTask ? static_cast<TTask*>(item) : nullptr;
    if (const std::optional<int> done = TaskCommand(task, command, RangeFirst())) return *done;
    switch (command) {
    case kCmdNewAppointment: NewAppointment(newStart_, newEnd_); return 0;
    case kCmdNewTask: NewTask(newStart_); return 0;
    case kCmdFree:
    case kCmdBusy:
    case kCmdTentative:
    case kCmdOutOfOffice:
        if (!appt) return -1;
        if (appt->busy != BusyOf(command)) actions.SetBusyStatus(appt->poomId, BusyOf(command));
        return 0;
    case kCmdPrivate:
        if (!appt && !task) return -1;
        actions.TogglePrivate(appt ? appt->poomId : task->poomId);
        return 0;
    case kCmdRedateSecond:
    case kCmdRedateFirst:
        if (!appt && !task) return -1;
        OpenFloating(RedateModeFor(command, task != nullptr), item);
        return 0;
    case kCmdFoldAll: FoldAllDays(true); return 0;
    case kCmdUnfoldAll: FoldAllDays(false); return 0;
    case kCmdAccountInbox:
    case kCmdAccountCompose: {
        if (!item || item->Kind() != kKindMailAccount) return -1;
        const launch::LaunchConfig c =
            LaunchSettings();
        const TMsgAccountItem* n = dynamic_cast<const TMsgAccountItem*>(item);
        launch::ComposeOrOpenMail(c, main_, command == kCmdAccountCompose, L"", n ? n->name : std::wstring());
        return 0;
    }
    }
    return -1;
}

void CCalendarTab::SelectCategory(UINT command) {
    if (!env_->settings) return;
    WriteCategoryChoice(command, env_->settings->CalendarSelFilter, env_->settings->CalendarSelCategory);
    ClearCaptionCache();
    if (caption_) {
        RECT r = {ScaleX(92), 0, ScaleX(139), ScaleY(20)};
        InvalidateRect(caption_, &r, FALSE);
    }
    OnDataChanged();
}

void CCalendarTab::OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) {
    const UINT cmd = LOWORD(wp);
    if (cmd == kCmdAllCategories || (cmd >= kFirstCategoryCommand && cmd <= kFirstCategoryCommand + 150)) {
        SelectCategory(cmd);
        return;
    }
    switch (cmd) {
    case kCmdMonthly: OpenFloating(monthly::kBrowse, nullptr); return;
    case kCmdLeaveBrowsing: LeaveBrowsing(); return;
    }
    CTabWithItemsList::OnCommand(hwnd, wp, lp);
}

void CCalendarTab::Browse(int32_t first, int32_t last) {
    if (first <= 0 || last < first) return;
    browsing_ = true;
    browseFirst_ = first;
    browseLast_ = last;
    ClearCaptionCache();
    if (caption_) InvalidateRect(caption_, nullptr, FALSE);
    Rebuild(false);
}

void CCalendarTab::LeaveBrowsing() {
    if (!browsing_) return;
    browsing_ = false;
    ClearCaptionCache();
    if (caption_) InvalidateRect(caption_, nullptr, FALSE);
    Rebuild(false);
}

LRESULT CCalendarTab::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CAL_BROWSE: Browse(int32_t(wp), int32_t(lp)); return 0;
    case WM_CAL_NEW_TASK:
    case WM_CAL_NEW_APPT:
        newStart_ = double(int32_t(wp));
        newEnd_ = double(int32_t(lp));
        PostMessageW(hwnd, WM_COMMAND, msg == WM_CAL_NEW_TASK ? kCmdNewTask : kCmdNewAppointment, 0);
        return 0;
    case WM_CAL_REDATE_TASK1:
    case WM_CAL_REDATE_TASK2: {
        // The task's dates as the store has them now: the row may be gone.
        double start = launch::kNoDate, due = launch::kNoDate, completedDate = 0;
        bool completed = false;
        for (size_t i = 0; i < rows_.Count(); ++i) {
            const TTask* t = rows_.At(int(i)) && rows_.At(int(i))->Kind() == kKindTask
                                 ? static_cast<const TTask*>(rows_.At(int(i)))
                                 : nullptr;
            if (t && t->poomId == uint32_t(wp)) {
                start = t->startDate;
                due = t->due;
                completed = t->completed;
                completedDate = t->dateCompleted;
                break;
            }
        }
        const TaskDates d = RedateTask(start, due, int32_t(lp), msg == WM_CAL_REDATE_TASK2, launch::kNoDate);
        LibraryTexts texts(env_->lang);
        ItemActions(hwnd, texts).SetTaskDates(uint32_t(wp), d.start, d.due, completed, completedDate);
        return 0;
    }
    case WM_DESTROY:
        EndDrag();
        pinned_.Destroy();
        pinnedHeight_ = 0;
        // The floating calendar's loader is joined here, on the window's thread.
        ReleaseFloatingCalendar();
        break;
    }
    return CTabWithItemsList::MainWindowProc(hwnd, msg, wp, lp);
}

void CCalendarTab::PrepareMenu(HMENU menu) {
    HMENU sub = GetSubMenu(menu, 0);
    if (!sub) return;
    if (HMENU categories = GetSubMenu(sub, 8)) FillCategoryMenu(categories);
    if (GetSubMenu(sub, 9)) {
        // The range entry reads as the range it browses.
        const std::wstring text = RangeText(true);
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_STRING;
        mii.dwTypeData = const_cast<wchar_t*>(text.c_str());
        SetMenuItemInfoW(sub, 9, TRUE, &mii);
        if (!browsing_) {
            HMENU range = GetSubMenu(sub, 9);
            for (int i = 0; i < 2 && GetMenuItemCount(range) > 0; ++i)
                DeleteMenu(range, GetMenuItemCount(range) - 1, MF_BYPOSITION);
        }
    }
    // Both by command, wherever the menu holds them.
    if (browsing_) DeleteMenu(sub, kCmdMonthly, MF_BYCOMMAND);
    else DeleteMenu(sub, kCmdLeaveBrowsing, MF_BYCOMMAND);
}

// --- caption --------------------------------------------------------------------------------------

std::wstring CCalendarTab::RangeText(bool inMenu) const { return agenda_->RangeText(!inMenu); }

std::wstring CCalendarTab::GetCategoryCaption() {
    if (!env_->settings || !env_->categories) return std::wstring();
    const CSettings& s = *env_->settings;
    const int filter = s.FilterMethodToUse.Int() == 1 ? NormalizeFilterNumber(s.CalendarSelFilter.Int()) : 0;
    return env_->categories->SelectionCaption(s.FilterMethodToUse.Int() == 1 ? L"" : s.CalendarSelCategory.value(),
                                              filter, env_->lang);
}

void CCalendarTab::FillCategoryMenu(HMENU menu) {
    if (env_->categories) env_->categories->FillSelectionMenu(menu);
}

void CCalendarTab::OnCaptionPaint(HWND hwnd) {
    if (!browsing_) {
        CBuiltInTab::OnCaptionPaint(hwnd);
        return;
    }
    raii::PaintBuffered(hwnd, [&](HDC dc, int w, int h) {
        ComposeCaption(hwnd, dc, w, h);
        const std::wstring folder = env_->skin ? env_->skin->folder() : std::wstring();
        DrawSkinImage(dc, ScaleX(27), 0, folder, L"calendar_icon_open", &images_[kOpen], 258, env_->high,
                      env_->resolution);
        RECT r = {ScaleX(27), ScaleY(2), ScaleX(81), ScaleY(18)};
        SetBkMode(dc, TRANSPARENT);
        if (env_->skin) SetTextColor(dc, env_->skin->desc().slideTextColour);
        const std::wstring text = RangeText(false);
        DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    });
}

void CCalendarTab::OnCaptionTap(HWND hwnd, int x, int y) {
    if (x >= ScaleX(3) && x <= ScaleX(26) && y >= ScaleY(1) && y <= ScaleY(18)) {
        if (env_->navigator) env_->navigator->TakeSelection(env_->navigator->FocusInTab() ? 1 : 0);
        OpenFloating(monthly::kBrowse, nullptr);
        return;
    }
    if (browsing_ && x >= ScaleX(31) && x <= ScaleX(88) && y >= ScaleY(1) && y <= ScaleY(19)) {
        LeaveBrowsing();
        return;
    }
    CBuiltInTab::OnCaptionTap(hwnd, x, y);
}

}  // namespace daybrim
