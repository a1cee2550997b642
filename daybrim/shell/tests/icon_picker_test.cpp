// The icon picker on the test device: icon files on disk, the dialog run modally
// over an owner window that drives it step by step each time the dialog's loop
// goes idle (WM_ENTERIDLE), reading pixels from the dialog's own windows.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <functional>
#include <string>
#include <vector>

#include <aygshell.h>

#include "icon_picker.h"
#include "raii.h"
#include "scale.h"
#include "settings.h"

namespace {

using namespace daybrim;

const COLORREF kGreen = RGB(0, 255, 0);

// A 16x16 24-bit BMP: a 10x10 square of `colour` on the green key colour.
void WriteIcon(const std::wstring& path, COLORREF colour) {
    const int w = 16, h = 16, stride = w * 3;
    std::vector<uint8_t> f(54 + size_t(stride) * h, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, uint32_t(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    f[26] = 1;
    f[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool in = x >= 3 && x < 13 && y >= 3 && y < 13;
            const COLORREF c = in ? colour : kGreen;
            uint8_t* p = &f[54 + size_t(y) * stride + size_t(x) * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << "cannot write the icon";
    DWORD done = 0;
    WriteFile(file, f.data(), DWORD(f.size()), &done, nullptr);
    CloseHandle(file);
}

std::wstring Fresh(const std::wstring& name) {
    const std::wstring dir = std::wstring(TEST_TMP) + L"\\" + name;
    std::wstring dbl = dir;
    dbl.push_back(0);  // SHFileOperation wants a double-terminated list
    SHFILEOPSTRUCTW op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = dbl.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationW(&op);
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

// The dialog's owner: each time the dialog waits for input, the next step runs.
class Driver {
public:
    using Step = std::function<void(HWND dlg)>;
    explicit Driver(std::vector<Step> steps) {
        Steps() = std::move(steps);
        Next() = 0;
        Idles() = 0;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Driver::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PickerTestOwner";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, L"PickerTestOwner", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
    ~Driver() { DestroyWindow(hwnd); }
    bool AllRan() const { return Next() == Steps().size(); }
    HWND hwnd;

private:
    static std::vector<Step>& Steps() {
        static std::vector<Step> s;
        return s;
    }
    static size_t& Next() {
        static size_t n;
        return n;
    }
    static int& Idles() {
        static int n;
        return n;
    }
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
        if (m == WM_ENTERIDLE && wp == MSGF_DIALOGBOX) {
            HWND dlg = reinterpret_cast<HWND>(lp);
            if (Next() < Steps().size()) {
                Steps()[Next()++](dlg);
                PostMessageW(dlg, WM_NULL, 0, 0);  // wakes the loop for the next step
            } else if (++Idles() > 20) {
                // A script that failed to end the dialog must not hang the test.
                PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
            } else {
                PostMessageW(dlg, WM_NULL, 0, 0);
            }
            return 0;
        }
        return DefWindowProcW(h, m, wp, lp);
    }
};

COLORREF PixelOf(HWND hwnd, int x, int y) {
    UpdateWindow(hwnd);
    const COLORREF c = GetPixel(raii::WindowDC(hwnd).get(), x, y);
    return c;
}

RECT CellOf(HWND list, int item) {
    RECT icon = {};
    icon.left = LVIR_ICON;
    SendMessageW(list, LVM_GETITEMRECT, WPARAM(item), reinterpret_cast<LPARAM>(&icon));
    const BarRect c = CellRect({icon.left, icon.top, icon.right, icon.bottom}, ScaleX(30));
    return RECT{c.left, c.top, c.right, c.bottom};
}

std::wstring ButtonText(HWND bar, int id) {
    wchar_t buf[64] = {};
    SendMessageW(bar, TB_GETBUTTONTEXTW, WPARAM(id), reinterpret_cast<LPARAM>(buf));
    return buf;
}

// A tap on a soft key, through the bar's own toolbar.
void SoftKey(HWND bar, int id) {
    HWND toolbar = GetWindow(bar, GW_CHILD);
    RECT key = {};
    SendMessageW(toolbar, TB_GETRECT, WPARAM(id), reinterpret_cast<LPARAM>(&key));
    const LPARAM at = MAKELPARAM((key.left + key.right) / 2, (key.top + key.bottom) / 2);
    SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(toolbar, WM_LBUTTONUP, 0, at);
}

void Activate(HWND dlg, HWND list, int item) {
    NMITEMACTIVATE nm = {};
    nm.hdr.hwndFrom = list;
    nm.hdr.idFrom = CIconPicker::kListId;
    nm.hdr.code = LVN_ITEMACTIVATE;
    nm.iItem = item;
    SendMessageW(dlg, WM_NOTIFY, CIconPicker::kListId, reinterpret_cast<LPARAM>(&nm));
}

bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) < 8 && abs(GetGValue(a) - GetGValue(b)) < 8 &&
           abs(GetBValue(a) - GetBValue(b)) < 8;
}

class IconPicker : public ::testing::Test {
protected:
    void SetUp() override {
        lang_ = LoadLibraryW(L"\\Program Files\\Olvane\\Daybrim\\LangRes\\DREngRc.dll");
        dir_ = Fresh(L"pick");
        CreateDirectoryW((dir_ + L"\\sub").c_str(), nullptr);
        WriteIcon(dir_ + L"\\a.bmp", RGB(0, 0, 255));
        WriteIcon(dir_ + L"\\B.BMP", RGB(255, 0, 0));
        WriteIcon(dir_ + L"\\sub\\c.bmp", RGB(0, 0, 0));
        HANDLE h = CreateFileW((dir_ + L"\\notes.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(h);
        SystemFolderReader reader;
        icons_ = BuildIconList(reader, {dir_});
    }
    void TearDown() override {
        if (lang_) FreeLibrary(lang_);
    }
    HMODULE lang_ = nullptr;
    std::wstring dir_;
    std::vector<std::wstring> icons_;
};

}  // namespace

TEST_F(IconPicker, TheFilesOnDiskInFolderOrder) {
    ASSERT_EQ(3u, icons_.size());
    EXPECT_EQ(dir_ + L"\\a.bmp", icons_[0]);
    EXPECT_EQ(dir_ + L"\\B.BMP", icons_[1]);
    EXPECT_EQ(dir_ + L"\\sub\\c.bmp", icons_[2]);
}

TEST(InstalledIconSet, TheIconsShippedWithTheItemAreKeyedBitmaps) {
    SystemFolderReader reader;
    const std::vector<std::wstring> icons = BuildIconList(reader, IconSearchFolders(L"\\Program Files", L"", {}));
    ASSERT_GE(icons.size(), 8u) << "the icon set is staged on the device";
    raii::MemDC mem(CreateCompatibleDC(raii::WindowDC(nullptr).get()));
    for (const std::wstring& path : icons) {
        raii::Bitmap bmp(SHLoadDIBitmap(path.c_str()));
        ASSERT_TRUE(bmp) << "cannot load " << std::string(path.begin(), path.end());
        BITMAP bm = {};
        GetObjectW(bmp.get(), sizeof bm, &bm);
        EXPECT_EQ(16, bm.bmWidth);
        raii::Select sel(mem.get(), bmp.get());
        EXPECT_EQ(kGreen, GetPixel(mem.get(), 0, 0)) << "drawn on the transparent colour";
    }
}

TEST_F(IconPicker, FullScreenFramedCellsAndDoneReturnsTheActivatedIcon) {
    ASSERT_NE(nullptr, lang_) << "the language library is staged on the device";
    CIconPicker picker(icons_, lang_);
    std::wstring path;
    Driver driver({
        [&](HWND dlg) {
            EXPECT_EQ(picker.Dialog(), dlg);
            RECT rc;
            GetWindowRect(dlg, &rc);
            EXPECT_EQ(0, rc.left);
            EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), rc.right);
            EXPECT_EQ(26, rc.top) << "below the navigation band";
            EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) - 26, rc.bottom) << "above the soft keys";
            ASSERT_NE(nullptr, picker.MenuBar());
            EXPECT_EQ(2, SendMessageW(picker.MenuBar(), TB_BUTTONCOUNT, 0, 0));
            EXPECT_EQ(L"Done", ButtonText(picker.MenuBar(), IDOK));
            EXPECT_EQ(L"Cancel", ButtonText(picker.MenuBar(), IDCANCEL));
            HWND list = picker.List();
            ASSERT_EQ(3, ListView_GetItemCount(list));
            // Grey frame, white inside, the icon centred without its green key.
            const RECT cell = CellOf(list, 0);
            EXPECT_EQ(30, cell.right - cell.left);
            EXPECT_EQ(RGB(0x78, 0x78, 0x78), PixelOf(list, cell.left, cell.top + 5));
            EXPECT_EQ(RGB(0x78, 0x78, 0x78), PixelOf(list, cell.right - 1, cell.bottom - 1));
            EXPECT_EQ(RGB(255, 255, 255), PixelOf(list, cell.left + 2, cell.top + 2));
            EXPECT_EQ(RGB(255, 255, 255), PixelOf(list, cell.left + 8, cell.top + 8)) << "the key colour is left out";
            EXPECT_EQ(RGB(0, 0, 255), PixelOf(list, cell.left + 15, cell.top + 15));
            const RECT cell2 = CellOf(list, 1);
            EXPECT_GE(cell2.left, cell.right) << "cells side by side";
            EXPECT_EQ(RGB(255, 0, 0), PixelOf(list, cell2.left + 15, cell2.top + 15));
            // Nothing chosen: no picture in the strip.
            const RECT pv = picker.PreviewRect();
            EXPECT_FALSE(Near(RGB(0x78, 0x78, 0x78), PixelOf(dlg, pv.left, pv.top + 5)));
        },
        [&](HWND dlg) {
            Activate(dlg, picker.List(), 1);
            EXPECT_EQ(icons_[1], picker.Chosen());
            Activate(dlg, picker.List(), 7);  // no such cell
            EXPECT_EQ(icons_[1], picker.Chosen());
            const RECT pv = picker.PreviewRect();
            EXPECT_EQ(RGB(0x78, 0x78, 0x78), PixelOf(dlg, pv.left, pv.top + 5));
            EXPECT_EQ(RGB(255, 0, 0), PixelOf(dlg, (pv.left + pv.right) / 2, (pv.top + pv.bottom) / 2));
        },
        [&](HWND) { SoftKey(picker.MenuBar(), IDOK); },
    });
    EXPECT_TRUE(picker.Run(driver.hwnd, GetModuleHandleW(nullptr), &path));
    EXPECT_TRUE(driver.AllRan());
    EXPECT_EQ(icons_[1], path);
}

TEST_F(IconPicker, CancelLeavesThePathAndTheClearButtonChoosesNone) {
    CIconPicker picker(icons_, lang_);
    std::wstring path = L"\\Elsewhere\\mine.bmp";
    Driver cancel({
        [&](HWND dlg) {
            EXPECT_EQ(L"\\Elsewhere\\mine.bmp", picker.Chosen());
            Activate(dlg, picker.List(), 0);
        },
        [&](HWND) { SoftKey(picker.MenuBar(), IDCANCEL); },
    });
    EXPECT_FALSE(picker.Run(cancel.hwnd, GetModuleHandleW(nullptr), &path));
    EXPECT_TRUE(cancel.AllRan());
    EXPECT_EQ(L"\\Elsewhere\\mine.bmp", path);

    // The current icon starts selected; the clear button empties the choice.
    path = icons_[2];
    Driver clear({
        [&](HWND dlg) {
            EXPECT_EQ(UINT(LVIS_SELECTED), ListView_GetItemState(picker.List(), 2, LVIS_SELECTED));
            const RECT pv = picker.PreviewRect();
            EXPECT_EQ(RGB(0, 0, 0), PixelOf(dlg, (pv.left + pv.right) / 2, (pv.top + pv.bottom) / 2));
            SendMessageW(GetDlgItem(dlg, CIconPicker::kClearId), BM_CLICK, 0, 0);
            EXPECT_TRUE(picker.Chosen().empty());
            EXPECT_EQ(0u, ListView_GetItemState(picker.List(), 2, LVIS_SELECTED));
            EXPECT_NE(RGB(0, 0, 0), PixelOf(dlg, (pv.left + pv.right) / 2, (pv.top + pv.bottom) / 2));
        },
        [&](HWND) { SoftKey(picker.MenuBar(), IDOK); },
    });
    EXPECT_TRUE(picker.Run(clear.hwnd, GetModuleHandleW(nullptr), &path));
    EXPECT_TRUE(path.empty());

    // Closing the dialog another way is a cancel too.
    path = L"kept";
    Driver close({[&](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); }});
    EXPECT_FALSE(picker.Run(close.hwnd, GetModuleHandleW(nullptr), &path));
    EXPECT_EQ(L"kept", path);
}

