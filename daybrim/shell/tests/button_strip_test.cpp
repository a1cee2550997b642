// The caption-bar button strip without a window: placement, hit tests and the
// pressed mark moved by the D-pad over enabled buttons, with wrap-around.
#include <gtest/gtest.h>

#include "button_strip.h"

namespace {

using namespace daybrim;

Scaler At(int dpi) {
    Scaler s;
    s.dpiX = s.dpiY = dpi;
    return s;
}

}  // namespace

TEST(ButtonStrip, RightAlignedInTheOwnerCaptionAtEveryDpi) {
    for (int dpi : {96, 131, 192}) {
        const Scaler sc = At(dpi);
        const BarRect r = ButtonStrip::Place(sc, sc.X(200), 6);
        EXPECT_EQ(sc.X(200), r.right);
        EXPECT_EQ(6 * sc.X(20), r.right - r.left);
        EXPECT_EQ(sc.Y(3), r.top);
        EXPECT_EQ(sc.Y(16), r.bottom - r.top);
    }
}

TEST(ButtonStrip, HitsOnlyTheSquaresOfEnabledButtons) {
    ButtonStrip s(At(96), {6, 5, 4});
    EXPECT_EQ(0, s.HitTest(0, 0));
    EXPECT_EQ(0, s.HitTest(15, 15));
    EXPECT_EQ(ButtonStrip::kNone, s.HitTest(17, 5)) << "the gap between two squares";
    EXPECT_EQ(ButtonStrip::kNone, s.HitTest(5, 16));
    EXPECT_EQ(1, s.HitTest(20, 5));
    EXPECT_EQ(2, s.HitTest(55, 5));
    EXPECT_EQ(ButtonStrip::kNone, s.HitTest(60, 5)) << "past the last";
    EXPECT_EQ(ButtonStrip::kNone, s.HitTest(-1, 5));
    EXPECT_TRUE(s.SetEnabled(5, false));
    EXPECT_EQ(ButtonStrip::kNone, s.HitTest(25, 5));
    EXPECT_TRUE(s.SetEnabled(5, true));
    EXPECT_EQ(1, s.HitTest(25, 5));
    EXPECT_FALSE(s.SetEnabled(99, false)) << "no such id";

    ButtonStrip hi(At(192), {1, 2});
    EXPECT_EQ(1, hi.HitTest(45, 31));
    EXPECT_EQ(ButtonStrip::kNone, hi.HitTest(35, 5));
}

TEST(ButtonStrip, TheMarkWrapsAroundAndSkipsDisabledButtons) {
    ButtonStrip s(At(96), {10, 11, 12, 13});
    EXPECT_EQ(ButtonStrip::kNone, s.Mark());
    EXPECT_EQ(0, s.Step(+1)) << "from no mark, Right starts at the first";
    EXPECT_EQ(3, s.Step(-1)) << "and Left at the last";
    s.SetMark(3);
    EXPECT_EQ(0, s.Step(+1));
    s.SetMark(0);
    EXPECT_EQ(3, s.Step(-1));

    s.SetEnabled(11, false);
    s.SetEnabled(12, false);
    EXPECT_EQ(3, s.Step(+1));
    s.SetMark(3);
    EXPECT_EQ(0, s.Step(+1));
    EXPECT_EQ(0, s.Step(-1));
    s.SetMark(1);  // disabled: not markable
    EXPECT_EQ(ButtonStrip::kNone, s.Mark());
    s.SetMark(7);
    EXPECT_EQ(ButtonStrip::kNone, s.Mark());

    s.SetEnabled(13, false);
    s.SetMark(0);
    EXPECT_EQ(0, s.Step(+1)) << "the only enabled button keeps the mark";
    EXPECT_EQ(10, s.MarkedId());
}

TEST(ButtonStrip, EveryButtonDisabledEndsTheWalkAndNothingIsReported) {
    ButtonStrip s(At(96), {1, 2, 3});
    s.SetMark(1);
    for (int id : {1, 2, 3}) s.SetEnabled(id, false);
    EXPECT_FALSE(s.AnyEnabled());
    EXPECT_EQ(ButtonStrip::kNone, s.Step(+1));
    EXPECT_EQ(ButtonStrip::kNone, s.Step(-1));
    EXPECT_EQ(ButtonStrip::kNone, s.Mark());
    EXPECT_EQ(ButtonStrip::kNone, s.MarkedId());
    EXPECT_EQ(ButtonStrip::kNone, s.FirstEnabled());

    ButtonStrip empty;
    EXPECT_EQ(ButtonStrip::kNone, empty.Step(+1));
    EXPECT_EQ(ButtonStrip::kNone, empty.HitTest(0, 0));
}

TEST(ButtonStrip, DisablingTheMarkedButtonMovesTheMarkOn) {
    ButtonStrip s(At(96), {6, 5, 3, 2});
    s.SetMark(1);
    s.SetEnabled(5, false);
    EXPECT_EQ(2, s.Mark());
    EXPECT_EQ(3, s.MarkedId());
    s.SetMark(3);
    s.SetEnabled(2, false);
    EXPECT_EQ(0, s.Mark()) << "wrapping to the front";
    s.SetEnabled(3, false);  // not the marked one: the mark stays
    EXPECT_EQ(0, s.Mark());
}

TEST(ButtonStrip, PicturesSitCentredOnTheirSquareWhateverTheirSize) {
    struct Case {
        int dpi;
        size_t index;
        int w, h;
        BarRect want;
    };
    const Case cases[] = {
        {96, 0, 16, 16, {0, 0, 16, 16}},      // made for the resolution
        {96, 2, 16, 16, {40, 0, 56, 16}},     // each square X(20) on from the last
        {192, 1, 32, 32, {40, 0, 72, 32}},    // the high-resolution picture fills it
        {192, 1, 16, 16, {48, 8, 64, 24}},    // a low-resolution one in the middle, not a corner
        {96, 1, 32, 32, {12, -8, 44, 24}},    // too large: overhangs both sides alike
        {96, 0, 13, 9, {1, 3, 14, 12}},       // odd surplus: the extra pixel right and below
        {96, 0, 17, 17, {-1, -1, 16, 16}},    // odd overhang: likewise
        {96, 0, 0, 0, {8, 8, 8, 8}},          // nothing to draw
        {96, 0, -5, -5, {8, 8, 8, 8}},
    };
    for (const Case& c : cases) {
        const ButtonStrip s(At(c.dpi), {1, 2, 3});
        const BarRect r = s.PictureRect(c.index, c.w, c.h);
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, button " << c.index << ", " << c.w << "x" << c.h);
        EXPECT_EQ(c.want.left, r.left);
        EXPECT_EQ(c.want.top, r.top);
        EXPECT_EQ(c.want.right, r.right);
        EXPECT_EQ(c.want.bottom, r.bottom);
    }
}
