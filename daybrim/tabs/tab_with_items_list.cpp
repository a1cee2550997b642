#include "tab_with_items_list.h"

#include <windowsx.h>

#include <algorithm>

#include "calendar_dialogs.h"
#include "category_table.h"
#include "image_cache.h"
#include "item_painter.h"
#include "item_actions.h"
#include "launchers.h"
#include "locale_text.h"
#include "mail_items.h"
#include "navigator.h"
#include "note_window.h"
#include "pim_store.h"
#include "scale.h"
#include "settings.h"
#include "skin.h"

namespace daybrim {

namespace {

const UINT kTakeFocus1 = 4789;
const UINT kTakeFocus2 = 4889;

// The sound of folding through the shell's sound port; waiting is a real sleep.
class PortFoldSound : public FoldSound {
public:
    explicit PortFoldSound(SoundPort& port) : port_(port) {}
    void Play(const std::wstring& path) override { port_.PlayFile(path); }
    void Wait(unsigned ms) override { Sleep(ms); }
    void Stop() override { PlaySoundW(nullptr, nullptr, 0); }

private:
    SoundPort& port_;
};

double NowOle() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    double d = 0;
    SystemTimeToVariantTime(&st, &d);
    return d;
}

}  // namespace

CTabWithItemsList::CTabWithItemsList(const ShellEnv* env) : CBuiltInTab(env) {}

CTabWithItemsList::~CTabWithItemsList() { Destroy(); }

void CTabWithItemsList::Destroy() {
    stepper_.Cancel();
    CNoteWindow::Instance().CloseFor(main_);
    list_.Destroy();
    CBuiltInTab::Destroy();
}

RowPainter* CTabWithItemsList::Painter() { return env_->painter; }

launch::LaunchConfig CTabWithItemsList::LaunchSettings() const {
    if (env_->launch) return *env_->launch;
    return env_->settings ? launch::LaunchConfig::From(*env_->settings) : launch::LaunchConfig();
}

int CTabWithItemsList::OnClick() const { return env_->settings ? env_->settings->OnClick.Int() : 0; }

bool CTabWithItemsList::DPadScrollMode() const { return env_->settings && env_->settings->DPadMode.Int() == 1; }

bool CTabWithItemsList::ListFocused() const {
    if (!hasListFocus_) return false;
    // Without a navigator (a tab on its own, in tests) the list's own flag decides.
    return !env_->navigator || (env_->navigator->HasSelection() && env_->navigator->FocusInTab());
}

// --- window -----------------------------------------------------------------------

LRESULT CTabWithItemsList::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: OnCreate(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        // The list paints itself. BeginPaint validates this window only: a
        // ValidateRect here would take the list's own update region with it.
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_WINDOWPOSCHANGED: OnWindowPosChanged(hwnd); return 0;
    case WM_COMMAND: OnCommand(hwnd, wp, lp); return 0;
    case WM_TIMER: OnTimer(hwnd, UINT(wp)); return 0;
    case WM_LIST_TAP: TapEntry(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_LIST_PAINT: return PaintEntry(reinterpret_cast<HDC>(wp));
    case WM_MOUSEMOVE: OnPenMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_LBUTTONUP: OnPenUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_DESTROY:
        stepper_.Cancel();
        // The note window's owner is the host's top-level window, which outlives
        // the tab: the tab's note goes with the tab.
        CNoteWindow::Instance().CloseFor(hwnd);
        list_.Destroy();
        return 0;
    case kTakeFocus1:
    case kTakeFocus2: TakeListFocus(); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void CTabWithItemsList::OnCreate(HWND hwnd) {
    main_ = hwnd;
    // The list covers the tab: nothing of the tab's is painted under it.
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) | WS_CLIPCHILDREN);
    const std::wstring cls = CreateListContent();
    RECT rc;
    GetClientRect(hwnd, &rc);
    ListLook look;
    if (env_->settings) {
        look.barLeft = env_->settings->GoofyMode.Int() == 1;
        look.fullBar = env_->settings->UseFullScrollings.Int() != 0;
        look.doubleTapToEnd = env_->settings->UseDoubleClickScroll.Int() != 0;
    }
    if (env_->skin) {
        look.trackColour = env_->skin->desc().scrollBkColour;
        look.trackTransparent = env_->skin->desc().hideScrollBk;
        look.skinFolder = env_->skin->folder();
    }
    look.high = env_->high;
    look.resolution = env_->resolution;
    list_.SetLook(look);
    list_.Create(inst_ ? inst_ : env_->instance, cls, hwnd, 0, 0, rc.right, rc.bottom - BottomBarHeight());
    rows_.ClearHighlight();
    Rebuild(false);
}

