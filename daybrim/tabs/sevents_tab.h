// CSEventsTab: coming birthdays and anniversaries of the contacts and the
// appointments of the special-events categories, soonest first, in one
// foldable group. It reports an alert while a listed event is due, which makes
// its tab-bar button blink.
#pragma once
#include <windows.h>

#include <vector>

#include "sevents_model.h"
#include "tab_with_items_list.h"

namespace daybrim {

class CPimStore;

class CSEventsTab : public CTabWithItemsList {
public:
    CSEventsTab(const ShellEnv* env, CPimStore* pim);
    ~CSEventsTab() override;

    // CTab
    DWORD GetType() override;
    UINT GetMenuId() override { return 439; }
    void PrepareMenu(HMENU) override {}
    void OnDateChanged() override;
    void OnDataChanged() override;
    bool HasAlert() override { return hasAlert_; }

    // CTabWithItemsList
    void RebuildRows() override;
    UINT GetContextMenuId(TItem* item) override;
    void PrepareContextMenu(TItem* item, HMENU menu) override;
    std::wstring CreateListContent() override;
    void OnListTap(int x, int y, int scrollOffset) override;
    int OnContextMenuCommand(TItem* item, UINT command) override;
    std::wstring GetBarIconName() override { return L"sevents_baricon"; }
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void PrepareDrawContext(DrawContext& ctx, TItem& item) override;

    std::wstring GetCategoryCaption() override;
    void FillCategoryMenu(HMENU menu) override;

    // What the rows were last built from (tests).
    const std::vector<SEventRow>& Events() const { return events_; }

protected:
    void OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) override;

private:
    int32_t Today() const;
    SEventRules Rules() const;
    Selection CurrentSelection() const;
    void Recompute();
    void SelectCategory(UINT command);
    void NewContact();

    CPimStore* pim_;
    std::vector<SEventRow> events_;
    bool hasAlert_ = false;
    bool foldSet_ = false;  // the group's default folding applies once
};

}  // namespace daybrim
