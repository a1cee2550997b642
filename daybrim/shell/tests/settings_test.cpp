// The settings store against the device registry: defaults, writes that delete
// defaults, over-long strings, the loader's corrections, system colours, the tab
// list and the font catalogue.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image_cache.h"
#include "raii.h"
#include "scale.h"
#include "settings.h"
#include "tab_types.h"

using namespace daybrim;

namespace {

const wchar_t kRoot[] = L"Software\\Olvane\\Daybrim";
const wchar_t kItem[] = L"Software\\Microsoft\\today\\items\\Daybrim";

void SetDword(HKEY root, const std::wstring& path, const wchar_t* name, DWORD v) {
    raii::Key k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr));
    RegSetValueExW(k.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

void SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& v) {
    raii::Key k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr));
    RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                   DWORD((v.size() + 1) * sizeof(wchar_t)));
}

// The value's type, or 0 when it is absent.
DWORD ValueType(const std::wstring& path, const wchar_t* name, DWORD* dword = nullptr) {
    raii::Key k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, k.out()) != ERROR_SUCCESS) return 0;
    DWORD type = 0, v = 0, size = sizeof v;
    LONG rc = RegQueryValueExW(k.get(), name, nullptr, &type, dword ? reinterpret_cast<BYTE*>(&v) : nullptr,
                               dword ? &size : nullptr);
    if (rc != ERROR_SUCCESS) return 0;
    if (dword) *dword = v;
    return type;
}

void DeleteValue(HKEY root, const wchar_t* path, const wchar_t* name) {
    raii::Key k;
    if (RegOpenKeyExW(root, path, 0, KEY_WRITE, k.out()) == ERROR_SUCCESS) RegDeleteValueW(k.get(), name);
}

// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process pointed, for the
// scope's lifetime, at two empty scratch keys: a device with nothing installed.
class EmptyRegistry {
public:
    EmptyRegistry() {
        for (int i = 0; i < 2; ++i) {
            SHDeleteKeyW(HKEY_CURRENT_USER, kScratch[i]);
            RegCreateKeyExW(HKEY_CURRENT_USER, kScratch[i], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, roots_[i].out(),
                            nullptr);
        }
        ok_ = roots_[0] && roots_[1] && RegOverridePredefKey(HKEY_CURRENT_USER, roots_[0].get()) == ERROR_SUCCESS &&
              RegOverridePredefKey(HKEY_LOCAL_MACHINE, roots_[1].get()) == ERROR_SUCCESS;
    }
    ~EmptyRegistry() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        for (raii::Key& root : roots_) root.reset();
        SHDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OlvaneTest");
    }
    bool ok() const { return ok_; }
    // Every key that has no sub-key, as "HKCU\path" or "HKLM\path".
    std::vector<std::wstring> Leaves() const {
        std::vector<std::wstring> out;
        Walk(roots_[0].get(), kHive[0], &out);
        Walk(roots_[1].get(), kHive[1], &out);
        return out;
    }

private:
    static void Walk(HKEY key, const std::wstring& path, std::vector<std::wstring>* out) {
        wchar_t name[256];
        DWORD i = 0;
        for (DWORD len = 256; RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             len = 256, ++i) {
            raii::Key sub;
            if (RegOpenKeyExW(key, name, 0, KEY_READ, sub.out()) == ERROR_SUCCESS)
                Walk(sub.get(), path + L"\\" + name, out);
        }
        if (i == 0 && path != kHive[0] && path != kHive[1]) out->push_back(path);
    }
    static constexpr const wchar_t* kScratch[2] = {L"Software\\OlvaneTest\\EmptyUser",
                                                   L"Software\\OlvaneTest\\EmptyMachine"};
    static constexpr const wchar_t* kHive[2] = {L"HKCU", L"HKLM"};
    raii::Key roots_[2];
    bool ok_ = false;
};

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
        SetForcedVga(false);
        TheScaler().dpiX = TheScaler().dpiY = 96;
    }
    void TearDown() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
        DeleteValue(HKEY_LOCAL_MACHINE, kItem, L"ProgramFiles");
        DeleteValue(HKEY_LOCAL_MACHINE, kItem, L"InstallPath");
    }
    CSettings s;
};

}  // namespace

