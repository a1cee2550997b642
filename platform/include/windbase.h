// The CE property-database API (the object store), as device code sees it: CE names,
// values and 32-bit layouts. Implemented by cedb.dll (platform/cedb) over the
// storage engine.
//
// Layout notes for this build:
//  - SORTORDERSPECEX carries CEDB_MAXSORTPROP (16) key slots; an open accepts at
//    most 4 keys (the engine's limit) and refuses more with ERROR_INVALID_PARAMETER.
//  - CEDBASEINFOEX holds CEDB_MAXSORTORDER (4) sort orders.
//  - CEVT_STREAM properties are read and written as a CEBLOB; CEVT_RECID as ulVal.
//  - Database and find handles are closed with CloseHandle (cecompat.h routes it).
#pragma once
#include <windows.h>

#include <stddef.h>

#include "ce_layout.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef DWORD CEOID;
typedef CEOID* PCEOID;
typedef DWORD CEPROPID;
typedef CEPROPID* PCEPROPID;

typedef struct _CEGUID {
    DWORD Data1;
    DWORD Data2;
    DWORD Data3;
    DWORD Data4;
} CEGUID, *PCEGUID;

// The invalid volume id, and the id of the system object store (all zeros).
#define CREATE_INVALIDGUID(pguid) \
    ((pguid)->Data1 = (pguid)->Data2 = (pguid)->Data3 = (pguid)->Data4 = 0xFFFFFFFF)
#define CHECK_INVALIDGUID(pguid)                                                     \
    ((pguid)->Data1 == 0xFFFFFFFF && (pguid)->Data2 == 0xFFFFFFFF &&                 \
     (pguid)->Data3 == 0xFFFFFFFF && (pguid)->Data4 == 0xFFFFFFFF)
#define CREATE_SYSTEMGUID(pguid) ((pguid)->Data1 = (pguid)->Data2 = (pguid)->Data3 = (pguid)->Data4 = 0)
#define CHECK_SYSTEMGUID(pguid) \
    (!(pguid)->Data1 && !(pguid)->Data2 && !(pguid)->Data3 && !(pguid)->Data4)

// Property types: the low word of a CEPROPID.
#define CEVT_I2       2
#define CEVT_I4       3
#define CEVT_R8       5
#define CEVT_BOOL     11
#define CEVT_UI2      18
#define CEVT_UI4      19
#define CEVT_LPWSTR   31
#define CEVT_FILETIME 64
#define CEVT_BLOB     65
#define CEVT_STREAM   100
#define CEVT_RECID    102
#define CEVT_AUTO_I4  103
#define CEVT_AUTO_I8  104

#define TypeFromPropID(propid) LOWORD(propid)

typedef struct _CEBLOB {
    DWORD dwCount;
    LPBYTE lpb;
} CEBLOB;

typedef union _CEVALUNION {
    short iVal;
    USHORT uiVal;
    long lVal;
    ULONG ulVal;
    FILETIME filetime;
    LPWSTR lpwstr;
    CEBLOB blob;
    BOOL boolVal;
    double dblVal;
} CEVALUNION;

typedef struct _CEPROPVAL {
    CEPROPID propid;
    WORD wLenData;
    WORD wFlags;
    CEVALUNION val;
} CEPROPVAL, *PCEPROPVAL;

// CEPROPVAL.wFlags
#define CEDB_PROPNOTFOUND 0x0100
#define CEDB_PROPDELETE   0x0200

// CeReadRecordPropsEx flags
#define CEDB_ALLOWREALLOC 0x00000001
// CeOpenDatabaseInSession flags
#define CEDB_AUTOINCREMENT 0x00000001

// CeSeekDatabaseEx types
#define CEDB_SEEK_CEOID                 0x00000001
#define CEDB_SEEK_BEGINNING             0x00000002
#define CEDB_SEEK_END                   0x00000004
#define CEDB_SEEK_CURRENT               0x00000008
#define CEDB_SEEK_VALUESMALLER          0x00000010
#define CEDB_SEEK_VALUEFIRSTEQUAL       0x00000020
#define CEDB_SEEK_VALUEGREATER          0x00000040
#define CEDB_SEEK_VALUENEXTEQUAL        0x00000080
#define CEDB_SEEK_VALUEGREATEROREQUAL   0x00000200

// Sort flags (per key), and key flags (per sort order)
#define CEDB_SORT_DESCENDING      0x00000001
#define CEDB_SORT_CASEINSENSITIVE 0x00000002
#define CEDB_SORT_UNKNOWNFIRST    0x00000004
#define CEDB_SORT_UNIQUE          0x00000200

#define CEDB_MAXSORTPROP     16
#define CEDB_MAXSORTORDER    4
#define CEDB_MAXDBASENAMELEN 32

typedef struct _SORTORDERSPEC {
    CEPROPID propid;
    DWORD dwFlags;
} SORTORDERSPEC;

#define SORTORDERSPECEX_VERSION 2
typedef struct _SORTORDERSPECEX {
    WORD wVersion;    // SORTORDERSPECEX_VERSION
    WORD wNumProps;   // keys used, from rgPropID[0]
    WORD wKeyFlags;   // CEDB_SORT_UNIQUE
    WORD wReserved;
    CEPROPID rgPropID[CEDB_MAXSORTPROP];
    DWORD rgdwFlags[CEDB_MAXSORTPROP];
} SORTORDERSPECEX;

// CEDBASEINFOEX.dwFlags: which fields are valid
#define CEDB_VALIDNAME     0x0001
#define CEDB_VALIDTYPE     0x0002
#define CEDB_VALIDSORTSPEC 0x0004
#define CEDB_VALIDMODTIME  0x0008
#define CEDB_VALIDDBFLAGS  0x0010
#define CEDB_VALIDCREATE   (CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC | CEDB_VALIDDBFLAGS)

