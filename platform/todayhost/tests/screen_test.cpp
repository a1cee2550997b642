// The Today screen with real item libraries, in this process: loading by ordinal,
// layout on height changes, the refresh poll, the watermark, the selection
// messages and its screenshots.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <shlwapi.h>

#include "devicelog.h"
#include "raii.h"
#include "reg.h"
#include "runner.h"
#include "today_screen.h"

using namespace today;

namespace {

const wchar_t kItems[] = L"Software\\Microsoft\\Today\\Items";

typedef int(WINAPI* LogFn)(wchar_t*, int, int);

std::wstring ItemKey(const std::wstring& item) { return std::wstring(kItems) + L"\\" + item; }

void SetDword(const std::wstring& item, const wchar_t* name, DWORD v) {
    reg::SetDword(HKEY_LOCAL_MACHINE, ItemKey(item).c_str(), name, v);
}

void SetString(const std::wstring& item, const wchar_t* name, const std::wstring& v) {
    reg::SetString(HKEY_LOCAL_MACHINE, ItemKey(item).c_str(), name, v);
}

// Registers its own items for one test; every other item on the device is switched
// off meanwhile and put back afterwards.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        raii::Key key;
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kItems, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr);
        for (const ItemConfig& c : ReadItemConfigs(HKEY_LOCAL_MACHINE, kItems)) {
            saved_[c.name] = c.enabled;
            SetDword(c.name, L"Enabled", 0);
        }
        lib_.reset(LoadLibraryW(TESTITEM_DLL));  // the same module the screen loads
        ASSERT_TRUE(lib_);
        log_ = reinterpret_cast<LogFn>(reinterpret_cast<void*>(GetProcAddress(lib_.get(), MAKEINTRESOURCEA(1))));
        ASSERT_TRUE(log_);
        log_(nullptr, 0, 1);
    }
    void TearDown() override {
        screen_.reset();
        for (const std::wstring& n : added_) SHDeleteKeyW(HKEY_LOCAL_MACHINE, ItemKey(n).c_str());
        for (auto& s : saved_) SetDword(s.first, L"Enabled", s.second ? 1 : 0);
    }

    void AddItem(const std::wstring& name, DWORD order, DWORD height, DWORD color = 0xFFFFFFFF) {
        added_.push_back(name);
        SetString(name, L"DLL", TESTITEM_DLL);
        SetDword(name, L"Type", 4);
        SetDword(name, L"Order", order);
        SetDword(name, L"Enabled", 1);
        SetDword(name, L"Height", height);
        SetDword(name, L"Color", color);
        SetString(name, L"Label", L"");
    }

    TodayScreen& Start() {
        ScreenOptions opt;
        opt.pollMs = 0;  // the test polls
        screen_.reset(new TodayScreen(opt));
        EXPECT_TRUE(screen_->Create(GetModuleHandleW(nullptr)));
        screen_->LoadItems();
        PumpFor(0);
        return *screen_;
    }

    RECT ItemRect(size_t i) {
        RECT rc;
        GetWindowRect(screen_->model().Item(i).hwndCustom, &rc);
        MapWindowPoints(nullptr, screen_->view(), reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }

    std::wstring TakeLog() {
        wchar_t buf[4096];
        log_(buf, 4096, 1);
        return buf;
    }

    std::unique_ptr<TodayScreen> screen_;
    raii::Library lib_;
    LogFn log_ = nullptr;
    std::map<std::wstring, bool> saved_;
    std::vector<std::wstring> added_;
};

}  // namespace

TEST_F(ScreenTest, LoadsEnabledItemsInOrderAndStacksThem) {
    AddItem(L"ScreenB", 2, 60);
    AddItem(L"ScreenA", 1, 40);
    AddItem(L"ScreenOff", 0, 10);
    SetDword(L"ScreenOff", L"Enabled", 0);
    AddItem(L"ScreenMissing", 3, 10);
    SetString(L"ScreenMissing", L"DLL", L"\\Windows\\nosuchitem.dll");
    TodayScreen& s = Start();
    ASSERT_EQ(2u, s.model().Count());
    EXPECT_STREQ(L"ScreenA", s.model().Item(0).szName);
    RECT a = ItemRect(0), b = ItemRect(1), view;
    GetClientRect(s.view(), &view);
    EXPECT_EQ(0, a.top);
    EXPECT_EQ(40, a.bottom);
    EXPECT_EQ(40, b.top);
    EXPECT_EQ(100, b.bottom);
    EXPECT_EQ(view.right, a.right);
    EXPECT_EQ(s.bandHeight(), 26);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(26, work.top);  // the band at the top is not work area
}

