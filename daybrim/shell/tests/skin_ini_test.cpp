// The skin.ini reader's line rules and key order, and the blending arithmetic.
#include <gtest/gtest.h>

#include <string>

#include "blend.h"
#include "skin_ini.h"

namespace {

using namespace daybrim;

SkinDescription Read(const std::string& text, SkinIniResult* result = nullptr) {
    SkinDescription s;
    s.SetDefaults(L"\\skin\\", 0x123456, 0x654321);
    SkinIniResult r = ParseSkinIni(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &s);
    if (result) *result = r;
    return s;
}

}  // namespace

TEST(SkinIni, DefaultsWithoutAFile) {
    SkinDescription s = Read("");
    EXPECT_EQ(L"\\skin\\", s.folder);
    EXPECT_EQ(0x000000u, s.textColour);
    EXPECT_EQ(0xFFFFFFu, s.effectColour);
    EXPECT_EQ(0x8C8C8Cu, s.scrollBkColour);
    EXPECT_TRUE(s.fullWidthHighlight);
    EXPECT_EQ(0x123456u, s.highlightColour);
    EXPECT_EQ(0x654321u, s.highlightTextColour);
    EXPECT_EQ(100u, s.highlightTransparency);
    EXPECT_EQ(0x85DA96u, s.monthly[kMonWeekdays]);
    EXPECT_EQ(0x282828u, s.monthly[kMonDayTitlesText]);
    // The day-title background has no default: a reload keeps what the last skin said.
    s.monthly[kMonDayTitles] = 0xABCDEF;
    s.SetDefaults(L"x\\", 0, 0);
    EXPECT_EQ(0xABCDEFu, s.monthly[kMonDayTitles]);
}

TEST(SkinIni, LineRules) {
    // A valid line ends in "CR LF; its value is R,G,B.
    EXPECT_EQ(0x0000FFu, Read("\"txt_color\"=\"255,0,0\"\r\n").textColour);
    // Without the CR the quote is last, not second to last: ignored.
    EXPECT_EQ(0u, Read("\"txt_color\"=\"255,0,0\"\n").textColour);
    // A last line without LF is no line.
    EXPECT_EQ(0u, Read("\"txt_color\"=\"255,0,0\"\r").textColour);
    // Junk, comments and short lines are skipped, not counted as keys.
    EXPECT_EQ(0x030201u, Read("; skin\r\n\r\n\"a\"=\"\"\r\n[x]\r\n\"txt_color\"=\"1,2,3\"\r\n").textColour);
    // Case does not matter; parts beyond 255 are clamped; missing parts are 0.
    SkinDescription s = Read("\"TXT_Color\"=\"300,7\"\r\n\"shadow\"=\"glow\"\r\n\"shadow_color\"=\"9\"\r\n");
    EXPECT_EQ(0x0007FFu, s.textColour);
    EXPECT_EQ(uint32_t(kEffectGlow), s.effect);
    EXPECT_EQ(0u, s.effectColour);  // no comma: 0
}

TEST(SkinIni, KeyOrderSkipsForwardAndStopsAtAKeyAlreadyPassed) {
    SkinIniResult r;
    SkinDescription s = Read("\"shadow\"=\"shadow\"\r\n\"txt_color\"=\"255,255,255\"\r\n\"scroll_bk_color\"=\"1,1,1\"\r\n", &r);
    EXPECT_EQ(uint32_t(kEffectShadow), s.effect);
    EXPECT_EQ(0u, s.textColour);  // never read: "txt_color" comes before "shadow"
    EXPECT_EQ(0x8C8C8Cu, s.scrollBkColour);  // reading stopped
    EXPECT_TRUE(r.stoppedAtUnknown);
    EXPECT_EQ(1, r.keysMatched);
    // Later keys may follow with gaps; earlier ones keep their defaults.
    s = Read("\"highlight_default_color\"=\"0,0,255\"\r\n\"pinned_clr_blend_base\"=\"1,2,3\"\r\n"
             "\"txt_color\"=\"9,9,9\"\r\n", &r);
    EXPECT_EQ(0xFF0000u, s.highlightColour);
    EXPECT_EQ(0x030201u, s.pinnedBlendBase);
    EXPECT_EQ(0u, s.textColour);  // reading ends after the last key
    EXPECT_EQ(2, r.keysMatched);
    EXPECT_FALSE(r.stoppedAtUnknown);
}