TEST_F(SettingsTest, MissingValuesTakeTheirDefaults) {
    s.Load(nullptr);
    EXPECT_EQ(1u, s.AutoHeight.value());
    EXPECT_EQ(160u, s.dHeightLimit.value());
    EXPECT_EQ(1u, s.RemoveSeparatingLine.value());
    EXPECT_EQ(1u, s.VerticalTabs.value());
    EXPECT_EQ(100u, s.NoteZoom.value());
    EXPECT_EQ(7u, s.dNumOfDays.value());
    EXPECT_EQ(479u, s.ClrApptRightIcons.value());
    EXPECT_EQ(0xFFFFFFFFu, s.SeperatorLineClr.value());
    EXPECT_EQ(1u, s.HideABCVals.value());
    EXPECT_EQ(1u, s.SEventsIncldCounters.value());
    EXPECT_EQ(0u, s.IncldCounters.value());  // the Calendar's value of the same name
    EXPECT_EQ(12u, s.FontGnrlSize.value());
    EXPECT_EQ(L"Tahoma", s.FontFaceToUse.value());
    EXPECT_EQ(L"\\Program Files\\Olvane\\Daybrim\\LangRes\\DREngRc.dll", s.SelectedLangResFile.value());
    EXPECT_EQ(L"\\Program Files\\Olvane\\Daybrim", s.ProductFolder());
    EXPECT_EQ(L"\\Program Files\\Olvane\\Daybrim\\CategoryIcons", s.DRIconsFolder.value());
    EXPECT_EQ(L"My Documents\\WebIS\\PocketInformant.vol", s.PIVOL.value());
    EXPECT_EQ(0xFFFFFFFFu, s.FontGeneral.lfColor.value());
    EXPECT_FALSE(s.AutoHeight.dirty());
    ASSERT_EQ(6u, s.tabs.size());
    const DWORD order[] = {TAB_TYPE_CALENDAR, TAB_TYPE_TASKS, TAB_TYPE_NOTES, TAB_TYPE_CONTACTS, TAB_TYPE_MAIL,
                           TAB_TYPE_SEVENTS};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(order[i], s.tabs[i].type);
        EXPECT_EQ(i + 1, s.tabs[i].order);
    }
}

TEST_F(SettingsTest, LoadingCreatesNoKeyAndOnlyAWriteCreatesOne) {
    EmptyRegistry empty;
    ASSERT_TRUE(empty.ok());
    s.Load(nullptr);
    EXPECT_EQ(std::vector<std::wstring>(), empty.Leaves());
    EXPECT_EQ(1u, s.AutoHeight.value());
    ASSERT_EQ(6u, s.tabs.size());

    s.ActiveTab.Set(3);
    ASSERT_TRUE(s.ActiveTab.Write());
    EXPECT_EQ(std::vector<std::wstring>{L"HKCU\\Software\\Olvane\\Daybrim"}, empty.Leaves());
}

TEST_F(SettingsTest, ScaledDefaultsFollowTheForcedVgaFlag) {
    SetForcedVga(true);
    s.Load(nullptr);
    EXPECT_EQ(320u, s.dHeightLimit.value());
    EXPECT_EQ(24u, s.FontGnrlSize.value());
    EXPECT_EQ(12u, s.MonthlyPopIconsSize.value());
    SetForcedVga(false);
}

TEST_F(SettingsTest, RegistryValuesWinAndWrongTypesAreIgnored) {
    SetDword(HKEY_CURRENT_USER, kRoot, L"AutoHeight", 0);
    SetDword(HKEY_CURRENT_USER, std::wstring(kRoot) + L"\\Fonts", L"FontGenerallfHeight", DWORD(-15));
    SetString(HKEY_CURRENT_USER, kRoot, L"LoadingDelay", L"3");  // text where a number belongs
    SetString(HKEY_CURRENT_USER, kRoot, L"SkinPath", L"\\My Skins\\Blue\\");
    s.Load(nullptr);
    EXPECT_EQ(0u, s.AutoHeight.value());
    EXPECT_EQ(-15, s.FontGeneral.logfont().lfHeight);
    EXPECT_EQ(0u, s.LoadingDelay.value());
    EXPECT_EQ(L"\\My Skins\\Blue\\", s.SkinPath.value());
}

