#include "datetime.h"

#include <gtest/gtest.h>

using namespace datetime;

namespace {

int64_t At(int y, int mo, int d, int h = 0, int mi = 0) {
    return DaysFromCivil(y, mo, d) * kTicksPerDay + (int64_t(h) * 60 + mi) * kTicksPerMinute;
}

Transition Nth(int month, int nth, int hour, int dow = 0) {
    Transition t;
    t.month = uint16_t(month);
    t.day = uint16_t(nth);
    t.dayOfWeek = uint16_t(dow);
    t.hour = uint16_t(hour);
    return t;
}

ZoneRule WEurope() {
    ZoneRule r;
    r.bias = -60;
    r.daylightBias = -60;
    r.daylightDate = Nth(3, 5, 2);
    r.standardDate = Nth(10, 5, 3);
    return r;
}

ZoneRule UsEastern() {
    ZoneRule r;
    r.bias = 300;
    r.daylightBias = -60;
    r.daylightDate = Nth(3, 2, 2);
    r.standardDate = Nth(11, 1, 2);
    return r;
}

ZoneRule AusEastern() {
    ZoneRule r;
    r.bias = -600;
    r.daylightBias = -60;
    r.daylightDate = Nth(10, 1, 2);
    r.standardDate = Nth(4, 1, 3);
    return r;
}

// Daylight time from the third Sunday of October to the third Sunday of February,
// both at midnight: the skipped and the repeated hours straddle a date change.
ZoneRule ESouthAmerica() {
    ZoneRule r;
    r.bias = 180;
    r.daylightBias = -60;
    r.daylightDate = Nth(10, 3, 0);
    r.standardDate = Nth(2, 3, 0);
    return r;
}

}  // namespace

TEST(Calendar, KnownDatesLeapYearsAndMonthLengths) {
    struct Case {
        int y, m, d;
        int64_t days;
        int weekday;
    };
    const Case cases[] = {
        {1601, 1, 1, 0, 1},                  // the FILETIME epoch, a Monday
        {1600, 12, 31, -1, 0},               // the day before it
        {1600, 2, 29, -307, 2},              // a leap day before the epoch (1600 is a leap year)
        {1899, 12, 30, kOleEpochDays, 6},    // the OLE date epoch, a Saturday
        {1970, 1, 1, kUnixEpochDays, 4},
        {2000, 2, 29, 145790, 2},
        {2026, 12, 7, 155568, 1},
        {4501, 1, 1, 1059203, 6},            // the agenda's "no date"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << "-" << c.d);
        EXPECT_EQ(c.days, DaysFromCivil(c.y, c.m, c.d));
        const CivilDate back = CivilFromDays(c.days);
        EXPECT_EQ(c.y, back.year);
        EXPECT_EQ(c.m, back.month);
        EXPECT_EQ(c.d, back.day);
        EXPECT_EQ(c.weekday, DayOfWeek(c.days));
    }
    struct Year {
        int y;
        bool leap;
    };
    for (const Year& y : {Year{1600, true}, Year{1700, false}, Year{1900, false}, Year{2000, true},
                          Year{2024, true}, Year{2026, false}, Year{2100, false}, Year{2400, true}}) {
        EXPECT_EQ(y.leap, IsLeapYear(y.y)) << y.y;
        EXPECT_EQ(y.leap ? 29 : 28, DaysInMonth(y.y, 2)) << y.y;
        EXPECT_EQ(y.leap ? 366 : 365, DaysFromCivil(y.y + 1, 1, 1) - DaysFromCivil(y.y, 1, 1)) << y.y;
    }
    const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(lengths[m - 1], DaysInMonth(2026, m)) << m;
    EXPECT_EQ(0, DaysInMonth(2026, 0));
    EXPECT_EQ(0, DaysInMonth(2026, 13));
    EXPECT_FALSE(IsValidDate({2026, 2, 29}));
    EXPECT_FALSE(IsValidDate({2026, 4, 31}));
    EXPECT_TRUE(IsValidDate({2028, 2, 29}));
    // Days and months past their range count on rather than read outside a table.
    EXPECT_EQ(DaysFromCivil(2026, 5, 1), DaysFromCivil(2026, 4, 31));
    EXPECT_EQ(DaysFromCivil(2027, 1, 15), DaysFromCivil(2026, 13, 15));
    EXPECT_EQ(DaysFromCivil(2025, 12, 15), DaysFromCivil(2026, 0, 15));
    // Every day of eight centuries either side of the epoch goes there and back.
    int expectedWeekday = DayOfWeek(-300000);
    for (int64_t d = -300000; d < 300000; ++d) {
        const CivilDate c = CivilFromDays(d);
        ASSERT_TRUE(IsValidDate(c)) << d;
        ASSERT_EQ(d, DaysFromCivil(c)) << d;
        ASSERT_EQ(expectedWeekday, DayOfWeek(d)) << d;
        expectedWeekday = (expectedWeekday + 1) % 7;
    }
}

