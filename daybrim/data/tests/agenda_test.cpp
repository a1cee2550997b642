// The agenda's rules without a store: local times, listed days, occurrences of
// recurring series, task places and template names.
#include "agenda_build.h"

#include <gtest/gtest.h>

#include <cmath>

#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"

using namespace daybrim;
using namespace daybrim::agenda;
using pimcodec::TimeZone;

namespace {

double Ole(int y, int m, int d, int h = 0, int mi = 0) {
    return double(pimcodec::DaysFromCivil({y, m, d}) - pimcodec::kOleEpochDays) + (h * 60 + mi) / 1440.0;
}
int32_t DayNo(int y, int m, int d) { return int32_t(Ole(y, m, d)); }
uint32_t Minutes(int y, int m, int d, int h = 0, int mi = 0) {
    return *pimcodec::MinutesFromCivil({{y, m, d}, h, mi, 0});
}
uint64_t UtcTicks(int y, int m, int d, int h, int mi = 0) {
    return pimcodec::FiletimeFromCivil({{y, m, d}, h, mi, 0});
}

// Sydney: daylight time from the first Sunday of October to the first Sunday of April.
TimeZone AusEastern() {
    TimeZone z;
    z.bias = -600;
    z.daylightBias = -60;
    z.standardDate.month = 4;
    z.standardDate.day = 1;
    z.standardDate.hour = 3;
    z.daylightDate.month = 10;
    z.daylightDate.day = 1;
    z.daylightDate.hour = 2;
    return z;
}

// Compares OLE times to the minute.
::testing::AssertionResult SameMinute(double want, double got) {
    if (std::llround(want * 1440) == std::llround(got * 1440)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "want " << want << " got " << got << " (" << (got - want) * 1440
                                         << " minutes off)";
}

TApptItem Master(pimcodec::Recurrence r, const TimeZone* zone, const wchar_t* title, bool allDay = false) {
    TApptItem a;
    a.SetTitle(title);
    a.poomId = 0x40000001;
    a.oid = 77;
    a.recurrence = 1;
    a.allDay = allDay;
    if (r.endType == pimcodec::EndType::kNever || r.endType == pimcodec::EndType::kAfterCount)
        EXPECT_EQ(pimcodec::ComputePatternEnd(&r), pimcodec::Status::kOk);
    EXPECT_EQ(pimcodec::EncodeRecurrence(r, &a.pattern), pimcodec::Status::kOk);
    if (zone) a.timeZone = pimcodec::EncodeTimeZone(*zone);
    return a;
}

}  // namespace

TEST(AgendaTimes, LocalStartTakesTheBiasOfItsOwnDate) {
    const TimeZone we = pimcodec::WesternEuropeZone(), us = pimcodec::EasternUsZone(), au = AusEastern();
    struct Case {
        const char* name;
        const TimeZone* zone;
        uint64_t utc;
        bool allDay, recurring;
        double want;
    };
    const Case cases[] = {
        {"winter", &we, UtcTicks(2026, 12, 7, 12), false, false, Ole(2026, 12, 7, 13)},
        {"summer seen in winter", &we, UtcTicks(2026, 7, 1, 12), false, false, Ole(2026, 7, 1, 14)},
        {"just before spring change", &we, UtcTicks(2026, 3, 29, 0, 59), false, false, Ole(2026, 3, 29, 1, 59)},
        {"just after spring change", &we, UtcTicks(2026, 3, 29, 1), false, false, Ole(2026, 3, 29, 3)},
        {"autumn change", &we, UtcTicks(2026, 10, 25, 1), false, false, Ole(2026, 10, 25, 2)},
        {"south in its summer", &au, UtcTicks(2026, 1, 15, 0), false, false, Ole(2026, 1, 15, 11)},
        {"south in its winter", &au, UtcTicks(2026, 7, 15, 0), false, false, Ole(2026, 7, 15, 10)},
        {"all-day at local midnight", &we, UtcTicks(2026, 12, 6, 23), true, false, Ole(2026, 12, 7)},
        // Kept at another zone's midnight: the stored date, rounded up from 13:00 on.
        {"all-day late UTC rounds up", &us, UtcTicks(2026, 12, 6, 23), true, false, Ole(2026, 12, 7)},
        {"all-day early UTC stays", &we, UtcTicks(2026, 12, 7, 5), true, false, Ole(2026, 12, 7)},
        {"all-day noon UTC stays", &au, UtcTicks(2026, 12, 7, 12, 59), true, false, Ole(2026, 12, 7)},
        {"recurring all-day converts", &us, UtcTicks(2026, 12, 6, 23), true, true, Ole(2026, 12, 6, 18)},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(SameMinute(c.want, LocalStart(c.utc, c.allDay, c.recurring, *c.zone))) << c.name;
}

TEST(AgendaRecurrence, RemovedAndMovedOccurrences) {
    const TimeZone we = pimcodec::WesternEuropeZone();
    pimcodec::Recurrence r;
    r.type = pimcodec::PatternType::kWeekly;
    r.weekdays = pimcodec::kMonday | pimcodec::kWednesday;
    r.patternStart = Minutes(2026, 11, 30);
    r.startOffset = 9 * 60;
    r.endOffset = 10 * 60;
    r.endType = pimcodec::EndType::kNever;
    r.removed = {Minutes(2026, 12, 9)};
    pimcodec::Exception moved;
    moved.originalDate = Minutes(2026, 12, 7);
    moved.start = Minutes(2026, 12, 8, 14);
    moved.end = Minutes(2026, 12, 8, 15);
    moved.subject = u"Moved";
    moved.location = u"Room 2";
    moved.busyStatus = 2;
    moved.notes = std::vector<uint8_t>{1};
    // Moved from outside the range into it.
    pimcodec::Exception pulled;
    pulled.originalDate = Minutes(2026, 12, 16);
    pulled.start = Minutes(2026, 12, 12, 8);
    pulled.end = Minutes(2026, 12, 12, 8, 30);
    pulled.allDay = true;
    r.exceptions = {moved, pulled};
    const TApptItem master = Master(r, &we, L"Standup");

    auto got = ExpandOccurrences(master, DayNo(2026, 12, 7), DayNo(2026, 12, 14), we, {});
    struct Want {
        double start, end;
        const wchar_t* title;
        const wchar_t* location;
        int busy;
        double note;
        bool allDay;
    };
    const Want want[] = {
        {Ole(2026, 12, 14, 9), Ole(2026, 12, 14, 10), L"Standup", L"", 0, 0, false},
        {Ole(2026, 12, 8, 14), Ole(2026, 12, 8, 15), L"Moved", L"Room 2", 2, 1, false},
        {Ole(2026, 12, 12, 8), Ole(2026, 12, 12, 8, 30), L"Standup", L"", 0, 0, true},
    };
    ASSERT_EQ(std::size(want), got.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(SameMinute(want[i].start, got[i]->start));
        EXPECT_TRUE(SameMinute(want[i].end, got[i]->end));
        EXPECT_EQ(want[i].title, got[i]->title);
        EXPECT_EQ(want[i].location, got[i]->location);
        EXPECT_EQ(want[i].busy, got[i]->busy);
        EXPECT_EQ(want[i].note, got[i]->note.value);
        EXPECT_EQ(want[i].allDay, got[i]->allDay);
        EXPECT_EQ(2, got[i]->recurrence);
        EXPECT_EQ(master.poomId, got[i]->poomId);
        EXPECT_EQ(master.oid, got[i]->oid);
        EXPECT_TRUE(got[i]->pattern.empty());
    }
}

TEST(AgendaRecurrence, YearlyCountersAndCountedEnds) {
    pimcodec::Recurrence birthday;
    birthday.type = pimcodec::PatternType::kYearly;
    birthday.interval = 12;
    birthday.dayOfMonth = 8;
    birthday.patternStart = Minutes(1992, 12, 8);
    birthday.endOffset = 1440;
    birthday.endType = pimcodec::EndType::kNever;
    pimcodec::Recurrence monthly12 = birthday;
    monthly12.type = pimcodec::PatternType::kMonthly;
    pimcodec::Recurrence yearNth = birthday;
    yearNth.type = pimcodec::PatternType::kYearNth;
    yearNth.weekdays = pimcodec::kTuesday;
    yearNth.week = 2;  // 2026-12-08 is the second Tuesday
    pimcodec::Recurrence counted;
    counted.type = pimcodec::PatternType::kDaily;
    counted.patternStart = Minutes(2026, 12, 5);
    counted.startOffset = 9 * 60;
    counted.endOffset = 10 * 60;
    counted.endType = pimcodec::EndType::kAfterCount;
    counted.occurrences = 3;
    struct Case {
        const char* name;
        pimcodec::Recurrence r;
        bool counters;
        std::vector<std::wstring> titles;
    };
    const Case cases[] = {
        {"yearly with counters", birthday, true, {L"Bo (34)"}},
        {"yearly without", birthday, false, {L"Bo"}},
        {"every 12 months counts too", monthly12, true, {L"Bo (34)"}},
        {"year-nth has no counter", yearNth, true, {L"Bo"}},
        // Ends after three: 5, 6 and 7 December; the last is still listed.
        {"counted series keeps its last", counted, true, {L"Bo"}},
    };
    for (const Case& c : cases) {
        const TimeZone utc;
        auto got = ExpandOccurrences(Master(c.r, nullptr, L"Bo", c.r.endOffset == 1440), DayNo(2026, 12, 7),
                                     DayNo(2026, 12, 13), utc, {c.counters});
        std::vector<std::wstring> titles;
        for (auto& a : got) titles.push_back(a->title);
        EXPECT_EQ(c.titles, titles) << c.name;
    }
}

// A series kept in New York's wall clock, seen on devices in Europe and Sydney:
// the weeks where only one side has changed its clocks move the occurrence by an hour.
TEST(AgendaRecurrence, OccurrencesFollowTheAppointmentsOwnZone) {
    const TimeZone us = pimcodec::EasternUsZone(), we = pimcodec::WesternEuropeZone(), au = AusEastern();
    pimcodec::Recurrence r;
    r.type = pimcodec::PatternType::kDaily;
    r.patternStart = Minutes(2026, 1, 1);
    r.startOffset = 9 * 60;
    r.endOffset = 10 * 60;
    r.endType = pimcodec::EndType::kNever;
    const TApptItem master = Master(r, &us, L"Call");
    struct Case {
        const char* name;
        const TimeZone* device;
        int32_t day;
        double want;
    };
    const Case cases[] = {
        {"both standard", &we, DayNo(2026, 3, 2), Ole(2026, 3, 2, 15)},
        {"US daylight, Europe not yet", &we, DayNo(2026, 3, 10), Ole(2026, 3, 10, 14)},
        {"both daylight", &we, DayNo(2026, 4, 6), Ole(2026, 4, 6, 15)},
        {"Europe back, US not yet", &we, DayNo(2026, 10, 27), Ole(2026, 10, 27, 14)},
        {"Sydney summer: next morning", &au, DayNo(2026, 1, 16), Ole(2026, 1, 16, 1)},
        {"Sydney winter: same evening", &au, DayNo(2026, 7, 15), Ole(2026, 7, 15, 23)},
        {"same zone", &us, DayNo(2026, 7, 15), Ole(2026, 7, 15, 9)},
    };
    for (const Case& c : cases) {
        auto got = ExpandOccurrences(master, c.day, c.day, *c.device, {});
        bool found = false;
        for (auto& a : got) found = found || SameMinute(c.want, a->start);
        EXPECT_TRUE(found) << c.name;
        for (auto& a : got) EXPECT_LE(DayOf(a->start), c.day) << c.name;
    }
}

TEST(AgendaRecurrence, BrokenStreamsGiveNoOccurrences) {
    pimcodec::Recurrence r;
    r.type = pimcodec::PatternType::kDaily;
    r.patternStart = Minutes(2026, 1, 1);
    r.endOffset = 60;
    r.endType = pimcodec::EndType::kNever;
    const TApptItem good = Master(r, nullptr, L"Daily");
    const TimeZone utc;
    ASSERT_EQ(1u, ExpandOccurrences(good, DayNo(2026, 12, 7), DayNo(2026, 12, 7), utc, {}).size());
    struct Case {
        const char* name;
        void (*spoil)(std::vector<uint8_t>&);
    };
    const Case cases[] = {
        {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
        {"truncated", [](std::vector<uint8_t>& b) { b.resize(40); }},
        {"zero period", [](std::vector<uint8_t>& b) { b[14] = b[15] = b[16] = b[17] = 0; }},
        {"unknown type", [](std::vector<uint8_t>& b) { b[6] = 4; }},
        {"deleted count past the end", [](std::vector<uint8_t>& b) { b[34] = 0xFF; b[35] = 0xFF; }},
        {"exception count differs", [](std::vector<uint8_t>& b) { b[b.size() - 2] = 1; }},
    };
    for (const Case& c : cases) {
        TApptItem bad;
        good.CopyTo(bad);
        c.spoil(bad.pattern);
        EXPECT_TRUE(ExpandOccurrences(bad, DayNo(2026, 12, 7), DayNo(2026, 12, 7), utc, {}).empty()) << c.name;
    }
    // A zone blob that does not decode leaves the device's zone in force.
    TApptItem oddZone;
    good.CopyTo(oddZone);
    oddZone.timeZone = {1, 2, 3};
    EXPECT_EQ(1u, ExpandOccurrences(oddZone, DayNo(2026, 12, 7), DayNo(2026, 12, 7), utc, {}).size());
}

TEST(AgendaTasks, PlacesForEachSetting) {
    const int32_t today = DayNo(2026, 12, 7);  // a Monday
    const int32_t first = today, last = today + 13;
    struct Case {
        const char* name;
        double due, start, completedOn;
        bool completed;
        TaskCalendarOptions opt;
        bool monthView;
        std::vector<std::pair<uint32_t, bool>> want;  // day, active span
    };
    TaskCalendarOptions all;
    all.overdue = all.undated = all.future = all.showActive = all.pastCompleted = true;
    TaskCalendarOptions hide = all;
    hide.hideOverdueTitle = hide.hideUndatedTitle = true;
    TaskCalendarOptions none;
    TaskCalendarOptions skip1 = all, skip2 = all, skip3 = all;
    skip1.skipWeekends = 1;
    skip2.skipWeekends = 2;
    skip3.skipWeekends = 3;
    TaskCalendarOptions byCompletion = all, both = all, noCompleted = all, limited = all;
    byCompletion.completedDates = 1;
    both.completedDates = 2;
    noCompleted.completedDates = 3;
    limited.futureLimit = 1;
    const double T = today, N = kNoDate;
    const Case cases[] = {
        {"overdue", T - 1, N, N, false, all, false, {{1, false}}},
        {"overdue under the first day", T - 1, N, N, false, hide, false, {{uint32_t(first), false}}},
        {"overdue not wanted", T - 1, N, N, false, none, false, {}},
        {"overdue in a month view", T - 1, N, N, false, all, true, {}},
        {"undated", N, N, N, false, all, false, {{2, false}}},
        {"undated under the first day", N, N, N, false, hide, false, {{uint32_t(first), false}}},
        {"due in range", T + 3, N, N, false, none, false, {{uint32_t(today + 3), false}}},
        {"later", T + 20, N, N, false, all, false, {{80000, false}}},
        {"later not wanted", T + 20, N, N, false, none, false, {}},
        {"active span", T + 4, T + 1, N, false, all, false, {{uint32_t(today + 4), false}, {uint32_t(today + 1), true}}},
        {"active since before the range", T + 2, T - 5, N, false, all, false,
         {{uint32_t(today + 2), false}, {uint32_t(first), true}}},
        {"active, not shown", T + 4, T + 1, N, false, none, false, {{uint32_t(today + 4), false}}},
        {"active from a Sunday, weekends skipped", T + 9, T + 6, N, false, skip1, false, {{uint32_t(today + 9), false}}},
        {"active from a Sunday", T + 9, T + 6, N, false, all, false,
         {{uint32_t(today + 9), false}, {uint32_t(today + 6), true}}},
        {"active from a Friday, Fri-Sun skipped", T + 9, T + 4, N, false, skip2, false, {{uint32_t(today + 9), false}}},
        {"active from a Friday, Fri+Sat skipped", T + 9, T + 4, N, false, skip3, false, {{uint32_t(today + 9), false}}},
        {"active from a Sunday, Fri+Sat skipped", T + 9, T + 6, N, false, skip3, false,
         {{uint32_t(today + 9), false}, {uint32_t(today + 6), true}}},
        {"active from a Friday, Sat+Sun skipped", T + 9, T + 4, N, false, skip1, false,
         {{uint32_t(today + 9), false}, {uint32_t(today + 4), true}}},
        {"active from after the range", T + 30, T + 20, N, false, all, false, {{80000, false}}},
        {"active, due on the first day", T, T - 3, N, false, all, false, {{uint32_t(today), false}}},
        {"completed by due date", T + 2, N, T + 1, true, all, false, {{uint32_t(today + 2), false}}},
        {"completed in the past", T - 3, N, T - 2, true, all, false, {{1, false}}},
        {"completed by completion date", T + 2, N, T + 1, true, byCompletion, false, {{uint32_t(today + 1), false}}},
        {"completed by both dates", T + 2, N, T + 1, true, both, false,
         {{uint32_t(today + 1), false}, {uint32_t(today + 2), false}}},
        {"completed never shown", T + 2, N, T + 1, true, noCompleted, false, {}},
        {"beyond the future limit", T + 3, N, N, false, limited, false, {}},
    };
    for (const Case& c : cases) {
        TTaskTsks t;
        t.due = c.due;
        t.startDate = c.start;
        t.dateCompleted = c.completedOn;
        t.completed = c.completed ? 1 : 0;
        std::vector<std::pair<uint32_t, bool>> got;
        for (const TaskPlace& p : TaskPlaces(t, first, last, today, c.opt, c.monthView))
            got.push_back({p.day, p.activeSpan});
        EXPECT_EQ(c.want, got) << c.name;
    }
}

TEST(AgendaTemplates, NamesFromTheSubject) {
    struct Case {
        const wchar_t* subject;
        bool is;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"[TEMPLATE Meeting]", true, L"Meeting"},
        {L"[template Call back] extra", true, L"Call back"},
        {L"[TEMPLATE] Lunch", true, L"Lunch"},
        {L"[Template]", true, L""},
        {L"[TEMPLATE no close", false, L""},
        {L"[TEMPLAT] x", false, L""},
        {L"Meeting [TEMPLATE x]", false, L""},
        {L"", false, L""},
    };
    for (const Case& c : cases) {
        std::wstring name;
        EXPECT_EQ(c.is, TemplateName(c.subject, &name)) << c.subject;
        if (c.is) EXPECT_EQ(c.name, name) << c.subject;
    }
}
