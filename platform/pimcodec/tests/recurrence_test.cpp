#include "pimcodec/recurrence.h"

#include <gtest/gtest.h>

#include "pimcodec/pimtime.h"

using namespace pimcodec;

namespace {
uint32_t Day(int y, int m, int d) { return *MinutesFromCivil({{y, m, d}, 0, 0, 0}); }
uint32_t At(int y, int m, int d, int h, int mi) { return *MinutesFromCivil({{y, m, d}, h, mi, 0}); }
uint32_t U32At(const std::vector<uint8_t>& b, size_t off) {
    return b[off] | b[off + 1] << 8 | b[off + 2] << 16 | uint32_t(b[off + 3]) << 24;
}
uint16_t U16At(const std::vector<uint8_t>& b, size_t off) { return uint16_t(b[off] | b[off + 1] << 8); }

Recurrence Weekly() {
    Recurrence r;
    r.type = PatternType::kWeekly;
    r.weekdays = kMonday | kWednesday;
    r.patternStart = Day(2026, 11, 30);
    r.startOffset = 9 * 60;
    r.endOffset = 10 * 60;
    r.endType = EndType::kAfterCount;
    r.occurrences = 6;
    EXPECT_EQ(ComputePatternEnd(&r), Status::kOk);
    return r;
}

Recurrence RoundTrip(const Recurrence& r) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(EncodeRecurrence(r, &bytes), Status::kOk);
    Recurrence back;
    EXPECT_EQ(DecodeRecurrence(bytes.data(), bytes.size(), &back), Status::kOk);
    return back;
}
}  // namespace

TEST(RecurrenceLayout, FieldOffsetsPerType) {
    Recurrence d;
    d.type = PatternType::kDaily;
    d.interval = 2;
    d.patternStart = Day(2026, 12, 1);
    d.endType = EndType::kNever;
    ASSERT_EQ(ComputePatternEnd(&d), Status::kOk);
    d.removed = {Day(2026, 12, 3)};
    std::vector<uint8_t> b;
    ASSERT_EQ(EncodeRecurrence(d, &b), Status::kOk);
    EXPECT_EQ(U16At(b, 6), 0);
    EXPECT_EQ(U32At(b, 14), 2u * 1440);   // daily periods are minutes
    EXPECT_EQ(U16At(b, 22), 0x2023);
    EXPECT_EQ(U32At(b, 34), 1u);
    EXPECT_EQ(U32At(b, 38), Day(2026, 12, 3));
    EXPECT_EQ(U32At(b, 42), 0u);   // modified count
    EXPECT_EQ(U32At(b, 46), d.patternStart);
    EXPECT_EQ(U32At(b, 50), kNeverEndDate);

    Recurrence w = Weekly();
    ASSERT_EQ(EncodeRecurrence(w, &b), Status::kOk);
    EXPECT_EQ(U16At(b, 6), 1);
    EXPECT_EQ(U32At(b, 14), 1u);
    EXPECT_EQ(U16At(b, 22), kMonday | kWednesday);
    EXPECT_EQ(U16At(b, 26), 0x2022);
    EXPECT_EQ(U16At(b, 30), 6);
    EXPECT_EQ(U32At(b, 38), 0u);

    Recurrence n;
    n.type = PatternType::kMonthNth;
    n.weekdays = kThursday;
    n.week = 5;
    n.patternStart = Day(2026, 12, 31);
    n.endType = EndType::kNever;
    n.patternEnd = kNeverEndDate;
    ASSERT_EQ(EncodeRecurrence(n, &b), Status::kOk);
    EXPECT_EQ(U16At(b, 6), 3);
    EXPECT_EQ(U16At(b, 22), kThursday);
    EXPECT_EQ(U16At(b, 26), 5);
    EXPECT_EQ(U16At(b, 30), 0x2023);
    EXPECT_EQ(U32At(b, 42), 0u);
    // Exception count sits 24 bytes after the pattern start date.
    size_t ps = 46 + 4;   // no deleted dates, modified count
    EXPECT_EQ(U32At(b, ps), n.patternStart);
    EXPECT_EQ(U16At(b, ps + 24), 0);
    EXPECT_EQ(b.size(), ps + 26);
}

