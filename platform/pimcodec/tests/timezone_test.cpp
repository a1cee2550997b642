#include "pimcodec/timezone.h"

#include <gtest/gtest.h>

#include "pimcodec/pimtime.h"

using namespace pimcodec;

namespace {
int64_t M(int y, int mo, int d, int h, int mi) { return *MinutesFromCivil({{y, mo, d}, h, mi, 0}); }
}

TEST(TimeZoneBlob, EncodesTheFortyEightByteLayout) {
    std::vector<uint8_t> b = EncodeTimeZone(WesternEuropeZone());
    ASSERT_EQ(b.size(), kTimeZoneBlobSize);
    EXPECT_EQ(b[0], 0xC4);   // bias -60
    EXPECT_EQ(b[3], 0xFF);
    EXPECT_EQ(b[8], 0xC4);   // daylight bias -60
    EXPECT_EQ(b[16], 10);    // standard transition month, after two u16 years
    EXPECT_EQ(b[20], 5);     // ... its wDay: the last week
    EXPECT_EQ(b[22], 3);     // ... at 03:00
    EXPECT_EQ(b[34], 3);     // daylight transition month
    EXPECT_EQ(b[38], 5);
    EXPECT_EQ(b[40], 2);     // ... at 02:00
    TimeZone back;
    ASSERT_EQ(DecodeTimeZone(b.data(), b.size(), &back), Status::kOk);
    EXPECT_EQ(back, WesternEuropeZone());
}

TEST(TimeZoneBlob, RefusesShortOrAbsurdBlobs) {
    std::vector<uint8_t> b = EncodeTimeZone(EasternUsZone());
    TimeZone tz;
    EXPECT_EQ(DecodeTimeZone(b.data(), 47, &tz), Status::kTruncated);
    EXPECT_EQ(DecodeTimeZone(nullptr, 48, &tz), Status::kTruncated);
    b[3] = 0x7F;   // bias of two billion minutes
    EXPECT_EQ(DecodeTimeZone(b.data(), b.size(), &tz), Status::kBadValue);
}

TEST(TimeZone, TransitionDaysFollowTheirWeekOfTheMonth) {
    TimeZone we = WesternEuropeZone();
    EXPECT_EQ(TransitionDay(we.daylightDate, 2026), DaysFromCivil({2026, 3, 29}));
    EXPECT_EQ(TransitionDay(we.standardDate, 2026), DaysFromCivil({2026, 10, 25}));
    // A month whose last Sunday is in the fifth week and one where it is the fourth.
    EXPECT_EQ(TransitionDay(we.standardDate, 2027), DaysFromCivil({2027, 10, 31}));
    EXPECT_EQ(TransitionDay(EasternUsZone().daylightDate, 2026), DaysFromCivil({2026, 3, 8}));
    EXPECT_EQ(TransitionDay(EasternUsZone().standardDate, 2026), DaysFromCivil({2026, 11, 1}));
}

TEST(TimeZone, LocalAndUtcAroundTheChanges) {
    TimeZone we = WesternEuropeZone();
    EXPECT_EQ(LocalToUtc(we, M(2026, 12, 7, 9, 0)), M(2026, 12, 7, 8, 0));
    EXPECT_EQ(LocalToUtc(we, M(2026, 7, 1, 9, 0)), M(2026, 7, 1, 7, 0));
    // Spring: 02:00 local becomes 03:00, at 01:00 UTC.
    EXPECT_FALSE(IsDaylightUtc(we, M(2026, 3, 29, 0, 59)));
    EXPECT_TRUE(IsDaylightUtc(we, M(2026, 3, 29, 1, 0)));
    EXPECT_EQ(LocalToUtc(we, M(2026, 3, 29, 3, 0)), M(2026, 3, 29, 1, 0));
    EXPECT_EQ(LocalToUtc(we, M(2026, 3, 29, 1, 59)), M(2026, 3, 29, 0, 59));
    // Autumn: 03:00 local falls back to 02:00, at 01:00 UTC; 02:30 means its first pass.
    EXPECT_TRUE(IsDaylightUtc(we, M(2026, 10, 25, 0, 59)));
    EXPECT_FALSE(IsDaylightUtc(we, M(2026, 10, 25, 1, 0)));
    EXPECT_EQ(LocalToUtc(we, M(2026, 10, 25, 2, 30)), M(2026, 10, 25, 0, 30));
    EXPECT_EQ(LocalToUtc(we, M(2026, 10, 25, 3, 0)), M(2026, 10, 25, 2, 0));
    for (int64_t t = M(2026, 3, 28, 0, 0); t < M(2026, 3, 30, 0, 0); t += 15)
        ASSERT_EQ(LocalToUtc(we, UtcToLocal(we, t)), t);
    EXPECT_EQ(UtcToLocal(EasternUsZone(), M(2026, 12, 7, 14, 0)), M(2026, 12, 7, 9, 0));
    EXPECT_EQ(UtcToLocal(UtcZone(), 12345), 12345);
}

TEST(TimeZone, BrokenTransitionRulesMeanNoDaylightTime) {
    TimeZone tz = WesternEuropeZone();
    tz.daylightDate.month = 13;
    tz.standardDate.day = 0;
    EXPECT_FALSE(IsDaylightLocal(tz, M(2026, 7, 1, 12, 0)));
    EXPECT_EQ(LocalToUtc(tz, M(2026, 7, 1, 12, 0)), M(2026, 7, 1, 11, 0));
}

// Minutes from an absurd OLE date or a fuzzed stream reach far past any calendar;
// they take the standard offset instead of overflowing on the way to ticks.
TEST(TimeZone, MinutesBeyondAnyCalendarTakeTheStandardOffset) {
    const TimeZone we = WesternEuropeZone();
    for (const int64_t minutes : {int64_t(9.0e15), -int64_t(9.0e15), INT64_MAX / 2, INT64_MIN / 2}) {
        SCOPED_TRACE(minutes);
        EXPECT_EQ(LocalToUtc(we, minutes), minutes - 60);
        EXPECT_EQ(UtcToLocal(we, minutes), minutes + 60);
        EXPECT_FALSE(IsDaylightLocal(we, minutes));
        EXPECT_FALSE(IsDaylightUtc(we, minutes));
    }
}
