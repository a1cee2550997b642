// Recurring appointments: the pattern as read, occurrences found by day, and what
// changing or deleting one occurrence writes into the series' pattern stream.
#include "pim_test.h"
#include "pimcodec/recurrence.h"
#include "pimcodec/timezone.h"

using namespace pimtest;

namespace {

constexpr wchar_t kAppts[] = L"Appointments Database";
constexpr CEPROPID kPattern = 0x203F0064;


// Mondays and Wednesdays at 10:00 (Western Europe) for ten occurrences from Monday
// 2026-12-07.
class RecurrenceTest : public PimTest {
protected:
    void SetUp() override {
        PimTest::SetUp();
        pimcodec::Recurrence r = TenMondaysAndWednesdays();
        ASSERT_EQ(pimcodec::Status::kOk, pimcodec::EncodeRecurrence(r, &stream_));
        zone_blob_ = pimcodec::EncodeTimeZone(pimcodec::WesternEuropeZone());
        rec_ = vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF401), cedbtest::Str(0x0020001F, L"Standup"),
                                 Ft(0x10420040, Utc(2026, 12, 7, 9, 0)), cedbtest::U4(0x10400013, 60),
                                 cedbtest::U4(0x0022000B, 1), Blob(0x00480041, zone_blob_),
                                 Blob(kPattern, stream_)});
        appt_ = Get<IAppointment>(long(0x4000F401), IID_IAppointment);
        ASSERT_TRUE(appt_);
        ASSERT_EQ(S_OK, appt_->GetRecurrencePattern(pattern_.out()));
    }
    pimcodec::Recurrence Stored() {
        cedbtest::ReadBuffer b;
        auto r = vol_.Read(kAppts, rec_, &b);
        pimcodec::Recurrence out;
        EXPECT_EQ(pimcodec::Status::kOk,
                  pimcodec::DecodeRecurrence(r[kPattern].val.blob.lpb, r[kPattern].val.blob.dwCount, &out));
        return out;
    }

    std::vector<uint8_t> stream_, zone_blob_;
    CEOID rec_ = 0;
    raii::ComPtr<IAppointment> appt_;
    raii::ComPtr<IRecurrencePattern> pattern_;
};

}  // namespace

TEST_F(RecurrenceTest, PatternReadsAsStored) {
    long v = 0;
    pattern_->get_RecurrenceType(&v);
    EXPECT_EQ(olRecursWeekly, v);
    pattern_->get_DayOfWeekMask(&v);
    EXPECT_EQ(pimcodec::kMonday | pimcodec::kWednesday, v);
    pattern_->get_Interval(&v);
    EXPECT_EQ(1, v);
    pattern_->get_Occurrences(&v);
    EXPECT_EQ(10, v);
    VARIANT_BOOL b = VARIANT_TRUE;
    pattern_->get_NoEndDate(&b);
    EXPECT_EQ(VARIANT_FALSE, b);
    DATE d = 0;
    pattern_->get_PatternStartDate(&d);
    EXPECT_DOUBLE_EQ(Ole(2026, 12, 7), d);
    pattern_->get_PatternEndDate(&d);
    EXPECT_DOUBLE_EQ(Ole(2027, 1, 6), d);  // the tenth: Wednesday 6 January
    raii::ComPtr<IExceptions> ex;
    ASSERT_EQ(S_OK, pattern_->get_Exceptions(ex.out()));
    int n = -1;
    ex->get_Count(&n);
    EXPECT_EQ(0, n);
}

TEST_F(RecurrenceTest, OccurrencesAreFoundByTheirLocalDayOnly) {
    raii::ComPtr<IAppointment> occ;
    ASSERT_EQ(S_OK, pattern_->GetOccurrence(Ole(2026, 12, 9, 18, 45), occ.out()));
    DATE start = 0, end = 0;
    occ->get_Start(&start);
    occ->get_End(&end);
    EXPECT_DOUBLE_EQ(Ole(2026, 12, 9, 10, 0), start);
    EXPECT_DOUBLE_EQ(Ole(2026, 12, 9, 11, 0), end);
    long oid = 0;
    occ->get_Oid(&oid);
    EXPECT_EQ(long(0x4000F401), oid);
    VARIANT_BOOL b = VARIANT_FALSE;
    occ->get_IsRecurring(&b);
    EXPECT_EQ(VARIANT_TRUE, b);

    // No occurrence on a Tuesday, after the tenth, or before the first.
    for (DATE day : {Ole(2026, 12, 8), Ole(2027, 1, 11), Ole(2026, 11, 30)}) {
        IAppointment* raw = reinterpret_cast<IAppointment*>(1);
        EXPECT_TRUE(FAILED(pattern_->GetOccurrence(day, &raw)));
        EXPECT_EQ(nullptr, raw);
    }
    IAppointment* raw = nullptr;
    EXPECT_EQ(E_INVALIDARG, pattern_->GetOccurrence(std::numeric_limits<double>::infinity(), &raw));
    EXPECT_EQ(E_POINTER, pattern_->GetOccurrence(Ole(2026, 12, 9), nullptr));
}

