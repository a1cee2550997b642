// Control of the device stand-in from tests and platform tools, in-process.
// Device settings live under HKEY_LOCAL_MACHINE\Software\CeSim:
//   "Clock"        REG_SZ    the device's local time, "YYYY-MM-DDTHH:MM[:SS]"; absent: the host's clock
//   "ClockRunning" REG_DWORD  1: the clock runs on from "Clock" since "ClockSetAt"; 0: it stands still
//   "ClockSetAt"   REG_SZ    host UTC time when "Clock" was set (written by the clock tool)
//   "TimeZone"     REG_BINARY a TIME_ZONE_INFORMATION (172 bytes); absent: UTC
//   "ScreenWidth", "ScreenHeight" REG_DWORD  the handheld's screen in pixels
//   "ShellReady"   REG_DWORD  0 makes IsAPIReady(SH_SHELL) answer FALSE
#pragma once
#include <windows.h>

#define CESIM_KEY L"Software\\CeSim"

#ifdef __cplusplus
extern "C" {
#endif
// Overrides that win over the device settings in this process (a test's fake clock).
// NULL removes the override.
void WINAPI CeSim_SetClock(const SYSTEMTIME* local);
void WINAPI CeSim_SetTimeZone(const TIME_ZONE_INFORMATION* tzi);
#ifdef __cplusplus
}
#endif
