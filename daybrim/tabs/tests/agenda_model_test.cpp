#include "agenda_model.h"

#include <gtest/gtest.h>

#include "agenda_fakes.h"
#include "agenda_print.h"
#include "week_number.h"

namespace daybrim {
namespace {

using testing::EnglishFormat;
using testing::EnglishTexts;

const int32_t kToday = DayFromDate(2026, 12, 7);  // a Monday

double At(int dayOffset, int hour, int minute = 0) {
    return kToday + dayOffset + (hour * 60 + minute) / 1440.0;
}

std::unique_ptr<TApptItem> Appt(const wchar_t* subject, double start, double end, int busy = 2,
                                bool allDay = false) {
    auto a = std::make_unique<TApptItem>();
    a->title = subject;
    a->start = start;
    a->end = end;
    a->busy = busy;
    a->allDay = allDay;
    return a;
}

std::unique_ptr<TTaskClr> Task(const wchar_t* subject, double due, double reminder = 0) {
    auto t = std::make_unique<TTaskClr>();
    t->title = subject;
    t->due = due;
    t->reminderTime = reminder;
    return t;
}

TDailyList* AddDay(ItemList& days, uint32_t key) {
    return static_cast<TDailyList*>(days.Insert(std::make_unique<TDailyList>(key)));
}

// The rows as text: titles in brackets, items by subject, placeholders as "-" and "(empty)".
std::vector<std::wstring> Lines(const AgendaModel& m) {
    std::vector<std::wstring> out;
    for (const AgendaRow& r : m.Rows()) {
        switch (r.kind) {
        case RowKind::kTitle: out.push_back(L"[" + r.section->title + L"]"); break;
        case RowKind::kItem: out.push_back(static_cast<TItemWithNote*>(r.item)->title); break;
        case RowKind::kEmptyGroup: out.push_back(L"-"); break;
        case RowKind::kEmptyList: out.push_back(L"(empty)"); break;
        }
    }
    return out;
}

struct Fixture {
    EnglishTexts text;
    EnglishFormat fmt;
};

TEST(AgendaTitles, EveryFormatAndTheNamedDays) {
    struct Case {
        const char* what;
        int offset;
        void (*tweak)(AgendaSettings&);
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"format 0", 3, [](AgendaSettings& s) { s.dayTitleFormat = 0; }, L"Thursday, Dec 10 2026"},
        {"format 1", 3, [](AgendaSettings& s) { s.dayTitleFormat = 1; }, L"Thursday, Dec 10"},
        {"format 2", 3, [](AgendaSettings& s) { s.dayTitleFormat = 2; }, L"Thu, Dec 10 2026"},
        {"format 3", 3, [](AgendaSettings& s) { s.dayTitleFormat = 3; }, L"Thu, Dec 10"},
        {"format 4", 3, [](AgendaSettings& s) { s.dayTitleFormat = 4; }, L"12/10/2026"},
        {"format 5", 3, [](AgendaSettings& s) { s.dayTitleFormat = 5; }, L"Thursday, December 10, 2026"},
        {"format 6", 3, [](AgendaSettings& s) { s.dayTitleFormat = 6; }, L"Thu, 10 Dec 2026"},
        {"unknown format", 3, [](AgendaSettings& s) { s.dayTitleFormat = 42; }, L"Thursday, Dec 10"},
        {"custom picture wins", 3, [](AgendaSettings& s) { s.customDayTitle = L"yyyy-MM-dd"; }, L"2026-12-10"},
        {"today", 0, [](AgendaSettings&) {}, L"Today"},
        {"today with date and count: no count", 0,
         [](AgendaSettings& s) { s.dateInTodayTitle = s.daysCountInTitle = true; }, L"Today, Monday, Dec 07"},
        {"tomorrow with date and count", 1,
         [](AgendaSettings& s) { s.dateInTodayTitle = s.daysCountInTitle = true; },
         L"Tomorrow, Tuesday, Dec 08 [1]"},
        {"tomorrow title off", 1, [](AgendaSettings& s) { s.tomorrowTitle = false; }, L"Tuesday, Dec 08"},
        {"days count", 5, [](AgendaSettings& s) { s.daysCountInTitle = true; }, L"Saturday, Dec 12 [5]"},
        // Weeks from Monday (MonthlyStartDay 0 in the locale's numbering), the
        // four-day rule: Monday 14 December starts week 51.
        {"week number", 7,
         [](AgendaSettings& s) { s.weekNumberInTitle = true, s.weekRule = kFirstFourDayWeek, s.monthlyStartDay = 0; },
         L"Monday, Dec 14 (51)"},
        // Weeks from Sunday: that Monday is in the week of Sunday 13, week 50.
        {"week number, weeks from Sunday", 7,
         [](AgendaSettings& s) { s.weekNumberInTitle = true, s.weekRule = kFirstFourDayWeek, s.monthlyStartDay = 6; },
         L"Monday, Dec 14 (50)"},
    };
    for (const Case& c : cases) {
        Fixture f;
        AgendaSettings s;
        c.tweak(s);
        EXPECT_EQ(c.expected, SectionTitle(uint32_t(kToday + c.offset), kToday, s, f.text, f.fmt)) << c.what;
    }
    Fixture f;
    AgendaSettings shortDate;
    shortDate.dayTitleFormat = 4;
    f.fmt.dayFirst = true;
    EXPECT_EQ(L"10/12/2026", SectionTitle(uint32_t(kToday + 3), kToday, shortDate, f.text, f.fmt));
    f.text.strings.erase(agenda_text::kToday);  // a library without the word: the date stays
    EXPECT_EQ(L"Monday, Dec 07", SectionTitle(uint32_t(kToday), kToday, AgendaSettings(), f.text, f.fmt));
    EXPECT_EQ(L"Overdue", SectionTitle(kSectionOverdue, kToday, AgendaSettings(), f.text, f.fmt));
    EXPECT_EQ(L"Later", SectionTitle(kSectionLater, kToday, AgendaSettings(), f.text, f.fmt));
}

TEST(AgendaTitles, ShortDayNamesAreCutAfterFormatting) {
    Fixture f;
    f.fmt.shortDayOverride = {{1, L"Mo."}, {2, L"Dienstag"}, {3, std::wstring(L"xy") + wchar_t(0xD83D) + wchar_t(0xDE00)}};
    EXPECT_EQ(L"Mo.", ShortDayName(kToday, f.fmt));
    EXPECT_EQ(L"Die", ShortDayName(kToday + 1, f.fmt));
    EXPECT_EQ(L"xy", ShortDayName(kToday + 2, f.fmt)) << "a pair is never split";
    EXPECT_EQ(L"Thu", ShortDayName(kToday + 3, f.fmt));
}

TEST(AgendaTexts, TimeTextsPerDay) {
    struct Case {
        const char* what;
        double start, end;
        int day;  // offset of the section's day
        int format, humanTime;
        bool twelveHour, twoDigits;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"short form", At(0, 9), At(0, 10), 0, 6, 0, false, false, L"9:00"},
        {"long form", At(0, 9), At(0, 10, 30), 0, 5, 0, false, false, L"9:00-10:30"},
        {"forced two digits", At(0, 9), At(0, 10), 0, 5, 0, false, true, L"09:00-10:00"},
        {"12-hour", At(0, 13, 5), At(0, 14), 0, 5, 0, true, false, L"1:05p-2:00p"},
        {"12-hour two digits", At(0, 9), At(0, 10), 0, 6, 0, true, true, L"09:00a"},
        {"late night, HumanTime 2, first day", At(0, 22), At(1, 1), 0, 1, 2, false, false, L"22:00-1:00"},
        {"late night, HumanTime 2, second day", At(0, 22), At(1, 1), 1, 1, 2, false, false, L"All day-1:00"},
        {"late night, HumanTime 0, first day", At(0, 22), At(1, 1), 0, 1, 0, false, false, L"22:00-All day"},
        {"late night, short form, second day", At(0, 22), At(1, 1), 1, 6, 0, false, false, L">1:00"},
        {"ends at midnight", At(0, 22), At(1, 0), 0, 1, 0, false, false, L"22:00-0:00"},
        {"ends at a later midnight", At(0, 9), At(3, 0), 0, 1, 0, false, false, L"9:00-0:00"},
        {"inside a multi-day appointment", At(0, 9), At(3, 12), 1, 1, 0, false, false, L"All day"},
        {"last of several days", At(0, 9), At(3, 12), 3, 12, 0, false, false, L"All day-12:00"},
    };
    for (const Case& c : cases) {
        Fixture f;
        AgendaSettings s;
        s.apptDisplayFormat = c.format;
        s.humanTime = c.humanTime;
        s.twelveHour = c.twelveHour;
        s.twoDigitHours = c.twoDigits;
        auto a = Appt(L"x", c.start, c.end);
        EXPECT_EQ(c.expected, AppointmentTextsOn(*a, kToday + c.day, s, f.text, f.fmt).timeText) << c.what;
    }
}

