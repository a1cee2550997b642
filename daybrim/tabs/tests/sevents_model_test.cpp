// The special-events list: next occurrences (the leap day above all), the
// window, the order and the alerts.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>

#include "datetime.h"
#include "sevents_model.h"

namespace {

using namespace daybrim;

int32_t Day(int y, int m, int d) { return int32_t(datetime::DaysFromCivil(y, m, d) - datetime::kOleEpochDays); }

TEST(SEventDates, NextOccurrence) {
    struct Case {
        const char* what;
        int32_t stored, today;
        int32_t next;
        int years;
    };
    const Case cases[] = {
        {"birthday today", Day(1980, 6, 15), Day(2026, 6, 15), Day(2026, 6, 15), 46},
        {"birthday tomorrow", Day(1980, 6, 16), Day(2026, 6, 15), Day(2026, 6, 16), 46},
        {"birthday yesterday goes to next year", Day(1980, 6, 14), Day(2026, 6, 15), Day(2027, 6, 14), 47},
        {"new year's eve seen in January", Day(1990, 12, 31), Day(2026, 1, 1), Day(2026, 12, 31), 36},
        {"leap day in a common year is 28 February", Day(2000, 2, 29), Day(2026, 1, 10), Day(2026, 2, 28), 26},
        {"leap day on 28 February itself", Day(2000, 2, 29), Day(2026, 2, 28), Day(2026, 2, 28), 26},
        {"leap day just missed waits a year", Day(2000, 2, 29), Day(2026, 3, 1), Day(2027, 2, 28), 27},
        {"leap day in a leap year", Day(2000, 2, 29), Day(2028, 1, 10), Day(2028, 2, 29), 28},
        {"leap day seen on 1 March before a leap year", Day(2000, 2, 29), Day(2027, 3, 1), Day(2028, 2, 29), 28},
        {"leap day in a century year without one", Day(1996, 2, 29), Day(2100, 2, 1), Day(2100, 2, 28), 104},
        {"appointment ahead keeps its day", Day(2026, 7, 1), Day(2026, 6, 15), Day(2026, 7, 1), 0},
        {"appointment next year keeps its day", Day(2027, 1, 3), Day(2026, 12, 30), Day(2027, 1, 3), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const EventOccurrence o = NextOccurrence(c.stored + 0.5, c.today);
        EXPECT_TRUE(o.valid);
        EXPECT_EQ(c.next, o.day);
        EXPECT_EQ(c.next - c.today, o.daysLeft);
        EXPECT_EQ(c.years, o.years);
        EXPECT_TRUE(datetime::IsValidDate(datetime::CivilFromDays(o.day + datetime::kOleEpochDays)));
    }
    // No date, or one no calendar holds, places nothing.
    const int32_t today = Day(2026, 6, 15);
    for (double bad : {kNoDate, 0.0, -5.0, 1e12, std::numeric_limits<double>::quiet_NaN()}) {
        const EventOccurrence o = NextOccurrence(bad, today);
        EXPECT_FALSE(o.valid) << bad;
        EXPECT_EQ(0, o.daysLeft);
    }
}

TEST(SEventDates, EveryStoredDayOfAYearLandsOnAValidDay) {
    // Every birth date of a leap year, seen from every day of a common and a leap year.
    for (int todayYear : {2026, 2028}) {
        for (int32_t today = Day(todayYear, 1, 1); today < Day(todayYear + 1, 1, 1); today += 7) {
            for (int32_t stored = Day(1984, 1, 1); stored < Day(1985, 1, 1); ++stored) {
                const EventOccurrence o = NextOccurrence(stored, today);
                ASSERT_GE(o.daysLeft, 0);
                ASSERT_LE(o.daysLeft, 366);
                const datetime::CivilDate was = datetime::CivilFromDays(stored + datetime::kOleEpochDays);
                const datetime::CivilDate is = datetime::CivilFromDays(o.day + datetime::kOleEpochDays);
                ASSERT_EQ(was.month, is.month);
                ASSERT_TRUE(was.day == is.day || (was.day == 29 && is.day == 28));
            }
        }
    }
}

std::unique_ptr<TSEvent> Event(int kind, uint32_t id, const wchar_t* name, int32_t day, int cls = 0) {
    auto e = std::make_unique<TSEvent>(kind);
    e->poomId = id;
    e->title = name;
    e->date = day;
    e->categoryIndex = cls;
    return e;
}

std::wstring Names(const std::vector<SEventRow>& rows) {
    std::wstring s;
    for (const SEventRow& r : rows) s += (s.empty() ? L"" : L",") + r.event->title;
    return s;
}

TEST(SEventRows, WindowOrderAndAlerts) {
    const int32_t today = Day(2026, 6, 15);
    TSEventsList group(0);
    group.AddChild(Event(kKindSEventContact, 1, L"Yesterday", Day(1970, 6, 14)));
    group.AddChild(Event(kKindSEventContact, 2, L"Today", Day(1980, 6, 15)));
    group.AddChild(Event(kKindSEventContact, 3, L"InTen", Day(1990, 6, 25), 2));
    group.AddChild(Event(kKindSEventContact, 4, L"InForty", Day(2001, 7, 25)));
    group.AddChild(Event(kKindSEventAppt, 5, L"Meeting", today + 31, 1));
    group.AddChild(Event(kKindSEventAppt, 6, L"Party", today + 3, 3));

    struct Case {
        int window, alertBefore, filterAlertBefore;
        const wchar_t* shown;
        const wchar_t* alerted;
    };
    const Case cases[] = {
        // The week and the month hide a birthday that has just passed; the long
        // window shows it last, 364 days on. Appointments ignore the window.
        {0, 0, 0, L"Today,Party,Meeting", L"Today"},
        {1, 0, 0, L"Today,Party,InTen,Meeting", L"Today"},
        {2, 0, 0, L"Today,Party,InTen,Meeting,InForty,Yesterday", L"Today"},
        {7, 0, 0, L"Today,Party,InTen,Meeting,InForty,Yesterday", L"Today"},
        {-1, 0, 0, L"Today,Party,InTen,Meeting,InForty,Yesterday", L"Today"},
        // Each class has its own threshold.
        {2, 40, 0, L"Today,Party,InTen,Meeting,InForty,Yesterday", L"Today,InForty"},
        {2, 0, 10, L"Today,Party,InTen,Meeting,InForty,Yesterday", L"Today,Party,InTen"},
        {2, -1, -1, L"Today,Party,InTen,Meeting,InForty,Yesterday", L""},
        // A due event the window hides raises no alert.
        {0, 0, 20, L"Today,Party,Meeting", L"Today,Party"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window * 1000 + c.alertBefore * 10 + c.filterAlertBefore);
        const SEventRules rules{c.window, c.alertBefore, c.filterAlertBefore};
        const std::vector<SEventRow> rows = SEventRows(group, today, rules);
        EXPECT_EQ(c.shown, Names(rows));
        std::vector<SEventRow> due;
        for (const SEventRow& r : rows)
            if (r.alert) due.push_back(r);
        EXPECT_EQ(c.alerted, Names(due));
        EXPECT_EQ(!due.empty(), AnyAlert(rows));
        for (size_t i = 1; i < rows.size(); ++i) EXPECT_LE(rows[i - 1].when.daysLeft, rows[i].when.daysLeft);
    }
    // The tab's category choice decides over the items' own rules.
    const std::vector<SEventRow> classed =
        SEventRows(group, today, SEventRules{}, [](const TSEvent& e) { return e.categoryIndex != 0; });
    EXPECT_EQ(L"Party,InTen,Meeting", Names(classed));
    const std::vector<SEventRow> all = SEventRows(group, today, SEventRules{});
    ASSERT_EQ(6u, all.size());
    EXPECT_EQ(0, all[0].when.daysLeft);
    EXPECT_EQ(46, all[0].when.years);
    EXPECT_EQ(364, all[5].when.daysLeft);
    EXPECT_EQ(57, all[5].when.years);
}

}  // namespace
