// The shell's handheld extras (aygshell.dll): soft-key menu bars, full-screen
// dialogs, tap-and-hold, bitmaps from files. Names, values and 32-bit layouts are
// the device's.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "ce_layout.h"

// --- Menu bars ----------------------------------------------------------------------
#define SHCMBF_EMPTYBAR      0x0001
#define SHCMBF_HIDDEN        0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK       0x0008
#define SHCMBF_HMENU         0x0010  // nToolBarId is a menu resource, not menu-bar data

// Sent to the menu bar (hwndMB). SETSUBMENU: wParam button id, lParam new popup,
// returns the old one. GETSUBMENU: lParam button id. GETMENU: the bar's whole menu.
#define SHCMBM_SETSUBMENU  (WM_USER + 400)
#define SHCMBM_GETSUBMENU  (WM_USER + 401)
#define SHCMBM_GETMENU     (WM_USER + 402)

// In menu-bar data (an RCDATA resource): a button without a popup.
#define NOMENU 0xFFFF

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;  // out
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

// --- Dialogs ------------------------------------------------------------------------
#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON          0x0001
#define SHIDIF_SIZEDLG             0x0002
#define SHIDIF_SIZEDLGFULLSCREEN   0x0004  // the work area, less the menu bar's band
#define SHIDIF_SIPDOWN             0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010  // the whole work area
#define SHIDIF_EMPTYMENU           0x0020
#define SHIDIF_WANTSCROLLBAR       0x0040

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

#define SHDB_SHOW       0x0001
#define SHDB_HIDE       0x0002
#define SHDB_SHOWCANCEL 0x0004

#define SHFS_SHOWTASKBAR   0x0001
#define SHFS_HIDETASKBAR   0x0002
#define SHFS_SHOWSIPBUTTON 0x0004
#define SHFS_HIDESIPBUTTON 0x0008
#define SHFS_SHOWSTARTICON 0x0010
#define SHFS_HIDESTARTICON 0x0020

// --- Activation and settings (input-panel bookkeeping) ------------------------------
typedef struct tagSHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

// --- Tap and hold -------------------------------------------------------------------
#define SHRG_RETURNCMD    0x00000001
#define SHRG_NOTIFYPARENT 0x00000002
#define SHRG_LONGDELAY    0x00000008
#define SHRG_NOANIMATION  0x00000010

#define GN_CONTEXTMENU 1000

typedef struct tagSHRGI {
    DWORD cbSize;
    HWND hwndClient;
    POINT ptDown;  // client coordinates of hwndClient
    DWORD dwFlags;
} SHRGINFO, *PSHRGINFO;

typedef struct tagNMRGINFO {
    NMHDR hdr;
    POINT ptAction;
    DWORD dwItemSpec;
} NMRGINFO, *PNMRGINFO;

#ifdef __cplusplus
CE_LAYOUT(SHMENUBARINFO, 36, 56);
CE_LAYOUT(SHINITDLGINFO, 12, 24);
CE_LAYOUT(SHACTIVATEINFO, 12, 24);
CE_LAYOUT(SHRGINFO, 20, 32);
CE_LAYOUT(NMRGINFO, 24, 40);
extern "C" {
#endif

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* pmbi);
BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi);
BOOL WINAPI SHInitExtraControls(void);
BOOL WINAPI SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* psai, DWORD dwFlags);
BOOL WINAPI SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* psai);
// GN_CONTEXTMENU when the pen is held down, 0 when it lifts or moves away first.
DWORD WINAPI SHRecognizeGesture(SHRGINFO* shrg);
// A .bmp file as a DIB section; NULL when it is missing or not a bitmap.
HBITMAP WINAPI SHLoadDIBitmap(LPCWSTR szFileName);
BOOL WINAPI SHDoneButton(HWND hwndRequester, DWORD dwState);
BOOL WINAPI SHFullScreen(HWND hwndRequester, DWORD dwState);

#ifdef __cplusplus
}
#endif
