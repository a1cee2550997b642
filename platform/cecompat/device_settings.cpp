#include "device_settings.h"

#include "cesim.h"

namespace cesim {

namespace {

// Reads one value of the device key; false when the key or value is missing or
// its type is not the one wanted.
bool Query(const wchar_t* name, DWORD wantType, BYTE* buf, DWORD* size) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, buf, size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == wantType;
}

}  // namespace

bool ReadDeviceDword(const wchar_t* name, DWORD* out) {
    DWORD v = 0, size = sizeof v;
    if (!Query(name, REG_DWORD, reinterpret_cast<BYTE*>(&v), &size) || size != sizeof v) return false;
    *out = v;
    return true;
}

bool ReadDeviceString(const wchar_t* name, std::wstring* out) {
    wchar_t buf[128] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    if (!Query(name, REG_SZ, reinterpret_cast<BYTE*>(buf), &size)) return false;
    buf[size / sizeof(wchar_t)] = 0;
    *out = buf;
    return true;
}

bool ReadDeviceBinary(const wchar_t* name, void* buf, DWORD size) {
    DWORD got = size;
    return Query(name, REG_BINARY, static_cast<BYTE*>(buf), &got) && got == size;
}

}  // namespace cesim
