#include "main_wnd.h"

#include <commctrl.h>

#include "actions.h"
#include "app.h"
#include "settings_dialog.h"

namespace tallyra {

namespace {

const UINT_PTR kBackspaceTimer = 1111;
// Posted to itself when the list took the focus: by the time it arrives the tap that
// gave it the focus has been handled, and the main window takes the focus back.
const UINT WM_TL_FOCUSBACK = WM_USER + 4;

UINT AlphabetCommand(unsigned alphabet) {
    switch (alphabet) {
    case 2: return kCmdCyrillic;
    case 4: return kCmdHebrew;
    case 8: return kCmdGreek;
    }
    return kCmdLatin;
}

UINT ModeCommand(int mode) {
    switch (mode) {
    case 0: return kCmdMode0;
    case 1: return kCmdMode1;
    case 3: return kCmdMode3;
    }
    return kCmdMode2;
}

// The popup behind the second soft key.
HMENU SecondPopup(HWND bar) {
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_LPARAM | TBIF_BYINDEX;
    if (!bar || SendMessageW(bar, TB_GETBUTTONINFOW, 1, reinterpret_cast<LPARAM>(&info)) < 0) return nullptr;
    return reinterpret_cast<HMENU>(info.lParam);
}

}  // namespace

bool CMainWnd::Start(int show) {
    App& app = TheApp();
    SHInitExtraControls();
    wchar_t title[101] = {}, cls[101] = {};
    LoadStringW(app.instance, 1, title, 101);
    LoadStringW(app.instance, 2, cls, 101);
    if (HWND other = FindWindowW(cls, title)) {
        // The plain handle: owned windows (an open view) stay above their owner and
        // come forward with it. The handle with its low bit set, which some shells
        // take to mean "with its owned windows", is accepted here and then activates
        // nothing, leaving no window in front at all.
        SetForegroundWindow(other);
        ShowWindow(other, SW_SHOW);
        return false;
    }
    if (!win::Window::Register(app.instance, cls, CS_HREDRAW | CS_VREDRAW,
                               static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), nullptr,
                               LoadIconW(app.instance, MAKEINTRESOURCEW(101))))
        return false;
    // The handheld's full-screen window: its work area below the navigation band.
    const int top = app.ScaleY(26);
    if (!CreateWin(0, cls, title, WS_VISIBLE | WS_POPUP, 0, top, GetSystemMetrics(SM_CXSCREEN),
                   GetSystemMetrics(SM_CYSCREEN) - top, nullptr, app.instance))
        return false;
    if (menuBar_) {
        RECT wr, br;
        GetWindowRect(hwnd_, &wr);
        GetWindowRect(menuBar_, &br);
        MoveWindow(hwnd_, wr.left, wr.top, wr.right - wr.left, wr.bottom - wr.top - (br.bottom - br.top), FALSE);
    }
    ShowWindow(hwnd_, show);
    UpdateWindow(hwnd_);
    SetForegroundWindow(hwnd_);

    if (!app.LoadResolutionLibrary() || !app.LoadSkin() || !CKeyboard::RegisterClass(app.instance)) return false;
    if (!list_.Create(hwnd_)) return false;
    RECT client;
    GetClientRect(hwnd_, &client);
    if (!keyboard_.Build(hwnd_, int(app.settings.KeyboardMode.Get()), app.settings.KeyboardAlphabet.Get(), client))
        return false;
    Layout();
    CreateMenuBar();
    if (!list_.Load()) return false;
    list_.SetTypedMode(app.settings.KeyboardMode.Get() == 0);
    app.LoadPhone();
    SetFocus(hwnd_);
    return true;
}

bool CMainWnd::CreateMenuBar() {
    App& app = TheApp();
    if (menuBar_) DestroyWindow(menuBar_);
    menuBar_ = nullptr;
    SHMENUBARINFO mb = {};
    mb.cbSize = sizeof mb;
    mb.hwndParent = hwnd_;
    mb.dwFlags = SHCMBF_HMENU | (app.settings.KeyboardMode.Get() != 0 ? SHCMBF_HIDESIPBUTTON : 0);
    mb.nToolBarId = 129;
    mb.hInstRes = app.lang.get();
    if (!SHCreateMenuBar(&mb)) return false;
    menuBar_ = mb.hwndMB;
    if (HMENU popup = SecondPopup(menuBar_)) {
        if (HMENU alphabets = GetSubMenu(popup, 0)) {
            const unsigned mask = app.settings.ActiveAlphabetsMask.Get();
            if (!(mask & 2)) DeleteMenu(alphabets, kCmdCyrillic, MF_BYCOMMAND);
            if (!(mask & 4)) DeleteMenu(alphabets, kCmdHebrew, MF_BYCOMMAND);
            if (!(mask & 8)) DeleteMenu(alphabets, kCmdGreek, MF_BYCOMMAND);
        }
    }
    CheckRadios();
    return true;
}

