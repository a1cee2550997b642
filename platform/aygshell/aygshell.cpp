// aygshell.dll: the handheld shell's extras for applications.
#include <atomic>
#include <string>
#include <vector>

#include "aygshell.h"
#include "cesim_shell.h"
#include "device_settings.h"
#include "devicelog.h"
#include "menubar_data.h"
#include "navbar.h"
#include "raii.h"
#include "screenshot.h"

namespace {

HINSTANCE g_module;
std::atomic<int> g_holdOverride{CESIM_NO_OVERRIDE};

const wchar_t kBarClass[] = L"menu_worker";
const wchar_t kDoneProp[] = L"CeSim.DoneButton";
constexpr UINT kToolbarId = 1;

// The handheld's geometry: its screen, the navigation band at the top of it (the
// work area starts below) and the soft-key band at the bottom, both 26 pixels at
// 96 dpi as the Today screen draws them.
int Scale(int v) {
    raii::WindowDC dc(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSY) : 96;
    return (v * dpi + 48) / 96;
}
int BandHeight() { return Scale(26); }
RECT WorkArea() {
    return RECT{0, BandHeight(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// One soft-key bar: a toolbar in a window that stays at the bottom of the screen and
// passes the toolbar's messages through, so that the bar answers TB_* itself.
struct MenuBar {
    HWND owner = nullptr;
    HWND toolbar = nullptr;
    raii::Menu menu;  // the whole menu the popups come from (may be empty)
    std::vector<std::wstring> texts;
};

MenuBar* BarOf(HWND hwnd) { return reinterpret_cast<MenuBar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

HMENU ButtonPopup(HWND toolbar, UINT id) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_LPARAM;
    if (SendMessageW(toolbar, TB_GETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info)) < 0) return nullptr;
    return reinterpret_cast<HMENU>(info.lParam);
}

void TrackPopup(MenuBar* bar, const NMTOOLBARW* nm) {
    HMENU popup = ButtonPopup(bar->toolbar, UINT(nm->iItem));
    if (!popup) return;
    RECT rc;
    SendMessageW(bar->toolbar, TB_GETRECT, nm->iItem, reinterpret_cast<LPARAM>(&rc));
    MapWindowPoints(bar->toolbar, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    // The application gets WM_INITMENUPOPUP and the chosen WM_COMMAND itself.
    TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_BOTTOMALIGN, rc.left, rc.top, bar->owner, nullptr);
}

LRESULT CALLBACK BarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MenuBar* bar = BarOf(hwnd);
    if (!bar) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case SHCMBM_GETMENU: return reinterpret_cast<LRESULT>(bar->menu.get());
    case SHCMBM_GETSUBMENU: return reinterpret_cast<LRESULT>(ButtonPopup(bar->toolbar, UINT(lp)));
    case SHCMBM_SETSUBMENU: {
        HMENU old = ButtonPopup(bar->toolbar, UINT(wp));
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_LPARAM;
        info.lParam = lp;
        SendMessageW(bar->toolbar, TB_SETBUTTONINFOW, wp, reinterpret_cast<LPARAM>(&info));
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_COMMAND:
        // A soft key without a popup: its command goes to the application.
        if (reinterpret_cast<HWND>(lp) == bar->toolbar)
            return SendMessageW(bar->owner, WM_COMMAND, MAKEWPARAM(LOWORD(wp), 0), reinterpret_cast<LPARAM>(hwnd));
        break;
    case WM_NOTIFY: {
        auto nm = reinterpret_cast<const NMHDR*>(lp);
        if (nm->hwndFrom == bar->toolbar && nm->code == TBN_DROPDOWN) {
            TrackPopup(bar, reinterpret_cast<const NMTOOLBARW*>(lp));
            return TBDDRET_DEFAULT;
        }
        break;
    }
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete bar;  // destroys the menu with its popups
        return DefWindowProcW(hwnd, msg, wp, lp);
    default:
        // The toolbar's own messages (TB_GETBUTTONINFO, TB_INSERTBUTTON, ...).
        if (msg >= WM_USER && msg < SHCMBM_SETSUBMENU) return SendMessageW(bar->toolbar, msg, wp, lp);
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool RegisterBarClass() {
    WNDCLASSW wc = {};
    if (GetClassInfoW(g_module, kBarClass, &wc)) return true;
    wc = WNDCLASSW();
    wc.lpfnWndProc = BarProc;
    wc.hInstance = g_module;
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kBarClass;
    return RegisterClassW(&wc) != 0;
}

std::wstring MenuText(HMENU menu, UINT pos) {
    wchar_t buf[128] = {};
    GetMenuStringW(menu, pos, buf, 128, MF_BYPOSITION);
    return buf;
}

// The buttons a bar starts with; false when its resources are missing.
bool Buttons(const SHMENUBARINFO& info, MenuBar* bar, std::vector<TBBUTTON>* out) {
    if (info.dwFlags & SHCMBF_EMPTYBAR) return true;
    HINSTANCE res = info.hInstRes;
    if (info.dwFlags & SHCMBF_HMENU) {
        bar->menu.reset(LoadMenuW(res, MAKEINTRESOURCEW(info.nToolBarId)));
        if (!bar->menu) return false;
        const int n = GetMenuItemCount(bar->menu.get());
        for (int i = 0; i < n && size_t(i) < ayg::kMaxMenuBarButtons; ++i) {
            TBBUTTON b = {};
            b.iBitmap = I_IMAGENONE;
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT;
            HMENU popup = GetSubMenu(bar->menu.get(), i);
            if (popup) {
                // A popup's key sends no command of its own: an id no menu uses.
                b.idCommand = 0xF000 + i;
                b.fsStyle |= BTNS_WHOLEDROPDOWN;
                b.dwData = reinterpret_cast<DWORD_PTR>(popup);
            } else {
                b.idCommand = int(GetMenuItemID(bar->menu.get(), i));
            }
            bar->texts.push_back(MenuText(bar->menu.get(), UINT(i)));
            out->push_back(b);
        }
        return true;
    }
    HRSRC found = FindResourceW(res, MAKEINTRESOURCEW(info.nToolBarId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(res, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    ayg::MenuBarData data;
    if (!bytes || !ayg::ParseMenuBarData(static_cast<const uint8_t*>(bytes), SizeofResource(res, found), &data))
        return false;
    if (data.menuId) bar->menu.reset(LoadMenuW(res, MAKEINTRESOURCEW(data.menuId)));
    for (const ayg::MenuBarButton& m : data.buttons) {
        TBBUTTON b = {};
        b.iBitmap = I_IMAGENONE;  // the bar shows texts only
        b.idCommand = m.command;
        b.fsState = m.state ? m.state : TBSTATE_ENABLED;
        b.fsStyle = BYTE((m.style & ~BTNS_DROPDOWN) | BTNS_AUTOSIZE | BTNS_SHOWTEXT);
        HMENU popup = m.subMenu != NOMENU && bar->menu ? GetSubMenu(bar->menu.get(), m.subMenu) : nullptr;
        if (popup) {
            b.fsStyle |= BTNS_WHOLEDROPDOWN;
            b.dwData = reinterpret_cast<DWORD_PTR>(popup);
        }
        wchar_t text[128] = {};
        if (!m.stringId || !LoadStringW(res, m.stringId, text, 128)) {
            if (m.subMenu != NOMENU && bar->menu) lstrcpynW(text, MenuText(bar->menu.get(), m.subMenu).c_str(), 128);
        }
        bar->texts.push_back(text);
        out->push_back(b);
    }
    return true;
}

bool DeviceSaysHold(int* hold) {
    int o = g_holdOverride.load();
    if (o != CESIM_NO_OVERRIDE) {
        *hold = o;
        return true;
    }
    DWORD v;
    if (cesim::ReadDeviceDword(L"GestureHold", &v)) {
        *hold = v != 0;
        return true;
    }
    return false;
}

// The pen decides: held still for the hold time, or lifted / moved away before it.
bool PenHeld(const SHRGINFO& rg) {
    const DWORD holdMs = (rg.dwFlags & SHRG_LONGDELAY) ? 1000 : 500;
    const int slop = Scale(5);
    HWND hwnd = rg.hwndClient;
    SetCapture(hwnd);
    const DWORD start = GetTickCount();
    bool held = false;
    for (;;) {
        MSG m;
        if (PeekMessageW(&m, hwnd, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) break;  // the tap's own up stays queued
        bool moved = false;
        while (!moved && PeekMessageW(&m, hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
            const int x = short(LOWORD(m.lParam)), y = short(HIWORD(m.lParam));
            moved = abs(x - rg.ptDown.x) > slop || abs(y - rg.ptDown.y) > slop;
        }
        if (moved || GetCapture() != hwnd) break;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= holdMs) {
            held = true;
            break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, holdMs - elapsed, QS_MOUSE | QS_POSTMESSAGE);
    }
    if (GetCapture() == hwnd) ReleaseCapture();
    return held;
}

// The navigation bar the handheld's shell keeps above every program: made once a
// program shows a menu bar or a full-screen dialog, it follows the foreground
// window's title and the clock.
const wchar_t kNavClass[] = L"HHTaskBar";
constexpr UINT_PTR kNavTimer = 1;
constexpr UINT_PTR kSnapTimer = 2;

// Pictures of a program as it starts, for galleries and documentation: with
// CESIM_SNAP=FILE.png in its environment a program's screen is written to FILE once
// it has shown its menu bar and CESIM_SNAP_AFTER milliseconds (default 1500) have
// passed, and the program is then told to quit.
std::wstring SnapFile() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"CESIM_SNAP", path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(path, n) : std::wstring();
}

UINT SnapDelayMs() {
    wchar_t text[16] = {};
    const DWORD n = GetEnvironmentVariableW(L"CESIM_SNAP_AFTER", text, 16);
    const long v = n > 0 && n < 16 ? wcstol(text, nullptr, 10) : 1500;
    return v >= 0 && v <= 600000 ? UINT(v) : 1500;
}

void SnapAndQuit(HWND nav) {
    KillTimer(nav, kSnapTimer);
    const std::wstring file = SnapFile();
    // The handheld's screen, which the desktop under it may exceed.
    const cesim::DeviceSettings device = cesim::Current();
    const RECT screen = {0, 0, LONG(device.screenWidth), LONG(device.screenHeight)};
    today::Pixels px;
    if (!today::CaptureScreenArea(screen, &px) || !today::SavePng(px, file))
        devlog::Event("shell", "snap-failed").Str("file", file).Append();
    PostQuitMessage(0);
}

struct NavBar {
    raii::Font font;
    std::wstring title;
    WORD minute = 0xFFFF;
    int dpi = 96;
};

HWND g_nav = nullptr;

std::wstring ForegroundTitle(HWND self) {
    HWND fg = GetForegroundWindow();
    if (!fg || fg == self) fg = GetActiveWindow();
    if (!fg || fg == self) return std::wstring();
    wchar_t title[128] = {};
    GetWindowTextW(GetAncestor(fg, GA_ROOT), title, 128);
    return title;
}

// True when what the bar shows has changed.
bool RefreshNav(HWND hwnd, NavBar* nav) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::wstring title = ForegroundTitle(hwnd);
    if (title.empty()) title = nav->title;  // nothing in front: keep the last one
    if (title == nav->title && now.wMinute == nav->minute) return false;
    nav->title = std::move(title);
    nav->minute = now.wMinute;
    return true;
}

LRESULT CALLBACK NavProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* nav = reinterpret_cast<NavBar*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_TIMER:
        if (nav && wp == kNavTimer && RefreshNav(hwnd, nav)) InvalidateRect(hwnd, nullptr, FALSE);
        if (wp == kSnapTimer) SnapAndQuit(hwnd);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        raii::PaintDC pdc(hwnd);
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (nav) cesim::PaintNavigationBar(pdc.get(), rc, nav->title.c_str(), nav->font.get(), nav->dpi);
        return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete nav;
        if (g_nav == hwnd) g_nav = nullptr;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void ShowNavigationBar() {
    if (g_nav && IsWindow(g_nav)) {
        SendMessageW(g_nav, WM_TIMER, kNavTimer, 0);
        return;
    }
    WNDCLASSW wc = {};
    if (!GetClassInfoW(g_module, kNavClass, &wc)) {
        wc.lpfnWndProc = NavProc;
        wc.hInstance = g_module;
        wc.lpszClassName = kNavClass;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        if (!RegisterClassW(&wc)) return;
    }
    raii::WindowDC screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    auto* nav = new NavBar;
    nav->dpi = dpi;
    nav->font.reset(cesim::CreateNavigationBarFont(dpi));
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kNavClass, L"", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), cesim::NavigationBarHeight(dpi), nullptr, nullptr,
                                g_module, nullptr);
    if (!hwnd) {
        delete nav;
        return;
    }
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(nav));
    g_nav = hwnd;
    RefreshNav(hwnd, nav);
    SetTimer(hwnd, kNavTimer, 1000, nullptr);
    ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    if (!SnapFile().empty()) SetTimer(hwnd, kSnapTimer, SnapDelayMs(), nullptr);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = inst;
        DisableThreadLibraryCalls(inst);
    }
    return TRUE;
}

void WINAPI CeSim_SetGestureHold(int hold) { g_holdOverride = hold; }

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO* info) {
    if (!info || info->cbSize != sizeof(SHMENUBARINFO) || !IsWindow(info->hwndParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hwndMB = nullptr;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!RegisterBarClass()) return FALSE;

    auto bar = new MenuBar;
    bar->owner = info->hwndParent;
    std::vector<TBBUTTON> buttons;
    if (!Buttons(*info, bar, &buttons)) {
        delete bar;
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
    }
    const int width = GetSystemMetrics(SM_CXSCREEN), height = BandHeight();
    const int top = GetSystemMetrics(SM_CYSCREEN) - height;
    // Owned by the parent: it goes when the parent goes, and never takes activation.
    HWND hwnd = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kBarClass, L"", WS_POPUP | WS_CLIPCHILDREN, 0,
                                top, width, height, info->hwndParent, nullptr, g_module, nullptr);
    if (!hwnd) {
        delete bar;
        return FALSE;
    }
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bar));
    bar->toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"",
                                   WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE |
                                       CCS_NODIVIDER | CCS_NOPARENTALIGN,
                                   0, 0, width, height, hwnd, reinterpret_cast<HMENU>(UINT_PTR(kToolbarId)),
                                   g_module, nullptr);
    if (!bar->toolbar) {
        DestroyWindow(hwnd);  // frees the bar
        return FALSE;
    }
    SendMessageW(bar->toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(bar->toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    for (size_t i = 0; i < buttons.size(); ++i) buttons[i].iString = reinterpret_cast<INT_PTR>(bar->texts[i].c_str());
    if (!buttons.empty()) SendMessageW(bar->toolbar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    if (!(info->dwFlags & SHCMBF_HIDDEN)) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    info->hwndMB = hwnd;
    ShowNavigationBar();
    return TRUE;
}

BOOL WINAPI SHInitDialog(PSHINITDLGINFO info) {
    if (!info || !(info->dwMask & SHIDIM_FLAGS) || !IsWindow(info->hDlg)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD f = info->dwFlags;
    if (f & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_FULLSCREENNOMENUBAR)) {
        // A full-screen dialog has no caption or frame of its own: its title is
        // what the navigation bar shows above it.
        const LONG_PTR style = GetWindowLongPtrW(info->hDlg, GWL_STYLE);
        const LONG_PTR ex = GetWindowLongPtrW(info->hDlg, GWL_EXSTYLE);
        SetWindowLongPtrW(info->hDlg, GWL_STYLE, style & ~LONG_PTR(WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME));
        SetWindowLongPtrW(info->hDlg, GWL_EXSTYLE,
                          ex & ~LONG_PTR(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
        RECT rc = WorkArea();
        // Room is left for the soft keys unless the dialog says it has none.
        if (!(f & SHIDIF_FULLSCREENNOMENUBAR)) rc.bottom -= BandHeight();
        SetWindowPos(info->hDlg, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        ShowNavigationBar();
    }
    if (f & SHIDIF_DONEBUTTON) SHDoneButton(info->hDlg, SHDB_SHOW);
    if (f & SHIDIF_EMPTYMENU) {
        SHMENUBARINFO mb = {};
        mb.cbSize = sizeof mb;
        mb.hwndParent = info->hDlg;
        mb.dwFlags = SHCMBF_EMPTYBAR;
        SHCreateMenuBar(&mb);
    }
    return TRUE;
}

BOOL WINAPI SHInitExtraControls(void) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES};
    InitCommonControlsEx(&icc);
    // "TTBUTTON": the device's owner-drawn push button, a button by another name.
    WNDCLASSW wc = {};
    if (GetClassInfoW(g_module, L"TTBUTTON", &wc)) return TRUE;
    if (!GetClassInfoW(nullptr, L"BUTTON", &wc)) return FALSE;
    wc.hInstance = g_module;
    wc.lpszClassName = L"TTBUTTON";
    wc.style |= CS_GLOBALCLASS;
    return RegisterClassW(&wc) != 0;
}

BOOL WINAPI SHHandleWMActivate(HWND hwnd, WPARAM wp, LPARAM, SHACTIVATEINFO* sai, DWORD) {
    if (!sai || sai->cbSize != sizeof(SHACTIVATEINFO)) return FALSE;
    // No input panel here: only the activation state is kept.
    sai->fActive = LOWORD(wp) != WA_INACTIVE;
    if (!sai->fActive) {
        HWND focus = GetFocus();
        if (focus && (focus == hwnd || IsChild(hwnd, focus))) sai->hwndLastFocus = focus;
    }
    return TRUE;
}

BOOL WINAPI SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO* sai) {
    return sai && sai->cbSize == sizeof(SHACTIVATEINFO);
}

DWORD WINAPI SHRecognizeGesture(SHRGINFO* rg) {
    if (!rg || rg->cbSize != sizeof(SHRGINFO) || !IsWindow(rg->hwndClient)) return 0;
    int hold = 0;
    const bool decided = DeviceSaysHold(&hold);
    const bool held = decided ? hold != 0 : PenHeld(*rg);
    devlog::Event("aygshell", "gesture")
        .Int("x", rg->ptDown.x)
        .Int("y", rg->ptDown.y)
        .Bool("hold", held)
        .Str("by", decided ? L"device" : L"pen")
        .Append();
    if (!held) return 0;
    if (rg->dwFlags & SHRG_NOTIFYPARENT) {
        NMRGINFO nm = {};
        nm.hdr.hwndFrom = rg->hwndClient;
        nm.hdr.idFrom = UINT_PTR(GetDlgCtrlID(rg->hwndClient));
        nm.hdr.code = GN_CONTEXTMENU;
        nm.ptAction = rg->ptDown;
        ClientToScreen(rg->hwndClient, &nm.ptAction);
        if (HWND parent = GetParent(rg->hwndClient))
            SendMessageW(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
    return GN_CONTEXTMENU;
}

HBITMAP WINAPI SHLoadDIBitmap(LPCWSTR path) {
    if (!path || !*path) return nullptr;
    return static_cast<HBITMAP>(
        LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

BOOL WINAPI SHDoneButton(HWND hwnd, DWORD state) {
    if (!IsWindow(hwnd)) return FALSE;
    // The device draws the button in its navigation band; here the state is kept on
    // the window, where the Today screen and tests can find it.
    if (state & (SHDB_SHOW | SHDB_SHOWCANCEL))
        SetPropW(hwnd, kDoneProp, reinterpret_cast<HANDLE>(UINT_PTR(state)));
    else if (state & SHDB_HIDE)
        RemovePropW(hwnd, kDoneProp);
    return TRUE;
}

BOOL WINAPI SHFullScreen(HWND hwnd, DWORD) {
    // The navigation band and input panel are not drawn over other programs here.
    return IsWindow(hwnd);
}

}  // extern "C"
