#include "tasks_tab.h"

#include <algorithm>

#include "agenda_settings.h"
#include "calendar_tab.h"
#include "category_table.h"
#include "item_actions.h"
#include "launchers.h"
#include "menu_extensions.h"
#include "pim_store.h"
#include "scale.h"
#include "settings.h"
#include "tab_codes.h"

namespace daybrim {

namespace {

bool HasDate(double ole) { return ole != launch::kNoDate; }

enum TasksCommand : UINT {
    kCmdNewTask = 40087,
    kCmdPrivate = 40171,
    kCmdFoldAll = 40199, kCmdUnfoldAll = 40200,
    kCmdAllCategories = 40039,
};

const int kGroupingSubmenu = 6;

TaskTabSettings TaskSettingsFrom(const CSettings& s) {
    TaskTabSettings t;
    const int grouping = s.TsksGrouping.Int();
    // An unknown grouping would list nothing at all: the default instead.
    t.groups.grouping = grouping >= kGroupOne && grouping <= kGroupSensitivity ? grouping : kGroupDue;
    t.groups.removeUndated = s.RemoveUndatedTsks.Int() == 1;
    t.groups.hidePastCompleted = s.HidePastCompletedTasks.Int() == 1;
    t.groups.futureLimit = s.TsksLimitFutureDate.Int();
    t.groups.pimSw = s.PimSw.Int();
    t.direction = s.TsksGroupingDirctn.Int() < 0 ? -1 : 1;
    const CNumericSetting* keys[3][2] = {{&s.TsksSrt1, &s.TsksSrt1Dirctn},
                                         {&s.TsksSrt2, &s.TsksSrt2Dirctn},
                                         {&s.TsksSrt3, &s.TsksSrt3Dirctn}};
    for (int i = 0; i < 3; ++i) t.sort[i] = {keys[i][0]->Int(), keys[i][1]->Int() < 0 ? -1 : 1};
    t.foldedByDefault = s.TsksFoldingDflt.Int() == 1;
    t.hideCompleted = s.HideCompletedTasks.Int() == 1;
    t.selection.filterMode = s.FilterMethodToUse.Int() == 1;
    t.selection.category = s.TasksSelCategory.value();
    t.selection.filter = NormalizeFilterNumber(s.TasksSelFilter.Int());
    t.titleCompare = LocaleTitleCompare;
    return t;
}

// The task rows' date prefix as the tab's date settings write it.
class TaskRowTexts : public RowTexts {
public:
    TaskRowTexts(const TextSource& text, const DateTimeFormat& format) : text_(text), format_(format) {}
    void Set(const TaskPrefixOptions& o) { options_ = o; }
    std::wstring TaskPrefix(const TTask& t) const override { return TaskDatePrefix(t, options_, format_, text_); }

private:
    const TextSource& text_;
    const DateTimeFormat& format_;
    TaskPrefixOptions options_;
};

}  // namespace

// Held outside the header: the header stays free of the locale's formatter.
struct TasksTabTexts {
    explicit TasksTabTexts(const TextSource& t) : rows(t, format) {}
    LocaleFormat format;
    TaskRowTexts rows;
};

CTasksTab::CTasksTab(const ShellEnv* env, CPimStore* pim)
    : CTabWithItemsList(env), pim_(pim), texts_(env ? env->lang : nullptr), rowTexts_(new TasksTabTexts(texts_)) {
    if (env && env->settings) settings_ = TaskSettingsFrom(*env->settings);
}

CTasksTab::~CTasksTab() { Destroy(); }

DWORD CTasksTab::GetType() { return TAB_TYPE_TASKS; }

// --- groups and rows ------------------------------------------------------------------------

void CTasksTab::Reload(bool keepPlace) {
    if (env_->settings) settings_ = TaskSettingsFrom(*env_->settings);
    today_ = pim_ && pim_->today() ? pim_->today() : DeviceToday();
    if (pim_)
        groups_.Build(pim_->tasks(), today_, settings_, pim_->options().tasksRules.categories, texts_, keepPlace);
    if (main_) Rebuild(keepPlace);
}

void CTasksTab::RebuildRows() {
    if (groups_.groups().empty() && pim_ && today_ == 0) {
        today_ = pim_->today() ? pim_->today() : DeviceToday();
        groups_.Build(pim_->tasks(), today_, settings_, pim_->options().tasksRules.categories, texts_, false);
    }
    for (TTasksList* g : groups_.groups()) rows_.AppendGroup(g);
}

void CTasksTab::OnDataChanged() { Reload(true); }

void CTasksTab::OnDateChanged() { Reload(false); }

void CTasksTab::OnCaptionChoiceChanged() { Reload(false); }

// --- drawing ------------------------------------------------------------------------------------

HFONT CTasksTab::FontFor(const TTask& t) {
    if (!env_->settings) return nullptr;
    const CSettings& s = *env_->settings;
    if (!fontsMade_) {
        fontsMade_ = true;
        const bool advanced = s.FontGnrlUseAdvncd.Int() == 1;
        const CFontSetting* by[5] = {&s.FontTskOverdue, &s.FontTskDueToday, &s.FontTskFutureDue, &s.FontTskNoDue,
                                     &s.FontCalTasksCompleted};
        for (int i = 0; i < 5; ++i) {
            LOGFONTW lf = (advanced ? by[i] : &s.FontGeneral)->logfont();
            if (i == 4 && !advanced) lf.lfStrikeOut = 1;
            if (lf.lfHeight != 0) fonts_[i].reset(CreateFontIndirectW(&lf));
        }
    }
    int i;
    if (t.completed) i = 4;
    else if (!HasDate(t.due)) i = 3;
    else if (DayOf(t.due) < today_) i = 0;
    else if (DayOf(t.due) == today_) i = 1;
    else i = 2;
    return fonts_[i].get();
}

void CTasksTab::PrepareDrawContext(DrawContext& ctx, TItem& item) {
    ctx.today = today_;
    if (!env_->settings) return;
    const CSettings& s = *env_->settings;
    if (item.Kind() == kKindGroup) {
        ctx.group.lineStyle = s.TsksLineBreaker.Int();
        ctx.group.lineColour = s.TskBreakingLineClr.value();
        ctx.group.foldButton = s.TsksUseSmartFolding.Int() == 1;
        ctx.group.counterKind[0] = s.IncludeCountersTsks.Int() == 1 ? 2 : 0;
        ctx.group.counterSlot[0] = 0;
        return;
    }
    if (item.Kind() != kKindTask) return;
    const TTask& t = static_cast<const TTask&>(item);
    ctx.leftIcons[0] = s.TaskTabLeftAlignIcon1.Int();
    ctx.leftIcons[1] = s.TaskTabLeftAlignIcon2.Int();
    ctx.rightMask = s.TasksRightIcons.Int();
    ctx.foldingType = s.TsksFoldingType.Int();
    ctx.font = reinterpret_cast<uintptr_t>(FontFor(t));
    // Completion changes the font, not the colour.
    uint32_t colour = 0xFFFFFFFF;
    if (s.ClrTextColor.Int() == 2 && env_->categories)
        for (int32_t id : t.categories())
            if (const CategoryEntry* e = env_->categories->CategoryById(id))
                if (e->colour != 0xFFFFFFFF) {
                    colour = e->colour;
                    break;
                }
    if (colour == 0xFFFFFFFF) {
        const CFontSetting* by = !HasDate(t.due)             ? &s.FontTskNoDue
                                 : DayOf(t.due) < today_     ? &s.FontTskOverdue
                                 : DayOf(t.due) == today_    ? &s.FontTskDueToday
                                                             : &s.FontTskFutureDue;
        colour = by->color();
        if (colour == 0xFFFFFFFF) colour = s.FontGeneral.color();
    }
    ctx.textColour = colour;
    TasksTabTexts& texts = *rowTexts_;
    TaskPrefixOptions o;
    o.dateFormat = s.TsksDateFrmt.Int();
    o.useCustom = s.UseCustomDateTsks.Int() == 1;
    o.customStruct = s.TsksCustomDateStruct.Int();
    o.customStart = s.CustomDateFrmtStart.value();
    o.customEnd = s.CustomDateFrmtEnd.value();
    o.removeUndatedLeading = s.RemoveUndatedLeadingStr.Int() == 1;
    texts.rows.Set(o);
    ctx.texts = &texts.rows;
}

// --- menus ----------------------------------------------------------------------------------------

UINT CTasksTab::GetContextMenuId(TItem* item) {
    if (!item) return 237;
    switch (item->Kind()) {
    case kKindGroup:
    case kKindEmpty:
    case kKindEmptyFlagged: return 237;
    case kKindTask: return 119;
    }
    return 0;
}

void CTasksTab::PrepareContextMenu(TItem* item, HMENU menu) {
    if (item && item->Kind() == kKindTask) {
        const TTask* t = static_cast<const TTask*>(item);
        // The menu ends with the extensions' submenu: filled for this task, or gone.
        const int last = GetMenuItemCount(menu) - 1;
        if (last < 0 || !GetSubMenu(menu, last) || !env_->menuExtensions ||
            !env_->menuExtensions->FillExtensionMenu(menuext::kTasks, menu, last, t->poomId))
            if (last >= 0 && GetSubMenu(menu, last)) DeleteMenu(menu, last, MF_BYPOSITION);
        for (UINT c : {kCmdHigh, kCmdNormal, kCmdLow})
            CheckMenuItem(menu, c, MF_BYCOMMAND | (kCmdLow - c == UINT(t->importance) ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(menu, kCmdPrivate, MF_BYCOMMAND | (t->sensitivity == 2 ? MF_CHECKED : MF_UNCHECKED));
        return;
    }
    // Titles and empty space: folding applies to a title only, and only the way
    // it can go; the Calendar's entries are not the Tasks tab's.
    const TGroupingItem* g = item && item->Kind() == kKindGroup ? static_cast<const TGroupingItem*>(item) : nullptr;
    if (!g || g->folded) DeleteMenu(menu, kCmdFold, MF_BYCOMMAND);
    if (!g || !g->folded) DeleteMenu(menu, kCmdUnfold, MF_BYCOMMAND);
    DeleteMenu(menu, 40086, MF_BYCOMMAND);  // new appointment
}

HMENU CTasksTab::PrepareGroupingMenu(HMENU menu) {
    HMENU grouping = GetSubMenu(menu, kGroupingSubmenu);
    if (!grouping) grouping = menu;  // a library without the submenu: its top level
    for (unsigned c : TaskMenuCommands())
        CheckMenuItem(grouping, c, MF_BYCOMMAND | (TaskMenuChecked(c, settings_) ? MF_CHECKED : MF_UNCHECKED));
    return grouping;
}

void CTasksTab::PrepareMenu(HMENU menu) {
    if (HMENU sub = GetSubMenu(menu, 0)) PrepareGroupingMenu(sub);
}

std::wstring CTasksTab::GetGroupingCaption() { return GroupingName(settings_.groups.grouping, texts_); }

std::wstring CTasksTab::GetCategoryCaption() {
    if (!env_->categories) return std::wstring();
    const Selection& sel = settings_.selection;
    return env_->categories->SelectionCaption(sel.filterMode ? L"" : sel.category, sel.filterMode ? sel.filter : 0,
                                              env_->lang);
}

void CTasksTab::FillCategoryMenu(HMENU menu) {
    if (env_->categories) env_->categories->FillSelectionMenu(menu);
}

// --- commands -------------------------------------------------------------------------------------

void CTasksTab::StoreChoice(const TaskMenuChoice& c) {
    if (env_->settings) {
        CSettings& s = *env_->settings;
        CNumericSetting* target = nullptr;
        switch (c.setting) {
        case TaskSetting::kGrouping: target = &s.TsksGrouping; break;
        case TaskSetting::kDirection: target = &s.TsksGroupingDirctn; break;
        case TaskSetting::kSort1: target = &s.TsksSrt1; break;
        case TaskSetting::kSort1Dir: target = &s.TsksSrt1Dirctn; break;
        case TaskSetting::kSort2: target = &s.TsksSrt2; break;
        case TaskSetting::kSort2Dir: target = &s.TsksSrt2Dirctn; break;
        case TaskSetting::kSort3: target = &s.TsksSrt3; break;
        case TaskSetting::kSort3Dir: target = &s.TsksSrt3Dirctn; break;
        case TaskSetting::kNone: return;
        }
        target->Set(DWORD(c.value));
        target->Write();
    }
    ApplyTaskChoice(c, settings_);
    ClearCaptionCache();
    if (caption_) {
        RECT r = {ScaleX(27), 0, ScaleX(82), ScaleY(20)};
        InvalidateRect(caption_, &r, FALSE);
    }
    Reload(false);
}

void CTasksTab::SelectCategory(UINT command) {
    if (!env_->settings) return;
    WriteCategoryChoice(command, env_->settings->TasksSelFilter, env_->settings->TasksSelCategory);
    ClearCaptionCache();
    if (caption_) {
        RECT r = {ScaleX(93), 0, ScaleX(138), ScaleY(19)};
        InvalidateRect(caption_, &r, FALSE);
    }
    Reload(false);
}

void CTasksTab::NewTask(TItem* highlighted) {
    const GroupKey* group = highlighted && highlighted->Kind() == kKindGroup ? groups_.KeyOf(highlighted) : nullptr;
    const std::wstring category = NewTaskCategory(settings_.selection, settings_.groups.grouping, group);
    const launch::LaunchConfig c = LaunchSettings();
    if (c.pimSw == launch::kAgendaFusion) {
        launch::RunAgendaFusion(c, launch::AgendaFusionNew(launch::kNewTask, launch::kNoDate, launch::kNoDate,
                                                           category));
        return;
    }
    if (c.pimSw == launch::kAgendaOne) {
        launch::RunAgendaOne(c, main_, launch::AgendaOneNew(launch::kNewTask, launch::kNoDate));
        return;
    }
    launch::PimBridgeRequest r;
    if (launch::BridgeCreate(c.pimSw, launch::kBridgeTask, launch::kNoDate, launch::kNoDate, category, &r))
        launch::SendToPimBridge(c, main_, r);
}

int CTasksTab::OnContextMenuCommand(TItem* item, UINT command) {
    if (CTabWithItemsList::OnContextMenuCommand(item, command) == 0) return 0;
    TTask* task = item && item->Kind() == kKindTask ? static_cast<TTask*>(item) : nullptr;
    if (task && env_->menuExtensions &&
        env_->menuExtensions->HandleExtensionCommand(main_, env_->instance, command, task->poomId))
        return 0;
    if (const std::optional<int> done = TaskCommand(task, command, today_)) return *done;
    LibraryTexts texts(env_->lang);
    ItemActions actions(main_, texts);
    switch (command) {
    case kCmdNewTask:
        // From the menu of a title, that title; from empty space, the highlighted row's.
        NewTask(item ? item : rows_.HighlightedItem());
        return 0;
    case kCmdPrivate:
        if (!task) return -1;
        actions.TogglePrivate(task->poomId);
        return 0;
    case kCmdFoldAll:
    case kCmdUnfoldAll:
        groups_.FoldAll(command == kCmdFoldAll);
        Rebuild(true);
        return 0;
    }
    return -1;
}

void CTasksTab::OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) {
    const UINT cmd = LOWORD(wp);
    if (cmd == kCmdAllCategories || (cmd >= kFirstCategoryCommand && cmd <= kFirstCategoryCommand + 150)) {
        SelectCategory(cmd);
        return;
    }
    const TaskMenuChoice choice = TaskMenuChoiceOf(cmd);
    if (choice.setting != TaskSetting::kNone) {
        StoreChoice(choice);
        return;
    }
    CTabWithItemsList::OnCommand(hwnd, wp, lp);
}

LRESULT CTasksTab::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CAL_REDATE_TASK1 || msg == WM_CAL_REDATE_TASK2) {
        const uint32_t id = uint32_t(wp);
        const double day = double(int32_t(lp));
        double start = launch::kNoDate;
        // The second mode keeps the task's span: the start moves with the due date.
        if (msg == WM_CAL_REDATE_TASK2)
            for (TTasksList* g : groups_.groups())
                if (const TTask* t = dynamic_cast<const TTask*>(g->FindChildById(id)))
                    if (HasDate(t->startDate) && HasDate(t->due)) start = day - (t->due - t->startDate);
        LibraryTexts texts(env_->lang);
        ItemActions(hwnd, texts).SetTaskDates(id, start, day, false, 0);
        return 0;
    }
    return CTabWithItemsList::MainWindowProc(hwnd, msg, wp, lp);
}

