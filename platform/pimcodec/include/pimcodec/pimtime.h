// Date and time arithmetic shared by the PIM record layouts: the store keeps
// FILETIMEs (100 ns ticks since 1601-01-01), recurrence patterns count whole minutes
// since the same epoch, and the agenda works in OLE dates (days since 1899-12-30).
#pragma once

#include <cstdint>
#include <optional>

#include "datetime.h"

namespace pimcodec {

constexpr uint64_t kTicksPerMinute = uint64_t(datetime::kTicksPerMinute);
constexpr uint32_t kMinutesPerDay = uint32_t(datetime::kMinutesPerDay);
// Days from 1601-01-01 to 1899-12-30, the OLE date epoch.
constexpr int32_t kOleEpochDays = int32_t(datetime::kOleEpochDays);
// The "no date" value of the agenda: 4501-01-01 00:00.
constexpr double kOleNoDate = 949998.0;

// The calendar is the suite's one (days since 1601-01-01, negative before it).
using datetime::CivilDate;
using datetime::CivilFromDays;
using datetime::DaysFromCivil;
using datetime::DaysInMonth;
using datetime::IsValidDate;

struct CivilDateTime {
    CivilDate date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// 0 Sunday .. 6 Saturday, the SYSTEMTIME convention.
inline int WeekdayOfDays(int64_t days) { return datetime::DayOfWeek(days); }

// Minutes since 1601 of a civil date-time; nullopt when out of the u32 range.
std::optional<uint32_t> MinutesFromCivil(const CivilDateTime& t);
CivilDateTime CivilFromMinutes(int64_t minutes);

// FILETIME ticks <-> minutes (FILETIMEs are truncated to the minute).
inline int64_t MinutesFromFiletime(uint64_t ft) { return int64_t(ft / kTicksPerMinute); }
inline uint64_t FiletimeFromMinutes(int64_t minutes) { return uint64_t(minutes) * kTicksPerMinute; }
uint64_t FiletimeFromCivil(const CivilDateTime& t);   // t must not precede 1601
CivilDateTime CivilFromFiletime(uint64_t ft);          // seconds kept, sub-seconds dropped

// OLE dates. Minutes -> OLE is exact to the minute; OLE -> minutes rounds to the
// nearest minute so that values that went through a double come back unchanged.
double OleFromMinutes(int64_t minutes);
int64_t MinutesFromOle(double ole);
double OleFromFiletime(uint64_t ft);
uint64_t FiletimeFromOle(double ole);

// The FILETIME the store holds for "no date".
uint64_t NoDateFiletime();

}  // namespace pimcodec
