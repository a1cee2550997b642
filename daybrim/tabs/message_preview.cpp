#include "message_preview.h"

#include <algorithm>

#include "htmlctrl.h"
#include "image_cache.h"
#include "inkx.h"
#include "locale_text.h"
#include "scale.h"
#include "skin.h"

namespace daybrim {

const wchar_t CMessagePreview::kClass[] = L"DRMessagePreviewWinClass";

namespace {

// The HTML view's display switches: no images fetched, text shrunk to fit.
const UINT kHtmlImages = WM_USER + 115;
const UINT kHtmlShrink = WM_USER + 116;

int TitleHeight() { return ScaleY(22); }
int LineHeight() { return ScaleY(15); }

std::wstring DateText(double received) {
    if (received == 949998.0) return std::wstring();
    SYSTEMTIME st;
    if (!VariantTimeToSystemTime(received, &st)) return std::wstring();
    wchar_t date[64] = L"", time[64] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 64);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, time, 64);
    return std::wstring(date) + L" " + time;
}

raii::Font MakeFont(bool bold) {
    LOGFONTW lf = {};
    lf.lfHeight = -ScaleY(11);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    return raii::Font(CreateFontIndirectW(&lf));
}

}  // namespace

CMessagePreview::~CMessagePreview() {
    // The owner may be going too: nothing is posted from here on.
    owner_ = nullptr;
    if (hwnd_) DestroyWindow(hwnd_);
}

bool CMessagePreview::Open(const ShellEnv* env, HWND owner, const PreviewContent& content, LPARAM tag) {
    if (hwnd_) DestroyWindow(hwnd_);  // its notice goes out with its own tag
    tag_ = tag;
    env_ = env;
    owner_ = owner;
    content_ = content;
    result_ = kPreviewClose;
    closing_ = false;
    const HINSTANCE inst = env && env->instance ? env->instance : GetModuleHandleW(nullptr);
    if (!Register(inst, kClass, 0, nullptr, LoadCursorW(nullptr, IDC_ARROW))) return false;
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const int w = std::min(ScaleX(200), sw - 40);
    const int h = std::min(ScaleY(200), sh - 56);
    previousFocus_ = GetFocus();
    if (!CreateWin(0, kClass, L"", WS_POPUP | WS_BORDER | WS_VISIBLE, (sw - w) / 2, (sh - h) / 2, w, h, owner, inst))
        return false;
    return true;
}

void CMessagePreview::Close(int result) {
    if (!hwnd_ || closing_) return;
    closing_ = true;
    result_ = result;
    DestroyWindow(hwnd_);
}

int CMessagePreview::HeaderBottom() const {
    const int lines = content_.textMessage ? 2 : 3;
    return TitleHeight() + ScaleY(3) + lines * LineHeight() + ScaleY(3);
}

void CMessagePreview::OnCreate() {
    normal_ = MakeFont(false);
    bold_ = MakeFont(true);
    std::vector<CaptionButton> buttons;
    for (int id : PreviewButtons(content_.textMessage)) {
        int slot = kImgCloseButtonPopup;
        switch (id) {
        case kPreviewDelete: slot = kImgPreviewDelete; break;
        case kPreviewReply: slot = kImgPreviewReply; break;
        case kPreviewDial: slot = kImgPreviewDial; break;
        case kPreviewReplyAll: slot = kImgPreviewReplyAll; break;
        case kPreviewForward: slot = kImgPreviewForward; break;
        case kPreviewOpen: slot = kImgPreviewOpen; break;
        }
        buttons.push_back({id, env_ && env_->images ? &env_->images->Image(slot) : nullptr});
    }
    CaptionColours colours;
    if (env_ && env_->skin) {
        colours.background = env_->skin->desc().highlightColour;
        colours.accent = env_->skin->desc().highlightTextColour;
    } else {
        colours.background = RGB(0, 0, 128);
        colours.accent = RGB(255, 255, 255);
    }
    buttons_.Create(hwnd_, env_ && env_->instance ? env_->instance : GetModuleHandleW(nullptr), true, buttons,
                    colours);
    CreateBody();
}