TEST(AgendaTexts, LinesPerDisplayFormat) {
    struct Case {
        int format;
        bool allDay;
        const wchar_t *prefix, *first, *second;
    };
    const Case cases[] = {
        {1, false, L"9:00-10:00:", L"Talk", L"(Hall)"},
        {2, false, L"9:00:", L"Talk", L"(Hall)"},
        {3, false, L"9:00-10:00:", L"Talk (Hall)", L""},
        {8, false, L"9:00:", L"Talk (Hall)", L""},
        {6, false, L"9:00:", L"Talk", L""},
        {6, true, L"", L"Talk", L""},
        {11, false, L"", L"Talk", L"[9:00-10:00] (Hall)"},
        {12, false, L"", L"Talk", L"[9:00-10:00]"},
        {11, true, L"", L"Talk", L"(Hall)"},
    };
    for (const Case& c : cases) {
        Fixture f;
        AgendaSettings s;
        s.apptDisplayFormat = c.format;
        auto a = Appt(L"Talk", At(0, 9), At(0, 10), 2, c.allDay);
        a->location = L"Hall";
        const AppointmentTexts t = AppointmentTextsOn(*a, kToday, s, f.text, f.fmt);
        EXPECT_EQ(c.prefix, t.timePrefix) << c.format;
        EXPECT_EQ(c.first, t.firstLine) << c.format;
        EXPECT_EQ(c.second, t.secondLine) << c.format;
    }
    Fixture f;
    auto done = Appt(L"<\u2022>Call</\u2022>", At(0, 9), At(0, 10));
    auto empty = Appt(L"", At(0, 9), At(0, 10));
    EXPECT_EQ(L"Call", AppointmentTextsOn(*done, kToday, AgendaSettings(), f.text, f.fmt).subject);
    EXPECT_TRUE(AppointmentTextsOn(*done, kToday, AgendaSettings(), f.text, f.fmt).completed);
    EXPECT_EQ(L"(No subject)", AppointmentTextsOn(*empty, kToday, AgendaSettings(), f.text, f.fmt).subject);
}

