// The device clock and time zone as device programs see them.
#include <gtest/gtest.h>

#include "cesim.h"

namespace {

TIME_ZONE_INFORMATION WEurope() {
    TIME_ZONE_INFORMATION z = {};
    z.Bias = -60;
    z.DaylightBias = -60;
    z.DaylightDate.wMonth = 3;
    z.DaylightDate.wDay = 5;
    z.DaylightDate.wHour = 2;
    z.StandardDate.wMonth = 10;
    z.StandardDate.wDay = 5;
    z.StandardDate.wHour = 3;
    lstrcpyW(z.StandardName, L"W. Europe Standard Time");
    return z;
}

SYSTEMTIME Local(WORD y, WORD mo, WORD d, WORD h, WORD mi) {
    SYSTEMTIME st = {};
    st.wYear = y;
    st.wMonth = mo;
    st.wDay = d;
    st.wHour = h;
    st.wMinute = mi;
    return st;
}

// Device settings are written for one test; what the device had is put back after it.
class DeviceKey {
public:
    DeviceKey() {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        for (Saved& s : saved_) {
            s.size = sizeof s.data;
            s.present = RegQueryValueExW(key_, s.name, nullptr, &s.type, s.data, &s.size) == ERROR_SUCCESS;
            RegDeleteValueW(key_, s.name);
        }
    }
    ~DeviceKey() {
        for (Saved& s : saved_) {
            RegDeleteValueW(key_, s.name);
            if (s.present) RegSetValueExW(key_, s.name, 0, s.type, s.data, s.size);
        }
        RegCloseKey(key_);
    }
    void Set(const wchar_t* name, const wchar_t* text) {
        RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), DWORD((lstrlenW(text) + 1) * 2));
    }
    void SetZone(const TIME_ZONE_INFORMATION& z) {
        RegSetValueExW(key_, L"TimeZone", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&z), sizeof z);
    }

private:
    struct Saved {
        const wchar_t* name;
        bool present;
        DWORD type, size;
        BYTE data[256];
    };
    HKEY key_ = nullptr;
    Saved saved_[4] = {{L"Clock"}, {L"ClockRunning"}, {L"ClockSetAt"}, {L"TimeZone"}};
};

class ClockTest : public ::testing::Test {
protected:
    void TearDown() override {
        CeSim_SetClock(nullptr);
        CeSim_SetTimeZone(nullptr);
    }
};

}  // namespace

TEST_F(ClockTest, AFakeClockStandsStillInItsZone) {
    TIME_ZONE_INFORMATION z = WEurope();
    CeSim_SetTimeZone(&z);
    SYSTEMTIME set = Local(2026, 12, 7, 9, 30);
    CeSim_SetClock(&set);
    SYSTEMTIME local, utc;
    GetLocalTime(&local);
    GetSystemTime(&utc);
    EXPECT_EQ(9, local.wHour);
    EXPECT_EQ(30, local.wMinute);
    EXPECT_EQ(1, local.wDayOfWeek);
    EXPECT_EQ(8, utc.wHour);

    TIME_ZONE_INFORMATION got;
    EXPECT_EQ(DWORD(TIME_ZONE_ID_STANDARD), GetTimeZoneInformation(&got));
    EXPECT_EQ(0, memcmp(&got, &z, sizeof z));
    set = Local(2026, 7, 1, 12, 0);
    CeSim_SetClock(&set);
    EXPECT_EQ(DWORD(TIME_ZONE_ID_DAYLIGHT), GetTimeZoneInformation(&got));
    GetSystemTime(&utc);
    EXPECT_EQ(10, utc.wHour);
}

