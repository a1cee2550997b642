// The calendar's days as the store builds them from a real object store, with the
// device's clock and zone set by each test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "cesim.h"
#include "pim_store.h"
#include "pim_volume.h"
#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"

using namespace daybrim;
using namespace pimtest;

namespace {

constexpr CEPROPID kStartProp = 0x10420040, kDurationProp = 0x10400013, kRecIdProp = 0x10000066,
                   kSubjectProp = 0x0020001F, kRecurringProp = 0x0022000B, kAllDayProp = 0x0044000B,
                   kZoneProp = 0x00480041, kPatternProp = 0x203F0064;

double Ole(int y, int m, int d, int h = 0, int mi = 0) {
    return double(pimcodec::DaysFromCivil({y, m, d}) - pimcodec::kOleEpochDays) + (h * 60 + mi) / 1440.0;
}
int32_t DayNo(int y, int m, int d) { return int32_t(Ole(y, m, d)); }
uint32_t Minutes(int y, int m, int d) { return *pimcodec::MinutesFromCivil({{y, m, d}, 0, 0, 0}); }

pimcodec::TimeZone AusEastern() {
    pimcodec::TimeZone z;
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

TIME_ZONE_INFORMATION Tzi(const pimcodec::TimeZone& z) {
    TIME_ZONE_INFORMATION t = {};
    t.Bias = z.bias;
    t.StandardBias = z.standardBias;
    t.DaylightBias = z.daylightBias;
    auto st = [](const pimcodec::SystemTime& s) {
        SYSTEMTIME r = {};
        r.wMonth = s.month;
        r.wDayOfWeek = s.dayOfWeek;
        r.wDay = s.day;
        r.wHour = s.hour;
        return r;
    };
    t.StandardDate = st(z.standardDate);
    t.DaylightDate = st(z.daylightDate);
    return t;
}

bool SameMinute(double a, double b) { return std::llround(a * 1440) == std::llround(b * 1440); }

std::wstring Name() {
    const std::string n = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    return L"ag_" + std::wstring(n.begin(), n.end());
}

class AgendaStoreTest : public ::testing::Test {
protected:
    AgendaStoreTest() : vol(Name()), store(nullptr) {
        opt.cat.pimVolume = vol.path;
        opt.fusionVolume = vol.fusionPath;
        opt.contactsTab = false;
    }
    ~AgendaStoreTest() override {
        store.Stop();
        CeSim_SetClock(nullptr);
        CeSim_SetTimeZone(nullptr);
    }
    // The device shows `localNow` in `zone`; the store loads from that day on.
    void Start(const pimcodec::TimeZone& zone, int y, int m, int d, int h = 10) {
        SetDevice(zone, y, m, d, h);
        store.Start(nullptr, opt, DayNo(y, m, d));
    }
    void SetDevice(const pimcodec::TimeZone& zone, int y, int m, int d, int h) {
        TIME_ZONE_INFORMATION t = Tzi(zone);
        CeSim_SetTimeZone(&t);
        SYSTEMTIME now = {};
        now.wYear = WORD(y);
        now.wMonth = WORD(m);
        now.wDay = WORD(d);
        now.wHour = WORD(h);
        CeSim_SetClock(&now);
    }
    CEOID Appt(uint32_t recid, double utcStart, uint32_t minutes, const wchar_t* subject, bool allDay = false) {
        return vol.Write(L"Appointments Database",
                         {Date(kStartProp, utcStart), U4(kDurationProp, minutes), U4(kRecIdProp, recid),
                          Str(kSubjectProp, subject), Bool(kRecurringProp, false), Bool(kAllDayProp, allDay)});
    }
    CEOID Series(uint32_t recid, pimcodec::Recurrence r, const pimcodec::TimeZone* zone, const wchar_t* subject,
                 bool allDay = false, CEOID oid = 0) {
        if (r.endType != pimcodec::EndType::kByDate) EXPECT_EQ(pimcodec::ComputePatternEnd(&r), pimcodec::Status::kOk);
        std::vector<BYTE> pattern, tz;
        EXPECT_EQ(pimcodec::EncodeRecurrence(r, &pattern), pimcodec::Status::kOk);
        std::vector<CEPROPVAL> p = {Date(kStartProp, double(r.patternStart / 1440 - pimcodec::kOleEpochDays)),
                                    U4(kDurationProp, uint32_t(r.endOffset - r.startOffset)),
                                    U4(kRecIdProp, recid), Str(kSubjectProp, subject), Bool(kRecurringProp, true),
                                    Bool(kAllDayProp, allDay), Blob(kPatternProp, pattern)};
        if (zone) {
            tz = pimcodec::EncodeTimeZone(*zone);
            p.push_back(Blob(kZoneProp, tz));
        }
        return vol.Write(L"Appointments Database", p, oid);
    }
    // The appointments listed on a day, as (title, start) in list order.
    std::vector<std::pair<std::wstring, double>> Appts(int32_t day) {
        std::vector<std::pair<std::wstring, double>> out;
        if (TDailyList* d = store.Day(uint32_t(day)))
            for (TChildItem* c : d->children())
                if (c->Kind() == kKindAppt) out.push_back({static_cast<TApptItem*>(c)->title, static_cast<TApptItem*>(c)->start});
        return out;
    }
    std::vector<std::wstring> Titles(int32_t day) {
        std::vector<std::wstring> out;
        if (TDailyList* d = store.Day(uint32_t(day)))
            for (TChildItem* c : d->children()) out.push_back(static_cast<TItemWithNote*>(c)->title);
        return out;
    }

    PimVolume vol;
    CPimStore store;
    PimOptions opt;
};

const pimcodec::TimeZone kUtc;

}  // namespace

TEST_F(AgendaStoreTest, LateNightRuleAndTheLookBack) {
    ASSERT_TRUE(vol.ok);
    const int32_t today = DayNo(2026, 12, 7);
    Appt(1, Ole(2026, 12, 7, 22), 240, L"Night shift");
    Appt(2, Ole(2026, 11, 17, 9), 30 * 1440, L"Began 20 days ago");
    Appt(3, Ole(2026, 10, 28, 9), 45 * 1440, L"Began 40 days ago");
    Appt(4, Ole(2026, 12, 8, 0), 0, L"Midnight");
    opt.numDays = 7;
    struct Case {
        int humanTime;
        std::vector<std::wstring> today, tomorrow;
    };
    const Case cases[] = {
        {4, {L"Began 20 days ago", L"Night shift"}, {L"Midnight", L"Began 20 days ago"}},
        {0, {L"Began 20 days ago", L"Night shift"}, {L"Midnight", L"Night shift", L"Began 20 days ago"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.humanTime);
        opt.humanTime = c.humanTime;
        Start(kUtc, 2026, 12, 7);
        auto sorted = [](std::vector<std::wstring> v) {
            std::sort(v.begin(), v.end());
            return v;
        };
        EXPECT_EQ(sorted(c.today), sorted(Titles(today)));
        EXPECT_EQ(sorted(c.tomorrow), sorted(Titles(today + 1)));
        // The 30-day appointment reaches 16 December; the one from 40 days ago is not sought.
        for (int32_t d = today; d < today + 7; ++d) {
            const auto t = Titles(d);
            EXPECT_EQ(d <= DayNo(2026, 12, 16), std::count(t.begin(), t.end(), L"Began 20 days ago") == 1) << d;
            EXPECT_EQ(0, std::count(t.begin(), t.end(), L"Began 40 days ago")) << d;
        }
    }
}

TEST_F(AgendaStoreTest, AllDayDatesAndThePassedMark) {
    ASSERT_TRUE(vol.ok);
    const int32_t today = DayNo(2026, 12, 7);
    // Kept at 23:00 UTC the day before by a program of another zone: the next date.
    Appt(1, Ole(2026, 12, 6, 23), 1440, L"Holiday", true);
    // At the device's own local midnight (New York, 05:00 UTC).
    Appt(2, Ole(2026, 12, 8, 5), 1440, L"Local all-day", true);
    Appt(3, Ole(2026, 12, 7, 13), 60, L"Over");      // 08:00-09:00 local, before 10:00
    Appt(4, Ole(2026, 12, 7, 20), 60, L"Later on");  // 15:00 local
    Start(pimcodec::EasternUsZone(), 2026, 12, 7, 10);
    std::map<std::wstring, bool> passed;
    for (TChildItem* c : store.Day(uint32_t(today))->children()) {
        auto* a = static_cast<TApptItem*>(c);
        passed[a->title] = a->passed;
        if (a->allDay) EXPECT_EQ(double(today), a->start) << std::string(a->title.begin(), a->title.end());
    }
    EXPECT_EQ((std::map<std::wstring, bool>{{L"Holiday", false}, {L"Over", true}, {L"Later on", false}}), passed);
    EXPECT_EQ((std::vector<std::wstring>{L"Local all-day"}), Titles(today + 1));
}

// The busy status as the object model and the device tool have it: free,
// tentative, busy, out of office; a record without one, or with a value
// outside them, is busy.
TEST_F(AgendaStoreTest, BusyStatusFollowsTheRecord) {
    ASSERT_TRUE(vol.ok);
    const int32_t today = DayNo(2026, 12, 7);
    struct Case {
        const wchar_t* subject;
        int stored;  // -1: no property
        int shown;
    } cases[] = {{L"free", 0, 0}, {L"tentative", 1, 1}, {L"busy", 2, 2}, {L"away", 3, 3}, {L"none", -1, 2},
                 {L"odd", 7, 2}};
    uint32_t recid = 1;
    for (const Case& c : cases) {
        std::vector<CEPROPVAL> p = {Date(kStartProp, Ole(2026, 12, 7, 14)), U4(kDurationProp, 30),
                                    U4(kRecIdProp, recid++), Str(kSubjectProp, c.subject),
                                    Bool(kRecurringProp, false), Bool(kAllDayProp, false)};
        if (c.stored >= 0) p.push_back(U4(0x00450013, uint32_t(c.stored)));
        vol.Write(L"Appointments Database", p);
    }
    Start(pimcodec::WesternEuropeZone(), 2026, 12, 7, 10);
    std::map<std::wstring, int> shown;
    if (TDailyList* d = store.Day(uint32_t(today)))
        for (TChildItem* c : d->children()) shown[static_cast<TApptItem*>(c)->title] = static_cast<TApptItem*>(c)->busy;
    for (const Case& c : cases) EXPECT_EQ(c.shown, shown[c.subject]) << std::string(c.subject, c.subject + 4);
}

// A local 09:00 stays 09:00 on both sides of a clock change, north and south of
// the equator, for single appointments stored in UTC and for a series kept in the
// device's wall clock; a series kept in another zone moves when only one changed.
TEST_F(AgendaStoreTest, ClockChangesInBothDirections) {
    ASSERT_TRUE(vol.ok);
    const pimcodec::TimeZone we = pimcodec::WesternEuropeZone(), au = AusEastern(), us = pimcodec::EasternUsZone();
    struct Case {
        const char* name;
        pimcodec::TimeZone device;
        int y, m, d;  // the first day; the change falls within the next four
        double beforeUtc, afterUtc;
        std::set<double> newYorkHours;  // where New York's 09:00 is seen, before and after
    };
    const Case cases[] = {
        {"Europe, spring", we, 2027, 3, 26, Ole(2027, 3, 27, 8), Ole(2027, 3, 29, 7), {14, 15}},
        {"Europe, autumn", we, 2027, 10, 29, Ole(2027, 10, 30, 7), Ole(2027, 11, 1, 8), {14, 15}},
        {"Sydney, autumn", au, 2027, 4, 2, Ole(2027, 4, 2, 22), Ole(2027, 4, 4, 23), {0, 23}},
        {"Sydney, spring", au, 2027, 10, 1, Ole(2027, 10, 1, 23), Ole(2027, 10, 3, 22), {0, 23}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PimVolume own(Name() + std::wstring(c.name, c.name + 6) + std::to_wstring(c.m));
        ASSERT_TRUE(own.ok);
        opt.cat.pimVolume = own.path;
        opt.fusionVolume = own.fusionPath;
        opt.numDays = 5;
        own.Write(L"Appointments Database", {Date(kStartProp, c.beforeUtc), U4(kDurationProp, 60), U4(kRecIdProp, 1),
                                             Str(kSubjectProp, L"Before")});
        own.Write(L"Appointments Database", {Date(kStartProp, c.afterUtc), U4(kDurationProp, 60), U4(kRecIdProp, 2),
                                             Str(kSubjectProp, L"After")});
        pimcodec::Recurrence daily;
        daily.patternStart = Minutes(2027, 1, 1);
        daily.startOffset = 9 * 60;
        daily.endOffset = 10 * 60;
        daily.endType = pimcodec::EndType::kNever;
        std::vector<BYTE> pattern, zone = pimcodec::EncodeTimeZone(c.device), usZone = pimcodec::EncodeTimeZone(us);
        pimcodec::ComputePatternEnd(&daily);
        pimcodec::EncodeRecurrence(daily, &pattern);
        own.Write(L"Appointments Database", {Date(kStartProp, Ole(2027, 1, 1, 9)), U4(kDurationProp, 60),
                                             U4(kRecIdProp, 3), Str(kSubjectProp, L"Daily"),
                                             Bool(kRecurringProp, true), Blob(kPatternProp, pattern),
                                             Blob(kZoneProp, zone)});
        own.Write(L"Appointments Database", {Date(kStartProp, Ole(2027, 1, 1, 9)), U4(kDurationProp, 60),
                                             U4(kRecIdProp, 4), Str(kSubjectProp, L"New York"),
                                             Bool(kRecurringProp, true), Blob(kPatternProp, pattern),
                                             Blob(kZoneProp, usZone)});
        Start(c.device, c.y, c.m, c.d);
        const int32_t first = DayNo(c.y, c.m, c.d);
        std::set<double> newYorkHours;
        for (int32_t day = first; day < first + 5; ++day) {
            for (const auto& [title, start] : Appts(day)) {
                if (title == L"New York") {
                    newYorkHours.insert(std::round((start - day) * 24));
                    continue;
                }
                EXPECT_TRUE(SameMinute(day + 9.0 / 24, start)) << std::string(title.begin(), title.end()) << " on " << day;
            }
            const auto listed = Appts(day);
            EXPECT_EQ(1, std::count_if(listed.begin(), listed.end(), [](const auto& p) { return p.first == L"Daily"; }));
        }
        // New York changes its clocks on other dates than either.
        EXPECT_EQ(c.newYorkHours, newYorkHours);
        store.Stop();
    }
}

TEST_F(AgendaStoreTest, SeriesWithCountersRemovedAndMovedOccurrences) {
    ASSERT_TRUE(vol.ok);
    const int32_t today = DayNo(2026, 12, 7);
    pimcodec::Recurrence birthday;
    birthday.type = pimcodec::PatternType::kYearly;
    birthday.interval = 12;
    birthday.dayOfMonth = 9;
    birthday.patternStart = Minutes(1992, 12, 9);
    birthday.endOffset = 1440;
    birthday.endType = pimcodec::EndType::kNever;
    Series(1, birthday, nullptr, L"Bo", true);

    pimcodec::Recurrence weekly;
    weekly.type = pimcodec::PatternType::kWeekly;
    weekly.weekdays = pimcodec::kMonday | pimcodec::kWednesday | pimcodec::kFriday;
    weekly.patternStart = Minutes(2026, 11, 2);
    weekly.startOffset = 9 * 60;
    weekly.endOffset = 9 * 60 + 30;
    weekly.endType = pimcodec::EndType::kByDate;
    weekly.patternEnd = Minutes(2026, 12, 11);  // the last one, Friday the 11th, is kept
    weekly.removed = {Minutes(2026, 12, 9)};
    pimcodec::Exception moved;
    moved.originalDate = Minutes(2026, 12, 7);
    moved.start = Minutes(2026, 12, 8) + 15 * 60;
    moved.end = moved.start + 30;
    moved.subject = u"Standup (moved)";
    weekly.exceptions = {moved};
    const CEOID standup = Series(2, weekly, nullptr, L"Standup");

    opt.numDays = 7;
    opt.yearlyCounters = true;
    Start(kUtc, 2026, 12, 7);
    EXPECT_EQ(0u, Appts(today).size());
    EXPECT_EQ((std::vector<std::pair<std::wstring, double>>{{L"Standup (moved)", Ole(2026, 12, 8, 15)}}), Appts(today + 1));
    EXPECT_EQ((std::vector<std::wstring>{L"Bo (34)"}), Titles(today + 2));
    EXPECT_EQ((std::vector<std::pair<std::wstring, double>>{{L"Standup", Ole(2026, 12, 11, 9)}}), Appts(today + 4));
    EXPECT_EQ(0u, Appts(today + 7).size());
    EXPECT_EQ(2u, store.recurring().size());

    // The master changed through a notice: its occurrences are expanded again.
    weekly.removed.push_back(Minutes(2026, 12, 11));
    Series(2, weekly, nullptr, L"Standup", false, standup);
    CENOTIFICATION* n = static_cast<CENOTIFICATION*>(LocalAlloc(LPTR, sizeof(CENOTIFICATION)));
    n->dwSize = sizeof *n;
    n->dwParam = kNotifyAppointments;
    n->uType = DB_CEOID_CHANGED;
    n->oid = standup;
    EXPECT_EQ(uint32_t(TAB_TYPE_CALENDAR), store.HandleNotification(n));
    EXPECT_EQ(0u, Appts(today + 4).size());
    EXPECT_EQ(1u, Appts(today + 1).size());
    EXPECT_EQ(2u, store.recurring().size());
}

TEST_F(AgendaStoreTest, TasksOnThePseudoDaysAndActiveSpans) {
    ASSERT_TRUE(vol.ok);
    const int32_t today = DayNo(2026, 12, 7);  // a Monday
    vol.Write(L"Tasks Database", {Str(0x0020001F, L"Yesterday's"), U4(0x10000066, 1), Date(0x00630040, today - 1)});
    vol.Write(L"Tasks Database", {Str(0x0020001F, L"Undated"), U4(0x10000066, 2)});
    // From Sunday the 13th to Wednesday the 16th.
    vol.Write(L"Tasks Database", {Str(0x0020001F, L"Span"), U4(0x10000066, 3), Date(0x00620040, today + 6),
                                  Date(0x00630040, today + 9)});
    opt.numDays = 14;
    opt.calendarTasks.overdue = opt.calendarTasks.undated = opt.calendarTasks.showActive = true;
    struct Case {
        bool hideTitles;
        int skip;
        std::vector<std::wstring> overdueDay, undatedDay, firstDay, sunday, wednesday;
    };
    const Case cases[] = {
        {false, 0, {L"Yesterday's"}, {L"Undated"}, {}, {L"Span"}, {L"Span"}},
        {true, 0, {}, {}, {L"Undated", L"Yesterday's"}, {L"Span"}, {L"Span"}},
        {false, 1, {L"Yesterday's"}, {L"Undated"}, {}, {}, {L"Span"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hideTitles << c.skip);
        opt.calendarTasks.hideOverdueTitle = opt.calendarTasks.hideUndatedTitle = c.hideTitles;
        opt.calendarTasks.skipWeekends = c.skip;
        Start(kUtc, 2026, 12, 7);
        auto sorted = [](std::vector<std::wstring> v) {
            std::sort(v.begin(), v.end());
            return v;
        };
        EXPECT_EQ(c.overdueDay, Titles(kOverdueDay));
        EXPECT_EQ(c.undatedDay, Titles(kUndatedDay));
        EXPECT_EQ(c.firstDay, sorted(Titles(today)));
        EXPECT_EQ(c.sunday, Titles(today + 6));
        EXPECT_EQ(c.wednesday, Titles(today + 9));
        if (TDailyList* d = store.Day(uint32_t(today + 6)))
            for (TChildItem* t : d->children()) EXPECT_EQ(1, static_cast<TTask*>(t)->activeSpan);
        if (TDailyList* d = store.Day(kOverdueDay)) EXPECT_EQ(opt.overdueTitle, d->title);
        // The pseudo days sort before and after every real day.
        ASSERT_TRUE(store.days().head());
        if (!c.hideTitles) EXPECT_EQ(kOverdueDay, store.days().head()->Id());
    }
}

TEST_F(AgendaStoreTest, InformantTemplatesStayOffTheCalendar) {
    ASSERT_TRUE(vol.ok);
    const double templateDay = 401700;
    const CEOID meeting = Appt(1, templateDay + 0.4, 60, L"[TEMPLATE Meeting]");
    Appt(2, templateDay + 0.5, 60, L"Not a template");
    const CEOID call = vol.Write(L"Tasks Database", {Str(0x0020001F, L"[template] Call"), U4(0x10000066, 3),
                                                     Date(0x00630040, templateDay)});
    opt.calendarTasks.future = true;
    for (int sw : {0, 1}) {
        SCOPED_TRACE(sw);
        opt.cat.pimSw = sw;
        Start(kUtc, 2026, 12, 7);
        std::vector<agenda::TemplateEntry> want;
        if (sw == 1)
            want = {{L"Call", kKindTask, PoomId(PimKind::kTask, 3), call},
                    {L"Meeting", kKindAppt, PoomId(PimKind::kAppointment, 1), meeting}};
        std::vector<agenda::TemplateEntry> got = store.templates();
        std::sort(got.begin(), got.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
        EXPECT_EQ(want.size(), got.size());
        for (size_t i = 0; i < std::min(want.size(), got.size()); ++i) EXPECT_TRUE(want[i] == got[i]) << i;
        // A later task reaches the later day only when it is no template.
        EXPECT_EQ(sw == 1 ? std::vector<std::wstring>{} : std::vector<std::wstring>{L"[template] Call"},
                  Titles(kLaterDay));
    }
}

// After a day change the new first day's appointments that are over are marked,
// though they were loaded as a later day's.
TEST_F(AgendaStoreTest, PassedMarkAfterADayChange) {
    ASSERT_TRUE(vol.ok);
    Appt(1, Ole(2026, 12, 8, 8), 60, L"Over");
    Appt(2, Ole(2026, 12, 8, 11), 60, L"Ahead");
    opt.numDays = 3;
    Start(kUtc, 2026, 12, 8, 10);
    store.Start(nullptr, opt, DayNo(2026, 12, 7));  // loaded the day before
    store.OnDayChange(DayNo(2026, 12, 8));
    std::map<std::wstring, bool> passed;
    for (TChildItem* c : store.Day(uint32_t(DayNo(2026, 12, 8)))->children())
        passed[static_cast<TApptItem*>(c)->title] = static_cast<TApptItem*>(c)->passed;
    EXPECT_EQ((std::map<std::wstring, bool>{{L"Over", true}, {L"Ahead", false}}), passed);
}

// The month view's range read places starts by the device's zone at their own
// date, as the agenda does, and marks nothing passed.
TEST_F(AgendaStoreTest, RangeReadUsesTheDeviceZone) {
    ASSERT_TRUE(vol.ok);
    const int32_t day = DayNo(2026, 12, 7);
    Appt(1, Ole(2026, 12, 7, 8), 90, L"Morning");
    pimcodec::Recurrence daily;
    daily.patternStart = Minutes(2026, 12, 1);
    daily.startOffset = 12 * 60;
    daily.endOffset = 12 * 60 + 30;
    daily.endType = pimcodec::EndType::kNever;
    Series(2, daily, nullptr, L"Noon");
    struct Case {
        const char* name;
        pimcodec::TimeZone zone;
        int morningHour;  // local start of 08:00 UTC on 7 December
    };
    const Case cases[] = {
        {"utc", kUtc, 8},
        {"new york", pimcodec::EasternUsZone(), 3},
        {"sydney, summer", AusEastern(), 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetDevice(c.zone, 2026, 12, 7, 23);  // late: both are over today
        store.LoadAppointmentRange(opt, DayNo(2026, 11, 30), DayNo(2027, 1, 10));
        const auto appts = Appts(day);
        ASSERT_EQ(2u, appts.size());
        for (const auto& [title, start] : appts) {
            if (title == L"Morning") {
                EXPECT_TRUE(SameMinute(Ole(2026, 12, 7, c.morningHour), start)) << start;
            } else {
                EXPECT_TRUE(SameMinute(Ole(2026, 12, 7, 12), start)) << start;  // the device's wall clock
            }
        }
        for (TChildItem* ch : store.Day(uint32_t(day))->children())
            EXPECT_FALSE(static_cast<TApptItem*>(ch)->passed);
        store.Stop();
    }
}
