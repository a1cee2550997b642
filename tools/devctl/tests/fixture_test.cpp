#include "fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "pimcodec/recurrence.h"
#include "pimcodec/timezone.h"
#include "text.h"

using namespace devctl;
using nlohmann::json;

namespace {

Plan PlanOf(const std::string& text, const StoreState& st = {}) {
    return PlanFixture(json::parse(text), ".", st);
}

// The error a fixture gives, as "where: what"; empty when it plans.
std::string ErrorOf(const std::string& text, const StoreState& st = {}) {
    try {
        PlanOf(text, st);
    } catch (const ValueError& e) {
        return e.where + ": " + e.what;
    }
    return "";
}

const cedb::PropValue* Find(const PlannedRecord& r, uint32_t propid) {
    for (const auto& p : r.props)
        if (p.propid == propid) return &p;
    return nullptr;
}

std::string Iso(const cedb::PropValue* p) { return p ? FormatIsoUtc(uint64_t(p->num)) : "absent"; }

}  // namespace

TEST(Fixture, AppointmentTimesBecomeUtcInTheirZone) {
    Plan plan = PlanOf(R"J({
      "appointments": [
        {"id": 5, "subject": "Standup", "start": "2026-12-07T09:00", "duration": 15},
        {"subject": "Summer call", "start": "2026-07-01T09:00", "end": "2026-07-01T10:30",
         "busy": "tentative", "sensitivity": "private", "reminder": true},
        {"subject": "NY", "start": "2026-12-07T09:00", "duration": 60, "timezone": "Eastern"},
        {"subject": "Holiday", "start": "2026-12-24", "all_day": true, "days": 3}]})J");
    const auto& a = *plan.Records(kAppointmentsDb);
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(Iso(Find(a[0], 0x10420040)), "2026-12-07T08:00:00Z");
    EXPECT_EQ(Find(a[0], 0x10400013)->num, 15);
    EXPECT_EQ(Find(a[0], 0x0022000B)->num, 0);
    EXPECT_EQ(Find(a[0], 0x00450013)->num, 2);   // busy by default
    EXPECT_EQ(Find(a[0], kPropRecid)->num, 5);
    EXPECT_EQ(Find(a[0], 0x00480041)->bytes, pimcodec::EncodeTimeZone(pimcodec::WesternEuropeZone()));
    EXPECT_EQ(Iso(Find(a[1], 0x10420040)), "2026-07-01T07:00:00Z");   // summer time
    EXPECT_EQ(Find(a[1], 0x10400013)->num, 90);
    EXPECT_EQ(Find(a[1], 0x00450013)->num, 1);
    EXPECT_EQ(Find(a[1], 0x00210013)->num, 2);
    EXPECT_EQ(Find(a[1], 0x0028000B)->num, 1);
    EXPECT_EQ(Find(a[1], kPropRecid)->num, 1);   // auto ids start at the lowest free
    EXPECT_EQ(Iso(Find(a[2], 0x10420040)), "2026-12-07T14:00:00Z");
    EXPECT_EQ(Iso(Find(a[3], 0x10420040)), "2026-12-23T23:00:00Z");   // local midnight
    EXPECT_EQ(Find(a[3], 0x10400013)->num, 3 * 1440);
    EXPECT_EQ(Find(a[3], 0x0044000B)->num, 1);
}

TEST(Fixture, CategoriesAssociateByPoomIdentifier) {
    Plan plan = PlanOf(R"J({
      "categories": [{"id": 7, "name": "Work"}, "Family"],
      "contacts": [{"id": 3, "first_name": "Ada", "last_name": "Brook", "categories": ["family"]}],
      "appointments": [{"id": 5, "start": "2026-12-07T09:00", "duration": 5, "categories": ["Work", "Family"]}],
      "tasks": [{"id": 3, "subject": "Report", "categories": ["Work"]}]})J");
    const auto& cats = *plan.Records(kCategoryDb);
    ASSERT_EQ(cats.size(), 2u);
    EXPECT_EQ(Find(cats[0], 0x00010066)->num, 7);
    EXPECT_EQ(Find(cats[1], 0x00010066)->num, 1);
    EXPECT_EQ(Utf8FromUtf16(Find(cats[1], 0x0002001F)->str), "Family");
    const auto& assoc = *plan.Records(kCategoryAssocDb);
    ASSERT_EQ(assoc.size(), 4u);
    EXPECT_EQ(uint32_t(Find(assoc[0], 0x00010013)->num), 0x80000003u);   // contact
    EXPECT_EQ(Find(assoc[0], 0x00020003)->num, 1);
    EXPECT_EQ(uint32_t(Find(assoc[1], 0x00010013)->num), 0x40000005u);   // appointment
    EXPECT_EQ(Find(assoc[1], 0x00020003)->num, 7);
    EXPECT_EQ(uint32_t(Find(assoc[3], 0x00010013)->num), 0xC0000003u);   // task, wrapped
    for (const auto& r : assoc) EXPECT_NE(Find(r, kPropRecid), nullptr);
}