TEST(SkinIni, EffectsFlagsAndSlideOutValues) {
    SkinDescription s = Read(
        "\"txt_color\"=\"255,255,255\"\r\n\"shadow\"=\"bottom\"\r\n\"shadow_color\"=\"10,20,30\"\r\n"
        "\"shadow_slideout\"=\"sparkle\"\r\n\"hide_scroll_bk\"=\"true\"\r\n\"hide_verttabs_border\"=\"Hide\"\r\n"
        "\"full_width_highlight\"=\"no\"\r\n\"highlight_transparency\"=\"50\"\r\n");
    // The slide-out values start as the plain ones; an unknown effect word leaves it so.
    EXPECT_EQ(0xFFFFFFu, s.slideTextColour);
    EXPECT_EQ(uint32_t(kEffectBottom), s.slideEffect);
    EXPECT_EQ(0x1E140Au, s.slideEffectColour);
    EXPECT_TRUE(s.hideScrollBk);
    EXPECT_TRUE(s.hideVertTabsBorder);
    EXPECT_FALSE(s.fullWidthHighlight);
    EXPECT_EQ(127u, s.HighlightOpacity());
    // Their own keys override them.
    s = Read("\"txt_color\"=\"255,255,255\"\r\n\"txt_color_slideout\"=\"0,0,0\"\r\n\"shadow_slideout\"=\"right\"\r\n");
    EXPECT_EQ(0xFFFFFFu, s.textColour);
    EXPECT_EQ(0u, s.slideTextColour);
    EXPECT_EQ(uint32_t(kEffectRight), s.slideEffect);
}

TEST(SkinIni, HighlightTransparencyIsClampedToAHundred) {
    SkinDescription s = Read("\"highlight_transparency\"=\"250\"\r\n");
    EXPECT_EQ(100u, s.highlightTransparency);
    EXPECT_EQ(255u, s.HighlightOpacity());
    s = Read("\"highlight_transparency\"=\"99999999999\"\r\n");
    EXPECT_EQ(255u, s.HighlightOpacity());
    s = Read("\"highlight_transparency\"=\"0\"\r\n");
    EXPECT_EQ(0u, s.HighlightOpacity());
}

TEST(Blend, ChannelArithmetic) {
    EXPECT_EQ(200, BlendChannel(200, 10, 255));  // opaque: the source
    EXPECT_EQ(10, BlendChannel(200, 10, 0));     // clear: the destination
    EXPECT_EQ(128, BlendChannel(255, 0, 128));   // 255*128+128 = 32768 -> 128
    EXPECT_EQ(127, BlendChannel(255, 0, 127));
    EXPECT_EQ(255, BlendChannel(255, 255, 77));  // never overflows
    EXPECT_EQ(200, BlendChannel(200, 10, 999));  // opacity past 255 is opaque
    // Exhaustively within one of the exact quotient.
    for (int s = 0; s < 256; s += 5)
        for (int d = 0; d < 256; d += 7)
            for (int a = 0; a < 256; ++a) {
                const double exact = (s * a + d * (255.0 - a)) / 255.0;
                ASSERT_NEAR(exact, BlendChannel(uint32_t(s), uint32_t(d), uint32_t(a)), 0.5 + 1e-9);
            }
}

TEST(Blend, ColourAndRows) {
    EXPECT_EQ(0x80FF00u, BlendColour(0xFFFF00, 0x00FF00, 128));
    EXPECT_EQ(0x123456u, BlendColour(0xFFFFFF, 0x123456, 0));
    uint8_t row[6] = {0, 0, 0, 255, 255, 255};  // blue, green, red
    BlendRowBGR(row, 2, 0x0000FF, 255);
    EXPECT_EQ(0, row[0]);
    EXPECT_EQ(255, row[2]);
    EXPECT_EQ(0, row[3]);
    EXPECT_EQ(255, row[5]);
}
