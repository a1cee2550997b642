// The setting classes: one registry value each, with its default, its root key
// and whether it was changed in memory since it was read.
//
// common/setting.h has classes of the same names for the finder and its menu
// extension, over a SettingStore. The item keeps its own: it reads some four hundred
// values from fifteen keys in two hives (other programs' keys among them), opening
// each group's key once for all its values; it walks the tab sub-keys it finds; and
// its defaults are computed at load time from the screen and the locale. A
// SettingStore addresses a few keys of one root by number and takes its defaults at
// construction. This namespace keeps the names apart.
#pragma once
#include <windows.h>

#include <string>

namespace daybrim {

// Where a setting lives: the index into the root table (setting.cpp).
enum RootIndex {
    kRootTodayItem = 0,      // HKLM Software\Microsoft\today\items\Daybrim
    kRootPocketInformant,    // HKCU Software\WebIS\PocketInformant
    kRootAgendaFusion,       // HKLM SOFTWARE\Developer One, Inc.\Agenda Fusion
    kRootGeneral,            // HKCU Software\Olvane\Daybrim
    kRootCalendar,
    kRootTasks,
    kRootNotes,
    kRootContacts,
    kRootMessages,
    kRootSEvents,
    kRootFonts,
    kRootColors,
    kRootCustomPim,
    kRootTabSettings,
    kRootCategories,
    kRootCount
};

HKEY RootKey(int rootIndex);
const wchar_t* RootPath(int rootIndex);  // null for an index out of range
// Opens the key of a root index, for reading only unless `create` (which creates it
// when absent, for a write); null when it cannot.
HKEY OpenRoot(int rootIndex, bool create);

class CBaseSetting {
public:
    virtual ~CBaseSetting() = default;
    // Names the value and clears the dirty flag.
    virtual void Bind(const std::wstring& name, int rootIndex) {
        name_ = name;
        root_ = rootIndex;
        dirty_ = false;
    }
    const std::wstring& name() const { return name_; }
    int root() const { return root_; }
    bool dirty() const { return dirty_; }

protected:
    // Writes the value when dirty (deleting it when it equals its default).
    bool Store(HKEY key, bool isDefault, DWORD type, const BYTE* data, DWORD size);

    bool dirty_ = false;
    std::wstring name_;
    int root_ = kRootGeneral;
};

class CNumericSetting : public CBaseSetting {
public:
    // Reads the value from `key` (or from its root key when null); a missing value,
    // or one that is not a REG_DWORD, gives the default. Reading never creates a
    // key: only a write does.
    DWORD Read(HKEY key, DWORD def, const std::wstring& name, int rootIndex);
    void Set(DWORD v) {
        value_ = v;
        dirty_ = true;
    }
    // Writes a changed value; one equal to its default is deleted instead.
    // False when the key could not be opened or the registry refused.
    bool Write(HKEY key = nullptr);

    DWORD value() const { return value_; }
    DWORD def() const { return default_; }
    int Int() const { return static_cast<int>(value_); }
    operator DWORD() const { return value_; }

private:
    DWORD value_ = 0;
    DWORD default_ = 0;
};

class CStringSetting : public CBaseSetting {
public:
    static const size_t kMaxChars = 259;  // read through a 260-character buffer

    // A value longer than kMaxChars, or not a string, is not read: the default is
    // used. The default is taken verbatim (it may be a path with any characters).
    const std::wstring& Read(HKEY key, const std::wstring& name, const std::wstring& def, int rootIndex);
    void Set(const std::wstring& v) {
        value_ = v;
        dirty_ = true;
    }
    bool Write(HKEY key = nullptr);

    const std::wstring& value() const { return value_; }
    const std::wstring& def() const { return default_; }
    const wchar_t* c_str() const { return value_.c_str(); }
    bool empty() const { return value_.empty(); }

private:
    std::wstring value_;
    std::wstring default_;
};

class CFontSetting : public CBaseSetting {
public:
    // Reads <name>lfWeight, lfItalic, lfUnderline, lfStrikeOut, lfHeight and lfColor
    // and builds the LOGFONTW.
    void Read(HKEY key, const std::wstring& name, DWORD weightDefault, DWORD strikeOutDefault, int heightDefault,
              const std::wstring& face, bool clearType);
    const LOGFONTW& logfont() const { return lf_; }
    COLORREF color() const { return lfColor.value(); }  // 0xFFFFFFFF: the general colour

    CNumericSetting lfWeight, lfItalic, lfUnderline, lfStrikeOut, lfHeight, lfColor;

private:
    LOGFONTW lf_ = {};
};

}  // namespace daybrim
