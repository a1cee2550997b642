// When a birthday, anniversary or marked appointment comes round next, counted
// from a day number. Shared by the Special Events tab and the row painter so
// that the list order and the "in N days" text never disagree.
#pragma once
#include <cstdint>

namespace daybrim {

struct EventOccurrence {
    int32_t day = 0;    // day number of the next occurrence
    int daysLeft = 0;   // day - today, never negative for a valid date
    int years = 0;      // completed years at that day (0 for a date still ahead)
    bool valid = false; // false: no usable date (the rest describes today)
};

// A stored date still ahead (an appointment) occurs on its own day; one in the
// past recurs on its day and month every year. No date, or one the calendar
// cannot represent, occurs today with no years.
EventOccurrence NextOccurrence(double stored, int32_t today);

}  // namespace daybrim
