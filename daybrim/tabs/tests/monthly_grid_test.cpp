// The monthly calendar's arithmetic: grids, navigation, week rows, cells, taps,
// keys and the single pending result.
#include <gtest/gtest.h>

#include "monthly_grid.h"
#include "week_number.h"

using namespace daybrim;
using namespace daybrim::monthly;

namespace {
int D(int y, int m, int d) { return DayFromDate(y, m, d); }
}  // namespace

TEST(MonthlyGrid, WeeksStartTheDayAfterTheStartDaySetting) {
    struct Case { unsigned long setting; int weekday; };
    const Case cases[] = {{0, 1}, {1, 2}, {5, 6}, {6, 0}, {7, 1}, {13, 0}, {0xFFFFFFFFul, 4}};
    for (const Case& c : cases) {
        const int wd = FirstWeekday(c.setting);
        EXPECT_EQ(c.weekday, wd) << c.setting;
        const MonthGrid g = GridFor(D(2026, 12, 7), wd);
        EXPECT_EQ(wd, Weekday(g.first)) << c.setting;
        EXPECT_EQ((wd + 6) % 7, Weekday(g.last)) << c.setting;
        EXPECT_LE(g.first, D(2026, 12, 1));
        EXPECT_GT(g.first + 7, D(2026, 12, 1));
        EXPECT_GE(g.last, D(2026, 12, 31));
        EXPECT_LT(g.last - 7, D(2026, 12, 31));
    }
}

TEST(MonthlyGrid, FourFiveAndSixWeekMonths) {
    struct Case { int y, m, weekday, rows, first[3]; };
    const Case cases[] = {
        {2015, 2, 0, 4, {2015, 2, 1}},     // 28 days from a Sunday
        {2015, 2, 1, 5, {2015, 1, 26}},
        {2026, 12, 1, 5, {2026, 11, 30}},
        {2026, 8, 1, 6, {2026, 7, 27}},    // 1st a Saturday, 31st a Monday
        {2026, 8, 0, 6, {2026, 7, 26}},
        {2026, 8, 6, 5, {2026, 8, 1}},
        {2024, 2, 4, 5, {2024, 2, 1}},     // leap February from a Thursday
    };
    for (const Case& c : cases) {
        const MonthGrid g = GridFor(D(c.y, c.m, 15), c.weekday);
        EXPECT_EQ(c.rows, g.Rows()) << c.y << "-" << c.m << " from " << c.weekday;
        EXPECT_EQ(D(c.first[0], c.first[1], c.first[2]), g.first) << c.y << "-" << c.m;
        EXPECT_EQ(g.first + 7 * c.rows - 1, g.last);
        EXPECT_EQ(c.m, g.month);
    }
}

TEST(MonthlyGrid, PreviousAndNextAlwaysLandInTheNeighbourMonth) {
    // From the 31st too: stepping from the grid's first day never skips a month.
    for (int wd = 0; wd < 7; ++wd)
        for (int y = kFirstYear; y <= kLastYear; ++y)
            for (int m = 1; m <= 12; ++m) {
                const MonthGrid g = GridFor(D(y, m, m == 2 ? 28 : 30), wd);
                ASSERT_TRUE(g.Contains(g.MonthFirst()));
                if (!(y == kLastYear && m == 12)) {
                    const MonthGrid n = GridFor(g.NextMonthDay(), wd);
                    ASSERT_EQ(m % 12 + 1, n.month) << y << "-" << m << " from " << wd;
                }
                if (!(y == kFirstYear && m == 1)) {
                    const MonthGrid p = GridFor(g.PreviousMonthDay(), wd);
                    ASSERT_EQ((m + 10) % 12 + 1, p.month) << y << "-" << m << " from " << wd;
                }
                // Never a day the agenda keys its special sections with.
                ASSERT_TRUE(MonthUsable(y, m, wd)) << y << "-" << m << " from " << wd;
            }
    const MonthGrid jan31 = GridFor(D(2027, 1, 31), 1);
    EXPECT_EQ(2, GridFor(jan31.NextMonthDay(), 1).month);
}

