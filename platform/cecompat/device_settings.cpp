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

// An event handle. Not raii::Handle: this library is built without the device's
// CloseHandle, and an inline raii::Handle compiled here would differ from the one
// device code gets, which the linker may pick for either.
struct EventTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
using Event = raii::Owned<HANDLE, EventTraits>;

// A registry change notification on the device key (other processes' writes, the
// clock tool's among them, trigger it too) says when the cached copy is stale.
class Cache {
public:
    DeviceSettings Get() {
        std::lock_guard<std::mutex> g(lock_);
        if (!valid_ || !event_ || WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0) {
            Arm();  // before reading, so that a change made while we read is not missed
            cached_ = ReadAll();
            valid_ = true;
        }
        return cached_;
    }

private:
    void Arm() {
        if (!key_ && RegCreateKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, nullptr, 0, KEY_READ | KEY_NOTIFY, nullptr,
                                     key_.out(), nullptr) != ERROR_SUCCESS)
            key_.release();  // nothing was opened
        if (!event_) event_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!key_ || !event_ ||
            RegNotifyChangeKeyValue(key_.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, event_.get(), TRUE) !=
                ERROR_SUCCESS) {
            // Without a notification read every time rather than risk stale settings.
            event_.reset();
        }
    }

    std::mutex lock_;
    bool valid_ = false;
    DeviceSettings cached_;
    // Owned, not leaked: a library that links this may be unloaded long before the
    // process ends.
    raii::Key key_;
    Event event_;
};

Cache g_cache;

}  // namespace

DeviceSettings Current() { return g_cache.Get(); }

}  // namespace cesim
