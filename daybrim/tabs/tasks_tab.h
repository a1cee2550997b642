// CTasksTab: the device's tasks in foldable groups. The groups come from the
// store's tasks through TaskGroups; the tab adds the grouping and sorting menu of
// its caption's slide-out, the category selector, completing from the check
// box, the task menu's commands and new tasks.
#pragma once
#include <windows.h>

#include <memory>

#include "locale_text.h"
#include "raii.h"
#include "tab_with_items_list.h"
#include "task_groups.h"

namespace daybrim {

class CPimStore;
struct TasksTabTexts;

class CTasksTab : public CTabWithItemsList {
public:
    CTasksTab(const ShellEnv* env, CPimStore* pim);
    ~CTasksTab() override;

    // CTab
    DWORD GetType() override;
    UINT GetMenuId() override { return 438; }
    void PrepareMenu(HMENU menu) override;
    void OnDateChanged() override;
    void OnDataChanged() override;

    // CTabWithItemsList
    void RebuildRows() override;
    UINT GetContextMenuId(TItem* item) override;
    void PrepareContextMenu(TItem* item, HMENU menu) override;
    std::wstring CreateListContent() override { return L"TasksTabVList"; }
    void OnListTap(int x, int y, int scrollOffset) override;
    int OnContextMenuCommand(TItem* item, UINT command) override;
    std::wstring GetBarIconName() override { return L"tasks_baricon"; }
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void PrepareDrawContext(DrawContext& ctx, TItem& item) override;

    // The caption's slide-out and category selector.
    std::wstring GetGroupingCaption() override;
    HMENU PrepareGroupingMenu(HMENU menu) override;
    std::wstring GetCategoryCaption() override;
    void FillCategoryMenu(HMENU menu) override;
    void OnCaptionChoiceChanged() override;

    // For tests and the benchmark.
    const TaskGroups& Groups() const { return groups_; }
    const TaskTabSettings& Settings() const { return settings_; }
    // The store's tasks grouped anew and the rows rebuilt; `keepPlace` keeps the
    // highlight, the scroll offset and the groups' fold flags.
    void Reload(bool keepPlace);

protected:
    void OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) override;
    void OnPenUp(int x, int y) override;

private:
    void ReadSettings();
    void StoreChoice(const TaskMenuChoice& c);
    void SelectCategory(UINT command);
    void NewTask(TItem* highlighted);
    HFONT FontFor(const TTask& task);

    CPimStore* pim_;
    LibraryTexts texts_;
    TaskTabSettings settings_;
    std::unique_ptr<TasksTabTexts> rowTexts_;
    TaskGroups groups_;
    int32_t today_ = 0;
    // Row fonts by due state, made on first use: overdue, today, later, none, completed.
    raii::Font fonts_[5];
    bool fontsMade_ = false;
};

}  // namespace daybrim