TEST_F(SettingsTest, WritingTheDefaultDeletesTheValue) {
    s.Load(nullptr);
    s.ActiveTab.Set(3);
    ASSERT_TRUE(s.ActiveTab.Write());
    DWORD v = 0;
    EXPECT_EQ(DWORD(REG_DWORD), ValueType(kRoot, L"ActiveTab", &v));
    EXPECT_EQ(3u, v);
    s.ActiveTab.Set(1);
    ASSERT_TRUE(s.ActiveTab.Write());
    EXPECT_EQ(0u, ValueType(kRoot, L"ActiveTab"));
    CSettings again;
    again.Load(nullptr);
    EXPECT_EQ(1u, again.ActiveTab.value());

    s.CalendarSelCategory.Set(L"Business");
    ASSERT_TRUE(s.CalendarSelCategory.Write());
    EXPECT_EQ(DWORD(REG_SZ), ValueType(std::wstring(kRoot) + L"\\Calendar", L"CalendarSelCategory"));
    s.CalendarSelCategory.Set(L"");
    ASSERT_TRUE(s.CalendarSelCategory.Write());
    EXPECT_EQ(0u, ValueType(std::wstring(kRoot) + L"\\Calendar", L"CalendarSelCategory"));
}

TEST_F(SettingsTest, OnlyChangedValuesAreWritten) {
    SetDword(HKEY_CURRENT_USER, kRoot, L"LastMinimizeState", 0);  // stored although it is the default
    s.Load(nullptr);
    ASSERT_TRUE(s.LastMinimizeState.Write());  // not dirty: nothing happens
    EXPECT_EQ(DWORD(REG_DWORD), ValueType(kRoot, L"LastMinimizeState"));
    s.LastMinimizeState.Set(0);
    ASSERT_TRUE(s.LastMinimizeState.Write());
    EXPECT_EQ(0u, ValueType(kRoot, L"LastMinimizeState"));
}

TEST_F(SettingsTest, StringsPastTheBufferAreNotReadAndDefaultsAreVerbatim) {
    SetString(HKEY_CURRENT_USER, kRoot, L"SkinPath", std::wstring(260, L'x'));
    SetString(HKEY_CURRENT_USER, kRoot, L"DRIconsFolder", std::wstring(259, L'y'));
    // Paths come from registry text and may hold anything: "%" is not a format.
    SetString(HKEY_LOCAL_MACHINE, kItem, L"ProgramFiles", L"\\Programs 100%s %d%%");
    s.Load(nullptr);
    EXPECT_EQ(L"", s.SkinPath.value());
    EXPECT_EQ(std::wstring(259, L'y'), s.DRIconsFolder.value());
    EXPECT_EQ(L"\\Programs 100%s %d%%\\Olvane\\Daybrim", s.ProductFolder());
    EXPECT_EQ(L"\\Programs 100%s %d%%\\Olvane\\Daybrim", s.DRFiltersFileFolder.value());
    EXPECT_EQ(L"\\Programs 100%s %d%%\\Olvane\\Daybrim", s.InstallFolder());  // InstallPath defaults to it
}

TEST_F(SettingsTest, LoaderCorrectsDaysAndTitleOrderAndMarksThemChanged) {
    const std::wstring cal = std::wstring(kRoot) + L"\\Calendar";
    for (DWORD bad : {0u, 121u, 0xFFFFFFFFu}) {
        SetDword(HKEY_CURRENT_USER, cal, L"dNumOfDays", bad);
        CSettings c;
        c.Load(nullptr);
        EXPECT_EQ(7u, c.dNumOfDays.value()) << bad;
        EXPECT_TRUE(c.dNumOfDays.dirty());
    }
    SetDword(HKEY_CURRENT_USER, cal, L"dNumOfDays", 120);
    const DWORD titles[6] = {0, 1, 2, 2, 4, 5};
    for (int i = 0; i < 6; ++i) SetDword(HKEY_CURRENT_USER, cal, (L"CalTitlesOrder" + std::to_wstring(i)).c_str(), titles[i]);
    s.Load(nullptr);
    EXPECT_EQ(120u, s.dNumOfDays.value());
    EXPECT_EQ(0u, s.CalTitlesOrder0.value());
    EXPECT_EQ(3u, s.CalTitlesOrder3.value());
    EXPECT_TRUE(s.CalTitlesOrder3.dirty());

    const DWORD permuted[6] = {5, 4, 3, 2, 1, 0};
    for (int i = 0; i < 6; ++i)
        SetDword(HKEY_CURRENT_USER, cal, (L"CalTitlesOrder" + std::to_wstring(i)).c_str(), permuted[i]);
    CSettings p;
    p.Load(nullptr);
    EXPECT_EQ(5u, p.CalTitlesOrder0.value());
    EXPECT_FALSE(p.CalTitlesOrder0.dirty());
}