TEST(RecurrenceLayout, ExceptionsAndDeletedDatesShareTheDeletedList) {
    Recurrence r = Weekly();
    r.removed = {Day(2026, 12, 2)};
    Exception moved;
    moved.originalDate = Day(2026, 12, 7);
    moved.start = At(2026, 12, 8, 14, 0);
    moved.end = At(2026, 12, 8, 15, 30);
    moved.subject = u"Moved review";
    moved.busyStatus = 1;
    r.exceptions = {moved};
    std::vector<uint8_t> b;
    ASSERT_EQ(EncodeRecurrence(r, &b), Status::kOk);
    EXPECT_EQ(U32At(b, 38), 2u);
    EXPECT_EQ(U32At(b, 42), Day(2026, 12, 2));
    EXPECT_EQ(U32At(b, 46), Day(2026, 12, 7));
    EXPECT_EQ(U32At(b, 50), 1u);
    EXPECT_EQ(U32At(b, 54), Day(2026, 12, 8));   // the new day goes into the modified list
    size_t ps = 58;
    EXPECT_EQ(int32_t(U32At(b, ps + 16)), 9 * 60);
    EXPECT_EQ(int32_t(U32At(b, ps + 20)), 10 * 60);
    EXPECT_EQ(U16At(b, ps + 24), 1);
    size_t ex = ps + 26;
    EXPECT_EQ(U32At(b, ex), moved.start);
    EXPECT_EQ(U32At(b, ex + 8), moved.originalDate);
    EXPECT_EQ(U16At(b, ex + 12), kOverrideSubject | kOverrideBusyStatus);
    EXPECT_EQ(U16At(b, ex + 14), 13);   // characters + 1
    EXPECT_EQ(U16At(b, ex + 16), 12);
    EXPECT_EQ(U16At(b, ex + 18), u'M');
    EXPECT_EQ(U32At(b, ex + 18 + 24), 1u);
    EXPECT_EQ(b.size(), ex + 18 + 24 + 4);
}

TEST(RecurrenceRoundTrip, EveryTypeAndEndWithExceptions) {
    Recurrence base = Weekly();
    Exception full;
    full.originalDate = Day(2026, 12, 9);
    full.start = At(2026, 12, 9, 0, 0);
    full.end = At(2026, 12, 10, 0, 0);
    full.subject = u"Ερώτηση – вопрос – שאלה";
    full.location = u"";
    full.busyStatus = 3;
    full.allDay = true;
    full.notes = std::vector<uint8_t>{1, 2, 3};
    full.reminderSet = 0;
    full.attachment = 7;
    base.exceptions = {full};
    base.removed = {Day(2026, 11, 30), Day(2026, 12, 2)};
    EXPECT_EQ(RoundTrip(base), base);

    struct Case { PatternType t; uint32_t iv; uint16_t wd, dom, wk; };
    const Case cases[] = {
        {PatternType::kDaily, 3, 0, 0, 0},        {PatternType::kWeekly, 2, 0x7F, 0, 0},
        {PatternType::kMonthly, 1, 0, 31, 0},     {PatternType::kMonthNth, 2, kFriday, 0, 2},
        {PatternType::kYearly, 12, 0, 29, 0},     {PatternType::kYearNth, 12, 0x3E, 0, 5},
    };
    for (const Case& c : cases) {
        for (EndType end : {EndType::kByDate, EndType::kAfterCount, EndType::kNever}) {
            Recurrence r;
            r.type = c.t;
            r.interval = c.iv;
            r.weekdays = c.wd;
            r.dayOfMonth = c.dom;
            r.week = c.wk;
            r.patternStart = Day(2024, 2, 29);
            r.startOffset = 23 * 60 + 30;
            r.endOffset = 25 * 60;   // past midnight
            r.endType = end;
            r.occurrences = end == EndType::kAfterCount ? 5 : 0;
            r.patternEnd = end == EndType::kByDate ? Day(2040, 1, 1) : 0;
            ASSERT_EQ(ComputePatternEnd(&r), Status::kOk) << int(c.t) << " " << int(end);
            EXPECT_EQ(RoundTrip(r), r) << int(c.t) << " " << int(end);
        }
    }
}

