// The item menus' extensions: two old-style add-ins and two context-menu extensions
// registered for the Calendar, each with ids of its own, each command reaching the
// extension that added it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devicelog.h"
#include "menu_extensions.h"
#include "pimstore.h"
#include "reg.h"

using namespace menuext;

namespace {

constexpr wchar_t kClassA[] = L"{7E1B5C3A-4D2F-4A8B-9C61-2F0E8D5A7B01}";
constexpr wchar_t kClassB[] = L"{7E1B5C3A-4D2F-4A8B-9C61-2F0E8D5A7B02}";
constexpr wchar_t kMenus[] = L"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\Calendar\\Main_ContextMenu\\";
constexpr wchar_t kAddIns[] = L"Software\\Microsoft\\PimApps\\PimExtensions\\Calendar\\AddIns\\";
constexpr DWORD kOid = 0x4000F501;

using Line = std::vector<devlog::Field>;

std::string Text(const Line& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

std::vector<Line> From(unsigned long long at, const char* source) {
    std::vector<Line> out;
    for (auto& l : devlog::ReadLog(at))
        if (Text(l, "source") == source) out.push_back(l);
    return out;
}

struct MenuItem {
    UINT id;
    std::wstring text;
    bool popup;
};

std::vector<MenuItem> Items(HMENU menu) {
    std::vector<MenuItem> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = 127;
        GetMenuItemInfoW(menu, UINT(i), TRUE, &mi);
        if (mi.hSubMenu) {
            out.push_back({0, text, true});
            for (const MenuItem& sub : Items(mi.hSubMenu)) out.push_back({sub.id, L"  " + sub.text, false});
        } else {
            out.push_back({mi.wID, text, false});
        }
    }
    return out;
}

class MenuExtensions : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        for (const wchar_t* c : {kClassA, kClassB}) {
            const std::wstring key = std::wstring(L"CLSID\\") + c + L"\\InprocServer32";
            ASSERT_TRUE(reg::SetString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, TESTEXT_DLL));
            ASSERT_TRUE(reg::SetString(HKEY_CLASSES_ROOT, key.c_str(), L"ThreadingModel", L"Both"));
            ASSERT_TRUE(reg::SetString(HKEY_LOCAL_MACHINE, (kMenus + std::wstring(c)).c_str(), nullptr, L"test"));
        }
        const struct {
            const wchar_t *name, *dll, *menu;
        } addIns[] = {{L"A", ADDIN_A, L"Add-in A"}, {L"B", ADDIN_B, L"Add-in B"}, {L"NoMenu", ADDIN_A, nullptr}};
        for (const auto& a : addIns) {
            const std::wstring key = kAddIns + std::wstring(a.name);
            ASSERT_TRUE(reg::SetString(HKEY_LOCAL_MACHINE, key.c_str(), L"DLL", a.dll));
            if (a.menu) {
                ASSERT_TRUE(reg::SetString(HKEY_LOCAL_MACHINE, key.c_str(), L"Menu", a.menu));
            }
        }
        menu_.reset(CreateMenu());
        HMENU sub = CreatePopupMenu();
        AppendMenuW(sub, MF_STRING, 1, L"left over");
        AppendMenuW(menu_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"Tools");
        from_ = devlog::LogSize();
    }
    void TearDown() override {
        for (const wchar_t* c : {kClassA, kClassB}) {
            const std::wstring key = std::wstring(L"CLSID\\") + c;
            RegDeleteKeyW(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str());
            RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kMenus + std::wstring(c)).c_str());
        }
        for (const wchar_t* a : {L"A", L"B", L"NoMenu"}) RegDeleteKeyW(HKEY_LOCAL_MACHINE, (kAddIns + std::wstring(a)).c_str());
        menu_.reset();
        CoUninitialize();
    }
    HMENU sub() const { return GetSubMenu(menu_.get(), 0); }

    raii::Menu menu_;
    unsigned long long from_ = 0;
};

}  // namespace

TEST_F(MenuExtensions, EveryExtensionGetsIdsOfItsOwn) {
    CPimMenuExtensions host;
    ASSERT_TRUE(host.FillExtensionMenu(kCalendar, menu_.get(), 0, kOid));
    auto items = Items(sub());
    ASSERT_EQ(8u, items.size());
    const struct {
        UINT id;
        const wchar_t* text;
    } want[] = {{6000, L"Add-in A"}, {6001, L"Add-in B"}, {0, L"Test Extension"}, {6002, L"  Say "},
                {6003, L"  Silent"}, {0, L"Test Extension"}, {6004, L"  Say "}, {6005, L"  Silent"}};
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(want[i].id, items[i].id) << i;
        EXPECT_EQ(want[i].text, items[i].text) << i;
    }
    // The add-in without a menu text is left out; the device's own tallyext is there
    // too and adds nothing for an item without phone numbers, so it holds no ids.
    std::vector<std::wstring> names;
    for (const auto& e : host.List(kCalendar)) {
        names.push_back(e->name());
        std::pair<UINT, UINT> want{TPimExtension::kNone, TPimExtension::kNone};
        if (e->name() == kClassA) want = {6002, 6003};
        if (e->name() == kClassB) want = {6004, 6005};
        if (e->newStyle()) {
            EXPECT_EQ(want, std::make_pair(e->first(), e->last()));
        }
    }
    const std::vector<std::wstring> all{ADDIN_A, ADDIN_B, kClassA, kClassB, L"{F89616F1-C3A6-4af3-8B39-6EE5A41175C0}"};
    EXPECT_EQ(all, names);

    // The site each extension was given is the highlighted item.
    auto queries = From(from_, "testext");
    ASSERT_EQ(2u, queries.size());
    EXPECT_EQ(std::to_string(kOid), Text(queries[0], "oid"));
    EXPECT_EQ("6004", Text(queries[1], "first"));
}