TEST(AgendaConflicts, StrictOverlapOfBusyTimedAppointments) {
    struct Case {
        double s1, e1, s2, e2;
        int busy2;
        bool allDay2, expected;
    };
    const Case cases[] = {
        {At(0, 10), At(0, 11), At(0, 11), At(0, 12), 2, false, false},  // touching
        {At(0, 10), At(0, 11), At(0, 10, 30), At(0, 12), 2, false, true},
        {At(0, 10), At(0, 12), At(0, 10, 30), At(0, 11), 1, false, true},  // inside, tentative
        {At(0, 10), At(0, 11), At(0, 10, 30), At(0, 12), 0, false, false},  // free
        {At(0, 10), At(0, 11), At(0, 0), At(1, 0), 2, true, false},        // all day
    };
    for (const Case& c : cases) {
        auto a = Appt(L"a", c.s1, c.e1), b = Appt(L"b", c.s2, c.e2, c.busy2, c.allDay2);
        EXPECT_EQ(c.expected, Conflict(*a, *b));
        EXPECT_EQ(c.expected, Conflict(*b, *a));
    }
}

std::string SlotString(const TimelineSlots& t) {
    std::string s;
    for (bool o : t.occupied) s += o ? '#' : '.';
    return s;
}

TEST(AgendaTimeline, HalfHourSlots) {
    struct Case {
        double start, end;
        int day;
        const char* expected;  // 48 slots from midnight
    };
    const Case cases[] = {
        {At(0, 9), At(0, 10), 0, "..................##............................"},
        {At(0, 9, 30), At(0, 10, 15), 0, "...................##..........................."},
        {At(0, 9), At(0, 10, 45), 0, "..................####.........................."},
        {At(0, 22), At(1, 1), 0, "............................................####"},
        {At(0, 22), At(1, 1), 1, "##.............................................."},
        {At(0, 22), At(3, 1), 1, "################################################"},
        {At(0, 23), At(0, 23, 50), 0, "..............................................##"},
        {At(0, 22), At(1, 0), 1, "................................................"},
    };
    for (const Case& c : cases) {
        TimelineSlots t;
        auto a = Appt(L"x", c.start, c.end);
        MarkSlots(t, *a, kToday + c.day, 0x123456);
        EXPECT_EQ(c.expected, SlotString(t));
    }
}