TEST_F(RecurrenceTest, SavingAnOccurrenceAddsAnExceptionAndNotifies) {
    cedbtest::NotifyWindow w;
    CENOTIFYREQUEST req = w.Request(1);
    cedbtest::DbHandle watch(vol_.Open(kAppts, &req));

    raii::ComPtr<IAppointment> occ;
    ASSERT_EQ(S_OK, pattern_->GetOccurrence(Ole(2026, 12, 9), occ.out()));
    Bstr done(L"<\u2022>Standup</\u2022>");
    ASSERT_EQ(S_OK, occ->put_Subject(done.get()));
    ASSERT_EQ(S_OK, occ->put_Start(Ole(2026, 12, 9, 11, 0)));  // keeps its hour's length
    EXPECT_EQ(E_NOTIMPL, occ->put_Sensitivity(olPrivate));    // the series' alone
    ASSERT_EQ(S_OK, occ->Save());
    ASSERT_TRUE(w.WaitFor(1, 5000));
    EXPECT_EQ(UINT(DB_CEOID_CHANGED), w.notes[0].type);

    pimcodec::Recurrence r = Stored();
    ASSERT_EQ(1u, r.exceptions.size());
    const pimcodec::Exception& e = r.exceptions[0];
    EXPECT_EQ(Midnight(2026, 12, 9), e.originalDate);
    EXPECT_EQ(Midnight(2026, 12, 9) + 660, e.start);
    EXPECT_EQ(Midnight(2026, 12, 9) + 720, e.end);
    ASSERT_TRUE(e.subject.has_value());
    EXPECT_EQ(u"<\u2022>Standup</\u2022>", *e.subject);
    EXPECT_TRUE(r.removed.empty());

    // The series keeps its own subject; the occurrence reads as changed.
    Bstr s;
    appt_->get_Subject(s.out());
    EXPECT_EQ(L"Standup", s.str());
    raii::ComPtr<IAppointment> again;
    ASSERT_EQ(S_OK, pattern_->GetOccurrence(Ole(2026, 12, 9), again.out()));
    again->get_Subject(s.out());
    EXPECT_EQ(L"<\u2022>Standup</\u2022>", s.str());
    raii::ComPtr<IExceptions> ex;
    ASSERT_EQ(S_OK, pattern_->get_Exceptions(ex.out()));
    raii::ComPtr<IException> first;
    ASSERT_EQ(S_OK, ex->Item(1, first.out()));
    VARIANT_BOOL deleted = VARIANT_TRUE;
    first->get_Deleted(&deleted);
    EXPECT_EQ(VARIANT_FALSE, deleted);
    EXPECT_EQ(E_INVALIDARG, ex->Item(2, first.out()));

    // Too long for the layout: refused rather than cut.
    Bstr longText(std::wstring(256, L'x').c_str());
    EXPECT_EQ(E_INVALIDARG, again->put_Subject(longText.get()));
}

TEST_F(RecurrenceTest, DeletingAnOccurrenceRemovesThatDayOnly) {
    raii::ComPtr<IAppointment> occ;
    ASSERT_EQ(S_OK, pattern_->GetOccurrence(Ole(2026, 12, 14), occ.out()));
    ASSERT_EQ(S_OK, occ->Delete());
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_NOT_FOUND), occ->Delete());

    pimcodec::Recurrence r = Stored();
    EXPECT_EQ(std::vector<uint32_t>{Midnight(2026, 12, 14)}, r.removed);
    raii::ComPtr<IAppointment> gone;
    EXPECT_TRUE(FAILED(pattern_->GetOccurrence(Ole(2026, 12, 14), gone.out())));
    raii::ComPtr<IAppointment> next;
    EXPECT_EQ(S_OK, pattern_->GetOccurrence(Ole(2026, 12, 16), next.out()));

    raii::ComPtr<IExceptions> ex;
    ASSERT_EQ(S_OK, pattern_->get_Exceptions(ex.out()));
    raii::ComPtr<IException> e;
    ASSERT_EQ(S_OK, ex->Item(1, e.out()));
    VARIANT_BOOL deleted = VARIANT_FALSE;
    e->get_Deleted(&deleted);
    EXPECT_EQ(VARIANT_TRUE, deleted);
    DATE original = 0;
    e->get_OriginalDate(&original);
    EXPECT_DOUBLE_EQ(Ole(2026, 12, 14, 10, 0), original);
    raii::ComPtr<IAppointment> none;
    EXPECT_TRUE(FAILED(e->get_AppointmentItem(none.out())));

    // The whole series goes with Delete on the series.
    ASSERT_EQ(S_OK, appt_->Delete());
    raii::ComPtr<IAppointment> orphan;
    EXPECT_TRUE(FAILED(pattern_->GetOccurrence(Ole(2026, 12, 16), orphan.out())) || !orphan ||
                FAILED(orphan->Save()));
}

