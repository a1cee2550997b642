// Tab-bar geometry, the animated scroll, caption hit-testing and blinking, at
// the resolutions a handheld has: 96 and 192 dpi, the odd 131 and 120 dpi ones,
// and "MyVgaMode".
#include <gtest/gtest.h>

#include "bar_geometry.h"

namespace {

using namespace daybrim;

Scaler At(int dpi, bool vga = false) {
    Scaler s;
    s.dpiX = s.dpiY = dpi;
    s.forcedVga = vga;
    return s;
}

std::vector<Scaler> AllDpis() { return {At(96), At(120), At(131), At(192), At(96, true)}; }

HorizontalBar Bar(const Scaler& sc, int designWidth, int count) {
    HorizontalBar b;
    b.sc = sc;
    b.width = sc.X(designWidth);
    b.count = count;
    b.reserved = sc.X(20);
    return b;
}

}  // namespace

TEST(HorizontalBarGeometry, ButtonsPackAgainstTheRightEnd) {
    const HorizontalBar b = Bar(At(96), 100, 3);  // 240 wide screen less the caption
    EXPECT_EQ(60, b.Strip());
    EXPECT_EQ(40, b.ButtonRect(0, 0).left);
    EXPECT_EQ(80, b.ButtonRect(2, 0).left);
    EXPECT_EQ(100, b.ButtonRect(2, 0).right);
    EXPECT_EQ(20, b.SettingsIcon().left);
    EXPECT_EQ(1, b.SettingsIcon().top);
    EXPECT_EQ(38, b.SettingsIcon().right);
    EXPECT_FALSE(b.RightArrow(0));
    EXPECT_FALSE(b.LeftArrow(0));
    EXPECT_EQ(1, b.HitButton(65, 5, 0));
    EXPECT_EQ(-1, b.HitButton(30, 5, 0));  // the settings icon
    const HorizontalBar hi = Bar(At(192), 100, 3);
    EXPECT_EQ(120, hi.Strip());
    EXPECT_EQ(80, hi.ButtonRect(0, 0).left);
}

TEST(HorizontalBarGeometry, OverflowArrowsAndTheirTapAreas) {
    const HorizontalBar b = Bar(At(96), 100, 7);  // room for 4 of 7
    EXPECT_EQ(80, b.Strip());
    EXPECT_EQ(60, b.MaxScroll());
    EXPECT_TRUE(b.RightArrow(0));
    EXPECT_FALSE(b.RightArrow(60));
    EXPECT_TRUE(b.LeftArrow(20));
    EXPECT_TRUE(b.RightArrowArea().Contains(99, 19));
    EXPECT_FALSE(b.RightArrowArea().Contains(90, 19));
    EXPECT_TRUE(b.LeftArrowArea().Contains(20, 12));
    // Buttons scrolled out of the strip are not hit where the settings icon is.
    EXPECT_EQ(-1, b.HitButton(15, 5, 40));
    EXPECT_EQ(2, b.HitButton(25, 5, 40));
}

TEST(HorizontalBarGeometry, InitialScrollShowsTheActiveTab) {
    for (const Scaler& sc : AllDpis()) {
        const HorizontalBar b = Bar(sc, 100, 7);
        EXPECT_EQ(0, b.InitialScroll(1));
        EXPECT_EQ(0, b.InitialScroll(4));
        EXPECT_EQ(b.Button() * 7 - b.Strip(), b.InitialScroll(7));
        EXPECT_EQ(b.MaxScroll(), b.InitialScroll(70));  // a position past the list
        const BarRect r = b.ButtonRect(6, b.InitialScroll(7));
        EXPECT_EQ(b.width, r.right);
    }
}

TEST(HorizontalBarGeometry, SelectingTheLastOfSevenScrollsItIntoViewInFourSteps) {
    for (const Scaler& sc : AllDpis()) {
        SCOPED_TRACE(sc.dpiX * (sc.forcedVga ? 10 : 1));
        const HorizontalBar b = Bar(sc, 100, 7);
        const int n = b.ScrollToShow(6, 0);
        EXPECT_EQ(3, n);
        const std::vector<int> steps = b.ScrollSteps(0, n);
        ASSERT_EQ(4u, steps.size());
        EXPECT_EQ(std::min(n * sc.X(8), 3 * b.Button()), steps[0]);
        for (size_t i = 1; i < 4; ++i) EXPECT_GE(steps[i], steps[i - 1]);
        // The last step lands on whole buttons (or flush with the end), so the strip
        // is aligned at every dpi.
        EXPECT_EQ(std::min(3 * b.Button(), b.MaxScroll()), steps[3]);
        EXPECT_EQ(b.width, b.ButtonRect(6, steps[3]).right);
        EXPECT_EQ(0, b.ScrollToShow(6, steps[3]));
        // And back to the first.
        const int back = b.ScrollToShow(0, steps[3]);
        EXPECT_EQ(-3, back);
        EXPECT_EQ(0, b.ScrollSteps(steps[3], back).back());
        EXPECT_EQ(b.StripLeft(), b.ButtonRect(0, 0).left);
    }
}

