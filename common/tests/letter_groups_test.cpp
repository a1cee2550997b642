#include <gtest/gtest.h>

#include "alphabet_file.h"
#include "letter_groups.h"

namespace olv {
namespace {

std::string Key(const LetterGroupTable& t, const std::u16string& s, bool finder) {
    std::string out;
    if (finder) t.AppendKey(s.data(), s.size(), '0', '?', true, out);
    else t.AppendKey(s.data(), s.size(), '1', '9', false, out);
    return out;
}

TEST(LetterGroups, LowerLetterCoversTheGroupedScripts) {
    const struct { char32_t in, out; } cases[] = {
        {U'A', U'a'}, {U'z', U'z'}, {U'É', U'é'}, {U'×', U'×'}, {U'Ÿ', U'ÿ'}, {U'Ł', U'ł'},
        {U'Ω', U'ω'}, {U'Ά', U'ά'}, {U'Ё', U'ё'}, {U'Щ', U'щ'}, {U'Я', U'я'}, {U'א', U'א'},
        {U'1', U'1'}, {U'中', U'中'}, {0x1F600, 0x1F600}};
    for (const auto& c : cases) EXPECT_EQ(c.out, LowerLetter(c.in)) << unsigned(c.in);
}

TEST(LetterGroups, EveryLabelLetterIsInItsKeysGroup) {
    const LetterGroupTable all(MatchingGroups(kAllScripts));
    for (unsigned s : {kScriptLatin, kScriptCyrillic, kScriptHebrew, kScriptGreek}) {
        const KeyLabels labels = ScriptLabels(s);
        for (size_t g = 0; g < 8; ++g)
            for (char16_t c : labels[g]) EXPECT_EQ(int(g), all.Group(c)) << "script " << s << " key " << g;
    }
    EXPECT_EQ(26u, LetterCount(ScriptLabels(kScriptLatin)));
    EXPECT_EQ(31u, LetterCount(ScriptLabels(kScriptCyrillic)));
    EXPECT_EQ(22u, LetterCount(ScriptLabels(kScriptHebrew)));
    EXPECT_EQ(25u, LetterCount(ScriptLabels(kScriptGreek)));
    EXPECT_EQ(u"abc", ScriptLabels(kScriptLatin | kScriptGreek)[0]);  // not one script
}

TEST(LetterGroups, MatchingGroupsFollowTheActiveScriptsAndCustomLines) {
    EXPECT_EQ(u"abcàáâãäåæçабвг", MatchingGroups(kScriptLatin | kScriptCyrillic)[0]);
    EXPECT_EQ(u"wxyzýÿχψω", MatchingGroups(kScriptLatin | kScriptGreek)[7]);
    EXPECT_EQ(u"צק", MatchingGroups(kScriptHebrew)[6]);
    EXPECT_EQ(u"", MatchingGroups(0)[3]);
    KeyLabels custom = ScriptLabels(kScriptLatin);
    custom[4] = u"ğüş";
    EXPECT_EQ(u"mnoñòóôõöøğüş", MatchingGroups(kScriptLatin, {custom})[4]);
    // Only Latin active: a Cyrillic title has no group.
    const LetterGroupTable latin(MatchingGroups(kScriptLatin));
    EXPECT_EQ(LetterGroupTable::kNone, latin.Group(U'б'));
    EXPECT_EQ(0, latin.Group(U'Ç'));
}

// A group written with a capital (as the Cyrillic search-bar label "Щшыь" is) must
// still match titles, which are lower-cased before the lookup.
TEST(LetterGroups, CapitalsInAGroupMatchBothCases) {
    GroupLetters groups;
    groups[6] = u"Щшыь";
    groups[2] = u"ÀB";
    const LetterGroupTable t(groups);
    for (char32_t c : {U'Щ', U'щ', U'Ш', U'ь'}) EXPECT_EQ(6, t.Group(c)) << unsigned(c);
    for (char32_t c : {U'à', U'À', U'b', U'B'}) EXPECT_EQ(2, t.Group(c)) << unsigned(c);
}

TEST(LetterGroups, FirstGroupWinsAndKeysUseEachProgramsCodes) {
    GroupLetters groups;
    groups[0] = u"abc";
    groups[1] = u"cde";
    const LetterGroupTable t(groups);
    EXPECT_EQ(0, t.Group(U'c'));
    EXPECT_EQ(1, t.Group(U'E'));
    const LetterGroupTable all(MatchingGroups(kAllScripts));
    const struct { std::u16string title; std::string finder, item; } cases[] = {
        {u"Ella Fox", "1330147", "24419258"},
        {u"ωmega", "74120", "85231"},
        {u"ъ о", "?3", "994"},
        {u"O'L", "4?3", "594"},
        {u"   ", "", "999"},
        {u"Щука", "6420", "7531"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.finder, Key(all, c.title, true));
        EXPECT_EQ(c.item, Key(all, c.title, false));
    }
    EXPECT_EQ("999", Key(LetterGroupTable(), u"abc", false));  // an empty table groups nothing
}

// --- custom alphabet files ---------------------------------------------------------
std::vector<uint8_t> Utf16(const std::u16string& s, bool oddByte = false) {
    std::vector<uint8_t> out;
    for (char16_t c : s) {
        out.push_back(uint8_t(c & 0xFF));
        out.push_back(uint8_t(c >> 8));
    }
    if (oddByte) out.push_back(0x41);
    return out;
}

const std::u16string kEight = u"abc\ndef\nghi\njkl\nmno\npqrs\ntuv\nwxyz\n";

TEST(AlphabetFile, UsableAndUnusableFiles) {
    const struct {
        const char* name;
        std::u16string text;
        bool odd;
        bool usable;
        std::u16string first, eighth;
    } cases[] = {
        {"plain LF", kEight, false, true, u"abc", u"wxyz"},
        {"mark and CRLF", u"\uFEFFab\r\ndef\r\n\uFEFFghi\r\njkl\r\nmno\r\npqrs\r\ntuv\r\nwxyz\r\n", false, true, u"ab", u"wxyz"},
        {"lines after the eighth ignored", kEight + u"x\nmore", false, true, u"abc", u"wxyz"},
        {"odd trailing byte", kEight, true, true, u"abc", u"wxyz"},
        {"Cyrillic", u"абвг\nдежз\nийкл\nмноп\nрсту\nфхцч\nЩшыь\nэюя\n", false, true, u"абвг", u"эюя"},
        {"two characters with CR count three", u"ab\r\ndef\nghi\njkl\nmno\npqrs\ntuv\nwxyz\n", false, true, u"ab", u"wxyz"},
        {"seven lines", u"abc\ndef\nghi\njkl\nmno\npqrs\ntuv\n", false, false, u"", u""},
        {"eighth line without LF", u"abc\ndef\nghi\njkl\nmno\npqrs\ntuv\nwxyz", false, false, u"", u""},
        {"short line", u"abc\nde\nghi\njkl\nmno\npqrs\ntuv\nwxyz\n", false, false, u"", u""},
        {"mark and CR only", u"\uFEFF\r\ndef\nghi\njkl\nmno\npqrs\ntuv\nwxyz\n", false, false, u"", u""},
        {"empty", u"", false, false, u"", u""},
        {"one odd byte", u"", true, false, u"", u""},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> bytes = Utf16(c.text, c.odd);
        const auto labels = ParseAlphabetFile(bytes.data(), bytes.size());
        ASSERT_EQ(c.usable, labels.has_value()) << c.name;
        if (!labels) continue;
        EXPECT_EQ(c.first, (*labels)[0]) << c.name;
        EXPECT_EQ(c.eighth, (*labels)[7]) << c.name;
    }
    EXPECT_FALSE(ParseAlphabetFile(nullptr, 10));
}

TEST(AlphabetFile, EveryPrefixOfAFileReadsSafely) {
    // Cut a usable file at every byte: every cut loses the eighth LF.
    const std::vector<uint8_t> bytes = Utf16(kEight);
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(ParseAlphabetFile(bytes.data(), n)) << n;
    EXPECT_TRUE(ParseAlphabetFile(bytes.data(), bytes.size()));
    // A long file: the labels come from the start, the rest is never looked at.
    std::vector<uint8_t> big = bytes;
    big.resize(bytes.size() + 3 * kAlphabetFileReadLimit + 1, 0x7A);
    const auto labels = ParseAlphabetFile(big.data(), big.size());
    ASSERT_TRUE(labels);
    EXPECT_EQ(u"pqrs", (*labels)[5]);
}

}  // namespace
}  // namespace olv
