// The one calendar and time-zone arithmetic of the suite, platform-neutral: civil
// dates and day numbers, weekdays, "N-th weekday of a month" rules, and local wall
// time <-> UTC under a zone stated the handheld's way (a TIME_ZONE_INFORMATION),
// without the host's zone database.
//
// Day numbers count days since 1601-01-01 (negative before it), the FILETIME epoch;
// instants are 100 ns ticks since the same epoch. Other epochs are offsets from it.
#pragma once
#include <cstdint>
#include <optional>

namespace datetime {

constexpr int64_t kTicksPerSecond = 10000000LL;
constexpr int64_t kTicksPerMinute = 60 * kTicksPerSecond;
constexpr int64_t kMinutesPerDay = 1440;
constexpr int64_t kTicksPerDay = kTicksPerMinute * kMinutesPerDay;
// Days from 1601-01-01 to the OLE date epoch, 1899-12-30.
constexpr int64_t kOleEpochDays = 109205;
// Days from 1601-01-01 to the Unix epoch, 1970-01-01.
constexpr int64_t kUnixEpochDays = 134774;

// Floor division (rounds towards minus infinity); b > 0.
int64_t FloorDiv(int64_t a, int64_t b);

// --- Civil calendar (proleptic Gregorian) -------------------------------------------

struct CivilDate {
    int year = 1601;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
};

bool IsLeapYear(int year);
// 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
bool IsValidDate(const CivilDate& d);

// A day or month past its range counts on (31 April is 1 May, month 13 is January
// of the next year) rather than reading outside a table; check with IsValidDate
// where that matters.
int64_t DaysFromCivil(const CivilDate& d);
inline int64_t DaysFromCivil(int year, int month, int day) { return DaysFromCivil(CivilDate{year, month, day}); }
CivilDate CivilFromDays(int64_t days);
// 0 Sunday .. 6 Saturday, the SYSTEMTIME convention.
int DayOfWeek(int64_t days);

// The week-th day of the month whose weekday is in `weekdayMask` (bit 0 Sunday ..
// bit 6 Saturday). Week 1..4 counts matching days from the month's start; week 5
// (or more) is the last matching day of the month, however many there are. Nothing
// for an empty mask or a month outside 1..12.
std::optional<int64_t> NthWeekdayOfMonth(int year, int month, unsigned weekdayMask, int week);

// --- Time-zone rules ----------------------------------------------------------------

struct Transition {      // the SYSTEMTIME fields a zone rule uses
    uint16_t year = 0;   // 0: every year, "day"-th "dayOfWeek" of "month" (5 = last)
    uint16_t month = 0;  // 0: no daylight time
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0, minute = 0, second = 0;
};

struct ZoneRule {
    int32_t bias = 0;          // minutes: UTC = local + bias
    int32_t standardBias = 0;
    int32_t daylightBias = 0;
    Transition standardDate;   // when daylight time ends, in local daylight time
    Transition daylightDate;   // when daylight time starts, in local standard time
};

bool HasDaylight(const ZoneRule& r);
bool IsDaylightUtc(const ZoneRule& r, int64_t utc);
int32_t BiasAtUtc(const ZoneRule& r, int64_t utc);   // total minutes in force at that instant
int64_t LocalFromUtc(const ZoneRule& r, int64_t utc);

// Local wall time to UTC. A wall time the clock shows twice (the hour repeated when
// daylight time ends) is its first occurrence, the earlier instant; one the clock
// skips (the hour lost when daylight time starts) is read with the offset in force
// before the gap, so that it lands as far past the jump as it was into the gap.
struct LocalReading {
    int64_t utc = 0;
    bool daylight = false;   // read with the daylight offset
};
LocalReading ReadLocal(const ZoneRule& r, int64_t local);
inline int64_t UtcFromLocal(const ZoneRule& r, int64_t local) { return ReadLocal(r, local).utc; }

}  // namespace datetime