TEST_F(PimTest, AnUnreadablePatternIsRefusedNotGuessed) {
    std::vector<uint8_t> junk = {0x04, 0x30, 0x04, 0x30, 0x0B, 0x20, 0x01};
    vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF402), cedbtest::U4(0x0022000B, 1), Blob(kPattern, junk)});
    auto a = Get<IAppointment>(long(0x4000F402), IID_IAppointment);
    ASSERT_TRUE(a);
    raii::ComPtr<IRecurrencePattern> p;
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INVALID_DATA), a->GetRecurrencePattern(p.out()));
    EXPECT_FALSE(p);
}

// Changing the series' start or length through the series moves its pattern, so
// that every occurrence follows; steps apply one after the other.
TEST_F(RecurrenceTest, MovingTheSeriesMovesItsPattern) {
    struct Step {
        const char* name;
        DATE start;    // 0: unchanged
        long duration;  // -1: unchanged
        uint32_t patternStart, patternEnd;
        int32_t startOffset, endOffset;
        DATE occurrenceDay, occurrenceStart;  // an occurrence as the calendar then finds it
    };
    const Step steps[] = {
        {"later the same day", Ole(2026, 12, 7, 13, 30), -1, Midnight(2026, 12, 7), Midnight(2027, 1, 6), 810, 870,
         Ole(2026, 12, 16), Ole(2026, 12, 16, 13, 30)},
        {"longer", 0, 90, Midnight(2026, 12, 7), Midnight(2027, 1, 6), 810, 900, Ole(2026, 12, 9),
         Ole(2026, 12, 9, 13, 30)},
        // From a Tuesday the ten Mondays and Wednesdays end five days later.
        {"a day later", Ole(2026, 12, 8, 9, 0), -1, Midnight(2026, 12, 8), Midnight(2027, 1, 11), 540, 630,
         Ole(2027, 1, 11), Ole(2027, 1, 11, 9, 0)},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.start) ASSERT_EQ(S_OK, appt_->put_Start(s.start));
        if (s.duration >= 0) ASSERT_EQ(S_OK, appt_->put_Duration(s.duration));
        ASSERT_EQ(S_OK, appt_->Save());
        pimcodec::Recurrence r = Stored();
        EXPECT_EQ(s.patternStart, r.patternStart);
        EXPECT_EQ(s.patternEnd, r.patternEnd);
        EXPECT_EQ(s.startOffset, r.startOffset);
        EXPECT_EQ(s.endOffset, r.endOffset);
        EXPECT_EQ(10u, r.occurrences);
        raii::ComPtr<IAppointment> occ;
        ASSERT_EQ(S_OK, pattern_->GetOccurrence(s.occurrenceDay, occ.out()));
        DATE start = 0;
        occ->get_Start(&start);
        EXPECT_NEAR(s.occurrenceStart, start, 1e-6);
    }
}

// An occurrence given another day through the occurrence becomes an exception of
// that date: found on its new day, gone from its old one, the others untouched.
TEST_F(RecurrenceTest, AnOccurrenceMovedToAnotherDay) {
    raii::ComPtr<IAppointment> occ;
    ASSERT_EQ(S_OK, pattern_->GetOccurrence(Ole(2026, 12, 9), occ.out()));
    ASSERT_EQ(S_OK, occ->put_Start(Ole(2026, 12, 10, 15, 0)));
    ASSERT_EQ(S_OK, occ->put_End(Ole(2026, 12, 10, 15, 45)));
    ASSERT_EQ(S_OK, occ->Save());

    pimcodec::Recurrence r = Stored();
    ASSERT_EQ(1u, r.exceptions.size());
    EXPECT_EQ(Midnight(2026, 12, 9), r.exceptions[0].originalDate);
    EXPECT_EQ(Midnight(2026, 12, 10) + 900, r.exceptions[0].start);
    EXPECT_EQ(Midnight(2026, 12, 10) + 945, r.exceptions[0].end);
    // The agenda reads the occurrence days of the stored pattern and takes the
    // replaced date out: the 9th is gone, the 10th holds the exception.
    const std::vector<uint32_t> days = pimcodec::OccurrenceDaysBetween(r, Midnight(2026, 12, 7), Midnight(2026, 12, 13), 10);
    EXPECT_EQ((std::vector<uint32_t>{Midnight(2026, 12, 7), Midnight(2026, 12, 9)}), days);

    raii::ComPtr<IAppointment> moved, old, other;
    ASSERT_EQ(S_OK, pattern_->GetOccurrence(Ole(2026, 12, 10), moved.out()));
    DATE start = 0;
    moved->get_Start(&start);
    EXPECT_NEAR(Ole(2026, 12, 10, 15, 0), start, 1e-6);
    EXPECT_TRUE(FAILED(pattern_->GetOccurrence(Ole(2026, 12, 9), old.out())));
    ASSERT_EQ(S_OK, pattern_->GetOccurrence(Ole(2026, 12, 14), other.out()));
    other->get_Start(&start);
    EXPECT_NEAR(Ole(2026, 12, 14, 10, 0), start, 1e-6);
}
