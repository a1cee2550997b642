// The handheld draws right-to-left letters right to left; desktop text drawing under
// Wine here leaves them in reading order. Lines holding such letters are put into
// display order before they are drawn.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "bidi.h"
#include "cecompat.h"

namespace {

constexpr UINT kEllipses = DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS;

bool Visual(const wchar_t* text, size_t n, bool rtl, std::vector<wchar_t>* out) {
    std::vector<char16_t> visual;
    if (!cesim::BidiDisplayOrder(reinterpret_cast<const char16_t*>(text), n, rtl, nullptr, &visual)) return false;
    out->assign(visual.begin(), visual.end());
    return true;
}

int Width(HDC dc, const wchar_t* text, size_t n) {
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, int(n), &size);
    return size.cx;
}

// One line in display order where DrawTextW would put it. Drawn with
// ETO_IGNORELANGUAGE: Wine's own reordering here works on some lines and not on
// others, and must not turn the display order back.
int DrawLine(HDC dc, const std::vector<wchar_t>& line, const RECT& rc, UINT format) {
    const int n = int(line.size());
    SIZE size = {};
    GetTextExtentPoint32W(dc, line.data(), n, &size);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    const int height = std::max(int(size.cy), int(tm.tmHeight));
    int x = rc.left, y = rc.top;
    if (format & DT_CENTER) x = rc.left + ((rc.right - rc.left) - size.cx) / 2;
    else if (format & DT_RIGHT) x = rc.right - size.cx;
    if (format & DT_VCENTER) y = rc.top + ((rc.bottom - rc.top) - height) / 2;
    else if (format & DT_BOTTOM) y = rc.bottom - height;
    const UINT align = SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ExtTextOutW(dc, x, y, ((format & DT_NOCLIP) ? 0 : ETO_CLIPPED) | ETO_IGNORELANGUAGE, &rc, line.data(), UINT(n),
                nullptr);
    if (align != GDI_ERROR) SetTextAlign(dc, align);
    return height;
}

// What DrawTextW shows of a text with prefix marks: "&&" is one '&', a single '&'
// marks the next letter (its underline is not drawn here).
std::vector<wchar_t> WithoutPrefixes(const wchar_t* text, size_t n) {
    std::vector<wchar_t> out;
    for (size_t i = 0; i < n; ++i) {
        if (text[i] == L'&' && i + 1 < n) ++i;
        else if (text[i] == L'&') continue;
        out.push_back(text[i]);
    }
    return out;
}

}  // namespace

extern "C" int WINAPI CeSim_DrawTextW(HDC dc, LPCWSTR text, int count, LPRECT rc, UINT format) {
    // Measuring does not depend on the order; several lines are wrapped in reading
    // order, which the display order of the whole text would break.
    if (!text || !rc || (format & DT_CALCRECT)) return DrawTextW(dc, text, count, rc, format);
    const size_t n = count < 0 ? wcslen(text) : size_t(count);
    const bool oneLine = (format & DT_SINGLELINE) || (!(format & DT_WORDBREAK) && !wmemchr(text, L'\n', n) &&
                                                       !wmemchr(text, L'\r', n));
    const bool rtl = (format & DT_RTLREADING) != 0;
    std::vector<wchar_t> visual;
    if (!oneLine || !Visual(text, n, rtl, &visual)) return DrawTextW(dc, text, count, rc, format);
    std::vector<wchar_t> logical(text, text + n);
    if (!(format & DT_NOPREFIX)) logical = WithoutPrefixes(text, n);
    if (!Visual(logical.data(), logical.size(), rtl, &visual)) visual = logical;
    // A line too long is cut at its end in reading order, then put in display order:
    // an ellipsis applied to the display order would cut off the line's beginning.
    const int room = rc->right - rc->left;
    if ((format & kEllipses) && Width(dc, visual.data(), visual.size()) > room) {
        std::vector<wchar_t> cut, shown;
        size_t lo = 0, hi = logical.size();  // the longest prefix that fits with its ellipsis
        while (lo < hi) {
            const size_t mid = (lo + hi + 1) / 2;
            cut.assign(logical.begin(), logical.begin() + std::ptrdiff_t(mid));
            cut.push_back(L'\x2026');
            if (!Visual(cut.data(), cut.size(), rtl, &shown)) shown = cut;
            if (Width(dc, shown.data(), shown.size()) <= room) lo = mid;
            else hi = mid - 1;
        }
        cut.assign(logical.begin(), logical.begin() + std::ptrdiff_t(lo));
        cut.push_back(L'\x2026');
        if (!Visual(cut.data(), cut.size(), rtl, &visual)) visual = cut;
    }
    return DrawLine(dc, visual, *rc, format);
}
