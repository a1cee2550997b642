// The built library as the Today screen sees it: its exports, the item window it
// makes, the height it reports, a reload in place on the settings broadcast, the
// programs its commands start (recorded in the device log) and what its shutdown
// leaves behind.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <vector>

#include "cesim.h"
#include "devicelog.h"
#include "pe_exports.h"
#include "raii.h"
#include "reg.h"
#include "todaycmn.h"

namespace {

const wchar_t kRoot[] = L"Software\\Olvane\\Daybrim";

void SetDword(const wchar_t* name, DWORD v) {
    raii::Key k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr));
    RegSetValueExW(k.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK ParentProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == TODAYM_GETCOLOR) return RGB(0, 0, 0);
    if (m == TODAYM_DRAWWATERMARK) return TRUE;
    return DefWindowProcW(h, m, w, l);
}

class ItemTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The small screen at 96 dpi, whatever a screenshot test before left behind.
        reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenWidth", 240);
        reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenHeight", 320);
        reg::SetDword(HKEY_LOCAL_MACHINE,
                      L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts", L"LogPixels", 96);
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
        lib_.reset(LoadLibraryW(DAYBRIM_DLL));
        ASSERT_TRUE(lib_) << GetLastError();
        init_ = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
            reinterpret_cast<void*>(GetProcAddress(lib_.get(), MAKEINTRESOURCEA(240))));
        ASSERT_NE(nullptr, init_);
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"DaybrimTestParent";
        RegisterClassW(&wc);
        parent_ = CreateWindowExW(0, L"DaybrimTestParent", L"", WS_POPUP, 0, 26, 240, 268, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, parent_);
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
        Pump();
        lib_.reset();
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
    }
    HWND MakeItem() {
        item_ = TODAYLISTITEM();
        lstrcpyW(item_.szName, L"Daybrim");
        item_.fEnabled = TRUE;
        item_.tlit = tlitCustom;
        return init_(&item_, parent_);
    }

    raii::Library lib_;
    PFNCUSTOMINITIALIZEITEM init_ = nullptr;
    HWND parent_ = nullptr;
    TODAYLISTITEM item_ = {};
};

}  // namespace

TEST_F(ItemTest, ExportsExactlyItsTwoOrdinals) {
    pe::Exports ex;
    ASSERT_TRUE(pe::ReadExports(lib_.get(), &ex));
    EXPECT_EQ((std::vector<WORD>{240, 241}), ex.ordinals);
    EXPECT_TRUE(ex.names.empty());  // nothing decorated such as "InitializeCustomItem@8"
}

TEST_F(ItemTest, DisabledItemGetsNoWindow) {
    TODAYLISTITEM off = {};
    off.fEnabled = FALSE;
    EXPECT_EQ(nullptr, init_(&off, parent_));
    EXPECT_EQ(nullptr, FindWindowW(L"OlvaneDaybrimTopLevelWin", nullptr));
}

TEST_F(ItemTest, OptionsDialogProcedureClosesOnOkOnly) {
    auto proc = reinterpret_cast<BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM)>(
        reinterpret_cast<void*>(GetProcAddress(lib_.get(), MAKEINTRESOURCEA(241))));
    ASSERT_NE(nullptr, proc);
    EXPECT_TRUE(proc(nullptr, WM_INITDIALOG, 0, 0));
    EXPECT_FALSE(proc(nullptr, WM_COMMAND, IDCANCEL, 0));
    EXPECT_FALSE(proc(nullptr, WM_PAINT, 0, 0));
}

TEST_F(ItemTest, ForcedVgaOnASmallScreenBindsTheHighResolutionLibrary) {
    ASSERT_EQ(240, GetSystemMetrics(SM_CXSCREEN));
    ASSERT_EQ(320, GetSystemMetrics(SM_CYSCREEN));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"\\Program Files\\Olvane\\Daybrim\\HighDpiRes.dll"));
    SetDword(L"MyVgaMode", 1);
    ASSERT_NE(nullptr, MakeItem());
    // The skin's high pictures come from this library: without it they are missing.
    EXPECT_NE(nullptr, GetModuleHandleW(L"HighDpiRes.dll"));
    EXPECT_EQ(nullptr, GetModuleHandleW(L"LowDpiRes.dll"));
}

