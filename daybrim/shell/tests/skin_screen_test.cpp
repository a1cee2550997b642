// The Today item with its tab bar on the Today screen, in both skins, both bar
// orientations and both screen sizes; and a skin change through the settings
// broadcast, in place. Screenshots go to the build folder (skin_snaps/) to look at.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "png_writer.h"
#include "raii.h"
#include "runner.h"
#include "today_screen.h"

namespace {

const wchar_t kRoot[] = L"Software\\Olvane\\Daybrim";
const wchar_t kSkins[] = L"\\Program Files\\Olvane\\Daybrim\\Skins\\";

struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    COLORREF At(int x, int y) const {
        const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
        return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
    }
};

std::string ReadAll(const std::wstring& path) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return std::string();
    std::string bytes(GetFileSize(f.get(), nullptr), '\0');
    DWORD got = 0;
    ReadFile(f.get(), &bytes[0], DWORD(bytes.size()), &got, nullptr);
    return bytes;
}

// The screenshots come from our own PNG writer; read them back with its reader.
bool ReadPng(const std::wstring& path, Image* out) {
    const std::string s = ReadAll(path);
    return png::DecodeOwnRgb(reinterpret_cast<const uint8_t*>(s.data()), s.size(), &out->width, &out->height,
                             &out->rgb);
}

void SetDword(const wchar_t* name, DWORD v) {
    raii::Key k;
    RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr);
    RegSetValueExW(k.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

void SetSkin(const wchar_t* skin) {
    raii::Key k;
    RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr);
    const std::wstring v = std::wstring(kSkins) + skin + L"\\";
    RegSetValueExW(k.get(), L"SkinPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                   DWORD((v.size() + 1) * 2));
}

DWORD RunHost(const std::wstring& args) { return today::RunProgram(TODAYHOST_EXE, args); }

bool Near(COLORREF a, COLORREF b, int tol = 24) {
    return abs(GetRValue(a) - GetRValue(b)) <= tol && abs(GetGValue(a) - GetGValue(b)) <= tol &&
           abs(GetBValue(a) - GetBValue(b)) <= tol;
}

int Count(const Image& img, int x0, int y0, int x1, int y1, COLORREF c) {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(y1, img.height); ++y)
        for (int x = std::max(0, x0); x < std::min(x1, img.width); ++x) n += Near(img.At(x, y), c);
    return n;
}

// The skins' accent colours: the selected button and the caption are drawn in them.
const COLORREF kDefaultAccent = RGB(0x2F, 0x6D, 0xB5);
const COLORREF kDarkAccent = RGB(0x2B, 0x2F, 0x36);

class SkinScreen : public ::testing::Test {
protected:
    void SetUp() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
        CreateDirectoryW(SNAP_DIR, nullptr);
    }
    void TearDown() override {
        SHDeleteKeyW(HKEY_CURRENT_USER, kRoot);
        SHDeleteValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today", L"Watermark");
        // The device goes back to the small screen the other tests expect.
        raii::Key k;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts",
                            0, nullptr, 0, KEY_WRITE, nullptr, k.out(), nullptr) == ERROR_SUCCESS) {
            const DWORD dpi = 96;
            RegSetValueExW(k.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        }
        raii::Key sim;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\CeSim", 0, nullptr, 0, KEY_WRITE, nullptr, sim.out(),
                            nullptr) == ERROR_SUCCESS) {
            const DWORD w = 240, h = 320;
            RegSetValueExW(sim.get(), L"ScreenWidth", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&w), sizeof w);
            RegSetValueExW(sim.get(), L"ScreenHeight", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&h), sizeof h);
        }
    }

    Image Snap(const wchar_t* skin, bool vertical, int w, int h) {
        SetSkin(skin);
        SetDword(L"VerticalTabs", vertical ? 1 : 0);
        const std::wstring file = std::wstring(SNAP_DIR) + L"/" + skin + (vertical ? L"-vertical-" : L"-horizontal-") +
                                  std::to_wstring(w) + L"x" + std::to_wstring(h) + L".png";
        DeleteFileW(file.c_str());
        EXPECT_EQ(0u, RunHost(L"--size " + std::to_wstring(w) + L"x" + std::to_wstring(h) +
                              L" --settle 1000 --snap \"" + file + L"\""));
        Image img;
        EXPECT_TRUE(ReadPng(file, &img)) << "no screenshot";
        return img;
    }
};

}  // namespace

