// The handheld draws right-to-left letters right to left; desktop text drawing under
// Wine here leaves them in reading order. Lines holding such letters are put into
// display order before they are drawn.
#include <windows.h>

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
    format &= ~UINT(DT_MODIFYSTRING);
    // A line too long is cut at its end in reading order, then put in display order:
    // an ellipsis applied to the display order would cut off the line's beginning.
    if ((format & kEllipses) && Width(dc, visual.data(), n) > rc->right - rc->left) {
        format &= ~kEllipses;
        const int room = rc->right - rc->left;
        std::vector<wchar_t> cut, shown;
        size_t lo = 0, hi = n;  // the longest prefix that fits with its ellipsis
        while (lo < hi) {
            const size_t mid = (lo + hi + 1) / 2;
            cut.assign(text, text + mid);
            cut.push_back(L'\x2026');
            if (!Visual(cut.data(), cut.size(), rtl, &shown)) shown = cut;
            if (Width(dc, shown.data(), shown.size()) <= room) lo = mid;
            else hi = mid - 1;
        }
        cut.assign(text, text + lo);
        cut.push_back(L'\x2026');
        if (!Visual(cut.data(), cut.size(), rtl, &visual)) visual = cut;
    }
    return DrawTextW(dc, visual.data(), int(visual.size()), rc, format);
}
