// Reading and writing single registry values, with the safeguards every caller
// needs: the type is checked, strings are always terminated, failures give the
// fallback. Header-only.
#pragma once
#include <windows.h>

#include <string>

#include "raii.h"

namespace reg {

// path may be null to read from `key` itself.
inline bool Query(HKEY key, const wchar_t* path, const wchar_t* name, DWORD want, void* buf, DWORD* size) {
    raii::Key sub;
    if (path) {
        if (RegOpenKeyExW(key, path, 0, KEY_READ, sub.out()) != ERROR_SUCCESS) return false;
        key = sub.get();
    }
    DWORD type = 0;
    return RegQueryValueExW(key, name, nullptr, &type, static_cast<BYTE*>(buf), size) == ERROR_SUCCESS &&
           type == want;
}

inline DWORD Dword(HKEY key, const wchar_t* path, const wchar_t* name, DWORD fallback) {
    DWORD v = 0, size = sizeof v;
    return Query(key, path, name, REG_DWORD, &v, &size) && size == sizeof v ? v : fallback;
}

inline bool HasDword(HKEY key, const wchar_t* path, const wchar_t* name, DWORD* out) {
    DWORD v = 0, size = sizeof v;
    if (!Query(key, path, name, REG_DWORD, &v, &size) || size != sizeof v) return false;
    *out = v;
    return true;
}

// Strings longer than MAX_PATH characters give the fallback rather than a cut-off value.
inline std::wstring String(HKEY key, const wchar_t* path, const wchar_t* name, const std::wstring& fallback = {}) {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    if (!Query(key, path, name, REG_SZ, buf, &size)) return fallback;
    buf[size / sizeof(wchar_t)] = 0;  // a stored value need not be terminated
    return buf;
}

inline bool HasString(HKEY key, const wchar_t* path, const wchar_t* name, std::wstring* out) {
    wchar_t buf[MAX_PATH + 1] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    if (!Query(key, path, name, REG_SZ, buf, &size)) return false;
    buf[size / sizeof(wchar_t)] = 0;
    *out = buf;
    return true;
}

// Exactly `size` bytes of a binary value.
inline bool Binary(HKEY key, const wchar_t* path, const wchar_t* name, void* buf, DWORD size) {
    DWORD got = size;
    return Query(key, path, name, REG_BINARY, buf, &got) && got == size;
}

inline bool SetDword(HKEY key, const wchar_t* path, const wchar_t* name, DWORD v) {
    raii::Key sub;
    if (RegCreateKeyExW(key, path, 0, nullptr, 0, KEY_WRITE, nullptr, sub.out(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(sub.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
           ERROR_SUCCESS;
}

inline bool SetString(HKEY key, const wchar_t* path, const wchar_t* name, const std::wstring& v) {
    raii::Key sub;
    if (RegCreateKeyExW(key, path, 0, nullptr, 0, KEY_WRITE, nullptr, sub.out(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(sub.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                          DWORD((v.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace reg
