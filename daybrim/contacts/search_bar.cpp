#include "search_bar.h"

#include <aygshell.h>

#include "alpha_image.h"
#include "image_cache.h"
#include "raii.h"
#include "resource_binding.h"
#include "scale.h"
#include "settings.h"
#include "skin.h"

namespace daybrim {

namespace {
constexpr wchar_t kClass[] = L"SearchBarClass";
constexpr int kFontId = 262;
constexpr COLORREF kBarColour = RGB(226, 226, 226), kSeparatorColour = RGB(160, 160, 160);

COLORREF Pick(uint32_t setting, uint32_t fallback) { return setting == 0xFFFFFFFFu ? fallback : setting; }

// The skinned keys' boxes are the picture's keys scaled to the bar's width, so
// the picture is scaled with them: laid over the bar colour at its own size,
// then stretched, or a bar narrower than the picture would cut off its delete
// key and show every other key away from where a tap lands.
void DrawKeyStrip(HDC dc, const CAlphaImage& img, int w, int h) {
    if (!img.Loaded() || img.Width() <= 0 || img.Height() <= 0) return;
    if (img.Width() == w && img.Height() == h) {
        img.DrawTransparent(dc, 0, 0);
        return;
    }
    raii::MemDC mem(CreateCompatibleDC(dc));
    raii::Bitmap bmp(CreateCompatibleBitmap(dc, img.Width(), img.Height()));
    if (!mem || !bmp) return;
    HGDIOBJ old = SelectObject(mem.get(), bmp.get());
    raii::Brush back(CreateSolidBrush(kBarColour));
    RECT r{0, 0, img.Width(), img.Height()};
    FillRect(mem.get(), &r, back.get());
    img.DrawTransparent(mem.get(), 0, 0);
    StretchBlt(dc, 0, 0, w, h, mem.get(), 0, 0, img.Width(), img.Height(), SRCCOPY);
    SelectObject(mem.get(), old);
}
}  // namespace

int CSearchBar::Height() { return ScaleY(17); }

bool CSearchBar::Create(HWND parent, int type, const std::wstring& customName, unsigned languages) {
    const HINSTANCE inst = env_ ? env_->instance : GetModuleHandleW(nullptr);
    if (!Register(inst, kClass, 0, nullptr, LoadCursor(nullptr, IDC_ARROW))) return false;
    languages_ = languages;
    if (!CreateWin(0, kClass, kClass, WS_CHILD | WS_VISIBLE, 0, 0, 0, Height(), parent, inst)) return false;
    SetAlphabet(type, customName);
    return true;
}

void CSearchBar::Place(int x, int y, int width) {
    if (!hwnd_) return;
    MoveWindow(hwnd_, x, y, width, Height(), TRUE);
    Relayout();
}

void CSearchBar::SetAlphabet(int type, const std::wstring& customName) {
    customName_ = type == kAlphabetCustom ? customName : L"";
    custom_ = LoadCustomAlphabets(env_ && env_->settings ? env_->settings->InstallFolder() : L"");
    std::optional<olv::KeyLabels> lines;
    for (const CustomAlphabet& a : custom_)
        if (a.name == customName_) lines = a.labels;
    model_.SetLabels(type, LabelsFor(type, lines));
    Relayout();
}

void CSearchBar::Relayout() {
    if (!hwnd_) return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    boxes_ = LayoutKeys(model_.type(), model_.labels(), rc.right, rc.bottom, TheScaler());
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CSearchBar::Start(unsigned id, unsigned ms) {
    if (hwnd_) SetTimer(hwnd_, id, ms, nullptr);
}

void CSearchBar::Stop(unsigned id) {
    if (hwnd_) KillTimer(hwnd_, id);
}

void CSearchBar::Send(const BarSignal& s) {
    HWND parent = hwnd_ ? GetParent(hwnd_) : nullptr;
    if (!parent) return;
    SendMessageW(parent, WM_SEARCHBAR_KEY, WPARAM(s.key), s.key == 0 ? 0 : LPARAM(s.label.c_str()));
}

void CSearchBar::FocusNext() {
    model_.FocusNext();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CSearchBar::FocusPrevious() {
    model_.FocusPrevious();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CSearchBar::PressFocused() { Send(model_.PressFocused()); }

void CSearchBar::ShowFocus(bool on) {
    model_.ShowFocus(on);
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void CSearchBar::OnPenDown(int x, int y) {
    const int key = KeyAt(boxes_, x, y);
    if (!key) return;
    if (auto clear = model_.PenDown(key)) Send(*clear);
    InvalidateRect(hwnd_, nullptr, FALSE);
    SetCapture(hwnd_);
    if (key != kDeleteKey && languages_ != 0 && Gestures(env_).Held(hwnd_, POINT{x, y})) {
        model_.CancelPress();
        if (GetCapture() == hwnd_) ReleaseCapture();
        InvalidateRect(hwnd_, nullptr, FALSE);
        ShowAlphabetPopup(x, y);
    }
}

bool CSearchBar::ShowAlphabetPopup(int x, int y) {
    std::vector<std::wstring> names;
    for (const CustomAlphabet& a : custom_) names.push_back(a.name);
    const std::vector<AlphabetChoice> choices = AlphabetChoices(model_.type(), customName_, languages_, names);
    raii::Menu menu(CreatePopupMenu());
    if (!menu) return false;
    for (size_t i = 0; i < choices.size(); ++i) {
        std::wstring text = choices[i].textId ? LoadLangString(env_ ? env_->lang : nullptr, choices[i].textId)
                                              : choices[i].name;
        if (text.empty()) text = L"?";
        AppendMenuW(menu.get(), MF_STRING, UINT_PTR(i + 1), text.c_str());
    }
    POINT pt{x, y};
    ClientToScreen(hwnd_, &pt);
    HWND owner = GetParent(hwnd_);
    const int chosen =
        int(TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, pt.x, pt.y, owner, nullptr));
    if (chosen < 1 || size_t(chosen) > choices.size()) return false;
    const AlphabetChoice& c = choices[size_t(chosen - 1)];
    SendMessageW(owner, WM_SEARCHBAR_ALPHABET, WPARAM(c.type), LPARAM(c.name.c_str()));
    return true;
}

void CSearchBar::Paint(HDC target) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    if (rc.right <= 0 || rc.bottom <= 0) return;
    raii::MemDC dc(CreateCompatibleDC(target));
    raii::Bitmap bmp(CreateCompatibleBitmap(target, rc.right, rc.bottom));
    HGDIOBJ oldBmp = SelectObject(dc.get(), bmp.get());
    raii::Brush back(CreateSolidBrush(kBarColour));
    FillRect(dc.get(), &rc, back.get());
    const SkinDescription* skin = env_ && env_->skin ? &env_->skin->desc() : nullptr;
    if (model_.type() == kAlphabetSkinned && env_ && env_->images) {
        DrawKeyStrip(dc.get(), env_->images->Image(kImgContactsSearchKeys), rc.right, rc.bottom);
    } else {
        HFONT font = env_ && env_->images && env_->settings ? env_->images->GetFont(*env_->settings, kFontId) : nullptr;
        HGDIOBJ oldFont = font ? SelectObject(dc.get(), font) : nullptr;
        SetBkMode(dc.get(), TRANSPARENT);
        const COLORREF text = skin ? skin->textColour : RGB(0, 0, 0);
        const COLORREF hiBack = Pick(env_ && env_->settings ? env_->settings->HighlightBgClr.value() : 0xFFFFFFFFu,
                                     skin ? skin->highlightColour : RGB(0, 0, 128));
        const COLORREF hiText = Pick(env_ && env_->settings ? env_->settings->HighlightTextClr.value() : 0xFFFFFFFFu,
                                     skin ? skin->highlightTextColour : RGB(255, 255, 255));
        raii::Pen sep(CreatePen(PS_SOLID, 1, kSeparatorColour));
        HGDIOBJ oldPen = SelectObject(dc.get(), sep.get());
        for (int k = 1; k <= 9; ++k) {
            const KeyBox& b = boxes_[size_t(k - 1)];
            RECT kr{b.left, b.top, b.right, b.bottom};
            const bool pressed = model_.pressed() == k;
            if (pressed) {
                raii::Brush hb(CreateSolidBrush(hiBack));
                FillRect(dc.get(), &kr, hb.get());
            }
            SetTextColor(dc.get(), pressed ? hiText : text);
            const std::wstring label = k == kDeleteKey ? L"<<" : model_.labels().keys[size_t(k - 1)];
            DrawTextW(dc.get(), label.c_str(), int(label.size()), &kr, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            if (k < 9) {
                MoveToEx(dc.get(), b.right, 0, nullptr);
                LineTo(dc.get(), b.right, rc.bottom);
            }
        }
        MoveToEx(dc.get(), 0, 0, nullptr);
        LineTo(dc.get(), rc.right, 0);
        SelectObject(dc.get(), oldPen);
        if (oldFont) SelectObject(dc.get(), oldFont);
    }
    BitBlt(target, 0, 0, rc.right, rc.bottom, dc.get(), 0, 0, SRCCOPY);
    SelectObject(dc.get(), oldBmp);
}

LRESULT CSearchBar::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        raii::PaintDC pdc(hwnd_);
        Paint(pdc.get());
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: Relayout(); return 0;
    case WM_LBUTTONDOWN: OnPenDown(short(LOWORD(lp)), short(HIWORD(lp))); return 0;
    case WM_LBUTTONUP: {
        const auto s = model_.PenUp();
        if (GetCapture() == hwnd_) ReleaseCapture();
        InvalidateRect(hwnd_, nullptr, FALSE);
        if (s) Send(*s);
        return 0;
    }
    case WM_TIMER:
        if (auto s = model_.Timer(unsigned(wp))) Send(*s);
        return 0;
    default: return Window::WndProc(msg, wp, lp);
    }
}

}  // namespace daybrim