void CTabWithItemsList::OnWindowPosChanged(HWND hwnd) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (list_.hwnd())
        SetWindowPos(list_.hwnd(), nullptr, 0, 0, rc.right, rc.bottom - BottomBarHeight(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    // Rows wrap to the new width.
    rows_.InvalidateAll();
    LayoutExtras();
}

void CTabWithItemsList::OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) {
    const UINT cmd = LOWORD(wp);
    // A command chosen in a context menu belongs to the item the menu was shown
    // for, found again by its identity: the rows may have been rebuilt meanwhile.
    TItem* item = rows_.At(rows_.IndexOf(menuItem_));
    menuItem_ = ItemKey();
    if (OnContextMenuCommand(item, cmd) == 0) return;
    ForwardCommand(env_, wp, lp);
}

void CTabWithItemsList::OnTimer(HWND hwnd, UINT id) {
    switch (id) {
    case kTimerRemoveHighlight:
        KillTimer(hwnd, id);
        SetHighlight(RowList::kNone);
        return;
    case kTimerDoubleTap: doubleTap_.OnTimer(id); return;
    case kTimerKeyIdle:
    case kTimerStepUp:
    case kTimerStepDown:
        if (int step = stepper_.OnTimer(id)) Step(step);
        return;
    }
}

LRESULT CTabWithItemsList::PaintEntry(HDC dc) {
    const ScrollModel& s = list_.Scroll();
    if (env_->images && list_.hwnd()) env_->images->PaintBackgroundFor(list_.hwnd(), dc, s.ViewWidth(), s.ViewHeight());
    else PatBlt(dc, 0, 0, s.ViewWidth(), s.ViewHeight(), WHITENESS);
    SetBkMode(dc, TRANSPARENT);
    return rows_.Layout(
        s.Offset(), s.ViewHeight(), [&](TItem& item, int y, bool hl) { return PaintRow(dc, item, y, hl); },
        [&](TItem& item, bool hl) { return hl ? MeasureHighlighted(item) : MeasureRow(item); }, ListFocused());
}

int CTabWithItemsList::PaintRow(HDC dc, TItem& item, int y, bool highlighted) {
    const ContentSpan span = list_.Span();
    HotRect rc;
    rc.left = span.left;
    rc.right = span.right;
    rc.top = y;
    rc.bottom = list_.Scroll().ViewHeight();
    const unsigned inView = y >= 0 && y < list_.Scroll().ViewHeight() ? unsigned(kDrawStartsInView) : 0u;
    if (!highlighted) return DrawItem(dc, item, rc, inView);
    // Measured first, the highlight under it, then the row over the highlight.
    const int h = MeasureHighlighted(item);
    if (RowPainter* painter = Painter()) {
        DrawContext ctx = MakeContext(dc, item, rc);
        HotRect band = rc;
        band.bottom = y + h;
        painter->Highlight(ctx, band);
    }
    return DrawItem(dc, item, rc, kDrawHighlighted | inView);
}

int CTabWithItemsList::DrawItem(HDC dc, TItem& item, const HotRect& rc, unsigned flags) {
    DrawContext ctx = MakeContext(dc, item, rc);
    if (ListFocused()) flags |= kDrawListFocus;
    return item.Draw(ctx, rc, flags);
}

