#include "calendar_input.h"

#include <algorithm>
#include <cmath>

namespace daybrim {

QuickRange::QuickRange(int firstHour, int lastHour, int width) {
    firstHour = std::max(0, std::min(firstHour, 24));
    lastHour = std::max(firstHour, std::min(lastHour, 24));
    firstHour_ = firstHour;
    count_ = 2 * (lastHour - firstHour);
    width = std::max(0, width);
    // Every cell equally wide; what does not divide goes half to each side.
    width_ = count_ > 0 ? width - width % count_ : 0;
    margin_ = (width - width_) / 2;
}

int QuickRange::CellAt(int x) const {
    if (count_ <= 0) return -1;
    if (width_ <= 0) return 0;
    const int cell = (x - margin_) * count_ / width_;
    return std::max(0, std::min(cell, count_ - 1));
}

void QuickRange::PenDown(int x) {
    const int cell = CellAt(x);
    if (cell < 0) return;
    if (HasSelection() && cell >= first_ && cell <= last_) first_ = last_ = -1;
    anchor_ = first_ = last_ = cell;
}

void QuickRange::PenMove(int x) {
    const int cell = CellAt(x);
    if (cell < 0 || anchor_ < 0) return;
    first_ = std::min(anchor_, cell);
    last_ = std::max(anchor_, cell);
}

bool QuickRange::Times(int32_t day, double* start, double* end) const {
    if (!HasSelection()) return false;
    const int from = 2 * firstHour_ + first_;    // half hours since midnight
    const int to = 2 * firstHour_ + last_ + 1;
    *start = day + from / 48.0;
    *end = day + to / 48.0;
    return true;
}

LeadTime SplitLeadTime(long minutes) {
    static const long kUnits[] = {1, 60, 1440, 10080};
    LeadTime t;
    if (minutes <= 0) return t;
    for (int u = 3; u >= 0; --u) {
        if (minutes % kUnits[u] == 0) {
            t.number = minutes / kUnits[u];
            t.unit = u;
            return t;
        }
    }
    return t;
}

long LeadTimeMinutes(long number, int unit) {
    static const long kUnits[] = {1, 60, 1440, 10080};
    if (number < 0 || unit < 0 || unit > 3) return 0;
    return number * kUnits[unit];
}

TaskDates RedateTask(double start, double due, int32_t day, bool keepSpan, double noDate) {
    const bool hasStart = start != noDate, hasDue = due != noDate;
    TaskDates d;
    d.due = double(day);
    d.start = start;
    if (!hasStart) return d;
    if (keepSpan && hasDue) {
        d.start = double(day) - (std::floor(due) - std::floor(start));
        return d;
    }
    // A task may not start after it is due.
    if (std::floor(start) > double(day)) d.start = double(day);
    return d;
}

int RedateModeFor(unsigned command, bool task) {
    if (command == 40177) return task ? 4 : 2;
    if (command == 40178) return task ? 3 : 1;
    return 0;
}

}  // namespace daybrim