TEST_F(MenuExtensions, EachCommandReachesItsOwnExtension) {
    CPimMenuExtensions host;
    ASSERT_TRUE(host.FillExtensionMenu(kCalendar, menu_.get(), 0, kOid));
    EXPECT_TRUE(host.HandleExtensionCommand(nullptr, GetModuleHandleW(nullptr), 6004, kOid));
    auto ext = From(from_, "testext");
    ASSERT_FALSE(ext.empty());
    EXPECT_EQ("invoke", Text(ext.back(), "event"));
    EXPECT_EQ("say:0x4000F501:6004", Text(ext.back(), "verb"));
    // After a command every extension is out of the menu.
    for (const auto& e : host.List(kCalendar)) EXPECT_EQ(TPimExtension::kNone, e->first());
    EXPECT_FALSE(host.HandleExtensionCommand(nullptr, GetModuleHandleW(nullptr), 6004, kOid));

    for (UINT id : {6001u, 6000u}) {
        const auto at = devlog::LogSize();
        ASSERT_TRUE(host.FillExtensionMenu(kCalendar, menu_.get(), 0, kOid));
        EXPECT_TRUE(host.HandleExtensionCommand(nullptr, GetModuleHandleW(nullptr), id, kOid));
        auto addIn = From(at, "addin");
        ASSERT_EQ(1u, addIn.size()) << id;
        EXPECT_EQ(id == 6000 ? "daybrim_addin_a.dll" : "daybrim_addin_b.dll", Text(addIn[0], "library"));
        EXPECT_EQ("true", Text(addIn[0], "window"));
        EXPECT_EQ("1", Text(addIn[0], "kind"));
        EXPECT_EQ("1", Text(addIn[0], "items"));
        EXPECT_EQ(std::to_string(kOid), Text(addIn[0], "oid"));
    }
    // An id nobody owns is not handled.
    ASSERT_TRUE(host.FillExtensionMenu(kCalendar, menu_.get(), 0, kOid));
    EXPECT_FALSE(host.HandleExtensionCommand(nullptr, GetModuleHandleW(nullptr), 6006, kOid));
}

TEST_F(MenuExtensions, ACancelledMenuReleasesItsExtensionsAtTheNextFill) {
    raii::Library testext(LoadLibraryW(TESTEXT_DLL));
    ASSERT_TRUE(testext);
    using CanUnload = HRESULT(WINAPI*)();
    auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(testext.get(), "DllCanUnloadNow")));
    ASSERT_NE(nullptr, canUnload);
    CPimMenuExtensions host;
    ASSERT_TRUE(host.FillExtensionMenu(kCalendar, menu_.get(), 0, kOid));
    EXPECT_EQ(S_FALSE, canUnload());
    // The menu was dismissed; the next one is the Tasks menu, which has none.
    EXPECT_FALSE(host.FillExtensionMenu(kTasks, menu_.get(), 0, kOid));
    EXPECT_EQ(0, GetMenuItemCount(sub()));
    EXPECT_EQ(S_OK, canUnload());
    ASSERT_TRUE(host.FillExtensionMenu(kCalendar, menu_.get(), 0, kOid));
    EXPECT_EQ(S_FALSE, canUnload());
}

TEST_F(MenuExtensions, TheDataObjectOffersTheItemAsItemRefArray) {
    CPIMMenuExtensionDataObject data;
    data.SetItem(kOid);
    FORMATETC f = {CLIPFORMAT(RegisterClipboardFormatW(L"ItemRefArray")), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
    STGMEDIUM m = {};
    EXPECT_EQ(DV_E_FORMATETC, data.GetData(&f, &m));
    f.tymed = TYMED_HGLOBAL;
    ASSERT_EQ(S_OK, data.GetData(&f, &m));
    ASSERT_EQ(DWORD(TYMED_HGLOBAL), m.tymed);
    // Extensions measure and free the block as the LocalAlloc block it is.
    EXPECT_GE(LocalSize(m.hGlobal), sizeof(ITEMREFARRAY));
    auto* block = static_cast<ITEMREFARRAY*>(m.hGlobal);
    EXPECT_EQ(1u, block->cItems);
    EXPECT_TRUE(IsEqualGUID(GUID_PimItemRef, *block->pguidType));
    EXPECT_EQ(kOid, block->oid);
    LocalFree(m.hGlobal);
    void* out = &data;
    EXPECT_EQ(E_NOINTERFACE, data.QueryInterface(IID_IContextMenu, &out));
    EXPECT_EQ(nullptr, out);
}
