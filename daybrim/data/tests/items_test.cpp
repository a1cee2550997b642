#include <gtest/gtest.h>

#include <map>

#include "items.h"

using namespace daybrim;

namespace {

class FakeCategories : public CategoryLookup {
public:
    std::map<int32_t, std::wstring> names;
    std::map<int32_t, uint32_t> masks;
    std::vector<FilterDef> filters = DefaultFilters();
    const std::wstring* CategoryName(int32_t id) const override {
        auto it = names.find(id);
        return it == names.end() ? nullptr : &it->second;
    }
    uint32_t FilterMask(int32_t id) const override {
        auto it = masks.find(id);
        return it == masks.end() ? 0 : it->second;
    }
    const FilterDef* Filter(int n) const override {
        for (const FilterDef& f : filters)
            if (f.number == n) return &f;
        return nullptr;
    }
};

std::unique_ptr<TApptItem> Appt(double start, const wchar_t* title, const VisibilityRules* rules = nullptr,
                                 std::vector<int32_t> cats = {}, int sensitivity = 0) {
    auto a = std::make_unique<TApptItem>();
    a->start = start;
    a->end = start + 0.1;
    a->title = title;
    a->rules = rules;
    a->sensitivity = sensitivity;
    for (int32_t c : cats) a->AddCategory(c);
    return a;
}

std::unique_ptr<TContactItem> Contact(const wchar_t* title, const LetterGroups& g) {
    auto c = std::make_unique<TContactItem>();
    c->title = title;
    c->searchKey = BuildSearchKey(title, g, true);
    return c;
}

const LetterGroups kGroups = {L"abc", L"def", L"ghi", L"jkl", L"mno", L"pqrs", L"tuv", L"wxyz"};

}  // namespace

TEST(ItemModel, EqualItemsAreAllKept) {
    TDailyList day(46363);
    day.AddChild(Appt(46363.5, L"Same"));
    day.AddChild(Appt(46363.5, L"Same"));
    day.AddChild(Appt(46363.25, L"Earlier"));
    ASSERT_EQ(3u, day.children().size());
    EXPECT_EQ(L"Earlier", static_cast<TApptItem*>(*day.children().begin())->title);
    EXPECT_EQ(3, day.counters[0]);
}

TEST(ItemModel, GroupVisibleWithoutRecount) {
    FakeCategories cats;
    cats.names = {{1, L"Work"}, {2, L"Home"}};
    VisibilityRules rules;
    rules.categories = &cats;
    rules.selection.category = L"Work";
    TDailyList day(1);
    day.AddChild(Appt(1.5, L"a", &rules, {2}));
    day.AddChild(Appt(1.6, L"b", &rules));
    EXPECT_FALSE(day.IsVisibleCached());
    day.AddChild(Appt(1.7, L"c", &rules, {1}));
    EXPECT_TRUE(day.IsVisibleCached());
    EXPECT_EQ(1, day.counters[0]);
}

TEST(ItemModel, CountsDoNotDriftWhenVisibilityChangesBeforeRemoval) {
    FakeCategories cats;
    cats.names = {{1, L"Work"}};
    VisibilityRules rules;
    rules.categories = &cats;
    TDailyList day(1);
    day.AddChild(Appt(1.5, L"a", &rules));
    TChildItem* child = *day.children().begin();
    EXPECT_EQ(1, day.counters[0]);
    // The filter changes and the child's cached visibility is refreshed before
    // the group hears of it: removal must undo what was counted.
    rules.selection.category = L"Work";
    child->MarkVisibilityStale();
    EXPECT_FALSE(child->IsVisibleCached());
    EXPECT_TRUE(day.RemoveChild(child));
    EXPECT_EQ(0, day.counters[0]);
    EXPECT_FALSE(day.IsVisibleCached());
    // And the other way round, through the single-child update.
    day.AddChild(Appt(1.5, L"b", &rules));
    EXPECT_EQ(0, day.counters[0]);
    rules.selection.category.clear();
    day.UpdateChildVisibility(*day.children().begin());
    EXPECT_EQ(1, day.counters[0]);
    day.UpdateChildVisibility(*day.children().begin());
    EXPECT_EQ(1, day.counters[0]);
}

