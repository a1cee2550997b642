// Dates of the object model. The store keeps appointment times in UTC; callers see
// the device's local time, converted with the daylight rule in force on that date
// (not the current bias), so that an appointment keeps its wall-clock time across
// a daylight-saving change.
#include <cmath>

#include "com.h"
#include "pimcodec/pimtime.h"
#include "pimcodec/timezone.h"

namespace pim {

namespace {

pimcodec::SystemTime Rule(const SYSTEMTIME& st) {
    pimcodec::SystemTime r;
    r.year = st.wYear;
    r.month = st.wMonth;
    r.dayOfWeek = st.wDayOfWeek;
    r.day = st.wDay;
    r.hour = st.wHour;
    r.minute = st.wMinute;
    r.second = st.wSecond;
    r.milliseconds = st.wMilliseconds;
    return r;
}

pimcodec::TimeZone DeviceZone() {
    TIME_ZONE_INFORMATION tzi = {};
    GetTimeZoneInformation(&tzi);
    pimcodec::TimeZone z;
    z.bias = tzi.Bias;
    z.standardBias = tzi.StandardBias;
    z.daylightBias = tzi.DaylightBias;
    z.standardDate = Rule(tzi.StandardDate);
    z.daylightDate = Rule(tzi.DaylightDate);
    return z;
}

pimcodec::TimeZone ZoneOf(const std::vector<uint8_t>& blob) {
    pimcodec::TimeZone z;
    if (blob.empty() || pimcodec::DecodeTimeZone(blob.data(), blob.size(), &z) != pimcodec::Status::kOk)
        return DeviceZone();
    return z;
}

}  // namespace

bool ValidDate(DATE d) { return std::isfinite(d) && d >= -109205.0 && d < 2958466.0; }

DATE LocalDateFromUtc(uint64_t ft) {
    int64_t local = pimcodec::UtcToLocal(DeviceZone(), pimcodec::MinutesFromFiletime(ft));
    return pimcodec::OleFromMinutes(local);
}

uint64_t UtcFromLocalDate(DATE d) {
    int64_t utc = pimcodec::LocalToUtc(DeviceZone(), pimcodec::MinutesFromOle(d));
    return pimcodec::FiletimeFromMinutes(utc < 0 ? 0 : utc);
}

int64_t UtcFromZoneMinutes(const std::vector<uint8_t>& zoneBlob, int64_t wall) {
    return pimcodec::LocalToUtc(ZoneOf(zoneBlob), wall);
}

int64_t ZoneMinutesFromUtc(const std::vector<uint8_t>& zoneBlob, int64_t utc) {
    return pimcodec::UtcToLocal(ZoneOf(zoneBlob), utc);
}

HRESULT ReturnString(const std::wstring& s, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(s.data(), UINT(s.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace pim
