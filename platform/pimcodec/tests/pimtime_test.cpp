#include "pimcodec/pimtime.h"

#include <gtest/gtest.h>

using namespace pimcodec;

TEST(PimTime, CivilDaysRoundTripAcrossCenturiesAndLeapDays) {
    EXPECT_EQ(DaysFromCivil({1601, 1, 1}), 0);
    EXPECT_EQ(DaysFromCivil({1899, 12, 30}), kOleEpochDays);
    for (int64_t d = -1000; d < 1200000; d += 997) {
        CivilDate c = CivilFromDays(d);
        ASSERT_TRUE(IsValidDate(c)) << d;
        ASSERT_EQ(DaysFromCivil(c), d);
    }
    EXPECT_EQ(DaysFromCivil({2000, 3, 1}) - DaysFromCivil({2000, 2, 28}), 2);
    EXPECT_EQ(DaysFromCivil({1900, 3, 1}) - DaysFromCivil({1900, 2, 28}), 1);
    EXPECT_FALSE(IsValidDate({2026, 2, 29}));
    EXPECT_TRUE(IsValidDate({2028, 2, 29}));
}

TEST(PimTime, Weekdays) {
    EXPECT_EQ(WeekdayOfDays(0), 1);                              // 1601-01-01 Monday
    EXPECT_EQ(WeekdayOfDays(DaysFromCivil({2026, 12, 7})), 1);   // Monday
    EXPECT_EQ(WeekdayOfDays(DaysFromCivil({2026, 12, 6})), 0);   // Sunday
    EXPECT_EQ(WeekdayOfDays(-1), 0);
}

TEST(PimTime, OleDatesMatchTheStoreConversion) {
    // minutes/1440 - 109205, midnight exact.
    uint32_t m = *MinutesFromCivil({{2026, 12, 7}, 0, 0, 0});
    EXPECT_DOUBLE_EQ(OleFromMinutes(m), double(m) / 1440 - 109205);
    EXPECT_DOUBLE_EQ(OleFromMinutes(m), 46363.0);
    EXPECT_DOUBLE_EQ(OleFromMinutes(m + 18 * 60), 46363.75);
    EXPECT_EQ(MinutesFromOle(46363.75), int64_t(m) + 18 * 60);
    // Every minute of a day survives the trip through a double.
    for (int i = 0; i < 1440; ++i) ASSERT_EQ(MinutesFromOle(OleFromMinutes(m + i)), m + i);
    // Before 1899-12-30 the fraction is positive while the day is negative.
    int64_t before = int64_t(DaysFromCivil({1899, 12, 29})) * 1440 + 6 * 60;
    EXPECT_DOUBLE_EQ(OleFromMinutes(before), -1.25);
    EXPECT_EQ(MinutesFromOle(-1.25), before);
    EXPECT_DOUBLE_EQ(OleFromFiletime(NoDateFiletime()), kOleNoDate);
}

TEST(PimTime, FiletimesTruncateToTheMinuteAndRejectGarbage) {
    uint64_t ft = FiletimeFromCivil({{2026, 12, 7}, 9, 30, 45});
    CivilDateTime t = CivilFromFiletime(ft);
    EXPECT_EQ(t.date.day, 7);
    EXPECT_EQ(t.hour, 9);
    EXPECT_EQ(t.minute, 30);
    EXPECT_EQ(t.second, 45);
    EXPECT_EQ(FiletimeFromMinutes(MinutesFromFiletime(ft)), FiletimeFromCivil({{2026, 12, 7}, 9, 30, 0}));
    EXPECT_EQ(MinutesFromOle(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(MinutesFromOle(-1e300), 0);
    EXPECT_FALSE(MinutesFromCivil({{9999, 1, 1}, 0, 0, 0}).has_value());
    EXPECT_FALSE(MinutesFromCivil({{1600, 12, 31}, 0, 0, 0}).has_value());
}