TEST(Fixture, RecurrenceWithDeletedAndMovedOccurrences) {
    Plan plan = PlanOf(R"J({"appointments": [{
      "subject": "Team", "start": "2026-12-07T10:00", "duration": 60,
      "recurrence": {"type": "weekly", "days": ["mo", "th"], "count": 8,
        "deleted": ["2026-12-10"],
        "modified": [{"date": "2026-12-14", "start": "2026-12-15T14:00", "duration": 30,
                      "subject": "Team (moved)", "location": "Hall", "busy": "oof"}]}}]})J");
    const auto& a = plan.Records(kAppointmentsDb)->at(0);
    EXPECT_EQ(Find(a, 0x0022000B)->num, 1);
    const cedb::PropValue* blob = Find(a, 0x203F0064);
    ASSERT_NE(blob, nullptr);
    pimcodec::Recurrence r;
    ASSERT_EQ(pimcodec::DecodeRecurrence(blob->bytes.data(), blob->bytes.size(), &r), pimcodec::Status::kOk);
    EXPECT_EQ(r.type, pimcodec::PatternType::kWeekly);
    EXPECT_EQ(r.weekdays, pimcodec::kMonday | pimcodec::kThursday);
    EXPECT_EQ(r.startOffset, 600);
    EXPECT_EQ(r.endOffset, 660);
    EXPECT_EQ(FormatIsoDate(pimcodec::CivilFromMinutes(r.patternEnd).date), "2026-12-31");
    ASSERT_EQ(r.removed.size(), 1u);
    EXPECT_EQ(FormatIsoDate(pimcodec::CivilFromMinutes(r.removed[0]).date), "2026-12-10");
    ASSERT_EQ(r.exceptions.size(), 1u);
    EXPECT_EQ(*r.exceptions[0].subject, u"Team (moved)");
    EXPECT_EQ(*r.exceptions[0].busyStatus, 3u);
    EXPECT_EQ(r.exceptions[0].end - r.exceptions[0].start, 30u);

    // Defaults come from the start: monthly on its day, month-nth on its weekday and week.
    plan = PlanOf(R"J({"appointments": [
      {"start": "2026-12-15T08:00", "duration": 5, "recurrence": {"type": "monthly"}},
      {"start": "2026-12-15T08:00", "duration": 5, "recurrence": {"type": "month_nth", "until": "2027-06-30"}},
      {"start": "2026-12-15", "all_day": true, "recurrence": {"type": "yearly", "interval": 2}}]})J");
    const auto& list = *plan.Records(kAppointmentsDb);
    pimcodec::Recurrence m, n, y;
    const auto* b0 = Find(list[0], 0x203F0064);
    const auto* b1 = Find(list[1], 0x203F0064);
    const auto* b2 = Find(list[2], 0x203F0064);
    ASSERT_EQ(pimcodec::DecodeRecurrence(b0->bytes.data(), b0->bytes.size(), &m), pimcodec::Status::kOk);
    ASSERT_EQ(pimcodec::DecodeRecurrence(b1->bytes.data(), b1->bytes.size(), &n), pimcodec::Status::kOk);
    ASSERT_EQ(pimcodec::DecodeRecurrence(b2->bytes.data(), b2->bytes.size(), &y), pimcodec::Status::kOk);
    EXPECT_EQ(m.dayOfMonth, 15);
    EXPECT_EQ(m.endType, pimcodec::EndType::kNever);
    EXPECT_EQ(n.weekdays, pimcodec::kTuesday);
    EXPECT_EQ(n.week, 3);
    EXPECT_EQ(n.endType, pimcodec::EndType::kByDate);
    EXPECT_EQ(y.interval, 24u);
    EXPECT_EQ(y.startOffset, 0);
    EXPECT_EQ(y.endOffset, 1440);
}

