// The item actions against the object model over the test device's \pim.vol: what
// each answer to its question does to the records, and the texts as the locale
// functions write them.
#include <cmath>

#include "item_actions.h"
#include "locale_text.h"
#include "pim_store.h"
// The object model's own test fixture; its namespace renamed, as this test binary
// has a PimVolume of its own in pimtest.
#define pimtest poomtest
#include "pim_test.h"
#undef pimtest
#include "pimcodec/recurrence.h"
#include "pimcodec/timezone.h"

#include "cesim_shell.h"

using namespace poomtest;
using namespace daybrim;

namespace {

constexpr wchar_t kAppts[] = L"Appointments Database";
constexpr wchar_t kTasks[] = L"Tasks Database";
constexpr wchar_t kContacts[] = L"Contacts Database";
constexpr CEPROPID kPattern = 0x203F0064;
constexpr CEPROPID kSubject = 0x0020001F;
constexpr CEPROPID kSensitivity = 0x00210013;
constexpr CEPROPID kComplete = 0x1065000B;
constexpr CEPROPID kStart = 0x00620040, kDue = 0x00630040, kCompleted = 0x00640040;

class Texts : public TextSource {
public:
    std::wstring String(unsigned id) const override { return L"#" + std::to_wstring(id); }
};

uint64_t FtOf(const CEPROPVAL& v) {
    return (uint64_t(v.val.filetime.dwHighDateTime) << 32) | v.val.filetime.dwLowDateTime;
}

class ActionTest : public PimTest {
protected:
    void TearDown() override {
        CeSim_SetMessageBoxAnswer(CESIM_NO_OVERRIDE);
        PimTest::TearDown();
    }
    // Mondays and Wednesdays at 10:00 for ten occurrences from Monday 2026-12-07.
    CEOID AddSeries(uint32_t recid, const wchar_t* subject) {
        const pimcodec::Recurrence r = TenMondaysAndWednesdays();
        EXPECT_EQ(pimcodec::Status::kOk, pimcodec::EncodeRecurrence(r, &stream_));
        zone_ = pimcodec::EncodeTimeZone(pimcodec::WesternEuropeZone());
        return vol_.Add(kAppts, {cedbtest::U4(kRecid, recid), cedbtest::Str(kSubject, subject),
                                 Ft(0x10420040, Utc(2026, 12, 7, 9, 0)), cedbtest::U4(0x10400013, 60),
                                 cedbtest::U4(0x0022000B, 1), Blob(0x00480041, zone_), Blob(kPattern, stream_)});
    }
    CEOID AddAppt(uint32_t recid, const wchar_t* subject, ULONG sensitivity = 0) {
        return vol_.Add(kAppts, {cedbtest::U4(kRecid, recid), cedbtest::Str(kSubject, subject),
                                 Ft(0x10420040, Utc(2026, 12, 7, 8, 0)), cedbtest::U4(0x10400013, 60),
                                 cedbtest::U4(kSensitivity, sensitivity), cedbtest::U4(0x0022000B, 0)});
    }
    CEOID AddTask(uint32_t recid, bool recurring = false) {
        return vol_.Add(kTasks, {cedbtest::U4(kRecid, recid), cedbtest::Str(kSubject, L"Report"),
                                 cedbtest::U4(0x0022000B, recurring ? 1 : 0), Ft(kStart, Utc(2026, 12, 6)),
                                 Ft(kDue, Utc(2026, 12, 7))});
    }
    bool HasOccurrence(uint32_t id, DATE day) {
        auto a = Get<IAppointment>(long(id), IID_IAppointment);
        raii::ComPtr<IRecurrencePattern> p;
        raii::ComPtr<IAppointment> o;
        return a && SUCCEEDED(a->GetRecurrencePattern(p.out())) && SUCCEEDED(p->GetOccurrence(day, o.out())) && o;
    }
    std::map<CEPROPID, CEPROPVAL> Record(const wchar_t* db, CEOID oid) { return vol_.Read(db, oid, &buf_); }

