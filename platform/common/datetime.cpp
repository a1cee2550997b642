#include "datetime.h"

namespace datetime {

namespace {
// Days from 0000-03-01 to 1601-01-01: the algorithms below count from a March 1st so
// that the leap day is the last day of their year.
constexpr int64_t kCivil1601 = 584694;
}  // namespace

int64_t FloorDiv(int64_t a, int64_t b) {
    const int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(const CivilDate& d) {
    return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

// H. Hinnant's days_from_civil, shifted to the 1601 epoch.
int64_t DaysFromCivil(const CivilDate& d) {
    const int64_t carry = FloorDiv(int64_t(d.month) - 1, 12);
    const int64_t month = int64_t(d.month) - 12 * carry;   // 1..12
    const int64_t y = int64_t(d.year) + carry - (month <= 2 ? 1 : 0);
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + int64_t(d.day) - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - kCivil1601;
}

CivilDate CivilFromDays(int64_t days) {
    const int64_t z = days + kCivil1601;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    CivilDate d;
    d.day = int(doy - (153 * mp + 2) / 5 + 1);
    d.month = int(mp < 10 ? mp + 3 : mp - 9);
    d.year = int(yoe + era * 400 + (d.month <= 2 ? 1 : 0));
    return d;
}

int DayOfWeek(int64_t days) {
    // 1601-01-01 was a Monday.
    return int(days + 1 - FloorDiv(days + 1, 7) * 7);
}

std::optional<int64_t> NthWeekdayOfMonth(int year, int month, unsigned weekdayMask, int week) {
    weekdayMask &= 0x7F;
    if (!weekdayMask || month < 1 || month > 12) return std::nullopt;
    const int64_t first = DaysFromCivil(year, month, 1);
    const int length = DaysInMonth(year, month);
    auto matches = [&](int64_t day) { return (weekdayMask >> DayOfWeek(day)) & 1u; };
    if (week >= 5) {
        for (int64_t day = first + length - 1;; --day)
            if (matches(day)) return day;   // a non-empty mask matches within any 7 days
    }
    int seen = 0;
    int64_t found = first;
    for (int i = 0; i < length; ++i) {
        if (matches(first + i)) {
            found = first + i;
            if (++seen >= week) break;
        }
    }
    return found;   // every weekday occurs at least four times a month
}

// --- Time-zone rules ----------------------------------------------------------------

bool HasDaylight(const ZoneRule& r) {
    return r.daylightDate.month >= 1 && r.daylightDate.month <= 12 &&
           r.standardDate.month >= 1 && r.standardDate.month <= 12;
}

namespace {

// The wall time (in the zone's clock at that moment) at which a transition falls in `year`.
int64_t TransitionTicks(const Transition& t, int year) {
    int64_t day;
    if (t.year != 0) {
        const int dim = DaysInMonth(year, t.month);
        day = DaysFromCivil(year, t.month, t.day < 1 ? 1 : (t.day > dim ? dim : t.day));
    } else {
        day = *NthWeekdayOfMonth(year, t.month, 1u << (t.dayOfWeek % 7), t.day < 1 ? 1 : t.day);
    }
    return day * kTicksPerDay + (int64_t(t.hour) * 60 + t.minute) * kTicksPerMinute +
           int64_t(t.second) * kTicksPerSecond;
}

}  // namespace

bool IsDaylightUtc(const ZoneRule& r, int64_t utc) {
    if (!HasDaylight(r)) return false;
    const int64_t standardOffset = int64_t(r.bias + r.standardBias) * kTicksPerMinute;
    const int y = CivilFromDays(FloorDiv(utc - standardOffset, kTicksPerDay)).year;
    if (r.daylightDate.year != 0 && r.daylightDate.year != y) return false;
    const int64_t start = TransitionTicks(r.daylightDate, y) + standardOffset;
    const int64_t end = TransitionTicks(r.standardDate, y) + int64_t(r.bias + r.daylightBias) * kTicksPerMinute;
    if (start < end) return utc >= start && utc < end;
    return !(utc >= end && utc < start);  // southern hemisphere: daylight time spans the new year
}

int32_t BiasAtUtc(const ZoneRule& r, int64_t utc) {
    return r.bias + (IsDaylightUtc(r, utc) ? r.daylightBias : r.standardBias);
}

int64_t LocalFromUtc(const ZoneRule& r, int64_t utc) { return utc - int64_t(BiasAtUtc(r, utc)) * kTicksPerMinute; }

LocalReading ReadLocal(const ZoneRule& r, int64_t local) {
    const LocalReading standard{local + int64_t(r.bias + r.standardBias) * kTicksPerMinute, false};
    if (!HasDaylight(r)) return standard;
    const LocalReading daylight{local + int64_t(r.bias + r.daylightBias) * kTicksPerMinute, true};
    const bool standardFits = !IsDaylightUtc(r, standard.utc);
    const bool daylightFits = IsDaylightUtc(r, daylight.utc);
    if (standardFits != daylightFits) return standardFits ? standard : daylight;
    // Both readings fit: the wall time repeats, take its first pass. Neither fits: it
    // is skipped; the offset before the jump is the larger bias, the later reading.
    const bool earlierIsDaylight = daylight.utc < standard.utc;
    return (standardFits == earlierIsDaylight) ? daylight : standard;
}

}  // namespace datetime