TEST(HorizontalBarGeometry, ScrollNeverPassesTheEnds) {
    const HorizontalBar b = Bar(At(96), 100, 5);  // max scroll 20
    EXPECT_EQ((std::vector<int>{8, 14, 18, 20}), b.ScrollSteps(0, 1));
    EXPECT_EQ((std::vector<int>{20, 20, 20, 20}), b.ScrollSteps(20, 1));
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0}), b.ScrollSteps(0, -2));
    const HorizontalBar narrow = Bar(At(96), 10, 3);  // less room than the settings icon
    EXPECT_EQ(0, narrow.Strip());
    EXPECT_EQ(-1, narrow.HitButton(5, 5, 0));
}

TEST(VerticalBarGeometry, ButtonsAndMinimumHeight) {
    VerticalBar v;
    v.sc = At(96);
    v.count = 6;
    EXPECT_EQ(137, v.MinimumHeight());
    EXPECT_EQ(46, v.ButtonRect(2, 26).top);
    EXPECT_EQ(2, v.HitButton(50));
    EXPECT_EQ(-1, v.HitButton(6 * 23));
    v.sc = At(192);
    EXPECT_EQ(6 * 46 - 2, v.MinimumHeight());
    EXPECT_EQ(1, v.HitButton(50));
    v.count = 0;
    EXPECT_EQ(0, v.MinimumHeight());
}

TEST(CaptionHitTest, AreasOfTheCaption) {
    for (const Scaler& sc : AllDpis()) {
        const uint32_t both = kCaptionSlideout | kCaptionCategory;
        EXPECT_EQ(CaptionAction::kCategoryMenu, CaptionHit(sc, both, true, sc.X(100), sc.Y(10)));
        EXPECT_EQ(CaptionAction::kNone, CaptionHit(sc, kCaptionSlideout, true, sc.X(100), sc.Y(10)));
        EXPECT_EQ(CaptionAction::kGroupingMenu, CaptionHit(sc, both, true, sc.X(50), sc.Y(10)));
        EXPECT_EQ(CaptionAction::kToggleDirection, CaptionHit(sc, both, true, sc.X(74), sc.Y(10)));
        EXPECT_EQ(CaptionAction::kCloseSlideout, CaptionHit(sc, both, true, sc.X(81), sc.Y(10)));
        EXPECT_EQ(CaptionAction::kNone, CaptionHit(sc, both, true, sc.X(88), sc.Y(10)));
        EXPECT_EQ(CaptionAction::kNone, CaptionHit(sc, both, true, sc.X(50), sc.Y(3)));  // the band is open
        EXPECT_EQ(CaptionAction::kOpenSlideout, CaptionHit(sc, both, false, sc.X(10), sc.Y(10)));
        EXPECT_EQ(CaptionAction::kNone, CaptionHit(sc, both, false, sc.X(50), sc.Y(10)));
        EXPECT_EQ(CaptionAction::kNone, CaptionHit(sc, both, false, sc.X(10), 0));
        EXPECT_EQ(CaptionAction::kNone, CaptionHit(sc, 0, false, sc.X(10), sc.Y(10)));
    }
}

TEST(Blinking, OneTimerWhileAnyButtonBlinks) {
    BlinkSet b;
    EXPECT_TRUE(b.Start(6));
    EXPECT_TRUE(b.On(6));
    EXPECT_FALSE(b.Start(6));  // already blinking
    EXPECT_FALSE(b.Start(2));  // the timer runs already
    EXPECT_EQ((std::vector<int>{6, 2}), b.Tick());
    EXPECT_FALSE(b.On(6));
    EXPECT_TRUE(b.Blinking(6));
    b.Tick();
    EXPECT_TRUE(b.On(2));
    EXPECT_FALSE(b.Stop(6));  // 2 still blinks
    EXPECT_FALSE(b.Stop(9));  // never blinked
    EXPECT_TRUE(b.Stop(2));
    EXPECT_FALSE(b.Any());
    EXPECT_TRUE(b.Tick().empty());
}
