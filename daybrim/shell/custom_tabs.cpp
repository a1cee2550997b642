#include "custom_tabs.h"

#include <windbase.h>

#include <algorithm>

#include "image_cache.h"
#include "navigator.h"
#include "reg.h"
#include "resource_binding.h"
#include "scale.h"
#include "settings.h"
#include "skin.h"
#include "tab_types.h"

namespace daybrim {

namespace {

constexpr UINT kNoItemString = 40996;

template <typename Fn>
Fn Export(HMODULE m, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

COLORREF Or(DWORD setting, uint32_t fallback) { return setting == 0xFFFFFFFF ? COLORREF(fallback) : COLORREF(setting); }

}  // namespace

bool ContactNoticeOf(UINT type, ContactNotice* notice) {
    switch (type) {
    case DB_CEOID_CHANGED: *notice = ContactNotice::kChanged; return true;
    case DB_CEOID_CREATED: *notice = ContactNotice::kCreated; return true;
    case DB_CEOID_RECORD_DELETED: *notice = ContactNotice::kDeleted; return true;
    }
    return false;
}

// --- External tab library --------------------------------------------------------------

// The release timer on the host window; its id is the tab, as the library
// expects from a host that times its keys.
class CCustomDesignedTab::HostTimer : public RepeatTimer {
public:
    HostTimer(CCustomDesignedTab* tab, HWND host) : tab_(tab), host_(host) {}
    ~HostTimer() override { Stop(); }
    void Start(unsigned ms) override {
        if (host_) SetTimer(host_, reinterpret_cast<UINT_PTR>(tab_), ms, &HostTimer::Fire);
    }
    void Stop() override {
        if (host_) KillTimer(host_, reinterpret_cast<UINT_PTR>(tab_));
    }

private:
    static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) { reinterpret_cast<CCustomDesignedTab*>(id)->OnRepeatTimer(); }
    CCustomDesignedTab* tab_;
    HWND host_;
};

CCustomDesignedTab::CCustomDesignedTab(const std::wstring& library, const std::wstring& installPath)
    : library_(library), installPath_(installPath) {}

CCustomDesignedTab::~CCustomDesignedTab() { Destroy(); }

DWORD CCustomDesignedTab::GetType() { return TAB_TYPE_DESIGNED; }

bool CCustomDesignedTab::Create(HWND parent, int x, int y, int w, int h, int cx, int cy, int cw, int ch, HINSTANCE inst) {
    inst_ = inst;
    host_ = parent;
    if (library_.empty()) return false;
    module_.reset(LoadLibraryW(library_.c_str()));
    if (!module_) return false;
    HMODULE m = module_.get();
    fn_.create = Export<CreateFn>(m, "fnCreateTab");
    fn_.destroy = Export<DestroyFn>(m, "fnDestroyTab");
    fn_.show = Export<ShowFn>(m, "fnShowTab");
    fn_.hide = Export<ShowFn>(m, "fnHideTab");
    fn_.move = Export<MoveFn>(m, "fnMoveWindow");
    fn_.clearCache = Export<MessageFn>(m, "fnTodayCustomClearCache");
    fn_.queryRefresh = Export<MessageFn>(m, "fnTodayCustomQueryRefresh");
    fn_.hibernate = Export<MessageFn>(m, "fnHibernate");
    fn_.erase = Export<MessageFn>(m, "fnEraseBackground");
    fn_.up = Export<HotKeyFn>(m, "fnDoHotKeyUp");
    fn_.down = Export<HotKeyFn>(m, "fnDoHotKeyDown");
    fn_.enter = Export<HotKeyFn>(m, "fnDoHotKeyEnter");
    fn_.changed = Export<ContactFn>(m, "fnDBContactItemChange");
    fn_.created = Export<ContactFn>(m, "fnDBContactItemCreated");
    fn_.deleted = Export<ContactFn>(m, "fnDBContactItemDeleted");
    if (!fn_.create || !fn_.destroy || !fn_.show || !fn_.hide) {
        Unload();
        return false;
    }
    HWND caption = nullptr;
    main_ = fn_.create(parent, x, y, w, h, cx, cy, cw, ch, &caption, 0);
    caption_ = caption;
    if (!main_ || !caption_) {
        // A half-made tab is taken down again: the library keeps no window of ours.
        fn_.destroy();
        main_ = caption_ = nullptr;
        Unload();
        return false;
    }
    return true;
}

void CCustomDesignedTab::Unload() {
    hostTimer_.reset();
    repeating_ = false;
    fn_ = Exports();
    module_.reset();
}

void CCustomDesignedTab::Destroy() {
    if (timer_) timer_->Stop();
    if (fn_.destroy && (main_ || caption_)) fn_.destroy();
    main_ = caption_ = nullptr;
    Unload();
}

void CCustomDesignedTab::Move(int x, int y, int w, int h) {
    if (fn_.move) fn_.move(x, y, w, h);
}

void CCustomDesignedTab::Show(bool withCaption) {
    if (!fn_.show) return;
    fn_.show(this, withCaption);
    if (!withCaption && caption_) ShowWindow(caption_, SW_HIDE);
}

void CCustomDesignedTab::Hide(bool withCaption) {
    if (fn_.hide) fn_.hide(this, withCaption);
}

void CCustomDesignedTab::ClearCache(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (fn_.clearCache) fn_.clearCache(h, m, w, l);
}
void CCustomDesignedTab::QueryRefresh(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (fn_.queryRefresh) fn_.queryRefresh(h, m, w, l);
}
void CCustomDesignedTab::EraseBackground(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (fn_.erase) fn_.erase(h, m, w, l);
}
void CCustomDesignedTab::Hibernate(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (fn_.hibernate) fn_.hibernate(h, m, w, l);
}

LRESULT CCustomDesignedTab::HotKey(bool up, HWND host) {
    if (!module_) return 0;  // nothing to scroll: the key may leave the tab
    if (!timer_) {
        if (!hostTimer_) hostTimer_.reset(new HostTimer(this, host ? host : host_));
    }
    RepeatTimer* timer = timer_ ? timer_ : hostTimer_.get();
    LRESULT result = 1;
    if (!repeating_) {
        repeating_ = true;
        HotKeyFn fn = up ? fn_.up : fn_.down;
        if (fn) result = fn(1, host, 1);
    } else {
        // The key repeats: the library keeps scrolling until the release.
        timer->Stop();
    }
    timer->Start(kRepeatMs);
    return result;
}

void CCustomDesignedTab::OnRepeatTimer() {
    RepeatTimer* timer = timer_ ? timer_ : hostTimer_.get();
    if (timer) timer->Stop();
    repeating_ = false;
    if (fn_.up) fn_.up(0, host_, 0);
    if (fn_.down) fn_.down(0, host_, 0);
}

LRESULT CCustomDesignedTab::KeyEnter(HWND host, int tabId) {
    return fn_.enter ? fn_.enter(1, host, tabId) : 0;
}

void CCustomDesignedTab::OnContactNotice(ContactNotice notice, DWORD oid) {
    ContactFn fn = notice == ContactNotice::kDeleted ? fn_.deleted
                   : notice == ContactNotice::kCreated ? fn_.created
                                                       : fn_.changed;
    if (fn) fn(oid);
}

// --- Hosted Today item -------------------------------------------------------------------

CCustomTab::CCustomTab(const ShellEnv* env, const std::wstring& itemName, const std::wstring& library)
    : CBuiltInTab(env), itemName_(itemName), library_(library) {
    const std::wstring key = L"Software\\Microsoft\\today\\items\\" + itemName_;
    selectability_ = reg::Dword(HKEY_LOCAL_MACHINE, key.c_str(), L"Selectability", 0);
}

CCustomTab::~CCustomTab() { Destroy(); }

DWORD CCustomTab::GetType() { return TAB_TYPE_TODAY_ITEM; }

bool CCustomTab::DPadMode() const { return env_ && env_->settings && env_->settings->DPadMode.Int() == 1; }

TODAYLISTITEM CCustomTab::MakeListItem(DWORD cyp) const {
    TODAYLISTITEM item = {};
    // Both names are cut to their fields: the item reads them as terminated strings.
    lstrcpynW(item.szName, itemName_.c_str(), MAX_ITEMNAME);
    lstrcpynW(item.szDLLPath, library_.c_str(), MAX_PATH);
    item.tlit = tlitCustom;
    item.dwOrder = 20;
    item.cyp = cyp;
    item.fEnabled = TRUE;
    item.fOptions = TRUE;
    item.hinstDLL = module_.get();
    item.dwSelectability = selectability_;
    return item;
}

void CCustomTab::SizeItem(const TODAYLISTITEM& answered) {
    RECT rc = {};
    if (main_) GetClientRect(main_, &rc);
    SetWindowPos(item_, nullptr, 0, 0, rc.right, int(answered.cyp), SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(item_, SW_SHOW);
}

bool CCustomTab::LoadItem(HWND hwnd) {
    if (library_.empty()) return false;
    module_.reset(LoadLibraryW(library_.c_str()));
    if (!module_) return false;
    auto init = reinterpret_cast<PFNCUSTOMINITIALIZEITEM>(
        reinterpret_cast<void*>(GetProcAddress(module_.get(), MAKEINTRESOURCEA(ORDINAL_INITIALIZECUSTOMITEM))));
    if (!init) {
        module_.reset();
        return false;
    }
    TODAYLISTITEM item = MakeListItem(0);
    item_ = init(&item, hwnd);
    if (!item_) item_ = item.hwndCustom;
    if (!item_) return false;
    ShowWindow(item_, SW_SHOW);
    SetWindowPos(item_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TODAYLISTITEM query = MakeListItem(0);
    if (SendMessageW(item_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&query), 0)) SizeItem(query);
    return true;
}

void CCustomTab::QueryRefresh(HWND, UINT, WPARAM, LPARAM) {
    if (!item_) return;
    RECT rc = {};
    GetClientRect(item_, &rc);
    TODAYLISTITEM query = MakeListItem(DWORD(rc.bottom));
    if (SendMessageW(item_, WM_TODAYCUSTOM_QUERYREFRESHCACHE, reinterpret_cast<WPARAM>(&query), 0)) SizeItem(query);
}

void CCustomTab::SetHighlighted(bool on) {
    highlighted_ = on ? 1 : 0;
    if (item_) InvalidateRect(item_, nullptr, TRUE);
}

LRESULT CCustomTab::Vertical(UINT key) {
    if (!item_ || DPadMode()) return 0;
    switch (selectability_) {
    case 1: SetHighlighted(false); return 0;  // the highlight leaves the tab
    case 2: return SendMessageW(item_, WM_TODAYCUSTOM_USERNAVIGATION, key, 0) ? 1 : 0;
    }
    return 0;
}

LRESULT CCustomTab::Horizontal(UINT key) {
    if (!item_ || selectability_ != 2) return 0;
    return SendMessageW(item_, WM_TODAYCUSTOM_USERNAVIGATION, key, 0) ? 1 : 0;
}

LRESULT CCustomTab::KeyEnter(HWND, int) {
    if (!item_) return 1;
    switch (selectability_) {
    case 1:
        SendMessageW(item_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        SendMessageW(item_, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
        return 1;
    case 2: SendMessageW(item_, WM_TODAYCUSTOM_ACTION, VK_RETURN, 0); return 1;
    }
    return 1;
}

LRESULT CCustomTab::ReceiveSelection(UINT key) {
    if (!item_) return 0;
    if (DPadMode()) return 1;
    switch (selectability_) {
    case 1: SetHighlighted(true); return 1;
    case 2: return SendMessageW(item_, WM_TODAYCUSTOM_RECEIVEDSELECTION, key, 0) ? 1 : 0;
    }
    return 0;
}

void CCustomTab::LoseSelection() {
    if (!item_) return;
    switch (selectability_) {
    case 1: SetHighlighted(false); break;
    case 2: SendMessageW(item_, WM_TODAYCUSTOM_LOSTSELECTION, 0, 0); break;
    }
}

void CCustomTab::SetCustomIcon(const wchar_t* name) {
    customIconName_ = name ? name : L"";
    captionBase_ = customIconName_.empty() ? L"custom1" : customIconName_;
    ClearCaptionCache();
    for (CAlphaImage& image : images_) image = CAlphaImage();  // drawn anew from the new name
    if (caption_) InvalidateRect(caption_, nullptr, FALSE);
}

void CCustomTab::Paint(HWND hwnd) {
    raii::PaintDC pdc(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    if (env_ && env_->images) env_->images->PaintBackgroundFor(hwnd, pdc.get(), rc.right, rc.bottom);
    if (module_ && item_) return;
    std::wstring text = LoadLangString(env_ ? env_->lang : nullptr, kNoItemString);
    if (text.empty()) text = L"This item could not be loaded.";
    SetBkMode(pdc.get(), TRANSPARENT);
    SetTextColor(pdc.get(), env_ && env_->settings ? env_->settings->SystemColor(kSysClr4) : RGB(0, 0, 0));
    raii::Select font(pdc.get(), GetStockObject(DEFAULT_GUI_FONT));
    RECT box = {rc.left + ScaleX(6), rc.top + ScaleY(6), rc.right - ScaleX(6), rc.bottom};
    DrawTextW(pdc.get(), text.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT CCustomTab::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: LoadItem(hwnd); return 0;
    case WM_DESTROY:
        if (item_ && IsWindow(item_)) DestroyWindow(item_);
        item_ = nullptr;
        module_.reset();
        return 0;
    case WM_MOVE:
    case WM_SIZE:
        if (item_) {
            RECT rc = {}, own = {};
            GetClientRect(hwnd, &rc);
            GetClientRect(item_, &own);
            SetWindowPos(item_, nullptr, 0, 0, rc.right, own.bottom, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
        return 0;
    case WM_SETFOCUS:
        if (env_ && env_->host) SetFocus(env_->host);
        return 0;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (env_ && env_->images) env_->images->PaintBackgroundFor(hwnd, reinterpret_cast<HDC>(wp), rc.right, rc.bottom);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 1;
    }
    case TODAYM_GETCOLOR: {
        if (selectability_ == 1 && highlighted_ && wp == TODAYCOLOR_TEXT && env_ && env_->settings && env_->skin)
            return LRESULT(Or(env_->settings->HighlightTextClr.value(), env_->skin->desc().highlightTextColour));
        HWND today = env_ && env_->host ? GetParent(env_->host) : nullptr;
        if (today) return SendMessageW(today, msg, wp, lp);
        return LRESULT(wp == TODAYCOLOR_HIGHLIGHT ? GetSysColor(COLOR_HIGHLIGHT) : GetSysColor(COLOR_WINDOWTEXT));
    }
    case TODAYM_DRAWWATERMARK: {
        auto* info = reinterpret_cast<TODAYDRAWWATERMARKINFO*>(lp);
        HWND today = env_ && env_->host ? GetParent(env_->host) : nullptr;
        LRESULT r = 0;
        if (today) {
            r = SendMessageW(today, msg, wp, lp);
        } else if (info && info->hwnd && env_ && env_->images) {
            // Without a Today screen (a tab shown on its own) the host's background stands in.
            env_->images->PaintBackgroundFor(info->hwnd, info->hdc, info->rc.right, info->rc.bottom);
        }
        if (info && selectability_ == 1 && highlighted_) {
            const COLORREF fill = env_ && env_->settings && env_->skin
                                      ? Or(env_->settings->HighlightBgClr.value(), env_->skin->desc().highlightColour)
                                      : GetSysColor(COLOR_HIGHLIGHT);
            raii::Brush brush(CreateSolidBrush(fill));
            FillRect(info->hdc, &info->rc, brush.get());
        }
        return r;
    }
    case TODAYM_TOOKSELECTION:
        // The item was tapped: the tab takes the D-pad focus with it.
        if (env_ && env_->navigator) env_->navigator->TakeSelection(1);
        return 0;
    case WM_COMMAND: ForwardCommand(env_, wp, lp); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace daybrim
