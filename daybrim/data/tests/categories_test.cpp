// Categories, filters and item-icon links against a volume of the test's own and
// the device registry.
#include <gtest/gtest.h>

#include <fstream>

#include "category_table.h"
#include "icon_links.h"
#include "pim_volume.h"
#include "reg.h"

using namespace daybrim;
using namespace pimtest;

namespace {

std::wstring TestName() {
    const std::string n = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return std::wstring(n.begin(), n.end());
}

constexpr wchar_t kCatKey[] = L"Software\\Olvane\\Daybrim\\Categories";

void PutFile(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    DWORD n = 0;
    ::WriteFile(f, bytes.data(), DWORD(bytes.size()), &n, nullptr);
    CloseHandle(f);
}

std::string Section(int n, const std::string& name, int show) {
    return "[FILTER" + std::to_string(n) + "]\r\n\"Name\"=\"" + name + "\"\r\n\"S\"=dword:0\r\n\"M\"=dword:" +
           std::to_string(show) + "\r\n\"U\"=dword:0\r\n";
}

class CategoriesTest : public ::testing::Test {
protected:
    CategoriesTest() : vol(TestName()) {
        opt.pimVolume = vol.path;
        opt.drIconsFolder = L"\\Temp";
        opt.filtersFolder = L"\\Temp";
        RegDeleteKeyW(HKEY_CURRENT_USER, kCatKey);
        vol.Write(L"CategoryMainDB", {Str(0x0002001F, L"work"), U4(0x00010066, 3)});
        vol.Write(L"CategoryMainDB", {Str(0x0002001F, L"Family"), U4(0x00010066, 1)});
        vol.Write(L"CategoryMainDB", {Str(0x0002001F, L""), U4(0x00010066, 9)});  // skipped
        vol.Write(L"CategoryMainDB", {Str(0x0002001F, L"NoId")});                  // skipped
    }
    ~CategoriesTest() override {
        RegDeleteKeyW(HKEY_CURRENT_USER, kCatKey);
        DeleteFileW(L"\\Temp\\DRFilters.txt");
    }
    PimVolume vol;
    CategoryOptions opt;
    CCategoryTable table;
};

}  // namespace

TEST_F(CategoriesTest, ListSortedByNameWithMasksAndRegistryColours) {
    ASSERT_TRUE(vol.ok);
    reg::SetDword(HKEY_CURRENT_USER, kCatKey, L"CatColor.work", 0x123456);
    reg::SetDword(HKEY_CURRENT_USER, kCatKey, L"CatFilter.Family", 0x80000001);
    table.Load(opt);
    ASSERT_EQ(2u, table.entries().size());
    EXPECT_EQ(L"Family", table.entries()[0].name);  // case ignored in the order
    EXPECT_EQ(L"work", table.entries()[1].name);
    EXPECT_EQ(0x123456u, table.CategoryById(3)->colour);
    EXPECT_EQ(0xFFFFFFFFu, table.CategoryById(1)->colour);
    EXPECT_EQ(0x80000001u, table.FilterMask(1));
    EXPECT_EQ(0u, table.FilterMask(3));
    EXPECT_EQ(nullptr, table.CategoryById(9));
    EXPECT_EQ(nullptr, table.CategoryByName(L"Work"));  // exact
}

TEST_F(CategoriesTest, LoadingCreatesNoCategoriesKey) {
    ASSERT_TRUE(vol.ok);
    table.Load(opt);
    ASSERT_EQ(2u, table.entries().size());
    raii::Key key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, kCatKey, 0, KEY_READ, key.out()));
    EXPECT_EQ(0u, table.FilterMask(1));
}

TEST_F(CategoriesTest, InformantColoursFromSettingsTxt) {
    ASSERT_TRUE(vol.ok);
    opt.pimSw = 1;
    opt.webisFolder = L"\\Temp\\pi";
    CreateDirectoryW(L"\\Temp\\pi", nullptr);
    CreateDirectoryW(L"\\Temp\\pi\\WebIS", nullptr);
    const std::wstring text =
        L"\xFEFF[HKEY_CURRENT_USER\\Software\\WebIS\\PocketInformant\\Colors\\Categories]\r\n"
        L"\"Work\"=dword:0000ff\r\n\"Family\"=dword:00ff00\r\n";
    std::string bytes;
    for (wchar_t c : text) bytes += std::string{char(c & 0xFF), char(c >> 8)};
    PutFile(L"\\Temp\\pi\\WebIS\\Settings.txt", bytes);
    reg::SetDword(HKEY_CURRENT_USER, kCatKey, L"CatColor.Family", 0x111111);  // not this source
    table.Load(opt);
    EXPECT_EQ(0x00ff00u, table.CategoryById(1)->colour);
    EXPECT_EQ(0xFFFFFFFFu, table.CategoryById(3)->colour);  // "Work" is not "work"
    opt.overrideColours = true;  // the override takes the registry again
    table.Load(opt);
    EXPECT_EQ(0x111111u, table.CategoryById(1)->colour);
    DeleteFileW(L"\\Temp\\pi\\WebIS\\Settings.txt");
    opt.overrideColours = false;
    table.Load(opt);  // file gone: no colours
    EXPECT_EQ(0xFFFFFFFFu, table.CategoryById(1)->colour);
}

