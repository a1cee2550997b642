// Appointments, tasks and contacts: what each property reads from the record, what
// Save writes back (and that the store notifies it), what Delete removes, and the
// values each property refuses.
#include "pim_test.h"

using namespace pimtest;

namespace {

constexpr wchar_t kAppts[] = L"Appointments Database";
constexpr wchar_t kTasks[] = L"Tasks Database";
constexpr wchar_t kContacts[] = L"Contacts Database";

uint64_t FtOf(const CEPROPVAL& v) {
    return (uint64_t(v.val.filetime.dwHighDateTime) << 32) | v.val.filetime.dwLowDateTime;
}

}  // namespace

TEST_F(PimTest, AppointmentReadsItsRecordInLocalTime) {
    vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF201), cedbtest::Str(0x0020001F, L"Review"),
                      cedbtest::Str(0x0041001F, L"Room 4"), cedbtest::Str(0x101F001F, L"call +49 30 1234"),
                      Ft(0x10420040, Utc(2026, 12, 7, 8, 30)), cedbtest::U4(0x10400013, 90),
                      cedbtest::U4(0x00450013, 3), cedbtest::U4(0x00210013, 2), cedbtest::U4(0x0028000B, 1),
                      cedbtest::U4(0x0022000B, 0)});
    auto a = Get<IAppointment>(long(0x4000F201), IID_IAppointment);
    ASSERT_TRUE(a);
    Bstr s;
    a->get_Subject(s.out());
    EXPECT_EQ(L"Review", s.str());
    a->get_Location(s.out());
    EXPECT_EQ(L"Room 4", s.str());
    a->get_Body(s.out());
    EXPECT_EQ(L"call +49 30 1234", s.str());
    DATE start = 0, end = 0;
    ASSERT_EQ(S_OK, a->get_Start(&start));
    EXPECT_DOUBLE_EQ(Ole(2026, 12, 7, 9, 30), start);  // UTC+1 in winter
    ASSERT_EQ(S_OK, a->get_End(&end));
    EXPECT_DOUBLE_EQ(Ole(2026, 12, 7, 11, 0), end);
    long v = -1;
    a->get_Duration(&v);
    EXPECT_EQ(90, v);
    a->get_BusyStatus(&v);
    EXPECT_EQ(olOutOfOffice, v);
    a->get_Sensitivity(&v);
    EXPECT_EQ(olPrivate, v);
    VARIANT_BOOL b = VARIANT_FALSE;
    a->get_ReminderSet(&b);
    EXPECT_EQ(VARIANT_TRUE, b);
    a->get_IsRecurring(&b);
    EXPECT_EQ(VARIANT_FALSE, b);
    raii::ComPtr<IRecurrencePattern> none;
    EXPECT_TRUE(FAILED(a->GetRecurrencePattern(none.out())));
    EXPECT_FALSE(none);
    EXPECT_EQ(E_POINTER, a->get_Subject(nullptr));
}