TEST(Calendar, NthWeekdayOfMonth) {
    const unsigned kMon = 2, kTue = 4, kWed = 8, kThu = 16, kFri = 32, kSat = 64, kSun = 1;
    const unsigned kWorkdays = kMon | kTue | kWed | kThu | kFri, kWeekend = kSat | kSun, kAll = 0x7F;
    struct Case {
        int y, m;
        unsigned mask;
        int week;
        int day;   // of the month
    };
    const Case cases[] = {
        // February 2026: 28 days from a Sunday; February 2028: 29 days from a Tuesday;
        // April 2026: 30 days from a Wednesday; August 2026: 31 days from a Saturday.
        {2026, 2, kSun, 1, 1},      {2026, 2, kSun, 4, 22},      {2026, 2, kSun, 5, 22},
        {2026, 2, kSat, 5, 28},     {2026, 2, kWorkdays, 1, 2},  {2026, 2, kWorkdays, 2, 3},
        {2026, 2, kWorkdays, 5, 27}, {2026, 2, kAll, 4, 4},      {2026, 2, kAll, 5, 28},
        {2028, 2, kTue, 5, 29},     {2028, 2, kWeekend, 5, 27},  {2028, 2, kAll, 5, 29},
        {2026, 4, kWed, 5, 29},     {2026, 4, kWorkdays, 5, 30}, {2026, 4, kWeekend, 2, 5},
        {2026, 4, kAll, 5, 30},     {2026, 8, kSat, 5, 29},      {2026, 8, kMon | kThu, 3, 10},
        {2026, 8, kWorkdays, 5, 31}, {2026, 8, kWeekend, 5, 30}, {2026, 8, kAll, 5, 31},
        {2026, 8, kAll, 0, 1},      {2026, 8, kFri, 9, 28},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << "-" << c.m << " mask " << c.mask << " week " << c.week);
        const std::optional<int64_t> day = NthWeekdayOfMonth(c.y, c.m, c.mask, c.week);
        ASSERT_TRUE(day.has_value());
        EXPECT_EQ(DaysFromCivil(c.y, c.m, c.day), *day);
    }
    EXPECT_FALSE(NthWeekdayOfMonth(2026, 8, 0, 1).has_value());
    EXPECT_FALSE(NthWeekdayOfMonth(2026, 13, kAll, 1).has_value());
}