DrawContext CTabWithItemsList::MakeContext(HDC dc, TItem& item, const HotRect& rc) {
    const Scaler& sc = TheScaler();
    DrawContext ctx;
    ctx.painter = Painter();
    ctx.hdc = reinterpret_cast<uintptr_t>(dc);
    ctx.width = rc.right - rc.left;
    ctx.contentLeft = list_.Span().left;
    ctx.contentRight = list_.Span().right;
    ctx.yOffset = list_.Scroll().Offset();  // hot zones in list coordinates, as taps are
    ctx.dpiX = sc.dpiX;
    ctx.dpiY = sc.dpiY;
    ctx.forcedVga = sc.forcedVga;
    PrepareDrawContext(ctx, item);
    return ctx;
}

int CTabWithItemsList::MeasureRow(TItem& item) {
    HotRect rc;
    rc.left = list_.Span().left;
    rc.right = list_.Span().right;
    rc.top = 0;
    rc.bottom = list_.Scroll().ViewHeight();
    return DrawItem(nullptr, item, rc, kDrawMeasureOnly);
}

int CTabWithItemsList::MeasureHighlighted(TItem& item) {
    HotRect rc;
    rc.left = list_.Span().left;
    rc.right = list_.Span().right;
    rc.top = 0;
    rc.bottom = list_.Scroll().ViewHeight();
    return DrawItem(nullptr, item, rc, kDrawMeasureOnly | kDrawHighlighted);
}

void CTabWithItemsList::TakeListFocus() {
    hasListFocus_ = true;
    if (env_->navigator) env_->navigator->TakeSelection(1);
    if (rows_.Highlighted() != RowList::kNone) RepaintList();
}

// --- rows and highlight ---------------------------------------------------------------

void CTabWithItemsList::Rebuild(bool keepPlace) {
    if (!keepPlace) {
        rows_.ClearHighlight();
        list_.Scroll().SetOffset(0);
    }
    rows_.Begin();
    RebuildRows();
    rows_.End();
    RepaintList();
}

void CTabWithItemsList::ArmHighlightTimer() {
    if (env_->settings && env_->settings->RemoveHighlight.Int() == 1) timers_.Start(kTimerRemoveHighlight, 5000);
}

void CTabWithItemsList::SetHighlight(int index) {
    if (!rows_.SetHighlight(index)) return;
    RepaintList();
    if (index != RowList::kNone) ArmHighlightTimer();
}

void CTabWithItemsList::EnsureVisible(int index) {
    const int previous = rows_.Highlighted();
    SetHighlight(index);
    TItem* item = rows_.At(index);
    if (!item) return;
    const ScrollModel& s = list_.Scroll();
    auto measure = [this](TItem& it) { return MeasureHighlighted(it); };
    list_.ScrollTo(rows_.OffsetToShow(index, previous, s.Offset(), s.ViewHeight(), measure));
    RepaintList();
}

void CTabWithItemsList::ToggleFold(TItem* item) {
    TGroupingItem* group = dynamic_cast<TGroupingItem*>(item);
    if (!group) return;
    const bool sound = env_->settings && env_->settings->EnableSoundEffect.Int() == 1;
    const std::wstring folder = env_->settings ? env_->settings->InstallFolder() : std::wstring();
    PortFoldSound port(Sounds(env_));
    FoldWithSound(*group, sound, folder, port, [this] { Rebuild(true); });
}

// --- D-pad -------------------------------------------------------------------------------

LRESULT CTabWithItemsList::KeyUp(HWND, int) {
    const int cur = rows_.Highlighted();
    const bool ok = DPadScrollMode() ? list_.Scroll().Offset() >= 1
                                     : (cur == RowList::kNone ? !rows_.Empty() : cur > 0);
    if (!ok) return 0;
    stepper_.Press(-1);
    return 1;
}

LRESULT CTabWithItemsList::KeyDown(HWND, int) {
    const int cur = rows_.Highlighted();
    const bool ok = DPadScrollMode() ? list_.Scroll().Offset() < list_.Scroll().MaxOffset()
                                     : (cur == RowList::kNone ? !rows_.Empty() : cur + 1 < int(rows_.Count()));
    if (!ok) return 0;
    stepper_.Press(+1);
    return 1;
}

