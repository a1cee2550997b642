// The monthly calendar's two windows: the floating popup ("MONTHLY_CAL_FLOATING",
// bordered, with a caption strip of four buttons, dragged by its caption) and the
// pinned grid under the agenda ("MONTHLY_CLR_PINNED", with a side column of
// navigation and drop-mode buttons). Both draw a monthly::MonthGrid and ask a
// monthly::Loader for the appointments behind the day timelines.
//
// Results go to the owner window when the calendar closes (see monthly_grid.h);
// the appointment re-dates 4793/4794 are carried out here. Every path that ends
// a calendar (Close, Destroy, WM_DESTROY, the destructor) stops and joins the
// loader on the window's thread; none of them runs from DllMain.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "caption_buttons.h"
#include "monthly_grid.h"
#include "monthly_loader.h"
#include "raii.h"
#include "scale.h"
#include "skin_ini.h"
#include "window.h"

namespace daybrim {

class CImageCache;

// What the calendar takes from the item's settings, skin and data, filled once
// per Show by the caller (MonthlySetupFromModule in the item).
struct MonthlySetup {
    HINSTANCE inst = nullptr;
    HMODULE lang = nullptr;  // menu 236 and string 40986; none: no month menu
    Scaler sc;
    int today = 0;                   // day number
    unsigned long startDay = 0;      // "MonthlyStartDay"
    unsigned long firstWorkDay = 0;  // "FirstWorkDay", the same numbering
    bool weekNumbers = false;        // "MonthlyPopWithWeekNum"
    int weekRule = 0;
    int timelines = 2;       // "MonthlyPopTimelines": 0 none, 1 thin, 2 taller
    int dpadNavigation = 1;  // "PopupClrDPadNavigation"
    int onClick = 0;         // "OnPopupMonthCalClick"
    // -1 (0xFFFFFFFF): the skin's colour.
    COLORREF background = 0xFFFFFFFF, current = 0xFFFFFFFF, highlight = 0xFFFFFFFF;
    COLORREF timelineBackground = 0xFFFFFF, timelineDefault = 0x6E322C;
    uint32_t monthly[kMonCount] = {};
    const CImageCache* images = nullptr;  // not owned; none: plain buttons
    // "MonthlyPopCatIcons" (floating only) and "MonthlyPopIconsSize": the day's
    // category icons, each drawn by drawCategoryIcon (false: the category has none).
    bool categoryIcons = false;
    int iconSize = 6;
    std::function<bool(HDC dc, int32_t category, int x, int y, int size)> drawCategoryIcon;
    // Makes the loader's reader (on the window's thread; it reads on the loader's).
    // None: no timelines or icons.
    std::function<std::unique_ptr<monthly::RangeReader>()> makeReader;
    // Re-dates an appointment: copy (4793) or move (4794). None: nothing done.
    std::function<bool(HWND owner, uint32_t id, double start, int day, bool copy)> redateAppointment;
};

// What a reader hands over: the timeline of every day it read.
struct MonthTimelines : monthly::LoadedRange {
    std::vector<monthly::DayTimeline> days;  // first .. last
};

class CMonthlyCalendar : public win::Window, private monthly::LoaderSink {
public:
    static const wchar_t kFloatingClass[];
    static const wchar_t kPinnedClass[];
    // Loader to window: posted when a month is ready, and when the loader ended
    // after a close (also sent by the window to itself to close at once).
    static constexpr UINT kMsgLoaderEnded = 6546;
    static constexpr UINT kMsgLoaded = 6547;

    CMonthlyCalendar() : loader_(nullptr, this) {}
    ~CMonthlyCalendar() override;

