// aygshell.dll as the products use it.
#include <gtest/gtest.h>

#include <string>

#include "aygshell.h"
#include "cesim.h"
#include "cesim_shell.h"
#include "devicelog.h"
#include "pe_exports.h"
#include "raii.h"

namespace {

int Scale(int v) {
    raii::WindowDC dc(nullptr);
    return (v * GetDeviceCaps(dc.get(), LOGPIXELSY) + 48) / 96;
}

// A plain top-level window that records the commands it gets.
struct Host {
    Host() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"AygTestHost";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, L"AygTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, Scale(26),
                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - Scale(26), nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        commands().clear();
    }
    ~Host() { DestroyWindow(hwnd); }
    static std::vector<WPARAM>& commands() {
        static std::vector<WPARAM> c;
        return c;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_COMMAND) commands().push_back(wp);
        return DefWindowProcW(h, m, wp, lp);
    }
    HWND hwnd;
};

SHMENUBARINFO BarInfo(HWND parent, DWORD flags, UINT id) {
    SHMENUBARINFO mb = {};
    mb.cbSize = sizeof mb;
    mb.hwndParent = parent;
    mb.dwFlags = flags;
    mb.nToolBarId = id;
    mb.hInstRes = GetModuleHandleW(nullptr);
    return mb;
}

LPARAM ButtonLParam(HWND bar, int index) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_LPARAM | TBIF_BYINDEX;
    if (SendMessageW(bar, TB_GETBUTTONINFOW, index, reinterpret_cast<LPARAM>(&info)) < 0) return -1;
    return info.lParam;
}

std::wstring ButtonText(HWND bar, int id) {
    wchar_t buf[64] = {};
    SendMessageW(bar, TB_GETBUTTONTEXTW, id, reinterpret_cast<LPARAM>(buf));
    return buf;
}

void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

}  // namespace

TEST(AygShell, ExportsItsFunctionsByTheirPlainNames) {
    HMODULE dll = GetModuleHandleW(L"aygshell.dll");
    ASSERT_NE(nullptr, dll);
    pe::Exports e;
    ASSERT_TRUE(pe::ReadExports(dll, &e));
    for (const char* name : {"SHCreateMenuBar", "SHInitDialog", "SHInitExtraControls", "SHHandleWMActivate",
                             "SHHandleWMSettingChange", "SHRecognizeGesture", "SHLoadDIBitmap", "SHDoneButton",
                             "SHFullScreen"})
        EXPECT_NE(nullptr, GetProcAddress(dll, name)) << name;
    EXPECT_EQ(e.ordinals.size(), e.names.size()) << "each function exported once";
}

TEST(MenuBar, FromAMenuEachTopLevelItemIsASoftKeyAtTheBottom) {
    Host host;
    SHMENUBARINFO mb = BarInfo(host.hwnd, SHCMBF_HMENU | SHCMBF_HIDESIPBUTTON, 129);
    ASSERT_TRUE(SHCreateMenuBar(&mb));
    ASSERT_TRUE(IsWindow(mb.hwndMB));
    EXPECT_EQ(host.hwnd, GetWindow(mb.hwndMB, GW_OWNER));
    RECT rc;
    GetWindowRect(mb.hwndMB, &rc);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), rc.bottom);
    EXPECT_EQ(Scale(26), rc.bottom - rc.top) << "the height a product shrinks its window by";
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), rc.right - rc.left);

    ASSERT_EQ(3, SendMessageW(mb.hwndMB, TB_BUTTONCOUNT, 0, 0));
    // The second key's popup, as a product finds it: by index, in the button's lParam.
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(mb.hwndMB, SHCMBM_GETMENU, 0, 0));
    ASSERT_NE(nullptr, menu);
    HMENU popup = reinterpret_cast<HMENU>(ButtonLParam(mb.hwndMB, 1));
    EXPECT_EQ(GetSubMenu(menu, 1), popup);
    EXPECT_EQ(32778u, GetMenuItemID(popup, 0));
    EXPECT_EQ(GetSubMenu(menu, 0), reinterpret_cast<HMENU>(ButtonLParam(mb.hwndMB, 0)));
    EXPECT_EQ(0, ButtonLParam(mb.hwndMB, 2)) << "a plain item has no popup";
    EXPECT_EQ(L"Call", ButtonText(mb.hwndMB, 40100));
    // Items may be deleted from the popup the bar hands out.
    EXPECT_TRUE(DeleteMenu(GetSubMenu(menu, 0), 32774, MF_BYCOMMAND));
}

