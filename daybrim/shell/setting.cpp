#include "setting.h"

#include <vector>

#include "raii.h"

namespace daybrim {

namespace {

struct Root {
    HKEY key;
    const wchar_t* path;
};

const Root kRoots[kRootCount] = {
    {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\today\\items\\Daybrim"},
    {HKEY_CURRENT_USER, L"Software\\WebIS\\PocketInformant"},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Developer One, Inc.\\Agenda Fusion"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\Calendar"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\Tasks"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\Notes"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\Contacts"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\Messages"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\SEvents"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\Fonts"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\Colors"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\CustomPIM"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\TabSettings"},
    {HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\Categories"},
};

// A key this code opened itself, flushed before it is closed so that the
// settings program sees a write at once.
class OwnKey {
public:
    OwnKey(HKEY given, int rootIndex, bool create) : key_(given) {
        if (!key_) {
            own_.reset(OpenRoot(rootIndex, create));
            key_ = own_.get();
        }
    }
    ~OwnKey() {
        if (own_) RegFlushKey(own_.get());
    }
    HKEY get() const { return key_; }

private:
    HKEY key_;
    raii::Key own_;
};

}  // namespace

HKEY RootKey(int i) { return i >= 0 && i < kRootCount ? kRoots[i].key : nullptr; }
const wchar_t* RootPath(int i) { return i >= 0 && i < kRootCount ? kRoots[i].path : nullptr; }

HKEY OpenRoot(int i, bool create) {
    if (i < 0 || i >= kRootCount) return nullptr;
    HKEY key = nullptr;
    LONG rc = create ? RegCreateKeyExW(kRoots[i].key, kRoots[i].path, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                       &key, nullptr)
                     : RegOpenKeyExW(kRoots[i].key, kRoots[i].path, 0, KEY_READ, &key);
    return rc == ERROR_SUCCESS ? key : nullptr;
}

DWORD CNumericSetting::Read(HKEY key, DWORD def, const std::wstring& name, int rootIndex) {
    Bind(name, rootIndex);
    default_ = def;
    value_ = def;
    OwnKey k(key, rootIndex, false);
    if (!k.get()) return value_;
    DWORD v = 0, type = 0, size = sizeof v;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof v)
        value_ = v;
    return value_;
}

// A value equal to its default is deleted rather than written, so that a later
// change of the default reaches every device that never chose otherwise.
bool CBaseSetting::Store(HKEY key, bool isDefault, DWORD type, const BYTE* data, DWORD size) {
    if (!dirty_) return true;
    OwnKey k(key, root_, true);
    if (!k.get()) return false;
    LONG rc;
    if (isDefault) {
        rc = RegDeleteValueW(k.get(), name_.c_str());
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
    } else {
        rc = RegSetValueExW(k.get(), name_.c_str(), 0, type, data, size);
    }
    if (rc != ERROR_SUCCESS) return false;
    dirty_ = false;
    return true;
}

bool CNumericSetting::Write(HKEY key) {
    return Store(key, value_ == default_, REG_DWORD, reinterpret_cast<const BYTE*>(&value_), sizeof value_);
}

const std::wstring& CStringSetting::Read(HKEY key, const std::wstring& name, const std::wstring& def,
                                         int rootIndex) {
    Bind(name, rootIndex);
    default_ = def;
    value_ = def;
    OwnKey k(key, rootIndex, false);
    if (!k.get()) return value_;
    wchar_t buf[kMaxChars + 1];
    DWORD type = 0, size = sizeof buf;
    if (RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return value_;  // missing, too long (ERROR_MORE_DATA) or not text
    size_t n = size / sizeof(wchar_t);
    while (n > 0 && buf[n - 1] == 0) --n;  // stored with or without its terminator
    if (n > kMaxChars) return value_;
    value_.assign(buf, n);
    return value_;
}

bool CStringSetting::Write(HKEY key) {
    return Store(key, value_ == default_, REG_SZ, reinterpret_cast<const BYTE*>(value_.c_str()),
                 DWORD((value_.size() + 1) * sizeof(wchar_t)));
}

void CFontSetting::Read(HKEY key, const std::wstring& name, DWORD weightDefault, DWORD strikeOutDefault,
                        int heightDefault, const std::wstring& face, bool clearType) {
    Bind(name, kRootFonts);
    lfWeight.Read(key, weightDefault, name + L"lfWeight", kRootFonts);
    lfItalic.Read(key, 0, name + L"lfItalic", kRootFonts);
    lfUnderline.Read(key, 0, name + L"lfUnderline", kRootFonts);
    lfStrikeOut.Read(key, strikeOutDefault, name + L"lfStrikeOut", kRootFonts);
    lfHeight.Read(key, DWORD(heightDefault), name + L"lfHeight", kRootFonts);
    lfColor.Read(key, 0xFFFFFFFF, name + L"lfColor", kRootFonts);
    lf_ = LOGFONTW();
    lf_.lfHeight = lfHeight.Int();
    lf_.lfWeight = lfWeight.Int();
    lf_.lfItalic = BYTE(lfItalic.value() != 0);
    lf_.lfUnderline = BYTE(lfUnderline.value() != 0);
    lf_.lfStrikeOut = BYTE(lfStrikeOut.value() != 0);
    lf_.lfQuality = clearType ? CLEARTYPE_QUALITY : 0;
    lstrcpynW(lf_.lfFaceName, face.c_str(), LF_FACESIZE);
}

}  // namespace daybrim