TEST_F(PimTest, AppointmentSaveWritesTheRecordAndNotifies) {
    CEOID rec = vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF202), cedbtest::Str(0x0020001F, L"Old"),
                                  Ft(0x10420040, Utc(2026, 12, 7, 8, 0)), cedbtest::U4(0x10400013, 60),
                                  cedbtest::Str(0x0041001F, L"Somewhere")});
    cedbtest::NotifyWindow w;
    CENOTIFYREQUEST req = w.Request(1);
    cedbtest::DbHandle watch(vol_.Open(kAppts, &req));

    auto a = Get<IAppointment>(long(0x4000F202), IID_IAppointment);
    ASSERT_TRUE(a);
    Bstr subject(L"New"), empty(L"");
    EXPECT_EQ(S_OK, a->put_Subject(subject.get()));
    EXPECT_EQ(S_OK, a->put_Location(empty.get()));
    // Summer time: 14:15 local is 12:15 UTC; the duration stays.
    EXPECT_EQ(S_OK, a->put_Start(Ole(2027, 7, 1, 14, 15)));
    EXPECT_EQ(S_OK, a->put_BusyStatus(olTentative));
    EXPECT_EQ(S_OK, a->put_Sensitivity(olPrivate));
    EXPECT_EQ(S_OK, a->put_ReminderSet(VARIANT_TRUE));
    EXPECT_EQ(S_OK, a->put_ReminderMinutesBeforeStart(30));
    ASSERT_EQ(S_OK, a->Save());
    ASSERT_TRUE(w.WaitFor(1, 5000));
    EXPECT_EQ(UINT(DB_CEOID_CHANGED), w.notes[0].type);
    EXPECT_EQ(rec, w.notes[0].oid);

    cedbtest::ReadBuffer b;
    auto r = vol_.Read(kAppts, rec, &b);
    EXPECT_STREQ(L"New", r[0x0020001F].val.lpwstr);
    EXPECT_EQ(0u, r.count(0x0041001F));  // emptied: gone
    EXPECT_EQ(Utc(2027, 7, 1, 12, 15), FtOf(r[0x10420040]));
    EXPECT_EQ(60u, r[0x10400013].val.ulVal);
    EXPECT_EQ(1u, r[0x00450013].val.ulVal);
    EXPECT_EQ(2u, r[0x00210013].val.ulVal);
    EXPECT_TRUE(r[0x0028000B].val.boolVal);
    EXPECT_EQ(0xF202u, r[kRecid].val.ulVal);

    // The end sets the duration.
    EXPECT_EQ(S_OK, a->put_End(Ole(2027, 7, 1, 16, 0)));
    long d = 0;
    a->get_Duration(&d);
    EXPECT_EQ(105, d);
    // Refused values change nothing.
    EXPECT_EQ(E_INVALIDARG, a->put_End(Ole(2027, 7, 1, 14, 0)));
    EXPECT_EQ(E_INVALIDARG, a->put_BusyStatus(4));
    EXPECT_EQ(E_INVALIDARG, a->put_Sensitivity(-1));
    EXPECT_EQ(E_INVALIDARG, a->put_Duration(-5));
    EXPECT_EQ(E_INVALIDARG, a->put_Start(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(E_INVALIDARG, a->put_Start(1e12));
    a->get_Duration(&d);
    EXPECT_EQ(105, d);
}

TEST_F(PimTest, DeleteRemovesTheRecordAndItsCategoriesAndNotifies) {
    CEOID rec = vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF203), cedbtest::Str(0x0020001F, L"Doomed")});
    auto a = Get<IAppointment>(long(0x4000F203), IID_IAppointment);
    ASSERT_TRUE(a);
    Bstr cats(L"PimTest Red");
    a->put_Categories(cats.get());
    ASSERT_EQ(S_OK, a->Save());

    cedbtest::NotifyWindow w;
    CENOTIFYREQUEST req = w.Request(1);
    cedbtest::DbHandle watch(vol_.Open(kAppts, &req));
    ASSERT_EQ(S_OK, a->Delete());
    ASSERT_TRUE(w.WaitFor(1, 5000));
    EXPECT_EQ(UINT(DB_CEOID_RECORD_DELETED), w.notes[0].type);
    EXPECT_EQ(rec, w.notes[0].oid);
    cedbtest::ReadBuffer b;
    EXPECT_TRUE(vol_.Read(kAppts, rec, &b).empty());
    for (auto& row : vol_.All(L"CategoryAssocDB", {0x00010013}, nullptr))
        EXPECT_NE(0x4000F203u, row[0].val.ulVal);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), a->Delete());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), a->Save());
}