TEST(MonthlyGrid, DaysNearTheAgendaKeysAreNeverShown) {
    struct Case { int day, year, month; };
    const Case cases[] = {
        {2, kFirstYear, 1},  // 1 January 1900 is day 2: its grid would hold days 1..3
        {-500, kFirstYear, 1},
        {80000, kLastYear, 12},
        {D(2119, 1, 1), kLastYear, 12},
        {D(2050, 6, 1), 2050, 6},
    };
    for (const Case& c : cases) {
        const MonthGrid g = GridFor(c.day, 1);
        EXPECT_EQ(c.year, g.year) << c.day;
        EXPECT_EQ(c.month, g.month) << c.day;
        EXPECT_GE(g.first, kFirstUsableDay);
        EXPECT_LE(g.last, kLastUsableDay);
    }
    EXPECT_FALSE(MonthUsable(1900, 1, 1));
    MonthGrid g = GridFor(D(2026, 3, 10), 1);
    const struct { int year; bool ok; int shown; } years[] = {
        {1900, false, 2026}, {kFirstYear, true, kFirstYear}, {2999, false, kFirstYear},
        {kLastYear, true, kLastYear}, {kLastYear + 1, false, kLastYear}};
    for (const auto& y : years) {
        EXPECT_EQ(y.ok, GridForYear(&g, y.year)) << y.year;
        EXPECT_EQ(y.shown, g.year);
        EXPECT_EQ(3, g.month);
    }
}

TEST(MonthlyGrid, WeekNumbersOfEachRowByRule) {
    // December 2012 from Monday: rows start 26 Nov .. 31 Dec.
    const MonthGrid g = GridFor(D(2012, 12, 12), 1);
    ASSERT_EQ(6, g.Rows());
    const std::vector<int> want[3] = {{49, 50, 51, 52, 53, 1}, {48, 49, 50, 51, 52, 53}, {48, 49, 50, 51, 52, 1}};
    for (int rule = 0; rule < 3; ++rule) EXPECT_EQ(want[rule], RowWeekNumbers(g, rule)) << "rule " << rule;
    // From Sunday, January 2017 (1 January a Sunday): the first row is week 1 by every rule.
    const MonthGrid s = GridFor(D(2017, 1, 9), 0);
    for (int rule = 0; rule < 3; ++rule) EXPECT_EQ(1, RowWeekNumbers(s, rule)[0]) << "rule " << rule;
}

TEST(MonthlyGrid, CellsAndButtonsUnderThePen) {
    Layout l;
    l.width = 220;
    l.height = 160;
    l.top = 22;
    l.rows = 6;
    ASSERT_EQ(31, l.CellWidth());   // 220 / 7
    ASSERT_EQ(18, l.CellHeight());  // (160 - 22 - 16 - 13) / 6
    struct Case { bool weekNums; int side, x, y, cell; };
    const Case cases[] = {
        {false, 0, 0, 51, 0},      {false, 0, 30, 66, 0},    {false, 0, 31, 51, 1},
        {false, 0, 216, 154, 41},  {false, 0, 218, 100, -1}, // the remainder right of the cells
        {false, 0, 10, 50, -1},    // day titles
        {false, 0, 10, 160, -1},   {true, 0, 10, 60, -1},    // week-number column
        {true, 0, 16, 60, 0},      {true, 0, 44, 60, 0},     {true, 0, 45, 60, 1},
        {false, 24, 197, 60, -1},  {false, 24, 190, 60, 6},
    };
    for (const Case& c : cases) {
        Layout k = l;
        k.weekNumbers = c.weekNums;
        k.sideColumn = c.side;
        EXPECT_EQ(c.cell, k.CellAt(c.x, c.y)) << c.x << "," << c.y << " week numbers " << c.weekNums;
    }
    Layout p;
    p.width = 240;
    p.height = 100;
    p.sideColumn = 24;
    const struct { int x, y, button; } side[] = {
        {225, 12, 0}, {225, 27, 0}, {225, 28, -1}, {225, 29, 1}, {225, 80, 4}, {225, 96, -1}, {210, 12, -1}};
    for (const auto& s : side) EXPECT_EQ(s.button, p.SideButtonAt(s.x, s.y)) << s.x << "," << s.y;
    EXPECT_EQ(-1, l.SideButtonAt(225, 12));  // the floating calendar has none
}

