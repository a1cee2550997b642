// The appointment time-zone blob: 48 bytes, little-endian.
//   i32 bias, i32 standard bias, i32 daylight bias,
//   u16 standard year, SYSTEMTIME standard transition,
//   u16 daylight year, SYSTEMTIME daylight transition.
// Transitions are "Nth weekday of a month" rules (wDay 1..5, 5 = last), wYear 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pimcodec/status.h"

namespace pimcodec {

constexpr size_t kTimeZoneBlobSize = 48;

struct SystemTime {
    uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
    uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
    bool operator==(const SystemTime& o) const;
};

// Windows bias convention: UTC = local + bias (+ daylightBias while in daylight time).
struct TimeZone {
    int32_t bias = 0;
    int32_t standardBias = 0;
    int32_t daylightBias = 0;
    uint16_t standardYear = 0;
    SystemTime standardDate;       // month 0 = the zone has no daylight time
    uint16_t daylightYear = 0;
    SystemTime daylightDate;
    bool operator==(const TimeZone& o) const;

    bool HasDaylight() const { return standardDate.month != 0 && daylightDate.month != 0; }
};

std::vector<uint8_t> EncodeTimeZone(const TimeZone& tz);
Status DecodeTimeZone(const uint8_t* data, size_t size, TimeZone* out);

// A few zones by name for fixtures and tests.
TimeZone UtcZone();
TimeZone WesternEuropeZone();   // UTC+1, daylight last Sunday of March 02:00 to last Sunday of October 03:00
TimeZone EasternUsZone();       // UTC-5, second Sunday of March to first Sunday of November
// nullptr-safe lookup: "UTC", "W. Europe", "Eastern"; false when unknown.
bool ZoneByName(const char* name, TimeZone* out);

// Day (since 1601) on which a transition rule falls in the given year.
int64_t TransitionDay(const SystemTime& rule, int year);
// Whether a local wall-clock time (minutes since 1601) is in the zone's daylight time.
bool IsDaylightLocal(const TimeZone& tz, int64_t localMinutes);
// Whether a UTC time (minutes since 1601) is in the zone's daylight time.
bool IsDaylightUtc(const TimeZone& tz, int64_t utcMinutes);
// Wall clock <-> UTC. A local time inside the skipped spring hour maps as standard
// time; one in the repeated autumn hour maps as daylight time (its first pass).
int64_t LocalToUtc(const TimeZone& tz, int64_t localMinutes);
int64_t UtcToLocal(const TimeZone& tz, int64_t utcMinutes);

}  // namespace pimcodec
