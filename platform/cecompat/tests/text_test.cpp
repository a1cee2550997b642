// Lines holding right-to-left letters are drawn in display order, as on the device.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "raii.h"

namespace {

// Black text on white, drawn by DrawTextW from the left edge of a bitmap.
struct Drawn {
    int width = 0;  // the text's extent
    std::vector<bool> ink;
    static constexpr int kW = 400, kH = 40;
    bool At(int x, int y) const { return x >= 0 && x < kW && ink[size_t(y * kW + x)]; }
};

Drawn Draw(const std::wstring& text, UINT extra = 0, int box = Drawn::kW) {
    Drawn d;
    raii::MemDC dc(CreateCompatibleDC(nullptr));
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), Drawn::kW, -Drawn::kH, 1, 32, BI_RGB};
    void* bits = nullptr;
    raii::Bitmap bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    raii::Select keepBmp(dc.get(), bmp.get());
    raii::Font font(CreateFontW(-24, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                L"Tahoma"));
    raii::Select keepFont(dc.get(), font.get());
    RECT all = {0, 0, Drawn::kW, Drawn::kH};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), RGB(0, 0, 0));
    RECT rc = {0, 0, box, Drawn::kH};
    DrawTextW(dc.get(), text.c_str(), -1, &rc, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | extra);
    GdiFlush();
    const auto* px = static_cast<const DWORD*>(bits);
    d.ink.resize(size_t(Drawn::kW * Drawn::kH));
    for (int i = 0; i < Drawn::kW * Drawn::kH; ++i) {
        d.ink[size_t(i)] = (px[i] & 0xFF) < 128;
        if (d.ink[size_t(i)]) d.width = std::max(d.width, i % Drawn::kW + 1);
    }
    return d;
}

// Whether `part` (drawn alone from the left) is what `whole` shows from column x on.
// Only the part's inked columns count: its side bearing may hold a neighbour's ink.
bool ShowsAt(const Drawn& whole, const Drawn& part, int x) {
    int first = part.width;
    for (int y = 0; y < Drawn::kH; ++y)
        for (int c = 0; c < part.width; ++c)
            if (part.At(c, y)) first = std::min(first, c);
    for (int y = 0; y < Drawn::kH; ++y)
        for (int c = first; c < part.width; ++c)
            if (whole.At(x + c, y) != part.At(c, y)) return false;
    return true;
}

}  // namespace

TEST(RightToLeftText, AHebrewWordStartsAtTheRight) {
    const Drawn word = Draw(L"\u05D0\u05D1\u05D2");  // alef bet gimel
    const Drawn alef = Draw(L"\u05D0"), gimel = Draw(L"\u05D2");
    ASSERT_GT(alef.width, 0);
    EXPECT_TRUE(ShowsAt(word, alef, word.width - alef.width)) << "the first letter stands at the right";
    EXPECT_TRUE(ShowsAt(word, gimel, 0)) << "the last one at the left";
}

TEST(RightToLeftText, AMixedNameKeepsItsLatinAndDigitsReadable) {
    const Drawn name = Draw(L"\u05DB\u05D4\u05DF, Dana 03");
    const Drawn latin = Draw(L"Dana 03");
    EXPECT_TRUE(ShowsAt(name, latin, name.width - latin.width)) << "\"Dana 03\" reads left to right at the end";
    const Drawn kaf = Draw(L"\u05DB");
    const Drawn hebrew = Draw(L"\u05DB\u05D4\u05DF");
    EXPECT_TRUE(ShowsAt(hebrew, kaf, hebrew.width - kaf.width));
    EXPECT_TRUE(ShowsAt(name, hebrew, 0)) << "the Hebrew word comes first, itself right to left";
}

TEST(RightToLeftText, ALineTooLongLosesItsEndNotItsBeginning) {
    // Five words; the box holds about two: the first word must still show, the last not.
    const std::wstring line = L"\u05D0\u05D1\u05D2 \u05D3\u05D4\u05D5 \u05D6\u05D7\u05D8 \u05D9\u05DB\u05DC \u05DE\u05E0\u05E1";
    const Drawn first = Draw(L"\u05D0\u05D1\u05D2"), last = Draw(L"\u05DE\u05E0\u05E1");
    const int box = first.width * 2 + 20;
    const Drawn cut = Draw(line, DT_END_ELLIPSIS, box);
    ASSERT_GT(cut.width, first.width);
    EXPECT_LE(cut.width, box);
    auto anywhere = [&](const Drawn& part) {
        for (int x = -part.width; x < cut.width; ++x)
            if (ShowsAt(cut, part, x)) return true;
        return false;
    };
    EXPECT_TRUE(anywhere(first)) << "the first word shows";
    EXPECT_FALSE(anywhere(last)) << "the last word is cut";
}

TEST(RightToLeftText, LatinTextIsDrawnAsItWas) {
    const Drawn plain = Draw(L"Almeida, Rosa");
    const Drawn a = Draw(L"A");
    EXPECT_TRUE(ShowsAt(plain, a, 0));
}

namespace {

int InkOf(const std::wstring& text, int height, int weight) {
    raii::MemDC dc(CreateCompatibleDC(nullptr));
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 400, -60, 1, 32, BI_RGB};
    void* bits = nullptr;
    raii::Bitmap bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    raii::Select keepBmp(dc.get(), bmp.get());
    raii::Font font(CreateFontW(-height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                                L"Tahoma"));
    raii::Select keepFont(dc.get(), font.get());
    RECT rc = {0, 0, 400, 60};
    FillRect(dc.get(), &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawTextW(dc.get(), text.c_str(), -1, &rc, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    GdiFlush();
    int ink = 0;
    for (int i = 0; i < 400 * 60; ++i) ink += (static_cast<const DWORD*>(bits)[i] & 0xFF) < 128;
    return ink;
}

}  // namespace

// Bold titles are bold in every script, punctuation included, at the list's sizes.
TEST(BoldText, EveryScriptIsBoldWhenAskedFor) {
    const wchar_t* texts[] = {L"Dana Cohen", L"\u0418\u0432\u0430\u043D\u043E\u0432\u0430",
                              L"\u03A0\u03B1\u03C0\u03B1\u03B4\u03CC\u03C0\u03BF\u03C5\u03BB\u03BF\u03C2",
                              L"\u05DB\u05D4\u05DF", L", \u2026"};
    for (int height : {13, 16, 26}) {
        for (size_t i = 0; i < std::size(texts); ++i) {
            const int regular = InkOf(texts[i], height, FW_NORMAL), bold = InkOf(texts[i], height, FW_BOLD);
            ASSERT_GT(regular, 0);
            EXPECT_GT(bold * 10, regular * 13) << "height " << height << ", text #" << i;
        }
    }
}