void CTabWithItemsList::Step(int direction) {
    if (DPadScrollMode()) {
        list_.ScrollTo(static_cast<long long>(list_.Scroll().Offset()) + direction * list_.Scroll().Metrics().keyStep);
        return;
    }
    const int cur = rows_.Highlighted();
    int next;
    if (cur == RowList::kNone) next = direction < 0 ? int(rows_.Count()) - 1 : 0;
    else next = cur + direction;
    if (next < 0 || next >= int(rows_.Count())) return;
    EnsureVisible(next);
}

LRESULT CTabWithItemsList::ReceiveSelection(UINT key) {
    if (rows_.Empty()) return 0;
    hasListFocus_ = true;
    if (DPadScrollMode()) return 1;
    const int cur = rows_.Highlighted();
    if (cur != RowList::kNone) {
        rows_.At(cur)->InvalidateLayout();
        EnsureVisible(cur);
    } else {
        EnsureVisible(key == VK_UP ? int(rows_.Count()) - 1 : 0);
    }
    return 1;
}

void CTabWithItemsList::LoseSelection() {
    hasListFocus_ = false;
    stepper_.Cancel();
    if (DPadScrollMode()) rows_.ClearHighlight();
    else if (TItem* cur = rows_.HighlightedItem()) cur->InvalidateLayout();
    RepaintList();
}

LRESULT CTabWithItemsList::KeyEnter(HWND, int) {
    TItem* item = rows_.HighlightedItem();
    if (!item || DPadActionOverride(item)) return 1;
    const int action = env_->settings ? env_->settings->DPadCompleteAction.Int() : 2;
    if (action == 1) {
        if (item->Kind() == kKindGroup) ToggleFold(item);
        else OpenItem(item, false);
    } else if (action == 2) {
        int y = item->cachedTop - list_.Scroll().Offset();
        if (item->Kind() == kKindEmptyFlagged) y = (item->cachedTop + item->cachedBottom) / 2 + 4 - list_.Scroll().Offset();
        ShowContextMenu(item, ScaleX(20), y);
    }
    return 1;
}

// --- taps ----------------------------------------------------------------------------------

void CTabWithItemsList::TapEntry(int x, int y) {
    if (!ListFocused()) {
        rows_.ClearHighlight();
        hasListFocus_ = true;
        if (env_->navigator) env_->navigator->TakeSelection(1);
    }
    OnListTap(x, y, list_.Scroll().Offset());
}

bool CTabWithItemsList::StepDoubleTap(TItem* item) {
    const int click = OnClick();
    if (click == 1 || click == 2) return false;
    if (!doubleTap_.Tap(item)) return false;
    OpenItem(item, (env_->settings ? env_->settings->OnDoubleClick.Int() : 0) == 0);
    return true;
}

TItem* CTabWithItemsList::TapTarget(int x, int y, int contentY, int* index) {
    *index = rows_.HitTest(contentY);
    TItem* item = rows_.At(*index);
    if (!item) {
        SetHighlight(RowList::kNone);
        if (StepTapAndHold(nullptr, x, y)) tapHandled_ = true;
    }
    return item;
}

bool CTabWithItemsList::StepNoteIcon(TItem* item, int x, int y, int contentY) {
    if (!item) return false;
    switch (item->Kind()) {
    case kKindAppt: case kKindTask: case kKindSEventOnCalendar: case kKindSEventContact: case kKindSEventAppt:
    case kKindContact: break;
    default: return false;
    }
    TItemWithNote* n = dynamic_cast<TItemWithNote*>(item);
    if (!n || n->note.value == 0.0 || !HotSpotHit(n->note, x, contentY)) return false;
    // The tap is the note's even when its text cannot be read: it must not fall
    // through to the row beneath.
    std::wstring text;
    if (!env_->pim || !env_->pim->readNote(*item, &text) || !list_.hwnd()) return true;
    RECT client;
    GetClientRect(list_.hwnd(), &client);
    const NoteBox list = {int(client.left), int(client.top), int(client.right), int(client.bottom)};
    const NoteBox box = PlaceNoteBox(x, y, ScaleX(200), ScaleY(130), list);
    POINT corner = {box.left, box.top};
    ClientToScreen(list_.hwnd(), &corner);
    const RECT where = {corner.x, corner.y, corner.x + (box.right - box.left), corner.y + (box.bottom - box.top)};
    CNoteWindow::Instance().Show(env_->instance, main_, n->title, text, where);
    return true;
}

