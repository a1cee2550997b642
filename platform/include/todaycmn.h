// Today screen custom-item interface, with the CE SDK's names and values.
#pragma once
#include <windows.h>

#include "ce_layout.h"

#define WM_TODAYCUSTOM_CLEARCACHE          (WM_USER + 242)
#define WM_TODAYCUSTOM_QUERYREFRESHCACHE   (WM_USER + 243)  // wParam: TODAYLISTITEM*; TRUE: repaint (cyp may have changed)
#define WM_TODAYCUSTOM_RECEIVEDSELECTION   (WM_USER + 244)  // wParam: the key that brought it; TRUE: taken
#define WM_TODAYCUSTOM_LOSTSELECTION       (WM_USER + 245)
#define WM_TODAYCUSTOM_USERNAVIGATION      (WM_USER + 246)  // wParam: key; TRUE: the item handled it
#define WM_TODAYCUSTOM_ACTION              (WM_USER + 247)  // wParam: VK_RETURN

#define TODAYM_GETCOLOR       (WM_USER + 100)  // wParam: TODAYCOLOR_*; returns a COLORREF
#define TODAYM_DRAWWATERMARK  (WM_USER + 101)  // lParam: TODAYDRAWWATERMARKINFO*
#define TODAYM_TOOKSELECTION  (WM_USER + 102)  // wParam: the item window that took it

#define TODAYCOLOR_TEXT        0x10000004
#define TODAYCOLOR_HIGHLIGHT   0x10000022
#define TODAYCOLOR_HIGHLIGHTEDTEXT 0x10000023

#define ORDINAL_INITIALIZECUSTOMITEM  240
#define ORDINAL_CUSTOMITEMOPTIONSDLGPROC 241

#ifndef WM_HIBERNATE
#define WM_HIBERNATE 0x03FF
#endif
#ifndef SETTINGCHANGE_RESET
#define SETTINGCHANGE_RESET 0x3002
#endif

typedef enum _TODAYLISTITEMTYPE {
    tlitOwnerInfo = 0,
    tlitAppointments,
    tlitMail,
    tlitTasks,
    tlitCustom,
    tlitNil
} TODAYLISTITEMTYPE;

#define MAX_ITEMNAME 32

typedef struct _TODAYLISTITEM {
    TCHAR szName[MAX_ITEMNAME];
    TODAYLISTITEMTYPE tlit;
    DWORD dwOrder;
    DWORD cyp;
    BOOL fEnabled;
    BOOL fOptions;
    DWORD grfFlags;
    TCHAR szDLLPath[MAX_PATH];
    HINSTANCE hinstDLL;
    HWND hwndCustom;
    BOOL fSizeOnDraw;
    BYTE* prgbCachedData;
    DWORD cbCachedData;
    DWORD dwSelectability;  // 0 not selectable, 1 the Today screen handles it, 2 the item does
} TODAYLISTITEM;

typedef struct {
    HDC hdc;
    RECT rc;
    HWND hwnd;
} TODAYDRAWWATERMARKINFO;

typedef HWND (*PFNCUSTOMINITIALIZEITEM)(TODAYLISTITEM*, HWND);
// The device declares the last two as UINT and LONG, the same sizes as WPARAM and
// LPARAM there; here they carry pointers, so they take the pointer-wide types.
typedef BOOL (*PFNCUSTOMOPTIONSDLGPROC)(HWND, UINT, WPARAM, LPARAM);

#ifdef __cplusplus
CE_LAYOUT(TODAYLISTITEM, 632, 648);
CE_OFFSET(TODAYLISTITEM, szDLLPath, 88, 88);
CE_LAYOUT(TODAYDRAWWATERMARKINFO, 24, 32);
#endif
