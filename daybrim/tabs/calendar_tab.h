// CCalendarTab: the agenda. Its rows are the day sections of the PIM store; it
// adds the caption's calendar, range and category buttons, the appointment and
// task menus, browsing a range picked in the monthly calendar, the periodic
// refresh when an appointment starts or ends, the timeline's quick appointment
// and dragging an item onto a day of the pinned calendar.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>

#include "agenda_model.h"
#include "drag_item_window.h"
#include "locale_text.h"
#include "monthly_calendar.h"
#include "raii.h"
#include "tab_with_items_list.h"

namespace daybrim {

class CPimStore;
class TDailyList;

// Messages from the monthly calendar.
const UINT WM_CAL_BROWSE = 4790;        // wParam first day, lParam last day
const UINT WM_CAL_NEW_TASK = 4791;      // wParam start day, lParam end day
const UINT WM_CAL_NEW_APPT = 4792;
const UINT WM_CAL_REDATE_APPT1 = 4793;  // wParam appointment id, lParam day
const UINT WM_CAL_REDATE_APPT2 = 4794;
const UINT WM_CAL_REDATE_TASK1 = 4795;  // wParam task id, lParam day
const UINT WM_CAL_REDATE_TASK2 = 4796;

class CCalendarTab : public CTabWithItemsList {
public:
    CCalendarTab(const ShellEnv* env, CPimStore* pim);
    ~CCalendarTab() override;

    // CTab
    DWORD GetType() override;
    UINT GetMenuId() override { return 437; }
    void PrepareMenu(HMENU menu) override;
    void QueryRefresh(HWND, UINT, WPARAM, LPARAM) override;
    void OnDateChanged() override;
    void OnDataChanged() override;
    void LaunchApplication() override;

    // CTabWithItemsList
    void RebuildRows() override;
    UINT GetContextMenuId(TItem* item) override;
    void PrepareContextMenu(TItem* item, HMENU menu) override;
    std::wstring CreateListContent() override;
    void OnListTap(int x, int y, int scrollOffset) override;
    int OnContextMenuCommand(TItem* item, UINT command) override;
    std::wstring GetBarIconName() override { return L"calendar_baricon"; }
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void PrepareDrawContext(DrawContext& ctx, TItem& item) override;

    // The caption: calendar button, range, category.
    void OnCaptionPaint(HWND hwnd) override;
    void OnCaptionTap(HWND hwnd, int x, int y) override;
    std::wstring GetCategoryCaption() override;
    void FillCategoryMenu(HMENU menu) override;

    bool Browsing() const { return browsing_; }
    // The monthly calendar pinned under the list (not open while switched off or
    // while the host is too low for it).
    const CMonthlyCalendar& pinned() const { return pinned_; }
    double NextRefresh() const { return nextRefresh_; }

protected:
    void OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) override;
    void OnPenMove(int x, int y) override;
    void OnPenUp(int x, int y) override;
    void OnCreate(HWND hwnd) override;
    void OnWindowPosChanged(HWND hwnd) override;
    int BottomBarHeight() override { return pinnedHeight_; }

private:
    int32_t RangeFirst() const;
    int32_t RangeLast() const;
    std::wstring RangeText(bool inMenu) const;
    double ComputeNextRefresh() const;
    void Browse(int32_t first, int32_t last);
    void LeaveBrowsing();
    void NewAppointment(double start, double end);
    void NewTask(double due);
    void SelectCategory(UINT command);
    bool TimelineTap(TItem* item, int x, int contentY);
    void FoldAllDays(bool fold);
    void DropDragged(int x, int y);
    void StartDrag(int x, int y);
    void EndDrag();

    // The monthly calendar: its inputs, the floating one for browsing or a
    // re-date, the pinned one kept in step with the host's height.
    MonthlySetup CalendarSetup() const;
    void OpenFloating(int mode, const TItem* item);
    int WantedPinnedHeight() const;
    void ShowPinned();

    void SyncAgenda();

    CPimStore* pim_;
    LibraryTexts texts_;
    LocaleFormat format_;
    std::unique_ptr<AgendaModel> agenda_;
    class RowTextsOfAgenda;
    std::unique_ptr<RowTextsOfAgenda> rowTexts_;
    CMonthlyCalendar pinned_;
    int pinnedHeight_ = 0;
    double newStart_ = 0, newEnd_ = 0;
    double nextRefresh_ = 0;
    bool browsing_ = false;
    int32_t browseFirst_ = 0, browseLast_ = 0;
    // Dragging: armed by a tap on an appointment or task, started beyond 3 px.
    ItemKey dragItem_;
    bool dragging_ = false;
    std::unique_ptr<CDragItemWindow> drag_;
    POINT dragPen_ = {};  // the pen's last place while dragging (screen)
    // Day titles: their timeline bitmaps and where the painter put them.
    std::map<uint32_t, raii::Bitmap> timelines_;
    std::map<uint32_t, HotRect> timelineZones_;
};

}  // namespace daybrim
