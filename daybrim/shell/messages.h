// The host window's private messages and timers.
#pragma once
#include <windows.h>

namespace daybrim {

const UINT WM_DR_RELOAD = 1261;       // full reload in place
const UINT WM_DR_SCREENRESET = 1262;  // the screen was reset (rotation)
const UINT WM_DR_MAILCHANGED = 1284;  // the mail store changed
const UINT WM_DR_SETTABICON = 1422;   // lParam: const wchar_t*, icon base name ("" default)
const UINT WM_DR_SELECTTAB = 1423;    // lParam: the tab id
const UINT WM_DR_HOOKKEY = 3414;      // lParam: the virtual key the keyboard hook caught

const UINT IDT_LOADING = 1946;
const UINT IDT_DEFAULTTAB = 1476;
const UINT IDT_MAILTOCALENDAR = 1284;
const UINT IDT_HOOKWATCH = 1950;
const UINT IDT_DBLKEY_LEFT = 1947;
const UINT IDT_DBLKEY_RIGHT = 1948;

const UINT IDM_SETTINGS = 40050;
const UINT IDM_MINIMIZE = 40056;
const UINT IDM_RESTORE = 40057;

#define DAYBRIM_SETTINGS_CHANGED L"OlvaneDaybrimSettingsChanged"
#define DAYBRIM_HOST_CLASS L"QuorvelWnd"
#define DAYBRIM_RELAY_CLASS L"OlvaneDaybrimTopLevelWin"

// Timers, as the host's window gives them; tests give fakes.
class TimerPort {
public:
    virtual ~TimerPort() = default;
    virtual void StartTimer(UINT id, UINT ms) = 0;  // restarts a running timer
    virtual void KillTimer(UINT id) = 0;
};

}  // namespace daybrim