TEST_F(PimTest, CategoriesAreAssociationsWithCategoriesCreatedOnDemand) {
    vol_.Add(L"CategoryMainDB", {cedbtest::Str(0x0002001F, L"PimTest Blue"), cedbtest::U4(0x00010066, 0xF301),
                                 cedbtest::U4(kRecid, 0xF301)});
    vol_.Add(kTasks, {cedbtest::U4(kRecid, 0xF204), cedbtest::Str(0x0020001F, L"tagged")});
    auto t = Get<ITask>(long(0xC000F204), IID_ITask);
    ASSERT_TRUE(t);
    Bstr s;
    ASSERT_EQ(S_OK, t->get_Categories(s.out()));
    EXPECT_EQ(L"", s.str());

    // Known names by any case, new names created, blanks and repeats dropped.
    Bstr cats(L" pimtest blue, PimTest Green,,PimTest Green ");
    t->put_Categories(cats.get());
    ASSERT_EQ(S_OK, t->Save());
    std::vector<std::vector<std::wstring>> names;
    std::vector<CEOID> oids;
    auto main = vol_.All(L"CategoryMainDB", {0x0002001F, 0x00010066}, &names, &oids);
    ULONG green = 0;
    for (size_t i = 0; i < main.size(); ++i) {
        if (names[i][0] == L"PimTest Green") {
            EXPECT_EQ(0u, green) << "created twice";
            green = main[i][1].val.ulVal;
            vol_.Track(L"CategoryMainDB", oids[i]);
        }
    }
    ASSERT_NE(0u, green);
    std::vector<ULONG> linked;
    for (auto& row : vol_.All(L"CategoryAssocDB", {0x00010013, 0x00020003}, nullptr))
        if (row[0].val.ulVal == 0xC000F204u) linked.push_back(row[1].val.ulVal);
    std::sort(linked.begin(), linked.end());
    std::vector<ULONG> expected = {green, 0xF301};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, linked);

    auto again = Get<ITask>(long(0xC000F204), IID_ITask);
    ASSERT_TRUE(again);
    ASSERT_EQ(S_OK, again->get_Categories(s.out()));
    // In the category list's order.
    EXPECT_EQ(L"PimTest Blue, PimTest Green", s.str());

    Bstr none(L"");
    again->put_Categories(none.get());
    ASSERT_EQ(S_OK, again->Save());
    for (auto& row : vol_.All(L"CategoryAssocDB", {0x00010013}, nullptr))
        EXPECT_NE(0xC000F204u, row[0].val.ulVal);
    ASSERT_EQ(S_OK, again->get_Categories(s.out()));
    EXPECT_EQ(L"", s.str());
}

TEST_F(PimTest, TaskDatesCompletionAndImportance) {
    CEOID rec = vol_.Add(kTasks, {cedbtest::U4(kRecid, 0xF205), cedbtest::Str(0x0020001F, L"Report"),
                                  cedbtest::Str(0x101F001F, L"ring 555 0199"), Ft(0x00620040, Utc(2026, 12, 1)),
                                  Ft(0x00630040, pimcodec::NoDateFiletime()), cedbtest::U4(0x00600013, 2),
                                  cedbtest::U4(0x1065000B, 0), Ft(0x10660040, Utc(2026, 7, 3, 7, 0))});
    auto t = Get<ITask>(long(0xC000F205), IID_ITask);
    ASSERT_TRUE(t);
    DATE d = 0;
    t->get_StartDate(&d);
    EXPECT_DOUBLE_EQ(Ole(2026, 12, 1), d);  // as stored, no zone
    t->get_DueDate(&d);
    EXPECT_EQ(PIM_NODATE, d);
    t->get_DateCompleted(&d);  // absent
    EXPECT_EQ(PIM_NODATE, d);
    t->get_ReminderTime(&d);
    EXPECT_DOUBLE_EQ(Ole(2026, 7, 3, 9, 0), d);  // a moment: local summer time
    long v = 0;
    t->get_Importance(&v);
    EXPECT_EQ(olImportanceHigh, v);
    Bstr s;
    t->get_Body(s.out());
    EXPECT_EQ(L"ring 555 0199", s.str());

    // What the set-dates action does: dates, completion cleared, saved; then completed.
    EXPECT_EQ(S_OK, t->put_StartDate(Ole(2026, 12, 8)));
    EXPECT_EQ(S_OK, t->put_DueDate(Ole(2026, 12, 9)));
    EXPECT_EQ(S_OK, t->put_Complete(VARIANT_FALSE));
    EXPECT_EQ(S_OK, t->put_DateCompleted(PIM_NODATE));
    ASSERT_EQ(S_OK, t->Save());
    EXPECT_EQ(S_OK, t->put_Complete(VARIANT_TRUE));
    EXPECT_EQ(S_OK, t->put_DateCompleted(Ole(2026, 12, 7)));
    EXPECT_EQ(S_OK, t->put_Importance(olImportanceLow));
    EXPECT_EQ(E_INVALIDARG, t->put_Importance(3));
    EXPECT_EQ(E_INVALIDARG, t->put_DueDate(-200000.0));
    ASSERT_EQ(S_OK, t->Save());

    cedbtest::ReadBuffer b;
    auto r = vol_.Read(kTasks, rec, &b);
    EXPECT_EQ(Utc(2026, 12, 8), FtOf(r[0x00620040]));
    EXPECT_EQ(Utc(2026, 12, 9), FtOf(r[0x00630040]));
    EXPECT_EQ(Utc(2026, 12, 7), FtOf(r[0x00640040]));
    EXPECT_TRUE(r[0x1065000B].val.boolVal);
    EXPECT_EQ(0u, r[0x00600013].val.ulVal);
    EXPECT_STREQ(L"Report", r[0x0020001F].val.lpwstr);  // untouched properties stay
}

