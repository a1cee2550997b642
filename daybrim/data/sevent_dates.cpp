#include "sevent_dates.h"

#include <cmath>

#include "datetime.h"
#include "items.h"

namespace daybrim {

namespace {

// The day of `month`/`day` in `year`. 29 February in a year without it is taken
// as 28 February: the birthday stays in its own month, and the day count never
// names a day the calendar lacks.
int64_t DayInYear(int year, int month, int day) {
    if (month == 2 && day == 29 && !datetime::IsValidDate(datetime::CivilDate{year, 2, 29})) day = 28;
    return datetime::DaysFromCivil(year, month, day) - datetime::kOleEpochDays;
}

}  // namespace

EventOccurrence NextOccurrence(double stored, int32_t today) {
    EventOccurrence r;
    r.day = today;
    // Outside a plain year range (no date, garbage) the event stays unplaced.
    if (stored == kNoDate || !std::isfinite(stored) || stored < 1 || stored > 2958465.0) return r;
    const int32_t day = static_cast<int32_t>(std::floor(stored));
    r.valid = true;
    if (day >= today) {
        r.day = day;
        r.daysLeft = day - today;
        return r;
    }
    const datetime::CivilDate was = datetime::CivilFromDays(day + datetime::kOleEpochDays);
    const datetime::CivilDate now = datetime::CivilFromDays(today + datetime::kOleEpochDays);
    int year = now.year;
    int64_t next = DayInYear(year, was.month, was.day);
    if (next < today) next = DayInYear(++year, was.month, was.day);
    r.day = static_cast<int32_t>(next);
    r.daysLeft = static_cast<int>(next - today);
    r.years = year - was.year;
    return r;
}

}  // namespace daybrim
