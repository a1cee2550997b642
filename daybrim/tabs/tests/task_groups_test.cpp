// The Tasks tab's groups: which group a task joins, the order of the groups and
// of the tasks in them, what the display filters hide, the category of a new
// task and the grouping menu.
#include "task_groups.h"

#include <gtest/gtest.h>

#include <map>

namespace daybrim {
namespace {

// Monday 7 December 2026.
const int32_t kToday = 46363;

class Texts : public TextSource {
public:
    std::wstring String(unsigned id) const override { return L"#" + std::to_wstring(id); }
};

class Names : public CategoryLookup {
public:
    std::map<int32_t, std::wstring> names{{5, L"work"}, {9, L"Home"}, {12, L"Errands"}};
    const std::wstring* CategoryName(int32_t id) const override {
        auto it = names.find(id);
        return it == names.end() ? nullptr : &it->second;
    }
    uint32_t FilterMask(int32_t) const override { return 0; }
    const FilterDef* Filter(int) const override { return nullptr; }
};

struct TaskRow {
    const wchar_t* subject;
    double due;  // offset from today; kNoDate for none
    std::vector<int32_t> categories = {};
    int importance = 1;
    bool completed = false;
    const wchar_t* code = L"";
    double start = kNoDate;
};

// The store's shape: every task in one group.
class Store {
public:
    explicit Store(const std::vector<TaskRow>& rows) {
        TItem* g = list.groups.Insert(std::make_unique<TTasksList>(0));
        uint32_t id = 1;
        for (const TaskRow& s : rows) {
            auto t = std::make_unique<TTaskTsks>();
            t->title = s.subject;
            t->poomId = id++;
            t->due = s.due == kNoDate ? kNoDate : kToday + s.due;
            t->startDate = s.start == kNoDate ? kNoDate : kToday + s.start;
            t->importance = s.importance;
            t->completed = s.completed;
            t->code = s.code;
            for (int32_t c : s.categories) t->AddCategory(c);
            static_cast<TTasksList*>(g)->AddChild(std::move(t));
        }
    }
    TGroupingTitlesList list;
};

// Each group as "title: subjects of its visible tasks".
std::vector<std::wstring> Shown(const TaskGroups& groups) {
    std::vector<std::wstring> out;
    for (TTasksList* g : groups.groups()) {
        if (!g->IsVisibleCached()) continue;
        std::wstring line = g->title + L":";
        for (TChildItem* c : g->children())
            if (c->IsVisibleCached()) line += L" " + static_cast<TTask*>(c)->title;
        out.push_back(line);
    }
    return out;
}

std::vector<std::wstring> Build(const std::vector<TaskRow>& rows, const TaskTabSettings& s) {
    Store store(rows);
    Names names;
    TaskGroups groups;
    groups.Build(store.list, kToday, s, &names, Texts(), false);
    return Shown(groups);
}

TaskTabSettings Grouped(int grouping, int direction = 1) {
    TaskTabSettings s;
    s.groups.grouping = grouping;
    s.direction = direction;
    return s;
}

TEST(TaskGroups, DueDateClassesAndTheirOrder) {
    const std::vector<TaskRow> tasks = {
        {L"sunday", 6},  {L"monday", 7},  {L"today", 0},     {L"yesterday", -1},
        {L"month", 30},  {L"later", 31},  {L"none", kNoDate},
    };
    EXPECT_EQ((std::vector<std::wstring>{L"#700: yesterday", L"#701: today", L"#702: sunday", L"#703: monday month",
                                         L"#704: later", L"#101: none"}),
              Build(tasks, Grouped(kGroupDue)));
    // Reversed, the undated group comes first.
    EXPECT_EQ((std::vector<std::wstring>{L"#101: none", L"#704: later", L"#703: monday month", L"#702: sunday",
                                         L"#701: today", L"#700: yesterday"}),
              Build(tasks, Grouped(kGroupDue, -1)));
}

TEST(TaskGroups, EveryGroupingTitlesAndOrders) {
    const std::vector<TaskRow> tasks = {
        {L"a", 1, {5, 9}, 2, false, L"B1"},
        {L"b", 2, {}, 0, true, L"apple"},
        {L"c", 3, {12}, 1, false, L""},
        {L"d", 4, {5}, 1, false, L"Z"},
        // A category deleted since: uncategorised, not a group without a title.
        {L"e", 5, {77}, 1, false, L"1"},
    };
    struct Case {
        int grouping, direction;
        std::vector<std::wstring> shown;
    } cases[] = {
        {kGroupOne, 1, {L"#41098: a b c d e"}},
        // By title ignoring case, the uncategorised last; a task of two categories in both.
        {kGroupCategory, 1, {L"Errands: c", L"Home: a", L"work: a d", L"#40154: b e"}},
        {kGroupCategory, -1, {L"#40154: b e", L"work: a d", L"Home: a", L"Errands: c"}},
        {kGroupImportance, 1, {L"#705: a", L"#706: c d e", L"#707: b"}},
        // Only upper-case letters make letter groups.
        {kGroupCode, 1, {L"B: a", L"Z: d", L"#718: b c e"}},
        {kGroupStatus, 1, {L"#709: a c d e", L"#708: b"}},
        {kGroupSensitivity, 1, {L"#711: a b c d e"}},
        {99, 1, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.shown, Build(tasks, Grouped(c.grouping, c.direction))) << c.grouping << " " << c.direction;
}

TEST(TaskGroups, TasksInAGroupFollowTheThreeKeysThenTheSubject) {
    const std::vector<TaskRow> tasks = {
        {L"Cut", 2, {}, 0, false, L"A2", 1},
        {L"bake", 2, {}, 2, false, L"", kNoDate},
        {L"Add", 1, {}, 1, true, L"Z9", 0},
        {L"dry", kNoDate, {}, 2, false, L"a1", kNoDate},
    };
    struct Case {
        SortKey keys[3];
        const wchar_t* shown;
    } cases[] = {
        // The defaults: due, importance, subject; undated last.
        {{{0, 1}, {2, 1}, {5, 1}}, L"#41098: Add bake Cut dry"},
        {{{0, -1}, {2, 1}, {5, 1}}, L"#41098: dry bake Cut Add"},
        {{{1, 1}, {5, 1}, {5, 1}}, L"#41098: Add Cut bake dry"},
        {{{2, 1}, {5, -1}, {0, 1}}, L"#41098: dry bake Add Cut"},
        {{{3, 1}, {0, 1}, {5, 1}}, L"#41098: bake Cut dry Add"},
        {{{5, -1}, {0, 1}, {0, 1}}, L"#41098: dry Cut bake Add"},
        // Codes ignore case; no code sorts after "Z9".
        {{{6, 1}, {0, 1}, {0, 1}}, L"#41098: dry Cut Add bake"},
        // Keys out of range compare equal: the subject decides.
        {{{7, 1}, {-1, 1}, {42, -1}}, L"#41098: Add bake Cut dry"},
    };
    for (const Case& c : cases) {
        TaskTabSettings s = Grouped(kGroupOne);
        std::copy(c.keys, c.keys + 3, s.sort);
        EXPECT_EQ(std::vector<std::wstring>{c.shown}, Build(tasks, s)) << c.keys[0].key;
    }
}

TEST(TaskGroups, WhatIsLeftOutAndWhatIsHidden) {
    const std::vector<TaskRow> tasks = {
        {L"doneYesterday", -1, {}, 1, true},
        {L"doneToday", 0, {}, 1, true},
        {L"open", -1},
        {L"undated", kNoDate, {9}},
        {L"farAway", 400},
    };
    TaskTabSettings s = Grouped(kGroupOne);
    EXPECT_EQ(std::vector<std::wstring>{L"#41098: open doneToday farAway undated"}, Build(tasks, s));
    s.groups.hidePastCompleted = false;
    s.groups.removeUndated = true;
    s.groups.futureLimit = 6;  // a year
    EXPECT_EQ(std::vector<std::wstring>{L"#41098: doneYesterday open doneToday"}, Build(tasks, s));
    // Hidden at display: completed tasks, then the category filter; a group with
    // nothing left to show is not listed.
    TaskTabSettings h = Grouped(kGroupStatus);
    h.hideCompleted = true;
    EXPECT_EQ(std::vector<std::wstring>{L"#709: open farAway undated"}, Build(tasks, h));
    h.selection.category = L"Home";
    EXPECT_EQ(std::vector<std::wstring>{L"#709: undated"}, Build(tasks, h));
}

TEST(TaskGroups, FoldsStartFromTheDefaultUnlessKeptAcrossADataChange) {
    Store store({{L"a", 0}, {L"b", 3}});
    Names names;
    TaskTabSettings s = Grouped(kGroupDue);
    TaskGroups groups;
    groups.Build(store.list, kToday, s, &names, Texts(), false);
    ASSERT_EQ(2u, groups.groups().size());
    EXPECT_EQ(0, groups.groups()[0]->folded);
    groups.groups()[0]->folded = 1;
    groups.Build(store.list, kToday, s, &names, Texts(), true);
    EXPECT_EQ(1, groups.groups()[0]->folded);
    EXPECT_EQ(0, groups.groups()[1]->folded);
    s.foldedByDefault = true;
    groups.Build(store.list, kToday, s, &names, Texts(), false);
    EXPECT_EQ(1, groups.groups()[1]->folded);
    groups.FoldAll(false);
    EXPECT_EQ(0, groups.groups()[0]->folded + groups.groups()[1]->folded);
    EXPECT_EQ(2u, groups.taskCount());
}

TEST(TaskGroups, ADataChangeKeepsTheHeightsOfUnchangedRowsOnly) {
    Store store({{L"a", 0}, {L"b", 0}, {L"c", 3}});
    Names names;
    const TaskTabSettings s = Grouped(kGroupDue);
    TaskGroups groups;
    groups.Build(store.list, kToday, s, &names, Texts(), false);
    // Laid out: each row 20 high, its stale flag taken.
    int y = 0;
    for (TTasksList* g : groups.groups())
        for (TChildItem* c : g->children()) {
            c->TakeLayoutChange();
            c->cachedTop = y;
            c->cachedBottom = y += 20;
        }
    // "b" gets a note: its row draws another mark.
    ASSERT_NE(nullptr, store.list.groups.head());
    for (TChildItem* c : static_cast<TTasksList*>(store.list.groups.head())->children())
        if (static_cast<TTask*>(c)->title == L"b") static_cast<TTask*>(c)->note.value = 1.0;
    groups.Build(store.list, kToday, s, &names, Texts(), true);
    std::map<std::wstring, bool> stale;
    for (TTasksList* g : groups.groups())
        for (TChildItem* c : g->children()) {
            TTask* t = static_cast<TTask*>(c);
            stale[t->title] = t->TakeLayoutChange();
            if (!stale[t->title]) EXPECT_EQ(20, t->cachedBottom - t->cachedTop) << t->title;
        }
    EXPECT_EQ((std::map<std::wstring, bool>{{L"a", false}, {L"b", true}, {L"c", false}}), stale);
    // A new grouping lays every row out afresh.
    groups.Build(store.list, kToday, s, &names, Texts(), false);
    for (TTasksList* g : groups.groups())
        for (TChildItem* c : g->children()) EXPECT_TRUE(c->TakeLayoutChange());
}

TEST(TaskGroups, GroupOrderIsTotal) {
    // Same titles, different keys: still one strict order either way round.
    const GroupKey a{3, L"Same"}, b{7, L"same"}, none{-1, L"#40154"};
    for (int grouping : {kGroupCategory, kGroupDue}) {
        for (int dir : {1, -1}) {
            EXPECT_EQ(-CompareTaskGroups(grouping, a, b, dir, nullptr), CompareTaskGroups(grouping, b, a, dir, nullptr));
            EXPECT_NE(0, CompareTaskGroups(grouping, a, b, dir, nullptr));
            EXPECT_NE(0, CompareTaskGroups(grouping, a, none, dir, nullptr));
        }
    }
}

TEST(TaskGroups, NewTaskCategory) {
    const GroupKey work{5, L"Work"}, none{-1, L"No category"};
    Selection byName;
    byName.category = L"Home";
    Selection all, filter;
    filter.filterMode = true;
    filter.filter = 3;
    struct Case {
        const Selection* sel;
        int grouping;
        const GroupKey* group;
        const wchar_t* category;
    } cases[] = {
        {&byName, kGroupCategory, &work, L"Home"},
        {&all, kGroupCategory, &work, L"Work"},
        {&filter, kGroupCategory, &work, L"Work"},
        // The uncategorised group's title is no category name.
        {&all, kGroupCategory, &none, L""},
        {&all, kGroupDue, &work, L""},
        {&all, kGroupCategory, nullptr, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.category, NewTaskCategory(*c.sel, c.grouping, c.group)) << c.grouping;
}

TEST(TaskGroups, GroupingMenuSetsAndChecks) {
    struct Case {
        unsigned command;
        TaskSetting setting;
        int value;
    } cases[] = {
        {41066, TaskSetting::kGrouping, 10}, {40121, TaskSetting::kGrouping, 11}, {40032, TaskSetting::kGrouping, 12},
        {40122, TaskSetting::kGrouping, 13}, {40123, TaskSetting::kGrouping, 14}, {40139, TaskSetting::kGrouping, 15},
        {40034, TaskSetting::kGrouping, 16}, {41103, TaskSetting::kDirection, -1}, {41046, TaskSetting::kSort1, 5},
        {41047, TaskSetting::kSort1, 6},     {41055, TaskSetting::kSort1Dir, -1},  {41048, TaskSetting::kSort2, 0},
        {41057, TaskSetting::kSort2Dir, -1}, {41061, TaskSetting::kSort3, 3},      {41064, TaskSetting::kSort3Dir, 1},
        {40199, TaskSetting::kNone, 0},
    };
    for (const Case& c : cases) {
        const TaskMenuChoice got = TaskMenuChoiceOf(c.command);
        EXPECT_EQ(c.setting, got.setting) << c.command;
        EXPECT_EQ(c.value, got.value) << c.command;
        if (got.setting == TaskSetting::kNone) continue;
        TaskTabSettings s;
        ApplyTaskChoice(got, s);
        EXPECT_TRUE(TaskMenuChecked(c.command, s)) << c.command;
    }
    // The defaults: due-date grouping ascending, due / importance / subject ascending.
    const TaskTabSettings d;
    std::vector<unsigned> checked;
    for (unsigned c : TaskMenuCommands())
        if (TaskMenuChecked(c, d)) checked.push_back(c);
    EXPECT_EQ((std::vector<unsigned>{40139, 41102, 41042, 41054, 41050, 41056, 41062, 41064}), checked);
}

}  // namespace
}  // namespace daybrim