TEST_F(ScreenTest, AHeightChangeLaysTheItemsOutAgain) {
    AddItem(L"ScreenA", 1, 40);
    AddItem(L"ScreenB", 2, 60);
    TodayScreen& s = Start();
    SetDword(L"ScreenA", L"Height", 90);
    TakeLog();
    // The poll timer's tick, as the Today screen gets it every two seconds.
    SendMessageW(s.hwnd(), WM_TIMER, 1, 0);
    EXPECT_EQ(L"ScreenA:query:0\nScreenB:query:0\n", TakeLog());
    EXPECT_EQ(90, ItemRect(1).top);
    SCROLLINFO si = {sizeof si, SIF_RANGE};
    GetScrollInfo(s.view(), SB_VERT, &si);
    EXPECT_EQ(150, si.nMax);  // items read the total height from the scroll range
}

TEST_F(ScreenTest, TransparentItemsGetTheBackgroundUnderThem) {
    AddItem(L"ScreenClear", 1, 40);
    AddItem(L"ScreenRed", 2, 40, RGB(200, 0, 0));
    TodayScreen& s = Start();
    Pixels px;
    ASSERT_TRUE(s.Capture(&px));
    EXPECT_EQ(240, px.width);
    EXPECT_EQ(320, px.height);
    // What the background looks like at the same place with no item there.
    const int x = 200, y = 30;  // inside the first item, clear of its text
    raii::WindowDC screen(nullptr);
    raii::MemDC mem(CreateCompatibleDC(screen.get()));
    raii::Bitmap bmp(CreateCompatibleBitmap(screen.get(), 1, 1));
    raii::Select sel(mem.get(), bmp.get());
    RECT one = {0, 0, 1, 1};
    s.PaintBackground(mem.get(), one, POINT{x, y});
    EXPECT_EQ(GetPixel(mem.get(), 0, 0), px.At(x, s.bandHeight() + y));
    EXPECT_NE(px.At(x, s.bandHeight() + 5), px.At(x, s.bandHeight() + 35));  // a gradient, not one colour
    EXPECT_EQ(RGB(200, 0, 0), px.At(x, s.bandHeight() + 60));
}

TEST_F(ScreenTest, SelectionMessagesFollowKeysAndTaps) {
    AddItem(L"ScreenA", 1, 40);
    AddItem(L"ScreenB", 2, 40);
    TodayScreen& s = Start();
    TakeLog();
    s.Key(VK_DOWN);
    s.Key(VK_RETURN);
    EXPECT_EQ(L"ScreenA:received:40\nScreenA:action:13\n", TakeLog());
    s.Tap(100, s.bandHeight() + 60, false);  // on the second item
    PumpFor(0);
    EXPECT_EQ(L"ScreenB:tap:0\nScreenA:lost:0\n", TakeLog());
    EXPECT_EQ(1, s.model().Selected());
    s.Hibernate();
    EXPECT_EQ(L"ScreenA:hibernate:0\nScreenB:hibernate:0\n", TakeLog());
    s.UnloadItems();
    EXPECT_EQ(L"ScreenB:clearcache:0\nScreenA:clearcache:0\n", TakeLog());
    EXPECT_EQ(0u, s.model().Count());
}

namespace {

DWORD RunHost(const std::wstring& args) { return RunProgram(TODAYHOST_EXE, args); }

std::string ReadAll(const std::wstring& path) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return std::string();
    std::string bytes(GetFileSize(f.get(), nullptr), '\0');
    DWORD got = 0;
    ReadFile(f.get(), &bytes[0], DWORD(bytes.size()), &got, nullptr);
    return bytes;
}

void WriteAll(const std::wstring& path, const std::string& text) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD put = 0;
    WriteFile(f.get(), text.data(), DWORD(text.size()), &put, nullptr);
}

}  // namespace

TEST_F(ScreenTest, TwoRunsGiveTheSameScreenshot) {
    AddItem(L"ScreenA", 1, 50);
    AddItem(L"ScreenB", 2, 70, RGB(40, 120, 60));
    std::vector<std::string> files;
    for (int run = 0; run < 2; ++run) {
        std::wstring out = std::wstring(TEST_TMP) + L"/snap" + std::to_wstring(run) + L".png";
        ASSERT_EQ(0u, RunHost(L"--snap \"" + out + L"\""));
        files.push_back(ReadAll(out));
    }
    EXPECT_GT(files[0].size(), 240u * 320u * 3u);
    EXPECT_EQ(0, files[0].compare(0, 4, "\x89PNG"));
    EXPECT_TRUE(files[0] == files[1]);
}

