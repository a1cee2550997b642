#include "device_settings.h"

#include <mutex>

#include "cesim.h"
#include "reg.h"
#include "datetime.h"

namespace cesim {

bool ReadDeviceDword(const wchar_t* name, DWORD* out) {
    return reg::HasDword(HKEY_LOCAL_MACHINE, CESIM_KEY, name, out);
}

bool ReadDeviceString(const wchar_t* name, std::wstring* out) {
    return reg::HasString(HKEY_LOCAL_MACHINE, CESIM_KEY, name, out);
}

bool ReadDeviceBinary(const wchar_t* name, void* buf, DWORD size) {
    return reg::Binary(HKEY_LOCAL_MACHINE, CESIM_KEY, name, buf, size);
}

bool ParseStamp(const std::wstring& s, int64_t* out) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    int n = swscanf(s.c_str(), L"%4d-%2d-%2dT%2d:%2d:%2d", &y, &mo, &d, &h, &mi, &sec);
    if (n < 5 || y < 1601 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
        mi > 59 || sec < 0 || sec > 59)
        return false;
    *out = datetime::DaysFromCivil(y, mo, d) * datetime::kTicksPerDay +
           (int64_t(h) * 60 + mi) * datetime::kTicksPerMinute + int64_t(sec) * datetime::kTicksPerSecond;
    return true;
}

namespace {

DeviceSettings ReadAll() {
    DeviceSettings c;
    c.haveZone = ReadDeviceBinary(L"TimeZone", &c.zone, sizeof c.zone);
    std::wstring stamp, setAt;
    c.haveClock = ReadDeviceString(L"Clock", &stamp) && ParseStamp(stamp, &c.local);
    DWORD v = 0;
    c.running = ReadDeviceDword(L"ClockRunning", &v) && v && ReadDeviceString(L"ClockSetAt", &setAt) &&
                ParseStamp(setAt, &c.setAt);
    if (ReadDeviceDword(L"ScreenWidth", &v) && v) c.screenWidth = v;
    if (ReadDeviceDword(L"ScreenHeight", &v) && v) c.screenHeight = v;
    if (ReadDeviceDword(L"ShellReady", &v)) c.shellReady = v != 0;
    return c;
}

// A registry change notification on the device key (other processes' writes, the
// clock tool's among them, trigger it too) says when the cached copy is stale.
class Cache {
public:
    ~Cache() {  // a library that links this may be unloaded long before the process ends
        if (event_) CloseHandle(event_);
        if (key_) RegCloseKey(key_);
    }

    DeviceSettings Get() {
        std::lock_guard<std::mutex> g(lock_);
        if (!valid_ || !event_ || WaitForSingleObject(event_, 0) == WAIT_OBJECT_0) {
            Arm();  // before reading, so that a change made while we read is not missed
            cached_ = ReadAll();
            valid_ = true;
        }
        return cached_;
    }

private:
    void Arm() {
        if (!key_ && RegCreateKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, nullptr, 0, KEY_READ | KEY_NOTIFY, nullptr,
                                     &key_, nullptr) != ERROR_SUCCESS)
            key_ = nullptr;
        if (!event_) event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!key_ || !event_ ||
            RegNotifyChangeKeyValue(key_, FALSE, REG_NOTIFY_CHANGE_LAST_SET, event_, TRUE) != ERROR_SUCCESS) {
            // Without a notification read every time rather than risk stale settings.
            if (event_) CloseHandle(event_);
            event_ = nullptr;
        }
    }

    std::mutex lock_;
    bool valid_ = false;
    DeviceSettings cached_;
    HKEY key_ = nullptr;

    HANDLE event_ = nullptr;
};

Cache g_cache;

}  // namespace

DeviceSettings Current() { return g_cache.Get(); }

}  // namespace cesim