bool CTabWithItemsList::StepReminderIcon(TItem* item, int x, int contentY) {
    TAgendaItem* a = dynamic_cast<TAgendaItem*>(item);
    if (!a || !HotSpotHit(a->reminder, x, contentY)) return false;
    OnContextMenuCommand(item, kCmdReminder);
    TakeListFocus();
    return true;
}

bool CTabWithItemsList::StepLinkIcon(TItem* item, int x, int contentY) {
    TAgendaItem* a = dynamic_cast<TAgendaItem*>(item);
    if (!a || a->link.value == 0.0 || !HotSpotHit(a->link, x, contentY)) return false;
    OpenItem(item, false, true);
    return true;
}

bool CTabWithItemsList::StepFoldButton(TItem* item, int x) {
    if (!item || item->Kind() != kKindGroup) return false;
    const int left = list_.Span().left;
    if (x < left + 2 || x > left + ScaleX(12)) return false;
    ToggleFold(item);
    return true;
}

bool CTabWithItemsList::StepCheckBox(TItem* item, int x, bool confirm) {
    TTask* task = dynamic_cast<TTask*>(item);
    if (!task) return false;
    // Where the painter last put the box; before the row was ever drawn, at the
    // start of the row on the side away from the scroll bar.
    const int boxX = task->tabValue >= 0 ? task->tabValue : list_.Span().left;
    if (x < boxX || x > boxX + ScaleX(9)) return false;
    LibraryTexts texts(env_->lang);
    if (!task->completed && confirm) {
        const std::wstring question = texts.String(86);
        if (MessageBoxW(main_, question.c_str(), task->title.c_str(), MB_YESNO) != IDYES) return true;
    }
    ItemActions actions(main_, texts);
    if (task->completed) actions.SetTaskDates(task->poomId, task->startDate, task->due, false, 0);
    else actions.CompleteTask(task->poomId, NowOle());
    return true;
}

bool CTabWithItemsList::StepTapAndHold(TItem* item, int x, int y) {
    if (OnClick() == 1 && item && item->Kind() != kKindGroup && item->Kind() != kKindEmpty &&
        item->Kind() != kKindEmptyFlagged)
        return false;
    POINT pt = {x, y};
    MapWindowPoints(list_.hwnd(), main_, &pt, 1);
    if (!Gestures(env_).Held(main_, pt)) return false;
    timers_.Stop(kTimerRemoveHighlight);
    ShowContextMenu(item, x, y);
    ArmHighlightTimer();
    return true;
}

void CTabWithItemsList::StepPlainTap(int index, int x, int y, int previous) {
    if (index != RowList::kNone && index == previous) SetHighlight(RowList::kNone);
    lastTapX_ = x;
    lastTapY_ = y;
}

bool CTabWithItemsList::StepSingleTapOpen(TItem* item) {
    const int click = OnClick();
    if ((click != 1 && click != 2) || !item || !IsRealItem(item->Kind())) return false;
    OpenItem(item, false);
    return true;
}

// --- menus and commands --------------------------------------------------------------------

void CTabWithItemsList::ShowContextMenu(TItem* item, int x, int y) {
    const UINT id = GetContextMenuId(item);
    raii::Menu m(env_->lang && id ? LoadMenuW(env_->lang, MAKEINTRESOURCEW(id)) : nullptr);
    HMENU sub = m ? GetSubMenu(m.get(), 0) : nullptr;
    if (!sub) return;
    PrepareContextMenu(item, sub);
    POINT pt = {x, y};
    if (list_.hwnd()) ClientToScreen(list_.hwnd(), &pt);
    menuItem_ = KeyOf(item);
    // The choice comes back as WM_COMMAND to the tab window.
    Menus(env_).Track(sub, pt.x, pt.y, main_);
}

