#include <gtest/gtest.h>

#include <map>

#include "item_text.h"

using namespace daybrim;

namespace {

// Library strings as "#id", except the few whose wording the rules depend on.
class Texts : public TextSource {
public:
    std::wstring String(unsigned id) const override {
        if (id == text_id::kInDays) return L"In %d days (100%%)";
        if (id == text_id::kBirthday) return L"b.d.";
        if (id == text_id::kAnniversary) return L"ann.";
        return L"#" + std::to_wstring(id);
    }
};

// Shows which picture was applied to which day, and the minutes for times.
class Pictures : public DateTimeFormat {
public:
    bool monthFirst = true, twelveHour = true;
    std::wstring Date(double ole, const wchar_t* picture) const override {
        return L"{" + std::wstring(picture ? picture : L"short") + L"|" + std::to_wstring(DayOf(ole)) + L"}";
    }
    std::wstring Time(double ole, const wchar_t* picture) const override {
        const int minutes = static_cast<int>((ole - DayOf(ole)) * 1440 + 0.5);
        return L"{" + std::wstring(picture) + L"|" + std::to_wstring(minutes) + L"}";
    }
    bool MonthOrYearFirst() const override { return monthFirst; }
    bool TwelveHour() const override { return twelveHour; }
};

class Names : public CategoryLookup {
public:
    std::map<int32_t, std::wstring> names{{5, L"Work"}, {9, L"Home"}};
    const std::wstring* CategoryName(int32_t id) const override {
        auto it = names.find(id);
        return it == names.end() ? nullptr : &it->second;
    }
    uint32_t FilterMask(int32_t) const override { return 0; }
    const FilterDef* Filter(int) const override { return nullptr; }
};

constexpr int32_t kToday = 46363;  // 2026-12-07

TTaskTsks Task(double due, double start = kNoDate) {
    TTaskTsks t;
    t.due = due;
    t.startDate = start;
    return t;
}

}  // namespace

TEST(ItemText, LibraryNumberFormatsAreSubstitutedSafely) {
    EXPECT_EQ(L"In 5 days", FormatNumber(L"In %d days", 5));
    EXPECT_EQ(L"50% of -3", FormatNumber(L"50%% of %d", -3));
    // Anything but %d stays as text instead of reading an argument that is not there.
    EXPECT_EQ(L"%s %x 7 %", FormatNumber(L"%s %x %d %", 7));
}