TEST(MonthlyGrid, TapsByModeAndClickSetting) {
    const MonthGrid g = GridFor(D(2026, 12, 7), 1);
    const int day = D(2026, 12, 10);  // a Thursday
    struct Case {
        int mode, onClick;
        bool fromKey, range;
        unsigned message;
        int p1, p2;
        bool close, menu;
    };
    const Case cases[] = {
        {kMoveAppointment, 0, false, false, kMsgMoveAppointment, 77, day, true, false},
        {kCopyAppointment, 3, false, false, kMsgCopyAppointment, 77, day, true, false},
        {kRedateTask1, 0, true, false, kMsgRedateTask1, 77, day, true, false},
        {kRedateTask2, 1, false, true, kMsgRedateTask2, 77, day, true, false},
        {kBrowse, 0, false, false, 0, 0, 0, false, false},
        {kBrowse, 0, true, false, 0, 0, 0, false, true},
        {kBrowse, 1, false, false, kMsgBrowse, day, day, true, false},
        {kBrowse, 2, false, false, kMsgBrowse, D(2026, 12, 7), D(2026, 12, 13), true, false},
        {kBrowse, 3, true, false, kMsgBrowse, D(2026, 12, 1), D(2026, 12, 31), true, false},
        {kBrowse, 1, false, true, 0, 0, 0, false, false},  // a tap in a range clears it
    };
    for (const Case& c : cases) {
        Selection sel;
        if (c.range) {
            sel.Week(day, 1);
            EXPECT_FALSE(PenDownOnDay(day, &sel));
            EXPECT_TRUE(sel.IsRange());
        } else {
            EXPECT_TRUE(PenDownOnDay(day, &sel));
        }
        PendingResult r;
        const TapAction a = TapDay(day, c.mode, 77, c.onClick, c.fromKey, g, &sel, &r);
        EXPECT_EQ(c.close, a.close) << c.mode << "/" << c.onClick;
        EXPECT_EQ(c.menu, a.menu) << c.mode << "/" << c.onClick;
        Result got;
        EXPECT_EQ(c.message != 0, r.Take(&got)) << c.mode << "/" << c.onClick;
        if (c.message) {
            EXPECT_EQ(c.message, got.message);
            EXPECT_EQ(c.p1, got.param1);
            EXPECT_EQ(c.p2, got.param2);
        }
        if (c.range && !c.message) {
            EXPECT_TRUE(sel.Empty());
        }
    }
}

TEST(MonthlyGrid, ASecondResultWaitsForTheFirst) {
    const MonthGrid g = GridFor(D(2026, 12, 7), 1);
    PendingResult r;
    Selection sel;
    EXPECT_TRUE(TapDay(D(2026, 12, 10), kMoveAppointment, 5, 0, false, g, &sel, &r).close);
    EXPECT_TRUE(TapDay(D(2026, 12, 11), kMoveAppointment, 5, 0, false, g, &sel, &r).close);
    EXPECT_FALSE(r.Store(kMsgBrowse, 1, 2));
    Result got;
    ASSERT_TRUE(r.Take(&got));
    EXPECT_EQ(D(2026, 12, 10), got.param2);
    EXPECT_FALSE(r.Take(&got));
    EXPECT_TRUE(r.Store(kMsgBrowse, 1, 2));
}

TEST(MonthlyGrid, DpadMovesAndEnds) {
    const MonthGrid g = GridFor(D(2026, 12, 7), 1);
    struct Case { int selected; DpadKey key; int want; };
    const Case cases[] = {
        {D(2026, 12, 7), kKeyLeft, D(2026, 12, 6)},
        {D(2026, 12, 7), kKeyRight, D(2026, 12, 8)},
        {D(2026, 12, 7), kKeyUp, D(2026, 11, 30)},
        {D(2026, 12, 31), kKeyDown, D(2027, 1, 7)},   // outside the grid: the caller moves it
        {-1, kKeyRight, g.first},
        {-1, kKeyDown, g.first},
        {-1, kKeyLeft, g.last},
        {-1, kKeyUp, g.last},
        {LastNavigableDay(), kKeyRight, -1},
        {FirstNavigableDay() + 3, kKeyUp, -1},
    };
    for (const Case& c : cases) {
        Selection sel;
        if (c.selected >= 0) sel.Day(c.selected);
        EXPECT_EQ(c.want, DpadTarget(sel, g, c.key)) << c.selected << " key " << c.key;
    }
}

