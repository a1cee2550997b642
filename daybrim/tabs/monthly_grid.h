// The monthly calendar without a window: which days a month's grid shows, where
// each cell is, what a tap or a D-pad key selects, and the one result the popup
// hands back when it closes. Platform-neutral; monthly_calendar.h draws it and
// feeds it the pen and the keys. Days are OLE day numbers (days since 1899-12-30).
#pragma once
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "bar_geometry.h"
#include "scale.h"

namespace daybrim {
namespace monthly {

// Results to the owner window (wParam, lParam as noted).
constexpr unsigned kMsgBrowse = 4790;           // first day, last day: browse this range
constexpr unsigned kMsgNewAppointment = 4791;   // first day, last day
constexpr unsigned kMsgNewTask = 4792;          // first day, last day
constexpr unsigned kMsgCopyAppointment = 4793;  // appointment id, day (handled by the calendar)
constexpr unsigned kMsgMoveAppointment = 4794;  // appointment id, day (handled by the calendar)
constexpr unsigned kMsgRedateTask1 = 4795;      // task id, day: the task's first re-date mode
constexpr unsigned kMsgRedateTask2 = 4796;      // task id, day: its second mode

// What the calendar was opened for.
enum Mode {
    kBrowse = 0,
    kCopyAppointment = 1,  // drop mode 1: a copy goes to the picked day
    kMoveAppointment = 2,  // drop mode 0: the appointment leaves its day
    kRedateTask1 = 3,
    kRedateTask2 = 4,
};
bool IsRedateMode(int mode);
// The pinned calendar's drop modes, as a dragged item is dropped on a day.
enum DropMode { kDropMove = 0, kDropCopy = 1 };
// The result a re-date tap stores; 0 in browse mode or for an unknown mode.
unsigned RedateMessage(int mode);

// The agenda keys its special sections 1, 2, 3 and 80000 in the same space as its
// days, so the calendar never offers a day that would land on one of them: a grid
// must lie wholly between these.
constexpr int kFirstUsableDay = 4;
constexpr int kLastUsableDay = 79999;
// The years the year box accepts: every month of them has a usable grid.
constexpr int kFirstYear = 1901;
constexpr int kLastYear = 2118;

// The days navigation reaches: 1 January of kFirstYear .. 31 December of kLastYear.
int FirstNavigableDay();
int LastNavigableDay();

// The first weekday of a row (0 Sunday .. 6 Saturday): weeks start on the day
// after "MonthlyStartDay". Any value is taken modulo 7.
int FirstWeekday(unsigned long monthlyStartDay);

// The whole weeks that show one month.
struct MonthGrid {
    int year = 0, month = 0;  // the month shown
    int first = 0, last = -1;  // first and last day shown: whole weeks
    int firstWeekday = 0;

    int Rows() const { return (last - first + 1) / 7; }
    int Days() const { return last - first + 1; }
    bool Contains(int day) const { return day >= first && day <= last; }
    bool InMonth(int day) const;
    int MonthFirst() const;
    int MonthLast() const;
    // The grid of the month before / after: grid_first - 10 days always lies in the
    // month before, grid_first + 43 always in the month after.
    int PreviousMonthDay() const { return first - 10; }
    int NextMonthDay() const { return first + 43; }
};

// The grid of the month holding `day`. A day outside the navigable days gives the
// nearest navigable month.
MonthGrid GridFor(int day, int firstWeekday);
bool MonthUsable(int year, int month, int firstWeekday);
// The same month of `year`; false (grid unchanged) for a year outside
// kFirstYear..kLastYear.
bool GridForYear(MonthGrid* grid, int year);

// The week number of every row, by the week rule of the settings, each of the
// row's first day.
std::vector<int> RowWeekNumbers(const MonthGrid& grid, int weekRule);

// Where the parts of the calendar are in its client area.
struct Layout {
    Scaler sc;
    int width = 0, height = 0;
    int top = 0;             // below the floating calendar's caption strip
    int sideColumn = 0;      // the pinned calendar's button column at the right, or 0
    bool weekNumbers = false;
    int rows = 6;