TEST(AgendaTimeline, BarGeometryStaysInsideTheDay) {
    struct Case {
        int start, length, horZ, vertZ;
        int width, height, columns;
    };
    const Case cases[] = {
        {0, 18, 1, 1, 24, 4, 24},
        {8, 4, 1, 1, 10, 4, 10},   // 8:00 to 18:00
        {8, 4, 2, 2, 20, 8, 20},
        {30, 18, 1, 1, 0, 4, 0},   // a start past midnight: an empty bar, no slot past 47
        {-5, -40, 1, 1, 6, 4, 6},
        {20, 18, 1, 1, 4, 4, 4},
    };
    TimelineSlots all;
    for (int i = 0; i < 48; ++i) all.occupied[i] = true;
    for (const Case& c : cases) {
        AgendaSettings s;
        s.timelinesStart = c.start, s.timelinesLength = c.length, s.horZoom = c.horZ, s.vertZoom = c.vertZ;
        const TimelineBar bar = BuildTimelineBar(all, s, Scaler());
        EXPECT_EQ(c.width, bar.width) << c.start << "+" << c.length;
        EXPECT_EQ(c.height, bar.height);
        ASSERT_EQ(size_t(c.columns), bar.columns.size());
        for (const auto& col : bar.columns) {
            EXPECT_GE(col.x, 0);
            EXPECT_GT(col.width, 0);
            EXPECT_LE(col.x + col.width, bar.width);
            EXPECT_EQ(s.timelineDefault, col.colour);
        }
    }
}

TEST(AgendaTimeline, HourColumnsTakeTheFirstHalfsColour) {
    TimelineSlots t;
    t.occupied[19] = true, t.colour[19] = 0x22;  // 9:30
    t.occupied[20] = true, t.colour[20] = 0x33;  // 10:00
    t.occupied[21] = true, t.colour[21] = 0x44;  // 10:30
    const TimelineBar bar = BuildTimelineBar(t, AgendaSettings(), Scaler());
    ASSERT_EQ(2u, bar.columns.size());
    EXPECT_EQ(9, bar.columns[0].x);
    EXPECT_EQ(0x22u, bar.columns[0].colour);
    EXPECT_EQ(0x33u, bar.columns[1].colour);
}

class CategoryByFirst : public CategoryColours {
public:
    uint32_t Colour(const TItemWithCategory& i) const override {
        return i.categories().empty() ? kNoColour : uint32_t(i.categories().front());
    }
};

TEST(AgendaTimeline, ConflictsAreRedOverCategoryColours) {
    Fixture f;
    CategoryByFirst cats;
    AgendaSettings s;
    s.timeLines = 2;
    s.conflicting = 2;
    s.categoryColours = &cats;
    ItemList days;
    TDailyList* d = AddDay(days, kToday);
    auto a = Appt(L"a", At(0, 10), At(0, 11)), b = Appt(L"b", At(0, 10, 30), At(0, 12));
    auto c = Appt(L"c", At(0, 14), At(0, 15));
    c->AddCategory(0x00AA00);
    d->AddChild(std::move(a));
    d->AddChild(std::move(b));
    d->AddChild(std::move(c));
    AgendaModel m(s, f.text, f.fmt);
    m.Sync(days, {kToday, kToday + 6, false}, kToday, At(0, 8));
    const TimelineSlots& t = AgendaModel::State(*d)->timeline;
    EXPECT_EQ(kConflictColour, t.colour[20]);
    EXPECT_EQ(kConflictColour, t.colour[23]);
    EXPECT_EQ(0x00AA00u, t.colour[28]);
}

