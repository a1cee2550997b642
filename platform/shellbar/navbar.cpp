#include "navbar.h"

#include "raii.h"

namespace cesim {
namespace {

int Scale(int v, int dpi) { return (v * dpi + 48) / 96; }

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
    auto ch = [&](int s) {
        const int x = (a >> s) & 0xFF, y = (b >> s) & 0xFF;
        return den ? x + (y - x) * num / den : x;
    };
    return RGB(ch(0), ch(8), ch(16));
}

}  // namespace

int NavigationBarHeight(int dpi) { return Scale(26, dpi); }

HFONT CreateNavigationBarFont(int dpi) {
    LOGFONTW lf = {};
    lf.lfHeight = -Scale(12, dpi);
    lf.lfWeight = FW_BOLD;
    lstrcpyW(lf.lfFaceName, L"Tahoma");
    return CreateFontIndirectW(&lf);
}

void PaintNavigationBar(HDC dc, const RECT& band, const wchar_t* title, HFONT font, int dpi) {
    const int h = band.bottom - band.top;
    for (int y = 0; y < h; ++y) {
        raii::Brush b(CreateSolidBrush(Mix(RGB(24, 64, 132), RGB(8, 32, 84), y, h)));
        RECT row = {band.left, band.top + y, band.right, band.top + y + 1};
        FillRect(dc, &row, b.get());
    }
    raii::Select keep(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t clock[16];
    wsprintfW(clock, L"%d:%02d", now.wHour, now.wMinute);
    RECT t = band;
    t.left += Scale(8, dpi);
    t.right -= Scale(8, dpi);
    RECT c = t;
    DrawTextW(dc, clock, -1, &c, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    // The title gives way to the clock.
    SIZE clockSize = {};
    GetTextExtentPoint32W(dc, clock, lstrlenW(clock), &clockSize);
    t.right -= clockSize.cx + Scale(8, dpi);
    if (title && *title && t.right > t.left)
        DrawTextW(dc, title, -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace cesim