TEST_F(SkinScreen, BothSkinsBothBarsBothScreens) {
    // The small screen last: each run leaves the device at its screen's resolution.
    for (int scale : {2, 1}) {
        const int s = scale;
        for (bool vertical : {true, false}) {
            SCOPED_TRACE(std::string(vertical ? "vertical " : "horizontal ") + (s == 1 ? "240x320" : "480x640"));
            const Image def = Snap(L"default", vertical, 240 * s, 320 * s);
            const Image dark = Snap(L"dark", vertical, 240 * s, 320 * s);
            ASSERT_EQ(240 * s, def.width);
            ASSERT_EQ(320 * s, dark.height);
            // Below the navigation band (26) the item starts with its tab row.
            const int top = 26 * s;
            if (vertical) {
                // The bar: 26 wide at the left, one button every 23 rows; the
                // selected one (Calendar) is the accent tile at the top.
                const int selDef = Count(def, 0, top, 26 * s, top + 23 * s, kDefaultAccent);
                const int selDark = Count(dark, 0, top, 26 * s, top + 23 * s, kDarkAccent);
                EXPECT_GT(selDef, 120 * s * s);
                EXPECT_GT(selDark, 120 * s * s);
                // Six buttons: glyphs all the way down the column.
                EXPECT_GT(Count(def, 0, top + 5 * 23 * s, 26 * s, top + 6 * 23 * s, RGB(0x3E, 0x54, 0x70)), 10 * s * s);
                EXPECT_GT(Count(dark, 0, top + 5 * 23 * s, 26 * s, top + 6 * 23 * s, kDarkAccent), 80 * s * s);
                // The caption sits right of the bar.
                EXPECT_GT(Count(def, 26 * s, top, 60 * s, top + 20 * s, kDefaultAccent), 150 * s * s);
            } else {
                // The caption at the left, the buttons packed against the right end.
                EXPECT_GT(Count(def, 0, top, 27 * s, top + 20 * s, kDefaultAccent), 200 * s * s);
                EXPECT_GT(Count(dark, 0, top, 27 * s, top + 20 * s, kDarkAccent), 200 * s * s);
                EXPECT_GT(Count(def, 220 * s, top, 240 * s, top + 20 * s, RGB(0x3E, 0x54, 0x70)), 10 * s * s);
                // Four of the six buttons fit the 100-wide bar beside the caption:
                // Calendar, the first, is selected and in view at 240 - 4 x 20, the
                // settings icon left of it, the scroll arrow at the right end.
                EXPECT_GT(Count(def, 160 * s, top, 180 * s, top + 20 * s, kDefaultAccent), 110 * s * s);
                EXPECT_GT(Count(dark, 160 * s, top, 180 * s, top + 20 * s, kDarkAccent), 110 * s * s);
                EXPECT_GT(Count(def, 140 * s, top, 160 * s, top + 20 * s, kDefaultAccent), 90 * s * s);
                // Between the caption's calendar buttons and its category button
                // (x 91) nothing is drawn in the accent.
                EXPECT_EQ(0, Count(def, 60 * s, top, 88 * s, top + 20 * s, kDefaultAccent));
                EXPECT_GT(Count(def, 91 * s, top, 140 * s, top + 20 * s, kDefaultAccent), 10 * s * s);
            }
            // The two skins differ where the bar is, and nowhere below the item's first row.
            EXPECT_EQ(0, Count(def, 60 * s, 100 * s, 240 * s, 102 * s, kDefaultAccent));
        }
    }
}