TEST(ItemModel, DayListsCountByKind) {
    TDailyList day(1);
    day.AddChild(Appt(1.5, L"a"));
    day.AddChild(std::make_unique<TTaskClr>());
    day.AddChild(std::make_unique<TEmptyItem>());
    EXPECT_EQ(1, day.counters[0]);
    EXPECT_EQ(1, day.counters[1]);
    EXPECT_EQ(1, day.counters[2]);
    day.Clear();
    EXPECT_FALSE(day.IsVisibleCached());
}

TEST(ItemList, SortedInsertFindRemove) {
    ItemList list;
    list.Insert(std::make_unique<TDailyList>(5));
    list.Insert(std::make_unique<TDailyList>(80000));
    list.Insert(std::make_unique<TDailyList>(1));
    list.Insert(std::make_unique<TDailyList>(7));
    std::vector<uint32_t> ids;
    for (TItem* i = list.head(); i; i = i->next()) ids.push_back(i->Id());
    EXPECT_EQ((std::vector<uint32_t>{1, 5, 7, 80000}), ids);
    TItem* seven = list.Find(7);
    ASSERT_TRUE(seven);
    list.Remove(seven);
    EXPECT_EQ(nullptr, list.Find(7));
    EXPECT_EQ(3u, list.count());
    TDailyList stranger(9);
    EXPECT_EQ(nullptr, list.Detach(&stranger).release());  // not ours: untouched
    EXPECT_EQ(3u, list.count());
}

TEST(Categories, AddedDescendingWithoutDuplicates) {
    TApptItem a;
    for (int32_t c : {3, 9, 3, 1, 9}) a.AddCategory(c);
    EXPECT_EQ((std::vector<int32_t>{9, 3, 1}), a.categories());
    EXPECT_TRUE(a.HasCategory(3));
    EXPECT_FALSE(a.HasCategory(4));
}

TEST(FilterCheck, CategoryAndFilterModes) {
    FakeCategories cats;
    cats.names = {{1, L"Work"}, {2, L"Home"}};
    cats.masks = {{1, 1u << 0}, {2, 1u << 31}};
    TApptItem work, none, homePrivate;
    work.AddCategory(1);
    homePrivate.AddCategory(2);
    Selection sel;
    EXPECT_TRUE(PassesSelection(none, 0, sel, &cats));  // empty name: everything
    sel.category = L"work";
    EXPECT_FALSE(PassesSelection(work, 0, sel, &cats));  // exact name
    sel.category = L"Work";
    EXPECT_TRUE(PassesSelection(work, 0, sel, &cats));
    sel = Selection{true, L"", 0};
    EXPECT_TRUE(PassesSelection(none, 0, sel, &cats));  // filter 0: everything
    sel.filter = 1;
    EXPECT_TRUE(PassesSelection(work, 0, sel, &cats));
    EXPECT_FALSE(PassesSelection(none, 0, sel, &cats));
    sel.filter = 32;
    EXPECT_TRUE(PassesSelection(homePrivate, 2, sel, &cats));
    cats.filters[31].sensitivityRule = 1;
    EXPECT_FALSE(PassesSelection(homePrivate, 2, sel, &cats));
    cats.filters[31].sensitivityRule = 2;
    EXPECT_TRUE(PassesSelection(homePrivate, 2, sel, &cats));
    EXPECT_FALSE(PassesSelection(homePrivate, 0, sel, &cats));
    cats.filters[31].includeUncategorised = true;
    EXPECT_TRUE(PassesSelection(none, -1, sel, &cats));
}

