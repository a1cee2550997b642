#include <gtest/gtest.h>

#include "search.h"

using namespace tallyra;

namespace {

CeStd W(const std::u16string& s) { return CeStd(s.begin(), s.end()); }

SearchModel Model(std::initializer_list<const char16_t*> titles) {
    SearchModel m;
    for (const char16_t* t : titles) m.Add(W(t));
    return m;
}

std::vector<uint32_t> V(std::initializer_list<uint32_t> v) { return v; }

}  // namespace

TEST(Narrowing, KeysMatchAnywhereInTheTitleAcrossWords) {
    SearchModel m = Model({u"Ella", u"Bob", u"John Smith", u"Ωmega"});
    EXPECT_EQ(V({0, 1, 2, 3}), m.visible());
    EXPECT_EQ(SearchModel::Change::kNarrowed, m.AppendKey(3));  // jkl
    EXPECT_EQ(V({0, 2}), m.visible());
    m.AppendKey(0);  // abc: "la" in the middle of Ella
    EXPECT_EQ(V({0}), m.visible());
    EXPECT_EQ(2, m.MatchPos(0));
    EXPECT_EQ(-1, m.MatchPos(2));
    m.Clear();
    m.AppendKey(4);  // mno
    m.AppendKey(7);  // wxyz after mno: no title has it
    EXPECT_EQ(V({}), m.visible());
    m.AppendKey(8);
    m.AppendKey(5);  // pqrs: n then s across the word boundary
    EXPECT_EQ(V({2}), m.visible());
    EXPECT_EQ(3, m.MatchPos(2));
}

TEST(Narrowing, AMatchMovesOnWhenTheFirstPlaceNoLongerFits) {
    // "ana" has two places for "a": the second one continues with "n".
    SearchModel m = Model({u"Kana Anna"});
    m.AppendKey(0);
    EXPECT_EQ(1, m.MatchPos(0));
    m.AppendKey(4);
    m.AppendKey(4);  // "ann" appears only in the second word
    EXPECT_EQ(4, m.MatchPos(0));
}

TEST(Narrowing, DeletingRestoresEveryMatchInDatabaseOrder) {
    SearchModel m = Model({u"Ada", u"Bea", u"Cid", u"Dan"});
    m.AppendKey(0);
    m.AppendKey(1);  // abc then def: Ada and Bea
    const auto narrowed = m.visible();
    EXPECT_EQ(V({0, 1}), narrowed);
    m.AppendKey(4);
    m.AppendKey(8);
    EXPECT_EQ(narrowed, m.visible());
    m.AppendKey(8);
    m.AppendKey(8);
    EXPECT_EQ(V({0, 1, 2, 3}), m.visible());
    EXPECT_EQ(SearchModel::Change::kNone, m.AppendKey(8));  // nothing left to delete
    EXPECT_EQ(SearchModel::Change::kNone, m.AppendKey(9));  // blank keys
    EXPECT_EQ(SearchModel::Change::kNone, m.AppendKey(11));
}

TEST(Narrowing, TypedModeMatchesLowerCasedTitlesWithoutSpaces) {
    SearchModel m = Model({u"John Smith", u"Jane Doe", u"O'Neil"});
    m.SetTypedMode(true);
    EXPECT_EQ(SearchModel::Change::kNarrowed, m.TypeChar('N'));
    EXPECT_EQ(SearchModel::Change::kNarrowed, m.TypeChar('s'));
    EXPECT_EQ(V({0}), m.visible());
    EXPECT_EQ(W(u"ns"), m.search());
    m.TypeChar(8);
    m.TypeChar(8);
    EXPECT_EQ(V({0, 1, 2}), m.visible());
    // The apostrophe is in a title, so it is accepted; other punctuation is not.
    EXPECT_TRUE(m.Accepts('\''));
    EXPECT_FALSE(m.Accepts('!'));
    EXPECT_EQ(SearchModel::Change::kNone, m.TypeChar('!'));
    m.TypeChar('o');
    m.TypeChar('\'');
    EXPECT_EQ(V({2}), m.visible());
}

TEST(Narrowing, ASpaceIsIgnoredInTypedModeRatherThanEmptyingTheList) {
    SearchModel m = Model({u"John Smith", u"Jane Doe"});
    m.SetTypedMode(true);
    EXPECT_FALSE(m.Accepts(' '));
    m.TypeChar('j');
    EXPECT_EQ(SearchModel::Change::kNone, m.TypeChar(' '));
    EXPECT_EQ(W(u"j"), m.search());
    EXPECT_EQ(V({0, 1}), m.visible());
    m.TypeChar('o');
    EXPECT_EQ(V({0}), m.visible());
}

TEST(Narrowing, ChangingModeClearsTheSearch) {
    SearchModel m = Model({u"Ella", u"Bob"});
    m.AppendKey(1);
    EXPECT_EQ(V({0}), m.visible());
    EXPECT_EQ(SearchModel::Change::kRebuilt, m.SetTypedMode(true));
    EXPECT_TRUE(m.search().empty());
    EXPECT_EQ(V({0, 1}), m.visible());
    EXPECT_EQ(SearchModel::Change::kNone, m.SetTypedMode(true));
}

TEST(Highlight, TheSpanCoversMatchedCharactersAndTheSpacesAmongThem) {
    const CeStd t = W(u"John  Smith");
    Span s = HighlightSpan(t, 3, 2);  // "n", then "S" after two spaces
    EXPECT_EQ(3u, s.begin);
    EXPECT_EQ(7u, s.end);
    s = HighlightSpan(t, 0, 9);
    EXPECT_EQ(0u, s.begin);
    EXPECT_EQ(t.size(), s.end);
    s = HighlightSpan(t, -1, 2);
    EXPECT_EQ(s.begin, s.end);
    s = HighlightSpan(t, 20, 1);  // beyond the title: nothing
    EXPECT_EQ(s.begin, s.end);
}
