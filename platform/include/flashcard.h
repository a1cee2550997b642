// Storage cards of the device stand-in. A card is a folder at the device root
// ("\Storage Card") while it is inserted; removing it parks the folder, with
// everything on it, under "\CeSim\Cards\", so that its paths stop resolving the
// way they do when a real card is pulled, and inserting it brings it back.
// The cards the device knows are the values of HKLM\Software\CeSim\StorageCards
// (REG_DWORD: 1 inserted, 0 removed).
//
// The notes library (note_prj.dll) enumerates the inserted cards through its
// exports 7 and 8; the handle is a find handle, closed with FindClose.
#pragma once
#include <windows.h>

#define CESIM_CARDS_KEY L"Software\\CeSim\\StorageCards"
#define CESIM_CARDS_PARK L"\\CeSim\\Cards"

#ifdef __cplusplus
extern "C" {
#endif
typedef HANDLE(WINAPI* PFN_FindFirstFlashCard)(WIN32_FIND_DATAW* found);
typedef BOOL(WINAPI* PFN_FindNextFlashCard)(HANDLE find, WIN32_FIND_DATAW* found);

HANDLE WINAPI FindFirstFlashCard(WIN32_FIND_DATAW* found);
BOOL WINAPI FindNextFlashCard(HANDLE find, WIN32_FIND_DATAW* found);

// Device control, for tests and tools. A name is a plain folder name (no "\").
// Insert creates an empty card the first time; both return FALSE on a bad name
// or when the folder cannot be moved (a file of that name is in the way).
BOOL WINAPI CeSim_InsertStorageCard(const wchar_t* name);
BOOL WINAPI CeSim_RemoveStorageCard(const wchar_t* name);
BOOL WINAPI CeSim_IsStorageCardInserted(const wchar_t* name);
#ifdef __cplusplus
}
#endif
