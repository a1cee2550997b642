// Time-zone rules as the handheld states them (a TIME_ZONE_INFORMATION), worked out
// without the host's zone database: which instant is daylight time, and local time
// from UTC and back. Platform-neutral; times are 100 ns ticks since 1601-01-01.
#pragma once
#include <cstdint>

namespace tz {

struct Transition {      // the SYSTEMTIME fields a zone rule uses
    uint16_t year = 0;   // 0: every year, "day"-th "dayOfWeek" of "month" (5 = last)
    uint16_t month = 0;  // 0: no daylight time
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0, minute = 0, second = 0;
};

struct Rule {
    int32_t bias = 0;          // minutes: UTC = local + bias
    int32_t standardBias = 0;
    int32_t daylightBias = 0;
    Transition standardDate;   // when daylight time ends, in local daylight time
    Transition daylightDate;   // when daylight time starts, in local standard time
};

constexpr int64_t kTicksPerMinute = 600000000LL;
constexpr int64_t kTicksPerDay = kTicksPerMinute * 1440;

// Civil calendar helpers (proleptic Gregorian).
int64_t DaysFrom1601(int year, int month, int day);
void CivilFromDays(int64_t days, int* year, int* month, int* day);
int DayOfWeek(int64_t daysFrom1601);  // 0 Sunday

bool HasDaylight(const Rule& r);
bool IsDaylightUtc(const Rule& r, int64_t utc);
int32_t BiasAtUtc(const Rule& r, int64_t utc);   // total minutes in force at that instant
int64_t LocalFromUtc(const Rule& r, int64_t utc);
// Local wall time to UTC; a time that occurs twice is taken as standard time, one
// that is skipped is moved forward by the daylight shift.
int64_t UtcFromLocal(const Rule& r, int64_t local);

}  // namespace tz