TEST_F(SkinScreen, TheSettingsBroadcastSwitchesTheSkinInPlace) {
    SetSkin(L"default");
    today::ScreenOptions opt;
    opt.pollMs = 0;
    today::TodayScreen screen(opt);
    ASSERT_TRUE(screen.Create(GetModuleHandleW(nullptr)));
    screen.LoadItems();
    ASSERT_GE(screen.model().Count(), 1u);
    HWND item = nullptr;
    for (size_t i = 0; i < screen.model().Count(); ++i) {
        wchar_t cls[32] = {};
        GetClassNameW(screen.model().Item(i).hwndCustom, cls, 32);
        if (lstrcmpW(cls, L"QuorvelWnd") == 0) item = screen.model().Item(i).hwndCustom;
    }
    ASSERT_NE(nullptr, item);
    RECT rc;
    GetWindowRect(item, &rc);
    today::Pixels before;
    ASSERT_TRUE(screen.Capture(&before));
    auto count = [&](const today::Pixels& px, COLORREF c) {
        int n = 0;
        for (int y = rc.top; y < rc.top + 23; ++y)
            for (int x = rc.left; x < rc.left + 26; ++x) n += Near(px.At(x, y), c);
        return n;
    };
    EXPECT_GT(count(before, kDefaultAccent), 100) << rc.left << "," << rc.top;
    EXPECT_LT(count(before, kDarkAccent), 30);

    SetSkin(L"dark");
    const UINT msg = RegisterWindowMessageW(L"OlvaneDaybrimSettingsChanged");
    HWND relay = FindWindowW(L"OlvaneDaybrimTopLevelWin", nullptr);
    ASSERT_NE(nullptr, relay);
    SendMessageW(relay, msg, 0, 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    EXPECT_TRUE(IsWindow(item));  // the same window, rebuilt inside
    today::Pixels after;
    ASSERT_TRUE(screen.Capture(&after));
    EXPECT_GT(count(after, kDarkAccent), 100);
    EXPECT_LT(count(after, kDefaultAccent), 30);
    screen.UnloadItems();
}

TEST_F(SkinScreen, ANewTodayThemeShowsUnderEveryWindowOfTheItem) {
    SetSkin(L"dark");
    today::ScreenOptions opt;
    opt.pollMs = 0;
    today::TodayScreen screen(opt);
    ASSERT_TRUE(screen.Create(GetModuleHandleW(nullptr)));
    screen.LoadItems();
    today::PumpFor(300);
    HWND item = nullptr;
    for (size_t i = 0; i < screen.model().Count(); ++i) {
        wchar_t cls[32] = {};
        GetClassNameW(screen.model().Item(i).hwndCustom, cls, 32);
        if (lstrcmpW(cls, L"QuorvelWnd") == 0) item = screen.model().Item(i).hwndCustom;
    }
    ASSERT_NE(nullptr, item);
    RECT rc;
    GetWindowRect(item, &rc);
    // The windows of the item that paint over the Today background, as parts of
    // the item's rectangle (left, top, right, bottom from its corners), and how
    // much of each shows the screen's background at least (the rest is text and
    // pictures).
    struct Part {
        const char* name;
        int l, t, r, b;
        int least;
    };
    const Part parts[] = {
        {"lists", 30, 24, -12, 0, 80},
        {"caption", 26, 0, 166, 20, 25},
        {"tab bar", 0, 24, 26, 0, 30},
    };
    auto share = [&](const Part& p) {
        today::Pixels px;
        EXPECT_TRUE(screen.Capture(&px));
        raii::WindowDC sdc(nullptr);
        raii::MemDC mem(CreateCompatibleDC(sdc.get()));
        raii::Bitmap one(CreateCompatibleBitmap(sdc.get(), 1, 1));
        raii::Select sel(mem.get(), one.get());
        const RECT dot = {0, 0, 1, 1};
        const int x0 = rc.left + p.l, y0 = rc.top + p.t;
        const int x1 = p.r > 0 ? rc.left + p.r : rc.right + p.r, y1 = p.b > 0 ? rc.top + p.b : rc.bottom + p.b;
        int n = 0, all = 0;
        for (int y = y0; y < y1 && y < px.height; y += 2)
            for (int x = x0; x < x1; x += 2, ++all) {
                screen.PaintBackground(mem.get(), dot, POINT{x, y - screen.bandHeight()});
                n += Near(px.At(x, y), GetPixel(mem.get(), 0, 0), 8);
            }
        return all ? n * 100 / all : 0;
    };
    for (const Part& p : parts) EXPECT_GE(share(p), p.least) << p.name << " on the light gradient";

    // The device's own dark theme picture.
    raii::Key k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Today", 0, nullptr, 0,
                                             KEY_WRITE, nullptr, k.out(), nullptr));
    const wchar_t pic[] = L"\\Windows\\today_dark.bmp";  // TearDown takes it away
    RegSetValueExW(k.get(), L"Watermark", 0, REG_SZ, reinterpret_cast<const BYTE*>(pic), sizeof pic);
    SendMessageW(screen.hwnd(), WM_SETTINGCHANGE, 0, 0);
    today::PumpFor(100);
    // The cached light background is gone from the host, its bar, captions and lists alike.
    for (const Part& p : parts) EXPECT_GE(share(p), p.least) << p.name << " on the dark picture";
    screen.UnloadItems();
}