#define CEDBASEINFOEX_VERSION 2
typedef struct _CEDBASEINFOEX {
    WORD wVersion;        // CEDBASEINFOEX_VERSION
    WORD wNumSortOrder;
    DWORD dwFlags;
    WCHAR szDbaseName[CEDB_MAXDBASENAMELEN];
    DWORD dwDbaseType;
    DWORD dwNumRecords;
    DWORD dwSize;
    FILETIME ftLastModified;
    SORTORDERSPECEX rgSortSpecs[CEDB_MAXSORTORDER];
} CEDBASEINFOEX, *PCEDBASEINFOEX;

// Mount options; accepted for the CE signature, their contents are not used.
typedef struct _CEVOLUMEOPTIONS {
    WORD wVersion;
    DWORD cbBufferSize;
    DWORD dwAutoShrinkPercent;
    DWORD dwMaxSize;
    DWORD dwFlags;
    DWORD dwDefaultTimeout;
} CEVOLUMEOPTIONS;

// Notifications
#define CEDB_EXNOTIFICATION 0x00000001
#define WM_DBNOTIFICATION 0x03FD

#define DB_CEOID_CREATED        (WM_USER + 0x1)
#define DB_CEOID_DATABASE_DELETED (WM_USER + 0x2)
#define DB_CEOID_RECORD_DELETED (WM_USER + 0x3)
#define DB_CEOID_CHANGED        (WM_USER + 0x6)

typedef struct _CENOTIFYREQUEST {
    DWORD dwSize;     // sizeof(CENOTIFYREQUEST)
    HWND hwnd;        // receives WM_DBNOTIFICATION (posted)
    DWORD dwFlags;    // CEDB_EXNOTIFICATION
    HANDLE hHeap;     // NULL: notifications are LocalAlloc'd
    DWORD dwParam;    // echoed in CENOTIFICATION.dwParam
} CENOTIFYREQUEST, *PCENOTIFYREQUEST;

typedef struct _CENOTIFICATION {
    DWORD dwSize;
    DWORD dwParam;
    UINT uType;       // DB_CEOID_*
    CEGUID guid;      // the volume
    CEOID oid;        // the record
    CEOID oidParent;  // its database
} CENOTIFICATION, *PCENOTIFICATION;

// --- Volumes ---------------------------------------------------------------------
// dwFlags: OPEN_EXISTING, OPEN_ALWAYS or CREATE_NEW.
BOOL WINAPI CeMountDBVolEx(PCEGUID pguid, LPWSTR lpszVol, CEVOLUMEOPTIONS* pOptions, DWORD dwFlags);
BOOL WINAPI CeUnmountDBVol(PCEGUID pguid);
BOOL WINAPI CeFlushDBVol(PCEGUID pguid);

// --- Databases -------------------------------------------------------------------
CEOID WINAPI CeCreateDatabaseEx2(PCEGUID pguid, CEDBASEINFOEX* pInfo);
BOOL WINAPI CeDeleteDatabaseEx(PCEGUID pguid, CEOID oid);
// Enumerates a volume's databases (dwDbaseType 0: all); the find handle is closed
// with CloseHandle.
HANDLE WINAPI CeFindFirstDatabaseEx(PCEGUID pguid, DWORD dwDbaseType);
CEOID WINAPI CeFindNextDatabaseEx(HANDLE hEnum, PCEGUID pguid);

HANDLE WINAPI CeOpenDatabaseInSession(HANDLE hSession, PCEGUID pguid, PCEOID poid, LPWSTR lpszName,
                                      SORTORDERSPECEX* pSort, DWORD dwFlags, CENOTIFYREQUEST* pRequest);

// --- Records ---------------------------------------------------------------------
CEOID WINAPI CeSeekDatabaseEx(HANDLE hDatabase, DWORD dwSeekType, DWORD dwValue, WORD wNumVals,
                              LPDWORD lpdwIndex);
CEOID WINAPI CeReadRecordPropsEx(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID,
                                 LPBYTE* lplpBuffer, LPDWORD lpcbBuffer, HANDLE hHeap);
CEOID WINAPI CeWriteRecordProps(HANDLE hDbase, CEOID oidRecord, WORD cPropID, CEPROPVAL* rgPropVal);
BOOL WINAPI CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord);

BOOL WINAPI CeFreeNotification(PCENOTIFYREQUEST pRequest, PCENOTIFICATION pNotify);

#ifdef __cplusplus
}  // extern "C"

// The layouts device code and its data depend on. The property values carry pointers
// (strings and blobs) and so grow in the x86-64 build; the rest holds no pointer.
CE_LAYOUT(CEGUID, 16, 16);
CE_LAYOUT(CEBLOB, 8, 16);
CE_LAYOUT(CEVALUNION, 8, 16);
CE_LAYOUT(CEPROPVAL, 16, 24);
CE_OFFSET(CEPROPVAL, val, 8, 8);
CE_LAYOUT(CENOTIFYREQUEST, 20, 40);
CE_LAYOUT(CENOTIFICATION, 36, 36);
CE_LAYOUT(SORTORDERSPEC, 8, 8);
CE_LAYOUT(SORTORDERSPECEX, 8 + 8 * CEDB_MAXSORTPROP, 8 + 8 * CEDB_MAXSORTPROP);
CE_LAYOUT(CEDBASEINFOEX, 92 + CEDB_MAXSORTORDER * sizeof(SORTORDERSPECEX),
          92 + CEDB_MAXSORTORDER * sizeof(SORTORDERSPECEX));
#endif
