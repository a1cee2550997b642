#include "pimcodec/timezone.h"

#include <cstring>

#include "bytes.h"
#include "datetime.h"
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
    const int month = rule.month >= 1 && rule.month <= 12 ? rule.month : 1;
    const int week = rule.day < 1 ? 1 : rule.day;
    return *datetime::NthWeekdayOfMonth(year, month, 1u << (rule.dayOfWeek % 7), week);
}

namespace {
bool RuleUsable(const SystemTime& t) {
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 5 && t.dayOfWeek <= 6 &&
           t.hour < 24 && t.minute < 60;
}
// The zone as the device's own zone rules take it. A rule the blob states oddly
// means no daylight time; the year field is never an absolute date here.
datetime::ZoneRule RuleOf(const TimeZone& z) {
    datetime::ZoneRule r;
    r.bias = z.bias;
    r.standardBias = z.standardBias;
    r.daylightBias = z.daylightBias;
    if (!z.HasDaylight() || !RuleUsable(z.standardDate) || !RuleUsable(z.daylightDate)) return r;
    auto transition = [](const SystemTime& t) {
        datetime::Transition x;
        x.month = uint16_t(t.month);
        x.dayOfWeek = uint16_t(t.dayOfWeek);
        x.day = uint16_t(t.day);
        x.hour = uint16_t(t.hour);
        x.minute = uint16_t(t.minute);
        return x;
    };
    r.standardDate = transition(z.standardDate);
    r.daylightDate = transition(z.daylightDate);
    return r;
}

// Minutes as far as ticks reach (some 29,000 years either side of 1601); beyond
// that no zone has rules, and the standard offset applies.
constexpr int64_t kMaxZoneMinutes = INT64_MAX / datetime::kTicksPerMinute / 2;
bool InReach(int64_t minutes) { return minutes > -kMaxZoneMinutes && minutes < kMaxZoneMinutes; }
int64_t Ticks(int64_t minutes) { return minutes * datetime::kTicksPerMinute; }
int64_t Minutes(int64_t ticks) { return datetime::FloorDiv(ticks, datetime::kTicksPerMinute); }
}  // namespace

bool IsDaylightUtc(const TimeZone& z, int64_t utcMinutes) {
    return InReach(utcMinutes) && datetime::IsDaylightUtc(RuleOf(z), Ticks(utcMinutes));
}

bool IsDaylightLocal(const TimeZone& z, int64_t localMinutes) {
    return InReach(localMinutes) && datetime::ReadLocal(RuleOf(z), Ticks(localMinutes)).daylight;
}

int64_t LocalToUtc(const TimeZone& z, int64_t localMinutes) {
    if (!InReach(localMinutes)) return localMinutes + z.bias + z.standardBias;
    return Minutes(datetime::UtcFromLocal(RuleOf(z), Ticks(localMinutes)));
}

int64_t UtcToLocal(const TimeZone& z, int64_t utcMinutes) {
    if (!InReach(utcMinutes)) return utcMinutes - z.bias - z.standardBias;
    return Minutes(datetime::LocalFromUtc(RuleOf(z), Ticks(utcMinutes)));
}

}  // namespace pimcodec