    // Opens the calendar: floating (a bordered popup at screen x, y, moved up
    // when it would pass the screen's bottom) or pinned (a child of `owner`).
    // A floating calendar already open is refreshed in place instead.
    bool Show(const MonthlySetup& setup, HWND owner, int x, int y, int width, int height, int mode,
              uint32_t itemId, double itemStart, bool pinned);
    // As the close button: the pending result goes out once the loader ended.
    void Close();
    // Ends the calendar without a result; the loader is joined first.
    void Destroy();
    // A new today (the item's date changed): the grid moves to it.
    void Refresh(int today);

    // For dragging items onto the pinned calendar: the day under a screen point
    // (-1 for none), the drop mode (monthly::DropMode), and the day highlight.
    int DayAt(POINT screen) const;
    int DropMode() const { return dropMode_; }
    void HighlightDay(int day);
    void ClearHighlight();

    bool IsOpen() const { return hwnd_ != nullptr; }
    bool Pinned() const { return pinned_; }
    const monthly::MonthGrid& grid() const { return grid_; }
    const monthly::Selection& selection() const { return sel_; }
    // Moves to the month of `day`, clears the selection and asks for its data.
    void GoTo(int day);
    // Draws the whole client area (tests draw into their own bitmaps).
    void Paint(HDC dc, int width, int height);
    // Where the parts were as last painted.
    const monthly::Layout& layout() const { return layout_; }
    // The months' timelines in hand, or null.
    const MonthTimelines* timelines() const { return loaded_.get(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // LoaderSink, on the loader's thread: only posts.
    void Loaded() override;
    void Ended() override;

    monthly::Layout MakeLayout(int width, int height) const;
    void Rebuild(int day);
    void RequestData();
    void OnPenDown(int x, int y);
    void OnPenMove(int x, int y);
    void OnPenUp(int x, int y);
    void OnKey(WPARAM vk);
    void OnCommand(int id);
    void OnCaptionButton(int id);
    void OnLoaderEnded();
    void ApplyTap(const monthly::TapAction& a, int day, POINT at);
    void ShowMonthMenu(int day, POINT client, bool fromHold);
    void ShowYearBox();
    void EndYearBox(bool apply);
    void Navigate(int side);  // 0 previous, 1 today, 2 next
    void DeliverResult();
    void CreateCaption();

    void PaintHeader(HDC dc, monthly::Layout& l);
    void PaintCells(HDC dc, const monthly::Layout& l);
    void PaintSideColumn(HDC dc, const monthly::Layout& l);
    COLORREF Colour(MonthlyColour which) const { return setup_.monthly[which]; }

    MonthlySetup setup_;
    HWND owner_ = nullptr;
    bool pinned_ = false;
    int mode_ = monthly::kBrowse;
    uint32_t itemId_ = 0;
    double itemStart_ = 0;
    int captionHeight_ = 0;
    int dropMode_ = monthly::kDropCopy;
    bool dpadActive_ = false;
    bool closing_ = false;
    int pressedSide_ = -1;
    bool dragging_ = false;
    POINT dragFrom_ = {};
    int highlightDay_ = -1;
    monthly::MonthGrid grid_;
    monthly::Selection sel_;
    mutable monthly::Layout layout_;  // as last painted: the header's texts for taps
    CCaptionBarButtons caption_;
    raii::Font font_, boldFont_;
    raii::Window yearEdit_, yearSpin_;  // the year box and its arrows while it is open
    std::unique_ptr<monthly::RangeReader> reader_;
    std::unique_ptr<MonthTimelines> loaded_;
    // The window the loader's notices go to, read on the loader's thread.
    std::atomic<HWND> notify_{nullptr};
    monthly::Loader loader_;
};

// The item's one pending result (the floating and the pinned calendar share it).
monthly::PendingResult& MonthlyPendingResult();

// The item's floating calendar, made on first use. It is never destroyed by the
// library's unloading (which must not wait for a thread); the Calendar tab ends
// it with ReleaseFloatingCalendar when it goes.
CMonthlyCalendar& FloatingCalendar();
void ReleaseFloatingCalendar();

}  // namespace daybrim
