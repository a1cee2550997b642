#include "contact_preview.h"

#include <windowsx.h>

#include <algorithm>

#include "contacts_tab.h"
#include "image_cache.h"
#include "raii.h"
#include "resource_binding.h"
#include "scale.h"
#include "skin.h"

namespace daybrim {

namespace {
constexpr wchar_t kClass[] = L"DRContactPreviewWinClass";
constexpr COLORREF kSeparator = RGB(180, 180, 180);

// The toolbar's pictures by action. The contact's menu has no picture of its own:
// the arrow that leads on to more.
int ToolbarImage(ContactAction action) {
    switch (action) {
    case kActOpen: return kImgPreviewOpen;
    case kActEdit: return kImgPreviewEdit;
    case kActMenu: return kImgTabsRight;
    default: return kImgCloseButtonPopup;
    }
}

raii::Font MakeFont(int height, bool bold) {
    LOGFONTW lf = {};
    lf.lfHeight = -height;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    return raii::Font(CreateFontIndirectW(&lf));
}
}  // namespace

int CContactPreview::RowHeight() { return ScaleY(32); }
int CContactPreview::HeaderHeight() { return ScaleY(20); }

CContactPreview::~CContactPreview() { Close(); }

std::wstring CContactPreview::Text(unsigned id) const { return LoadLangString(env_ ? env_->lang : nullptr, id); }

bool CContactPreview::Open(HWND owner, HWND notify, const std::wstring& title, const std::vector<PreviewRow>& rows) {
    Close();
    const HINSTANCE inst = env_ && env_->instance ? env_->instance : GetModuleHandleW(nullptr);
    if (!Register(inst, kClass, 0, nullptr, LoadCursor(nullptr, IDC_ARROW))) return false;
    notify_ = notify;
    title_ = title;
    rows_ = rows;
    focus_ = 0;
    chosen_ = PreviewRow{kActNone, 0, L""};
    notified_ = false;
    RECT area;
    GetWindowRect(owner ? owner : GetDesktopWindow(), &area);
    const int w = std::max(ScaleX(120), int(area.right - area.left) - ScaleX(16));
    const int h = HeaderHeight() + RowHeight() * int(std::max<size_t>(rows_.size(), 1)) + 2;
    const int x = area.left + ((area.right - area.left) - w) / 2;
    const int y = area.top + std::max(0, int((area.bottom - area.top) - h) / 2);
    if (!CreateWin(0, kClass, L"", WS_POPUP | WS_VISIBLE | WS_BORDER | WS_TABSTOP, x, y, w, h, owner, inst))
        return false;
    SetFocus(hwnd_);
    return true;
}

void CContactPreview::Close() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void CContactPreview::Choose(int row) {
    if (row >= 0 && size_t(row) < rows_.size()) chosen_ = rows_[size_t(row)];
    Close();
}

void CContactPreview::ChooseAction(int action) {
    // Only the toolbar's own actions: anything else closes with nothing chosen.
    chosen_ = PreviewRow{IsItemAction(action) ? ContactAction(action) : kActNone, 0, L""};
    Close();
}

bool CContactPreview::ToolbarFocused() const { return toolbar_.hwnd() && GetFocus() == toolbar_.hwnd(); }

void CContactPreview::OnCreate() {
    std::vector<CaptionButton> buttons;
    for (ContactAction a : kPreviewToolbar)
        buttons.push_back({int(a), env_ && env_->images ? &env_->images->Image(ToolbarImage(a)) : nullptr});
    const SkinDescription* skin = env_ && env_->skin ? &env_->skin->desc() : nullptr;
    CaptionColours colours;
    colours.background = skin ? skin->highlightColour : RGB(0, 0, 128);
    colours.accent = skin ? skin->highlightTextColour : RGB(255, 255, 255);
    // The strip marks its first button now and hands Up and Down back here; Open
    // gives the rows the focus, and Up on the first row passes it to the strip.
    const HINSTANCE inst = env_ && env_->instance ? env_->instance : GetModuleHandleW(nullptr);
    toolbar_.Create(hwnd_, inst, true, buttons, colours);
}

void CContactPreview::OnKey(WPARAM vk) {
    if (ToolbarFocused()) {
        // The strip keeps Left, Right and Enter; Down comes back to the rows.
        if (vk == VK_DOWN) SetFocus(hwnd_);
        return;
    }
    switch (vk) {
    case VK_RETURN: Choose(focus_); return;
    case VK_LEFT: Close(); return;
    case VK_UP:
        if (focus_ > 0) --focus_;
        else if (toolbar_.hwnd()) SetFocus(toolbar_.hwnd());
        break;
    case VK_DOWN:
        if (focus_ + 1 < int(rows_.size())) ++focus_;
        break;
    default: return;
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void CContactPreview::Paint(HDC target) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    raii::MemDC dc(CreateCompatibleDC(target));
    raii::Bitmap bmp(CreateCompatibleBitmap(target, rc.right, rc.bottom));
    raii::Select sel(dc.get(), bmp.get());
    raii::Brush white(CreateSolidBrush(RGB(255, 255, 255)));
    FillRect(dc.get(), &rc, white.get());
    const SkinDescription* skin = env_ && env_->skin ? &env_->skin->desc() : nullptr;
    SetBkMode(dc.get(), TRANSPARENT);
    raii::Font bold = MakeFont(ScaleY(12), true), normal = MakeFont(ScaleY(12), false);
    // Header: the contact's title on the skin's highlight colour, a black line under it.
    RECT head = {0, 0, rc.right, HeaderHeight()};
    raii::Brush headBrush(CreateSolidBrush(skin ? skin->highlightColour : RGB(0, 0, 128)));
    FillRect(dc.get(), &head, headBrush.get());
    SetTextColor(dc.get(), skin ? skin->highlightTextColour : RGB(255, 255, 255));
    SelectObject(dc.get(), bold.get());
    RECT bar = {rc.right, 0, rc.right, 0};
    if (toolbar_.hwnd()) {
        GetWindowRect(toolbar_.hwnd(), &bar);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&bar), 2);
    }
    RECT ht = {ScaleX(4), 0, std::max<LONG>(ScaleX(4), bar.left - ScaleX(2)), HeaderHeight() - 1};
    DrawTextW(dc.get(), title_.c_str(), -1, &ht, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    RECT line = {0, HeaderHeight() - 1, rc.right, HeaderHeight()};
    FillRect(dc.get(), &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    raii::Pen sep(CreatePen(PS_SOLID, 1, kSeparator));
    for (size_t i = 0; i < rows_.size(); ++i) {
        const PreviewRow& r = rows_[i];
        const int top = HeaderHeight() + int(i) * RowHeight();
        RECT rr = {0, top, rc.right, top + RowHeight()};
        const bool focused = int(i) == focus_ && !ToolbarFocused();
        if (focused) FillRect(dc.get(), &rr, headBrush.get());
        SetTextColor(dc.get(), focused ? (skin ? skin->highlightTextColour : RGB(255, 255, 255)) : RGB(0, 0, 0));
        const unsigned verb = r.action == kActCall ? 41219 : r.action == kActMail ? 41220 : r.action == kActText ? 41221 : 0;
        std::wstring first = verb ? Text(verb) : L"";
        const std::wstring label = Text(FieldLabel(r.prop));
        if (!label.empty()) first += (first.empty() ? L"" : L" ") + label;
        const int x = ScaleX(4) + ScaleX(16) + ScaleX(4);
        RECT l1 = {x, top, rc.right - ScaleX(2), top + ScaleY(16)};
        SelectObject(dc.get(), bold.get());
        DrawTextW(dc.get(), first.c_str(), -1, &l1, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        RECT l2 = {x, top + ScaleY(16), rc.right - ScaleX(2), top + ScaleY(32)};
        SelectObject(dc.get(), normal.get());
        DrawTextW(dc.get(), r.value.c_str(), -1, &l2, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        // The row's mark: a small square coloured by its action.
        const COLORREF mark = r.action == kActCall ? RGB(40, 150, 40) : r.action == kActMail ? RGB(40, 80, 190)
                              : r.action == kActText ? RGB(200, 130, 20) : RGB(150, 150, 150);
        RECT icon = {ScaleX(4), top + ScaleY(8), ScaleX(4) + ScaleX(16), top + ScaleY(24)};
        raii::Brush mb(CreateSolidBrush(mark));
        FillRect(dc.get(), &icon, mb.get());
        if (i + 1 < rows_.size()) {
            raii::Select ps(dc.get(), sep.get());
            MoveToEx(dc.get(), 0, top + RowHeight() - 1, nullptr);
            LineTo(dc.get(), rc.right, top + RowHeight() - 1);
        }
    }
    SelectObject(dc.get(), GetStockObject(SYSTEM_FONT));
    BitBlt(target, 0, 0, rc.right, rc.bottom, dc.get(), 0, 0, SRCCOPY);
}

LRESULT CContactPreview::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        raii::PaintDC pdc(hwnd_);
        Paint(pdc.get());
        return 0;
    }
    case WM_CREATE: OnCreate(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_KEYDOWN:
        if (wp == VK_RETURN || wp == VK_LEFT || wp == VK_UP || wp == VK_DOWN) {
            OnKey(wp);
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:  // the focused row is lit only while the rows have the D-pad
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_DR_CAPTIONBUTTON:  // wParam the button's action
        ChooseAction(int(wp));
        return 0;
    case WM_LBUTTONDOWN: {
        const int y = GET_Y_LPARAM(lp);
        if (y < HeaderHeight()) {  // the header drags the window
            ReleaseCapture();
            SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, lp);
            return 0;
        }
        const int row = (y - HeaderHeight()) / RowHeight();
        if (row >= 0 && row < int(rows_.size())) Choose(row);
        return 0;
    }
    case WM_DESTROY:
        if (!notified_ && notify_) {
            notified_ = true;
            PostMessageW(notify_, WM_CONTACT_PREVIEW_ACTION, WPARAM(chosen_.action), 0);
            SetFocus(notify_);
        }
        return 0;
    }
    return Window::WndProc(msg, wp, lp);
}

}  // namespace daybrim
