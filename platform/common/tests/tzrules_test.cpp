#include "tzrules.h"

#include <gtest/gtest.h>

using namespace tz;

namespace {

int64_t At(int y, int mo, int d, int h = 0, int mi = 0) {
    return DaysFrom1601(y, mo, d) * kTicksPerDay + (int64_t(h) * 60 + mi) * kTicksPerMinute;
}

Transition Nth(int month, int nth, int hour, int dow = 0) {
    Transition t;
    t.month = uint16_t(month);
    t.day = uint16_t(nth);
    t.dayOfWeek = uint16_t(dow);
    t.hour = uint16_t(hour);
    return t;
}

Rule WEurope() {
    Rule r;
    r.bias = -60;
    r.daylightBias = -60;
    r.daylightDate = Nth(3, 5, 2);
    r.standardDate = Nth(10, 5, 3);
    return r;
}

Rule UsEastern() {
    Rule r;
    r.bias = 300;
    r.daylightBias = -60;
    r.daylightDate = Nth(3, 2, 2);
    r.standardDate = Nth(11, 1, 2);
    return r;
}

Rule AusEastern() {
    Rule r;
    r.bias = -600;
    r.daylightBias = -60;
    r.daylightDate = Nth(10, 1, 2);
    r.standardDate = Nth(4, 1, 3);
    return r;
}

}  // namespace

TEST(Calendar, DaysAndWeekdays) {
    EXPECT_EQ(0, DaysFrom1601(1601, 1, 1));
    EXPECT_EQ(134774, DaysFrom1601(1970, 1, 1));
    EXPECT_EQ(1, DayOfWeek(DaysFrom1601(2026, 12, 7)));   // a Monday
    EXPECT_EQ(0, DayOfWeek(DaysFrom1601(2000, 2, 27)));   // a Sunday
    for (int64_t d : {int64_t(0), int64_t(145731), int64_t(160000), DaysFrom1601(2400, 2, 29)}) {
        int y, m, dd;
        CivilFromDays(d, &y, &m, &dd);
        EXPECT_EQ(d, DaysFrom1601(y, m, dd));
    }
    int y, m, d;
    CivilFromDays(DaysFrom1601(2024, 2, 29), &y, &m, &d);
    EXPECT_EQ(2024, y);
    EXPECT_EQ(2, m);
    EXPECT_EQ(29, d);
}

TEST(ZoneRules, NorthernTransitionsFallOnTheLastSunday) {
    const Rule r = WEurope();
    // 2026: daylight time from 29 March 01:00 UTC to 25 October 01:00 UTC.
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 3, 29, 0, 59)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 3, 29, 1, 0)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 10, 25, 0, 59)));
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 10, 25, 1, 0)));
    // 2027 has only four Sundays in March: "fifth" means the last one, the 28th.
    EXPECT_FALSE(IsDaylightUtc(r, At(2027, 3, 28, 0, 59)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2027, 3, 28, 1, 0)));
    EXPECT_EQ(At(2026, 12, 7, 10, 30), LocalFromUtc(r, At(2026, 12, 7, 9, 30)));
    EXPECT_EQ(At(2026, 7, 1, 14, 0), LocalFromUtc(r, At(2026, 7, 1, 12, 0)));
}

TEST(ZoneRules, NthWeekdayRules) {
    const Rule r = UsEastern();
    // Second Sunday of March 2026 is the 8th; first Sunday of November the 1st.
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 3, 8, 6, 59)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 3, 8, 7, 0)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 11, 1, 5, 59)));
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 11, 1, 6, 0)));
    EXPECT_EQ(240, BiasAtUtc(r, At(2026, 7, 4)));
    EXPECT_EQ(300, BiasAtUtc(r, At(2026, 12, 25)));
}

TEST(ZoneRules, SouthernDaylightSpansTheNewYear) {
    const Rule r = AusEastern();
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 1, 15)));
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 6, 15)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 12, 24)));
    // Ends the first Sunday of April (5 April 2026) at 03:00 daylight = 16:00 UTC the day before.
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 4, 4, 15, 59)));
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 4, 4, 16, 0)));
}

TEST(ZoneRules, ZonesWithoutDaylightTime) {
    Rule tokyo;
    tokyo.bias = -540;
    EXPECT_FALSE(HasDaylight(tokyo));
    EXPECT_EQ(At(2026, 1, 1, 9), LocalFromUtc(tokyo, At(2026, 1, 1)));
    EXPECT_EQ(At(2026, 1, 1), UtcFromLocal(tokyo, At(2026, 1, 1, 9)));
    // A month out of range is no rule at all, not an index past a table.
    Rule broken = WEurope();
    broken.daylightDate.month = 13;
    EXPECT_FALSE(IsDaylightUtc(broken, At(2026, 7, 1)));
}

TEST(ZoneRules, LocalToUtcAroundTheTransitions) {
    const Rule r = WEurope();
    EXPECT_EQ(At(2026, 12, 7, 8, 30), UtcFromLocal(r, At(2026, 12, 7, 9, 30)));
    EXPECT_EQ(At(2026, 7, 1, 7, 30), UtcFromLocal(r, At(2026, 7, 1, 9, 30)));
    // 02:30 on 25 October happens twice: taken as standard time.
    EXPECT_EQ(At(2026, 10, 25, 1, 30), UtcFromLocal(r, At(2026, 10, 25, 2, 30)));
    // 02:30 on 29 March never happens: it lands an hour on, at 03:30 daylight time.
    EXPECT_EQ(At(2026, 3, 29, 3, 30), LocalFromUtc(r, UtcFromLocal(r, At(2026, 3, 29, 2, 30))));
}
