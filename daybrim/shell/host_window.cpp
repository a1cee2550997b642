#include "host_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "custom_tabs.h"
#include "locale_text.h"
#include "module.h"
#include "pim_settings.h"
#include "resource_binding.h"
#include "scale.h"
#include "settings.h"
#include "tab_factory.h"
#include "tab_types.h"
#include "week_number.h"

namespace daybrim {

namespace {

// Seconds of "LoadingDelay" past this are a typo, not a wish to wait for days.
const DWORD kMaxLoadingDelay = 600;

DWORD ReadGeneralDword(const wchar_t* name, DWORD def) {
    raii::Key key;
    DWORD v = 0, type = 0, size = sizeof v;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RootPath(kRootGeneral), 0, KEY_READ, key.out()) == ERROR_SUCCESS &&
        RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) == ERROR_SUCCESS &&
        type == REG_DWORD)
        return v;
    return def;
}

}  // namespace

// The hidden top-level window that hears broadcasts for the host, which as a child
// of the Today screen never receives them.
class CHostWindow::Relay : public win::Window {
public:
    Relay(HWND host, UINT settingsMsg) : host_(host), settingsMsg_(settingsMsg) {}
    bool Create(HINSTANCE inst) {
        if (!Register(inst, DAYBRIM_RELAY_CLASS, CS_HREDRAW | CS_VREDRAW, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))))
            return false;
        return CreateWin(0, DAYBRIM_RELAY_CLASS, L"", WS_POPUP | WS_CAPTION, 20, 20, 10, 10, host_, inst) != nullptr;
    }

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == settingsMsg_ && settingsMsg_) {
            // Posted, not sent: the reload destroys this window, which must not
            // happen while its own procedure is still on the stack.
            PostMessageW(host_, WM_DR_RELOAD, 0, 0);
            return 0;
        }
        switch (msg) {
        case WM_CREATE: return 0;
        case WM_SETTINGCHANGE:
            if (wp == SETTINGCHANGE_RESET) SendMessageW(host_, WM_DR_SCREENRESET, 0, 0);
            return 0;
        }
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
    HWND host_;
    UINT settingsMsg_;
};

CHostWindow::CHostWindow(DaybrimModule& module)
    : module_(module), core_(module.settings, *this, module.pim) {}

CHostWindow::~CHostWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HWND CHostWindow::Create(HWND parent) {
    if (!Register(module_.instance, DAYBRIM_HOST_CLASS, CS_HREDRAW | CS_VREDRAW,
                  static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))))
        return nullptr;
    return CreateWin(0, DAYBRIM_HOST_CLASS, DAYBRIM_HOST_CLASS, WS_CHILD | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                     GetSystemMetrics(SM_CYSCREEN), 0, parent, module_.instance);
}

LRESULT CHostWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (navigator_) {
            LRESULT r = navigator_->PreFilter(msg, wp, lp);
            if (r != -1) return r;
        }
        return Handle(msg, wp, lp);
    } catch (...) {
        // A failing handler must not take the Today screen down: the item carries on.
        return 0;
    }
}

