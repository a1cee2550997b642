#include "tab_bar_window.h"

#include <aygshell.h>
#include <mmsystem.h>

#include <algorithm>
#include <cwctype>

#include "image_cache.h"
#include "messages.h"
#include "navigator.h"
#include "reg.h"
#include "resource_binding.h"
#include "scale.h"
#include "settings.h"
#include "skin.h"
#include "tab.h"
#include "tab_types.h"
#include "window.h"

namespace daybrim {

namespace {

const wchar_t kBarClass[] = L"TabBarWin";
const wchar_t kSettingsClass[] = L"TabBarSettingsWin";

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(wint_t(c)));
    return s;
}

bool EndsWith(const std::wstring& s, const std::wstring& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool FileExists(const std::wstring& p) {
    const DWORD a = GetFileAttributesW(p.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// One state's picture: TGA, else an alpha/mask pair, else the resource bitmap.
struct ButtonPicture {
    CAlphaImage tga;
    raii::Bitmap alpha, mask;
    raii::Bitmap resource;

    void Load(const std::wstring& tgaPath, const std::wstring& alphaPath, const std::wstring& maskPath,
              const std::wstring& alphaAlt, const std::wstring& maskAlt, HMODULE res, int id) {
        tga.Release();
        alpha.reset();
        mask.reset();
        resource.reset();
        if (!tgaPath.empty() && FileExists(tgaPath) && tga.LoadTga(tgaPath) == S_OK) return;
        ImageSource& src = SystemImageSource();
        if (!alphaPath.empty()) {
            alpha.reset(src.LoadDib(alphaPath));
            mask.reset(src.LoadDib(maskPath));
            if (alpha && mask) return;
        }
        if (!alphaAlt.empty()) {
            alpha.reset(src.LoadDib(alphaAlt));
            mask.reset(src.LoadDib(maskAlt));
            if (alpha && mask) return;
        }
        alpha.reset();  // one of a pair alone is no picture
        mask.reset();
        resource.reset(src.LoadBitmapResource(res, id));
    }
    void Draw(HDC dc, int x, int y) const {
        if (tga.HasPlanes()) {
            tga.Draw(dc, x, y);
            return;
        }
        if (alpha && mask) {
            BITMAP bm = {};
            GetObjectW(alpha.get(), sizeof bm, &bm);
            DrawAlphaMaskPair(dc, x, y, bm.bmWidth, bm.bmHeight, alpha.get(), 0, 0, bm.bmWidth, bm.bmHeight,
                              mask.get());
            return;
        }
        if (resource) {
            BITMAP bm = {};
            GetObjectW(resource.get(), sizeof bm, &bm);
            raii::MemDC mem(CreateCompatibleDC(dc));
            raii::Select sel(mem.get(), resource.get());
            BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, mem.get(), 0, 0, SRCCOPY);
        }
    }
};

}  // namespace

struct CTabBarWindow::Button {
    std::wstring name;
    int selId = 0, nselId = 0;
    CTab* tab = nullptr;
    ButtonPicture sel, nsel;
    bool custom = false;
    bool todayItem = false;
    int id = 0;
    std::wstring baseName;  // built-in tabs' picture base
    std::wstring install;   // external tabs' install folder
};

class CTabBarWindow::BarWin : public win::Window {
public:
    BarWin(CTabBarWindow* owner, bool settings) : owner_(owner), settings_(settings) {}
    HWND Make(const wchar_t* cls, HWND parent, int x, int y, int w, int h, HINSTANCE inst) {
        if (!Register(inst, cls, 0, nullptr)) return nullptr;
        return CreateWin(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, w, h, parent, inst);
    }

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        return settings_ ? owner_->HandleSettings(hwnd_, msg, wp, lp) : owner_->Handle(hwnd_, msg, wp, lp);
    }
    CTabBarWindow* owner_;
    bool settings_;
};