    Texts texts_;
    ItemActions actions_{nullptr, texts_};
    std::vector<uint8_t> stream_, zone_;
    cedbtest::ReadBuffer buf_;
};

constexpr uint32_t Appt(uint32_t recid) { return 0x40000000u + recid; }
constexpr uint32_t Task(uint32_t recid) { return recid - 0x40000000u; }
constexpr uint32_t Contact(uint32_t recid) { return recid + 0x80000000u; }

}  // namespace

TEST_F(ActionTest, DeletingARecurringAppointmentByAnswer) {
    struct Case {
        int answer;
        DATE day;
        bool changed, recordLeft, occurrenceLeft;
    } cases[] = {
        {IDYES, Ole(2026, 12, 9), true, true, false},   // that occurrence only
        {IDYES, Ole(2026, 12, 8), false, true, true},   // no occurrence on a Tuesday
        {IDNO, Ole(2026, 12, 9), true, false, false},   // the whole series
        {IDCANCEL, Ole(2026, 12, 9), false, true, true},
    };
    uint32_t recid = 0xF601;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const CEOID rec = AddSeries(recid, L"Standup");
        CeSim_SetMessageBoxAnswer(c.answer);
        EXPECT_EQ(c.changed, actions_.DeleteAppointment(Appt(recid), c.day + 10.0 / 24));
        EXPECT_EQ(c.recordLeft, !Record(kAppts, rec).empty());
        EXPECT_EQ(c.occurrenceLeft, HasOccurrence(Appt(recid), Ole(2026, 12, 9)));
        if (c.recordLeft) {
            EXPECT_TRUE(HasOccurrence(Appt(recid), Ole(2026, 12, 14)));
        }
        ++recid;
    }
}

TEST_F(ActionTest, DeletingSingleItemsAsksFirst) {
    const CEOID appt = AddAppt(0xF611, L"Review");
    CeSim_SetMessageBoxAnswer(IDNO);
    EXPECT_FALSE(actions_.DeleteAppointment(Appt(0xF611), Ole(2026, 12, 7)));
    EXPECT_FALSE(Record(kAppts, appt).empty());
    CeSim_SetMessageBoxAnswer(IDYES);
    EXPECT_TRUE(actions_.DeleteAppointment(Appt(0xF611), Ole(2026, 12, 7)));
    EXPECT_TRUE(Record(kAppts, appt).empty());
    // Gone already: nothing is asked or changed.
    EXPECT_FALSE(actions_.DeleteAppointment(Appt(0xF611), Ole(2026, 12, 7)));

    const CEOID contact = vol_.Add(kContacts, {cedbtest::U4(kRecid, 0xF612), cedbtest::Str(0x0080001F, L"Lind, Per")});
    EXPECT_TRUE(actions_.DeleteContact(Contact(0xF612)));
    EXPECT_TRUE(Record(kContacts, contact).empty());

    // Through the item: the kind picks the action.
    const CEOID task = AddTask(0xF613);
    TTaskTsks item;
    item.poomId = Task(0xF613);
    EXPECT_TRUE(actions_.DeleteItem(item));
    EXPECT_TRUE(Record(kTasks, task).empty());
}

TEST_F(ActionTest, DeletingARecurringTaskSkipsOrDeletes) {
    const CEOID skipped = AddTask(0xF621, true), deleted = AddTask(0xF622, true);
    CeSim_SetMessageBoxAnswer(IDYES);
    EXPECT_TRUE(actions_.DeleteTask(Task(0xF621)));
    auto r = Record(kTasks, skipped);
    ASSERT_FALSE(r.empty());
    EXPECT_EQ(Utc(2026, 12, 14), FtOf(r[kDue]));  // on to the next week's
    CeSim_SetMessageBoxAnswer(IDNO);
    EXPECT_TRUE(actions_.DeleteTask(Task(0xF622)));
    EXPECT_TRUE(Record(kTasks, deleted).empty());
}

