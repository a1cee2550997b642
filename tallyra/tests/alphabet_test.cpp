#include <gtest/gtest.h>

#include "alphabet.h"

using namespace tallyra;

namespace {
CeStd W(const std::u16string& s) { return CeStd(s.begin(), s.end()); }
}  // namespace

TEST(LetterGroups, EveryLabelLetterOfEveryAlphabetIsInItsKeysGroup) {
    for (unsigned a : {kLatin, kCyrillic, kHebrew, kGreek}) {
        const auto labels = KeyLabels(a);
        for (size_t g = 0; g < 8; ++g)
            for (CeChar c : labels[g]) EXPECT_EQ(char('0' + g), KeyGroupCode(c)) << "alphabet " << a << " group " << g;
    }
}

TEST(LetterGroups, UpperCaseAndAccentedLettersFindTheirGroup) {
    EXPECT_EQ('0', KeyGroupCode(u'Ç'));
    EXPECT_EQ('1', KeyGroupCode(u'É'));
    EXPECT_EQ('4', KeyGroupCode(u'Ñ'));
    EXPECT_EQ('5', KeyGroupCode(u'ß'));
    EXPECT_EQ('7', KeyGroupCode(u'Ÿ'));
    EXPECT_EQ('0', KeyGroupCode(u'Б'));  // Cyrillic capitals
    EXPECT_EQ('7', KeyGroupCode(u'Я'));
    EXPECT_EQ('6', KeyGroupCode(u'Щ'));
    EXPECT_EQ('7', KeyGroupCode(u'Ω'));  // Greek capitals
    EXPECT_EQ('5', KeyGroupCode(u'ς'));  // final sigma beside sigma
    EXPECT_EQ('0', KeyGroupCode(u'א'));
}

TEST(LetterGroups, LettersOutsideTheGroupsGiveTheNoGroupCode) {
    for (char16_t c : {u'ъ', u'ך', u'ם', u'ά', u'ё', u'1', u'-', u'Ł', u'中'}) EXPECT_EQ(kNoGroup, KeyGroupCode(c)) << int(c);
}

TEST(LetterGroups, LabelsAndTheirLetterCounts) {
    EXPECT_EQ(26u, LetterCount(KeyLabels(kLatin)));
    EXPECT_EQ(31u, LetterCount(KeyLabels(kCyrillic)));
    EXPECT_EQ(22u, LetterCount(KeyLabels(kHebrew)));
    EXPECT_EQ(25u, LetterCount(KeyLabels(kGreek)));
    EXPECT_EQ(W(u"abc"), KeyLabels(3)[0]);  // not one alphabet: Latin
    EXPECT_EQ(W(u"πρσς"), KeyLabels(kGreek)[5]);
}

TEST(SearchKeys, OneCodePerNonSpaceCharacter) {
    EXPECT_EQ("1330147", SearchKey(W(u"Ella Fox")));
    EXPECT_EQ("74120", SearchKey(W(u"ωmega")));  // alphabets mix in one key
    EXPECT_EQ("?3", SearchKey(W(u"ъ о")));  // Cyrillic о is on the мноп key
    EXPECT_EQ("", SearchKey(W(u"   ")));
    EXPECT_EQ("4?3", SearchKey(W(u"O'L")));
    EXPECT_EQ(W(u"johnsmith"), TypedKey(W(u"John  Smith")));
    EXPECT_EQ(W(u"ελλάδα"), TypedKey(W(u"ΕΛΛΆΔΑ")));
}