TEST_F(IconPicker, InstalledIconsComeFromEveryFolderInOrderOnceForTheLibrarysLife) {
    const std::wstring pf = Fresh(L"pf");
    const std::wstring icons = pf + L"\\Olvane\\Daybrim\\Icons";
    for (const wchar_t* sub : {L"\\Olvane", L"\\Olvane\\Daybrim", L"\\Olvane\\Daybrim\\Icons"})
        CreateDirectoryW((pf + sub).c_str(), nullptr);
    WriteIcon(icons + L"\\x.bmp", RGB(1, 2, 3));
    const std::wstring extra = Fresh(L"extra");
    WriteIcon(extra + L"\\y.bmp", RGB(1, 2, 3));
    const std::wstring set18 = Fresh(L"set18");
    WriteIcon(set18 + L"\\z.bmp", RGB(1, 2, 3));
    const wchar_t kSet[] = L"Software\\Olvane\\Daybrim\\IconSet";
    SHDeleteKeyW(HKEY_CURRENT_USER, kSet);
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kSet, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr));
    auto setString = [&](const wchar_t* name, const std::wstring& v) {
        RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), DWORD((v.size() + 1) * 2));
    };
    setString(L"InstallPath18", set18);
    setString(L"InstallPath24", std::wstring(TEST_TMP) + L"\\no-such-folder");
    RegCloseKey(k);

    CSettings settings;
    settings.ProgramFiles.Set(pf);
    settings.AdditionalIconsFolder.Set(extra);
    const std::vector<std::wstring> expect = {icons + L"\\x.bmp", extra + L"\\y.bmp", set18 + L"\\z.bmp"};
    EXPECT_EQ(expect, InstalledIcons(settings));
    WriteIcon(extra + L"\\late.bmp", RGB(1, 2, 3));
    EXPECT_EQ(expect, InstalledIcons(settings)) << "found once, kept";

    std::wstring path = L"before";
    Driver driver({[&](HWND dlg) {
        EXPECT_EQ(3, ListView_GetItemCount(GetDlgItem(dlg, CIconPicker::kListId)));
        PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    }});
    EXPECT_FALSE(PickIcon(driver.hwnd, GetModuleHandleW(nullptr), lang_, settings, &path));
    EXPECT_TRUE(driver.AllRan());
    EXPECT_EQ(L"before", path);
    EXPECT_FALSE(PickIcon(driver.hwnd, GetModuleHandleW(nullptr), lang_, settings, nullptr));
    SHDeleteKeyW(HKEY_CURRENT_USER, kSet);
}