TEST(FilterCheck, HiddenFilterStillApplies) {
    FakeCategories cats;
    cats.masks = {{1, 1u << 4}};
    cats.filters[4].shownInMenu = false;
    TApptItem a, b;
    a.AddCategory(1);
    b.AddCategory(2);
    Selection sel{true, L"", 5};
    EXPECT_TRUE(PassesSelection(a, 0, sel, &cats));
    EXPECT_FALSE(PassesSelection(b, 0, sel, &cats));
}

TEST(FilterCheck, SelectionsOutsideTheFiltersShowEverything) {
    FakeCategories cats;
    cats.masks = {{1, 0xFFFFFFFFu}};
    TApptItem none;
    for (int64_t n : {33LL, 64LL, -1LL, 0xFFFFFFFFLL, 0x7FFFFFFFLL}) {
        EXPECT_EQ(0, NormalizeFilterNumber(n)) << n;
        EXPECT_TRUE(PassesSelection(none, 0, Selection{true, L"", int(n)}, &cats)) << n;
    }
    EXPECT_EQ(32, NormalizeFilterNumber(32));
    EXPECT_EQ(1, NormalizeFilterNumber(1));
}

TEST(Search, KeySequenceNarrowsAndBackspaceWidens) {
    TSeacrhableGroupingTitlesList list;
    auto* g = static_cast<TContactsGroup*>(list.groups.Insert(std::make_unique<TContactsGroup>(1)));
    g->AddChild(Contact(L"Bob", kGroups));     // 151
    g->AddChild(Contact(L"Beth", kGroups));    // 1273
    g->AddChild(Contact(L"Cedric", kGroups));  // 122631
    g->AddChild(Contact(L"Zed", kGroups));     // 822
    list.Search(2, TSeacrhableGroupingTitlesList::kKeySequence, kGroups);
    EXPECT_EQ(3, g->counters[0]);  // Beth, Cedric, Zed
    list.Search(3, TSeacrhableGroupingTitlesList::kKeySequence, kGroups);
    EXPECT_EQ(L"23", list.text());
    EXPECT_EQ(0, g->counters[0]);  // none holds 23
    g->folded = 1;
    list.Search(9, TSeacrhableGroupingTitlesList::kKeySequence, kGroups);
    EXPECT_EQ(L"2", list.text());
    EXPECT_EQ(3, g->counters[0]);  // every item re-examined
    EXPECT_EQ(0, g->folded);
    list.Search(0, TSeacrhableGroupingTitlesList::kKeySequence, kGroups);
    EXPECT_EQ(4, g->counters[0]);
}

TEST(Search, KeySequenceOnlyReexaminesMatches) {
    TSeacrhableGroupingTitlesList list;
    auto* g = static_cast<TContactsGroup*>(list.groups.Insert(std::make_unique<TContactsGroup>(1)));
    g->AddChild(Contact(L"Beth", kGroups));
    auto* beth = static_cast<TContactItem*>(*g->children().begin());
    list.Search(5, TSeacrhableGroupingTitlesList::kKeySequence, kGroups);  // "5": no match
    EXPECT_FALSE(beth->matched);
    beth->searchKey = L"52";  // a narrowing key must not bring it back
    list.Search(2, TSeacrhableGroupingTitlesList::kKeySequence, kGroups);
    EXPECT_FALSE(beth->matched);
}

TEST(Search, LetterModeCyclesThroughTheGroup) {
    TSeacrhableGroupingTitlesList list;
    auto* g = static_cast<TContactsGroup*>(list.groups.Insert(std::make_unique<TContactsGroup>(1)));
    g->AddChild(Contact(L"alma", kGroups));
    g->AddChild(Contact(L"Bo", kGroups));
    g->AddChild(Contact(L"Cy", kGroups));
    const auto mode = TSeacrhableGroupingTitlesList::kLetter;
    const wchar_t expected[] = {L'a', L'b', L'c', L'a'};
    for (wchar_t want : expected) {
        list.Search(1, mode, kGroups);
        EXPECT_EQ(want, list.letter());
        EXPECT_EQ(1, g->counters[0]);  // case ignored: "alma" matches 'a'
    }
    list.Search(2, mode, kGroups);
    EXPECT_EQ(L'd', list.letter());
    EXPECT_EQ(0, g->counters[0]);
    list.Search(9, mode, kGroups);
    EXPECT_EQ(0, list.letter());
    EXPECT_EQ(3, g->counters[0]);
}

