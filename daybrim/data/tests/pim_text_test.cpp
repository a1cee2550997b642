#include <gtest/gtest.h>

#include "pim_ids.h"
#include "pim_text.h"

using namespace daybrim;

TEST(PoomId, EachKindAndWrapAround) {
    EXPECT_EQ(0x40000005u, PoomId(PimKind::kAppointment, 5));
    EXPECT_EQ(0xC0000005u, PoomId(PimKind::kTask, 5));  // below zero wraps
    EXPECT_EQ(0x80000005u, PoomId(PimKind::kContact, 5));
    EXPECT_EQ(0x00000001u, PoomId(PimKind::kContact, 0x80000001u));
    EXPECT_EQ(0x00000000u, PoomId(PimKind::kAppointment, 0xC0000000u));
    EXPECT_EQ(0x00000010u, PoomId(PimKind::kTask, 0x40000010u));
}

TEST(OleDate, TicksRoundTripAndDays) {
    // 2026-12-07 00:00 is OLE day 46363.
    const uint64_t ticks = TicksFromOle(46363.5);
    EXPECT_DOUBLE_EQ(46363.5, OleFromTicks(ticks));
    EXPECT_EQ(46363, DayOf(46363.99));
    EXPECT_EQ(-2, DayOf(-1.25));
}

TEST(TaskSubject, CodesOnlyUnderInformantAndFusion) {
    for (int sw : {1, 2}) {
        TaskSubject s = ParseTaskSubject(L"A1: Call Bob", sw);
        EXPECT_EQ(L"A1", s.code);
        EXPECT_EQ(L"(A1) Call Bob", TaskDisplayTitle(s, false));
        EXPECT_EQ(L"Call Bob", TaskDisplayTitle(s, true));
        EXPECT_EQ(L"B", ParseTaskSubject(L"B|Pay rent", sw).code);
        EXPECT_EQ(L"Pay rent", ParseTaskSubject(L"B|Pay rent", sw).title);
        // '|' is looked for before ':'.
        EXPECT_EQ(L"C12", ParseTaskSubject(L"C12|x: y", sw).code);
    }
    for (int sw : {0, 3}) {
        TaskSubject s = ParseTaskSubject(L"A1: Call Bob", sw);
        EXPECT_EQ(L"", s.code);
        EXPECT_EQ(L"A1: Call Bob", TaskDisplayTitle(s, false));
    }
}

TEST(TaskSubject, NotACode) {
    EXPECT_EQ(L"", ParseTaskSubject(L"a1: lower", 1).code);      // lower-case letter
    EXPECT_EQ(L"", ParseTaskSubject(L"A1x: mixed", 1).code);     // not digits
    EXPECT_EQ(L"", ParseTaskSubject(L"A1:", 1).code);            // shorter than 5
    EXPECT_EQ(L"Note: something", ParseTaskSubject(L"Note: something", 1).title);
}

TEST(TaskSubject, CounterUnderEveryPimSw) {
    for (int sw : {0, 1, 2, 3}) {
        TaskSubject s = ParseTaskSubject(L"|3:Report", sw);
        EXPECT_EQ(3, s.counter);
        EXPECT_EQ(L"Report [3]", TaskDisplayTitle(s, false));
    }
    TaskSubject both = ParseTaskSubject(L"A1: |12: Budget", 1);
    EXPECT_EQ(L"(A1) Budget [12]", TaskDisplayTitle(both, false));
    EXPECT_EQ(0, ParseTaskSubject(L"|x:Report", 0).counter);
    EXPECT_EQ(0, ParseTaskSubject(L"|99999999999:big", 0).counter);  // no overflow
    EXPECT_EQ(L"Zero", TaskDisplayTitle(ParseTaskSubject(L"|0:Zero", 0), false));  // counter 0 not shown
}

TEST(ContactNames, Modes) {
    EXPECT_EQ(L"Anna Lind", ContactDisplayName(1, L"Lind, Anna", L"Anna", L"Lind"));
    EXPECT_EQ(L"Lind, Anna", ContactDisplayName(2, L"X", L"Anna", L"Lind"));
    EXPECT_EQ(L"Lind", ContactDisplayName(1, L"X", L"", L"Lind"));
    EXPECT_EQ(L"Anna", ContactDisplayName(2, L"X", L"Anna", L""));
    EXPECT_EQ(L"Acme Corp", ContactDisplayName(1, L"Acme Corp", L"", L""));
    EXPECT_EQ(L"Acme Corp", ContactDisplayName(0, L"Acme Corp", L"Anna", L"Lind"));
}

TEST(ContactNames, FourTexts) {
    ContactNameTexts t = BuildContactNames(L"Anna", L"Lind", L"Acme");
    EXPECT_EQ(L"Lind, Anna", t.lastFirst);
    EXPECT_EQ(L"Anna Lind", t.firstLast);
    EXPECT_EQ(L"Acme (Lind, Anna)", t.companyNames);
    EXPECT_EQ(L"Lind, Anna (Acme)", t.namesCompany);
    t = BuildContactNames(L"Anna", L"", L"Acme");
    EXPECT_EQ(L"", t.lastFirst);
    EXPECT_EQ(L"Anna", t.firstLast);
    EXPECT_EQ(L"Acme (Anna)", t.companyNames);
    EXPECT_EQ(L"Anna (Acme)", t.namesCompany);
    t = BuildContactNames(L"", L"", L"Acme");
    EXPECT_EQ(L"Acme", t.companyNames);
    EXPECT_EQ(L"", t.namesCompany);
    t = BuildContactNames(L"", L"Lind", L"");
    EXPECT_EQ(L"Lind", t.lastFirst);
    EXPECT_EQ(L"", t.companyNames);
}

TEST(PreferredNumber, ChosenThenFallbackThenNone) {
    std::vector<NumberEntry> e = {{0x0096001F, L""}, {0x0097001F, L"555-1"}, {0x0099001F, L"555-2"}};
    EXPECT_EQ(L"555-2", PreferredNumber(e, 0x0099001F).text);
    // The chosen entry is empty: the first non-empty one in order.
    EXPECT_EQ(0x0097001Fu, PreferredNumber(e, 0x0096001F).propid);
    EXPECT_EQ(L"555-1", PreferredNumber(e, 0x12345678).text);
    std::vector<NumberEntry> none = {{0x0096001F, L""}};
    EXPECT_EQ(0xFFFFFFFFu, PreferredNumber(none, 0x0096001F).propid);
    EXPECT_EQ(L"", PreferredNumber({}, 0).text);
}
