// Htmlview.dll: a stand-in for the HTML view control that shows its document as
// plain text. The markup rules live in PlainFromHtml; the window only keeps the
// pieces it is given and draws the result.
#include <windows.h>

#include <string>

#include "htmlctrl.h"
#include "plain_text.h"
#include "raii.h"

namespace {

struct Doc {
    std::wstring source;
    bool plain = true;     // every piece so far was plain text
    std::wstring shown;
};

HINSTANCE g_module = nullptr;

void Paint(HWND hwnd, const std::wstring& text) {
    raii::PaintBuffered(hwnd, [&](HDC dc, int w, int h) {
        RECT rc = {0, 0, w, h};
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        InflateRect(&rc, -2, -2);
        DrawTextW(dc, text.c_str(), int(text.size()), &rc, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
    });
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* doc = reinterpret_cast<Doc*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_NCCREATE:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Doc()));
        break;
    case WM_NCDESTROY:
        delete doc;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        break;
    case DTM_ADDTEXTW:
        if (doc && lp) {
            doc->source += reinterpret_cast<const wchar_t*>(lp);
            doc->plain = doc->plain && wp;
        }
        return 0;
    case DTM_ADDTEXT:
        if (doc && lp) {
            for (const char* p = reinterpret_cast<const char*>(lp); *p; ++p) doc->source.push_back(wchar_t(uint8_t(*p)));
            doc->plain = doc->plain && wp;
        }
        return 0;
    case DTM_ENDOFSOURCE:
        if (doc) {
            doc->shown = doc->plain ? doc->source : htmlview::PlainFromHtml(doc->source);
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case DTM_CLEAR:
        if (doc) *doc = Doc();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_GETTEXTLENGTH: return doc ? LRESULT(doc->shown.size()) : 0;
    case WM_GETTEXT: {
        if (!doc || !lp || wp == 0) return 0;
        const size_t n = std::min<size_t>(doc->shown.size(), size_t(wp) - 1);
        doc->shown.copy(reinterpret_cast<wchar_t*>(lp), n);
        reinterpret_cast<wchar_t*>(lp)[n] = 0;
        return LRESULT(n);
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        Paint(hwnd, doc ? doc->shown : std::wstring());
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

extern "C" BOOL WINAPI InitHTMLControl(HINSTANCE) {
    WNDCLASSW wc = {};
    if (GetClassInfoW(g_module, DISPLAYCLASS, &wc)) return TRUE;
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = Proc;
    wc.hInstance = g_module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = DISPLAYCLASS;
    return RegisterClassW(&wc) != 0;
}

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = inst;
        DisableThreadLibraryCalls(inst);
    }
    return TRUE;
}