TEST_F(ScreenTest, ScriptsAnswerTheMenusItemsOpen) {
    AddItem(L"ScreenMenu", 1, 50);
    SetString(L"ScreenMenu", L"Menu", L"First|Second|Third");
    Start();
    RECT item;  // on the screen, where taps are given
    GetWindowRect(screen_->model().Item(0).hwndCustom, &item);
    screen_.reset();
    const std::string tap = "tap " + std::to_string(item.left + 10) + " " + std::to_string(item.top + 10) + "\n";
    const std::wstring dir = TEST_TMP;
    WriteAll(dir + L"/menus.txt", "menu Second\n" + tap + "wait 0\nmenu id 3\n" + tap + "wait 0\n" +
                                      "menu cancel\n" + tap + "wait 0\n" + tap + "wait 0\nquit\n");
    const unsigned long long from = devlog::LogSize();
    ASSERT_EQ(0u, RunHost(L"--script \"" + dir + L"/menus.txt\""));
    std::vector<std::string> menus, commands;
    for (auto& line : devlog::ReadLog(from)) {
        const std::string source = devlog::Find(line, "source")->text;
        if (source == "menu") {
            EXPECT_EQ("First|Second|Third", devlog::Find(line, "items")->text);
            menus.push_back(devlog::Find(line, "chosen")->text + " by " + devlog::Find(line, "by")->text);
        } else if (source == "testitem") {
            commands.push_back(devlog::Find(line, "id")->text);
        }
    }
    // The last tap had no answer: with nobody to see it, its menu was cancelled.
    EXPECT_EQ((std::vector<std::string>{"2 by script", "3 by script", "0 by script", "0 by headless"}), menus);
    EXPECT_EQ((std::vector<std::string>{"2", "3"}), commands);
}

TEST_F(ScreenTest, ScriptsDriveTheScreenEndToEnd) {
    AddItem(L"ScreenA", 1, 50);
    const std::wstring dir = TEST_TMP;
    WriteAll(dir + L"/steps.txt", "wait 0\nsnap " + std::string("plain.png") + "\nkey down\npoll\nsnap selected.png\n"
                                  "broadcast CeSimNobodyListens\nhibernate\nquit\nsnap never.png\n");
    DeleteFileW((dir + L"/never.png").c_str());
    // Relative snap names land in the current directory: run from the test's folder.
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW(dir.c_str());
    DWORD code = RunHost(L"--script steps.txt");
    SetCurrentDirectoryW(old);
    ASSERT_EQ(0u, code);
    std::string plain = ReadAll(dir + L"/plain.png"), selected = ReadAll(dir + L"/selected.png");
    ASSERT_FALSE(plain.empty());
    EXPECT_FALSE(plain == selected);  // the selected item shows its highlight
    EXPECT_TRUE(ReadAll(dir + L"/never.png").empty());  // nothing runs after quit

    WriteAll(dir + L"/bad.txt", "poll\nfly away\n");
    SetCurrentDirectoryW(dir.c_str());
    EXPECT_EQ(1u, RunHost(L"--script bad.txt"));
    EXPECT_EQ(1u, RunHost(L"--script missing.txt"));
    EXPECT_EQ(2u, RunHost(L"--size tiny"));
    SetCurrentDirectoryW(old);
}

namespace {

const wchar_t kTheme[] = L"Software\\Microsoft\\Today";

// A 24-bit bitmap file of one colour.
std::string SolidBmp(int w, int h, COLORREF c) {
    const int stride = (w * 3 + 3) & ~3;
    const DWORD bits = DWORD(stride * h);
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = fh.bfOffBits + bits;
    ih.biSize = sizeof ih;
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    std::string out(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.append(reinterpret_cast<const char*>(&ih), sizeof ih);
    std::string row(size_t(stride), '\0');
    for (int x = 0; x < w; ++x) {
        row[size_t(x) * 3] = char(GetBValue(c));
        row[size_t(x) * 3 + 1] = char(GetGValue(c));
        row[size_t(x) * 3 + 2] = char(GetRValue(c));
    }
    for (int y = 0; y < h; ++y) out += row;
    return out;
}

bool Near(COLORREF a, COLORREF b) {
    return abs(GetRValue(a) - GetRValue(b)) <= 4 && abs(GetGValue(a) - GetGValue(b)) <= 4 &&
           abs(GetBValue(a) - GetBValue(b)) <= 4;
}

// The theme's values go back to none after each test.
class ThemeTest : public ScreenTest {
protected:
    void TearDown() override {
        for (const wchar_t* v : {L"Watermark", L"TextColor"}) {
            raii::Key k;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kTheme, 0, KEY_WRITE, k.out()) == ERROR_SUCCESS)
                RegDeleteValueW(k.get(), v);
        }
        ScreenTest::TearDown();
    }
    // What the items were told to drop, without the polls that captures make.
    std::wstring ClearCaches() {
        std::wstring all = TakeLog(), out;
        for (size_t at = 0; at < all.size();) {
            const size_t end = all.find(L'\n', at);
            const std::wstring line = all.substr(at, end - at + 1);
            if (line.find(L":clearcache:") != std::wstring::npos) out += line;
            at = end == std::wstring::npos ? all.size() : end + 1;
        }
        return out;
    }
    // The screen as shown at a point of the view where a transparent item is.
    COLORREF Shown(int x, int y) {
        Pixels px;
        EXPECT_TRUE(screen_->Capture(&px));
        return px.At(x, screen_->bandHeight() + y);
    }
};

}  // namespace

