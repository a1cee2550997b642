#include "pimcodec/pimtime.h"

#include <cmath>

namespace pimcodec {

using datetime::FloorDiv;

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