int CTabWithItemsList::OnContextMenuCommand(TItem* item, UINT command) {
    const launch::LaunchConfig config = LaunchSettings();
    switch (command) {
    case kCmdOpen1: case kCmdOpen2: case kCmdOpen3: case kCmdOpen4: case kCmdOpen5:
        if (!item) return -1;
        OpenItem(item, false);
        return 0;
    case kCmdEdit:
        if (!item) return -1;
        OpenItem(item, true);
        return 0;
    case kCmdCalendarApp: launch::OpenApplication(config, main_, launch::kCalendarView); return 0;
    case kCmdTasksApp: launch::OpenApplication(config, main_, launch::kTasksView); return 0;
    case kCmdContactsApp: launch::OpenApplication(config, main_, launch::kContactsView); return 0;
    case kCmdNotesApp: launch::OpenApplication(config, main_, launch::kNotesView); return 0;
    case kCmdSettings: launch::OpenSettingsProgram(config, main_); return 0;
    case kCmdListProgram: launch::OpenListProgram(main_); return 0;
    case kCmdNewWorkbook: launch::NewOfficeFile(main_, true); return 0;
    case kCmdNewDocument: launch::NewOfficeFile(main_, false); return 0;
    case kCmdDelete1:
    case kCmdDelete2: {
        if (!item) return -1;
        LibraryTexts texts(env_->lang);
        ItemActions(main_, texts).DeleteItem(*item);
        TakeListFocus();
        return 0;
    }
    case kCmdMarkDone:
    case kCmdMarkNotDone: {
        if (!item) return -1;
        LibraryTexts texts(env_->lang);
        ItemActions actions(main_, texts);
        if (TApptItem* a = dynamic_cast<TApptItem*>(item)) {
            actions.MarkAppointmentDone(a->poomId, a->start, command == kCmdMarkDone);
        } else if (TTask* t = dynamic_cast<TTask*>(item)) {
            if (t->completed) actions.SetTaskDates(t->poomId, t->startDate, t->due, false, 0);
            else actions.CompleteTask(t->poomId, NowOle());
        } else {
            return -1;
        }
        return 0;
    }
    case kCmdReminder: {
        TApptItem* a = dynamic_cast<TApptItem*>(item);
        if (!a) return -1;  // tasks keep their reminder in the task dialog of the organiser
        LibraryTexts texts(env_->lang);
        ItemActions actions(main_, texts);
        bool on = a->reminder.value != 0.0;
        long minutes = 15;
        actions.GetAppointmentReminder(a->poomId, &on, &minutes);
        CReminderDialog dlg(texts, a->title, on, minutes);
        if (dlg.Run(env_->instance, main_)) actions.SetAppointmentReminder(a->poomId, dlg.on(), dlg.minutes());
        TakeListFocus();
        return 0;
    }
    case kCmdFold:
    case kCmdUnfold: {
        TGroupingItem* g = dynamic_cast<TGroupingItem*>(item);
        if (!g) return -1;
        if ((g->folded != 0) != (command == kCmdFold)) ToggleFold(g);
        return 0;
    }
    }
    return -1;
}

