#include "registry_store.h"

#include "raii.h"

HKEY RegistrySettingStore::Open(int key, REGSAM access) const {
    if (key < 0 || size_t(key) >= paths_.size()) return nullptr;
    HKEY h = nullptr;
    if (RegCreateKeyExW(root_, paths_[size_t(key)].c_str(), 0, nullptr, 0, access, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return nullptr;
    return h;
}

bool RegistrySettingStore::ReadNumber(int key, const CeString& name, uint32_t* out) {
    raii::Key k(Open(key, KEY_READ));
    if (!k) return false;
    DWORD type = 0, v = 0, size = sizeof v;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof v)
        return false;
    *out = v;
    return true;
}

bool RegistrySettingStore::ReadString(int key, const CeString& name, CeString* out) {
    raii::Key k(Open(key, KEY_READ));
    if (!k) return false;
    BYTE buf[kStringBufferBytes] = {};
    DWORD type = 0, size = sizeof buf;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, buf, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    // The value may fill the buffer with no terminator of its own.
    *out = StringFromValueBuffer(buf, size);
    return true;
}

bool RegistrySettingStore::WriteNumber(int key, const CeString& name, uint32_t value) {
    raii::Key k(Open(key, KEY_WRITE));
    DWORD v = value;
    return k && RegSetValueExW(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
                    ERROR_SUCCESS;
}

bool RegistrySettingStore::WriteString(int key, const CeString& name, const CeString& value) {
    raii::Key k(Open(key, KEY_WRITE));
    return k && RegSetValueExW(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               DWORD((value.length() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegistrySettingStore::Delete(int key, const CeString& name) {
    raii::Key k(Open(key, KEY_WRITE));
    if (!k) return false;
    const LONG r = RegDeleteValueW(k.get(), name.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}