TEST(MonthlyGrid, ReDateModesAnswerWithTheirOwnMessage) {
    // The owner tab knows these numbers, not the names.
    const unsigned want[] = {0, 4793, 4794, 4795, 4796, 0};
    for (int mode = 0; mode <= 5; ++mode) {
        EXPECT_EQ(want[mode], RedateMessage(mode)) << mode;
        EXPECT_EQ(want[mode] != 0, IsRedateMode(mode)) << mode;
    }
}

TEST(MonthlyGrid, TimelineSlotsOfADay) {
    const int day = D(2026, 12, 7);
    auto at = [&](int d, int h, int m) { return double(d) + (h * 60 + m) / 1440.0; };
    struct Case { double start, end; bool allDay; int from, to; };
    const Case cases[] = {
        {at(day, 9, 0), at(day, 10, 0), false, 18, 19},
        {at(day, 9, 30), at(day, 10, 14), false, 19, 19},
        {at(day, 9, 29), at(day, 10, 15), false, 18, 20},    // end minute 15: one slot more
        {at(day, 9, 0), at(day, 10, 45), false, 18, 21},     // 45: two more
        {at(day, 23, 0), at(day, 23, 59), false, 46, 47},    // never past the last slot
        {at(day - 1, 22, 0), at(day, 1, 0), false, 0, 1},    // ends here
        {at(day, 22, 0), at(day + 1, 1, 0), false, 44, 47},  // starts here
        {at(day - 1, 8, 0), at(day + 1, 8, 0), false, 0, 47},
        {at(day + 1, 8, 0), at(day + 1, 9, 0), false, -1, -1},
        {double(day), double(day + 1), true, -1, -1},
    };
    for (const Case& c : cases) {
        DayTimeline t;
        t.Add(day, c.start, c.end, c.allDay, 0x123456);
        for (int s = 0; s < 48; ++s)
            EXPECT_EQ(s >= c.from && s <= c.to && c.from >= 0, t.occupied[s]) << c.start << " slot " << s;
        EXPECT_EQ(c.allDay, t.hasAllDay);
    }
    // The first appointment in a slot keeps its colour; categories are kept once.
    DayTimeline t;
    t.AddCategories({7, 3});
    t.AddCategories({3, 9, 7});
    EXPECT_EQ((std::vector<int32_t>{7, 3, 9}), t.categories);
    EXPECT_TRUE(t.Empty());
    t.Add(day, at(day, 9, 0), at(day, 10, 0), false, 1);
    t.Add(day, at(day, 9, 30), at(day, 11, 0), false, 2);
    EXPECT_EQ(1u, t.colour[19]);
    EXPECT_EQ(2u, t.colour[20]);
}

TEST(MonthlyGrid, TimelineColourByStatusOrCategory) {
    TimelineColours byStatus;
    byStatus.status[2] = 0x0000AA;
    byStatus.categories[5] = 0x123456;
    TimelineColours byCategory = byStatus;
    byCategory.byCategory = true;
    byCategory.categories[9] = 0x654321;
    const uint32_t none = DayTimeline::kDefaultColour;
    struct Case { const TimelineColours* c; int busy; std::vector<int32_t> cats; uint32_t want; };
    const Case cases[] = {
        {&byStatus, 0, {5}, 0x58FC79},  {&byStatus, 2, {}, 0x0000AA},    {&byStatus, 7, {}, none},
        {&byStatus, -1, {}, none},      {&byCategory, 2, {}, none},      {&byCategory, 2, {3, 9, 5}, 0x654321},
        {&byCategory, 0, {5}, 0x123456}, {&byCategory, 0, {4}, none},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, c.c->For(c.busy, c.cats)) << c.busy;
}