TEST(Fixture, TasksAndContacts) {
    Plan plan = PlanOf(R"J({
      "tasks": [{"subject": "Undated"},
                {"subject": "Done", "due": "2026-12-01", "completed": "2026-12-02", "importance": "high",
                 "reminder": "2026-11-30T08:00"}],
      "contacts": [{"first_name": "Олег", "last_name": "Петров", "mobile": "+49 170 1", "work": "+49 30 2",
                    "preferred": "work", "birthday": "1980-12-12", "picture_base64": "iVBORw0KGgo="},
                   {"company": "ACME"}]})J");
    const auto& t = *plan.Records(kTasksDb);
    EXPECT_EQ(Find(t[0], 0x00630040)->num, int64_t(pimcodec::NoDateFiletime()));
    EXPECT_EQ(Find(t[0], 0x1065000B)->num, 0);
    EXPECT_EQ(Find(t[0], 0x10660040), nullptr);
    EXPECT_EQ(Iso(Find(t[1], 0x00630040)), "2026-12-01T00:00:00Z");   // dates as stored
    EXPECT_EQ(Find(t[1], 0x1065000B)->num, 1);
    EXPECT_EQ(Find(t[1], 0x00600013)->num, 2);
    EXPECT_EQ(Iso(Find(t[1], 0x10660040)), "2026-11-30T07:00:00Z");   // reminders in UTC
    const auto& c = *plan.Records(kContactsDb);
    EXPECT_EQ(Utf8FromUtf16(Find(c[0], 0x0080001F)->str), "Петров, Олег");
    EXPECT_EQ(Find(c[0], 0x00F80013)->num, 0x0097001F);
    EXPECT_EQ(Iso(Find(c[0], 0x00F00040)), "1980-12-12T00:00:00Z");
    EXPECT_EQ(Find(c[0], 0x00FF0064)->bytes.size(), 8u);
    EXPECT_EQ(Utf8FromUtf16(Find(c[1], 0x0080001F)->str), "ACME");
}

TEST(Fixture, LinksPointAtItemsOfTheFixture) {
    Plan plan = PlanOf(R"J({
      "tasks": [{"id": 2, "subject": "x"}],
      "links": [{"store": "named_prop", "item": "task:2", "named_prop": "0x8001", "icon": "Icons-star"},
                {"store": "fusion", "item": "task:2", "path": "\\Icons\\a.bmp"},
                {"store": "fusion", "item": 1234, "path": "\\Icons\\b.bmp", "link_kind": 3}]})J");
    const auto& np = *plan.Records(kNamedPropDb);
    EXPECT_EQ(uint32_t(Find(np[0], 0x00010013)->num), 0xC0000002u);
    EXPECT_EQ(Find(np[0], 0x00020013)->num, 0x8001);
    std::vector<uint8_t> icon = Find(np[0], 0x00030041)->bytes;
    ASSERT_EQ(icon.size(), 22u);   // ten UTF-16 characters and the NUL
    EXPECT_EQ(icon[20], 0);
    const auto& fl = *plan.Records(kFusionDb);
    EXPECT_EQ(Find(fl[0], 0x00020002)->num, 1);
    EXPECT_EQ(Find(fl[1], 0x00020002)->num, 2);
    EXPECT_EQ(Find(fl[0], 0x00030002)->num, 6);
    EXPECT_EQ(Find(fl[1], 0x00030002)->num, 3);
}

TEST(Fixture, ExistingStoreIdsAreRespected) {
    StoreState st;
    st.recids[kTasksDb] = {1, 2};
    st.categories["Work"] = 40;
    Plan plan = PlanOf(R"J({"tasks": [{"subject": "a", "categories": ["Work"]}]})J", st);
    EXPECT_EQ(Find(plan.Records(kTasksDb)->at(0), kPropRecid)->num, 3);
    EXPECT_EQ(Find(plan.Records(kCategoryAssocDb)->at(0), 0x00020003)->num, 40);
    EXPECT_EQ(ErrorOf(R"J({"tasks": [{"id": 2, "subject": "a"}]})J", st),
              "$.tasks[0].id: id 2 is already in the store");
}

