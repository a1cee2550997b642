// inkx.dll: a stand-in for the ink control that shows text, word-wrapped, and
// nothing else. Window text is the content.
#include <windows.h>

#include <string>

#include "inkx.h"
#include "raii.h"

namespace {

HINSTANCE g_module = nullptr;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
        InvalidateRect(hwnd, nullptr, FALSE);
        return r;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        const int n = GetWindowTextLengthW(hwnd);
        std::wstring text(size_t(n) + 1, L'\0');
        GetWindowTextW(hwnd, &text[0], n + 1);
        text.resize(size_t(n));
        raii::PaintBuffered(hwnd, [&](HDC dc, int w, int h) {
            RECT rc = {0, 0, w, h};
            FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            SetBkMode(dc, TRANSPARENT);
            InflateRect(&rc, -2, -2);
            DrawTextW(dc, text.c_str(), int(text.size()), &rc, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
            SelectObject(dc, old);
        });
        return 0;
    }
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
        // Read-only: input goes nowhere.
        if (GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY) return 0;
        break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

extern "C" BOOL WINAPI InitInkX() {
    WNDCLASSW wc = {};
    if (GetClassInfoW(g_module, WC_INKX, &wc)) return TRUE;
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = Proc;
    wc.hInstance = g_module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_INKX;
    return RegisterClassW(&wc) != 0;
}

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = inst;
        DisableThreadLibraryCalls(inst);
    }
    return TRUE;
}