TEST_F(CategoriesTest, FusionColoursFromItsKey) {
    ASSERT_TRUE(vol.ok);
    opt.pimSw = 2;
    const wchar_t* af = L"SOFTWARE\\Developer One, Inc.\\Agenda Fusion";
    ASSERT_TRUE(reg::SetDword(HKEY_LOCAL_MACHINE, af, L"CatColor.work", 0x0000AA));
    table.Load(opt);
    EXPECT_EQ(0xAAu, table.CategoryById(3)->colour);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, af);
}

TEST_F(CategoriesTest, FilterFileMenusAndCaptions) {
    ASSERT_TRUE(vol.ok);
    opt.filterMode = true;
    std::string file;
    for (int i = 0; i < 31; ++i) file += Section(i, "Mine" + std::to_string(i), 1);
    PutFile(L"\\Temp\\DRFilters.txt", file);
    table.Load(opt);
    ASSERT_EQ(32u, table.filters().size());
    EXPECT_EQ(L"Filter 32", table.filters()[31].name);  // 31 sections: the defaults
    file += Section(31, "Last", 1);
    file.replace(file.find("\"M\"=dword:1"), 11, "\"M\"=dword:0");  // FILTER0 hidden
    PutFile(L"\\Temp\\DRFilters.txt", file);
    table.Load(opt);
    EXPECT_EQ(L"Last", table.filters()[31].name);
    EXPECT_FALSE(table.Filter(1)->shownInMenu);

    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"first entry stays");
    AppendMenuW(menu, MF_STRING, 2, L"stale");
    table.FillSelectionMenu(menu);
    EXPECT_EQ(32, GetMenuItemCount(menu));  // the kept entry and 31 shown filters
    EXPECT_EQ(1u, GetMenuItemID(menu, 0));
    EXPECT_EQ(kFilterCommandBase + 2, GetMenuItemID(menu, 1));
    DestroyMenu(menu);

    EXPECT_EQ(L"Mine4", table.SelectionCaption(L"", 5, nullptr));
    EXPECT_EQ(L"Mine0", table.SelectionCaption(L"", 1, nullptr));  // hidden, still named
    EXPECT_EQ(L"All", table.SelectionCaption(L"", 0, nullptr));
    EXPECT_EQ(L"All", table.SelectionCaption(L"", 40, nullptr));
    opt.filterMode = false;
    table.Load(opt);
    EXPECT_EQ(L"All", table.SelectionCaption(L"", 3, nullptr));
    EXPECT_EQ(L"work", table.SelectionCaption(L"work", 3, nullptr));
    menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"first");
    table.FillSelectionMenu(menu);
    ASSERT_EQ(3, GetMenuItemCount(menu));
    EXPECT_EQ(kFirstCategoryCommand, GetMenuItemID(menu, 1));
    DestroyMenu(menu);
}

TEST_F(CategoriesTest, SpecialEventCategoriesByExactName) {
    ASSERT_TRUE(vol.ok);
    opt.specialCategories[0] = L"Work";
    opt.specialCategories[2] = L"work";
    opt.specialCategories[3] = L"Family";
    table.Load(opt);
    EXPECT_EQ(-1, table.specialCategory(1));
    EXPECT_EQ(-1, table.specialCategory(2));
    EXPECT_EQ(3, table.specialCategory(3));
    EXPECT_EQ(1, table.specialCategory(4));
    TApptItem a;
    a.AddCategory(1);
    a.AddCategory(3);
    EXPECT_EQ(3, table.SpecialEventCategoryIndex(a));
}

TEST_F(CategoriesTest, IconFolderBySource) {
    opt.drIconsFolder = L"\\DR";
    opt.piIconsFolder = L"\\PI";
    opt.afIconsFolder = L"\\AF";
    const wchar_t* expected[] = {L"\\DR", L"\\PI", L"\\AF", L"\\DR"};
    for (int sw = 0; sw < 4; ++sw) {
        opt.pimSw = sw;
        table.Load(opt);
        EXPECT_EQ(expected[sw], table.IconFolder());
    }
    opt.overrideIcons = true;
    opt.pimSw = 1;
    table.Load(opt);
    EXPECT_EQ(L"\\DR", table.IconFolder());
}

