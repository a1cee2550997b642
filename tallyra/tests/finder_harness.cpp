#include "finder_harness.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>

#include "app.h"
#include "cesim.h"
#include "contact_db.h"
#include "layout.h"
#include "raii.h"
#include "reg.h"

namespace tlt {

// --- Contacts ---------------------------------------------------------------------

ContactFixture::ContactFixture(const std::vector<Contact>& contacts) {
    wchar_t vol[] = L"\\pim.vol";
    mounted_ = CeMountDBVolEx(&volume_, vol, nullptr, OPEN_EXISTING) != FALSE;
    if (!mounted_) return;
    wchar_t name[] = L"Contacts Database";
    CEOID dboid = 0;
    raii::Handle db(CeOpenDatabaseInSession(nullptr, &volume_, &dboid, name, nullptr, 0, nullptr));
    if (!db || db.get() == INVALID_HANDLE_VALUE) return;
    for (const Contact& c : contacts) {
        std::vector<CEPROPVAL> props(1);
        props[0].propid = tallyra::prop::kFileAs;
        props[0].val.lpwstr = const_cast<LPWSTR>(c.fileAs);
        for (const auto& n : c.numbers) {
            CEPROPVAL v = {};
            v.propid = n.first;
            v.val.lpwstr = const_cast<LPWSTR>(n.second);
            props.push_back(v);
        }
        if (c.defaultNumber) {
            CEPROPVAL v = {};
            v.propid = tallyra::prop::kDefaultNumber;
            v.val.ulVal = c.defaultNumber;
            props.push_back(v);
        }
        const CEOID oid = CeWriteRecordProps(db.get(), 0, WORD(props.size()), props.data());
        if (oid) oids_.push_back(oid);
    }
}

ContactFixture::~ContactFixture() {
    if (!mounted_) return;
    {
        wchar_t name[] = L"Contacts Database";
        CEOID dboid = 0;
        raii::Handle db(CeOpenDatabaseInSession(nullptr, &volume_, &dboid, name, nullptr, 0, nullptr));
        if (db && db.get() != INVALID_HANDLE_VALUE)
            for (CEOID oid : oids_) CeDeleteRecord(db.get(), oid);
    }
    CeUnmountDBVol(&volume_);
}

size_t ContactFixture::CountInDatabase() const {
    tallyra::ContactDb db;
    size_t n = 0;
    if (!db.Open() || !db.Rewind()) return 0;
    tallyra::ContactProps p;
    CEOID oid;
    while (db.ReadNext(&p, &oid)) ++n;
    return n;
}

std::vector<Contact> SampleContacts() {
    using namespace prop;
    return {
        {L"Adams, Ella", {{kCell, L"+1 555 0101"}, {kWork, L"+1 555 0102"}, {kEmail, L"ella@adams.example"}}, kCell},
        {L"Baker, John", {{kWork, L"+1 555 0201"}}},
        {L"Cohen, Dana", {{kHome, L"+1 555 0301"}, {kFax, L"+1 555 0302"}}},
        {L"Fox, Ella", {{kEmail, L"ella.fox@example.org"}}},
        {L"Smith, John", {{kCar, L"+1 555 0501"}, {kCell, L"+1 555 0502"}}, kCar},
        {L"\x0418\x0432\x0430\x043D\x043E\x0432\x0430, \x041E\x043B\x044C\x0433\x0430", {{kCell, L"+7 495 555 0601"}}},
        {L"\x03A0\x03B1\x03C0\x03B1\x03B4\x03CC\x03C0\x03BF\x03C5\x03BB\x03BF\x03C2, \x039D\x03AF\x03BA\x03BF\x03C2",
         {{kHome, L"+30 21 555 0701"}}},
        {L"\x05DB\x05D4\x05DF, \x05D3\x05E0\x05D4", {{kWork, L"+972 3 555 0801"}}},
    };
}

// --- Settings ---------------------------------------------------------------------

namespace {

void ClearSettings() {
    for (const wchar_t* sub : {L"\\General", L"\\Layout", L"\\Tweak"})
        SHDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kSettingsRoot) + sub).c_str());
}

}  // namespace