// The order of one section's rows under the ordering settings.
TEST(AgendaOrder, ItemsInASection) {
    struct Case {
        const char* what;
        bool withAppts, tasksFirst;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"appointments first", false, false, L"Holiday,Early,Late,Plain,Timed"},
        {"tasks first", false, true, L"Plain,Timed,Holiday,Early,Late"},
        {"timed tasks among appointments, untimed after", true, false, L"Holiday,Early,Timed,Late,Plain"},
        {"timed tasks among appointments, untimed before", true, true, L"Plain,Holiday,Early,Timed,Late"},
    };
    for (const Case& c : cases) {
        Fixture f;
        AgendaSettings s;
        s.tasksWithAppts = c.withAppts;
        s.tasksBeforeAppts = c.tasksFirst;
        ItemList days;
        TDailyList* d = AddDay(days, kToday + 1);
        d->AddChild(Appt(L"Late", At(1, 15), At(1, 16)));
        d->AddChild(Task(L"Timed", kToday + 1, At(1, 12)));
        d->AddChild(Appt(L"Early", At(1, 9), At(1, 10)));
        d->AddChild(Task(L"Plain", kToday + 1));
        d->AddChild(Appt(L"Holiday", At(1, 0), At(2, 0), 0, true));
        AgendaModel m(s, f.text, f.fmt);
        m.Sync(days, {kToday, kToday + 6, false}, kToday, At(0, 8));
        std::wstring got;
        for (const AgendaRow& r : m.Rows())
            if (r.kind == RowKind::kItem) got += (got.empty() ? L"" : L",") + static_cast<TItemWithNote*>(r.item)->title;
        EXPECT_EQ(c.expected, got) << c.what;
    }
}

TEST(AgendaOrder, EventsAndSameTimeAppointments) {
    Fixture f;
    AgendaSettings s;
    auto ev = std::make_unique<TSEvent>(kKindSEventOnCalendar);
    ev->title = L"Birthday";
    auto b = Appt(L"b", At(0, 9), At(0, 10)), a = Appt(L"A", At(0, 9), At(0, 10)), longer = Appt(L"0", At(0, 9), At(0, 11));
    EXPECT_GT(CompareInSection(*ev, *a, kToday, s), 0);
    EXPECT_GT(CompareInSection(*a, *b, kToday, s), 0) << "same times: by subject, caseless";
    EXPECT_GT(CompareInSection(*b, *longer, kToday, s), 0) << "same start: the earlier end first";
}

struct AgendaRig : Fixture {
    AgendaSettings s;
    ItemList days;
    std::unique_ptr<AgendaModel> m;
    AgendaRange range{kToday, kToday + 2, false};
    double now = At(0, 12);

    TDailyList* Day(int offset) { return AddDay(days, uint32_t(kToday + offset)); }
    void Sync() {
        if (!m) m = std::make_unique<AgendaModel>(s, text, fmt);
        m->Sync(days, range, kToday, now);
    }
};

TEST(AgendaSections, SectionOrderFollowsTheSettings) {
    AgendaRig r;
    r.s.includeMail = true;
    r.s.includeUndated = true;
    r.s.hideEmptyDays = false;
    for (int i = 0; i < 6; ++i) r.s.titlesOrder[i] = std::vector<int>{3, 4, 5, 1, 2, 0}[i];
    r.Day(0);
    r.Day(1)->AddChild(Appt(L"Meeting", At(1, 9), At(1, 10)));
    r.Day(2);
    r.Day(3)->AddChild(Appt(L"Past the range", At(3, 9), At(3, 10)));
    AddDay(r.days, kSectionOverdue)->AddChild(Task(L"Old", kToday - 3));
    AddDay(r.days, kSectionUndated)->AddChild(Task(L"Some day", kNoDate));
    AddDay(r.days, kSectionLater)->AddChild(Task(L"Far", kToday + 40));
    AddDay(r.days, kSectionMail);
    r.Sync();
    const std::vector<std::wstring> expected = {
        L"[Today]", L"-", L"[Tomorrow]", L"Meeting", L"[Wednesday, Dec 09]", L"-",
        L"[Later]", L"Far", L"[Overdue]", L"Old", L"[No date]", L"Some day", L"[Mail]", L"-"};
    EXPECT_EQ(expected, Lines(*r.m));

    // Browsing shows the days alone.
    r.range = {kToday + 1, kToday + 2, true};
    r.Sync();
    const std::vector<std::wstring> browsing = {L"[Tomorrow]", L"Meeting", L"[Wednesday, Dec 09]", L"-"};
    EXPECT_EQ(browsing, Lines(*r.m));

    // One day (dNumOfDays 1): today alone, between the other blocks.
    r.range = {kToday, kToday, false};
    r.Sync();
    const std::vector<std::wstring> oneDay = {L"[Today]", L"-", L"[Later]", L"Far", L"[Overdue]", L"Old",
                                              L"[No date]", L"Some day", L"[Mail]", L"-"};
    EXPECT_EQ(oneDay, Lines(*r.m));
}

