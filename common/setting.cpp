#include "setting.h"

#include <cstring>

void CNumericSetting::Load(SettingStore& store) {
    uint32_t v;
    value_ = store.ReadNumber(key(), name(), &v) ? v : def_;
    dirty_ = false;
}

bool CNumericSetting::Save(SettingStore& store) {
    if (!dirty_) return true;
    const bool ok = value_ == def_ ? store.Delete(key(), name()) : store.WriteNumber(key(), name(), value_);
    if (ok) dirty_ = false;
    return ok;
}

void CStringSetting::Load(SettingStore& store) {
    CeString v;
    value_ = store.ReadString(key(), name(), &v) ? v : def_;
    dirty_ = false;
}

bool CStringSetting::Save(SettingStore& store) {
    if (!dirty_) return true;
    const bool ok = value_ == def_ ? store.Delete(key(), name()) : store.WriteString(key(), name(), value_);
    if (ok) dirty_ = false;
    return ok;
}

bool MemorySettingStore::ReadNumber(int key, const CeString& name, uint32_t* out) {
    auto it = values_.find({key, name.str()});
    if (it == values_.end() || it->second.isString) return false;
    *out = it->second.number;
    return true;
}

bool MemorySettingStore::ReadString(int key, const CeString& name, CeString* out) {
    auto it = values_.find({key, name.str()});
    if (it == values_.end() || !it->second.isString) return false;
    *out = it->second.text;
    return true;
}

bool MemorySettingStore::WriteNumber(int key, const CeString& name, uint32_t value) {
    values_[{key, name.str()}] = Value{false, value, CeString()};
    return true;
}

bool MemorySettingStore::WriteString(int key, const CeString& name, const CeString& value) {
    values_[{key, name.str()}] = Value{true, 0, value};
    return true;
}

bool MemorySettingStore::Delete(int key, const CeString& name) {
    values_.erase({key, name.str()});
    return true;
}

CeString StringFromValueBuffer(const void* buffer, size_t bytes) {
    const size_t units = bytes / sizeof(CeChar);
    CeStd text(units, 0);
    if (units) std::memcpy(&text[0], buffer, units * sizeof(CeChar));
    size_t n = 0;
    while (n < units && text[n]) ++n;
    return CeString(text.data(), n);
}