bool CTabWithItemsList::OpenItem(TItem* item, bool edit, bool linkFlag) {
    if (!item) return false;
    if (OpenItemOverride(item)) return true;
    const launch::LaunchConfig c = LaunchSettings();
    const int app = c.pimSw;
    auto send = [&](launch::BridgeKind kind, uint32_t id, uint32_t oid, double day) {
        if (app == launch::kAgendaFusion)
            return launch::RunAgendaFusion(c, kind == launch::kBridgeAppointment && day != launch::kNoDate
                                                  ? launch::AgendaFusionOpenOnDay(oid, day)
                                                  : launch::AgendaFusionOpenItem(oid));
        if (app == launch::kAgendaOne)
            return edit ? launch::EditInAgendaOne(c, main_, oid, day)
                        : launch::RunAgendaOne(c, main_, launch::AgendaOneOpen(oid, day));
        const launch::PimBridgeRequest r = edit ? launch::BridgeEdit(app, kind, int32_t(id), day)
                                                : launch::BridgeShow(app, kind, int32_t(id), day, linkFlag ? 1 : 0);
        return launch::SendToPimBridge(c, main_, r);
    };
    switch (item->Kind()) {
    case kKindAppt: {
        TApptItem* a = static_cast<TApptItem*>(item);
        return send(launch::kBridgeAppointment, a->poomId, a->oid, a->start);
    }
    case kKindTask: {
        TTask* t = static_cast<TTask*>(item);
        return send(launch::kBridgeTask, t->poomId, t->oid, launch::kNoDate);
    }
    case kKindSEventOnCalendar:
    case kKindSEventContact:
    case kKindContact: {
        TPoomIdItem* p = dynamic_cast<TPoomIdItem*>(item);
        return p && send(launch::kBridgeContact, p->poomId, p->oid, launch::kNoDate);
    }
    case kKindSEventAppt: {
        TSEvent* e = static_cast<TSEvent*>(item);
        if (edit) return send(launch::kBridgeAppointment, e->poomId, e->oid, e->date);
        return launch::OpenApplication(c, main_, launch::kCalendarView);
    }
    case kKindMailAccount: {
        TMsgAccountItem* n = dynamic_cast<TMsgAccountItem*>(item);
        return launch::ComposeOrOpenMail(c, main_, false, L"", n ? n->name : std::wstring());
    }
    }
    return false;  // notes and messages open through their own tabs
}

void CTabWithItemsList::WriteCategoryChoice(UINT command, CNumericSetting& filter, CStringSetting& category) {
    constexpr UINT kAllCategories = 40039;
    if (!env_->settings) return;
    if (env_->settings->FilterMethodToUse.Int() == 1) {
        filter.Set(command == kAllCategories ? 0 : command - kFilterCommandBase);
        filter.Write();
        return;
    }
    std::wstring name;
    const size_t index = command - kFirstCategoryCommand;
    if (command != kAllCategories && env_->categories && index < env_->categories->entries().size())
        name = env_->categories->entries()[index].name;
    category.Set(name);
    category.Write();
}

std::optional<int> CTabWithItemsList::TaskCommand(TTask* task, UINT command, int32_t fallbackDay) {
    switch (command) {
    case kCmdHigh:
    case kCmdNormal:
    case kCmdLow: {
        if (!task) return -1;
        const int want = int(kCmdLow - command);
        LibraryTexts texts(env_->lang);
        if (task->importance != want) ItemActions(main_, texts).SetImportance(task->poomId, want);
        return 0;
    }
    case kCmdReminder:
        if (!task) return -1;
        TaskReminder(task, fallbackDay);
        return 0;
    }
    return std::nullopt;
}

void CTabWithItemsList::TaskReminder(TTask* task, int32_t fallbackDay) {
    LibraryTexts texts(env_->lang);
    ItemActions actions(main_, texts);
    TaskReminderChoice now;
    now.hasStart = task->startDate != launch::kNoDate;
    now.hasDue = task->due != launch::kNoDate;
    now.start = now.hasStart ? task->startDate : 0;
    now.due = now.hasDue ? task->due : 0;
    double when = 0;
    if (!actions.GetTaskReminder(task->poomId, &now.reminder, &when) || when <= 0 || when == launch::kNoDate)
        when = (now.hasDue ? now.due : double(fallbackDay)) + 8.0 / 24.0;
    now.when = when;
    // Copied out: the dialog's loop may rebuild the rows under the task.
    const uint32_t id = task->poomId;
    const std::wstring subject = task->title;
    const bool completed = task->completed;
    const double completedDate = task->dateCompleted;
    CTaskReminderDialog dlg(texts, subject, now);
    if (dlg.Run(env_->instance, main_)) {
        const TaskReminderChoice& c = dlg.choice();
        if (c.hasStart != now.hasStart || c.hasDue != now.hasDue || c.start != now.start || c.due != now.due)
            actions.SetTaskDates(id, c.hasStart ? c.start : launch::kNoDate, c.hasDue ? c.due : launch::kNoDate,
                                 completed, completedDate);
        actions.SetTaskReminder(id, c.reminder, c.when);
    }
    TakeListFocus();
}

}  // namespace daybrim