TEST(AgendaSections, VisibilityOfDaysAndSpecialSections) {
    struct Case {
        const char* what;
        void (*tweak)(AgendaSettings&);
        const wchar_t* expected;  // the titles, joined
    };
    const Case cases[] = {
        {"defaults", [](AgendaSettings&) {}, L"Overdue|Today|Tomorrow|Wednesday, Dec 09"},
        {"tasks off: their sections empty", [](AgendaSettings& s) { s.includeTasks = false; }, L"Today|Tomorrow"},
        {"passed hidden: today empty", [](AgendaSettings& s) { s.hidePassed = true; },
         L"Overdue|Tomorrow|Wednesday, Dec 09"},
        {"empty days shown", [](AgendaSettings& s) { s.hidePassed = true, s.hideEmptyDays = false; },
         L"Overdue|Today|Tomorrow|Wednesday, Dec 09"},
        {"today forced", [](AgendaSettings& s) { s.hidePassed = true, s.forceTodayTitle = true; },
         L"Overdue|Today|Tomorrow|Wednesday, Dec 09"},
        {"mail shows today", [](AgendaSettings& s) { s.hidePassed = true, s.includeMail = true; },
         L"Mail|Overdue|Today|Tomorrow|Wednesday, Dec 09"},
        {"no mail, no mail title",
         [](AgendaSettings& s) { s.hidePassed = true, s.includeMail = true, s.mailHideWhenZero = true; },
         L"Overdue|Tomorrow|Wednesday, Dec 09"},
        {"mail under today", [](AgendaSettings& s) { s.includeMail = true, s.mailUnderToday = true; },
         L"Overdue|Today|Tomorrow|Wednesday, Dec 09"},
        {"overdue under today", [](AgendaSettings& s) { s.overdueUnderToday = true; },
         L"Today|Tomorrow|Wednesday, Dec 09"},
        {"overdue off", [](AgendaSettings& s) { s.includeOverdue = false; }, L"Today|Tomorrow|Wednesday, Dec 09"},
    };
    for (const Case& c : cases) {
        AgendaRig r;
        c.tweak(r.s);
        r.Day(0)->AddChild(Appt(L"Breakfast", At(0, 7), At(0, 8)));  // over at noon
        r.Day(1)->AddChild(Appt(L"Meeting", At(1, 9), At(1, 10)));
        r.Day(2)->AddChild(Task(L"Errand", kToday + 2));
        AddDay(r.days, kSectionOverdue)->AddChild(Task(L"Old", kToday - 3));
        AddDay(r.days, kSectionMail);
        r.Sync();
        std::wstring got;
        for (const AgendaRow& row : r.m->Rows())
            if (row.kind == RowKind::kTitle) got += (got.empty() ? L"" : L"|") + row.section->title;
        EXPECT_EQ(c.expected, got) << c.what;
    }
}

TEST(AgendaSections, FoldDefaultsAndTransitions) {
    struct Case {
        int folding;
        bool keepToday;
        uint8_t today, tomorrow;  // fold flags after the first sync: today empty, tomorrow with an item
    };
    const Case cases[] = {
        {0, false, 0, 0},
        {1, false, 1, 1},
        {1, true, 0, 1},
        {2, false, 1, 0},  // auto: the day that got its first item opened
        {2, true, 0, 0},
    };
    for (const Case& c : cases) {
        AgendaRig r;
        r.s.foldingDefault = c.folding;
        r.s.keepTodayOpen = c.keepToday;
        TDailyList* today = r.Day(0);
        r.Day(1)->AddChild(Appt(L"Meeting", At(1, 9), At(1, 10)));
        r.Sync();
        EXPECT_EQ(c.today, today->folded) << c.folding << c.keepToday;
        EXPECT_EQ(c.tomorrow, r.m->Section(uint32_t(kToday + 1))->folded) << c.folding << c.keepToday;
    }

    // Auto folding acts on changes, not on the count itself: a section the user
    // folded stays folded while it keeps items, and one opened by hand stays open.
    AgendaRig r;
    r.s.foldingDefault = 2;
    TDailyList* d = r.Day(1);
    d->AddChild(Appt(L"One", At(1, 9), At(1, 10)));
    r.Sync();
    ASSERT_EQ(0, d->folded);
    d->Fold();
    d->AddChild(Appt(L"Two", At(1, 11), At(1, 12)));
    r.Sync();
    EXPECT_EQ(1, d->folded) << "a second item leaves the user's fold";
    d->Fold();
    TChildItem* first = *d->children().begin();
    d->RemoveChild(first);
    r.Sync();
    EXPECT_EQ(0, d->folded);
    d->RemoveChild(*d->children().begin());
    r.Sync();
    EXPECT_EQ(1, d->folded) << "the last item went: folds";
    d->Fold();
    r.Sync();
    EXPECT_EQ(0, d->folded) << "opened by hand while empty: stays open";
    d->AddChild(Appt(L"Three", At(1, 9), At(1, 10)));
    d->Fold();
    d->RemoveChild(*d->children().begin());
    r.Sync();  // one and gone between two syncs: no change seen
    EXPECT_EQ(1, d->folded);
    d->AddChild(Appt(L"Four", At(1, 9), At(1, 10)));
    r.Sync();
    EXPECT_EQ(0, d->folded) << "the first item arrived: opens";

    r.m->FoldAll();
    EXPECT_EQ(1, d->folded);
    r.m->UnfoldAll();
    EXPECT_EQ(0, d->folded);
}

