// Display order of right-to-left text: the cases names, subjects and labels hold.
#include "bidi.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The display order as a string; the input itself when nothing moves.
std::u16string Display(const std::u16string& s, bool rtl = false) {
    std::vector<size_t> order;
    std::vector<char16_t> visual;
    if (!cesim::BidiDisplayOrder(s.data(), s.size(), rtl, &order, &visual)) return s;
    EXPECT_EQ(s.size(), order.size());
    std::vector<bool> seen(s.size());
    for (size_t i : order) {
        EXPECT_LT(i, s.size());
        if (i < s.size()) seen[i] = true;
    }
    for (bool b : seen) EXPECT_TRUE(b) << "the order is a permutation";
    return std::u16string(visual.begin(), visual.end());
}

}  // namespace

TEST(Bidi, LinesShowInDisplayOrder) {
    // Hebrew letters: alef bet gimel = \u05D0\u05D1\u05D2, kaf he final-nun = \u05DB\u05D4\u05DF.
    const struct {
        const char16_t* in;
        bool rtl;
        const char16_t* out;
    } cases[] = {
        {u"Dana Cohen", false, u"Dana Cohen"},                                        // nothing moves
        {u"\u05D0\u05D1\u05D2", false, u"\u05D2\u05D1\u05D0"},                       // a Hebrew word
        {u"\u05D0\u05D1\u05D2 \u05E8\u05E9\u05EA", false, u"\u05EA\u05E9\u05E8 \u05D2\u05D1\u05D0"},  // two words
        {u"\u05DB\u05D4\u05DF, Dana 03", false, u"\u05DF\u05D4\u05DB, Dana 03"},  // Latin and digits readable
        {u"Dana \u05DB\u05D4\u05DF", false, u"Dana \u05DF\u05D4\u05DB"},
        {u"\u05DB\u05D4\u05DF 03", false, u"03 \u05DF\u05D4\u05DB"},              // a number after Hebrew
        {u"\u05DB\u05D4\u05DF 555-0123", false, u"555-0123 \u05DF\u05D4\u05DB"},  // a phone number stays whole
        {u"\u05DB\u05D4\u05DF (\u05D0)", false, u"(\u05D0) \u05DF\u05D4\u05DB"},   // brackets mirrored
        {u"\u05D0\u05D1 ", false, u"\u05D1\u05D0 "},                                   // trailing space stays last
        {u"abc", true, u"abc"},                                                        // Latin in a right-to-left line
        {u"\u05D0 abc", true, u"abc \u05D0"},
        {u"\u05D0\u05B8\u05D1", false, u"\u05D1\u05B8\u05D0"},                       // a vowel point stays on its letter
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::u16string got = Display(cases[i].in, cases[i].rtl);
        std::string hex;
        for (char16_t ch : got) hex += std::to_string(unsigned(ch)) + " ";
        EXPECT_TRUE(got == cases[i].out) << "case " << i << ": " << hex;
    }
}

TEST(Bidi, NothingToMoveLeavesTheOutputsAlone) {
    std::vector<size_t> order = {7};
    std::vector<char16_t> visual = {u'x'};
    const std::u16string latin = u"Almeida, Rosa 2";
    EXPECT_FALSE(cesim::BidiDisplayOrder(latin.data(), latin.size(), false, &order, &visual));
    EXPECT_FALSE(cesim::BidiDisplayOrder(nullptr, 3, false, &order, &visual));
    EXPECT_FALSE(cesim::BidiDisplayOrder(latin.data(), 0, true, &order, &visual));
    EXPECT_EQ(std::vector<size_t>{7}, order);
    EXPECT_EQ(std::vector<char16_t>{u'x'}, visual);
}
