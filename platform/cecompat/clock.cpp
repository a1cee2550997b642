// The device's clock and time zone. Everything the handheld's programs learn of
// the time comes through here, so that tests and the demo decide what it is.
#include <mutex>
#include <string>

#include "cecompat.h"
#include "cesim.h"
#include "device_settings.h"
#include "datetime.h"

namespace {

std::mutex g_lock;
bool g_haveClock = false;
SYSTEMTIME g_clock;          // local time, standing still
bool g_haveZone = false;
TIME_ZONE_INFORMATION g_zone;

int64_t Ticks(const FILETIME& ft) {
    return int64_t((uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}
FILETIME FromTicks(int64_t t) {
    FILETIME ft;
    ft.dwLowDateTime = DWORD(uint64_t(t));
    ft.dwHighDateTime = DWORD(uint64_t(t) >> 32);
    return ft;
}

datetime::Transition TransitionOf(const SYSTEMTIME& st) {
    datetime::Transition t;
    t.year = st.wYear;
    t.month = st.wMonth;
    t.dayOfWeek = st.wDayOfWeek;
    t.day = st.wDay;
    t.hour = st.wHour;
    t.minute = st.wMinute;
    t.second = st.wSecond;
    return t;
}

datetime::ZoneRule RuleOf(const TIME_ZONE_INFORMATION& z) {
    datetime::ZoneRule r;
    r.bias = z.Bias;
    r.standardBias = z.StandardBias;
    r.daylightBias = z.DaylightBias;
    r.standardDate = TransitionOf(z.StandardDate);
    r.daylightDate = TransitionOf(z.DaylightDate);
    return r;
}

int64_t HostNowUtc() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return Ticks(ft);
}

TIME_ZONE_INFORMATION DeviceZone() {
    {
        std::lock_guard<std::mutex> g(g_lock);
        if (g_haveZone) return g_zone;
    }
    cesim::DeviceSettings c = cesim::Current();
    if (c.haveZone) return c.zone;
    TIME_ZONE_INFORMATION z;
    ZeroMemory(&z, sizeof z);  // no zone set: UTC, whatever the host's zone is
    lstrcpyW(z.StandardName, L"UTC");
    lstrcpyW(z.DaylightName, L"UTC");
    return z;
}

int64_t NowUtc() {
    const datetime::ZoneRule rule = RuleOf(DeviceZone());
    {
        std::lock_guard<std::mutex> g(g_lock);
        if (g_haveClock) {
            FILETIME ft;
            SystemTimeToFileTime(&g_clock, &ft);
            return datetime::UtcFromLocal(rule, Ticks(ft));
        }
    }
    cesim::DeviceSettings c = cesim::Current();
    if (!c.haveClock) return HostNowUtc();
    int64_t utc = datetime::UtcFromLocal(rule, c.local);
    if (c.running) {
        int64_t elapsed = HostNowUtc() - c.setAt;
        if (elapsed > 0) utc += elapsed;
    }
    return utc;
}

void ToSystemTime(int64_t ticks, LPSYSTEMTIME st) {
    FILETIME ft = FromTicks(ticks);
    FileTimeToSystemTime(&ft, st);
}

}  // namespace

extern "C" {

void WINAPI CeSim_SetClock(const SYSTEMTIME* local) {
    std::lock_guard<std::mutex> g(g_lock);
    g_haveClock = local != nullptr;
    if (local) g_clock = *local;
}

void WINAPI CeSim_SetTimeZone(const TIME_ZONE_INFORMATION* tzi) {
    std::lock_guard<std::mutex> g(g_lock);
    g_haveZone = tzi != nullptr;
    if (tzi) g_zone = *tzi;
}

void WINAPI CeSim_GetSystemTime(LPSYSTEMTIME st) { ToSystemTime(NowUtc(), st); }

void WINAPI CeSim_GetLocalTime(LPSYSTEMTIME st) {
    ToSystemTime(datetime::LocalFromUtc(RuleOf(DeviceZone()), NowUtc()), st);
}

DWORD WINAPI CeSim_GetTimeZoneInformation(LPTIME_ZONE_INFORMATION tzi) {
    if (!tzi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    *tzi = DeviceZone();
    const datetime::ZoneRule rule = RuleOf(*tzi);
    if (!datetime::HasDaylight(rule)) return TIME_ZONE_ID_UNKNOWN;
    return datetime::IsDaylightUtc(rule, NowUtc()) ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

// As on the handheld (and desktop Windows), the bias in force now applies, not the
// one in force at the converted date.
BOOL WINAPI CeSim_FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local) {
    if (!utc || !local) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const datetime::ZoneRule rule = RuleOf(DeviceZone());
    *local = FromTicks(Ticks(*utc) - int64_t(datetime::BiasAtUtc(rule, NowUtc())) * datetime::kTicksPerMinute);
    return TRUE;
}

BOOL WINAPI CeSim_LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc) {
    if (!utc || !local) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const datetime::ZoneRule rule = RuleOf(DeviceZone());
    *utc = FromTicks(Ticks(*local) + int64_t(datetime::BiasAtUtc(rule, NowUtc())) * datetime::kTicksPerMinute);
    return TRUE;
}

}  // extern "C"