TEST(RecurrenceExpansion, StepsFollowEachPatternKind) {
    Recurrence w = Weekly();   // Mon+Wed from Mon 2026-11-30, six times
    EXPECT_EQ(w.patternEnd, Day(2026, 12, 16));
    auto days = OccurrenceDays(w, kNeverEndDate, 100);
    ASSERT_EQ(days.size(), 6u);
    EXPECT_EQ(days[1], Day(2026, 12, 2));
    EXPECT_EQ(days[2], Day(2026, 12, 7));

    Recurrence m;   // the 31st, every month: short months clamp to their last day
    m.type = PatternType::kMonthly;
    m.dayOfMonth = 31;
    m.patternStart = Day(2027, 1, 31);
    m.endType = EndType::kAfterCount;
    m.occurrences = 3;
    ASSERT_EQ(ComputePatternEnd(&m), Status::kOk);
    days = OccurrenceDays(m, kNeverEndDate, 100);
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[1], Day(2027, 2, 28));
    EXPECT_EQ(days[2], Day(2027, 3, 31));

    Recurrence y;   // the last Thursday of November, yearly
    y.type = PatternType::kYearNth;
    y.interval = 12;
    y.weekdays = kThursday;
    y.week = 5;
    y.patternStart = Day(2026, 11, 26);
    y.endType = EndType::kNever;
    ASSERT_EQ(ComputePatternEnd(&y), Status::kOk);
    days = OccurrenceDays(y, Day(2028, 12, 31), 100);
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[1], Day(2027, 11, 25));
    EXPECT_EQ(days[2], Day(2028, 11, 30));

    Recurrence d;   // every 2 days, ending by a date
    d.type = PatternType::kDaily;
    d.interval = 2;
    d.patternStart = Day(2026, 12, 1);
    d.endType = EndType::kByDate;
    d.patternEnd = Day(2026, 12, 6);
    EXPECT_EQ(OccurrenceDays(d, kNeverEndDate, 100).size(), 3u);
    EXPECT_EQ(OccurrenceDays(d, Day(2026, 12, 2), 100).size(), 1u);
}

