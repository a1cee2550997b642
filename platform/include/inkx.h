// The ink control (inkx.dll): InitInkX registers the window class "InkX". This
// implementation shows text only: WM_SETTEXT sets it, word-wrapped when drawn;
// with ES_READONLY in the style the control never takes input.
#pragma once
#include <windows.h>

#define WC_INKX L"InkX"

#ifdef __cplusplus
extern "C" {
#endif
BOOL WINAPI InitInkX(void);
#ifdef __cplusplus
}
#endif
