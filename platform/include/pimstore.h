// Pocket Outlook's object model (pimstore.dll), as device code sees it: the
// application object, its folders and the appointment, task and contact items.
// Implemented by platform/pimstore over the PIM databases of "\pim.vol".
//
// Conventions of this object model:
//  - Dates are OLE automation DATEs in the device's local time; 949998.0
//    (4501-01-01) means "no date" (tasks' start, due and completion dates).
//  - An item is found by its object identifier (its "oid"): the record's RECID
//    plus 0x40000000 for an appointment, minus 0x40000000 for a task, plus
//    0x80000000 for a contact (32-bit wrap), so the high word tells the kind.
//  - Property puts change the item in memory; Save writes the record, Delete
//    removes it. A stale or unknown identifier gives an error HRESULT and a null
//    item, never a half-usable object.
//  - Categories are one string, names separated by commas ("Business, Family").
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <objbase.h>

#include "ce_layout.h"
#include "windbase.h"

// --- Identifiers ----------------------------------------------------------------
// The application class and its second interface are the ones callers create.
// {05058F23-20BE-11D2-8F18-0000F87A4335}
static const CLSID CLSID_Application = {0x05058F23, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
// {AF7D0DC7-3D35-424B-AA60-27A38B8B629E}
static const IID IID_IPOutlookApp2 = {0xAF7D0DC7, 0x3D35, 0x424B, {0xAA, 0x60, 0x27, 0xA3, 0x8B, 0x8B, 0x62, 0x9E}};
// This stand-in's own identifiers for the other interfaces.
static const IID IID_IPOutlookApp = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x01}};
static const IID IID_IFolder = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x02}};
static const IID IID_IPOutlookItemCollection = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x03}};
static const IID IID_IAppointment = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x04}};
static const IID IID_ITask = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x05}};
static const IID IID_IContact = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x06}};
static const IID IID_IRecurrencePattern = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x07}};
static const IID IID_IExceptions = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x08}};
static const IID IID_IException = {0x6A7E3C10, 0x51B2, 0x4C8E, {0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x09}};

// --- Constants ------------------------------------------------------------------
enum OlItemType { olAppointmentItem = 1, olContactItem = 2, olTaskItem = 3 };
enum OlDefaultFolders { olFolderCalendar = 9, olFolderContacts = 10, olFolderTasks = 13 };
enum OlBusyStatus { olFree = 0, olTentative = 1, olBusy = 2, olOutOfOffice = 3 };
enum OlSensitivity { olNormal = 0, olPersonal = 1, olPrivate = 2, olConfidential = 3 };
enum OlImportance { olImportanceLow = 0, olImportanceNormal = 1, olImportanceHigh = 2 };
enum OlRecurrenceType {
    olRecursDaily = 0, olRecursWeekly = 1, olRecursMonthly = 2, olRecursMonthNth = 3,
    olRecursYearly = 5, olRecursYearNth = 6,
};

// GetIDsFromNames: ulFlags is a CEVT_* type, optionally with PIM_CREATE, which
// creates a name not seen before. A name that is not known (and not created) gets
// PIM_INVALIDID in its slot. Ids are CEPROPIDs: the name's number in the high word
// (0x8000 and up), the type in the low word.
#define PIM_CREATE    0x00010000
#define PIM_INVALIDID 0xFFFF0002

// The "no date" DATE.
#define PIM_NODATE 949998.0

// --- Interfaces -----------------------------------------------------------------
struct IFolder;
struct IPOutlookItemCollection;
struct IAppointment;
struct ITask;
struct IContact;
struct IRecurrencePattern;
struct IExceptions;
struct IException;

struct IPOutlookApp : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Logon(long hWnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE Logoff() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR* pVersion) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultFolder(int olFolder, IFolder** ppFolder) = 0;
    // A new, unsaved item of an OlItemType.
    virtual HRESULT STDMETHODCALLTYPE CreateItem(int olItem, IDispatch** ppItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemFromOid(long oid, IDispatch** ppItem) = 0;
};

