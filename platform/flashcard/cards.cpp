// The storage-card stand-in: see flashcard.h.
#include <windows.h>

#include <string>

#include "flashcard.h"

namespace {

bool ValidName(const wchar_t* name) {
    if (!name || !*name) return false;
    const std::wstring n(name);
    if (n.size() >= MAX_PATH - 20 || n == L"." || n == L"..") return false;
    return n.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}

std::wstring RootPath(const std::wstring& name) { return L"\\" + name; }
std::wstring ParkPath(const std::wstring& name) { return std::wstring(CESIM_CARDS_PARK) + L"\\" + name; }

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MarkCard(const wchar_t* name, DWORD inserted) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, CESIM_CARDS_KEY, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr))
        return false;
    const bool ok = !RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&inserted), sizeof inserted);
    RegCloseKey(key);
    return ok;
}

bool MarkedInserted(const wchar_t* name) {
    DWORD v = 0, size = sizeof v, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, CESIM_CARDS_KEY, 0, KEY_QUERY_VALUE, &key)) return false;
    const LONG r = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD && v == 1;
}

// A root folder is a card while the device knows it as inserted.
bool IsCardEntry(const WIN32_FIND_DATAW& fd) {
    return (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && fd.cFileName[0] != L'.' &&
           MarkedInserted(fd.cFileName);
}

}  // namespace

extern "C" {

BOOL WINAPI CeSim_IsStorageCardInserted(const wchar_t* name) {
    return ValidName(name) && MarkedInserted(name) && IsFolder(RootPath(name));
}

BOOL WINAPI CeSim_InsertStorageCard(const wchar_t* name) {
    if (!ValidName(name)) return FALSE;
    const std::wstring root = RootPath(name), park = ParkPath(name);
    if (!IsFolder(root)) {
        if (Exists(root)) return FALSE;  // a file holds the card's name
        if (IsFolder(park)) {
            if (!MoveFileW(park.c_str(), root.c_str())) return FALSE;
        } else if (!CreateDirectoryW(root.c_str(), nullptr)) {
            return FALSE;
        }
    }
    return MarkCard(name, 1);
}

BOOL WINAPI CeSim_RemoveStorageCard(const wchar_t* name) {
    if (!ValidName(name)) return FALSE;
    const std::wstring root = RootPath(name), park = ParkPath(name);
    if (IsFolder(root)) {
        CreateDirectoryW(L"\\CeSim", nullptr);
        CreateDirectoryW(CESIM_CARDS_PARK, nullptr);
        if (IsFolder(park) && !RemoveDirectoryW(park.c_str())) return FALSE;  // only an empty leftover
        if (!MoveFileW(root.c_str(), park.c_str())) return FALSE;
    }
    return MarkCard(name, 0);
}

HANDLE WINAPI FindFirstFlashCard(WIN32_FIND_DATAW* found) {
    if (!found) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = FindFirstFileW(L"\\*", found);
    if (h == INVALID_HANDLE_VALUE) return h;
    if (IsCardEntry(*found) || FindNextFlashCard(h, found)) return h;
    FindClose(h);
    SetLastError(ERROR_NO_MORE_FILES);
    return INVALID_HANDLE_VALUE;
}

BOOL WINAPI FindNextFlashCard(HANDLE find, WIN32_FIND_DATAW* found) {
    if (!found || find == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    while (FindNextFileW(find, found))
        if (IsCardEntry(*found)) return TRUE;
    return FALSE;
}

}  // extern "C"