TEST_F(SettingsTest, TabListOrderActiveTabAndDefaultTabAtStartup) {
    const std::wstring tabs = std::wstring(kRoot) + L"\\TabSettings";
    SetDword(HKEY_CURRENT_USER, tabs + L"\\Weather", L"Order", 3);
    SetDword(HKEY_CURRENT_USER, tabs + L"\\Weather", L"Enabled", 1);
    SetDword(HKEY_CURRENT_USER, tabs + L"\\Contacts", L"Order", 1);  // never a custom tab
    SetDword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 3);             // the custom tab's position
    s.Load(nullptr);
    ASSERT_EQ(7u, s.tabs.size());
    EXPECT_EQ(TAB_TYPE_TASKS, s.tabs[1].type);
    EXPECT_EQ(L"Weather", s.tabs[2].displayName);  // before Notes, which has the same order
    EXPECT_EQ(TAB_TYPE_DESIGNED, s.tabs[2].type);
    EXPECT_EQ(TAB_TYPE_NOTES, s.tabs[3].type);
    EXPECT_EQ(7u, s.tabs[6].order);
    EXPECT_EQ(1u, s.ActiveTab.value());  // not a built-in tab

    SetDword(HKEY_CURRENT_USER, tabs, L"MailTabEnabled", 0);
    SetDword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 6);  // Mail, now disabled
    CSettings d;
    d.Load(nullptr);
    EXPECT_EQ(1u, d.ActiveTab.value());

    SetDword(HKEY_CURRENT_USER, tabs, L"DfltTabOnStartup", 1);
    SetDword(HKEY_CURRENT_USER, tabs, L"DfltTab", 3);  // Contacts
    CSettings e;
    e.Load(nullptr);
    EXPECT_EQ(5u, e.ActiveTab.value());  // its position after the custom tab
    SetDword(HKEY_CURRENT_USER, tabs, L"DfltTab", 9);  // past the table: no default tab
    CSettings f;
    f.Load(nullptr);
    EXPECT_EQ(1u, f.ActiveTab.value());

    // With Calendar switched off, a tab that cannot be shown falls back to the first
    // one that can; a switched-off default tab is not forced on the start-up.
    SetDword(HKEY_CURRENT_USER, tabs, L"CalendarTabEnabled", 0);
    SetDword(HKEY_CURRENT_USER, tabs, L"ContactsTabEnabled", 0);
    SetDword(HKEY_CURRENT_USER, tabs, L"DfltTab", 3);  // Contacts, switched off
    SetDword(HKEY_CURRENT_USER, kRoot, L"ActiveTab", 6);  // Mail, switched off
    CSettings g;
    g.Load(nullptr);
    EXPECT_EQ(2u, g.ActiveTab.value());  // Tasks
}

TEST_F(SettingsTest, SystemColoursFromValuesAndTheShColorTable) {
    const wchar_t* key = L"SOFTWARE\\Microsoft\\Color";
    raii::Key k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                             k.out(), nullptr));
    // Save whatever the device has, to put it back.
    BYTE saved[1024];
    DWORD savedSize = sizeof saved, savedType = 0;
    const bool had = RegQueryValueExW(k.get(), L"SHColor", nullptr, &savedType, saved, &savedSize) == ERROR_SUCCESS;

    BYTE table[4 * 35 + 4] = {};
    table[4 * 34 + 0] = 0x10;
    table[4 * 34 + 1] = 0x20;
    table[4 * 34 + 2] = 0x30;
    table[4 * 6 + 0] = 0xAA;
    RegSetValueExW(k.get(), L"SHColor", 0, REG_BINARY, table, sizeof table);
    EXPECT_EQ(RGB(0x10, 0x20, 0x30), ReadSystemColour(34, 1));
    EXPECT_EQ(COLORREF(0x123456), ReadSystemColour(35, 0x123456));  // exactly 4*35+4 bytes: not in the table
    EXPECT_EQ(RGB(0xAA, 0, 0), ReadSystemColour(6, 1));
    const BYTE own[3] = {1, 2, 3};
    RegSetValueExW(k.get(), L"6", 0, REG_BINARY, own, sizeof own);
    EXPECT_EQ(RGB(1, 2, 3), ReadSystemColour(6, 0));
    RegDeleteValueW(k.get(), L"6");
    EXPECT_EQ(COLORREF(7), ReadSystemColour(-1, 7));
    EXPECT_EQ(COLORREF(7), ReadSystemColour(100000, 7));

    if (had) RegSetValueExW(k.get(), L"SHColor", 0, savedType, saved, savedSize);
    else RegDeleteValueW(k.get(), L"SHColor");
}