// Week 5 of a month-nth or year-nth pattern is the month's last matching day, for a
// mask of one day, of several ("the last weekday") and of all ("the last day"); weeks
// 1..4 count matching days from the month's start. The end of a counted series is
// the last of those days.
TEST(RecurrenceExpansion, NthWeekOfTheMonthWithAnyWeekdayMask) {
    const uint16_t kWorkdays = kMonday | kTuesday | kWednesday | kThursday | kFriday;
    const uint16_t kWeekend = kSaturday | kSunday, kEveryDay = 0x7F;
    struct Case {
        const char* what;
        PatternType type;
        uint16_t weekdays;
        uint16_t week;
        std::vector<uint32_t> days;
    };
    // From February 2026 (28 days) monthly through March (31), April (30) and May (31);
    // yearly through February 2027 (28) and 2028 (29).
    const Case cases[] = {
        {"last Sunday", PatternType::kMonthNth, kSunday, 5,
         {Day(2026, 2, 22), Day(2026, 3, 29), Day(2026, 4, 26), Day(2026, 5, 31)}},
        {"last weekday", PatternType::kMonthNth, kWorkdays, 5,
         {Day(2026, 2, 27), Day(2026, 3, 31), Day(2026, 4, 30), Day(2026, 5, 29)}},
        {"last weekend day", PatternType::kMonthNth, kWeekend, 5,
         {Day(2026, 2, 28), Day(2026, 3, 29), Day(2026, 4, 26), Day(2026, 5, 31)}},
        {"last day", PatternType::kMonthNth, kEveryDay, 5,
         {Day(2026, 2, 28), Day(2026, 3, 31), Day(2026, 4, 30), Day(2026, 5, 31)}},
        {"second weekday", PatternType::kMonthNth, kWorkdays, 2,
         {Day(2026, 2, 3), Day(2026, 3, 3), Day(2026, 4, 2), Day(2026, 5, 4)}},
        {"fourth weekend day", PatternType::kMonthNth, kWeekend, 4,
         {Day(2026, 2, 14), Day(2026, 3, 14), Day(2026, 4, 12), Day(2026, 5, 10)}},
        {"first day", PatternType::kMonthNth, kEveryDay, 1,
         {Day(2026, 2, 1), Day(2026, 3, 1), Day(2026, 4, 1), Day(2026, 5, 1)}},
        {"last day of February", PatternType::kYearNth, kEveryDay, 5,
         {Day(2026, 2, 28), Day(2027, 2, 28), Day(2028, 2, 29)}},
        {"last weekday of February", PatternType::kYearNth, kWorkdays, 5,
         {Day(2026, 2, 27), Day(2027, 2, 26), Day(2028, 2, 29)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recurrence r;
        r.type = c.type;
        r.interval = c.type == PatternType::kYearNth ? 12 : 1;
        r.weekdays = c.weekdays;
        r.week = c.week;
        r.patternStart = Day(2026, 2, 1);
        r.endType = EndType::kAfterCount;
        r.occurrences = uint32_t(c.days.size());
        ASSERT_EQ(ComputePatternEnd(&r), Status::kOk);
        EXPECT_EQ(c.days.back(), r.patternEnd);
        EXPECT_EQ(c.days, OccurrenceDays(r, kNeverEndDate, 100));
    }
}

TEST(RecurrenceValidate, RefusesPatternsThatCannotExpand) {
    Recurrence r = Weekly();
    std::vector<uint8_t> b;
    Recurrence bad = r;
    bad.interval = 0;
    EXPECT_EQ(EncodeRecurrence(bad, &b), Status::kBadValue);
    bad = r;
    bad.weekdays = 0;
    EXPECT_EQ(EncodeRecurrence(bad, &b), Status::kBadValue);
    bad = r;
    bad.endOffset = r.startOffset - 1;
    EXPECT_EQ(EncodeRecurrence(bad, &b), Status::kBadValue);
    bad = r;
    bad.removed = {Day(2026, 12, 7)};
    Exception e;
    e.originalDate = Day(2026, 12, 7);
    e.start = e.end = At(2026, 12, 7, 12, 0);
    bad.exceptions = {e};
    EXPECT_EQ(EncodeRecurrence(bad, &b), Status::kInconsistent);   // the same day twice
    bad = r;
    bad.exceptions = {e};
    bad.exceptions[0].subject = std::u16string(256, u'x');
    EXPECT_EQ(EncodeRecurrence(bad, &b), Status::kBadValue);
    bad = r;
    bad.type = PatternType(4);
    EXPECT_EQ(EncodeRecurrence(bad, &b), Status::kBadType);
    Recurrence never;   // a month-nth pattern whose weekday never comes before its end
    never.type = PatternType::kMonthly;
    never.dayOfMonth = 5;
    never.patternStart = Day(2026, 12, 10);
    never.endType = EndType::kByDate;
    never.patternEnd = Day(2026, 12, 31);
    EXPECT_EQ(ComputePatternEnd(&never), Status::kInconsistent);
}

TEST(RecurrenceDecode, UntrustedBytesGiveErrorsNotCrashes) {
    Recurrence r = Weekly();
    Exception e;
    e.originalDate = Day(2026, 12, 7);
    e.start = At(2026, 12, 7, 11, 0);
    e.end = At(2026, 12, 7, 12, 0);
    e.location = u"Room 4";
    e.notes = std::vector<uint8_t>(10, 'n');
    r.exceptions = {e};
    std::vector<uint8_t> good;
    ASSERT_EQ(EncodeRecurrence(r, &good), Status::kOk);
    Recurrence out;
    for (size_t n = 0; n < good.size(); ++n)
        ASSERT_EQ(DecodeRecurrence(good.data(), n, &out), Status::kTruncated) << n;
    EXPECT_EQ(DecodeRecurrence(nullptr, 0, &out), Status::kTruncated);

    std::vector<uint8_t> b = good;
    b[6] = 4;   // type 4 is not defined
    EXPECT_EQ(DecodeRecurrence(b.data(), b.size(), &out), Status::kBadType);
    b = good;
    b[14] = b[15] = 0;   // zero period would never advance
    EXPECT_EQ(DecodeRecurrence(b.data(), b.size(), &out), Status::kBadValue);
    b = good;
    b[38] = 0xFF; b[39] = 0xFF; b[40] = 0xFF; b[41] = 0x7F;   // deleted count huge
    EXPECT_EQ(DecodeRecurrence(b.data(), b.size(), &out), Status::kTooLarge);
    b = good;
    b[54 + 24] = 2;   // exception count differs from the modified count
    EXPECT_EQ(DecodeRecurrence(b.data(), b.size(), &out), Status::kInconsistent);
    b = good;
    b[42] ^= 0x01;   // the deleted date no longer matches the exception's replaced date
    EXPECT_EQ(DecodeRecurrence(b.data(), b.size(), &out), Status::kInconsistent);
    b = good;
    size_t notesLen = b.size() - 10 - 4;
    b[notesLen + 3] = 0x80;   // notes length past the end
    EXPECT_EQ(DecodeRecurrence(b.data(), b.size(), &out), Status::kTruncated);
    // Trailing bytes are tolerated, as other writers pad.
    b = good;
    b.resize(b.size() + 8, 0);
    EXPECT_EQ(DecodeRecurrence(b.data(), b.size(), &out), Status::kOk);
    EXPECT_EQ(out, r);
}

TEST(RecurrenceDecode, OverlongExceptionTextIsCutTo255) {
    Recurrence r = Weekly();
    Exception e;
    e.originalDate = Day(2026, 12, 7);
    e.start = e.end = At(2026, 12, 7, 9, 0);
    e.subject = std::u16string(255, u'a');
    r.exceptions = {e};
    std::vector<uint8_t> b;
    ASSERT_EQ(EncodeRecurrence(r, &b), Status::kOk);
    // Rewrite the subject as 300 characters, as a foreign writer might.
    size_t text = 54 + 26 + 14;   // one deleted and one modified date
    b[text] = 45; b[text + 1] = 1;       // 301
    b[text + 2] = 44; b[text + 3] = 1;   // 300
    b.insert(b.begin() + text + 4, 90, 'b');
    Recurrence out;
    ASSERT_EQ(DecodeRecurrence(b.data(), b.size(), &out), Status::kOk);
    ASSERT_EQ(out.exceptions.size(), 1u);
    EXPECT_EQ(out.exceptions[0].subject->size(), 255u);
}

// A degenerate pattern (zero period, empty mask, week out of range) yields nothing
// at once, however wide the window; a huge window is cut at the limit.
TEST(RecurrenceExpansion, DegenerateAndUnboundedWindows) {
    Recurrence base;
    base.type = PatternType::kDaily;
    base.interval = 1;
    base.patternStart = Day(1990, 1, 1);
    base.endType = EndType::kNever;
    ASSERT_EQ(ComputePatternEnd(&base), Status::kOk);
    struct Case {
        const char* name;
        void (*spoil)(Recurrence&);
    };
    const Case cases[] = {
        {"zero period", [](Recurrence& r) { r.interval = 0; }},
        {"weekly empty mask", [](Recurrence& r) { r.type = PatternType::kWeekly; r.weekdays = 0; }},
        {"nth week 0", [](Recurrence& r) { r.type = PatternType::kMonthNth; r.weekdays = kMonday; r.week = 0; }},
        {"nth week 6", [](Recurrence& r) { r.type = PatternType::kMonthNth; r.weekdays = kMonday; r.week = 6; }},
        {"nth empty mask", [](Recurrence& r) { r.type = PatternType::kYearNth; r.interval = 12; r.week = 2; }},
        {"day of month 0", [](Recurrence& r) { r.type = PatternType::kMonthly; r.dayOfMonth = 0; }},
    };
    for (const Case& c : cases) {
        Recurrence r = base;
        c.spoil(r);
        EXPECT_TRUE(OccurrenceDaysBetween(r, 0, kNeverEndDate, 1000000).empty()) << c.name;
    }
    EXPECT_EQ(500u, OccurrenceDaysBetween(base, 0, kNeverEndDate, 500).size());
    // Decades after the start, one day of a daily series is one occurrence.
    EXPECT_EQ(std::vector<uint32_t>{Day(2026, 12, 7)},
              OccurrenceDaysBetween(base, Day(2026, 12, 7), Day(2026, 12, 7) + 1439, 10));
}