void CMainWnd::CheckRadios() {
    HMENU popup = SecondPopup(menuBar_);
    if (!popup) return;
    const App& app = TheApp();
    if (HMENU a = GetSubMenu(popup, 0))
        CheckMenuRadioItem(a, kCmdLatin, kCmdCyrillic, AlphabetCommand(app.settings.KeyboardAlphabet.Get()),
                           MF_BYCOMMAND);
    if (HMENU m = GetSubMenu(popup, 1))
        CheckMenuRadioItem(m, kCmdMode2, kCmdMode3, ModeCommand(int(app.settings.KeyboardMode.Get())), MF_BYCOMMAND);
}

void CMainWnd::Layout() {
    RECT client;
    GetClientRect(hwnd_, &client);
    // A move leaves the size as it was; rebuilding would reload every cap bitmap.
    if (keyboard_.mode() != 0 && !keyboard_.Fits(client))
        keyboard_.Build(hwnd_, keyboard_.mode(), TheApp().settings.KeyboardAlphabet.Get(), client);
    if (list_.hwnd()) list_.Move(0, 0, client.right, client.bottom - keyboard_.Height());
}

void CMainWnd::TakeFocusBack() {
    // Only from a window of its own: an open view, dialog or other program keeps it.
    const HWND focus = GetFocus();
    if (focus && focus != hwnd_ && IsChild(hwnd_, focus)) SetFocus(hwnd_);
}

void CMainWnd::SetAlphabet(unsigned alphabet) {
    App& app = TheApp();
    keyboard_.Relabel(alphabet);
    list_.ClearSearch();
    app.settings.KeyboardAlphabet.Set(alphabet);
    app.SaveSettings();
    CheckRadios();
}

void CMainWnd::SetKeyboardMode(int mode) {
    App& app = TheApp();
    RECT client;
    GetClientRect(hwnd_, &client);
    keyboard_.Build(hwnd_, mode, app.settings.KeyboardAlphabet.Get(), client);
    list_.ClearSearch();
    list_.SetTypedMode(mode == 0);
    app.settings.KeyboardMode.Set(DWORD(mode));
    app.SaveSettings();
    Layout();
    CreateMenuBar();
}

bool CMainWnd::OpenExpanded() {
    CContactRecord* r = list_.SelectedRecord();
    if (!r || !list_.Expand(r)) return false;
    const int result = view_.Run(hwnd_, *r, list_);
    if (result >= 1) ApplyPostOperation(result);
    return true;
}

void CMainWnd::DialSelected() {
    CContactRecord* r = list_.SelectedRecord();
    if (!r || r->numbers.empty() || !TalkKeyDials(r->numbers.front().property)) return;
    // A call that did not start leaves the list as it is (see CExpandedContactView::Activate).
    if (Dial(r->numbers.front().text)) ApplyPostOperation(int(TheApp().settings.PostOperationBehavior.Get()));
}

void CMainWnd::ApplyPostOperation(int behaviour) {
    switch (behaviour) {
    case 1: list_.ClearSearch(); break;
    case 2:
        list_.ClearSearch();
        SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        break;
    case 3: PostMessageW(hwnd_, WM_CLOSE, 0, 0); break;
    }
}

void CMainWnd::ApplySettings() {
    App& app = TheApp();
    app.LoadSettings();
    app.LoadLanguage();
    app.LoadSkin();
    RECT client;
    GetClientRect(hwnd_, &client);
    keyboard_.Build(hwnd_, int(app.settings.KeyboardMode.Get()), app.settings.KeyboardAlphabet.Get(), client);
    list_.ClearSearch();
    list_.SetTypedMode(app.settings.KeyboardMode.Get() == 0);
    Layout();
    list_.RemeasureRows();  // the font height or the row layout may have changed
    CreateMenuBar();
    list_.Reload();
    InvalidateRect(list_.hwnd(), nullptr, TRUE);
}

