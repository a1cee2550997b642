#include <gtest/gtest.h>

#include "contact_data.h"

using namespace tallyra;

namespace {

CeStd W(const std::u16string& s) { return CeStd(s.begin(), s.end()); }
CeString N(const char* s) {
    CeStd w;
    for (; *s; ++s) w.push_back(CeChar(*s));
    return CeString(w);
}

}  // namespace

TEST(ContactTitle, NameOrdersAndMissingParts) {
    ContactProps p;
    p.fileAs = W(u"Smith, John");
    p.first = W(u"John");
    p.last = W(u"Smith");
    EXPECT_EQ(W(u"Smith, John"), FormatTitle(0, p));
    EXPECT_EQ(W(u"John, Smith"), FormatTitle(1, p));
    EXPECT_EQ(W(u"Smith, John"), FormatTitle(2, p));
    p.first.clear();
    EXPECT_EQ(W(u"Smith"), FormatTitle(1, p));
    EXPECT_EQ(W(u"Smith"), FormatTitle(2, p));
    p.last.clear();
    EXPECT_EQ(W(u""), FormatTitle(2, p));
    EXPECT_EQ(W(u"Smith, John"), FormatTitle(7, p));  // unknown formats show file-as
}

TEST(PreferredNumber, TheDefaultWinsElseTheFirstInNumberOrder) {
    ContactProps p;
    p.numbers = {{N("work2"), 0x0098001F}, {N("cell"), 0x0096001F}, {N("mail"), 0x0090001F}};
    p.hasDefault = true;
    p.defaultNumber = 0x0098001F;
    EXPECT_EQ(N("work2"), PreferredNumber(p).text);
    p.defaultNumber = 0x0099001F;  // names a number the contact lacks
    EXPECT_EQ(N("cell"), PreferredNumber(p).text);
    p.hasDefault = false;
    EXPECT_EQ(N("cell"), PreferredNumber(p).text);
    p.numbers = {{N("a@b.example"), 0x0090001F}};
    EXPECT_EQ(0x0090001Fu, PreferredNumber(p).property);
    EXPECT_EQ(IconGroup::kEmail, IconOf(PreferredNumber(p).property));
    p.numbers.clear();
    EXPECT_EQ(prop::kNone, PreferredNumber(p).property);
    EXPECT_TRUE(PreferredNumber(p).text.empty());
    EXPECT_EQ(IconGroup::kNone, IconOf(prop::kNone));
}

TEST(ExpandedRows, MobilesOfferTextsFaxesOnlyCallsAndAddressesMail) {
    ContactProps p;
    p.numbers = {{N("mail"), 0x0090001F}, {N("fax"), 0x009B001F}, {N("work"), 0x0097001F}, {N("cell"), 0x0096001F}};
    p.hasDefault = true;
    p.defaultNumber = 0x0097001F;
    const auto all = AllNumbers(p);
    ASSERT_EQ(4u, all.size());
    EXPECT_EQ(N("work"), all[0].text);  // the default first, then number order
    EXPECT_EQ(N("cell"), all[1].text);
    EXPECT_EQ(N("fax"), all[2].text);
    EXPECT_EQ(N("mail"), all[3].text);
    const auto rows = ActionRows(all);
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ(kCall, rows[0].kind);
    EXPECT_EQ(kCall, rows[1].kind);
    EXPECT_EQ(kText, rows[2].kind);
    EXPECT_EQ(1u, rows[2].number);
    EXPECT_EQ(kCall, rows[3].kind);
    EXPECT_EQ(kMail, rows[4].kind);
}

TEST(TalkKey, DialsVoiceNumbersOnly) {
    EXPECT_TRUE(TalkKeyDials(0x0096001F));
    EXPECT_TRUE(TalkKeyDials(0x00A1001F));
    EXPECT_FALSE(TalkKeyDials(0x009B001F));  // fax
    EXPECT_FALSE(TalkKeyDials(0x00A0001F));
    EXPECT_FALSE(TalkKeyDials(0x0090001F));
    EXPECT_FALSE(TalkKeyDials(prop::kNone));
    EXPECT_EQ(8046, LabelIdOf(0x0096001F));
    EXPECT_EQ(8054, LabelIdOf(0x0092001F));
}
