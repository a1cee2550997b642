#include <gtest/gtest.h>

#include <string>

#include "number_finder.h"

using tallyext::FindNumbers;

namespace {

CeStd W(const std::string& s) {
    CeStd w;
    for (char c : s) w.push_back(CeChar(static_cast<unsigned char>(c)));
    return w;
}

std::vector<std::string> Find(const std::string& text) {
    std::vector<std::string> out;
    for (const CeStd& n : FindNumbers(W(text))) out.emplace_back(n.begin(), n.end());
    return out;
}

using V = std::vector<std::string>;

}  // namespace

TEST(NumberFinder, TrailingSpacesStayAndAShortExtensionIsNoNumber) {
    // Trailing spaces stay with the number; "12" after "ext" has only two digits.
    EXPECT_EQ(V({"555-0123 ", "(212) 555 7788 "}), Find("Call 555-0123 or (212) 555 7788 ext 12"));
}

TEST(NumberFinder, RunsNeedMoreThanTwoDigits) {
    EXPECT_EQ(V(), Find(""));
    EXPECT_EQ(V(), Find("no numbers here"));
    EXPECT_EQ(V(), Find("Room 12, floor 3"));
    EXPECT_EQ(V(), Find("(1) *2#"));
    EXPECT_EQ(V({"112"}), Find("112"));
    EXPECT_EQ(V({"1 2 3"}), Find("1 2 3"));  // separators join the digits of one run
    EXPECT_EQ(V(), Find("---- ((( ))) ,,,"));  // a run must start at a digit or ( * + #
}

TEST(NumberFinder, InternationalFormats) {
    EXPECT_EQ(V({"+44 20 7946 0958"}), Find("+44 20 7946 0958"));
    EXPECT_EQ(V({"+1 (415) 555-2671"}), Find("HQ: +1 (415) 555-2671."));
    EXPECT_EQ(V({"+49-30-901820"}), Find("Berlin office +49-30-901820/ask for Jan"));
    EXPECT_EQ(V({"0033 1 42 68 53 00"}), Find("Paris:0033 1 42 68 53 00;"));
    // Dots are not separators: a dotted number splits where the dots are.
    EXPECT_EQ(V({"212", "555", "7788"}), Find("212.555.7788"));
}

TEST(NumberFinder, PausesWaitsAndServiceCodes) {
    EXPECT_EQ(V({"555-0100,,1234# "}), Find("Bridge 555-0100,,1234# then wait"));
    EXPECT_EQ(V({"555 0199 p 42"}), Find("555 0199 p 42"));
    EXPECT_EQ(V({"5550123w9876"}), Find("conf:5550123w9876"));
    EXPECT_EQ(V({"*31#0612345678"}), Find("Hidden caller id: *31#0612345678"));
    // Upper-case P and W are letters, not pause codes.
    EXPECT_EQ(V({"555 ", "123"}), Find("555 P123"));
}

TEST(NumberFinder, ExtensionsWrittenAsWordsEndTheNumber) {
    EXPECT_EQ(V({"(212) 555 7788 ", "123"}), Find("(212) 555 7788 ext. 123"));
    EXPECT_EQ(V({"555-7788 "}), Find("555-7788 x12"));
}

TEST(NumberFinder, SeveralNumbersInOrderWithDuplicatesKept) {
    const std::string note =
        "Dinner with Ana and Bo\r\nAna mobile: 0612 345 678\r\nBo: +31 20 555 1234\r\n"
        "Restaurant 020-5551234 (table for 4)\r\nAna again: 0612 345 678";
    EXPECT_EQ(V({"0612 345 678", "+31 20 555 1234", "020-5551234 (", "0612 345 678"}), Find(note));
}

TEST(NumberFinder, LineBreaksAndTabsEndANumber) {
    EXPECT_EQ(V({"555-0123", "555-0456"}), Find("555-0123\n555-0456"));
    EXPECT_EQ(V({"555-0123", "555-0456"}), Find("555-0123\t555-0456"));
}

TEST(NumberFinder, OnlyAsciiDigitsCount) {
    // Full-width and Arabic-Indic digits are not dialable; they separate numbers.
    CeStd text = W("555");
    text.push_back(CeChar(0xFF11));  // full-width one
    text += W("0123");
    std::vector<CeStd> found = FindNumbers(text);
    ASSERT_EQ(2u, found.size());
    EXPECT_EQ(W("555"), found[0]);
    EXPECT_EQ(W("0123"), found[1]);
    EXPECT_TRUE(FindNumbers(nullptr, 10).empty());
}

TEST(NumberFinder, LongNotesAreScannedWhole) {
    std::string note;
    for (int i = 0; i < 5000; ++i) note += "Line " + std::to_string(i % 100) + " of the minutes; call 555-" +
                                           std::to_string(1000 + i % 9000) + "\r\n";
    auto found = Find(note);
    ASSERT_EQ(5000u, found.size());
    EXPECT_EQ("555-1000", found.front());
    EXPECT_EQ("555-5999", found.back());
    // One run as long as the note is one number, not a stack overflow or a hang.
    EXPECT_EQ(1u, Find(std::string(200000, '7')).size());
}