    int HeaderHeight() const;   // month and year
    int TitlesHeight() const;   // day titles
    int WeekColumn() const { return weekNumbers ? sc.X(16) : 0; }
    int GridLeft() const { return WeekColumn(); }
    int GridTop() const { return top + HeaderHeight() + TitlesHeight(); }
    int GridRight() const { return width - sideColumn; }
    int CellWidth() const;
    int CellHeight() const;
    BarRect Cell(int index) const;        // index 0 .. rows * 7 - 1
    BarRect WeekCell(int row) const;
    BarRect DayTitle(int column) const;
    BarRect Header() const;
    // The month name and the year inside the header, as the painter measured them.
    BarRect monthText, yearText;
    // The cell index under a point, or -1.
    int CellAt(int x, int y) const;
    // The pinned side column's five buttons: previous, today, next, drop mode 0
    // and 1. -1 when the point hits none.
    static constexpr int kSideButtons = 5;
    BarRect SideButton(int index) const;
    int SideButtonAt(int x, int y) const;
};

// The timeline under a day's number: 48 half hours, each free or taken by the
// colour of the first appointment in it, and the all-day mark.
struct DayTimeline {
    static constexpr uint32_t kDefaultColour = 0xFFFFFFFF;
    bool occupied[48] = {};
    uint32_t colour[48] = {};
    bool hasAllDay = false;
    uint32_t allDayColour = 0;

    // The day's appointments' categories, each once, in the order met.
    std::vector<int32_t> categories;

    // An appointment from `start` to `end` (OLE dates) as it falls on `day`.
    void Add(int day, double start, double end, bool allDay, uint32_t colour);
    void AddCategories(const std::vector<int32_t>& ids);
    bool Empty() const;  // no bar to draw
};

// How a timeline colours an appointment: "TimeLines" 2 by its category, any
// other value by its busy status. A snapshot, so that the loader's thread never
// reads the item's category table.
struct TimelineColours {
    bool byCategory = false;
    bool skipFree = false;  // "FilterFreeApptsFromTL"
    // Free, tentative, busy, out of office ("ClrStatus..."); -1 for the default colour.
    uint32_t status[4] = {0x58FC79, 0xF8A068, 0xF80000, 0x800418};
    std::unordered_map<int32_t, uint32_t> categories;  // id -> colour, only those with one

    // DayTimeline::kDefaultColour when nothing gives a colour.
    uint32_t For(int busy, const std::vector<int32_t>& categoryIds) const;
};

// Selected days: none, one, or a range.
struct Selection {
    int first = -1, last = -1;

    bool Empty() const { return first < 0; }
    bool IsRange() const { return !Empty() && last > first; }
    bool Contains(int day) const { return !Empty() && day >= first && day <= last; }
    void Clear() { first = last = -1; }
    void Day(int day) { first = last = day; }
    void Week(int day, int firstWeekday);  // the row that holds `day`
    void Month(const MonthGrid& grid);     // the month shown, without the days around it
};

// The day a D-pad key moves the selection to (Left -1, Right +1, Up -7, Down +7);
// with nothing selected a forward move lands on the grid's first day and a
// backward one on its last. -1 for any other key or a day outside the usable range.
enum DpadKey { kKeyLeft, kKeyRight, kKeyUp, kKeyDown };
int DpadTarget(const Selection& sel, const MonthGrid& grid, DpadKey key);

// The single result of the whole item: stored by a tap or a menu command, handed
// to the owner when the popup closes. A second result while one is pending is
// refused, so that a double tap cannot re-date an item twice.
struct Result {
    unsigned message = 0;
    intptr_t param1 = 0, param2 = 0;
};
class PendingResult {
public:
    bool Store(unsigned message, intptr_t param1, intptr_t param2);
    bool Pending() const { return pending_; }
    // The result, which is no longer pending; false when there was none.
    bool Take(Result* out);
    void Drop() { pending_ = false; }

private:
    bool pending_ = false;
    Result result_;
};

// What a tap on a day (a pen-up without a hold, or Enter) does.
struct TapAction {
    bool repaint = false;
    bool close = false;  // a result was stored (or refused while one is pending)
    bool menu = false;   // Enter with nothing else to do: the month menu at the day
};
// `onClick` is "OnPopupMonthCalClick": 1 browse the day, 2 its week, 3 its month.
// `fromKey`: Enter rather than the pen.
TapAction TapDay(int day, int mode, intptr_t itemId, int onClick, bool fromKey, const MonthGrid& grid,
                 Selection* sel, PendingResult* result);
// The selection a pen-down on `day` makes before the hold test: a range that
// holds the day stays, anything else becomes the day. True when it changed.
bool PenDownOnDay(int day, Selection* sel);

}  // namespace monthly
}  // namespace daybrim