TEST_F(SettingsTest, FontCatalogue) {
    const std::wstring fonts = std::wstring(kRoot) + L"\\Fonts";
    SetDword(HKEY_CURRENT_USER, fonts, L"FontGnrlSize", 14);
    SetDword(HKEY_CURRENT_USER, fonts, L"FontGnrlTitlesSize", 16);
    SetString(HKEY_CURRENT_USER, fonts, L"FontFaceToUse", L"Arial");
    SetDword(HKEY_CURRENT_USER, fonts, L"FontCalApptBusylfItalic", 1);
    s.Load(nullptr);

    LOGFONTW lf = s.CatalogueFont(51);  // the loading text
    EXPECT_EQ(14, lf.lfHeight);
    EXPECT_EQ(FW_BOLD, lf.lfWeight);
    EXPECT_STREQ(L"Arial", lf.lfFaceName);
    EXPECT_EQ(0, lf.lfQuality);
    EXPECT_EQ(1, s.CatalogueFont(52).lfStrikeOut);
    EXPECT_EQ(16, s.CatalogueFont(53).lfHeight);
    EXPECT_EQ(11, s.CatalogueFont(1).lfHeight);
    EXPECT_EQ(FW_BOLD, s.CatalogueFont(4).lfWeight);
    EXPECT_EQ(1, s.CatalogueFont(105).lfItalic);          // FontCalApptBusy
    EXPECT_EQ(1, s.CatalogueFont(109).lfStrikeOut);       // FontCalPast
    EXPECT_EQ(700, s.CatalogueFont(112).lfWeight);        // FontMailUnread
    EXPECT_EQ(700, s.CatalogueFont(113).lfWeight);        // FontCalDayTitles
    EXPECT_EQ(700, s.CatalogueFont(204).lfWeight);        // FontTskGroupingTtls
    EXPECT_EQ(1, s.CatalogueFont(205).lfStrikeOut);       // FontGeneral struck out
    EXPECT_EQ(0, s.CatalogueFont(0).lfStrikeOut);
    EXPECT_EQ(700, s.CatalogueFont(260).lfWeight);        // FontContactTitles
    EXPECT_EQ(100, s.CatalogueFont(261).lfWeight);        // FontContactItems
    EXPECT_EQ(700, s.CatalogueFont(305).lfWeight);        // FontSEGroupingTtls
    LOGFONTW other = s.CatalogueFont(999);
    EXPECT_EQ(0, other.lfHeight);
    EXPECT_STREQ(L"Arial", other.lfFaceName);

    SetDword(HKEY_CURRENT_USER, fonts, L"ForceClearType", 1);
    CSettings c;
    c.Load(nullptr);
    for (int id : {0, 1, 51, 100, 205, 272, 305, 999}) EXPECT_EQ(CLEARTYPE_QUALITY, c.CatalogueFont(id).lfQuality) << id;

    // The image cache keeps the font objects: one per listed id, each made once.
    CImageCache cache;
    HFONT f = cache.GetFont(c, 51);
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(f, cache.GetFont(c, 51));  // created once
    EXPECT_NE(f, cache.GetFont(c, 1));
    std::vector<HFONT> all;
    for (int id : kFontIds) {
        HFONT h = cache.GetFont(c, id);
        EXPECT_NE(nullptr, h) << id;
        EXPECT_EQ(all.end(), std::find(all.begin(), all.end(), h)) << id;
        all.push_back(h);
    }
    EXPECT_EQ(size_t(kFontCount), all.size());
    EXPECT_EQ(nullptr, cache.GetFont(c, 999));  // not a catalogue id: no font, and no slot past the table
    EXPECT_EQ(nullptr, cache.GetFont(c, -1));
    // After the settings are read again the old fonts are dropped, and the new ones
    // follow the new values.
    LOGFONTW before = {};
    GetObjectW(cache.GetFont(c, 50), sizeof before, &before);
    EXPECT_EQ(14, before.lfHeight);
    SetDword(HKEY_CURRENT_USER, fonts, L"FontGnrlSize", 18);
    c.Load(nullptr);
    cache.ClearFonts();
    LOGFONTW after = {};
    GetObjectW(cache.GetFont(c, 50), sizeof after, &after);
    EXPECT_EQ(18, after.lfHeight);
    cache.Release();
}
