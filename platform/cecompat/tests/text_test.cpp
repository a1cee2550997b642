// Lines holding right-to-left letters are drawn in display order, as on the device.
#include <gtest/gtest.h>

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
bool ShowsAt(const Drawn& whole, const Drawn& part, int x) {
    for (int y = 0; y < Drawn::kH; ++y)
        for (int c = 0; c < part.width; ++c)
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
    // Five words; the box holds about two: the first word must still show.
    const std::wstring line = L"\u05D0\u05D1\u05D2 \u05D3\u05D4\u05D5 \u05D6\u05D7\u05D8 \u05D9\u05DB\u05DC \u05DE\u05E0\u05E1";
    const Drawn first = Draw(L"\u05D0\u05D1\u05D2");
    const Drawn cut = Draw(line, DT_END_ELLIPSIS, first.width * 2 + 20);
    ASSERT_GT(cut.width, first.width);
    EXPECT_TRUE(ShowsAt(cut, first, cut.width - first.width)) << "the first word at the right end";
    EXPECT_LE(cut.width, first.width * 2 + 20);
}

TEST(RightToLeftText, LatinTextIsDrawnAsItWas) {
    const Drawn plain = Draw(L"Almeida, Rosa");
    const Drawn a = Draw(L"A");
    EXPECT_TRUE(ShowsAt(plain, a, 0));
}