TEST_F(ActionTest, MarkingDoneNeverDoublesTheMarkers) {
    const std::wstring marked = L"<\u2022>Gym</\u2022>";
    const CEOID rec = AddAppt(0xF631, L"Gym");
    struct Step {
        bool done;
        std::wstring want;
    } steps[] = {{true, marked}, {true, marked}, {false, L"Gym"}, {false, L"Gym"}};
    for (const Step& s : steps) {
        EXPECT_TRUE(actions_.MarkAppointmentDone(Appt(0xF631), Ole(2026, 12, 7), s.done));
        EXPECT_EQ(s.want, Record(kAppts, rec)[kSubject].val.lpwstr);
    }
}

TEST_F(ActionTest, MarkingAnOccurrenceDoneLeavesTheSeries) {
    const CEOID rec = AddSeries(0xF632, L"Standup");
    CeSim_SetMessageBoxAnswer(IDYES);
    EXPECT_TRUE(actions_.MarkAppointmentDone(Appt(0xF632), Ole(2026, 12, 9), true));
    EXPECT_STREQ(L"Standup", Record(kAppts, rec)[kSubject].val.lpwstr);
    auto a = Get<IAppointment>(long(Appt(0xF632)), IID_IAppointment);
    raii::ComPtr<IRecurrencePattern> p;
    raii::ComPtr<IAppointment> o;
    ASSERT_TRUE(a && SUCCEEDED(a->GetRecurrencePattern(p.out())) && SUCCEEDED(p->GetOccurrence(Ole(2026, 12, 9), o.out())));
    Bstr s;
    o->get_Subject(s.out());
    EXPECT_EQ(L"<\u2022>Standup</\u2022>", s.str());
    // A day without an occurrence changes nothing.
    EXPECT_FALSE(actions_.MarkAppointmentDone(Appt(0xF632), Ole(2026, 12, 8), true));
}

TEST_F(ActionTest, TaskDatesAndCompletion) {
    struct Case {
        bool complete;
        DATE due, completed;
        bool ok;
        uint64_t wantDue;
        bool wantComplete;
    } cases[] = {
        {false, Ole(2026, 12, 9), PIM_NODATE, true, Utc(2026, 12, 9), false},
        {true, Ole(2026, 12, 9), Ole(2026, 12, 7), true, Utc(2026, 12, 9), true},
        // The first save fails: nothing is written, nothing completed.
        {true, -200000.0, Ole(2026, 12, 7), false, Utc(2026, 12, 7), false},
        // The second fails: the dates stay saved and the failure is told.
        {true, Ole(2026, 12, 9), -200000.0, false, Utc(2026, 12, 9), false},
    };
    uint32_t recid = 0xF641;
    for (const Case& c : cases) {
        SCOPED_TRACE(recid);
        const CEOID rec = AddTask(recid);
        EXPECT_EQ(c.ok, actions_.SetTaskDates(Task(recid), Ole(2026, 12, 8), c.due, c.complete, c.completed));
        auto r = Record(kTasks, rec);
        EXPECT_EQ(c.wantDue, FtOf(r[kDue]));
        EXPECT_EQ(c.wantComplete, r[kComplete].val.boolVal != 0);
        if (c.wantComplete) {
            EXPECT_EQ(Utc(2026, 12, 7), FtOf(r[kCompleted]));
        }
        ++recid;
    }
    const CEOID rec = AddTask(0xF649);
    EXPECT_TRUE(actions_.CompleteTask(Task(0xF649), Ole(2026, 12, 5)));
    auto r = Record(kTasks, rec);
    EXPECT_TRUE(r[kComplete].val.boolVal);
    EXPECT_EQ(Utc(2026, 12, 5), FtOf(r[kCompleted]));
    EXPECT_FALSE(actions_.CompleteTask(Task(0xF64A), Ole(2026, 12, 5)));  // no such task
}

TEST_F(ActionTest, TogglingPrivateOnAppointmentsAndTasks) {
    const CEOID appt = AddAppt(0xF651, L"Doctor", olPersonal);
    const CEOID task = AddTask(0xF652);
    for (ULONG want : {ULONG(olPrivate), ULONG(olNormal), ULONG(olPrivate)}) {
        EXPECT_TRUE(actions_.TogglePrivate(Appt(0xF651)));
        EXPECT_EQ(want, Record(kAppts, appt)[kSensitivity].val.ulVal);
        EXPECT_TRUE(actions_.TogglePrivate(Task(0xF652)));
        auto t = Get<ITask>(long(Task(0xF652)), IID_ITask);
        long s = -1;
        t->get_Sensitivity(&s);
        EXPECT_EQ(long(want), s);
        EXPECT_FALSE(Record(kTasks, task).empty());
    }
    EXPECT_FALSE(actions_.TogglePrivate(Contact(0xF653)));
}