bool CMainWnd::OnCommand(UINT id) {
    App& app = TheApp();
    switch (id) {
    case kCmdDestroy: DestroyWindow(hwnd_); return true;
    case kCmdExit:
        SendMessageW(hwnd_, WM_COMMAND, kCmdDestroy, 0);
        PostQuitMessage(0);
        return true;
    case kCmdSettings:
        if (RunSettingsDialog(hwnd_))
            ApplySettings();
        else
            app.LoadSettings();
        return true;
    case kCmdLatin: SetAlphabet(1); return true;
    case kCmdCyrillic: SetAlphabet(2); return true;
    case kCmdHebrew: SetAlphabet(4); return true;
    case kCmdGreek: SetAlphabet(8); return true;
    case kCmdMode0: SetKeyboardMode(0); return true;
    case kCmdMode1: SetKeyboardMode(1); return true;
    case kCmdMode2: SetKeyboardMode(2); return true;
    case kCmdMode3: SetKeyboardMode(3); return true;
    }
    return false;
}

LRESULT CMainWnd::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        sai_ = SHACTIVATEINFO();
        sai_.cbSize = sizeof sai_;
        CreateMenuBar();
        return 0;
    case WM_DESTROY:
        if (menuBar_) DestroyWindow(menuBar_);
        menuBar_ = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
    case WM_MOVE:
        if (msg == WM_SIZE && wp == SIZE_MINIMIZED)
            list_.ClearSearch();
        else
            Layout();
        SetFocus(hwnd_);
        return 0;
    case WM_ACTIVATE:
        if (ActivationLeavesFinder(wp, lp)) talk_.Reset();
        SHHandleWMActivate(hwnd_, wp, lp, &sai_, 0);
        return 0;
    case WM_SETTINGCHANGE: SHHandleWMSettingChange(hwnd_, wp, lp, &sai_); return 0;
    case WM_MEASUREITEM: list_.Measure(reinterpret_cast<MEASUREITEMSTRUCT*>(lp)); return TRUE;
    case WM_DRAWITEM: list_.Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_NOTIFY: {
        auto nm = reinterpret_cast<const NMHDR*>(lp);
        if (nm->hwndFrom == list_.hwnd() && nm->code == LVN_ITEMACTIVATE) {
            OpenExpanded();
            SetFocus(hwnd_);
        } else if (nm->hwndFrom == list_.hwnd() && nm->code == NM_CUSTOMDRAW) {
            return list_.CustomDraw(reinterpret_cast<const NMLVCUSTOMDRAW*>(lp));
        } else if (nm->hwndFrom == list_.hwnd() && nm->code == NM_SETFOCUS) {
            PostMessageW(hwnd_, WM_TL_FOCUSBACK, 0, 0);  // a tap gave it the focus; the keys stay here
        }
        return 0;
    }
    case WM_KEYDOWN: {
        const bool first = (lp & 0x40000000) == 0;
        if (wp == VK_RETURN && first) OpenExpanded();
        else if (wp == VK_UP || wp == VK_DOWN) SendMessageW(list_.hwnd(), msg, wp, lp);
        else if (wp == VK_F3 && talk_.OnKeyDown(!first)) DialSelected();
        return 0;
    }
    case WM_KEYUP:
        if (wp == VK_F3 && talk_.OnKeyUp()) DialSelected();
        return 0;
    case WM_CHAR:
        if (wp == VK_BACK && (lp & 0x40000000)) {
            if (!clearTimer_) clearTimer_ = SetTimer(hwnd_, kBackspaceTimer, kHoldMs, nullptr) != 0;
            return 0;
        }
        if (keyboard_.mode() == 0 && list_.Accepts(wchar_t(wp))) list_.TypeChar(wchar_t(wp));
        return 0;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wp))) return 0;
        break;
    case WM_TIMER:
        if (wp == kBackspaceTimer) {
            KillTimer(hwnd_, kBackspaceTimer);
            clearTimer_ = false;
            list_.ClearSearch();
        }
        return 0;
    case WM_CANCELMODE: return 0;
    case WM_TL_KEY:
        list_.AppendKey(LOWORD(wp));
        TakeFocusBack();
        return 0;
    case WM_TL_CLEARSEARCH:
        list_.ClearSearch();
        TakeFocusBack();
        return 0;
    case WM_TL_FOCUSBACK: TakeFocusBack(); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        break;  // the focus is on its way: taking it back now would fight the move
    default:
        TakeFocusBack();
        break;
    }
    return win::Window::WndProc(msg, wp, lp);
}

}  // namespace tallyra
