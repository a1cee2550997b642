#include "keyboard.h"

#include <aygshell.h>

#include "alphabet.h"
#include "app.h"
#include "layout.h"

namespace tallyra {

namespace {

const wchar_t kClass[] = L"CKEYBOARD";

struct CapSource {
    const wchar_t* file;
    int id;
};
// Per mode group (compact bar, thumb keys): left, right, centre, and pushed.
const CapSource kCaps[2][6] = {
    {{L"compact_bar_button_left.bmp", 1114}, {L"compact_bar_button_right.bmp", 1115},
     {L"compact_bar_button_center.bmp", 1113}, {L"compact_bar_button_left_pushed.bmp", 1117},
     {L"compact_bar_button_right_pushed.bmp", 1118}, {L"compact_bar_button_center_pushed.bmp", 1116}},
    {{L"thumbs_bar_button_left.bmp", 1112}, {L"thumbs_bar_button_right.bmp", 1111},
     {L"thumbs_bar_button_center.bmp", 1110}, {L"thumbs_bar_button_left_pushed.bmp", 1120},
     {L"thumbs_bar_button_right_pushed.bmp", 1122}, {L"thumbs_bar_button_center_pushed.bmp", 1119}}};

SIZE SizeOf(HBITMAP bmp) {
    BITMAP b = {};
    GetObjectW(bmp, sizeof b, &b);
    return SIZE{b.bmWidth, b.bmHeight};
}

}  // namespace

CButton::CButton(HWND parent, int id, const RECT& rc, bool compact) : id_(id) {
    hwnd_ = CreateWindowExW(0, L"TTBUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | (compact ? BS_VCENTER : 0),
                            rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, parent,
                            reinterpret_cast<HMENU>(INT_PTR(id)), TheApp().instance, nullptr);
}

CButton::~CButton() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void CButton::SetLabel(const CeString& label) {
    label_ = label;
    if (hwnd_) SetWindowTextW(hwnd_, label.c_str());
}

bool CKeyboard::RegisterClass(HINSTANCE inst) {
    return win::Window::Register(inst, kClass, CS_HREDRAW | CS_VREDRAW,
                                 static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

bool CKeyboard::LoadCaps(int mode) {
    App& app = TheApp();
    const CapSource* src = kCaps[mode == 1 ? 0 : 1];
    for (int i = 0; i < 6; ++i) {
        caps_[size_t(i)].reset(SHLoadDIBitmap((app.settings.SkinPath.Get() + src[i].file).c_str()));
        if (!caps_[size_t(i)])
            caps_[size_t(i)].reset(
                static_cast<HBITMAP>(LoadImageW(app.dpiRes.get(), MAKEINTRESOURCEW(src[i].id), IMAGE_BITMAP, 0, 0, 0)));
        if (!caps_[size_t(i)]) return false;
    }
    return true;
}

HWND CKeyboard::Key(int id) const {
    for (const auto& k : keys_)
        if (k->id() == id) return k->hwnd();
    return nullptr;
}

bool CKeyboard::Build(HWND parent, int mode, unsigned alphabet, const RECT& client) {
    keys_.clear();
    for (auto& c : caps_) c.reset();
    parent_ = parent;
    mode_ = (mode >= 1 && mode <= 3) ? mode : 0;
    alphabet_ = alphabet;
    if (mode_ == 0) {
        if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
        rect_ = RECT{client.left, client.bottom, client.right, client.bottom};
        return true;
    }
    if (!LoadCaps(mode_)) return false;
    const int h = KeyboardRows(mode_) * SizeOf(caps_[kLeft].get()).cy;
    rect_ = RECT{client.left, client.bottom - h, client.right, client.bottom};
    const int w = rect_.right - rect_.left;
    if (!hwnd_) {
        if (!CreateWin(0, kClass, L"", WS_CHILD | WS_VISIBLE, rect_.left, rect_.top, w, h, parent, TheApp().instance))
            return false;
    } else {
        MoveWindow(hwnd_, rect_.left, rect_.top, w, h, TRUE);
        ShowWindow(hwnd_, SW_SHOW);
    }
    if (mode_ == 1) {
        for (int id = 0; id <= 8; ++id) keys_.push_back(std::make_unique<CButton>(hwnd_, id, RECT{0, 0, 1, h}, true));
        Relabel(alphabet);
    } else {
        for (const KeyRect& k : ThumbKeys(mode_, w, h))
            keys_.push_back(
                std::make_unique<CButton>(hwnd_, k.id, RECT{k.left, k.top, k.right, k.bottom}, false));
        Relabel(alphabet);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
    return true;
}

size_t CKeyboard::Relabel(unsigned alphabet) {
    alphabet_ = alphabet;
    const auto labels = KeyLabels(alphabet);
    for (auto& k : keys_) {
        const int id = k->id();
        k->SetLabel(id <= 7 ? CeString(labels[size_t(id)].c_str()) : id == 8 ? CeString(L"<<") : CeString());
    }
    if (mode_ == 1) LayoutCompact();
    for (auto& k : keys_) InvalidateRect(k->hwnd(), nullptr, FALSE);
    return LetterCount(labels);
}

void CKeyboard::LayoutCompact() {
    std::array<size_t, 8> letters = {};
    for (auto& k : keys_)
        if (k->id() <= 7) letters[size_t(k->id())] = k->label().length();
    const int w = rect_.right - rect_.left, h = rect_.bottom - rect_.top;
    for (const KeyRect& r : CompactKeys(letters, w, h, TheApp().ScaleX(20)))
        if (HWND key = Key(r.id)) MoveWindow(key, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void CKeyboard::DrawKey(const DRAWITEMSTRUCT* dis) {
    if (dis->itemAction == ODA_FOCUS) return;
    const bool pushed = (SendMessageW(dis->hwndItem, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
    // The delete and blank keys clear the search when held; the timer runs while the
    // key is down and stops whenever it is painted released.
    if (int(dis->CtlID) > 7) {
        if (pushed)
            SetTimer(hwnd_, kHoldTimer, kHoldMs, nullptr);
        else
            KillTimer(hwnd_, kHoldTimer);
    }
    const int w = dis->rcItem.right - dis->rcItem.left, h = dis->rcItem.bottom - dis->rcItem.top;
    if (w <= 0 || h <= 0) return;
    raii::MemDC mem(CreateCompatibleDC(dis->hDC));
    raii::Bitmap canvas(CreateCompatibleBitmap(dis->hDC, w, h));
    raii::MemDC caps(CreateCompatibleDC(dis->hDC));
    if (!mem || !canvas || !caps) return;
    raii::Select selCanvas(mem.get(), canvas.get());
    auto cap = [&](Cap c) { return caps_[size_t(c) + (pushed ? 3 : 0)].get(); };
    {
        const SIZE cs = SizeOf(cap(kCentre));
        raii::Select s(caps.get(), cap(kCentre));
        StretchBlt(mem.get(), 0, 0, w, h, caps.get(), 0, 0, cs.cx, cs.cy, SRCCOPY);
    }
    {
        const SIZE ls = SizeOf(cap(kLeft));
        raii::Select s(caps.get(), cap(kLeft));
        StretchBlt(mem.get(), 0, 0, ls.cx, h, caps.get(), 0, 0, ls.cx, ls.cy, SRCCOPY);
    }
    {
        const SIZE rs = SizeOf(cap(kRight));
        raii::Select s(caps.get(), cap(kRight));
        StretchBlt(mem.get(), w - rs.cx, 0, rs.cx, h, caps.get(), 0, 0, rs.cx, rs.cy, SRCCOPY);
    }
    const App& app = TheApp();
    const bool compact = mode_ == 1;
    raii::Select font(mem.get(), compact ? app.skin.compactFont.get() : app.skin.thumbFont.get());
    SetBkMode(mem.get(), TRANSPARENT);
    SetTextColor(mem.get(), compact ? app.skin.compactColour : app.skin.thumbColour);
    RECT text = {0, 0, w, h};
    if (pushed && !compact) OffsetRect(&text, 0, app.ScaleY(1));
    wchar_t label[32] = {};
    GetWindowTextW(dis->hwndItem, label, 32);
    DrawTextW(mem.get(), label, -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    BitBlt(dis->hDC, dis->rcItem.left, dis->rcItem.top, w, h, mem.get(), 0, 0, SRCCOPY);
}

LRESULT CKeyboard::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && parent_) SendMessageW(parent_, WM_TL_KEY, wp, lp);
        return 0;
    case WM_TIMER:
        if (wp == kHoldTimer) {
            KillTimer(hwnd_, kHoldTimer);
            if (parent_) SendMessageW(parent_, WM_TL_CLEARSEARCH, 0, 0);
        }
        return 0;
    case WM_DRAWITEM:
        DrawKey(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_MEASUREITEM:
        return 0;
    case WM_NCDESTROY:
        // The keys were destroyed with this window; their handle values may come
        // back as someone else's windows.
        for (auto& k : keys_) k->Forget();
        keys_.clear();
        for (auto& c : caps_) c.reset();
        break;
    }
    return win::Window::WndProc(msg, wp, lp);
}

}  // namespace tallyra