TEST_F(ActionTest, BusyImportanceAndReminderOnlyWithValidValues) {
    AddAppt(0xF661, L"Review");
    AddTask(0xF662);
    struct Case {
        int status;
        bool ok;
    } busy[] = {{0, true}, {3, true}, {1, true}, {4, false}, {-1, false}};
    for (const Case& c : busy) {
        EXPECT_EQ(c.ok, actions_.SetBusyStatus(Appt(0xF661), c.status)) << c.status;
        auto a = Get<IAppointment>(long(Appt(0xF661)), IID_IAppointment);
        long v = -1;
        a->get_BusyStatus(&v);
        if (c.ok) EXPECT_EQ(c.status, v);
    }
    EXPECT_FALSE(actions_.SetBusyStatus(Task(0xF662), 2)) << "tasks have no busy status";
    Case importance[] = {{2, true}, {0, true}, {3, false}};
    for (const Case& c : importance) {
        EXPECT_EQ(c.ok, actions_.SetImportance(Task(0xF662), c.status)) << c.status;
        auto t = Get<ITask>(long(Task(0xF662)), IID_ITask);
        long v = -1;
        t->get_Importance(&v);
        if (c.ok) EXPECT_EQ(c.status, v);
    }
    EXPECT_FALSE(actions_.SetImportance(Appt(0xF661), 2));
    EXPECT_TRUE(actions_.SetAppointmentReminder(Appt(0xF661), true, 1440));
    auto a = Get<IAppointment>(long(Appt(0xF661)), IID_IAppointment);
    VARIANT_BOOL set = VARIANT_FALSE;
    long minutes = 0;
    a->get_ReminderSet(&set);
    a->get_ReminderMinutesBeforeStart(&minutes);
    EXPECT_EQ(VARIANT_TRUE, set);
    EXPECT_EQ(1440, minutes);
    bool on = false;
    long lead = 0;
    EXPECT_TRUE(actions_.GetAppointmentReminder(Appt(0xF661), &on, &lead));
    EXPECT_TRUE(on);
    EXPECT_EQ(1440, lead);
    EXPECT_FALSE(actions_.GetAppointmentReminder(Task(0xF662), &on, &lead));
    EXPECT_TRUE(actions_.SetAppointmentReminder(Appt(0xF661), false, 0));
    a = Get<IAppointment>(long(Appt(0xF661)), IID_IAppointment);
    a->get_ReminderSet(&set);
    EXPECT_EQ(VARIANT_FALSE, set);
    EXPECT_FALSE(actions_.SetAppointmentReminder(Appt(0xF661), true, -5));
}

