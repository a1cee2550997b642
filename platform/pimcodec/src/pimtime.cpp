#include "pimcodec/pimtime.h"

#include <cmath>

namespace pimcodec {

namespace {
// Days from 0000-03-01 to 1601-01-01 in the era-based algorithm below.
constexpr int64_t kCivil1601 = 584694;

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}
}  // namespace

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool IsValidDate(const CivilDate& d) {
    return d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

// Howard Hinnant's days_from_civil, shifted to the 1601 epoch.
int64_t DaysFromCivil(const CivilDate& d) {
    int64_t y = d.year - (d.month <= 2 ? 1 : 0);
    int64_t era = FloorDiv(y, 400);
    int64_t yoe = y - era * 400;
    int64_t mp = (d.month + 9) % 12;
    int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - kCivil1601;
}

CivilDate CivilFromDays(int64_t days) {
    int64_t z = days + kCivil1601;
    int64_t era = FloorDiv(z, 146097);
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    CivilDate d;
    d.day = int(doy - (153 * mp + 2) / 5 + 1);
    d.month = int(mp < 10 ? mp + 3 : mp - 9);
    d.year = int(yoe + era * 400 + (d.month <= 2 ? 1 : 0));
    return d;
}

int WeekdayOfDays(int64_t days) {
    // 1601-01-01 was a Monday.
    int64_t w = (days + 1) % 7;
    return int(w < 0 ? w + 7 : w);
}

std::optional<uint32_t> MinutesFromCivil(const CivilDateTime& t) {
    int64_t m = DaysFromCivil(t.date) * kMinutesPerDay + t.hour * 60 + t.minute;
    if (m < 0 || m > int64_t(UINT32_MAX)) return std::nullopt;
    return uint32_t(m);
}

CivilDateTime CivilFromMinutes(int64_t minutes) {
    CivilDateTime t;
    int64_t days = FloorDiv(minutes, kMinutesPerDay);
    int64_t rem = minutes - days * kMinutesPerDay;
    t.date = CivilFromDays(days);
    t.hour = int(rem / 60);
    t.minute = int(rem % 60);
    return t;
}

uint64_t FiletimeFromCivil(const CivilDateTime& t) {
    int64_t secs = (DaysFromCivil(t.date) * 86400) + t.hour * 3600 + t.minute * 60 + t.second;
    return uint64_t(secs) * 10000000ull;
}

CivilDateTime CivilFromFiletime(uint64_t ft) {
    uint64_t secs = ft / 10000000ull;
    CivilDateTime t = CivilFromMinutes(int64_t(secs / 60));
    t.second = int(secs % 60);
    return t;
}

double OleFromMinutes(int64_t minutes) {
    // Whole days and the time of day apart, so that midnight is an exact integer.
    // Before the epoch an OLE date keeps the day in its integer part and the time
    // as a positive fraction (-1.25 is 1899-12-29 06:00), hence the sign flip.
    int64_t days = FloorDiv(minutes, kMinutesPerDay);
    int64_t rem = minutes - days * kMinutesPerDay;
    double day = double(days - kOleEpochDays);
    double frac = double(rem) / kMinutesPerDay;
    return day < 0 ? day - frac : day + frac;
}

int64_t MinutesFromOle(double ole) {
    if (!std::isfinite(ole)) return 0;
    double day = std::trunc(ole);
    double frac = std::fabs(ole - day);
    double m = (day + kOleEpochDays) * kMinutesPerDay + frac * kMinutesPerDay;
    if (m < 0) return 0;
    if (m > 9.0e15) return int64_t(9.0e15);
    return int64_t(std::llround(m));
}

double OleFromFiletime(uint64_t ft) { return OleFromMinutes(MinutesFromFiletime(ft)); }

uint64_t FiletimeFromOle(double ole) { return FiletimeFromMinutes(MinutesFromOle(ole)); }

uint64_t NoDateFiletime() { return FiletimeFromCivil({{4501, 1, 1}, 0, 0, 0}); }

}  // namespace pimcodec
