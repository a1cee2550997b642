#include "sevents_tab.h"

#include <algorithm>

#include "category_table.h"
#include "image_cache.h"
#include "launchers.h"
#include "pim_store.h"
#include "scale.h"
#include "settings.h"
#include "tab_types.h"

namespace daybrim {

namespace {

enum SEventsCommand : UINT {
    kCmdNewContact = 41082,
    kCmdFoldGroup = 40199,
    kCmdUnfoldGroup = 40200,
    kCmdAllCategories = 40039,
};

// Context menus: the list and its group, a contact's event, an appointment's.
constexpr UINT kMenuList = 430, kMenuContactEvent = 141, kMenuAppointment = 118;

}  // namespace

CSEventsTab::CSEventsTab(const ShellEnv* env, CPimStore* pim) : CTabWithItemsList(env), pim_(pim) {}

CSEventsTab::~CSEventsTab() { Destroy(); }

DWORD CSEventsTab::GetType() { return TAB_TYPE_SEVENTS; }

int32_t CSEventsTab::Today() const { return pim_ && pim_->today() ? pim_->today() : DeviceToday(); }

SEventRules CSEventsTab::Rules() const {
    SEventRules r;
    if (!env_ || !env_->settings) return r;
    const CSettings& s = *env_->settings;
    r.window = s.SEventDays.Int();
    r.alertBefore = s.SEAlertBeforeDays.Int();
    r.filterAlertBefore = s.SEFilterAlertBeforeDays.Int();
    return r;
}

Selection CSEventsTab::CurrentSelection() const {
    Selection sel;
    if (!env_ || !env_->settings) return sel;
    const CSettings& s = *env_->settings;
    sel.filterMode = s.FilterMethodToUse.Int() == 1;
    sel.category = s.SEventsSelCategory.value();
    sel.filter = NormalizeFilterNumber(int64_t(s.SEventsSelFilter.value()));
    return sel;
}

void CSEventsTab::Recompute() {
    events_.clear();
    TSEventsList* group = pim_ ? pim_->sevents() : nullptr;
    if (group) {
        // The category chosen here applies at once; the store's own copy of the
        // selection is only renewed at the next reload.
        const Selection sel = CurrentSelection();
        const CategoryLookup* cats = env_ ? env_->categories : nullptr;
        events_ = SEventRows(*group, Today(), Rules(), [&](const TSEvent& e) {
            return PassesSelection(e, -1, sel, cats);
        });
    }
    hasAlert_ = AnyAlert(events_);
}

void CSEventsTab::RebuildRows() {
    TSEventsList* group = pim_ ? pim_->sevents() : nullptr;
    Recompute();
    if (!group) return;  // no events at all: the list's own placeholder
    if (!foldSet_) {
        foldSet_ = true;
        if (env_ && env_->settings && env_->settings->FoldingDflt.Int() == 1) group->folded = 1;
    }
    rows_.AppendItem(group);
    if (group->folded) return;
    for (const SEventRow& r : events_) rows_.AppendItem(r.event);
    if (events_.empty()) rows_.AppendEmpty(group);
}

UINT CSEventsTab::GetContextMenuId(TItem* item) {
    switch (item ? item->Kind() : -1) {
    case kKindSEventContact: return kMenuContactEvent;
    case kKindSEventAppt: return kMenuAppointment;
    }
    return kMenuList;
}

void CSEventsTab::PrepareContextMenu(TItem* item, HMENU menu) {
    if (!item || item->Kind() != kKindSEventAppt || !menu) return;
    // The appointment menu's status, sensitivity and completion entries act on
    // agenda rows only.
    for (int i = 0; i < 4; ++i) DeleteMenu(menu, 3, MF_BYPOSITION);
}

std::wstring CSEventsTab::CreateListContent() {
    lastTapX_ = lastTapY_ = -1;
    Recompute();
    return L"SEventsTabVList";
}

void CSEventsTab::OnDateChanged() {
    Recompute();
    if (main_) Rebuild(false);
}

void CSEventsTab::OnDataChanged() {
    Recompute();
    if (main_) Rebuild(true);
}

void CSEventsTab::PrepareDrawContext(DrawContext& ctx, TItem& item) {
    ctx.today = Today();
    const SEventRules r = Rules();
    ctx.alertBefore[0] = r.alertBefore;
    for (int i = 1; i <= 4; ++i) ctx.alertBefore[i] = r.filterAlertBefore;
    // Each highlight class has a font of its own (fonts 300..304, the title 305),
    // used only with the advanced fonts.
    if (!env_ || !env_->settings || !env_->images || env_->settings->FontGnrlUseAdvncd.Int() != 1) return;
    int font = 305;
    if (item.Kind() == kKindSEventContact || item.Kind() == kKindSEventAppt)
        font = 300 + std::clamp(static_cast<TSEvent&>(item).categoryIndex, 0, 4);
    else if (item.Kind() != kKindGroup)
        return;
    ctx.font = reinterpret_cast<uintptr_t>(env_->images->GetFont(*env_->settings, font));
}

void CSEventsTab::OnListTap(int x, int y, int scrollOffset) {
    const int contentY = y + scrollOffset;
    const int previous = rows_.Highlighted();
    int index = RowList::kNone;
    TItem* item = TapTarget(x, y, contentY, &index);
    if (!item) return;
    if (StepDoubleTap(item) || StepNoteIcon(item, x, y, contentY)) {
        tapHandled_ = true;
        return;
    }
    SetHighlight(index);
    const bool foldButtons = !env_ || !env_->settings || env_->settings->IncldFoldBttns.Int() == 1;
    if ((foldButtons && StepFoldButton(item, x)) || StepTapAndHold(item, x, y) || StepSingleTapOpen(item)) {
        tapHandled_ = true;
        return;
    }
    StepPlainTap(index, x, y, previous);
}

void CSEventsTab::NewContact() {
    const launch::LaunchConfig c = LaunchSettings();
    if (c.pimSw == launch::kAgendaFusion) {
        launch::RunAgendaFusion(c, launch::AgendaFusionNew(launch::kNewContact, 0, 0, L""));
        return;
    }
    launch::PimBridgeRequest r;
    if (launch::BridgeCreate(c.pimSw, launch::kBridgeContact, 0, 0, L"", &r)) launch::SendToPimBridge(c, main_, r);
}

int CSEventsTab::OnContextMenuCommand(TItem* item, UINT command) {
    if (CTabWithItemsList::OnContextMenuCommand(item, command) == 0) return 0;
    TSEventsList* group = pim_ ? pim_->sevents() : nullptr;
    switch (command) {
    case kCmdNewContact: NewContact(); return 0;
    case kCmdFoldGroup:
    case kCmdUnfoldGroup:
        if (!group) return -1;
        if ((group->folded != 0) != (command == kCmdFoldGroup)) ToggleFold(group);
        return 0;
    }
    return -1;
}

void CSEventsTab::SelectCategory(UINT command) {
    if (!env_->settings) return;
    WriteCategoryChoice(command, env_->settings->SEventsSelFilter, env_->settings->SEventsSelCategory);
    ClearCaptionCache();
    if (caption_) InvalidateRect(caption_, nullptr, FALSE);
    OnDataChanged();
}

void CSEventsTab::OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) {
    const UINT cmd = LOWORD(wp);
    if (cmd == kCmdAllCategories || (cmd >= kFirstCategoryCommand && cmd <= kFirstCategoryCommand + 150)) {
        SelectCategory(cmd);
        return;
    }
    CTabWithItemsList::OnCommand(hwnd, wp, lp);
}

LRESULT CSEventsTab::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return CTabWithItemsList::MainWindowProc(hwnd, msg, wp, lp);
}

std::wstring CSEventsTab::GetCategoryCaption() {
    if (!env_->settings || !env_->categories) return std::wstring();
    const CSettings& s = *env_->settings;
    const bool filterMode = s.FilterMethodToUse.Int() == 1;
    const int filter = filterMode ? NormalizeFilterNumber(s.SEventsSelFilter.Int()) : 0;
    return env_->categories->SelectionCaption(filterMode ? L"" : s.SEventsSelCategory.value(), filter, env_->lang);
}

void CSEventsTab::FillCategoryMenu(HMENU menu) {
    if (env_->categories) env_->categories->FillSelectionMenu(menu);
}

}  // namespace daybrim