LRESULT CHostWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        OnEraseBackground(reinterpret_cast<HDC>(wp));
        return 1;
    case WM_WINDOWPOSCHANGED: {
        RECT rc;
        GetWindowRect(hwnd_, &rc);
        MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&rc), 2);
        core_.Layout(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        return 0;
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wp));
        return 0;
    case WM_TIMER:
        if (wp == IDT_LOADING) {
            ::KillTimer(hwnd_, IDT_LOADING);
            DeferredInit();
        } else if (wp == IDT_DEFAULTTAB) {
            core_.OnDefaultTabTimer();
        } else if (wp == IDT_MAILTOCALENDAR) {
            core_.OnMailTimer();
        }
        return 0;
    case WM_LBUTTONDOWN:
        if (navigator_) navigator_->TakeSelection(1);
        return 0;
    case WM_DBNOTIFICATION: {
        const auto* n = reinterpret_cast<const CENOTIFICATION*>(lp);
        const DWORD bits = module_.pim.OnNotification(n);
        core_.OnDataChanged(bits);
        // External tab libraries hear which contact record changed, and how.
        ContactNotice notice;
        if (n && (bits & TAB_TYPE_CONTACTS) && ContactNoticeOf(n->uType, &notice)) core_.OnContactNotice(notice, n->oid);
        return 0;
    }
    case WM_HIBERNATE:
        for (size_t i = 0; i < core_.tabs().Count(); ++i) core_.tabs().At(i)->Hibernate(hwnd_, msg, wp, lp);
        return 0;
    case WM_TODAYCUSTOM_CLEARCACHE:
        // The Today screen says the background under the item is no longer what the
        // cache holds (a new theme): every window of the item paints it, so all of
        // them are painted again from a fresh copy.
        module_.images.DropBackgrounds();
        for (size_t i = 0; i < core_.tabs().Count(); ++i) core_.tabs().At(i)->ClearCache(hwnd_, msg, wp, lp);
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return 0;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
        return OnQueryRefresh(reinterpret_cast<TODAYLISTITEM*>(wp));
    }
    switch (msg) {
    case WM_DR_RELOAD:
        OnReload();
        return 0;
    case WM_DR_SCREENRESET:
        return 0;
    case WM_DR_MAILCHANGED:
        core_.OnMailChanged();
        return 0;
    case WM_DR_SETTABICON:
        if (CTab* t = core_.tabs().Find(module_.settings.ActiveTab.Int()))
            t->SetCustomIcon(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
        return 0;
    case WM_DR_SELECTTAB:
        core_.SelectTab(int(lp));
        return 1;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

void CHostWindow::OnCreate() {
    lang_.reset();
    initialized_ = false;
    CSettings& s = module_.settings;
    // Before the other settings, so that their scaled defaults use it.
    SetForcedVga(ReadGeneralDword(L"MyVgaMode", 0) == 1);
    s.Load(&lang_);
    module_.images.ClearFonts();

    int logPixelsX = 96;
    {
        raii::WindowDC dc(hwnd_);
        if (dc) logPixelsX = GetDeviceCaps(dc.get(), LOGPIXELSX);
    }
    const ResolutionChoice choice = ChooseResolution(logPixelsX, s.MyVgaMode.value() == 1);
    high_ = choice.high;
    resolution_.reset();
    resolution_.reset(LoadLibraryW(ResolutionLibraryPath(s.ProductFolder(), choice.library).c_str()));

    module_.weekRule = 0;
    if (s.AppendWeekNumTottl.value() == 1 || s.MonthlyPopWithWeekNum.value() == 1) {
        wchar_t first[4] = {};
        GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTWEEKOFYEAR, first, 4);
        module_.weekRule = WeekRuleFromSetting(s.FirstWeekInYear.value(), first[0]);
    }

    relay_.reset(new Relay(hwnd_, module_.settingsChangedMsg));
    if (!relay_->Create(module_.instance)) relay_.reset();

    const DWORD delay = std::min(s.LoadingDelay.value(), kMaxLoadingDelay);
    if (delay) SetTimer(hwnd_, IDT_LOADING, (delay + 1) * 1000, nullptr);
    else DeferredInit();
}

void CHostWindow::DeferredInit() {
    if (!IsAPIReady(SH_SHELL)) {
        SetTimer(hwnd_, IDT_LOADING, 1000, nullptr);  // the shell is still starting: try again
        return;
    }
    CSettings& s = module_.settings;
    const std::wstring skin = SkinFolderFor(s.SkinPath.value(), s.InstallFolder());
    module_.skin.Load(skin, s.SystemColor(kSysClr34), s.SystemColor(kSysClr35));
    module_.images.Load(resolution_.get(), high_, skin, module_.skin.desc().blendingBaseColour);
    env_ = ShellEnv();
    env_.instance = module_.instance;
    env_.settings = &s;
    env_.skin = &module_.skin;
    env_.images = &module_.images;
    env_.lang = lang_.get();
    env_.resolution = resolution_.get();
    env_.high = high_;
    env_.host = hwnd_;
    env_.pim = &module_.pim;
    env_.categories = &module_.categories;
    // Fonts, colours and formats are resolved once here, not for every row.
    rowIcons_.reset(new CachedRowIcons(module_.images));
    texts_.reset(new LibraryTexts(lang_.get()));
    // The mail store is read before the PIM data, whose start puts its accounts
    // on the calendar.
    const PimOptions options = PimOptionsFrom(s, lang_.get());
    mail_.reset();
    if (options.mailShown) {
        mail_.reset(new MailStore(hwnd_));
        mail_->Load();
        CPimStore::MailPlacement placement;
        placement.include = s.IncludeMainOnCal.value() == 1;
        placement.underToday = s.HideMailTtlUnderToday.value() == 1;
        placement.hideWhenZero = s.MailHideWhenZeroMsgs.value() == 1;
        placement.titleFormat = s.MailTitleFormat.Int();
        placement.texts = texts_.get();
        module_.pim.SetMailSource(&mail_->model(), placement);
    } else {
        module_.pim.SetMailSource(nullptr, CPimStore::MailPlacement());
    }
    env_.mail = mail_.get();
    // The store loads the categories first: the painter and the tabs find them loaded.
    module_.pim.Start(hwnd_, options);
    dateFormat_.reset(new LocaleFormat());
    PainterServices services;
    services.icons = rowIcons_.get();
    services.texts = texts_.get();
    services.format = dateFormat_.get();
    services.categories = &module_.categories;
    painter_.reset(new CItemPainter(TheScaler(), StyleFromSettings(s, module_.skin.desc(), module_.images), services));
    env_.painter = painter_.get();
    launch_.reset(new launch::LaunchConfig(launch::LaunchConfig::From(s)));
    menuExtensions_.reset(new menuext::CPimMenuExtensions);
    env_.launch = launch_.get();
    env_.menuExtensions = menuExtensions_.get();

    RECT rc;
    GetClientRect(hwnd_, &rc);
    const bool vertical = s.VerticalTabs.value() == 1;
    const int left = vertical ? ScaleX(26) : 0;
    const int top = s.RemoveTabsBar.value() == 1 ? 0 : ScaleY(22);
    const int height = std::max(ComputeItemHeight(s, rc.bottom, Environment()), ScaleY(60));

    core_.tabs().Clear();
    for (const TTabDescriptor& d : s.tabs) {
        if (!d.enabled) continue;
        std::unique_ptr<CTab> tab = CreateTabFor(&env_, s, d);
        if (!tab) continue;
        tab->Create(hwnd_, left, top, rc.right - left, height - top + 1, left, 0, ScaleX(140), top - ScaleY(2),
                    module_.instance);
        core_.tabs().Insert(std::move(tab));
    }

    core_.SetTabBar(CreateTabBar(&env_));
    navigator_.reset(new CDPadNavigator(*this, core_.bar(), &core_.tabs(), s, IsOldCeVersion()));
    env_.navigator = navigator_.get();
    const bool hook = navigator_->HookMode();
    if (vertical) {
        const int sh = s.RemoveTabsBar.value() == 1 ? 0 : ScaleY(22);
        core_.bar()->Create(hwnd_, 0, 0, ScaleX(26), height, hook, true, rc.right - ScaleX(20), 0, ScaleX(20), sh,
                            module_.instance);
    } else {
        core_.bar()->Create(hwnd_, ScaleX(140), 0, rc.right - ScaleX(140), HorizontalTabBarHeight(s), hook, false, 0,
                            0, 0, 0, module_.instance);
    }
    for (size_t i = 0; i < core_.tabs().Count(); ++i) core_.bar()->AddButton(core_.tabs().At(i));

    core_.SelectTab(s.ActiveTab.Int());
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    core_.snapshot().Record();
    initialized_ = true;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void CHostWindow::OnDestroy() {
    // The extensions' objects and libraries go before anything they might reach.
    env_.menuExtensions = nullptr;
    env_.launch = nullptr;
    menuExtensions_.reset();
    launch_.reset();
    module_.pim.StopNotifications();
    env_.navigator = nullptr;
    navigator_.reset();  // removes the keyboard hook and its watch timer
    hook_.reset();
    core_.DestroyTabs();
    // The calendar's lines point into the mail store's model.
    module_.pim.SetMailSource(nullptr, CPimStore::MailPlacement());
    env_.mail = nullptr;
    mail_.reset();
    lang_.reset();
    resolution_.reset();
    relay_.reset();
    UnregisterClassW(DAYBRIM_RELAY_CLASS, module_.instance);
    module_.images.ReleaseBitmaps();
    if (HWND bridge = FindWindowW(L"PIM_BRIDGE_CLASS", L"")) {
        // Another process's window cannot be destroyed from here: ask it to close.
        if (GetWindowThreadProcessId(bridge, nullptr) == GetCurrentThreadId()) DestroyWindow(bridge);
        else PostMessageW(bridge, WM_CLOSE, 0, 0);
    }
    env_.painter = nullptr;
    painter_.reset();
    dateFormat_.reset();
    texts_.reset();
    rowIcons_.reset();
    module_.images.ClearFonts();
    ::KillTimer(hwnd_, IDT_LOADING);
    ::KillTimer(hwnd_, IDT_DEFAULTTAB);
    ::KillTimer(hwnd_, IDT_MAILTOCALENDAR);
    initialized_ = false;
}

void CHostWindow::OnReload() {
    HCURSOR old = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
    const DWORD removedBefore = module_.settings.RemoveTabsBar.value();
    OnDestroy();
    OnCreate();
    core_.snapshot().laidOut = false;  // the new tabs need a layout pass of their own
    if (module_.settings.RemoveTabsBar.value() != removedBefore) ForceLayout();
    InvalidateRect(hwnd_, nullptr, TRUE);
    SetCursor(old);
}

void CHostWindow::OnCommand(UINT id) {
    CSettings& s = module_.settings;
    switch (id) {
    case IDM_SETTINGS:
    case IDM_TAB_SETTINGS:
        OpenSettings();
        break;
    case IDM_MINIMIZE:
    case IDM_RESTORE:
        s.LastMinimizeState.Set(id == IDM_MINIMIZE ? 1 : 0);
        s.LastMinimizeState.Write();
        break;
    }
}

void CHostWindow::OpenSettings() {
    // Before the deferred start there is no launcher state yet: read it for this once.
    if (launch_) launch::OpenSettingsProgram(*launch_, hwnd_);
    else launch::OpenSettingsProgram(launch::LaunchConfig::From(module_.settings), hwnd_);
}

HeightEnv CHostWindow::Environment() const {
    HeightEnv env;
    env.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    env.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    HWND parent = GetParent(hwnd_);
    RECT pr;
    SCROLLINFO si = {sizeof si, SIF_RANGE};
    if (parent && GetWindowRect(parent, &pr)) {
        env.parentKnown = true;
        env.parentTop = pr.top;
        env.parentBottom = pr.bottom;
        env.scrollMax = GetScrollInfo(parent, SB_VERT, &si) ? si.nMax : 0;
    }
    CTabBar* bar = const_cast<CHostCore&>(core_).bar();
    env.tabBarMinHeight = bar ? bar->MinimumHeight() : 0;
    return env;
}

LRESULT CHostWindow::OnQueryRefresh(TODAYLISTITEM* item) {
    RefreshKind refreshed;
    BOOL changed = core_.QueryRefresh(hwnd_, item, Environment(), &refreshed);
    if (refreshed != RefreshKind::kNone) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        UpdateWindow(hwnd_);
    }
    return changed;
}

void CHostWindow::OnEraseBackground(HDC dc) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    if (HBITMAP wm = module_.images.Watermark(hwnd_)) {
        raii::MemDC mem(CreateCompatibleDC(dc));
        raii::Select sel(mem.get(), wm);
        BitBlt(dc, 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
    } else {
        // No cached background yet: the Today screen paints it straight in.
        TODAYDRAWWATERMARKINFO info = {dc, rc, hwnd_};
        SendMessageW(GetParent(hwnd_), TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info));
    }
    for (size_t i = 0; i < core_.tabs().Count(); ++i)
        core_.tabs().At(i)->EraseBackground(hwnd_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
}

void CHostWindow::OnPaint() {
    raii::PaintDC pdc(hwnd_);
    HDC dc = pdc.get();
    CSettings& s = module_.settings;
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const COLORREF text = COLORREF(SendMessageW(GetParent(hwnd_), TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    if (s.RemoveSeparatingLine.value() != 1) {
        const COLORREF line = s.SeperatorLineClr.value() == 0xFFFFFFFF ? text : COLORREF(s.SeperatorLineClr.value());
        raii::Pen pen(CreatePen(PS_SOLID, 1, line));
        raii::Select sel(dc, pen.get());
        MoveToEx(dc, 1, ScaleY(20), nullptr);
        LineTo(dc, rc.right - 2, ScaleY(20));
    }
    // The tab windows cover this once they exist; until then the item says it is coming.
    if (s.LoadingDelay.value() != 0 || core_.tabs().Count() == 0) {
        raii::Select font(dc, module_.images.GetFont(s, 51));
        SetTextColor(dc, text);
        DrawTextW(dc, L"Daybrim loading...", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void CHostWindow::TookSelection() {
    SendMessageW(GetParent(hwnd_), TODAYM_TOOKSELECTION, reinterpret_cast<WPARAM>(hwnd_), 0);
}

void CHostWindow::ForceLayout() {
    core_.snapshot().laidOut = false;
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOOWNERZORDER);
}

bool CHostWindow::TodayIsForeground() {
    HWND today = FindWindowW(L"DesktopExplorerWindow", nullptr);
    return today && GetForegroundWindow() == today;
}

bool CHostWindow::InstallHook() {
    if (!hook_) hook_.reset(new CKeyboardHook(module_.instance, hwnd_));
    return hook_->Install();
}

void CHostWindow::RemoveHook() {
    if (hook_) hook_->Remove();
}

}  // namespace daybrim