TEST(Search, KeysFollowTheGroupsAndTheBar) {
    EXPECT_EQ(L"1219", BuildSearchKey(L"Ada!", kGroups, true));
    EXPECT_EQ(L"", BuildSearchKey(L"Ada", kGroups, false));
}

TEST(Copies, AgendaCopyDuplicatesIconAndIdentity) {
    struct Icon : ItemIcon {
        int* clones;
        explicit Icon(int* c) : clones(c) {}
        std::unique_ptr<ItemIcon> Clone() const override {
            ++*clones;
            return std::make_unique<Icon>(clones);
        }
    };
    int clones = 0;
    TApptItem a;
    a.title = L"Dentist";
    a.poomId = 0x40000007;
    a.oid = 99;
    a.AddCategory(4);
    a.icon = std::make_unique<Icon>(&clones);
    a.start = 3.5;
    TApptItem b;
    a.CopyTo(b);
    EXPECT_EQ(L"Dentist", b.title);
    EXPECT_EQ(0x40000007u, b.Id());
    EXPECT_EQ(99u, b.oid);
    EXPECT_TRUE(b.HasCategory(4));
    EXPECT_TRUE(b.icon);
    EXPECT_EQ(1, clones);
    EXPECT_DOUBLE_EQ(3.5, b.start);
}

TEST(HotSpots, EdgesIncludedAndZeroIsNoMark) {
    HotSpot s{1.0, {10, 10, 20, 20}};
    EXPECT_TRUE(HotSpotHit(s, 10, 20));
    EXPECT_FALSE(HotSpotHit(s, 21, 15));
    s.value = 0.0;
    EXPECT_FALSE(HotSpotHit(s, 15, 15));
}

TEST(Search, KeyMapAgreesWithTheKeyRule) {
    const LetterGroups overlapping = {L"abc", L"cde", L"", L"XY"};
    SearchKeyMap map(overlapping);
    for (const wchar_t* t : {L"Cedric", L"xyz", L"", L"ÅÄÖ abc"})
        EXPECT_EQ(BuildSearchKey(t, overlapping, true), map.Key(t, true)) << t;
    EXPECT_EQ(L"", map.Key(L"abc", false));
}

// Titles sort ignoring case; characters between the two ASCII letter ranges keep
// their place against the lowered letters.
TEST(ItemModel, TitlesCompareIgnoringCase) {
    struct Case {
        const wchar_t *a, *b;
        int want;  // 1: a first
    };
    const Case cases[] = {
        {L"anna", L"ANNA", 0},   {L"alice", L"Bob", 1},    {L"Bob", L"alice", -1},
        {L"Anna", L"annabel", 1}, {L"_x", L"A", 1},        {L"[", L"a", 1},
        {L"z", L"_", -1},        {L"Zed", L"zed", 0},      {L"\u00C5sa", L"\u00C5SA", 0},
        {L"\u00C5sa", L"\u00C5sb", 1},
    };
    for (const Case& c : cases) {
        auto a = Contact(c.a, kGroups), b = Contact(c.b, kGroups);
        EXPECT_EQ(c.want, a->Compare(*b)) << c.a << L" " << c.b;
        EXPECT_EQ(-c.want, b->Compare(*a)) << c.a << L" " << c.b;
    }
}

