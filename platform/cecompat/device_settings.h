// Reading the device stand-in's own settings (HKLM\Software\CeSim).
#pragma once
#include <windows.h>

#include <string>

namespace cesim {

bool ReadDeviceDword(const wchar_t* name, DWORD* out);
bool ReadDeviceString(const wchar_t* name, std::wstring* out);
bool ReadDeviceBinary(const wchar_t* name, void* buf, DWORD size);  // exactly size bytes

}  // namespace cesim
