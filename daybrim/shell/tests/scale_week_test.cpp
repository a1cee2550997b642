// Scaling of design pixels and week numbers at year boundaries.
#include <gtest/gtest.h>

#include "scale.h"
#include "week_number.h"

using namespace daybrim;

TEST(Scale, RoundsHalfUpOnTheMagnitudeAtEachResolution) {
    struct Case { int dpi, v, want; };
    const Case cases[] = {
        {96, 12, 12},   {96, -7, -7},   {96, 0, 0},
        {128, 12, 16},  {128, 20, 27},  {128, -20, -27}, {128, 3, 4},   // 3*128/96 = 4.0
        {131, 12, 16},  {131, 22, 30},  {131, 26, 35},   {131, -26, -35}, {131, 1, 1},
        {192, 12, 24},  {192, -1, -2},  {192, 160, 320},
    };
    for (const Case& c : cases) {
        Scaler s;
        s.dpiX = c.dpi;
        s.dpiY = c.dpi;
        EXPECT_EQ(c.want, s.X(c.v)) << c.dpi << " dpi, " << c.v;
        EXPECT_EQ(c.want, s.Y(c.v)) << c.dpi << " dpi, " << c.v;
    }
}

TEST(Scale, AxesUseTheirOwnResolutionAndForcedVgaDoubles) {
    Scaler s;
    s.dpiX = 96;
    s.dpiY = 192;
    EXPECT_EQ(10, s.X(10));
    EXPECT_EQ(20, s.Y(10));
    s.forcedVga = true;  // whatever the screen says
    s.dpiY = 131;
    EXPECT_EQ(20, s.X(10));
    EXPECT_EQ(-20, s.Y(-10));
}

TEST(Calendar, DayNumbersRoundTripAndKnowTheirWeekday) {
    EXPECT_EQ(0, DayFromDate(1899, 12, 30));
    EXPECT_EQ(6, Weekday(0));                           // a Saturday
    EXPECT_EQ(1, Weekday(DayFromDate(2012, 12, 31)));   // a Monday
    EXPECT_EQ(0, Weekday(DayFromDate(2000, 12, 31)));   // a Sunday
    for (int d = DayFromDate(1899, 1, 1); d < DayFromDate(2101, 1, 1); d += 13) {
        int y, m, dd;
        DateFromDay(d, &y, &m, &dd);
        ASSERT_EQ(d, DayFromDate(y, m, dd));
    }
}

namespace {
int WeekOf(int rule, int y, int m, int d) { return WeekNumber(rule, DayFromDate(y, m, d)); }
}  // namespace

