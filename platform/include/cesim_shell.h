// Control of the shell stand-ins (message boxes, tap-and-hold) from tests, in-process,
// and the device settings that decide the same for every process. Settings live under
// HKEY_LOCAL_MACHINE\Software\CeSim:
//   "MessageBoxAnswer" REG_DWORD  a box is not shown but answered: 0 with its default
//                                 button, else this IDOK/IDYES/IDNO/... when it is one
//                                 of the box's buttons (otherwise the default button)
//   "GestureHold"      REG_DWORD  SHRecognizeGesture: 1 every press is a tap-and-hold,
//                                 0 none is; absent: the pen decides
// With neither the setting nor an override, a box is still answered (default button)
// when Wine has no display to show it on (its "null" graphics driver, as the test
// prefixes have): nothing can block on a box nobody can see.
// Every answered box is written to the device log (source "messagebox").
#pragma once
#include <windows.h>

#define CESIM_ANSWER_DEFAULT 0  // answer with the box's default button
#define CESIM_NO_OVERRIDE (-1)  // back to the device setting

#ifdef __cplusplus
extern "C" {
#endif
// For every module of this process (and, through its environment, the programs it
// starts); CESIM_NO_OVERRIDE removes the override.
void WINAPI CeSim_SetMessageBoxAnswer(int answer);
// The next popup menu this process tracks (TrackPopupMenu/Ex) is not shown but
// answered: L"cancel", L"#<command id>", or an item's text as a person reads it
// (no '&', nothing after a tab; "Sub-menu/Item" for an item inside a sub-menu, or the
// bare text, which also finds it there). An answer naming no enabled command
// cancels. Without an answer a menu is shown, or cancelled when Wine has no display.
// Every answered menu is written to the device log (source "menu") with its items.
// NULL removes a pending answer.
void WINAPI CeSim_SetMenuAnswer(LPCWSTR answer);
// Exported by aygshell.dll: 1 hold, 0 tap, CESIM_NO_OVERRIDE.
void WINAPI CeSim_SetGestureHold(int hold);
#ifdef __cplusplus
}
#endif
