#include "device_settings.h"

#include "cesim.h"
#include "reg.h"

namespace cesim {

bool ReadDeviceDword(const wchar_t* name, DWORD* out) {
    return reg::HasDword(HKEY_LOCAL_MACHINE, CESIM_KEY, name, out);
}

bool ReadDeviceString(const wchar_t* name, std::wstring* out) {
    return reg::HasString(HKEY_LOCAL_MACHINE, CESIM_KEY, name, out);
}

bool ReadDeviceBinary(const wchar_t* name, void* buf, DWORD size) {
    return reg::Binary(HKEY_LOCAL_MACHINE, CESIM_KEY, name, buf, size);
}

}  // namespace cesim