TEST(WeekNumber, YearBoundariesWithWeeksStartingOnMonday) {
    struct Case { int y, m, d, rule0, rule1, rule2; };
    const Case cases[] = {
        {2012, 12, 31, 1, 53, 1},   // six days of 2013: week 1 of 2013 (used to give 54 and 53)
        {2013, 1, 7, 2, 1, 2},
        {2012, 12, 24, 53, 52, 52},
        {2004, 12, 27, 1, 52, 53},   // Jan 1 2005 is a Saturday: ISO week 53
        {2005, 1, 3, 2, 1, 1},
        {2009, 12, 28, 1, 52, 53},  // Jan 1 2010 is a Friday
        {2010, 1, 4, 2, 1, 1},
        {2014, 12, 29, 1, 52, 1},   // Jan 1 2015 is a Thursday
        {2015, 12, 28, 1, 52, 53},  // Jan 1 2016 is a Friday
        {2020, 12, 28, 1, 52, 53},
        {2026, 12, 28, 1, 52, 53},
        {2001, 1, 1, 1, 1, 1},      // the year starts on the week's first day
        {2007, 12, 31, 1, 53, 1},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(1, Weekday(DayFromDate(c.y, c.m, c.d))) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(c.rule0, WeekOf(0, c.y, c.m, c.d)) << "rule 0 " << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(c.rule1, WeekOf(1, c.y, c.m, c.d)) << "rule 1 " << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(c.rule2, WeekOf(2, c.y, c.m, c.d)) << "rule 2 " << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(WeekNumber, YearBoundariesWithWeeksStartingOnSunday) {
    struct Case { int y, m, d, rule0, rule1, rule2; };
    const Case cases[] = {
        {2000, 12, 31, 1, 53, 1},   // holds Jan 1 2001 (used to give 54)
        {2000, 12, 24, 53, 52, 52},
        {2012, 12, 30, 1, 53, 1},   // Jan 1 2013 is a Tuesday
        {2011, 1, 2, 2, 1, 1},      // Jan 1 2011 was a Saturday: that week had one day of 2011
        {2010, 12, 26, 1, 52, 52},
        {2017, 1, 1, 1, 1, 1},
        {2015, 12, 27, 1, 52, 52},  // Jan 1 2016 is a Friday: two days of 2016 keep it in 2015
        {2020, 12, 27, 1, 52, 53},  // Jan 1 2021 is a Friday: Sunday..Thursday in 2020
    };
    for (const Case& c : cases) {
        ASSERT_EQ(0, Weekday(DayFromDate(c.y, c.m, c.d))) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(c.rule0, WeekOf(0, c.y, c.m, c.d)) << "rule 0 " << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(c.rule1, WeekOf(1, c.y, c.m, c.d)) << "rule 1 " << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(c.rule2, WeekOf(2, c.y, c.m, c.d)) << "rule 2 " << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(WeekNumber, EveryWeekOfFiftyYearsCountsOnOrRestartsAtOne) {
    for (int start = 0; start <= 1; ++start) {  // Sunday and Monday weeks
        int first = DayFromDate(1990, 1, 1);
        while (Weekday(first) != start) ++first;
        for (int rule = 0; rule <= 2; ++rule) {
            int prev = WeekNumber(rule, first);
            for (int d = first + 7; d < DayFromDate(2040, 1, 1); d += 7) {
                int w = WeekNumber(rule, d);
                ASSERT_GE(w, 1);
                ASSERT_LE(w, 53) << "rule " << rule << " day " << d;
                ASSERT_TRUE(w == prev + 1 || w == 1) << "rule " << rule << " day " << d << ": " << prev << " then " << w;
                prev = w;
            }
        }
    }
}

TEST(WeekNumber, RuleTwoOnMondaysIsTheIsoWeek) {
    for (int d = DayFromDate(1995, 1, 2); d < DayFromDate(2035, 1, 1); d += 7) {
        // ISO 8601 by the ordinal-day formula, independent of the code under test.
        int y, m, dd;
        DateFromDay(d, &y, &m, &dd);
        const int doy = d - DayFromDate(y, 1, 1) + 1;
        int w = (doy - 1 + 10) / 7;  // Monday is ISO weekday 1
        auto weeksIn = [](int year) {
            const int jan1 = Weekday(DayFromDate(year, 1, 1));
            const bool leap = DayFromDate(year + 1, 1, 1) - DayFromDate(year, 1, 1) == 366;
            return jan1 == 4 || (leap && jan1 == 3) ? 53 : 52;
        };
        if (w < 1) w = weeksIn(y - 1);
        else if (w > weeksIn(y)) w = 1;
        ASSERT_EQ(w, WeekNumber(2, d)) << y << "-" << m << "-" << dd;
    }
}

TEST(WeekNumber, OutOfRangeSettingsFallBackToTheLocaleAndRuleZero) {
    EXPECT_EQ(0, WeekRuleFromSetting(1, L'2'));
    EXPECT_EQ(2, WeekRuleFromSetting(3, L'0'));
    EXPECT_EQ(1, WeekRuleFromSetting(0, L'1'));
    EXPECT_EQ(2, WeekRuleFromSetting(0, L'2'));
    EXPECT_EQ(0, WeekRuleFromSetting(0, L'x'));
    EXPECT_EQ(2, WeekRuleFromSetting(4, L'2'));           // above 3: as 0, the locale's
    EXPECT_EQ(0, WeekRuleFromSetting(0xFFFFFFFFul, 0));
    EXPECT_EQ(WeekNumber(0, DayFromDate(2012, 12, 24)), WeekNumber(7, DayFromDate(2012, 12, 24)));  // unknown rule: rule 0
}