namespace {

// Records which of the painter's operations a row reached and with what.
class RecordingPainter : public RowPainter {
public:
    std::string called;
    unsigned flags = 0;
    int top = 0;
    std::wstring title;
    int Note(const char* name, const HotRect& rc, unsigned f) {
        called = name;
        flags = f;
        top = rc.top;
        return static_cast<int>(called.size());
    }
    int GroupTitle(DrawContext&, TItemWithList&, const std::wstring& t, const HotRect& rc, unsigned f) override {
        title = t;
        return Note("group", rc, f);
    }
    int Appointment(DrawContext&, TApptItem&, const HotRect& rc, unsigned f) override { return Note("appt", rc, f); }
    int Task(DrawContext&, TTask&, const HotRect& rc, unsigned f) override { return Note("task", rc, f); }
    int CalendarEvent(DrawContext&, TSEvent&, const HotRect& rc, unsigned f) override {
        return Note("calendar event", rc, f);
    }
    int SpecialEvent(DrawContext&, TSEvent&, const HotRect& rc, unsigned f) override { return Note("event", rc, f); }
    int Contact(DrawContext&, TContactItem&, const HotRect& rc, unsigned f) override { return Note("contact", rc, f); }
    int Empty(DrawContext&, TEmptyItem&, const HotRect& rc, unsigned f) override { return Note("empty", rc, f); }
    int Account(DrawContext&, const AccountRow&, const HotRect& rc, unsigned f) override {
        return Note("account", rc, f);
    }
    int Note(DrawContext&, NoteRow&, const HotRect& rc, unsigned f) override { return Note("note", rc, f); }
    int Message(DrawContext&, const MessageRow&, const HotRect& rc, unsigned f) override {
        return Note("message", rc, f);
    }
};

}  // namespace

TEST(Drawing, EveryKindReachesItsPainterOperation) {
    TDailyList day(45000);
    day.title = L"Monday";
    TTasksList tasks(3);
    tasks.title = L"Due";
    TApptItem appt;
    TTaskClr task;
    TSEvent onCalendar(kKindSEventOnCalendar), fromContact(kKindSEventContact), fromAppt(kKindSEventAppt);
    TContactItem contact;
    TEmptyItem empty, flagged(true);
    const struct {
        TItem* item;
        const char* op;
    } cases[] = {
        {&day, "group"},      {&tasks, "group"},   {&appt, "appt"},     {&task, "task"},
        {&onCalendar, "calendar event"},           {&fromContact, "event"}, {&fromAppt, "event"},
        {&contact, "contact"}, {&empty, "empty"},  {&flagged, "empty"},
    };
    RecordingPainter painter;
    DrawContext dc;
    dc.painter = &painter;
    HotRect rc;
    rc.top = 37;
    for (const auto& c : cases) {
        painter.called.clear();
        const unsigned flags = kDrawMeasureOnly | kDrawHighlighted;
        EXPECT_EQ(c.item->Draw(dc, rc, flags), static_cast<int>(std::string(c.op).size())) << c.op;
        EXPECT_EQ(painter.called, c.op);
        EXPECT_EQ(painter.flags, flags) << c.op;
        EXPECT_EQ(painter.top, 37) << c.op;
    }
    day.Draw(dc, rc, 0);
    EXPECT_EQ(painter.title, L"Monday");
}

TEST(Drawing, WithoutAPainterRowsTakeNoRoom) {
    TApptItem appt;
    TDailyList day(1);
    TEmptyItem empty;
    DrawContext dc;
    for (TItem* item : std::initializer_list<TItem*>{&appt, &day, &empty}) EXPECT_EQ(item->Draw(dc, HotRect{}, 0), 0);
}

TEST(Drawing, DefaultRowTextsComeFromTheItem) {
    TApptItem appt;
    appt.location = L"Room 4";
    TTaskTsks task;
    task.prefix = L"9:00";
    const RowTexts texts;
    EXPECT_EQ(texts.ApptSecondLine(appt), L"Room 4");
    EXPECT_EQ(texts.ApptTime(appt), L"");
    EXPECT_EQ(texts.TaskPrefix(task), L"9:00");
}