TEST(MenuBar, FromMenuBarDataWithCommandsSentToTheParent) {
    Host host;
    SHMENUBARINFO mb = BarInfo(host.hwnd, 0, 310);
    ASSERT_TRUE(SHCreateMenuBar(&mb));
    ASSERT_EQ(2, SendMessageW(mb.hwndMB, TB_BUTTONCOUNT, 0, 0));
    EXPECT_EQ(L"Done", ButtonText(mb.hwndMB, 1));
    EXPECT_EQ(L"Tools", ButtonText(mb.hwndMB, 2)) << "no string: the popup's own text";
    HMENU tools = reinterpret_cast<HMENU>(SendMessageW(mb.hwndMB, SHCMBM_GETSUBMENU, 0, 2));
    ASSERT_NE(nullptr, tools);
    EXPECT_EQ(40200u, GetMenuItemID(tools, 0));
    EXPECT_EQ(nullptr, reinterpret_cast<HMENU>(SendMessageW(mb.hwndMB, SHCMBM_GETSUBMENU, 0, 1)));

    // Tapping the "Done" key.
    HWND toolbar = GetWindow(mb.hwndMB, GW_CHILD);
    RECT key;
    ASSERT_TRUE(SendMessageW(toolbar, TB_GETRECT, 1, reinterpret_cast<LPARAM>(&key)));
    const LPARAM at = MAKELPARAM((key.left + key.right) / 2, (key.top + key.bottom) / 2);
    SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(toolbar, WM_LBUTTONUP, 0, at);
    Pump();
    ASSERT_EQ(1u, Host::commands().size());
    EXPECT_EQ(1u, LOWORD(Host::commands()[0]));
}

TEST(MenuBar, AnEmptyBarTakesTextButtonsAfterwards) {
    Host host;
    SHMENUBARINFO mb = BarInfo(host.hwnd, SHCMBF_EMPTYBAR, 0);
    ASSERT_TRUE(SHCreateMenuBar(&mb));
    EXPECT_EQ(0, SendMessageW(mb.hwndMB, TB_BUTTONCOUNT, 0, 0));
    wchar_t left[] = L"Select", right[] = L"Cancel";
    TBBUTTON b[2] = {};
    b[0].iBitmap = b[1].iBitmap = I_IMAGENONE;
    b[0].idCommand = 1;
    b[1].idCommand = 2;
    b[0].fsState = b[1].fsState = TBSTATE_ENABLED;
    b[0].fsStyle = b[1].fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    b[0].iString = reinterpret_cast<INT_PTR>(left);
    b[1].iString = reinterpret_cast<INT_PTR>(right);
    EXPECT_TRUE(SendMessageW(mb.hwndMB, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&b[0])));
    EXPECT_TRUE(SendMessageW(mb.hwndMB, TB_INSERTBUTTONW, 1, reinterpret_cast<LPARAM>(&b[1])));
    EXPECT_EQ(2, SendMessageW(mb.hwndMB, TB_BUTTONCOUNT, 0, 0));
    EXPECT_EQ(L"Cancel", ButtonText(mb.hwndMB, 2));
}

TEST(MenuBar, GoesWithItsParentAndRefusesBadRequests) {
    HWND bar;
    {
        Host host;
        SHMENUBARINFO mb = BarInfo(host.hwnd, SHCMBF_HMENU, 129);
        ASSERT_TRUE(SHCreateMenuBar(&mb));
        bar = mb.hwndMB;
        // Recreating, as a product does when its mode changes.
        DestroyWindow(bar);
        ASSERT_TRUE(SHCreateMenuBar(&mb));
        bar = mb.hwndMB;
    }
    EXPECT_FALSE(IsWindow(bar));

    Host host;
    EXPECT_FALSE(SHCreateMenuBar(nullptr));
    SHMENUBARINFO mb = BarInfo(host.hwnd, SHCMBF_HMENU, 129);
    mb.cbSize = 32;
    EXPECT_FALSE(SHCreateMenuBar(&mb));
    mb = BarInfo(nullptr, SHCMBF_HMENU, 129);
    EXPECT_FALSE(SHCreateMenuBar(&mb));
    mb = BarInfo(host.hwnd, SHCMBF_HMENU, 999);
    EXPECT_FALSE(SHCreateMenuBar(&mb));
    EXPECT_EQ(nullptr, mb.hwndMB);
    mb = BarInfo(host.hwnd, 0, 311);  // data shorter than its count
    EXPECT_FALSE(SHCreateMenuBar(&mb));
}

namespace {

INT_PTR CALLBACK DialogProc(HWND, UINT m, WPARAM, LPARAM) { return m == WM_INITDIALOG; }

HWND Dialog() {
    // A tiny in-memory template: popup, caption, no controls.
    struct {
        DLGTEMPLATE t;
        WORD menu, cls, title;
    } tpl = {};
    tpl.t.style = WS_POPUP | WS_CAPTION;
    tpl.t.cx = 60;
    tpl.t.cy = 40;
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tpl.t, nullptr, DialogProc, 0);
}