TEST_F(PimTest, RecurringTaskSkipsToItsNextOccurrence) {
    CEOID plain = vol_.Add(kTasks, {cedbtest::U4(kRecid, 0xF206), cedbtest::U4(0x0022000B, 1),
                                    Ft(0x00620040, Utc(2026, 12, 6)), Ft(0x00630040, Utc(2026, 12, 7))});
    vol_.Add(kTasks, {cedbtest::U4(kRecid, 0xF207), cedbtest::U4(0x0022000B, 0), Ft(0x00630040, Utc(2026, 12, 7))});
    auto t = Get<ITask>(long(0xC000F206), IID_ITask);
    ASSERT_TRUE(t);
    ASSERT_EQ(S_OK, t->SkipRecurrence());  // saved at once
    cedbtest::ReadBuffer b;
    auto r = vol_.Read(kTasks, plain, &b);
    EXPECT_EQ(Utc(2026, 12, 13), FtOf(r[0x00620040]));
    EXPECT_EQ(Utc(2026, 12, 14), FtOf(r[0x00630040]));

    auto once = Get<ITask>(long(0xC000F207), IID_ITask);
    ASSERT_TRUE(once);
    EXPECT_EQ(E_UNEXPECTED, once->SkipRecurrence());
}

TEST_F(PimTest, ContactFileAsAndNames) {
    CEOID rec = vol_.Add(kContacts, {cedbtest::U4(kRecid, 0xF208), cedbtest::Str(0x0080001F, L"Lind, Per"),
                                     cedbtest::Str(0x0082001F, L"Per"), cedbtest::Str(0x0084001F, L"Lind"),
                                     cedbtest::Str(0x008A001F, L"Acme")});
    cedbtest::NotifyWindow w;
    CENOTIFYREQUEST req = w.Request(3);
    cedbtest::DbHandle watch(vol_.Open(kContacts, &req));
    auto c = Get<IContact>(long(0x8000F208), IID_IContact);
    ASSERT_TRUE(c);
    Bstr s;
    c->get_FirstName(s.out());
    EXPECT_EQ(L"Per", s.str());
    c->get_CompanyName(s.out());
    EXPECT_EQ(L"Acme", s.str());
    DATE bday = 0;
    c->get_Birthday(&bday);
    EXPECT_EQ(PIM_NODATE, bday);
    Bstr fileAs(L"Acme (Lind, Per)");
    c->put_FileAs(fileAs.get());
    ASSERT_EQ(S_OK, c->Save());
    ASSERT_TRUE(w.WaitFor(1, 5000));
    EXPECT_EQ(3u, w.notes[0].param);
    cedbtest::ReadBuffer b;
    EXPECT_STREQ(L"Acme (Lind, Per)", vol_.Read(kContacts, rec, &b)[0x0080001F].val.lpwstr);

    ASSERT_EQ(S_OK, c->Delete());
    cedbtest::ReadBuffer b2;
    EXPECT_TRUE(vol_.Read(kContacts, rec, &b2).empty());
}
