#include "builtin_tab.h"

#include "image_cache.h"
#include "navigator.h"
#include "scale.h"
#include "settings.h"
#include "skin.h"
#include "tab_types.h"
#include "window.h"

namespace daybrim {

MenuPort& DefaultMenuPort() {
    static MenuPort port;
    return port;
}

class CBuiltInTab::MainWin : public win::Window {
public:
    explicit MainWin(CBuiltInTab* tab) : tab_(tab) {}
    HWND Make(const wchar_t* cls, HWND parent, int x, int y, int w, int h, HINSTANCE inst) {
        if (!Register(inst, cls, 0, nullptr)) return nullptr;
        return CreateWin(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS, x, y, w, h, parent, inst);
    }

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override { return tab_->MainWindowProc(hwnd_, msg, wp, lp); }
    CBuiltInTab* tab_;
};

class CBuiltInTab::CaptionWin : public win::Window {
public:
    explicit CaptionWin(CBuiltInTab* tab) : tab_(tab) {}
    HWND Make(const wchar_t* cls, HWND parent, int x, int y, int w, int h, HINSTANCE inst) {
        if (!Register(inst, cls, 0, nullptr)) return nullptr;
        return CreateWin(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS, x, y, w, h, parent, inst);
    }

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override { return tab_->CaptionWindowProc(hwnd_, msg, wp, lp); }
    CBuiltInTab* tab_;
};

CBuiltInTab::CBuiltInTab(const ShellEnv* env) : env_(env) {}

// From here the derived tab is gone: its windows are taken without telling it.
CBuiltInTab::~CBuiltInTab() { Release(false); }

void CBuiltInTab::Initialize(int id, const std::wstring& customIcon, const std::wstring& displayName,
                             const std::wstring& mainClass, const std::wstring& captionClass, uint32_t captionFlags,
                             CNumericSetting* slideout, CNumericSetting* direction, const std::wstring& captionBase,
                             const std::wstring& categoryBase, int captionIconRes) {
    mainClass_ = mainClass;
    captionClass_ = captionClass;
    captionFlags_ = captionFlags;
    slideout_ = slideout;
    direction_ = direction;
    captionBase_ = captionBase;
    categoryBase_ = categoryBase;
    captionIconRes_ = captionIconRes;
    SetIdentity(id, customIcon, displayName);
}

bool CBuiltInTab::Create(HWND parent, int x, int y, int w, int h, int cx, int cy, int cw, int ch, HINSTANCE inst) {
    inst_ = inst;
    mainWin_.reset(new MainWin(this));
    main_ = mainWin_->Make(mainClass_.c_str(), parent, x, y, w, h, inst);
    captionWin_.reset(new CaptionWin(this));
    caption_ = captionWin_->Make(captionClass_.c_str(), parent, cx, cy, cw, ch, inst);
    if (!main_ || !caption_) {
        Destroy();
        return false;
    }
    return true;
}

void CBuiltInTab::Destroy() { Release(true); }

void CBuiltInTab::Release(bool tellTab) {
    // The window owners unhook the tab before destroying, so a tab hears WM_DESTROY
    // (and runs its cleanup: popups, loaders, drags) only if its windows go first.
    if (tellTab) {
        if (main_ && IsWindow(main_)) DestroyWindow(main_);
        if (caption_ && IsWindow(caption_)) DestroyWindow(caption_);
    }
    mainWin_.reset();
    captionWin_.reset();
    main_ = caption_ = nullptr;
    if (inst_) {
        UnregisterClassW(mainClass_.c_str(), inst_);
        UnregisterClassW(captionClass_.c_str(), inst_);
    }
    ClearCaptionCache();
}

void CBuiltInTab::Move(int x, int y, int w, int h) {
    if (main_) SetWindowPos(main_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

void CBuiltInTab::Show(bool withCaption) {
    if (!main_) return;
    SetWindowPos(main_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(main_, SW_SHOW);
    UpdateWindow(main_);
    if (withCaption && caption_) {
        ShowWindow(caption_, SW_SHOW);
        UpdateWindow(caption_);
    }
}

void CBuiltInTab::Hide(bool withCaption) {
    if (main_) ShowWindow(main_, SW_HIDE);
    if (withCaption && caption_) ShowWindow(caption_, SW_HIDE);
}

void CBuiltInTab::ClearCaptionCache() { cached_.reset(); }

void CBuiltInTab::OnHostMoved() {
    ClearCaptionCache();
    if (caption_) InvalidateRect(caption_, nullptr, FALSE);
}

void CBuiltInTab::OnCaptionDestroy() {
    ClearCaptionCache();
    for (CAlphaImage& i : images_) i.Release();
}

LRESULT CBuiltInTab::CaptionWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: OnCaptionCreate(); return 0;
    case WM_DESTROY: OnCaptionDestroy(); return 0;
    case WM_MOVE:
    case WM_SIZE: OnCaptionMove(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnCaptionPaint(hwnd); return 0;
    case WM_LBUTTONDOWN:
        OnCaptionTap(hwnd, short(LOWORD(lp)), short(HIWORD(lp)));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void CBuiltInTab::ComposeCaption(HWND hwnd, HDC dc, int w, int h) {
    if (env_->images) env_->images->PaintBackgroundFor(hwnd, dc, w, h);
    else PatBlt(dc, 0, 0, w, h, WHITENESS);
    const std::wstring folder = env_->skin ? env_->skin->folder() : std::wstring();
    HMODULE res = env_->resolution;
    const bool high = env_->high;
    const std::wstring base = captionBase_.empty() ? L"calendar" : captionBase_;
    DrawSkinImage(dc, 0, 0, folder, base + L"_icon", &images_[kIcon], captionIconRes_, high, res);
    const SkinDescription* skin = env_->skin ? &env_->skin->desc() : nullptr;
    HFONT font = env_->images && env_->settings ? env_->images->GetFont(*env_->settings, 1) : nullptr;
    raii::Select fontSel(dc, font);
    SetBkMode(dc, TRANSPARENT);
    EffectDefaults defs;
    if (env_->settings) {
        defs.effect = env_->settings->UseShadowColor.Int();
        defs.colour = env_->settings->ShadowFontColor.value();
    }
    if ((captionFlags_ & kCaptionSlideout) && SlideOpen()) {
        std::wstring openBase = base;
        if (GetType() == TAB_TYPE_CONTACTS && GetFileAttributesW((base + L"_icon_open").c_str()) == INVALID_FILE_ATTRIBUTES)
            openBase = L"task";
        DrawSkinImage(dc, ScaleX(27), 0, folder, openBase + L"_icon_open", &images_[kOpen], 258, high, res);
        if (direction_ && direction_->value() == 0xFFFFFFFF)
            DrawSkinImage(dc, ScaleX(74), ScaleY(3), folder, openBase + L"_icon_open_sort_up", &images_[kSortUp], 259,
                          high, res);
        const std::wstring text = GetGroupingCaption();
        RECT r = {ScaleX(27), ScaleY(1), ScaleX(76), ScaleY(20)};
        if (skin) SetTextColor(dc, skin->slideTextColour);
        DrawTextWithEffect(dc, &r, text.c_str(), skin && skin->slideEffect != 0,
                           DT_CENTER | DT_VCENTER | DT_SINGLELINE, skin ? int(skin->slideEffect) : -1,
                           skin ? skin->slideEffectColour : 0xFFFFFFFF, defs);
    } else {
        DrawSkinImage(dc, ScaleX(27), 0, folder, base + L"_icon_close", &images_[kClose],
                      (captionFlags_ & kCaptionSlideout) ? 243 : 371, high, res);
    }
    if (captionFlags_ & kCaptionCategory) {
        DrawSkinImage(dc, ScaleX(91), ScaleY(1), folder, categoryBase_, &images_[kCategory], 239, high, res);
        const std::wstring text = GetCategoryCaption();
        RECT r = {ScaleX(94), ScaleY(4), ScaleX(137), ScaleY(18)};
        const DWORD align = env_->settings ? env_->settings->FilterTtlAlign.value() : 0;
        const UINT h = align == 1 ? DT_LEFT : align == 2 ? DT_RIGHT : DT_CENTER;
        if (skin) SetTextColor(dc, skin->textColour);
        DrawTextWithEffect(dc, &r, text.c_str(), skin && skin->effect != 0, h | DT_VCENTER | DT_SINGLELINE,
                           skin ? int(skin->effect) : -1, skin ? skin->effectColour : 0xFFFFFFFF, defs);
    }
}

void CBuiltInTab::OnCaptionPaint(HWND hwnd) {
    raii::PaintDC pdc(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    raii::MemDC mem(CreateCompatibleDC(pdc.get()));
    if (!cached_) {
        cached_.reset(CreateCompatibleBitmap(pdc.get(), rc.right, rc.bottom));
        raii::Select sel(mem.get(), cached_.get());
        ComposeCaption(hwnd, mem.get(), rc.right, rc.bottom);
    }
    raii::Select sel(mem.get(), cached_.get());
    BitBlt(pdc.get(), 0, 0, rc.right, rc.bottom, mem.get(), 0, 0, SRCCOPY);
}

void CBuiltInTab::OnCaptionTap(HWND hwnd, int x, int y) {
    if (env_->navigator) env_->navigator->TakeSelection(env_->navigator->FocusInTab() ? 1 : 0);
    MenuPort& menus = Menus(env_);
    RECT wr;
    GetWindowRect(hwnd, &wr);
    Scaler sc = TheScaler();
    switch (CaptionHit(sc, captionFlags_, SlideOpen(), x, y)) {
    case CaptionAction::kCategoryMenu: {
        raii::Menu m(env_->lang ? LoadMenuW(env_->lang, MAKEINTRESOURCEW(166)) : nullptr);
        if (HMENU sub = m ? GetSubMenu(m.get(), 0) : nullptr) {
            FillCategoryMenu(sub);
            menus.Track(sub, wr.left + ScaleX(93), wr.top + ScaleY(20), main_);
        }
        break;
    }
    case CaptionAction::kGroupingMenu: {
        raii::Menu m(env_->lang ? LoadMenuW(env_->lang, MAKEINTRESOURCEW(GetMenuId())) : nullptr);
        HMENU sub = m ? GetSubMenu(m.get(), 0) : nullptr;
        if (HMENU grouping = sub ? PrepareGroupingMenu(sub) : nullptr)
            menus.Track(grouping, wr.left + ScaleX(2), wr.top + ScaleY(20), main_);
        break;
    }
    case CaptionAction::kToggleDirection:
        if (direction_) {
            direction_->Set(direction_->value() == 0xFFFFFFFF ? 1 : 0xFFFFFFFF);
            direction_->Write();
            OnCaptionChoiceChanged();
            ClearCaptionCache();
            RECT r = {ScaleX(74), 0, ScaleX(81), ScaleY(20)};
            InvalidateRect(hwnd, &r, FALSE);
        }
        break;
    case CaptionAction::kOpenSlideout:
    case CaptionAction::kCloseSlideout:
        if (slideout_) {
            slideout_->Set(CaptionHit(sc, captionFlags_, SlideOpen(), x, y) == CaptionAction::kOpenSlideout ? 1 : 0);
            slideout_->Write();
            ClearCaptionCache();
            RECT r = {ScaleX(27), 0, ScaleX(90), ScaleY(20)};
            InvalidateRect(hwnd, &r, FALSE);
        }
        break;
    case CaptionAction::kNone: break;
    }
}

UINT CPlaceholderTab::GetMenuId() {
    switch (type_) {
    case TAB_TYPE_CALENDAR: return 437;
    case TAB_TYPE_TASKS: return 438;
    case TAB_TYPE_SEVENTS: return 439;
    case TAB_TYPE_NOTES: return 440;
    case TAB_TYPE_MAIL: return 441;
    case TAB_TYPE_DESIGNED: return 442;
    case TAB_TYPE_TODAY_ITEM: return 443;
    case TAB_TYPE_CONTACTS: return 446;
    }
    return 0;
}

LRESULT CPlaceholderTab::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        raii::PaintDC pdc(hwnd);
        RECT rc;
        GetClientRect(hwnd, &rc);
        if (env_->images) env_->images->PaintBackgroundFor(hwnd, pdc.get(), rc.right, rc.bottom);
        return 0;
    }
    case WM_LBUTTONDOWN:
        if (env_->navigator) env_->navigator->TakeSelection(1);
        return 0;
    case WM_COMMAND:
        ForwardCommand(env_, wp, lp);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace daybrim
