// Reading the device stand-in's own settings (HKLM\Software\CeSim).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace cesim {

bool ReadDeviceDword(const wchar_t* name, DWORD* out);
bool ReadDeviceString(const wchar_t* name, std::wstring* out);
bool ReadDeviceBinary(const wchar_t* name, void* buf, DWORD size);  // exactly size bytes

// The settings device programs consult all the time (every date conversion, every
// screen metric), as last read.
struct DeviceSettings {
    bool haveZone = false;
    TIME_ZONE_INFORMATION zone;
    bool haveClock = false;   // "Clock" set and valid
    int64_t local = 0;        // its wall time, 100 ns ticks since 1601
    bool running = false;     // "ClockRunning" with a valid "ClockSetAt"
    int64_t setAt = 0;        // host UTC when it was set
    DWORD screenWidth = 240, screenHeight = 320;
    bool shellReady = true;
};

// Read again only when the device key changed since the last call.
DeviceSettings Current();

// "YYYY-MM-DDTHH:MM[:SS]" as 100 ns ticks since 1601 of that wall time.
bool ParseStamp(const std::wstring& s, int64_t* out);

}  // namespace cesim
