// The HTML view control (Htmlview.dll): InitHTMLControl, exported as ordinal 1,
// registers the window class DISPLAYCLASS. Text arrives in pieces (DTM_ADDTEXTW,
// wParam TRUE for plain text) and is shown once DTM_ENDOFSOURCE says it is whole.
// This implementation draws the text plainly: markup is dropped, line breaks
// and paragraphs kept, entities decoded. WM_GETTEXT returns what it shows.
#pragma once
#include <windows.h>

#define DISPLAYCLASS L"DISPLAYCLASS"
#define DTM_ADDTEXT     (WM_USER + 101)
#define DTM_ADDTEXTW    (WM_USER + 102)
#define DTM_ENDOFSOURCE (WM_USER + 104)
#define DTM_CLEAR       (WM_USER + 113)

#ifdef __cplusplus
extern "C" {
#endif
BOOL WINAPI InitHTMLControl(HINSTANCE instance);
#ifdef __cplusplus
}
#endif