TEST(AgendaSections, EmptyAgendaAndFoldedRows) {
    AgendaRig r;
    r.Sync();
    EXPECT_EQ(std::vector<std::wstring>{L"(empty)"}, Lines(*r.m));
    r.Day(1)->AddChild(Appt(L"Meeting", At(1, 9), At(1, 10)));
    r.Sync();
    r.m->Section(uint32_t(kToday + 1))->folded = 1;
    EXPECT_EQ(std::vector<std::wstring>{L"[Tomorrow]"}, Lines(*r.m));
    // Without the library's word a special section keeps the store's title.
    r.text.strings.erase(agenda_text::kLater);
    TDailyList* later = AddDay(r.days, kSectionLater);
    later->title = L"Beyond";
    later->AddChild(Task(L"Far", kToday + 40));
    r.Sync();
    EXPECT_EQ(L"Beyond", later->title);
    // The list machinery asks the section itself: the same answer.
    r.Day(2);
    r.Sync();
    EXPECT_TRUE(r.m->Section(uint32_t(kToday + 1))->IsVisibleCached());
    EXPECT_FALSE(r.m->Section(uint32_t(kToday + 2))->IsVisibleCached());
}

TEST(AgendaSections, TitleCountersAndTimelines) {
    struct Case {
        bool counters, mailCounter;
        uint32_t key;
        int appointments, tasks, mail;
        bool timeline;
    };
    const Case cases[] = {
        {false, true, uint32_t(kToday), -1, -1, -1, true},
        {true, true, uint32_t(kToday), 1, 1, -1, true},
        {true, true, kSectionOverdue, -1, 1, -1, false},
        {false, true, kSectionMail, -1, -1, 0, false},
        {true, false, kSectionMail, -1, -1, -1, false},
    };
    for (const Case& c : cases) {
        AgendaRig r;
        r.s.titleCounters = c.counters;
        r.s.mailCounter = c.mailCounter;
        TDailyList* today = r.Day(0);
        today->AddChild(Appt(L"Meeting", At(0, 14), At(0, 15)));
        today->AddChild(Task(L"Task", kToday));
        AddDay(r.days, kSectionOverdue)->AddChild(Task(L"Old", kToday - 3));
        AddDay(r.days, kSectionMail);
        r.Sync();
        const TDailyList& d = *r.m->Section(c.key);
        const AgendaModel::Counters got = r.m->TitleCounters(d);
        EXPECT_EQ(c.appointments, got.appointments) << c.key;
        EXPECT_EQ(c.tasks, got.tasks) << c.key;
        EXPECT_EQ(c.mail, got.mail) << c.key;
        EXPECT_EQ(c.timeline, r.m->HasTimeline(d)) << c.key;
    }
}

