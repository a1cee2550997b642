#include <gtest/gtest.h>

#include "alphabet.h"
#include "layout.h"

using namespace tallyra;

namespace {
CeStd W(const std::u16string& s) { return CeStd(s.begin(), s.end()); }

std::array<size_t, 8> Letters(unsigned alphabet) {
    std::array<size_t, 8> n;
    const auto labels = KeyLabels(alphabet);
    for (size_t i = 0; i < 8; ++i) n[i] = labels[i].size();
    return n;
}
}  // namespace

TEST(Scale, RoundsHalfAwayFromZero) {
    EXPECT_EQ(4, ScaleDpi(4, 96));
    EXPECT_EQ(8, ScaleDpi(4, 192));
    EXPECT_EQ(-8, ScaleDpi(-4, 192));
    EXPECT_EQ(2, ScaleDpi(1, 144));
    EXPECT_EQ(1, ScaleDpi(1, 143));
}

TEST(Keyboard, CompactBarKeysAreAsWideAsTheirLetters) {
    const auto keys = CompactKeys(Letters(kLatin), 240, 20, 20);
    ASSERT_EQ(9u, keys.size());
    EXPECT_EQ(24, keys[0].right - keys[0].left);
    EXPECT_EQ(32, keys[5].right - keys[5].left);  // pqrs
    EXPECT_EQ(32, keys[7].right - keys[7].left);  // wxyz
    EXPECT_EQ(8, keys[8].id);
    EXPECT_EQ(208, keys[8].left);
    EXPECT_EQ(240, keys[8].right);
    for (unsigned a : {kCyrillic, kHebrew, kGreek}) {
        const auto k = CompactKeys(Letters(a), 480, 40, 40);
        EXPECT_GE(k[8].right - k[8].left, 40);
        EXPECT_EQ(480, k[8].right);
    }
    const auto tiny = CompactKeys(Letters(kLatin), 10, 20, 20);  // narrower than the delete key
    EXPECT_EQ(0, tiny[7].right);
}

TEST(Keyboard, ThumbLayoutsPlaceTheirIds) {
    const auto k9 = ThumbKeys(2, 240, 90);
    ASSERT_EQ(9u, k9.size());
    EXPECT_EQ(8, k9[8].id);
    EXPECT_EQ(240, k9[8].right);
    EXPECT_EQ(90, k9[8].bottom);
    const auto k12 = ThumbKeys(3, 241, 91);
    ASSERT_EQ(12u, k12.size());
    const int ids[12] = {9, 0, 1, 8, 2, 3, 4, 10, 5, 6, 7, 11};
    for (size_t i = 0; i < 12; ++i) EXPECT_EQ(ids[i], k12[i].id);
    EXPECT_EQ(241, k12[3].right);  // the last column reaches the edge
    EXPECT_EQ(60, k12[1].left);
    EXPECT_EQ(0, KeyboardRows(0));
    EXPECT_EQ(1, KeyboardRows(1));
    EXPECT_EQ(3, KeyboardRows(3));
}

TEST(SkinValues, ColoursNeedThreePartsOfAtMost255) {
    uint32_t c = 0;
    EXPECT_TRUE(ParseColour(W(u"29,85,122"), &c));
    EXPECT_EQ(29u | (85u << 8) | (122u << 16), c);
    EXPECT_TRUE(ParseColour(W(u"1 2;3"), &c));
    for (const char16_t* bad : {u"255,0", u"256,0,0", u"99999999999999999999,1,1", u",1,2", u"1,,2", u"", u"a,b,c"}) {
        c = 7;
        EXPECT_FALSE(ParseColour(W(bad), &c));
        EXPECT_EQ(7u, c);
    }
    int size = 0;
    EXPECT_TRUE(ParseSize(W(u"14"), &size));
    EXPECT_EQ(14, size);
    EXPECT_FALSE(ParseSize(W(u"0"), &size));
    EXPECT_FALSE(ParseSize(W(u"x"), &size));
    EXPECT_FALSE(ParseSize(W(u"100000000000"), &size));
}