// Wall time and UTC across both changes of a northern and two southern zones. The
// repeated hour is read as its first pass (daylight time); the skipped hour with the
// offset in force before the jump, so it lands as far past the jump.
TEST(ZoneRules, TransitionsBothWaysNorthAndSouth) {
    struct Case {
        const char* what;
        ZoneRule zone;
        int64_t local;
        int64_t utc;
        bool daylight;   // the reading of `local`
    };
    const ZoneRule we = WEurope(), au = AusEastern(), sa = ESouthAmerica();
    const Case toUtc[] = {
        {"WE before the gap", we, At(2026, 3, 29, 1, 59), At(2026, 3, 29, 0, 59), false},
        {"WE gap start", we, At(2026, 3, 29, 2, 0), At(2026, 3, 29, 1, 0), false},
        {"WE in the gap", we, At(2026, 3, 29, 2, 30), At(2026, 3, 29, 1, 30), false},
        {"WE after the gap", we, At(2026, 3, 29, 3, 0), At(2026, 3, 29, 1, 0), true},
        {"WE before the overlap", we, At(2026, 10, 25, 1, 59), At(2026, 10, 24, 23, 59), true},
        {"WE overlap start", we, At(2026, 10, 25, 2, 0), At(2026, 10, 25, 0, 0), true},
        {"WE in the overlap", we, At(2026, 10, 25, 2, 30), At(2026, 10, 25, 0, 30), true},
        {"WE overlap end", we, At(2026, 10, 25, 2, 59), At(2026, 10, 25, 0, 59), true},
        {"WE after the overlap", we, At(2026, 10, 25, 3, 0), At(2026, 10, 25, 2, 0), false},
        {"AU before the gap", au, At(2026, 10, 4, 1, 59), At(2026, 10, 3, 15, 59), false},
        {"AU in the gap", au, At(2026, 10, 4, 2, 30), At(2026, 10, 3, 16, 30), false},
        {"AU after the gap", au, At(2026, 10, 4, 3, 0), At(2026, 10, 3, 16, 0), true},
        {"AU before the overlap", au, At(2026, 4, 5, 1, 59), At(2026, 4, 4, 14, 59), true},
        {"AU overlap start", au, At(2026, 4, 5, 2, 0), At(2026, 4, 4, 15, 0), true},
        {"AU in the overlap", au, At(2026, 4, 5, 2, 30), At(2026, 4, 4, 15, 30), true},
        {"AU after the overlap", au, At(2026, 4, 5, 3, 0), At(2026, 4, 4, 17, 0), false},
        {"AU midsummer", au, At(2026, 1, 1, 12, 0), At(2026, 1, 1, 1, 0), true},
        {"AU midwinter", au, At(2026, 7, 1, 12, 0), At(2026, 7, 1, 2, 0), false},
        {"SA in the gap", sa, At(2026, 10, 18, 0, 30), At(2026, 10, 18, 3, 30), false},
        {"SA after the gap", sa, At(2026, 10, 18, 1, 0), At(2026, 10, 18, 3, 0), true},
        {"SA in the overlap", sa, At(2026, 2, 14, 23, 30), At(2026, 2, 15, 1, 30), true},
        {"SA after the overlap", sa, At(2026, 2, 15, 0, 0), At(2026, 2, 15, 3, 0), false},
    };
    for (const Case& c : toUtc) {
        SCOPED_TRACE(c.what);
        const LocalReading got = ReadLocal(c.zone, c.local);
        EXPECT_EQ(c.utc, got.utc);
        EXPECT_EQ(c.daylight, got.daylight);
        EXPECT_EQ(c.utc, UtcFromLocal(c.zone, c.local));
    }

    struct Back {
        const char* what;
        ZoneRule zone;
        int64_t utc;
        int64_t local;
    };
    const Back toLocal[] = {
        {"WE last standard minute", we, At(2026, 3, 29, 0, 59), At(2026, 3, 29, 1, 59)},
        {"WE jump", we, At(2026, 3, 29, 1, 0), At(2026, 3, 29, 3, 0)},
        {"WE first pass", we, At(2026, 10, 25, 0, 30), At(2026, 10, 25, 2, 30)},
        {"WE second pass", we, At(2026, 10, 25, 1, 30), At(2026, 10, 25, 2, 30)},
        {"WE back to standard", we, At(2026, 10, 25, 1, 0), At(2026, 10, 25, 2, 0)},
        {"AU jump", au, At(2026, 10, 3, 16, 0), At(2026, 10, 4, 3, 0)},
        {"AU last standard minute", au, At(2026, 10, 3, 15, 59), At(2026, 10, 4, 1, 59)},
        {"AU first pass", au, At(2026, 4, 4, 15, 30), At(2026, 4, 5, 2, 30)},
        {"AU second pass", au, At(2026, 4, 4, 16, 30), At(2026, 4, 5, 2, 30)},
        {"SA jump", sa, At(2026, 10, 18, 3, 0), At(2026, 10, 18, 1, 0)},
        {"SA first pass", sa, At(2026, 2, 15, 1, 30), At(2026, 2, 14, 23, 30)},
        {"SA second pass", sa, At(2026, 2, 15, 2, 30), At(2026, 2, 14, 23, 30)},
    };
    for (const Back& c : toLocal) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.local, LocalFromUtc(c.zone, c.utc));
    }

    // Every instant goes to wall time and back unchanged, except the repeated hour's
    // second pass, which comes back as the first.
    for (const ZoneRule& z : {we, au, sa})
        for (int64_t t = At(2026, 1, 1); t < At(2027, 1, 1); t += 37 * kTicksPerMinute) {
            const int64_t back = UtcFromLocal(z, LocalFromUtc(z, t));
            if (back != t) {
                ASSERT_EQ(t - 60 * kTicksPerMinute, back);
            }
        }
}