TEST(ItemText, AccountTitlesByFormat) {
    const Texts t;
    struct Case {
        int format, unread, read;
        const wchar_t* want;
    } cases[] = {
        {0, 3, 7, L"(3/10) Inbox"},
        {1, 3, 7, L"(3) Inbox"},
        {2, 3, 7, L"3: Inbox"},
        {3, 3, 7, L"Inbox: 3 #40166"},
        {3, 0, 7, L"Inbox: #40165"},
        {0, 0, 0, L"(0/0) Inbox"},
        {9, 1, 1, L"(1/2) Inbox"},   // unknown formats read as 0
        {-1, 1, 1, L"(1/2) Inbox"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, AccountTitle(c.format, c.unread, c.read, L"Inbox", t)) << c.format;
}

TEST(ItemText, SpecialEventLines) {
    const Texts t;
    const Pictures f;
    struct Case {
        int dateFormat;
        EventKind kind;
        const wchar_t* want;
    } cases[] = {
        {3, EventKind::kBirthday, L"[{dd/MM|46363}] Ann b.d. (34)"},
        {1, EventKind::kAnniversary, L"[{MM/dd|46363}] Ann ann. (34)"},
        {2, EventKind::kBirthday, L"[{MM/dd/yy|46363}] Ann b.d. (34)"},
        {4, EventKind::kBirthday, L"[{dd/MM/yy|46363}] Ann b.d. (34)"},
        {0, EventKind::kBirthday, L"Ann b.d. (34)"},
        {5, EventKind::kAppointment, L"Ann"},
        {1, EventKind::kAppointment, L"[{MM/dd|46363}] Ann"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, SpecialEventLine(c.dateFormat, kToday + 0.25, L"Ann", c.kind, 34, f, t))
            << c.dateFormat;
}

TEST(ItemText, DaysUntil) {
    const Texts t;
    EXPECT_EQ(L"#75", DaysUntil(0, t));
    EXPECT_EQ(L"#76", DaysUntil(1, t));
    EXPECT_EQ(L"In 12 days (100%)", DaysUntil(12, t));
}

TEST(ItemText, DateOrTimeColumnFollowsLocaleOrders) {
    struct Case {
        bool monthFirst, twelveHour;
        double date;
        const wchar_t* want;
    } cases[] = {
        {true, true, kToday - 1 + 0.5, L"{MM/dd|46362}"},
        {false, true, kToday + 1 + 0.5, L"{dd/MM|46364}"},
        {true, true, kToday + 0.75, L"{h:mmt|1080}"},
        {true, false, kToday + 0.75, L"{H:mm|1080}"},
        {false, false, kToday, L"{H:mm|0}"},
    };
    for (const Case& c : cases) {
        Pictures f;
        f.monthFirst = c.monthFirst;
        f.twelveHour = c.twelveHour;
        EXPECT_EQ(c.want, DateOrTimeColumn(c.date, kToday, f));
    }
}

TEST(ItemText, SizeColumn) {
    EXPECT_EQ(L"0.00K", SizeColumn(0));
    EXPECT_EQ(L"1.50K", SizeColumn(1536));
    EXPECT_EQ(L"1024.00K", SizeColumn(1048576));
}

TEST(ItemText, TaskDuePrefixOnTheCalendar) {
    struct Case {
        int format;
        bool sortWithAppts, twoDigits, twelveHour, reminder;
        double due;
        int32_t shownOn;
        const wchar_t* want;
    } cases[] = {
        {0, false, false, true, false, kToday + 2, kToday, L"{short|46365} "},
        {1, false, false, true, false, kToday + 2, kToday, L"{M'/'d'/'yy|46365} "},
        {2, false, false, true, false, kToday + 2, kToday, L"{d'/'M'/'yy|46365} "},
        {3, false, false, true, false, kToday + 2, kToday, L"{M'/'d|46365} "},
        {4, false, false, true, false, kToday + 2, kToday, L"{d'/'M|46365} "},
        {99, false, false, true, false, kToday + 2, kToday, L"{M'/'d'/'yy|46365} "},
        // Shown on its due day, or without a due date: no prefix.
        {0, false, false, true, false, kToday, kToday, L""},
        {0, false, false, true, false, kNoDate, kToday, L""},
        // The reminder time replaces it on the due day when sorted with appointments.
        {0, true, false, true, true, kToday, kToday, L"{h:mmt |570}"},
        {0, true, true, true, true, kToday, kToday, L"{hh:mmt |570}"},
        {0, true, false, false, true, kToday, kToday, L"{H:mm |570}"},
        {0, true, true, false, true, kToday, kToday, L"{HH:mm |570}"},
        {0, false, false, true, true, kToday, kToday, L""},
        {0, true, false, true, true, kToday + 2, kToday, L"{short|46365} "},
    };
    for (const Case& c : cases) {
        Pictures f;
        f.twelveHour = c.twelveHour;
        TTaskClr task;
        task.due = c.due;
        task.reminder.value = c.reminder ? 1.0 : 0.0;
        task.reminderTime = kToday + 570 / 1440.0;
        DuePrefixOptions o{c.format, c.sortWithAppts, c.twoDigits};
        EXPECT_EQ(c.want, TaskDuePrefix(task, c.shownOn, o, f))
            << c.format << " " << c.sortWithAppts << c.twoDigits << c.twelveHour;
    }
}

TEST(ItemText, SamplesIconsAndPlaceholder) {
    EXPECT_STREQ(L"X22:22-Multiday:", MultiDayWidthSample(3));
    EXPECT_STREQ(L"XXMultiday:", MultiDayWidthSample(6));
    EXPECT_STREQ(L"", MultiDayWidthSample(7));
    EXPECT_EQ(L"#41083", EmptyLine(Texts()));
    EXPECT_STREQ(L"email_unread_attach", MailIcon(true, true));
    EXPECT_STREQ(L"email_opened", MailIcon(false, false));
    EXPECT_STREQ(L"phone_type_work", NumberIcon(0x0098001F));
    EXPECT_STREQ(L"phone_type_cell", NumberIcon(0x009F001F));
    EXPECT_STREQ(L"phone_type_email", NumberIcon(0x0092001F));
    EXPECT_EQ(nullptr, NumberIcon(0x00A0001F));
}

TEST(ItemText, DoneMarkerNeverDoublesAndShortSubjectsUnmark) {
    const std::wstring m = L"<\u2022>", e = L"</\u2022>";
    struct Case {
        std::wstring subject;
        bool done;
        std::wstring want;
    } cases[] = {
        {L"Gym", true, m + L"Gym" + e},
        {m + L"Gym" + e, true, m + L"Gym" + e},  // marking twice keeps one pair
        {m + L"Gym" + e, false, L"Gym"},         // a short subject unmarks
        {m + e, false, L""},
        {m + L"Dentist at 9" + e, false, L"Dentist at 9"},
        {L"<\u2022>/\u2022>", false, L"<\u2022>/\u2022>"},  // overlapping markers are text
        {m + L"half", false, m + L"half"},
        {L"", true, m + e},
    };
    for (const Case& c : cases) EXPECT_EQ(c.want, MarkDone(c.subject, c.done));
    EXPECT_EQ(m + L"x" + e, MarkDone(MarkDone(L"x", true), true));
}

TEST(ItemText, FutureLimitIncludingOutOfRangeSettings) {
    struct Case {
        int limit;
        double due, start;
        bool passes;
    } cases[] = {
        {0, kToday + 5000, kNoDate, true},
        {1, kToday, kNoDate, true},
        {1, kToday + 1, kNoDate, false},
        {2, kToday + 6, kNoDate, true},
        {2, kToday + 7, kNoDate, false},
        {3, kToday + 31, kToday + 30, true},  // the start date decides when set
        {3, kToday + 31, kNoDate, false},
        {7, kToday + 730, kNoDate, true},
        {7, kToday + 731, kNoDate, false},
        {7, kNoDate, kNoDate, true},
        {8, kToday + 5000, kNoDate, true},   // beyond the table: no limit
        {-3, kToday + 5000, kNoDate, true},
        {1000000, kToday + 5000, kNoDate, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.passes, PassesFutureLimit(c.limit, Task(c.due, c.start), kToday)) << c.limit;
}

TEST(ItemText, TaskExclusionBeforeGrouping) {
    struct Case {
        TaskGroupOptions opt;
        double due;
        bool completed, excluded;
    } cases[] = {
        {{10, true, false, 0, 0}, kNoDate, false, true},
        {{10, false, false, 0, 0}, kNoDate, false, false},
        {{10, false, true, 0, 0}, kToday - 1, true, true},
        {{10, false, true, 0, 0}, kToday, true, false},
        {{10, false, true, 0, 0}, kToday - 1, false, false},
        {{10, false, false, 1, 0}, kToday + 1, false, true},
        {{10, false, false, 0, 1}, 401700, false, true},
        {{10, false, false, 0, 0}, 401700, false, false},
        {{10, false, false, 0, 1}, 401769, false, false},
    };
    for (const Case& c : cases) {
        TTaskTsks t = Task(c.due);
        t.completed = c.completed;
        EXPECT_EQ(c.excluded, TaskExcluded(t, kToday, c.opt)) << c.due;
    }
}

TEST(ItemText, TaskGroupKeys) {
    const Texts t;
    const Names names;
    TTaskTsks task = Task(kToday + 3);
    task.importance = 2;
    task.code = L"C2";
    task.sensitivity = 2;
    task.AddCategory(5);
    task.AddCategory(9);
    EXPECT_EQ((std::vector<GroupKey>{{0, L""}}), TaskGroupKeys(task, kToday, 10, &names, t));
    EXPECT_EQ((std::vector<GroupKey>{{9, L"Home"}, {5, L"Work"}}), TaskGroupKeys(task, kToday, 11, &names, t));
    EXPECT_EQ(200, TaskGroupKeys(task, kToday, 12, &names, t)[0].key);
    EXPECT_EQ(502, TaskGroupKeys(task, kToday, 13, &names, t)[0].key);
    EXPECT_EQ(300, TaskGroupKeys(task, kToday, 14, &names, t)[0].key);
    EXPECT_EQ(102, TaskGroupKeys(task, kToday, 15, &names, t)[0].key);
    EXPECT_EQ(400, TaskGroupKeys(task, kToday, 16, &names, t)[0].key);
    EXPECT_TRUE(TaskGroupKeys(task, kToday, 17, &names, t).empty());

    TTaskTsks plain = Task(kNoDate);
    plain.importance = 0;
    plain.completed = 1;
    EXPECT_EQ((std::vector<GroupKey>{{-1, L"#40154"}}), TaskGroupKeys(plain, kToday, 11, &names, t));
    EXPECT_EQ(202, TaskGroupKeys(plain, kToday, 12, &names, t)[0].key);
    EXPECT_EQ(526, TaskGroupKeys(plain, kToday, 13, &names, t)[0].key);
    EXPECT_EQ(301, TaskGroupKeys(plain, kToday, 14, &names, t)[0].key);
    EXPECT_EQ(105, TaskGroupKeys(plain, kToday, 15, &names, t)[0].key);
    EXPECT_EQ(401, TaskGroupKeys(plain, kToday, 16, &names, t)[0].key);

    struct Due {
        int days, key;
    } dues[] = {{-1, 100}, {0, 101}, {1, 102}, {6, 102}, {7, 103}, {30, 103}, {31, 104}};
    for (const Due& d : dues)
        EXPECT_EQ(d.key, TaskGroupKeys(Task(kToday + d.days + 0.5), kToday, 15, &names, t)[0].key) << d.days;
}

TEST(ItemText, TaskDatePrefixes) {
    const Texts t;
    const Pictures f;
    const double start = kToday + 1, due = kToday + 4;
    struct Case {
        TaskPrefixOptions opt;
        double start;
        const wchar_t* want;
    } cases[] = {
        {{0}, start, L"{M'/'d|46364}-{M'/'d'/'yy|46367}: "},
        {{0}, kNoDate, L"NA-{M'/'d'/'yy|46367}: "},
        {{1}, start, L"{M'/'d|46364}-{M'/'d|46367}: "},
        {{2}, start, L"{M'/'d'/'yy|46364}: "},
        {{2}, kNoDate, L"#40168: "},
        {{3}, start, L"{M'/'d'/'yy|46367}: "},
        {{6}, start, L"{d'/'M|46364}-{d'/'M'/'yy|46367}: "},
        {{9}, start, L"{d'/'M'/'yy|46367}: "},
        {{11}, kNoDate, L"{d'/'M|46367}: "},
        {{12}, start, L""},
        {{-1}, start, L""},
        {{3, true, 0, L"S", L"E"}, start, L"{S|46364}-{E|46367}: "},
        {{3, true, 1, L"S", L"E"}, start, L"{E|46367}: "},
        {{3, true, 2, L"S", L"E"}, kNoDate, L"#40168: "},
        {{3, true, 3, L"S", L"E"}, start, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.want, TaskDatePrefix(Task(due, c.start), c.opt, f, t)) << c.opt.dateFormat;
    TaskPrefixOptions undated;
    EXPECT_EQ(L"#101: ", TaskDatePrefix(Task(kNoDate), undated, f, t));
    undated.removeUndatedLeading = true;
    EXPECT_EQ(L"", TaskDatePrefix(Task(kNoDate), undated, f, t));
}

TEST(ItemText, ContactGrouping) {
    const Texts t;
    const Names names;
    ContactGrouper one(0, &names, t);
    EXPECT_EQ((std::vector<GroupKey>{{-1, L"#41157"}}), one.Groups({5}, L"Acme"));

    ContactGrouper cats(1, &names, t);
    EXPECT_EQ((std::vector<GroupKey>{{9, L"Home"}, {5, L"Work"}}), cats.Groups({9, 5}, L""));
    EXPECT_EQ((std::vector<GroupKey>{{-1, L"#40154"}}), cats.Groups({}, L""));
    EXPECT_EQ((std::vector<GroupKey>{{-1, L"#40154"}}), cats.Groups({77}, L""));

    ContactGrouper companies(2, &names, t);
    EXPECT_EQ((std::vector<GroupKey>{{0, L"Acme"}}), companies.Groups({}, L"Acme"));
    EXPECT_EQ((std::vector<GroupKey>{{-1, L"#41282"}}), companies.Groups({}, L""));
    EXPECT_EQ((std::vector<GroupKey>{{2, L"Bolt"}}), companies.Groups({}, L"Bolt"));
    EXPECT_EQ((std::vector<GroupKey>{{0, L"Acme"}}), companies.Groups({}, L"Acme"));
    EXPECT_EQ((std::vector<GroupKey>{{3, L"acme"}}), companies.Groups({}, L"acme"));  // exact titles only
    EXPECT_EQ(3u, companies.companyGroups());

    EXPECT_TRUE(ContactGrouper(3, &names, t).Groups({5}, L"Acme").empty());
}

TEST(ItemText, TaskOrderingKeys) {
    TTaskTsks a = Task(kToday + 1, kToday), b = Task(kToday + 2, kToday + 3);
    a.importance = 0;
    b.importance = 2;
    a.completed = 1;
    a.sensitivity = 2;
    a.title = L"apple";
    b.title = L"Banana";
    b.code = L"b1";
    struct Case {
        int key, want;
    } cases[] = {{0, 1}, {1, 1}, {2, -1}, {3, -1}, {4, -1}, {5, 1}, {6, -1}, {7, 0}, {-1, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.want, CompareTasksBy(a, b, {c.key, 1}, nullptr)) << c.key;
        EXPECT_EQ(-c.want, CompareTasksBy(a, b, {c.key, -1}, nullptr)) << c.key;
    }
    a.code = L"B1";
    EXPECT_EQ(0, CompareTasksBy(a, b, {6, 1}, nullptr));  // codes ignore case
    // The first key that differs decides.
    EXPECT_EQ(-1, CompareTasks(a, b, {{6, 1}, {2, 1}, {0, 1}}, nullptr));
    EXPECT_EQ(0, CompareTasks(a, a, {{0, 1}, {5, 1}}, nullptr));
}

TEST(ItemText, SettingsOutOfRangeGiveSafeGeometry) {
    struct Case {
        int start, length, first, last;
    } cases[] = {
        {0, 18, 0, 24}, {8, 4, 8, 18}, {20, 18, 20, 24}, {30, 18, 24, 24},
        {-5, 2, 0, 8}, {10, -40, 10, 16}, {2000000000, 2000000000, 24, 24},
    };
    for (const Case& c : cases) {
        const HourSpan s = TimelineHours(c.start, c.length);
        EXPECT_EQ(c.first, s.first) << c.start;
        EXPECT_EQ(c.last, s.last) << c.start;
    }
    EXPECT_EQ(ContactRowForm::kList, ContactRowFormFor(1, false, false));
    EXPECT_EQ(ContactRowForm::kPicture, ContactRowFormFor(2, false, false));
    EXPECT_EQ(ContactRowForm::kList, ContactRowFormFor(2, false, true));
    EXPECT_EQ(ContactRowForm::kPicture, ContactRowFormFor(2, true, true));
    EXPECT_EQ(ContactRowForm::kNone, ContactRowFormFor(3, true, false));
    EXPECT_EQ(ContactRowForm::kNone, ContactRowFormFor(-1, true, false));
}

TEST(ItemText, StatusIconsInDrawingOrder) {
    using namespace icon_code;
    TApptItem appt;
    appt.reminder.value = 1.0;
    appt.sensitivity = 2;
    appt.recurrence = 2;
    appt.attendees = true;
    appt.link.value = 7.0;
    appt.AddCategory(3);
    EXPECT_EQ((std::vector<unsigned>{kReminder, kPrivate, kRecurrence, kLink, kAttendees, kCategories}),
              RightIconCodes(479, appt));
    EXPECT_EQ((std::vector<unsigned>{kPrivate}), RightIconCodes(kPrivate | kNote | kImportance, appt));
    EXPECT_STREQ(L"exception", StatusIconName(kRecurrence, appt));
    EXPECT_EQ(nullptr, StatusIconName(kImportance, appt));  // appointments have none
    EXPECT_EQ(nullptr, StatusIconName(kCategories, appt));  // bitmaps, not skin images

    TTaskTsks task;
    task.importance = 0;
    task.counter = 2;
    task.note.value = 1.0;
    task.recurrence = 1;
    // The regenerated mark ignores the mask; attendees are for appointments only.
    EXPECT_EQ((std::vector<unsigned>{kImportance, kRecurrence, kRegenerated, kNote}), RightIconCodes(0x1FF, task));
    EXPECT_EQ((std::vector<unsigned>{kRegenerated}), RightIconCodes(0, task));
    EXPECT_STREQ(L"low_importance", StatusIconName(kImportance, task));
    EXPECT_STREQ(L"recurring", StatusIconName(kRecurrence, task));
    task.importance = 1;
    EXPECT_EQ(nullptr, StatusIconName(kImportance, task));

    struct Slot {
        int64_t setting;
        unsigned want;
    } slots[] = {{0, 0}, {kNote, kNote}, {kReminder, 0}, {3, 0}, {512, 0}, {-8, 0}, {int64_t(1) << 40, 0}};
    for (const Slot& s : slots) EXPECT_EQ(s.want, LeftIconCode(s.setting, task)) << s.setting;
}