RECT WindowRect(HWND h) {
    RECT rc;
    GetWindowRect(h, &rc);
    return rc;
}

}  // namespace

TEST(InitDialog, FullScreenDialogsFillTheWorkArea) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN), band = Scale(26);
    HWND dlg = Dialog();
    ASSERT_NE(nullptr, dlg);
    SHINITDLGINFO shidi = {SHIDIM_FLAGS, dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    ASSERT_TRUE(SHInitDialog(&shidi));
    RECT rc = WindowRect(dlg);
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(band, rc.top) << "below the navigation band";
    EXPECT_EQ(w, rc.right);
    EXPECT_EQ(h - band, rc.bottom) << "room for the soft keys";
    EXPECT_NE(nullptr, GetPropW(dlg, L"CeSim.DoneButton"));
    // The shell's navigation bar stands above it.
    HWND nav = FindWindowW(L"HHTaskBar", nullptr);
    ASSERT_NE(nullptr, nav);
    EXPECT_TRUE(IsWindowVisible(nav));
    const RECT navRect = WindowRect(nav);
    EXPECT_EQ(0, navRect.top);
    EXPECT_EQ(band, navRect.bottom);
    EXPECT_EQ(w, navRect.right);
    // No caption of its own: the client area is the whole window.
    EXPECT_EQ(0, GetWindowLongPtrW(dlg, GWL_STYLE) & WS_CAPTION);
    RECT client;
    GetClientRect(dlg, &client);
    EXPECT_EQ(rc.right - rc.left, client.right);
    EXPECT_EQ(rc.bottom - rc.top, client.bottom);

    shidi.dwFlags = SHIDIF_FULLSCREENNOMENUBAR;
    ASSERT_TRUE(SHInitDialog(&shidi));
    rc = WindowRect(dlg);
    EXPECT_EQ(band, rc.top);
    EXPECT_EQ(h, rc.bottom);
    EXPECT_TRUE(SHDoneButton(dlg, SHDB_HIDE));
    EXPECT_EQ(nullptr, GetPropW(dlg, L"CeSim.DoneButton"));

    // Without the flags mask nothing happens and the call fails.
    SHINITDLGINFO none = {0, dlg, SHIDIF_SIZEDLGFULLSCREEN};
    EXPECT_FALSE(SHInitDialog(&none));
    EXPECT_FALSE(SHInitDialog(nullptr));
    DestroyWindow(dlg);
    SHINITDLGINFO gone = {SHIDIM_FLAGS, dlg, SHIDIF_SIZEDLGFULLSCREEN};
    EXPECT_FALSE(SHInitDialog(&gone));
}

TEST(Shell, ExtraControlsIncludeTheOwnerDrawnKeyButton) {
    ASSERT_TRUE(SHInitExtraControls());
    Host host;
    HWND key = CreateWindowExW(0, L"TTBUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 20, 20, host.hwnd,
                               reinterpret_cast<HMENU>(7), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, key);
    EXPECT_EQ(0, SendMessageW(key, BM_GETSTATE, 0, 0) & BST_PUSHED);
}

TEST(Shell, ActivationRecordsAreCheckedForTheirSize) {
    Host host;
    SHACTIVATEINFO sai = {};
    sai.cbSize = sizeof sai;
    EXPECT_TRUE(SHHandleWMActivate(host.hwnd, WA_ACTIVE, 0, &sai, 0));
    EXPECT_EQ(1u, sai.fActive);
    EXPECT_TRUE(SHHandleWMActivate(host.hwnd, WA_INACTIVE, 0, &sai, 0));
    EXPECT_EQ(0u, sai.fActive);
    EXPECT_TRUE(SHHandleWMSettingChange(host.hwnd, 0, 0, &sai));
    sai.cbSize = 8;
    EXPECT_FALSE(SHHandleWMActivate(host.hwnd, WA_ACTIVE, 0, &sai, 0));
    EXPECT_FALSE(SHHandleWMSettingChange(host.hwnd, 0, 0, &sai));
    EXPECT_FALSE(SHHandleWMActivate(host.hwnd, WA_ACTIVE, 0, nullptr, 0));
    EXPECT_TRUE(SHFullScreen(host.hwnd, SHFS_HIDETASKBAR));
}

namespace {

void SetGestureSetting(const DWORD* v) {
    raii::Key key;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, CESIM_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
    if (v)
        RegSetValueExW(key.get(), L"GestureHold", 0, REG_DWORD, reinterpret_cast<const BYTE*>(v), sizeof *v);
    else
        RegDeleteValueW(key.get(), L"GestureHold");
}

}  // namespace