SettingsScope::SettingsScope() { ClearSettings(); }
SettingsScope::~SettingsScope() { ClearSettings(); }

void SettingsScope::Set(const wchar_t* key, const wchar_t* name, DWORD value) {
    reg::SetDword(HKEY_CURRENT_USER, key, name, value);
}

// --- Screens ----------------------------------------------------------------------

namespace {

const wchar_t kLogPixelsKey[] = L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";
const wchar_t kChildMark[] = L"TALLYRA_TEST_CHILD";

void SetScreen(int width, int height, int dpi) {
    reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenWidth", DWORD(width));
    reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenHeight", DWORD(height));
    reg::SetDword(HKEY_LOCAL_MACHINE, kLogPixelsKey, L"LogPixels", DWORD(dpi));
}

std::wstring Widen(const char* s) { return std::wstring(s, s + strlen(s)); }

}  // namespace

int ScreenDpi() {
    raii::WindowDC dc(nullptr);
    return GetDeviceCaps(dc.get(), LOGPIXELSY);
}

void RestoreSmallScreen() { SetScreen(240, 320, 96); }

bool OnScreen(int width, int height) {
    // A 480x640 handheld is a 192 dpi one; a process keeps the dpi it started with.
    const int dpi = width >= 480 || height >= 480 ? 192 : 96;
    SetScreen(width, height, dpi);
    if (ScreenDpi() == dpi) return true;
    wchar_t mark[4];
    if (GetEnvironmentVariableW(kChildMark, mark, 4)) {
        ADD_FAILURE() << "the screen did not change to " << dpi << " dpi";
        return false;
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring cmd = std::wstring(L"\"") + self + L"\" --gtest_filter=" + Widen(info->test_suite_name()) + L"." +
                       Widen(info->name());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    SetEnvironmentVariableW(kChildMark, L"1");
    const BOOL started = CreateProcessW(self, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableW(kChildMark, nullptr);
    if (!started) {
        ADD_FAILURE() << "cannot start the test again at " << width << "x" << height;
        return false;
    }
    raii::Handle process(pi.hProcess), thread(pi.hThread);
    DWORD code = 1;
    if (WaitForSingleObject(process.get(), 240000) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
    else
        GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(0u, code) << "the test failed at " << width << "x" << height << " (its output is above)";
    return false;
}

// --- The finder ------------------------------------------------------------------

void Pump() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

Finder::Finder() {
    tallyra::App& app = tallyra::TheApp();
    app.instance = GetModuleHandleW(nullptr);
    app.LoadSettings();
    if (!app.LoadLanguage()) return;
    {
        raii::WindowDC dc(nullptr);
        app.dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
        app.dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
    }
    started_ = wnd_.Start(SW_SHOW);
    Pump();
}

Finder::~Finder() {
    if (wnd_.hwnd()) DestroyWindow(wnd_.hwnd());
    Pump();  // the quit message the window posts on its way out
}

HMENU Finder::MenuPopup() const {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_LPARAM | TBIF_BYINDEX;
    HWND bar = const_cast<tallyra::CMainWnd&>(wnd_).menuBar();
    if (!bar || SendMessageW(bar, TB_GETBUTTONINFOW, 1, reinterpret_cast<LPARAM>(&info)) < 0) return nullptr;
    return reinterpret_cast<HMENU>(info.lParam);
}

void Finder::Command(UINT id) {
    SendMessageW(wnd_.hwnd(), WM_COMMAND, id, 0);
    Pump();
}

void Finder::Key(int id) {
    SendMessageW(wnd_.hwnd(), tallyra::WM_TL_KEY, WPARAM(id), 0);
    Pump();
}

namespace {

const std::function<void(HWND)>* g_inside = nullptr;
bool g_ran = false;

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lp) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (IsWindowVisible(hwnd) && lstrcmpW(cls, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the view's modal loop, once it is idle.
void CALLBACK InsideView(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND view = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&view));
    if (!view) return;
    g_ran = true;
    (*g_inside)(view);
    PostMessageW(view, WM_COMMAND, IDOK, 0);
}

}  // namespace

bool WithExpandedView(Finder& finder, const std::function<void(HWND view)>& inside) {
    g_inside = &inside;
    g_ran = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 0, InsideView);
    const bool opened = finder.wnd().OpenExpanded();
    if (!g_ran) KillTimer(nullptr, timer);
    g_inside = nullptr;
    Pump();
    return opened && g_ran;
}

// --- Pixels -----------------------------------------------------------------------

Pixels Snap(HWND hwnd, const std::wstring& name) {
    Pixels px;
    EXPECT_TRUE(today::CaptureWindow(hwnd, &px)) << "no screenshot";
    // The picture for people is the whole screen, navigation bar and soft keys too.
    Pixels screen;
    EXPECT_TRUE(today::CaptureScreen(&screen)) << "no screen";
    CreateDirectoryW(SNAP_DIR, nullptr);
    EXPECT_TRUE(today::SavePng(screen, std::wstring(SNAP_DIR) + L"/" + name + L".png"));
    return px;
}

bool Near(COLORREF a, COLORREF b, int tol) {
    return abs(GetRValue(a) - GetRValue(b)) <= tol && abs(GetGValue(a) - GetGValue(b)) <= tol &&
           abs(GetBValue(a) - GetBValue(b)) <= tol;
}

int Count(const Pixels& px, const RECT& r, const std::function<bool(COLORREF)>& test) {
    int n = 0;
    for (int y = std::max(0, int(r.top)); y < std::min(int(r.bottom), px.height); ++y)
        for (int x = std::max(0, int(r.left)); x < std::min(int(r.right), px.width); ++x) n += test(px.At(x, y));
    return n;
}

bool IsInk(COLORREF c) { return GetRValue(c) < 110 && GetGValue(c) < 110 && GetBValue(c) < 110; }

bool IsTinted(COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    return std::max({r, g, b}) - std::min({r, g, b}) > 50;
}

RECT Extent(const Pixels& px, const RECT& r, const std::function<bool(COLORREF)>& test) {
    RECT e = {LONG(px.width), LONG(px.height), 0, 0};
    for (int y = std::max(0, int(r.top)); y < std::min(int(r.bottom), px.height); ++y)
        for (int x = std::max(0, int(r.left)); x < std::min(int(r.right), px.width); ++x)
            if (test(px.At(x, y))) {
                e.left = std::min(e.left, LONG(x));
                e.top = std::min(e.top, LONG(y));
                e.right = std::max(e.right, LONG(x + 1));
                e.bottom = std::max(e.bottom, LONG(y + 1));
            }
    if (e.right <= e.left) e = RECT{0, 0, 0, 0};
    return e;
}

namespace {

// The face and size the finder draws its list and keys with by default.
raii::Font DefaultFont(int dpi) {
    LOGFONTW lf = {};
    lf.lfHeight = -tallyra::ScaleDpi(12, dpi);
    lf.lfWeight = FW_THIN;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    return raii::Font(CreateFontIndirectW(&lf));
}

}  // namespace

int ListFontHeight(int dpi) {
    raii::Font font = DefaultFont(dpi);
    raii::WindowDC dc(nullptr);
    raii::Select sel(dc.get(), font.get());
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc.get(), &tm);
    return tm.tmHeight;
}

int KeyTextWidth(const std::wstring& text, int dpi) {
    raii::Font font = DefaultFont(dpi);
    raii::WindowDC dc(nullptr);
    raii::Select sel(dc.get(), font.get());
    SIZE s = {};
    GetTextExtentPoint32W(dc.get(), text.c_str(), int(text.size()), &s);
    return s.cx;
}

}  // namespace tlt