TEST_F(ThemeTest, ANewThemeReachesTheItemsOnceAndRepaintsThem) {
    AddItem(L"ScreenA", 1, 40);
    AddItem(L"ScreenB", 2, 40);
    TodayScreen& s = Start();
    const COLORREF light = Shown(200, 30);
    const std::wstring pic = std::wstring(TEST_TMP) + L"\\night.bmp";
    WriteAll(pic, SolidBmp(12, 16, RGB(20, 30, 60)));
    reg::SetString(HKEY_LOCAL_MACHINE, kTheme, L"Watermark", pic);
    reg::SetDword(HKEY_LOCAL_MACHINE, kTheme, L"TextColor", RGB(250, 250, 250));
    EXPECT_EQ(RGB(0, 0, 0), s.Color(TODAYCOLOR_TEXT));  // read when the device says so, not before
    ClearCaches();
    // As the handheld tells every top-level window of a new theme.
    SendMessageW(s.hwnd(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(L"ScreenA:clearcache:0\nScreenB:clearcache:0\n", ClearCaches());
    EXPECT_EQ(RGB(250, 250, 250), s.Color(TODAYCOLOR_TEXT));
    EXPECT_TRUE(Near(RGB(20, 30, 60), Shown(200, 30))) << std::hex << Shown(200, 30);
    EXPECT_TRUE(Near(RGB(20, 30, 60), Shown(200, 70)));

    // Notices about something else leave the items their caches.
    SendMessageW(s.hwnd(), WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    EXPECT_EQ(L"", ClearCaches());
    // A new picture under the same name is a new theme.
    WriteAll(pic, SolidBmp(12, 20, RGB(60, 20, 30)));
    SendMessageW(s.hwnd(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(L"ScreenA:clearcache:0\nScreenB:clearcache:0\n", ClearCaches());
    EXPECT_TRUE(Near(RGB(60, 20, 30), Shown(200, 30)));

    // Back to no picture: the gradient as at the start.
    reg::SetString(HKEY_LOCAL_MACHINE, kTheme, L"Watermark", L"");
    s.SettingChange();  // the broadcast reaches the screen itself
    EXPECT_EQ(L"ScreenA:clearcache:0\nScreenB:clearcache:0\n", ClearCaches());
    EXPECT_EQ(light, Shown(200, 30));
}

TEST_F(ThemeTest, APictureThatCannotBeShownLeavesTheGradient) {
    AddItem(L"ScreenA", 1, 60);
    TodayScreen& s = Start();
    const COLORREF top = Shown(200, 5), lower = Shown(200, 55);
    ASSERT_NE(top, lower);
    const std::string good = SolidBmp(4, 4, RGB(20, 30, 60));
    struct Case {
        const char* name;
        const wchar_t* file;  // null: the value names no file that exists
        std::string bytes;
        bool gradient;        // false: anything may show, as long as nothing breaks
    };
    const Case cases[] = {
        {"missing", nullptr, "", true},
        {"empty", L"empty.bmp", "", true},
        {"text", L"text.bmp", "not a picture at all\n", true},
        {"another format", L"pic.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), true},
        {"header only", L"cut.bmp", good.substr(0, 14), true},
        {"cut short", L"short.bmp", good.substr(0, good.size() - 20), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A good picture first, so that each case is a change the screen must follow.
        const std::wstring first = std::wstring(TEST_TMP) + L"\\good.bmp";
        WriteAll(first, good);
        reg::SetString(HKEY_LOCAL_MACHINE, kTheme, L"Watermark", first);
        SendMessageW(s.hwnd(), WM_SETTINGCHANGE, 0, 0);
        ASSERT_TRUE(Near(RGB(20, 30, 60), Shown(200, 5)));
        const std::wstring path =
            c.file ? std::wstring(TEST_TMP) + L"\\" + c.file : std::wstring(TEST_TMP) + L"\\nosuch\\picture.bmp";
        if (c.file) WriteAll(path, c.bytes);
        reg::SetString(HKEY_LOCAL_MACHINE, kTheme, L"Watermark", path);
        ClearCaches();
        SendMessageW(s.hwnd(), WM_SETTINGCHANGE, 0, 0);
        EXPECT_EQ(L"ScreenA:clearcache:0\n", ClearCaches());
        const COLORREF now = Shown(200, 5);
        if (c.gradient) {
            EXPECT_EQ(top, now);
            EXPECT_EQ(lower, Shown(200, 55));
        }
        EXPECT_EQ(1u, s.model().Count());
    }
}