// A clock set on the hour repeated in autumn stands on its first pass, in daylight
// time; one set inside the hour skipped in spring reads with the winter offset and
// shows the hour after the jump.
TEST_F(ClockTest, AClockSetOnAChangingHour) {
    TIME_ZONE_INFORMATION z = WEurope();
    CeSim_SetTimeZone(&z);
    struct Case {
        SYSTEMTIME set;
        WORD utcDay, utcHour, utcMinute;
        WORD shownHour;
        DWORD zoneId;
    };
    const Case cases[] = {
        {Local(2026, 10, 25, 2, 30), 25, 0, 30, 2, TIME_ZONE_ID_DAYLIGHT},
        {Local(2026, 10, 25, 3, 0), 25, 2, 0, 3, TIME_ZONE_ID_STANDARD},
        {Local(2026, 3, 29, 2, 30), 29, 1, 30, 3, TIME_ZONE_ID_DAYLIGHT},
        {Local(2026, 3, 29, 1, 59), 29, 0, 59, 1, TIME_ZONE_ID_STANDARD},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.set.wMonth << "-" << c.set.wDay << " " << c.set.wHour << ":"
                                        << c.set.wMinute);
        CeSim_SetClock(&c.set);
        SYSTEMTIME utc, local;
        GetSystemTime(&utc);
        GetLocalTime(&local);
        EXPECT_EQ(c.utcDay, utc.wDay);
        EXPECT_EQ(c.utcHour, utc.wHour);
        EXPECT_EQ(c.utcMinute, utc.wMinute);
        EXPECT_EQ(c.shownHour, local.wHour);
        EXPECT_EQ(c.set.wMinute, local.wMinute);
        TIME_ZONE_INFORMATION got;
        EXPECT_EQ(c.zoneId, GetTimeZoneInformation(&got));
    }
}

TEST_F(ClockTest, FileTimeToLocalUsesTheBiasInForceNow) {
    TIME_ZONE_INFORMATION z = WEurope();
    CeSim_SetTimeZone(&z);
    SYSTEMTIME winter = Local(2026, 12, 7, 9, 30);
    CeSim_SetClock(&winter);
    // A summer date converted in winter takes the winter bias, as the handheld does.
    SYSTEMTIME summerUtc = Local(2026, 7, 1, 12, 0);
    FILETIME ft, local;
    SystemTimeToFileTime(&summerUtc, &ft);
    ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &local));
    SYSTEMTIME st;
    FileTimeToSystemTime(&local, &st);
    EXPECT_EQ(13, st.wHour);
    FILETIME back;
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(0, CompareFileTime(&back, &ft));
    SetLastError(0);
    EXPECT_FALSE(FileTimeToLocalFileTime(nullptr, &local));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
}

TEST_F(ClockTest, DeviceSettingsSetTheClockAndZone) {
    DeviceKey key;
    key.Set(L"Clock", L"2026-12-07T23:59");
    key.SetZone(WEurope());
    SYSTEMTIME local, utc;
    GetLocalTime(&local);
    GetSystemTime(&utc);
    EXPECT_EQ(2026, local.wYear);
    EXPECT_EQ(7, local.wDay);
    EXPECT_EQ(23, local.wHour);
    EXPECT_EQ(59, local.wMinute);
    EXPECT_EQ(22, utc.wHour);

    // A clock that runs counts from when it was set.
    key.Set(L"ClockSetAt", L"2000-01-01T00:00");
    DWORD one = 1;
    HKEY k;
    RegOpenKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, KEY_ALL_ACCESS, &k);
    RegSetValueExW(k, L"ClockRunning", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(k);
    GetLocalTime(&local);
    EXPECT_GT(local.wYear, 2026);
}

TEST_F(ClockTest, WithoutSettingsTheZoneIsUtcNotTheHosts) {
    DeviceKey key;  // no values
    TIME_ZONE_INFORMATION z;
    EXPECT_EQ(DWORD(TIME_ZONE_ID_UNKNOWN), GetTimeZoneInformation(&z));
    EXPECT_EQ(0, z.Bias);
    SYSTEMTIME local, utc;
    GetLocalTime(&local);
    GetSystemTime(&utc);
    EXPECT_EQ(local.wHour, utc.wHour);

    // A malformed clock value falls back to the host's clock instead of a made-up date.
    key.Set(L"Clock", L"tomorrow at noon");
    GetLocalTime(&local);
    EXPECT_GE(local.wYear, 2024);
}
