// The setting classes the contact finder and its menu extension share: one object
// per registry value, with its default. A value equal to its default is deleted from
// the store instead of written, so that a later change of default reaches users who
// never touched the value.
//
// Where the values live is a SettingStore: the registry on the device
// (registry_store.h), memory in tests.
//
// The Today item has classes of the same names in namespace daybrim
// (daybrim/shell/setting.h), over the registry directly: its values span fifteen
// keys in two hives and tab sub-keys found at load time, with defaults computed
// then; that file says why it does not use a SettingStore.
#pragma once
#include <cstdint>
#include <map>
#include <utility>

#include "ce_string.h"

class SettingStore {
public:
    virtual ~SettingStore() = default;
    // key: the caller's selector of one of its registry keys (0-3).
    virtual bool ReadNumber(int key, const CeString& name, uint32_t* out) = 0;
    virtual bool ReadString(int key, const CeString& name, CeString* out) = 0;
    virtual bool WriteNumber(int key, const CeString& name, uint32_t value) = 0;
    virtual bool WriteString(int key, const CeString& name, const CeString& value) = 0;
    // Deleting a value that is not there succeeds.
    virtual bool Delete(int key, const CeString& name) = 0;
};

class CBaseSetting {
public:
    CBaseSetting(const CeChar* name, int key) : name_(name), key_(key) {}
    virtual ~CBaseSetting() = default;
    virtual void Load(SettingStore& store) = 0;
    // Writes the value when it changed since Load; true when nothing failed.
    virtual bool Save(SettingStore& store) = 0;

    const CeString& name() const { return name_; }
    int key() const { return key_; }
    bool dirty() const { return dirty_; }

protected:
    bool dirty_ = false;

private:
    CeString name_;
    int key_;
};

class CNumericSetting : public CBaseSetting {
public:
    CNumericSetting(const CeChar* name, int key, uint32_t def) : CBaseSetting(name, key), value_(def), def_(def) {}
    void Load(SettingStore& store) override;
    bool Save(SettingStore& store) override;
    uint32_t Get() const { return value_; }
    uint32_t Default() const { return def_; }
    void Set(uint32_t v) {
        value_ = v;
        dirty_ = true;
    }

private:
    uint32_t value_, def_;
};

class CStringSetting : public CBaseSetting {
public:
    CStringSetting(const CeChar* name, int key, const CeChar* def) : CBaseSetting(name, key), value_(def), def_(def) {}
    void Load(SettingStore& store) override;
    bool Save(SettingStore& store) override;
    const CeString& Get() const { return value_; }
    const CeString& Default() const { return def_; }
    void Set(const CeString& v) {
        value_ = v;
        dirty_ = true;
    }

private:
    CeString value_, def_;
};

// Values in memory, for tests and for tools that only compute with settings.
class MemorySettingStore : public SettingStore {
public:
    bool ReadNumber(int key, const CeString& name, uint32_t* out) override;
    bool ReadString(int key, const CeString& name, CeString* out) override;
    bool WriteNumber(int key, const CeString& name, uint32_t value) override;
    bool WriteString(int key, const CeString& name, const CeString& value) override;
    bool Delete(int key, const CeString& name) override;
    bool Has(int key, const CeString& name) const { return values_.count({key, name.str()}) != 0; }

private:
    struct Value {
        bool isString;
        uint32_t number;
        CeString text;
    };
    std::map<std::pair<int, CeStd>, Value> values_;
};

// A string value as read into a fixed buffer of `bytes` bytes: up to its first
// terminator or the buffer's end, whichever comes first. A stored REG_SZ need not be
// terminated, and one that fills the buffer exactly leaves no room for one.
CeString StringFromValueBuffer(const void* buffer, size_t bytes);
