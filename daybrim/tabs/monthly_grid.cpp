#include "monthly_grid.h"

#include <algorithm>
#include <cmath>

#include "week_number.h"

namespace daybrim {
namespace monthly {

namespace {

int FloorMod7(int v) { return ((v % 7) + 7) % 7; }

int DaysInMonth(int year, int month) {
    const int next = month == 12 ? DayFromDate(year + 1, 1, 1) : DayFromDate(year, month + 1, 1);
    return next - DayFromDate(year, month, 1);
}

MonthGrid RawGrid(int year, int month, int firstWeekday) {
    MonthGrid g;
    g.year = year;
    g.month = month;
    g.firstWeekday = firstWeekday;
    const int monthFirst = DayFromDate(year, month, 1);
    const int monthLast = monthFirst + DaysInMonth(year, month) - 1;
    g.first = monthFirst - FloorMod7(Weekday(monthFirst) - firstWeekday);
    g.last = monthLast + 6 - FloorMod7(Weekday(monthLast) - firstWeekday);
    return g;
}

}  // namespace

bool IsRedateMode(int mode) { return mode >= kCopyAppointment && mode <= kRedateTask2; }

unsigned RedateMessage(int mode) {
    switch (mode) {
    case kMoveAppointment: return kMsgMoveAppointment;
    case kCopyAppointment: return kMsgCopyAppointment;
    case kRedateTask1: return kMsgRedateTask1;
    case kRedateTask2: return kMsgRedateTask2;
    default: return 0;
    }
}

int FirstWeekday(unsigned long monthlyStartDay) { return int((monthlyStartDay % 7 + 1) % 7); }

bool MonthGrid::InMonth(int day) const { return day >= MonthFirst() && day <= MonthLast(); }
int MonthGrid::MonthFirst() const { return DayFromDate(year, month, 1); }
int MonthGrid::MonthLast() const { return MonthFirst() + DaysInMonth(year, month) - 1; }

bool MonthUsable(int year, int month, int firstWeekday) {
    if (month < 1 || month > 12 || year < 1800 || year > 3000) return false;
    const MonthGrid g = RawGrid(year, month, firstWeekday);
    return g.first >= kFirstUsableDay && g.last <= kLastUsableDay;
}

int FirstNavigableDay() { return DayFromDate(kFirstYear, 1, 1); }
int LastNavigableDay() { return DayFromDate(kLastYear, 12, 31); }

MonthGrid GridFor(int day, int firstWeekday) {
    firstWeekday = FloorMod7(firstWeekday);
    day = std::clamp(day, FirstNavigableDay(), LastNavigableDay());
    int y, m, d;
    DateFromDay(day, &y, &m, &d);
    return RawGrid(y, m, firstWeekday);
}

bool GridForYear(MonthGrid* grid, int year) {
    if (year < kFirstYear || year > kLastYear) return false;
    *grid = RawGrid(year, grid->month, grid->firstWeekday);
    return true;
}

std::vector<int> RowWeekNumbers(const MonthGrid& grid, int weekRule) {
    std::vector<int> out;
    for (int row = 0; row < grid.Rows(); ++row) out.push_back(WeekNumber(weekRule, grid.first + row * 7));
    return out;
}

// --- Layout ----------------------------------------------------------------------

int Layout::HeaderHeight() const { return height - top < sc.Y(120) ? sc.Y(12) : sc.Y(16); }
int Layout::TitlesHeight() const { return height - top < sc.Y(120) ? sc.Y(10) : sc.Y(13); }
int Layout::CellWidth() const { return std::max(1, (GridRight() - GridLeft()) / 7); }
int Layout::CellHeight() const { return std::max(1, (height - GridTop()) / std::max(1, rows)); }

BarRect Layout::Cell(int index) const {
    const int row = index / 7, col = index % 7;
    BarRect r;
    r.left = GridLeft() + col * CellWidth();
    r.top = GridTop() + row * CellHeight();
    r.right = r.left + CellWidth();
    r.bottom = r.top + CellHeight();
    return r;
}

BarRect Layout::WeekCell(int row) const {
    BarRect r = Cell(row * 7);
    r.left = 0;
    r.right = WeekColumn();
    return r;
}

BarRect Layout::DayTitle(int column) const {
    BarRect r = Cell(column);
    r.top = top + HeaderHeight();
    r.bottom = GridTop();
    return r;
}

BarRect Layout::Header() const { return BarRect{0, top, GridRight(), top + HeaderHeight()}; }

int Layout::CellAt(int x, int y) const {
    if (x < GridLeft() || y < GridTop()) return -1;
    const int col = (x - GridLeft()) / CellWidth(), row = (y - GridTop()) / CellHeight();
    if (col >= 7 || row >= rows) return -1;
    return row * 7 + col;
}

BarRect Layout::SideButton(int index) const {
    if (!sideColumn || index < 0 || index >= kSideButtons) return BarRect{};
    const int top = sc.Y(12 + 17 * index);
    return BarRect{GridRight() + sc.X(3), top, width - sc.X(3), top + sc.Y(16)};
}

int Layout::SideButtonAt(int x, int y) const {
    for (int i = 0; i < kSideButtons; ++i)
        if (SideButton(i).Contains(x, y)) return i;
    return -1;
}

// --- Timeline --------------------------------------------------------------------

void DayTimeline::Add(int day, double start, double end, bool allDay, uint32_t c) {
    if (allDay) {
        if (!hasAllDay) allDayColour = c;
        hasAllDay = true;
        return;
    }
    // Minutes from midnight, rounded so that 9:30 read back as 9:29:59.99 stays 9:30.
    auto minutes = [](double t) { return int((t - std::floor(t)) * 1440.0 + 0.5); };
    const int startDay = int(std::floor(start)), endDay = int(std::floor(end));
    if (day < startDay || day > endDay) return;
    int from = 0, to = 47;  // slots marked
    if (day == startDay) {
        const int m = minutes(start);
        from = 2 * (m / 60) + (m % 60 >= 30 ? 1 : 0);
    }
    if (day == endDay) {
        const int m = minutes(end);
        const int e = 2 * (m / 60), em = m % 60;
        to = e - 1;
        if (em >= 15) to = e;
        if (em >= 45) to = e + 1;
    }
    for (int s = std::max(0, from); s <= std::min(47, to); ++s)
        if (!occupied[s]) {
            occupied[s] = true;
            colour[s] = c;
        }
}

void DayTimeline::AddCategories(const std::vector<int32_t>& ids) {
    for (int32_t id : ids)
        if (std::find(categories.begin(), categories.end(), id) == categories.end()) categories.push_back(id);
}

bool DayTimeline::Empty() const {
    if (hasAllDay) return false;
    for (bool o : occupied)
        if (o) return false;
    return true;
}

uint32_t TimelineColours::For(int busy, const std::vector<int32_t>& categoryIds) const {
    if (byCategory) {
        for (int32_t id : categoryIds) {
            auto it = categories.find(id);
            if (it != categories.end()) return it->second;
        }
        return DayTimeline::kDefaultColour;
    }
    return busy >= 0 && busy < 4 ? status[busy] : DayTimeline::kDefaultColour;
}

// --- Selection -------------------------------------------------------------------

void Selection::Week(int day, int firstWeekday) {
    first = day - FloorMod7(Weekday(day) - firstWeekday);
    last = first + 6;
}

void Selection::Month(const MonthGrid& grid) {
    first = grid.MonthFirst();
    last = grid.MonthLast();
}

int DpadTarget(const Selection& sel, const MonthGrid& grid, DpadKey key) {
    int step;
    switch (key) {
    case kKeyLeft: step = -1; break;
    case kKeyRight: step = 1; break;
    case kKeyUp: step = -7; break;
    case kKeyDown: step = 7; break;
    default: return -1;
    }
    const int to = sel.Empty() ? (step > 0 ? grid.first : grid.last) : sel.first + step;
    // At the ends of the usable years the selection stays where it is.
    return to >= FirstNavigableDay() && to <= LastNavigableDay() ? to : -1;
}

// --- Result ----------------------------------------------------------------------

bool PendingResult::Store(unsigned message, intptr_t param1, intptr_t param2) {
    if (pending_ || !message) return false;
    result_ = Result{message, param1, param2};
    pending_ = true;
    return true;
}

bool PendingResult::Take(Result* out) {
    if (!pending_) return false;
    pending_ = false;
    *out = result_;
    return true;
}

bool PenDownOnDay(int day, Selection* sel) {
    if (sel->IsRange() && sel->Contains(day)) return false;
    const bool changed = sel->first != day || sel->last != day;
    sel->Day(day);
    return changed;
}

TapAction TapDay(int day, int mode, intptr_t itemId, int onClick, bool fromKey, const MonthGrid& grid,
                 Selection* sel, PendingResult* result) {
    TapAction a;
    if (IsRedateMode(mode)) {
        result->Store(RedateMessage(mode), itemId, day);
        a.close = true;
        return a;
    }
    if (sel->IsRange() && !fromKey) {
        sel->Clear();
        a.repaint = true;
        return a;
    }
    Selection browse;
    switch (onClick) {
    case 1: browse.Day(day); break;
    case 2: browse.Week(day, grid.firstWeekday); break;
    case 3: browse.Month(GridFor(day, grid.firstWeekday)); break;
    default:
        a.menu = fromKey;
        return a;
    }
    result->Store(kMsgBrowse, browse.first, browse.last);
    a.close = true;
    return a;
}

}  // namespace monthly
}  // namespace daybrim