TEST(Fixture, ErrorsNameTheirPlace) {
    EXPECT_EQ(ErrorOf(R"J({"contacts": [{"first_name": "A", "mobil": "1"}]})J"),
              "$.contacts[0].mobil: unknown key");
    EXPECT_EQ(ErrorOf(R"J({"tasks": [{"subject": "a", "due": "2026-02-30"}]})J"),
              "$.tasks[0].due: expected a date \"YYYY-MM-DD\", got \"2026-02-30\"");
    EXPECT_EQ(ErrorOf(R"J({"tasks": [{"subject": "a", "categories": ["Nope"]}]})J"),
              "$.tasks[0].categories[0]: unknown category \"Nope\"");
    EXPECT_EQ(ErrorOf(R"J({"tasks": [{"id": 4, "subject": "a"}, {"id": 4, "subject": "b"}]})J"),
              "$.tasks[1].id: id 4 is used twice");
    EXPECT_EQ(ErrorOf(R"J({"tasks": [{"id": 70000, "subject": "a"}]})J"),
              "$.tasks[0].id: 70000 is out of range 1..65535");
    EXPECT_EQ(ErrorOf(R"J({"appointments": [{"start": "2026-12-07T09:00", "duration": 5,
                         "recurrence": {"type": "weekly", "deleted": ["2026-12-08"]}}]})J"),
              "$.appointments[0].recurrence.deleted[0]: 2026-12-08 is not a day of this pattern");
    EXPECT_EQ(ErrorOf(R"J({"appointments": [{"start": "2026-12-07T09:00", "duration": 5,
                         "recurrence": {"type": "weekly", "days": ["tu"]}}]})J"),
              "$.appointments[0].recurrence: the start day 2026-12-07 is not a day of this pattern");
    EXPECT_EQ(ErrorOf(R"J({"appointments": [{"start": "2026-12-07T09:00", "duration": 5,
                         "recurrence": {"type": "daily", "count": 3, "until": "2027-01-01"}}]})J"),
              "$.appointments[0].recurrence: give \"until\" or \"count\", not both");
    EXPECT_EQ(ErrorOf(R"J({"appointments": [{"start": "2026-12-07T09:00", "end": "2026-12-07T08:00"}]})J"),
              "$.appointments[0].end: ends before it starts");
    EXPECT_EQ(ErrorOf(R"J({"appointments": [{"start": "2026-12-07T09:00", "duration": 5, "busy": "away"}]})J"),
              "$.appointments[0].busy: unknown value \"away\" (one of free, tentative, busy, oof, out_of_office)");
    EXPECT_EQ(ErrorOf(R"J({"contacts": [{"first_name": "A", "preferred": "fax"}]})J"),
              "$.contacts[0].preferred: the preferred number is not one the contact has");
    EXPECT_EQ(ErrorOf(R"J({"links": [{"store": "fusion", "item": "task:9", "path": "x"}]})J"),
              "$.links[0].item: no task with id 9");
    EXPECT_EQ(ErrorOf(R"J({"contacts": [{"first_name": "A", "props": {"0x12340099": 1}}]})J"),
              "$.contacts[0].props.0x12340099: property 0x12340099 has an unknown type");
    EXPECT_EQ(ErrorOf(R"J({"contact": []})J"), "$.contact: unknown key");
    EXPECT_EQ(ErrorOf(R"J([])J"), "$: expected an object, got []");
}

TEST(Fixture, DemoFixturePlansEnoughOfEveryKind) {
    std::ifstream f(std::string(DEVCTL_SOURCE_DIR) + "/demo/demo.json");
    ASSERT_TRUE(f);
    std::stringstream s;
    s << f.rdbuf();
    Plan plan = PlanFixture(json::parse(s.str()), std::string(DEVCTL_SOURCE_DIR) + "/demo", {});
    EXPECT_GE(plan.Count(kContactsDb), 55u);
    EXPECT_GE(plan.Count(kAppointmentsDb), 30u);
    EXPECT_GE(plan.Count(kTasksDb), 15u);
    EXPECT_GE(plan.Count(kCategoryDb), 6u);
    EXPECT_LE(plan.Count(kCategoryDb), 10u);
}