struct IPOutlookApp2 : public IPOutlookApp {
    virtual HRESULT STDMETHODCALLTYPE GetIDsFromNames(int cPropNames, const LPCWSTR* rgszPropNames,
                                                      ULONG ulFlags, CEPROPID* rgPropIDs) = 0;
};

struct IFolder : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_DefaultItemType(int* pType) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection** ppItems) = 0;
};

// The items of a folder, in store order; Item counts from 1.
struct IPOutlookItemCollection : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(int* pCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(int iIndex, IDispatch** ppItem) = 0;
    virtual HRESULT STDMETHODCALLTYPE Add(IDispatch** ppItem) = 0;
};

struct IAppointment : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Oid(long* pOid) = 0;  // 0 before the first Save
    virtual HRESULT STDMETHODCALLTYPE get_Subject(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Subject(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Location(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Location(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Body(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Body(BSTR v) = 0;
    // Setting the start keeps the duration; setting the end changes it.
    virtual HRESULT STDMETHODCALLTYPE get_Start(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Start(DATE v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_End(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_End(DATE v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Duration(long* pMinutes) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Duration(long minutes) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AllDayEvent(VARIANT_BOOL* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AllDayEvent(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BusyStatus(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BusyStatus(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Sensitivity(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Sensitivity(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReminderSet(VARIANT_BOOL* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReminderSet(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReminderMinutesBeforeStart(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReminderMinutesBeforeStart(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Categories(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Categories(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRecurring(VARIANT_BOOL* p) = 0;
    // Fails for an appointment that does not recur, and for an occurrence.
    virtual HRESULT STDMETHODCALLTYPE GetRecurrencePattern(IRecurrencePattern** pp) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save() = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete() = 0;
};

struct ITask : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Oid(long* pOid) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Subject(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Subject(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Body(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Body(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StartDate(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_StartDate(DATE v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DueDate(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DueDate(DATE v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Complete(VARIANT_BOOL* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Complete(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DateCompleted(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DateCompleted(DATE v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Importance(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Importance(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Sensitivity(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Sensitivity(long v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReminderSet(VARIANT_BOOL* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReminderSet(VARIANT_BOOL v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReminderTime(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReminderTime(DATE v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Categories(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Categories(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRecurring(VARIANT_BOOL* p) = 0;
    // Moves a recurring task on to its next occurrence and saves it.
    virtual HRESULT STDMETHODCALLTYPE SkipRecurrence() = 0;
    virtual HRESULT STDMETHODCALLTYPE Save() = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete() = 0;
};

struct IContact : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Oid(long* pOid) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FileAs(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FileAs(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FirstName(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastName(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_LastName(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CompanyName(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CompanyName(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Body(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Body(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MobileTelephoneNumber(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MobileTelephoneNumber(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BusinessTelephoneNumber(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BusinessTelephoneNumber(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HomeTelephoneNumber(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HomeTelephoneNumber(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Email1Address(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Email1Address(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Birthday(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Birthday(DATE v) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Categories(BSTR* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Categories(BSTR v) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save() = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete() = 0;
};

// The pattern of a recurring appointment (read-only; its occurrences are changed
// through GetOccurrence).
struct IRecurrencePattern : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_RecurrenceType(long* p) = 0;  // OlRecurrenceType
    virtual HRESULT STDMETHODCALLTYPE get_Interval(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DayOfWeekMask(long* p) = 0;  // bit 0 Sunday
    virtual HRESULT STDMETHODCALLTYPE get_DayOfMonth(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Instance(long* p) = 0;      // week 1..4, 5 last
    virtual HRESULT STDMETHODCALLTYPE get_PatternStartDate(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PatternEndDate(DATE* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NoEndDate(VARIANT_BOOL* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Occurrences(long* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Exceptions(IExceptions** pp) = 0;
    // The occurrence that starts on the day of `date` (device local time): an
    // appointment whose Save changes only that occurrence and whose Delete removes
    // only it. Fails, with a null item, when none starts that day.
    virtual HRESULT STDMETHODCALLTYPE GetOccurrence(DATE date, IAppointment** pp) = 0;
};

// The occurrences of a pattern that were removed or changed; Item counts from 1.
struct IExceptions : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(int* p) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(int iIndex, IException** pp) = 0;
};

struct IException : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_OriginalDate(DATE* p) = 0;  // the day it replaced
    virtual HRESULT STDMETHODCALLTYPE get_Deleted(VARIANT_BOOL* p) = 0;
    // The changed occurrence; fails for a deleted one.
    virtual HRESULT STDMETHODCALLTYPE get_AppointmentItem(IAppointment** pp) = 0;
};

// --- Pocket Outlook's menu-extension protocol ----------------------------------
// Context-menu extensions (IContextMenu + IObjectWithSite in-process servers) are
// registered as sub-keys named by their CLSID under
//   HKLM\SOFTWARE\Microsoft\Shell\Extensions\ContextMenus\<Contacts|Calendar|Tasks>\<menu>
// (<menu> "Main_ContextMenu" or "Main_Menu"). Their site is an IDataObject that
// answers GetData for the clipboard format registered as "ItemRefArray" with
// TYMED_HGLOBAL: a LocalAlloc'd ITEMREFARRAY that the extension frees.
// Verbs go through GetCommandString and CMINVOKECOMMANDINFO.lpVerb as wide
// strings despite the narrow parameter types.
#define PIM_CONTEXTMENUS_KEY L"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus"
#define PIM_CF_ITEMREFARRAY  L"ItemRefArray"

// {18103FDF-CAEC-42EB-90E7-1C76D6E60D24}: the item type named in an ItemRefArray.
static const GUID GUID_PimItemRef = {0x18103FDF, 0xCAEC, 0x42EB, {0x90, 0xE7, 0x1C, 0x76, 0xD6, 0xE6, 0x0D, 0x24}};

// One selected item (the only count the hosts hand out).
typedef struct _ITEMREFARRAY {
    DWORD cItems;           // 1
    const GUID* pguidType;  // GUID_PimItemRef
    DWORD oid;              // the item's object identifier
} ITEMREFARRAY;

// Older add-ins export this; they are registered under
// HKLM\Software\Microsoft\PimApps\PimExtensions\<Contacts|Calendar|Tasks>\AddIns\<name>
// with the values "DLL" and "Menu".
// kind: 0 Contacts, 1 Calendar, 2 Tasks; rgOids holds cItems object identifiers.
typedef HRESULT(WINAPI* PFN_CEPIMCOMMAND)(HWND hwnd, int kind, UINT cItems, HANDLE* rgOids, void* reserved);

// __uuidof for each interface, as the SDK's uuid attributes give it.
#if defined(__cplusplus) && defined(__CRT_UUID_DECL)
__CRT_UUID_DECL(IPOutlookApp, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x01)
__CRT_UUID_DECL(IPOutlookApp2, 0xAF7D0DC7, 0x3D35, 0x424B, 0xAA, 0x60, 0x27, 0xA3, 0x8B, 0x8B, 0x62, 0x9E)
__CRT_UUID_DECL(IFolder, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x02)
__CRT_UUID_DECL(IPOutlookItemCollection, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x03)
__CRT_UUID_DECL(IAppointment, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x04)
__CRT_UUID_DECL(ITask, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x05)
__CRT_UUID_DECL(IContact, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x06)
__CRT_UUID_DECL(IRecurrencePattern, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x07)
__CRT_UUID_DECL(IExceptions, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x08)
__CRT_UUID_DECL(IException, 0x6A7E3C10, 0x51B2, 0x4C8E, 0x9D, 0x41, 0x0B, 0x5E, 0x2F, 0x71, 0xA0, 0x09)
#endif

#ifdef __cplusplus
CE_LAYOUT(ITEMREFARRAY, 12, 24);
CE_OFFSET(ITEMREFARRAY, oid, 8, 16);
#endif
