// SettingStore over the registry: a root path and up to four sub-keys, selected by a
// setting's key number. Keys are created on first use, as the device's settings
// code does with RegCreateKeyEx.
#pragma once
#include <windows.h>

#include <vector>

#include "setting.h"

class RegistrySettingStore : public SettingStore {
public:
    // paths[k] is the full path of key k under root.
    RegistrySettingStore(HKEY root, std::vector<CeString> paths) : root_(root), paths_(std::move(paths)) {}

    bool ReadNumber(int key, const CeString& name, uint32_t* out) override;
    bool ReadString(int key, const CeString& name, CeString* out) override;
    bool WriteNumber(int key, const CeString& name, uint32_t value) override;
    bool WriteString(int key, const CeString& name, const CeString& value) override;
    bool Delete(int key, const CeString& name) override;

    // The size of the buffer a string value is read into, as on the device: longer
    // values fall back to their defaults.
    static constexpr DWORD kStringBufferBytes = 520;

private:
    HKEY Open(int key, REGSAM access) const;

    HKEY root_;
    std::vector<CeString> paths_;
};