TEST(Gesture, TheTestDecidesWhetherAPressIsAHold) {
    Host host;
    SHRGINFO rg = {sizeof rg, host.hwnd, {10, 20}, SHRG_RETURNCMD};
    const auto from = devlog::LogSize();
    CeSim_SetGestureHold(1);
    EXPECT_EQ(DWORD(GN_CONTEXTMENU), SHRecognizeGesture(&rg));
    CeSim_SetGestureHold(0);
    EXPECT_EQ(0u, SHRecognizeGesture(&rg));
    CeSim_SetGestureHold(CESIM_NO_OVERRIDE);

    const DWORD hold = 1;
    SetGestureSetting(&hold);
    EXPECT_EQ(DWORD(GN_CONTEXTMENU), SHRecognizeGesture(&rg)) << "the device setting";
    SetGestureSetting(nullptr);

    auto lines = devlog::ReadLog(from);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("gesture", devlog::Find(lines[0], "event")->text);
    EXPECT_EQ("10", devlog::Find(lines[0], "x")->text);
    EXPECT_EQ("true", devlog::Find(lines[0], "hold")->text);
    EXPECT_EQ("false", devlog::Find(lines[1], "hold")->text);
}

TEST(Gesture, APenAlreadyLiftedIsATapAndItsUpStaysQueued) {
    Host host;
    PostMessageW(host.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    SHRGINFO rg = {sizeof rg, host.hwnd, {10, 20}, SHRG_RETURNCMD};
    EXPECT_EQ(0u, SHRecognizeGesture(&rg));
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, host.hwnd, WM_LBUTTONUP, WM_LBUTTONUP, PM_REMOVE));
    EXPECT_EQ(nullptr, GetCapture());
}

TEST(Gesture, BadRecordsAreNeverHolds) {
    CeSim_SetGestureHold(1);
    Host host;
    SHRGINFO rg = {16, host.hwnd, {0, 0}, SHRG_RETURNCMD};
    EXPECT_EQ(0u, SHRecognizeGesture(&rg));
    rg.cbSize = sizeof rg;
    rg.hwndClient = nullptr;
    EXPECT_EQ(0u, SHRecognizeGesture(&rg));
    EXPECT_EQ(0u, SHRecognizeGesture(nullptr));
    CeSim_SetGestureHold(CESIM_NO_OVERRIDE);
}

namespace {

bool WriteBytes(const wchar_t* path, const std::string& bytes) {
    raii::File f(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD n = 0;
    return f && WriteFile(f.get(), bytes.data(), DWORD(bytes.size()), &n, nullptr) && n == bytes.size();
}

// A 2 x 2 24-bit bitmap file whose top-left pixel is pure red.
std::string TinyBmp() {
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    const int row = 8;  // 2 pixels x 3 bytes, padded to 4
    ih.biSize = sizeof ih;
    ih.biWidth = 2;
    ih.biHeight = 2;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biSizeImage = row * 2;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + ih.biSizeImage;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    std::string pixels(row * 2, '\0');
    pixels[row + 2] = char(0xFF);  // bottom-up rows: the second row is the top one; B, G, R
    out += pixels;
    return out;
}

}  // namespace

TEST(LoadDIBitmap, LoadsABitmapFileAsADibSection) {
    const wchar_t path[] = L"\\Temp\\ayg_test.bmp";
    CreateDirectoryW(L"\\Temp", nullptr);
    ASSERT_TRUE(WriteBytes(path, TinyBmp()));
    raii::Bitmap bmp(SHLoadDIBitmap(path));
    ASSERT_TRUE(bmp);
    DIBSECTION ds = {};
    ASSERT_EQ(int(sizeof ds), GetObjectW(bmp.get(), sizeof ds, &ds)) << "a DIB section";
    EXPECT_EQ(2, ds.dsBm.bmWidth);
    EXPECT_EQ(2, ds.dsBm.bmHeight);
    raii::MemDC dc(CreateCompatibleDC(nullptr));
    raii::Select sel(dc.get(), bmp.get());
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc.get(), 0, 0));
    DeleteFileW(path);
}

TEST(LoadDIBitmap, MissingOrBrokenFilesGiveNull) {
    EXPECT_EQ(nullptr, SHLoadDIBitmap(L"\\Temp\\no_such_file.bmp"));
    EXPECT_EQ(nullptr, SHLoadDIBitmap(L""));
    EXPECT_EQ(nullptr, SHLoadDIBitmap(nullptr));
    const wchar_t junk[] = L"\\Temp\\ayg_junk.bmp";
    CreateDirectoryW(L"\\Temp", nullptr);
    std::string truncated = TinyBmp().substr(0, 20);
    ASSERT_TRUE(WriteBytes(junk, truncated));
    EXPECT_EQ(nullptr, SHLoadDIBitmap(junk));
    ASSERT_TRUE(WriteBytes(junk, "this is not a bitmap at all, just words"));
    EXPECT_EQ(nullptr, SHLoadDIBitmap(junk));
    DeleteFileW(junk);
}
