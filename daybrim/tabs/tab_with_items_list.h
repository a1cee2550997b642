// CTabWithItemsList: the base of every tab that lists items. It owns the list
// window and the rows, paints them through each item's Draw, and turns taps,
// D-pad keys and menu commands into highlight moves, folding, opening and the
// item actions. Each tab supplies its rows, its menus and its tap order.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "builtin_tab.h"
#include "launchers.h"
#include "list_input.h"
#include "list_window.h"
#include "row_list.h"

namespace daybrim {

class CNumericSetting;
class CStringSetting;
class TTask;

// The tab window's timers as the list machinery's.
class WindowTimers : public ListTimers {
public:
    explicit WindowTimers(const HWND* window) : window_(window) {}
    void Start(unsigned id, unsigned ms) override {
        if (*window_) SetTimer(*window_, id, ms, nullptr);
    }
    void Stop(unsigned id) override {
        if (*window_) KillTimer(*window_, id);
    }

private:
    const HWND* window_;
};

// Context-menu and shared command ids.
enum ListCommand : UINT {
    kCmdOpen1 = 40009, kCmdOpen2 = 40016, kCmdOpen3 = 40027, kCmdOpen4 = 40884, kCmdOpen5 = 41080,
    kCmdEdit = 40028,
    kCmdCalendarApp = 40010, kCmdTasksApp = 40017, kCmdContactsApp = 40029, kCmdNotesApp = 40891,
    kCmdSettings = 40180, kCmdListProgram = 41254, kCmdNewWorkbook = 41260, kCmdNewDocument = 41261,
    kCmdDelete1 = 40011, kCmdDelete2 = 40015,
    kCmdReminder = 40179,
    kCmdHigh = 40182, kCmdNormal = 40183, kCmdLow = 40184,
    kCmdMarkDone = 40191, kCmdMarkNotDone = 40192,
    kCmdFold = 40195, kCmdUnfold = 40197,
};

class CTabWithItemsList : public CBuiltInTab {
public:
    explicit CTabWithItemsList(const ShellEnv* env);
    ~CTabWithItemsList() override;

    // --- what each tab supplies
    virtual void RebuildRows() = 0;
    virtual UINT GetContextMenuId(TItem* item) = 0;
    virtual void PrepareContextMenu(TItem* item, HMENU menu) = 0;
    virtual std::wstring CreateListContent() = 0;
    virtual void OnListTap(int x, int y, int scrollOffset) = 0;
    virtual void LayoutExtras() {}
    virtual int DPadActionOverride(TItem* item) { return 0; }
    virtual int OpenItemOverride(TItem* item) { return 0; }
    virtual int BottomBarHeight() { return 0; }
    // 0 when handled, -1 otherwise; commands needing an item are -1 without one.
    virtual int OnContextMenuCommand(TItem* item, UINT command);
    virtual std::wstring GetBarIconName() = 0;
    // Paints one row at `y` of the back buffer; returns its height.
    virtual int PaintRow(HDC dc, TItem& item, int y, bool highlighted);
    // Draws the item through its own Draw with the kDraw flags; returns its height.
    int DrawItem(HDC dc, TItem& item, const HotRect& rc, unsigned flags);
    int MeasureHighlighted(TItem& item);
    int MeasureRow(TItem& item);
    DrawContext MakeContext(HDC dc, TItem& item, const HotRect& rc);
    // The painter and the tab's adjustments of what a row is drawn with.
    virtual RowPainter* Painter();
    virtual void PrepareDrawContext(DrawContext& ctx, TItem& item) {}

    // --- CTab
    LRESULT KeyUp(HWND host, int tabId) override;
    LRESULT KeyDown(HWND host, int tabId) override;
    LRESULT KeyLeft(HWND, int) override { return 0; }
    LRESULT KeyRight(HWND, int) override { return 0; }
    LRESULT KeyEnter(HWND host, int tabId) override;
    LRESULT ReceiveSelection(UINT key) override;
    void LoseSelection() override;
    void Destroy() override;
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    // For tests and the benchmark: the rows and the list as they are.
    const RowList& Rows() const { return rows_; }
    ScrollingListView& List() { return list_; }
    bool HasListFocus() const { return hasListFocus_; }

protected:
    // A category-menu command (40039 "all", or 20000 + the category's index, or
    // 19999 + a filter number in filter mode) written to the tab's own two
    // settings; the caller repaints and reloads as its caption needs.
    void WriteCategoryChoice(UINT command, CNumericSetting& filter, CStringSetting& category);
    // The task's dates and reminder dialog (379); a task without a reminder or due
    // date is offered 8:00 on `fallbackDay`.
    void TaskReminder(TTask* task, int32_t fallbackDay);
    // The commands a task's menu carries in either task tab: importance and the
    // dates-and-reminder dialog. Nothing when `command` is not one of them; -1
    // when it is but the row is no task.
    std::optional<int> TaskCommand(TTask* task, UINT command, int32_t fallbackDay);

    // Tab-window handlers; a derived tab's procedure calls these for what it
    // does not handle itself.
    virtual void OnCreate(HWND hwnd);
    virtual void OnWindowPosChanged(HWND hwnd);
    virtual void OnCommand(HWND hwnd, WPARAM wp, LPARAM lp);
    virtual void OnTimer(HWND hwnd, UINT id);
    virtual void OnPenMove(int x, int y) {}
    virtual void OnPenUp(int x, int y) {}
    LRESULT PaintEntry(HDC dc);
    void TapEntry(int x, int y);
    void TakeListFocus();

    // Rows: rebuilt keeping the highlight (or cleared with the offset reset).
    void Rebuild(bool keepPlace = true);
    void RepaintList() { list_.Repaint(); }
    void SetHighlight(int index);
    void EnsureVisible(int index);
    bool ListFocused() const;
    void ToggleFold(TItem* group);

    // Tap steps; each returns whether it consumed the tap.
    bool StepDoubleTap(TItem* item);
    // `y` in the list window, `contentY` in the whole list.
    // The row under a tap at content height `contentY`; on empty space, null after
    // clearing the highlight and offering tap-and-hold for no item.
    TItem* TapTarget(int x, int y, int contentY, int* index);
    bool StepNoteIcon(TItem* item, int x, int y, int contentY);
    bool StepReminderIcon(TItem* item, int x, int contentY);
    bool StepLinkIcon(TItem* item, int x, int contentY);
    bool StepFoldButton(TItem* item, int x);
    bool StepCheckBox(TItem* item, int x, bool confirm);
    bool StepTapAndHold(TItem* item, int x, int y);
    void StepPlainTap(int index, int x, int y, int previous);
    bool StepSingleTapOpen(TItem* item);

    void ShowContextMenu(TItem* item, int x, int y);
    bool OpenItem(TItem* item, bool edit, bool linkFlag = false);
    int OnClick() const;
    // The host's launcher settings, or the settings' own when there is no host.
    launch::LaunchConfig LaunchSettings() const;

    ScrollingListView list_;
    RowList rows_;
    WindowTimers timers_{&main_};
    KeyStepper stepper_{timers_};
    DoubleTap doubleTap_{timers_};
    bool hasListFocus_ = false;
    int lastTapX_ = -1, lastTapY_ = -1;
    bool tapHandled_ = false;
    ItemKey menuItem_;  // the item a shown context menu is for

private:
    void Step(int direction);
    bool DPadScrollMode() const;
    void ArmHighlightTimer();
};

}  // namespace daybrim
