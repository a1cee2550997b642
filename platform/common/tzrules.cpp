#include "tzrules.h"

namespace tz {

int64_t DaysFrom1601(int y, int m, int d) {
    // Days from civil, shifted so that 1601-01-01 is day 0.
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 134774;  // 134774: days 1601-01-01..1970-01-01
}

void CivilFromDays(int64_t days, int* year, int* month, int* day) {
    int64_t z = days - 134774 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    *year = int(yoe + era * 400 + (m <= 2));
    *month = m;
    *day = d;
}

int DayOfWeek(int64_t days) {
    // 1601-01-01 was a Monday.
    int64_t w = (days + 1) % 7;
    return int(w < 0 ? w + 7 : w);
}

bool HasDaylight(const Rule& r) {
    return r.daylightDate.month >= 1 && r.daylightDate.month <= 12 &&
           r.standardDate.month >= 1 && r.standardDate.month <= 12;
}

static int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[m - 1];
}

// The wall time (in the zone's clock at that moment) at which a transition falls in `year`.
static int64_t TransitionTicks(const Transition& t, int year) {
    int day;
    if (t.year != 0) {
        day = t.day < 1 ? 1 : t.day;
        if (day > DaysInMonth(year, t.month)) day = DaysInMonth(year, t.month);
    } else {
        int first = DayOfWeek(DaysFrom1601(year, t.month, 1));
        int dow = t.dayOfWeek % 7;
        day = 1 + (dow - first + 7) % 7;
        int nth = t.day < 1 ? 1 : (t.day > 5 ? 5 : t.day);
        day += (nth - 1) * 7;
        while (day > DaysInMonth(year, t.month)) day -= 7;
    }
    int64_t ticks = DaysFrom1601(year, t.month, day) * kTicksPerDay;
    ticks += (int64_t(t.hour) * 60 + t.minute) * kTicksPerMinute + int64_t(t.second) * 10000000LL;
    return ticks;
}

bool IsDaylightUtc(const Rule& r, int64_t utc) {
    if (!HasDaylight(r)) return false;
    int y, m, d;
    CivilFromDays((utc - int64_t(r.bias + r.standardBias) * kTicksPerMinute) / kTicksPerDay, &y, &m, &d);
    if (r.daylightDate.year != 0 && r.daylightDate.year != y) return false;
    const int64_t start = TransitionTicks(r.daylightDate, y) + int64_t(r.bias + r.standardBias) * kTicksPerMinute;
    const int64_t end = TransitionTicks(r.standardDate, y) + int64_t(r.bias + r.daylightBias) * kTicksPerMinute;
    if (start < end) return utc >= start && utc < end;
    return !(utc >= end && utc < start);  // southern hemisphere: daylight time spans the new year
}

int32_t BiasAtUtc(const Rule& r, int64_t utc) {
    return r.bias + (IsDaylightUtc(r, utc) ? r.daylightBias : r.standardBias);
}

int64_t LocalFromUtc(const Rule& r, int64_t utc) {
    return utc - int64_t(BiasAtUtc(r, utc)) * kTicksPerMinute;
}

int64_t UtcFromLocal(const Rule& r, int64_t local) {
    const int64_t asStandard = local + int64_t(r.bias + r.standardBias) * kTicksPerMinute;
    if (!IsDaylightUtc(r, asStandard)) return asStandard;
    const int64_t asDaylight = local + int64_t(r.bias + r.daylightBias) * kTicksPerMinute;
    if (IsDaylightUtc(r, asDaylight)) return asDaylight;
    // Standard reading says daylight, daylight reading says standard: the wall time
    // is in the spring gap (or the fall overlap for odd rules); keep standard.
    return asStandard;
}

}  // namespace tz