void CMessagePreview::CreateBody() {
    if (!content_.hasBody) return;
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const int top = HeaderBottom() + ScaleY(1);
    const int x = ScaleX(2), w = rc.right - ScaleX(4), h = std::max(0, int(rc.bottom) - top - ScaleY(2));
    const HINSTANCE inst = env_ && env_->instance ? env_->instance : GetModuleHandleW(nullptr);
    if (content_.html) {
        // Without the control (or when it cannot start) the preview shows no body.
        html_.reset(LoadLibraryW(L"Htmlview.dll"));
        if (!html_) return;
        typedef BOOL(WINAPI * InitFn)(HINSTANCE);
        InitFn init = reinterpret_cast<InitFn>(
            reinterpret_cast<void*>(GetProcAddress(html_.get(), MAKEINTRESOURCEA(1))));
        if (!init || !init(inst)) return;
        body_ = CreateWindowExW(0, DISPLAYCLASS, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, x, top, w, h, hwnd_,
                                nullptr, inst, nullptr);
        if (!body_) return;
        SendMessageW(body_, kHtmlImages, 0, 0);
        SendMessageW(body_, kHtmlShrink, 0, 1);
        SendMessageW(body_, DTM_ADDTEXTW, FALSE, reinterpret_cast<LPARAM>(content_.body.c_str()));
        SendMessageW(body_, DTM_ENDOFSOURCE, 0, 0);
        return;
    }
    HMODULE ink = GetModuleHandleW(L"inkx.dll");
    if (!ink) ink = LoadLibraryW(L"inkx.dll");  // stays loaded with the process: its class stays registered
    typedef BOOL(WINAPI * InkInit)(void);
    InkInit init = ink ? reinterpret_cast<InkInit>(reinterpret_cast<void*>(GetProcAddress(ink, "InitInkX"))) : nullptr;
    if (!init || !init()) return;
    body_ = CreateWindowExW(0, WC_INKX, content_.body.c_str(), WS_CHILD | WS_VISIBLE | ES_READONLY, x, top, w, h,
                            hwnd_, nullptr, inst, nullptr);
}

RECT CMessagePreview::TitleTextRect() const {
    RECT client = {0, 0, 0, 0};
    if (hwnd_) GetClientRect(hwnd_, &client);
    // The caption buttons sit on the right of the title bar; the title keeps to
    // the room left of them, however many there are at this resolution.
    int right = client.right;
    if (HWND strip = buttons_.hwnd()) {
        RECT r;
        GetWindowRect(strip, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        right = std::min<int>(right, r.left - ScaleX(2));
    }
    const int left = ScaleX(4);
    return RECT{left, 0, std::max(left, right), TitleHeight()};
}

void CMessagePreview::Paint(HDC dc, int w, int h) {
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const SkinDescription* skin = env_ && env_->skin ? &env_->skin->desc() : nullptr;
    const COLORREF titleBack = skin ? COLORREF(skin->highlightColour) : RGB(0, 0, 128);
    const COLORREF titleText = skin ? COLORREF(skin->highlightTextColour) : RGB(255, 255, 255);
    RECT title = {0, 0, w, TitleHeight()};
    raii::Brush back(CreateSolidBrush(titleBack));
    FillRect(dc, &title, back.get());
    RECT line = {0, title.bottom, w, title.bottom + 1};
    FillRect(dc, &line, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    LibraryTexts texts(env_ ? env_->lang : nullptr);
    SetBkMode(dc, TRANSPARENT);
    {
        raii::Select sel(dc, bold_.get());
        SetTextColor(dc, titleText);
        RECT t = TitleTextRect();
        t.right = std::min<LONG>(t.right, w);
        std::wstring caption = texts.String(preview_text::kTitle);
        if (caption.empty()) caption = L"Message";
        DrawTextW(dc, caption.c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    SetTextColor(dc, RGB(0, 0, 0));
    int y = title.bottom + ScaleY(3);
    auto header = [&](unsigned label, const std::wstring& value) {
        const std::wstring text = texts.String(label);
        SIZE size = {0, 0};
        {
            raii::Select sel(dc, bold_.get());
            RECT r = {ScaleX(4), y, w - ScaleX(2), y + LineHeight()};
            DrawTextW(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX);
            GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
        }
        raii::Select sel(dc, normal_.get());
        RECT r = {ScaleX(4) + size.cx + ScaleX(4), y, w - ScaleX(2), y + LineHeight()};
        DrawTextW(dc, value.c_str(), -1, &r, DT_SINGLELINE | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
        y += LineHeight();
    };
    header(preview_text::kFrom, content_.sender);
    header(preview_text::kDate, DateText(content_.received));
    if (!content_.textMessage) header(preview_text::kSubject, content_.subject);
    RECT sep = {ScaleX(2), HeaderBottom() - 1, w - ScaleX(2), HeaderBottom()};
    raii::Brush grey(CreateSolidBrush(RGB(160, 160, 160)));
    FillRect(dc, &sep, grey.get());
}

void CMessagePreview::OnDestroy() {
    if (body_) DestroyWindow(body_);
    body_ = nullptr;
    buttons_.Destroy();
    html_.reset();
    if (previousFocus_ && IsWindow(previousFocus_)) SetFocus(previousFocus_);
    previousFocus_ = nullptr;
    if (owner_ && IsWindow(owner_)) PostMessageW(owner_, WM_DR_PREVIEWCLOSED, WPARAM(result_), tag_);
}

LRESULT CMessagePreview::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        raii::PaintBuffered(hwnd_, [this](HDC dc, int w, int h) { Paint(dc, w, h); });
        return 0;
    case WM_DR_CAPTIONBUTTON:  // wParam the button
        Close(int(wp));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            // Leaving for another program closes the preview. The Today screen it
            // floats over takes the activation back after the very tap that
            // opened it, so activation moving there is no leaving.
            const HWND to = reinterpret_cast<HWND>(lp);
            if (!to || GetWindowThreadProcessId(to, nullptr) != GetCurrentThreadId()) Close(kPreviewClose);
        }
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE) Close(kPreviewClose);
        return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace daybrim