TEST_F(ItemTest, ItemWindowReportsItsHeightAndReloadsOnTheBroadcast) {
    SetDword(L"AutoHeight", 0);
    SetDword(L"dHeightLimit", 100);
    const wchar_t* high = L"\\Program Files\\Olvane\\Daybrim\\HighDpiRes.dll";
    const bool highInstalled = GetFileAttributesW(high) != INVALID_FILE_ATTRIBUTES;

    HWND item = MakeItem();
    ASSERT_NE(nullptr, item);
    wchar_t cls[64];
    GetClassNameW(item, cls, 64);
    EXPECT_STREQ(L"QuorvelWnd", cls);
    EXPECT_EQ(parent_, GetParent(item));
    HWND relay = FindWindowW(L"OlvaneDaybrimTopLevelWin", nullptr);
    ASSERT_NE(nullptr, relay);
    // Owned by the host; Windows hands ownership to the host's top-level ancestor.
    EXPECT_EQ(GetAncestor(item, GA_ROOT), GetWindow(relay, GW_OWNER));
    EXPECT_FALSE(IsWindowVisible(relay));
    // Whatever the screen, an installed library file is never removed.
    EXPECT_EQ(highInstalled, GetFileAttributesW(high) != INVALID_FILE_ATTRIBUTES);

    EXPECT_TRUE(SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&item_), 0));
    EXPECT_EQ(100u, item_.cyp);
    EXPECT_FALSE(SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&item_), 0));

    SetDword(L"dHeightLimit", 120);
    DWORD_PTR result;
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"OlvaneDaybrimSettingsChanged"), 0, 0,
                        SMTO_ABORTIFHUNG, 2000, &result);
    Pump();
    EXPECT_TRUE(SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&item_), 0));
    EXPECT_EQ(120u, item_.cyp);
    HWND relay2 = FindWindowW(L"OlvaneDaybrimTopLevelWin", nullptr);
    EXPECT_NE(nullptr, relay2);  // rebuilt with the rest

    SetDword(L"LastMinimizeState", 1);
    SendMessageW(item, 1261 /* WM_DR_RELOAD */, 0, 0);
    EXPECT_TRUE(SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&item_), 0));
    EXPECT_EQ(20u, item_.cyp);  // minimized: one row

    SendMessageW(item, WM_COMMAND, 40057, 0);  // restore, written at once
    raii::Key k;
    DWORD type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, k.out()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(k.get(), L"LastMinimizeState", nullptr, &type, nullptr, nullptr));

    DestroyWindow(item);
    EXPECT_EQ(nullptr, FindWindowW(L"OlvaneDaybrimTopLevelWin", nullptr));
}

namespace {

// How many times the settings program was started since `from`, waiting a little
// for starts still on their way.
int SettingsStarts(unsigned long long from, int expected) {
    int n = 0;
    for (int i = 0; i < 250 && n < expected; ++i) {
        n = 0;
        for (auto& l : devlog::ReadLog(from)) {
            const devlog::Field* f = devlog::Find(l, "source");
            if (f && f->text == "drsettings") ++n;
        }
        if (n < expected) Sleep(20);
    }
    return n;
}

LRESULT CALLBACK BridgeProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

}  // namespace

TEST_F(ItemTest, SettingsCommandsStartTheSettingsProgramAndShutdownClosesTheBridge) {
    HWND item = MakeItem();
    ASSERT_NE(nullptr, item);
    // The host's own command and the one the tabs and the bar forward.
    const struct {
        UINT command;
    } commands[] = {{40050}, {40180}};
    for (const auto& c : commands) {
        const auto from = devlog::LogSize();
        SendMessageW(item, WM_COMMAND, c.command, 0);
        EXPECT_EQ(1, SettingsStarts(from, 1)) << c.command;
    }
    const auto before = devlog::LogSize();
    SendMessageW(item, WM_COMMAND, 40056 + 1000, 0);  // not a command of the host
    EXPECT_EQ(0, SettingsStarts(before, 0));

    // A bridge window on this thread is destroyed with the item; other windows stay.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BridgeProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PIM_BRIDGE_CLASS";
    RegisterClassW(&wc);
    HWND bridge = CreateWindowExW(0, L"PIM_BRIDGE_CLASS", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, bridge);
    DestroyWindow(item);
    Pump();
    EXPECT_FALSE(IsWindow(bridge));
    EXPECT_TRUE(IsWindow(parent_));
    UnregisterClassW(L"PIM_BRIDGE_CLASS", GetModuleHandleW(nullptr));
}