TEST(AgendaColours, AppointmentsAndTasks) {
    AgendaRig r;
    r.s.statusFont[2] = 0x101010;
    r.s.generalText = 0x999999;
    r.s.pastText = 0x505050;
    r.s.completedText = 0x606060;
    r.s.highlightText = 0xFFFF00;
    r.s.tasksText = 0x707070;
    r.s.tasksOverdue = 0x808080;
    TDailyList* today = r.Day(0);
    auto busy = Appt(L"Busy", At(0, 14), At(0, 15));
    auto free = Appt(L"Free", At(0, 14), At(0, 15), 0);
    auto passed = Appt(L"Passed", At(0, 8), At(0, 9));
    auto done = Appt(L"<\u2022>Done</\u2022>", At(0, 8), At(0, 9));
    TApptItem *pb = busy.get(), *pf = free.get(), *pp = passed.get(), *pd = done.get();
    today->AddChild(std::move(busy));
    today->AddChild(std::move(free));
    today->AddChild(std::move(passed));
    today->AddChild(std::move(done));
    auto task = Task(L"Task", kToday), old = Task(L"Old", kToday - 2);
    TTask *pt = task.get(), *po = old.get();
    today->AddChild(std::move(task));
    AddDay(r.days, kSectionOverdue)->AddChild(std::move(old));
    r.Sync();
    const AgendaModel& m = *r.m;
    EXPECT_EQ(0x101010u, m.AppointmentColour(*pb, false));
    EXPECT_EQ(0x999999u, m.AppointmentColour(*pf, false)) << "unset status font: the general colour";
    EXPECT_EQ(0x505050u, m.AppointmentColour(*pp, false));
    EXPECT_EQ(0x606060u, m.AppointmentColour(*pd, false)) << "done wins over passed";
    EXPECT_EQ(0xFFFF00u, m.AppointmentColour(*pd, true));
    EXPECT_EQ(0x707070u, m.TaskColour(*pt, false));
    EXPECT_EQ(0x808080u, m.TaskColour(*po, false));
    pt->completed = 1;  // no completed colour set: still the day's class
    EXPECT_EQ(AgendaModel::TaskStyle::kDay, m.TaskStyleOf(*pt));
    EXPECT_TRUE(m.Passed(*pp));
    EXPECT_FALSE(m.Passed(*pb));

    AgendaRig status;
    status.s.textColourMode = 1;
    auto tentative = Appt(L"T", At(0, 14), At(0, 15), 1);
    TApptItem* pt2 = tentative.get();
    status.Day(0)->AddChild(std::move(tentative));
    status.Sync();
    EXPECT_EQ(0xF8A068u, status.m->AppointmentColour(*pt2, false));
}

TEST(AgendaRange, CaptionAndMenuTexts) {
    struct Case {
        int32_t first, last;
        bool browsing, caption, dayFirst;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {kToday, kToday, false, true, false, L"Today"},  // dNumOfDays 1: no second date
        {kToday, kToday + 6, false, true, false, L"Today-12/13"},
        {kToday, kToday + 6, false, false, true, L"Today - 13/12"},
        {kToday + 20, kToday + 26, true, true, true, L"27/12-02/01"},
        {kToday + 20, kToday + 26, true, false, false, L"12/27 - 01/02"},
    };
    for (const Case& c : cases) {
        Fixture f;
        AgendaSettings s;
        s.dayFirstRangeText = c.dayFirst;
        EXPECT_EQ(c.expected, RangeText(c.first, c.last, c.browsing, c.caption, s, f.text, f.fmt));
    }
}


TEST(AgendaLines, OneLinePerRowWithTheMarks) {
    AgendaRig r;
    r.s.hideEmptyDays = false;
    r.s.conflicting = 2;
    TDailyList* today = r.Day(0);
    today->AddChild(Appt(L"Standup", At(0, 9), At(0, 9, 15)));
    today->AddChild(Appt(L"Review", At(0, 14), At(0, 15)));
    auto clash = Appt(L"<\u2022>Call</\u2022>", At(0, 14, 30), At(0, 16));
    clash->sensitivity = 2;
    today->AddChild(std::move(clash));
    today->AddChild(Appt(L"Holiday", At(0, 0), At(1, 0), 0, true));
    TDailyList* tomorrow = r.Day(1);
    auto task = Task(L"Report", kToday + 1);
    task->importance = 2;
    tomorrow->AddChild(std::move(task));
    tomorrow->AddChild(Task(L"Filed", kToday + 1));
    r.Day(2);
    r.Sync();
    const std::vector<std::wstring> expected = {
        L"Range: Today - 12/09",
        L"== Today (4 appointments)",
        L"   Holiday [all day]",
        L"   9:00  Standup [passed]",
        L"   14:00  Review [conflict]",
        L"   14:30  Call [done, conflict, private]",
        L"== Tomorrow (2 tasks)",
        L"   [ ] Filed",
        L"   [ ] Report [high]",
        L"== Wednesday, Dec 09",
        L"   (nothing)",
    };
    EXPECT_EQ(expected, AgendaLines(*r.m));
}

}  // namespace
}  // namespace daybrim
