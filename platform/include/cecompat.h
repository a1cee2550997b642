// What every device program and library of this build sees before its own code
// (a forced include): CE functions that desktop Win32 lacks, and the services the
// handheld answers differently (its clock and time zone, its screen), routed to the
// device stand-in. Built against a real CE SDK, none of this is included.
#pragma once
#ifdef _WIN32
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// --- CE functions absent from desktop Win32 --------------------------------------
#define SH_SHELL 0x0001   // IsAPIReady: the shell (Today screen, taskbar) is up
#define SH_GDI   0x0010
#define SH_WMGR  0x0011
BOOL WINAPI IsAPIReady(DWORD hAPI);
FARPROC WINAPI GetProcAddressW(HMODULE module, LPCWSTR name);
// hSrc is a DC or a bitmap; crTransparent is the colour left out.
BOOL WINAPI TransparentImage(HDC hdcDest, LONG DstX, LONG DstY, LONG DstCx, LONG DstCy,
                             HANDLE hSrc, LONG SrcX, LONG SrcY, LONG SrcCx, LONG SrcCy,
                             COLORREF TransparentColor);

// --- The device's clock and time zone ---------------------------------------------
// Device programs read time only through these; the device settings (or a test,
// in-process) set what they answer.
void WINAPI CeSim_GetLocalTime(LPSYSTEMTIME st);
void WINAPI CeSim_GetSystemTime(LPSYSTEMTIME st);
DWORD WINAPI CeSim_GetTimeZoneInformation(LPTIME_ZONE_INFORMATION tzi);
BOOL WINAPI CeSim_FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local);
BOOL WINAPI CeSim_LocalFileTimeToFileTime(const FILETIME* local, LPFILETIME utc);

// --- Handles ------------------------------------------------------------------------
// CE closes database handles (windbase.h) with CloseHandle: this closes them through
// cedb.dll when it is loaded and the handle is one of its own, else as kernel32 does.
BOOL WINAPI CeSim_CloseHandle(HANDLE h);

// --- The device's screen ------------------------------------------------------------
int WINAPI CeSim_GetSystemMetrics(int index);

#ifdef __cplusplus
}
#endif

#ifndef CESIM_NO_REDIRECT
#define GetLocalTime CeSim_GetLocalTime
#define GetSystemTime CeSim_GetSystemTime
#define GetTimeZoneInformation CeSim_GetTimeZoneInformation
#define FileTimeToLocalFileTime CeSim_FileTimeToLocalFileTime
#define LocalFileTimeToFileTime CeSim_LocalFileTimeToFileTime
#define GetSystemMetrics CeSim_GetSystemMetrics
#define CloseHandle CeSim_CloseHandle
#endif

// --- Message boxes -----------------------------------------------------------------
// Shown as on the device unless the device or a test says how to answer them
// (cesim_shell.h): no test ever waits on a box.
#ifdef __cplusplus
extern "C" {
#endif
int WINAPI CeSim_MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
#ifdef __cplusplus
}
#endif
#ifndef CESIM_NO_REDIRECT
#define MessageBoxW CeSim_MessageBoxW
#endif

// --- Text ------------------------------------------------------------------------
// Right-to-left letters are drawn right to left, as on the device, in lines drawn
// with DrawTextW (a text of several wrapped lines is drawn as it is).
#ifdef __cplusplus
extern "C" {
#endif
int WINAPI CeSim_DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rc, UINT format);
#ifdef __cplusplus
}
#endif
#ifndef CESIM_NO_REDIRECT
#define DrawTextW CeSim_DrawTextW
#endif

// --- Popup menus -------------------------------------------------------------------
// Tracked as on the device unless a test or script answers them (cesim_shell.h);
// with no display to show them on they are cancelled, never left waiting.
#ifdef __cplusplus
extern "C" {
#endif
BOOL WINAPI CeSim_TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params);
BOOL WINAPI CeSim_TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
#ifdef __cplusplus
}
#endif
#ifndef CESIM_NO_REDIRECT
#define TrackPopupMenuEx CeSim_TrackPopupMenuEx
#define TrackPopupMenu CeSim_TrackPopupMenu
#endif

// --- Sounds ----------------------------------------------------------------------
// The device's PlaySound is part of its core library. Here the sound library is
// bound on the first sound, not at load: starting the audio system would cost
// every process that loads a library using it, sound or not.
#ifdef __cplusplus
extern "C" {
#endif
BOOL WINAPI CeSim_PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);
#ifdef __cplusplus
}
#endif
#ifndef CESIM_NO_REDIRECT
#undef PlaySound
#define PlaySoundW CeSim_PlaySoundW
#define PlaySound CeSim_PlaySoundW
#endif

#endif  // _WIN32