std::vector<std::wstring> SkinIconList(const std::wstring& folder, const std::vector<std::wstring>& exclude) {
    std::vector<std::wstring> out;
    if (folder.empty()) return out;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(JoinPath(folder, L"*.tga").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    const std::wstring tail = L"_baricon_sel.tga";
    do {
        const std::wstring name = fd.cFileName;
        if (!EndsWith(Lower(name), tail)) continue;
        const std::wstring base = name.substr(0, name.size() - tail.size());
        if (!FileExists(JoinPath(folder, base + L"_baricon_nsel.tga"))) continue;
        bool skip = false;
        for (const std::wstring& e : exclude) skip = skip || Lower(e) == Lower(base);
        if (!skip) out.push_back(base);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    std::sort(out.begin(), out.end());
    return out;
}

CTabBarWindow::CTabBarWindow(const ShellEnv* env) : env_(env) {}

CTabBarWindow::~CTabBarWindow() { Destroy(); }

HorizontalBar CTabBarWindow::HGeometry() const {
    HorizontalBar g;
    g.sc = TheScaler();
    g.width = width_;
    g.count = int(buttons_.size());
    g.reserved = reserved_;
    return g;
}

VerticalBar CTabBarWindow::VGeometry() const {
    VerticalBar g;
    g.sc = TheScaler();
    g.count = int(buttons_.size());
    return g;
}

bool CTabBarWindow::Create(HWND parent, int x, int y, int w, int h, bool hookMode, bool vertical, int sx, int sy,
                           int sw, int sh, HINSTANCE inst) {
    vertical_ = vertical;
    inst_ = inst;
    width_ = w;
    height_ = h;
    const CSettings* s = env_->settings;
    reserved_ = s && s->RemoveSettingsButton.value() == 1 ? 0 : ScaleX(20);
    selected_ = s ? s->ActiveTab.Int() : 1;
    const std::wstring folder = env_->skin ? env_->skin->folder() : std::wstring();
    // A skin drawn for both resolutions has both pictures: the high one first on a
    // high-resolution screen (the plain lookup would take the low one).
    if (!env_->high || folder.empty() ||
        !settingsIcon_.LoadNamed(folder, L"settings_icon_high", nullptr, -1, -1, 0x00FF00, false))
        settingsIcon_.LoadNamed(folder, L"settings_icon", env_->resolution, 257, -1, 0x00FF00, env_->high);
    bar_.reset(new BarWin(this, false));
    if (!bar_->Make(kBarClass, parent, x, y, w, h, inst)) return false;
    if (vertical && sh > 0 && reserved_ > 0) {
        settingsWin_.reset(new BarWin(this, true));
        settingsWin_->Make(kSettingsClass, parent, sx, sy, sw, sh, inst);
    }
    return true;
}

HWND CTabBarWindow::Window() const { return bar_ ? bar_->hwnd() : nullptr; }

void CTabBarWindow::Destroy() {
    if (bar_ && bar_->hwnd()) KillTimer(bar_->hwnd(), IDT_BLINK);
    bar_.reset();
    settingsWin_.reset();
    buttons_.clear();
    if (inst_) {
        UnregisterClassW(kBarClass, inst_);
        UnregisterClassW(kSettingsClass, inst_);
    }
}

bool CTabBarWindow::LoadButtonImages(Button& b, const std::wstring& iconName) {
    const std::wstring folder = env_->skin ? env_->skin->folder() : std::wstring();
    const std::wstring ext = env_->high ? L"_high.bmp" : L".bmp";
    HMODULE res = env_->resolution;
    auto path = [&](const std::wstring& base, const wchar_t* part) {
        return folder.empty() ? std::wstring() : JoinPath(folder, base + part);
    };
    std::wstring base = b.baseName;
    if (b.custom) base = (b.todayItem ? std::wstring(L"custom1") : b.name) + L"_baricon";
    std::wstring altSelA, altSelM, altNselA, altNselM;
    if (b.custom && !b.install.empty()) {
        altSelA = JoinPath(b.install, L"toolbar_icon_alpha_selected" + ext);
        altSelM = JoinPath(b.install, L"toolbar_icon_mask_selected" + ext);
        altNselA = JoinPath(b.install, L"toolbar_icon_alpha_notselected" + ext);
        altNselM = JoinPath(b.install, L"toolbar_icon_mask_notselected" + ext);
    }
    // A TGA picture has one size; on a high-resolution screen a skin may carry a
    // twice-as-large "<name>_high.tga" beside it, which is taken first.
    auto tga = [&](const std::wstring& stem) {
        if (env_->high && FileExists(stem + L"_high.tga")) return stem + L"_high.tga";
        return stem + L".tga";
    };
    b.sel.Load(folder.empty() ? std::wstring() : tga(JoinPath(folder, base + L"_sel")),
               path(base, (L"_sel_alpha" + ext).c_str()), path(base, (L"_sel_mask" + ext).c_str()), altSelA, altSelM,
               res, b.selId);
    b.nsel.Load(folder.empty() ? std::wstring() : tga(JoinPath(folder, base + L"_nsel")),
                path(base, (L"_nsel_alpha" + ext).c_str()), path(base, (L"_nsel_mask" + ext).c_str()), altNselA,
                altNselM, res, b.nselId);
    // A chosen icon of the skin replaces both pictures when both exist.
    if (iconName.empty()) return true;
    if (folder.empty()) return false;
    const std::wstring s = tga(JoinPath(folder, iconName + L"_baricon_sel"));
    const std::wstring n = tga(JoinPath(folder, iconName + L"_baricon_nsel"));
    CAlphaImage si, ni;
    if (!FileExists(s) || !FileExists(n) || si.LoadTga(s) != S_OK || ni.LoadTga(n) != S_OK) return false;
    b.sel.tga = std::move(si);
    b.nsel.tga = std::move(ni);
    return true;
}

void CTabBarWindow::AddButton(CTab* tab) {
    if (!tab) return;
    std::unique_ptr<Button> b(new Button);
    b->tab = tab;
    b->id = tab->Id();
    b->name = tab->DisplayName();
    const DWORD type = tab->GetType();
    b->custom = type == TAB_TYPE_DESIGNED || type == TAB_TYPE_TODAY_ITEM;
    b->todayItem = type == TAB_TYPE_TODAY_ITEM;
    struct Pics {
        DWORD type;
        const wchar_t* base;
        int sel, nsel;
    };
    static const Pics kPics[] = {{TAB_TYPE_CALENDAR, L"calendar_baricon", 255, 318},
                                 {TAB_TYPE_TASKS, L"tasks_baricon", 254, 319},
                                 {TAB_TYPE_CONTACTS, L"contacts_baricon", 261, 262},
                                 {TAB_TYPE_MAIL, L"messages_baricon", 433, 432},
                                 {TAB_TYPE_NOTES, L"notes_baricon", 434, 435},
                                 {TAB_TYPE_SEVENTS, L"sevents_baricon", 251, 320}};
    b->selId = 353;
    b->nselId = 351;
    for (const Pics& p : kPics)
        if (p.type == type) {
            b->baseName = p.base;
            b->selId = p.sel;
            b->nselId = p.nsel;
        }
    if (b->custom && env_->settings)
        for (const TTabDescriptor& d : env_->settings->tabs)
            if (d.displayName == b->name && d.type == type) b->install = d.installPath;
    LoadButtonImages(*b, b->custom ? tab->CustomIconName() : std::wstring());
    buttons_.push_back(std::move(b));
    if (!vertical_) {
        const int pos = IndexOf(selected_);
        scroll_ = pos >= 0 ? HGeometry().InitialScroll(pos + 1) : 0;
    }
    if (type == TAB_TYPE_SEVENTS && tab->HasAlert()) StartBlinking(tab->Id());
    Repaint();
}

CTabBarWindow::Button* CTabBarWindow::Find(int id) {
    for (auto& b : buttons_)
        if (b->id == id) return b.get();
    return nullptr;
}

RECT CTabBarWindow::ButtonRect(size_t index) const {
    const BarRect r = vertical_ ? VGeometry().ButtonRect(int(index), width_) : HGeometry().ButtonRect(int(index), scroll_);
    return RECT{r.left, r.top, r.right, r.bottom};
}

int CTabBarWindow::IndexOf(int id) const {
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (buttons_[i]->id == id) return int(i);
    return -1;
}

bool CTabBarWindow::ShowsSelected(int id) const {
    return id == selected_ || blink_.On(id);
}

void CTabBarWindow::Repaint() {
    if (HWND h = Window()) InvalidateRect(h, nullptr, FALSE);
}

int CTabBarWindow::MinimumHeight() const { return vertical_ ? VGeometry().MinimumHeight() : 0; }

void CTabBarWindow::Move(int x, int y, int w, int h, bool repaint) {
    HWND hw = Window();
    if (!hw) return;
    const bool widthChanged = w != width_;
    width_ = w;
    height_ = h;
    MoveWindow(hw, x, y, w, h, repaint ? TRUE : FALSE);
    if (!vertical_ && widthChanged) {
        const int pos = IndexOf(selected_);
        scroll_ = pos >= 0 ? HGeometry().InitialScroll(pos + 1) : 0;
    }
    Repaint();
}

void CTabBarWindow::Show(bool show) {
    if (HWND h = Window()) ShowWindow(h, show ? SW_SHOW : SW_HIDE);
}

void CTabBarWindow::ShowSettingsButton(bool show, int x, int y, int w, int h) {
    if (!settingsWin_ || !settingsWin_->hwnd()) return;
    if (show) MoveWindow(settingsWin_->hwnd(), x, y, w, h, TRUE);
    ShowWindow(settingsWin_->hwnd(), show ? SW_SHOW : SW_HIDE);
}

void CTabBarWindow::RepaintFocus(bool on) {
    focus_ = on;
    Repaint();
}

void CTabBarWindow::StartBlinking(int id) {
    // The selected button shows its selected picture anyway, and only selecting
    // another button would stop it: its blinking would wake the handheld every
    // second for ever with nothing to show.
    if (!Find(id) || id == selected_) return;
    if (blink_.Start(id) && Window()) SetTimer(Window(), IDT_BLINK, 1000, nullptr);
    Repaint();
}

void SoundPort::PlayFile(const std::wstring& path) {
    PlaySoundW(path.c_str(), nullptr, SND_ASYNC | SND_FILENAME | SND_NODEFAULT);
}

SoundPort& DefaultSoundPort() {
    static SoundPort port;
    return port;
}

bool GesturePort::Held(HWND hwnd, POINT at) {
    SHRGINFO rg = {sizeof rg, hwnd, at, SHRG_RETURNCMD};
    return SHRecognizeGesture(&rg) == GN_CONTEXTMENU;
}

GesturePort& DefaultGesturePort() {
    static GesturePort port;
    return port;
}

void CTabBarWindow::ScrollBy(int n) {
    if (vertical_ || n == 0) return;
    for (int at : HGeometry().ScrollSteps(scroll_, n)) {
        scroll_ = at;
        scrollHistory_.push_back(at);
        if (HWND h = Window()) {
            InvalidateRect(h, nullptr, FALSE);
            UpdateWindow(h);
        }
    }
}

void CTabBarWindow::SelectTab(int id) {
    if (id == selected_ && Find(id)) return;
    const int i = IndexOf(id);
    if (i < 0) return;
    if (!vertical_) ScrollBy(HGeometry().ScrollToShow(i, scroll_));
    if (HWND h = Window()) SendMessageW(GetParent(h), WM_DR_SELECTTAB, 0, LPARAM(id));
    selected_ = id;
    if (blink_.Stop(id) && Window()) KillTimer(Window(), IDT_BLINK);
    Repaint();
    const CSettings* s = env_->settings;
    if (s && s->EnableSoundEffect.value() == 1) {
        // A missing file would make the system play its default sound instead.
        const std::wstring wav = s->InstallFolder() + L"\\tab_switch.wav";
        if (FileExists(wav)) Sounds(env_).PlayFile(wav);
    }
}

void CTabBarWindow::SettingsMenu(int x, int y) {
    raii::Menu m(env_->lang ? LoadMenuW(env_->lang, MAKEINTRESOURCEW(171)) : nullptr);
    HMENU sub = m ? GetSubMenu(m.get(), 0) : nullptr;
    if (!sub) return;
    const bool minimized = env_->settings && env_->settings->LastMinimizeState.value() == 1;
    DeleteMenu(sub, minimized ? IDM_MINIMIZE : IDM_RESTORE, MF_BYCOMMAND);
    Menus(env_).Track(sub, x, y, env_->host ? env_->host : GetParent(Window()));
}

void CTabBarWindow::ButtonAction(size_t index) {
    Button& b = *buttons_[index];
    if (!b.tab) return;
    raii::Menu m(env_->lang ? LoadMenuW(env_->lang, MAKEINTRESOURCEW(b.tab->GetMenuId())) : nullptr);
    HMENU sub = m ? GetSubMenu(m.get(), 0) : nullptr;
    if (!sub) return;
    b.tab->PrepareMenu(sub);
    HWND owner = b.custom ? Window() : b.tab->MainWindow();
    if (b.custom) {
        // The skin's icons for this tab, within the ids the chooser reserves.
        // More icons than ids are left out: the list is what the menu offers.
        icons_ = SkinIconList(env_->skin ? env_->skin->folder() : std::wstring(), {});
        icons_.resize(std::min(icons_.size(), size_t(IDM_ICON_LAST - IDM_ICON_FIRST + 1)));
        raii::Menu icons(CreatePopupMenu());
        const auto text = [&](UINT id, const wchar_t* fallback) {
            std::wstring t = LoadLangString(env_->lang, id);
            return t.empty() ? std::wstring(fallback) : t;
        };
        AppendMenuW(icons.get(), MF_STRING, IDM_ICON_DEFAULT, text(IDS_ICON_DEFAULT, L"Default").c_str());
        for (size_t i = 0; i < icons_.size(); ++i)
            AppendMenuW(icons.get(), MF_STRING, IDM_ICON_FIRST + UINT(i), icons_[i].c_str());
        // Once appended, the pop-up is the menu's to destroy.
        if (icons && AppendMenuW(sub, MF_POPUP, reinterpret_cast<UINT_PTR>(icons.get()), text(IDS_ICON_MENU, L"Icon").c_str()))
            icons.release();
    }
    const RECT br = ButtonRect(index);
    RECT wr = {};
    if (Window()) GetWindowRect(Window(), &wr);
    Menus(env_).Track(sub, br.left + ScaleX(11) + wr.left, br.top + ScaleY(11) + wr.top, owner ? owner : Window());
}

void CTabBarWindow::PerformFocusedAction() {
    const int i = IndexOf(selected_);
    if (i >= 0) ButtonAction(size_t(i));
}

void CTabBarWindow::OnIconCommand(UINT id) {
    Button* b = Find(selected_);
    if (!b) return;
    std::wstring name;
    if (id != IDM_ICON_DEFAULT) {
        const size_t n = id - IDM_ICON_FIRST;
        if (n >= icons_.size()) return;  // an id past the list names no icon
        name = icons_[n];
    }
    if (!LoadButtonImages(*b, name)) name.clear();  // a picture failed: back to the usual ones
    std::wstring key = std::wstring(RootPath(kRootTabSettings)) + L"\\" + b->name;
    reg::SetString(HKEY_CURRENT_USER, key.c_str(), L"CustomIconName", name);
    if (HWND h = Window()) SendMessageW(GetParent(h), WM_DR_SETTABICON, 0, reinterpret_cast<LPARAM>(name.c_str()));
    Repaint();
}

void CTabBarWindow::OnTap(int x, int y) {
    if (env_->navigator) env_->navigator->TakeSelection(0);
    int index = -1;
    if (vertical_) {
        index = VGeometry().HitButton(y);
    } else {
        const HorizontalBar g = HGeometry();
        if (g.RightArrow(scroll_) && g.RightArrowArea().Contains(x, y)) {
            ScrollBy(1);
            return;
        }
        if (g.LeftArrow(scroll_) && g.LeftArrowArea().Contains(x, y)) {
            ScrollBy(-1);
            return;
        }
        const BarRect icon = g.SettingsIcon();
        if (reserved_ > 0 && icon.Contains(x, y)) {
            RECT wr = {};
            GetWindowRect(Window(), &wr);
            SettingsMenu(icon.left + wr.left, wr.top + ScaleY(20));
            return;
        }
        index = g.HitButton(x, y, scroll_);
    }
    if (index < 0) return;
    const int id = buttons_[size_t(index)]->id;
    if (id != selected_) {
        SelectTab(id);
        return;
    }
    // While the pen is down the shell dispatches messages; a reload handled then
    // destroys this bar, or its buttons, under us. Nothing from before the gesture
    // is trusted after it: the bar must still live and the button still be there.
    const std::weak_ptr<char> alive = alive_;
    const bool held = Gestures(env_).Held(Window(), POINT{x, y});
    if (alive.expired()) return;
    index = IndexOf(id);
    if (index < 0) return;
    if (held) ButtonAction(size_t(index));
    else if (CTab* tab = buttons_[size_t(index)]->tab) tab->LaunchApplication();
}

void CTabBarWindow::PaintSettingsIcon(HDC dc, int x, int y) {
    settingsIcon_.DrawTransparent(dc, x, y);
}

void CTabBarWindow::PaintButton(HDC dc, Button& b, const RECT& r, bool selected) {
    const int x = vertical_ ? r.left + ScaleX(2) : r.left;
    const int y = vertical_ ? r.top + ScaleX(1) : r.top;
    (selected ? b.sel : b.nsel).Draw(dc, x, y);
}

void CTabBarWindow::Paint(HDC dc, int w, int h) {
    if (env_->images) env_->images->PaintBackgroundFor(Window(), dc, w, h);
    else PatBlt(dc, 0, 0, w, h, WHITENESS);
    const SkinDescription* skin = env_->skin ? &env_->skin->desc() : nullptr;
    // The D-pad's mark: the selected button's cell in the highlight colour, blended.
    const bool focusOnBar = env_->navigator && env_->navigator->HasSelection() && !env_->navigator->FocusInTab();
    auto focusMark = [&](const RECT& r) {
        const COLORREF hc = env_->settings && env_->settings->HighlightBgClr.value() != 0xFFFFFFFF
                                ? env_->settings->HighlightBgClr.value()
                                : skin->highlightColour;
        FillBlended(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, hc, int(skin->HighlightOpacity()));
    };
    if (vertical_) {
        const VerticalBar g = VGeometry();
        const COLORREF line = env_->settings ? env_->settings->SystemColor(kSysClr6) : RGB(0x73, 0x8E, 0xEF);
        raii::Pen pen(CreatePen(PS_SOLID, 1, line));
        raii::Select penSel(dc, pen.get());
        for (size_t i = 0; i < buttons_.size(); ++i) {
            const BarRect br = g.ButtonRect(int(i), w);
            RECT r = {br.left, br.top, br.right, br.bottom};
            Button& b = *buttons_[i];
            const bool isSel = b.id == selected_;
            if (isSel && focusOnBar && skin) focusMark(r);
            PaintButton(dc, b, r, isSel || blink_.On(b.id));
            if (!skin || !skin->hideVertTabsBorder) {
                if (!isSel) {
                    MoveToEx(dc, w - 1, r.top, nullptr);
                    LineTo(dc, w - 1, r.bottom);
                }
                MoveToEx(dc, 0, r.bottom - 1, nullptr);
                LineTo(dc, w, r.bottom - 1);
            }
        }
        if (!skin || !skin->hideVertTabsBorder) {
            MoveToEx(dc, w - 1, int(buttons_.size()) * ScaleY(23), nullptr);
            LineTo(dc, w - 1, h);
        }
        return;
    }
    const HorizontalBar g = HGeometry();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const BarRect br = g.ButtonRect(int(i), scroll_);
        RECT r = {br.left, br.top, br.right, br.bottom};
        if (r.right <= g.StripLeft() || r.left >= w) continue;
        // Buttons partly scrolled out are cut at the strip's edge.
        const int save = SaveDC(dc);
        IntersectClipRect(dc, g.StripLeft(), 0, w, h);
        const bool isSel = buttons_[i]->id == selected_;
        PaintButton(dc, *buttons_[i], r, isSel || blink_.On(buttons_[i]->id));
        // The pictures fill a horizontal bar's cells, so the mark goes over the picture.
        if (isSel && focusOnBar && skin) focusMark(r);
        RestoreDC(dc, save);
    }
    if (reserved_ > 0) {
        const BarRect s = g.SettingsIcon();
        PaintSettingsIcon(dc, s.left, s.top);
    }
    if (env_->images) {
        if (g.RightArrow(scroll_)) {
            const CAlphaImage& a = env_->images->Image(kImgTabsRight);
            a.DrawTransparent(dc, w - a.Width(), g.Height() - a.Height());
        }
        if (g.LeftArrow(scroll_)) {
            const CAlphaImage& a = env_->images->Image(kImgTabsLeft);
            a.DrawTransparent(dc, g.StripLeft(), g.Height() - a.Height());
        }
    }
}

LRESULT CTabBarWindow::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        raii::PaintBuffered(hwnd, [&](HDC dc, int w, int h) { Paint(dc, w, h); });
        return 0;
    case WM_LBUTTONDOWN:
        OnTap(short(LOWORD(lp)), short(HIWORD(lp)));
        return 0;
    case WM_TIMER:
        if (wp == IDT_BLINK) {
            for (int id : blink_.Tick()) {
                const int i = IndexOf(id);
                if (i < 0) continue;
                const RECT r = ButtonRect(size_t(i));
                InvalidateRect(hwnd, &r, FALSE);
            }
            if (!blink_.Any()) KillTimer(hwnd, IDT_BLINK);
        }
        return 0;
    case WM_COMMAND: {
        const UINT id = LOWORD(wp);
        if (id >= IDM_ICON_DEFAULT && id <= IDM_ICON_LAST) OnIconCommand(id);
        else ForwardCommand(env_, wp, lp);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CTabBarWindow::HandleSettings(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        raii::PaintBuffered(hwnd, [&](HDC dc, int w, int h) {
            if (env_->images) env_->images->PaintBackgroundFor(hwnd, dc, w, h);
            PaintSettingsIcon(dc, (w - settingsIcon_.Width()) / 2, ScaleY(1));
        });
        return 0;
    case WM_LBUTTONDOWN: {
        if (env_->navigator) env_->navigator->TakeSelection(0);
        RECT wr;
        GetWindowRect(hwnd, &wr);
        SettingsMenu(wr.left, wr.top + ScaleY(20));
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace daybrim
