// CCalendarTab: the agenda. Its rows are the day sections of the PIM store; it
// adds the caption's calendar, range and category buttons, the appointment and
// task menus, browsing a range picked in the monthly calendar, the periodic
// refresh when an appointment starts or ends, the timeline's quick appointment
// and dragging an item onto a day of the pinned calendar.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>

#include "agenda_model.h"
#include "locale_text.h"
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

// What the Calendar asks of the pinned monthly calendar under its list.
class PinnedCalendar {
public:
    virtual ~PinnedCalendar() = default;
    virtual HWND Window() = 0;
    // The day under a screen point, 0 when none.
    virtual int32_t DayAt(POINT screen) = 0;
    virtual int DropMode() = 0;  // 1: move, 0: copy
    virtual void ClearDayHighlight() = 0;
};

// What the Calendar asks of the floating monthly calendar.
class MonthlyCalendarPort {
public:
    virtual ~MonthlyCalendarPort() = default;
    // mode 0 browse, 1 and 2 the two re-date modes for `item`.
    virtual void Open(HWND owner, int mode, const TItem* item) = 0;
};

class CCalendarTab : public CTabWithItemsList {
public:
    CCalendarTab(const ShellEnv* env, CPimStore* pim);
    ~CCalendarTab() override;

    void SetPinnedCalendar(PinnedCalendar* pinned) { pinned_ = pinned; }
    void SetMonthlyCalendar(MonthlyCalendarPort* monthly) { monthly_ = monthly; }

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
    double NextRefresh() const { return nextRefresh_; }

protected:
    void OnCommand(HWND hwnd, WPARAM wp, LPARAM lp) override;
    void OnPenMove(int x, int y) override;
    void OnPenUp(int x, int y) override;

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

    void SyncAgenda();

    CPimStore* pim_;
    LibraryTexts texts_;
    LocaleFormat format_;
    std::unique_ptr<AgendaModel> agenda_;
    class RowTextsOfAgenda;
    std::unique_ptr<RowTextsOfAgenda> rowTexts_;
    PinnedCalendar* pinned_ = nullptr;
    MonthlyCalendarPort* monthly_ = nullptr;
    double newStart_ = 0, newEnd_ = 0;
    double nextRefresh_ = 0;
    bool browsing_ = false;
    int32_t browseFirst_ = 0, browseLast_ = 0;
    // Dragging: armed by a tap on an appointment or task, started beyond 3 px.
    ItemKey dragItem_;
    bool dragging_ = false;
    // Day titles: their timeline bitmaps and where the painter put them.
    std::map<uint32_t, raii::Bitmap> timelines_;
    std::map<uint32_t, HotRect> timelineZones_;
};

}  // namespace daybrim
