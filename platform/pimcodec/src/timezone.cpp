#include "pimcodec/timezone.h"

#include <cstring>

#include "bytes.h"
#include "pimcodec/pimtime.h"

namespace pimcodec {

const char* StatusText(Status s) {
    switch (s) {
    case Status::kOk: return "ok";
    case Status::kTruncated: return "truncated";
    case Status::kBadType: return "unknown pattern type";
    case Status::kBadValue: return "field out of range";
    case Status::kInconsistent: return "inconsistent fields";
    case Status::kTooLarge: return "too many entries";
    }
    return "unknown status";
}

bool SystemTime::operator==(const SystemTime& o) const {
    return year == o.year && month == o.month && dayOfWeek == o.dayOfWeek && day == o.day &&
           hour == o.hour && minute == o.minute && second == o.second &&
           milliseconds == o.milliseconds;
}

bool TimeZone::operator==(const TimeZone& o) const {
    return bias == o.bias && standardBias == o.standardBias && daylightBias == o.daylightBias &&
           standardYear == o.standardYear && standardDate == o.standardDate &&
           daylightYear == o.daylightYear && daylightDate == o.daylightDate;
}

namespace {
void PutSystemTime(Writer& w, const SystemTime& t) {
    w.U16(t.year); w.U16(t.month); w.U16(t.dayOfWeek); w.U16(t.day);
    w.U16(t.hour); w.U16(t.minute); w.U16(t.second); w.U16(t.milliseconds);
}
bool GetSystemTime(Reader& r, SystemTime* t) {
    return r.U16(&t->year) && r.U16(&t->month) && r.U16(&t->dayOfWeek) && r.U16(&t->day) &&
           r.U16(&t->hour) && r.U16(&t->minute) && r.U16(&t->second) && r.U16(&t->milliseconds);
}
SystemTime Rule(uint16_t month, uint16_t week, uint16_t dow, uint16_t hour) {
    SystemTime t;
    t.month = month; t.day = week; t.dayOfWeek = dow; t.hour = hour;
    return t;
}
}  // namespace

std::vector<uint8_t> EncodeTimeZone(const TimeZone& tz) {
    Writer w;
    w.I32(tz.bias); w.I32(tz.standardBias); w.I32(tz.daylightBias);
    w.U16(tz.standardYear); PutSystemTime(w, tz.standardDate);
    w.U16(tz.daylightYear); PutSystemTime(w, tz.daylightDate);
    return std::move(w.buf());
}

Status DecodeTimeZone(const uint8_t* data, size_t size, TimeZone* out) {
    if (!data || size < kTimeZoneBlobSize) return Status::kTruncated;
    Reader r(data, size);
    TimeZone tz;
    r.I32(&tz.bias); r.I32(&tz.standardBias); r.I32(&tz.daylightBias);
    r.U16(&tz.standardYear); GetSystemTime(r, &tz.standardDate);
    r.U16(&tz.daylightYear); GetSystemTime(r, &tz.daylightDate);
    // Biases beyond a day are not a zone; the transition fields are checked where
    // used, so that a zone with an odd rule still decodes and simply has no DST.
    if (tz.bias < -1440 || tz.bias > 1440 || tz.standardBias < -1440 || tz.standardBias > 1440 ||
        tz.daylightBias < -1440 || tz.daylightBias > 1440)
        return Status::kBadValue;
    *out = tz;
    return Status::kOk;
}

TimeZone UtcZone() { return TimeZone{}; }

TimeZone WesternEuropeZone() {
    TimeZone tz;
    tz.bias = -60;
    tz.daylightBias = -60;
    tz.standardDate = Rule(10, 5, 0, 3);
    tz.daylightDate = Rule(3, 5, 0, 2);
    return tz;
}

TimeZone EasternUsZone() {
    TimeZone tz;
    tz.bias = 300;
    tz.daylightBias = -60;
    tz.standardDate = Rule(11, 1, 0, 2);
    tz.daylightDate = Rule(3, 2, 0, 2);
    return tz;
}

bool ZoneByName(const char* name, TimeZone* out) {
    if (!name) return false;
    if (!std::strcmp(name, "UTC")) { *out = UtcZone(); return true; }
    if (!std::strcmp(name, "W. Europe")) { *out = WesternEuropeZone(); return true; }
    if (!std::strcmp(name, "Eastern")) { *out = EasternUsZone(); return true; }
    return false;
}

int64_t TransitionDay(const SystemTime& rule, int year) {
    int month = rule.month >= 1 && rule.month <= 12 ? rule.month : 1;
    int week = rule.day < 1 ? 1 : (rule.day > 5 ? 5 : rule.day);
    int dow = rule.dayOfWeek % 7;
    int64_t first = DaysFromCivil({year, month, 1});
    int64_t day = first + (dow - WeekdayOfDays(first) + 7) % 7 + 7 * (week - 1);
    int64_t monthEnd = first + DaysInMonth(year, month);
    while (day >= monthEnd) day -= 7;   // week 5 means the last one
    return day;
}

namespace {
bool RuleUsable(const SystemTime& t) {
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 5 && t.dayOfWeek <= 6 &&
           t.hour < 24 && t.minute < 60;
}
// Local standard-time minute of the daylight start and the local daylight-time
// minute of its end, for the year of `localMinutes`.
bool Transitions(const TimeZone& tz, int year, int64_t* dstStart, int64_t* dstEnd) {
    if (!tz.HasDaylight() || !RuleUsable(tz.standardDate) || !RuleUsable(tz.daylightDate))
        return false;
    *dstStart = TransitionDay(tz.daylightDate, year) * kMinutesPerDay +
                tz.daylightDate.hour * 60 + tz.daylightDate.minute;
    *dstEnd = TransitionDay(tz.standardDate, year) * kMinutesPerDay +
              tz.standardDate.hour * 60 + tz.standardDate.minute;
    return true;
}
bool InRange(int64_t t, int64_t start, int64_t end) {
    // Southern-hemisphere zones have daylight time across the new year.
    return start < end ? (t >= start && t < end) : (t >= start || t < end);
}
}  // namespace

bool IsDaylightLocal(const TimeZone& tz, int64_t localMinutes) {
    int64_t s, e;
    if (!Transitions(tz, CivilFromMinutes(localMinutes).date.year, &s, &e)) return false;
    // The transition times are wall-clock times in the time that is ending.
    int64_t shift = int64_t(tz.daylightBias) - tz.standardBias;   // usually -60
    return InRange(localMinutes, s - shift, e);
}

bool IsDaylightUtc(const TimeZone& tz, int64_t utcMinutes) {
    int64_t sUtc, eUtc;
    int year = CivilFromMinutes(utcMinutes - tz.bias).date.year;
    if (!Transitions(tz, year, &sUtc, &eUtc)) return false;
    sUtc += tz.bias + tz.standardBias;
    eUtc += tz.bias + tz.daylightBias;
    return InRange(utcMinutes, sUtc, eUtc);
}

int64_t LocalToUtc(const TimeZone& tz, int64_t localMinutes) {
    return localMinutes + tz.bias +
           (IsDaylightLocal(tz, localMinutes) ? tz.daylightBias : tz.standardBias);
}

int64_t UtcToLocal(const TimeZone& tz, int64_t utcMinutes) {
    return utcMinutes - tz.bias -
           (IsDaylightUtc(tz, utcMinutes) ? tz.daylightBias : tz.standardBias);
}

}  // namespace pimcodec