TEST_F(CategoriesTest, NamedPropertyIconLinks) {
    ASSERT_TRUE(vol.ok);
    CreateDirectoryW(L"\\Temp\\icons", nullptr);
    PutFile(L"\\Temp\\star.bmp", "BM fake");
    IconLinkStore links;
    IconLinkStore::Config c;
    c.iconFolder = L"\\Temp\\icons";
    c.namedPropId = 0x80010041;
    c.pimVolume = vol.path;
    ASSERT_TRUE(links.Open(c));
    EXPECT_EQ(L"", links.ItemIconPath(42));
    ASSERT_TRUE(links.SetItemIcon(42, L"\\Temp\\star.bmp"));
    EXPECT_EQ(L"\\Temp\\icons\\Icons-star.bmp", links.ItemIconPath(42));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"\\Temp\\icons\\Icons-star.bmp"));
    // A copy that fails changes nothing and says so.
    EXPECT_FALSE(links.SetItemIcon(42, L"\\Temp\\missing.bmp"));
    EXPECT_EQ(L"\\Temp\\icons\\Icons-star.bmp", links.ItemIconPath(42));
    EXPECT_FALSE(links.SetItemIcon(42, L"a.bmp"));  // shorter than 6
    // Replacing keeps one record.
    PutFile(L"\\Temp\\moon.bmp", "BM fake");
    ASSERT_TRUE(links.SetItemIcon(42, L"\\Temp\\moon.bmp"));
    EXPECT_EQ(L"\\Temp\\icons\\Icons-moon.bmp", links.ItemIconPath(42));
    ASSERT_TRUE(links.SetItemIcon(42, L""));
    EXPECT_EQ(L"", links.ItemIconPath(42));
    EXPECT_FALSE(links.SetItemIcon(42, L""));  // nothing left to remove
    // Another program's property is not ours; an unknown property id refuses.
    std::vector<BYTE> name = {'x', 0, 0, 0};
    vol.Write(L"PIMNamedPropVals", {U4(0x00010013, 7), U4(0x00020013, 0x80020041), Blob(0x00030041, name)});
    EXPECT_EQ(L"", links.ItemIconPath(7));
    links.Close();
    c.namedPropId = 0xFFFFFFFF;
    ASSERT_TRUE(links.Open(c));
    EXPECT_FALSE(links.SetItemIcon(42, L"\\Temp\\star.bmp"));
    for (const wchar_t* f : {L"\\Temp\\icons\\Icons-star.bmp", L"\\Temp\\icons\\Icons-moon.bmp", L"\\Temp\\star.bmp",
                             L"\\Temp\\moon.bmp"})
        DeleteFileW(f);
}

TEST_F(CategoriesTest, FusionIconLinks) {
    ASSERT_TRUE(vol.ok);
    PutFile(L"\\Temp\\af.bmp", "BM fake");
    // Link numbers 1 and 3 are taken by other links.
    vol.Write(L"FusionLinks", {U4(0x00010003, 5), I2(0x00030002, 2), I2(0x00020002, 1)});
    vol.Write(L"FusionLinks", {U4(0x00010003, 5), I2(0x00030002, 2), I2(0x00020002, 3)});
    IconLinkStore links;
    IconLinkStore::Config c;
    c.pimSw = 2;
    c.fusionVolume = vol.fusionPath;
    ASSERT_TRUE(links.Open(c));
    EXPECT_EQ(L"", links.ItemIconPath(5));
    ASSERT_TRUE(links.SetItemIcon(5, L"\\Temp\\af.bmp"));
    EXPECT_EQ(L"\\Temp\\af.bmp", links.ItemIconPath(5));
    EXPECT_FALSE(links.SetItemIcon(5, L"\\Temp\\nothere.bmp"));
    EXPECT_EQ(L"\\Temp\\af.bmp", links.ItemIconPath(5));
    ASSERT_TRUE(links.SetItemIcon(5, L""));
    EXPECT_EQ(L"", links.ItemIconPath(5));
    // The new link took the smallest free number.
    ASSERT_TRUE(links.SetItemIcon(5, L"\\Temp\\af.bmp"));
    CEOID dbOid = 0;
    HANDLE h = CeOpenDatabaseInSession(nullptr, &vol.fusionGuid, &dbOid, const_cast<LPWSTR>(L"FusionLinks"), nullptr,
                                       CEDB_AUTOINCREMENT, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    int found = 0;
    DWORD index = 0;
    CeSeekDatabaseEx(h, CEDB_SEEK_BEGINNING, 0, 0, &index);
    for (;;) {
        CEPROPID ids[] = {0x00030002, 0x00020002};
        WORD n = 2;
        LPBYTE buf = nullptr;
        DWORD cb = 0;
        if (!CeReadRecordPropsEx(h, CEDB_ALLOWREALLOC, &n, ids, &buf, &cb, nullptr)) break;
        auto* v = reinterpret_cast<CEPROPVAL*>(buf);
        if (v[0].val.iVal == 6) {
            ++found;
            EXPECT_EQ(2, v[1].val.iVal);
        }
        LocalFree(buf);
    }
    CloseHandle(h);
    EXPECT_EQ(1, found);
    DeleteFileW(L"\\Temp\\af.bmp");
}