TEST(Calendar, DaysAndWeekdays) {
    EXPECT_EQ(0, DaysFromCivil(1601, 1, 1));
    EXPECT_EQ(134774, DaysFromCivil(1970, 1, 1));
    EXPECT_EQ(1, DayOfWeek(DaysFromCivil(2026, 12, 7)));   // a Monday
    EXPECT_EQ(0, DayOfWeek(DaysFromCivil(2000, 2, 27)));   // a Sunday
    for (int64_t d : {int64_t(0), int64_t(145731), int64_t(160000), DaysFromCivil(2400, 2, 29)}) {
        const CivilDate c = CivilFromDays(d);
        EXPECT_EQ(d, DaysFromCivil(c));
    }
    const CivilDate c = CivilFromDays(DaysFromCivil(2024, 2, 29));
    EXPECT_EQ(2024, c.year);
    EXPECT_EQ(2, c.month);
    EXPECT_EQ(29, c.day);
}

TEST(ZoneRules, NorthernTransitionsFallOnTheLastSunday) {
    const ZoneRule r = WEurope();
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
    const ZoneRule r = UsEastern();
    // Second Sunday of March 2026 is the 8th; first Sunday of November the 1st.
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 3, 8, 6, 59)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 3, 8, 7, 0)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 11, 1, 5, 59)));
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 11, 1, 6, 0)));
    EXPECT_EQ(240, BiasAtUtc(r, At(2026, 7, 4)));
    EXPECT_EQ(300, BiasAtUtc(r, At(2026, 12, 25)));
}

TEST(ZoneRules, SouthernDaylightSpansTheNewYear) {
    const ZoneRule r = AusEastern();
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 1, 15)));
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 6, 15)));
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 12, 24)));
    // Ends the first Sunday of April (5 April 2026) at 03:00 daylight = 16:00 UTC the day before.
    EXPECT_TRUE(IsDaylightUtc(r, At(2026, 4, 4, 15, 59)));
    EXPECT_FALSE(IsDaylightUtc(r, At(2026, 4, 4, 16, 0)));
}

TEST(ZoneRules, ZonesWithoutDaylightTime) {
    ZoneRule tokyo;
    tokyo.bias = -540;
    EXPECT_FALSE(HasDaylight(tokyo));
    EXPECT_EQ(At(2026, 1, 1, 9), LocalFromUtc(tokyo, At(2026, 1, 1)));
    EXPECT_EQ(At(2026, 1, 1), UtcFromLocal(tokyo, At(2026, 1, 1, 9)));
    // A month out of range is no rule at all, not an index past a table.
    ZoneRule broken = WEurope();
    broken.daylightDate.month = 13;
    EXPECT_FALSE(IsDaylightUtc(broken, At(2026, 7, 1)));
}

TEST(ZoneRules, LocalToUtcAroundTheTransitions) {
    const ZoneRule r = WEurope();
    EXPECT_EQ(At(2026, 12, 7, 8, 30), UtcFromLocal(r, At(2026, 12, 7, 9, 30)));
    EXPECT_EQ(At(2026, 7, 1, 7, 30), UtcFromLocal(r, At(2026, 7, 1, 9, 30)));
    // 02:30 on 25 October happens twice: its first pass, in daylight time.
    EXPECT_EQ(At(2026, 10, 25, 0, 30), UtcFromLocal(r, At(2026, 10, 25, 2, 30)));
    // 02:30 on 29 March never happens: it lands an hour on, at 03:30 daylight time.
    EXPECT_EQ(At(2026, 3, 29, 3, 30), LocalFromUtc(r, UtcFromLocal(r, At(2026, 3, 29, 2, 30))));
}