// --- taps -----------------------------------------------------------------------------------------

void CTasksTab::OnListTap(int x, int y, int scrollOffset) {
    const int contentY = y + scrollOffset;
    const int previous = rows_.Highlighted();
    int index = RowList::kNone;
    TItem* item = TapTarget(x, y, contentY, &index);
    if (!item) return;
    // A second tap opens the item and the tap goes on down the chain; the open on
    // pen-up must not open it again.
    if (StepDoubleTap(item)) tapHandled_ = true;
    if (StepNoteIcon(item, x, y, contentY) || StepReminderIcon(item, x, contentY) ||
        StepLinkIcon(item, x, contentY)) {
        tapHandled_ = true;
        return;
    }
    SetHighlight(index);
    const CSettings* s = env_->settings;
    const bool smartFolding = !s || s->TsksUseSmartFolding.Int() == 1;
    const bool confirm = !s || s->ConfirmTaskCompleteTsks.Int() == 1;
    if ((smartFolding && StepFoldButton(item, x)) || StepCheckBox(item, x, confirm) || StepTapAndHold(item, x, y)) {
        tapHandled_ = true;
        return;
    }
    if (!tapHandled_) StepPlainTap(index, x, y, previous);
}

void CTasksTab::OnPenUp(int, int) {
    const int click = OnClick();
    if ((click == 1 || click == 2) && !tapHandled_) StepSingleTapOpen(rows_.HighlightedItem());
    tapHandled_ = false;
}

}  // namespace daybrim
