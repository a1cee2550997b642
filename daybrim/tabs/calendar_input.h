// The Calendar tab's input arithmetic, without windows: the half-hour cells of
// the quick appointment picker, the drag that starts 3 px from the tap, and the
// unit a reminder's lead time is shown in.
#pragma once
#include <cstdint>

namespace daybrim {

// Half-hour cells from hour `first` up to hour `last` of one day, side by side
// across `width` pixels (the remainder split on both sides).
class QuickRange {
public:
    QuickRange(int firstHour, int lastHour, int width);
    int CellCount() const { return count_; }
    // The cell under x, clamped to the row; -1 when there are no cells.
    int CellAt(int x) const;
    int CellLeft(int cell) const { return margin_ + cell * width_ / count_; }

    // A pen-down selects the cell under it and makes it the anchor; a pen-down
    // inside the selection clears it first. A move spans from the anchor to the
    // cell under the pen, on either side of it.
    void PenDown(int x);
    void PenMove(int x);
    bool HasSelection() const { return first_ >= 0; }
    int First() const { return first_; }
    int Last() const { return last_; }
    // The selection as OLE dates of `day` (a day number); false without one.
    // The last cell of the day ends at the next midnight.
    bool Times(int32_t day, double* start, double* end) const;

private:
    int firstHour_, count_, width_, margin_;
    int anchor_ = -1, first_ = -1, last_ = -1;
};

// A pen that moved more than `threshold` pixels from where it went down.
inline bool MovedBeyond(int x0, int y0, int x, int y, int threshold) {
    const int dx = x > x0 ? x - x0 : x0 - x;
    const int dy = y > y0 ? y - y0 : y0 - y;
    return dx > threshold || dy > threshold;
}

// A task's dates after a re-date to `day` (a day number). The first mode moves
// the due date only, and a start that would then lie after it comes along; the
// second moves both and keeps the span between them. `noDate` marks a date not set.
struct TaskDates {
    double start = 0, due = 0;
};
TaskDates RedateTask(double start, double due, int32_t day, bool keepSpan, double noDate);

// The monthly calendar's mode for a re-date asked from an item's menu: 40177
// picks the second mode (move an appointment, span-keeping task), 40178 the
// first (copy an appointment, due-only task); 0 for other commands.
int RedateModeFor(unsigned command, bool task);

// The pinned calendar's height under the list: `height` (scaled) when it is on
// and the host is at least `minHost` high, otherwise 0 (the list takes it all).
inline int PinnedHeight(bool enabled, int hostHeight, int minHost, int height) {
    return enabled && hostHeight >= minHost ? height : 0;
}

// A lead time in minutes shown as a number and a unit: 0 minutes, 1 hours,
// 2 days, 3 weeks, the largest unit that divides it exactly.
struct LeadTime {
    long number = 0;
    int unit = 0;
};
LeadTime SplitLeadTime(long minutes);
// Back to minutes; negative numbers and unknown units give 0.
long LeadTimeMinutes(long number, int unit);

}  // namespace daybrim