TEST(LocaleText, PicturesThroughTheLocaleFunctions) {
    const Texts texts;
    const DATE evening = Ole(2026, 12, 7, 18, 5);
    const int32_t today = DayOf(evening);
    struct Case {
        bool monthFirst, twelveHour;
        DATE date;
        const wchar_t* column;
    } cases[] = {
        {true, true, evening, L"6:05P"},
        {true, false, evening, L"18:05"},
        {true, true, evening + 1, L"12/08"},
        {false, true, evening + 1, L"08/12"},
    };
    for (const Case& c : cases) {
        const LocaleFormat f(0x0409, c.monthFirst, c.twelveHour);
        EXPECT_EQ(c.column, DateOrTimeColumn(c.date, today, f));
    }
    const LocaleFormat us(0x0409, true, true);
    EXPECT_EQ(L"[07/12] Ann #41280 (34)",
              SpecialEventLine(3, evening, L"Ann", EventKind::kBirthday, 34, us, texts));
    EXPECT_EQ(L"[12/07/26] Ann #41281 (5)",
              SpecialEventLine(2, evening, L"Ann", EventKind::kAnniversary, 5, us, texts));

    TTaskClr task;
    task.due = Ole(2026, 12, 9);
    task.reminder.value = 1.0;
    task.reminderTime = Ole(2026, 12, 9, 9, 30);
    DuePrefixOptions o;
    o.dueDateFormat = 2;
    EXPECT_EQ(L"9/12/26 ", TaskDuePrefix(task, today, o, us));
    o.dueDateFormat = 0;
    EXPECT_EQ(L"12/9/2026 ", TaskDuePrefix(task, today, o, us));
    o.sortWithAppts = true;
    o.twoDigitHours = true;
    EXPECT_EQ(L"09:30A ", TaskDuePrefix(task, DayOf(task.due), o, us));
    EXPECT_EQ(L"09:30 ", TaskDuePrefix(task, DayOf(task.due), o, LocaleFormat(0x0409, true, false)));

    TaskPrefixOptions p;
    p.dateFormat = 6;
    TTaskTsks t;
    t.startDate = Ole(2026, 12, 8);
    t.due = Ole(2027, 1, 2);
    EXPECT_EQ(L"8/12-2/1/27: ", TaskDatePrefix(t, p, us, texts));
    EXPECT_EQ(L"", us.Date(1e12, L"MM"));  // beyond any calendar: no text
}

TEST(LocaleText, OrdersReadFromTheLocale) {
    struct Case {
        LCID lcid;
        bool monthFirst, twelveHour;
    } cases[] = {{0x0409, true, true}, {0x0809, false, false}, {0x0407, false, false}};
    for (const Case& c : cases) {
        const LocaleFormat f(c.lcid);
        EXPECT_EQ(c.monthFirst, f.MonthOrYearFirst()) << c.lcid;
        EXPECT_EQ(c.twelveHour, f.TwelveHour()) << c.lcid;
    }
}

// What the Calendar tab changes through the object model reaches the calendar's
// days: an occurrence moved to another day is listed there and not on its old day,
// and a whole series moved to another hour is listed at the new hour.
TEST_F(ActionTest, ChangesThroughTheObjectModelReachTheCalendar) {
    AddSeries(0xF640, L"Standup");
    const uint32_t id = Appt(0xF640);
    auto a = Get<IAppointment>(long(id), IID_IAppointment);
    raii::ComPtr<IRecurrencePattern> p;
    raii::ComPtr<IAppointment> o;
    ASSERT_TRUE(a && SUCCEEDED(a->GetRecurrencePattern(p.out())) && SUCCEEDED(p->GetOccurrence(Ole(2026, 12, 9), o.out())));
    ASSERT_EQ(S_OK, o->put_Start(Ole(2026, 12, 10, 15, 0)));
    ASSERT_EQ(S_OK, o->Save());

    // The series' starts on each day of the week from Monday the 7th.
    auto listed = [&] {
        PimOptions opt;
        opt.contactsTab = false;
        CPimStore store(nullptr);
        store.Start(nullptr, opt, int32_t(Ole(2026, 12, 7)));
        std::vector<std::vector<double>> days(7);
        for (int i = 0; i < 7; ++i)
            if (TDailyList* d = store.Day(uint32_t(Ole(2026, 12, 7) + i)))
                for (TChildItem* c : d->children())
                    if (c->Kind() == kKindAppt && static_cast<TApptItem*>(c)->poomId == id)
                        days[size_t(i)].push_back(std::round(static_cast<TApptItem*>(c)->start * 1440) / 1440);
        return days;
    };
    auto at = [](int d, int h, int m) { return std::round(Ole(2026, 12, d, h, m) * 1440) / 1440; };
    EXPECT_EQ((std::vector<std::vector<double>>{{at(7, 10, 0)}, {}, {}, {at(10, 15, 0)}, {}, {}, {}}), listed());

    ASSERT_EQ(S_OK, a->put_Start(Ole(2026, 12, 7, 13, 30)));
    ASSERT_EQ(S_OK, a->Save());
    EXPECT_EQ((std::vector<std::vector<double>>{{at(7, 13, 30)}, {}, {}, {at(10, 15, 0)}, {}, {}, {}}), listed());
}
