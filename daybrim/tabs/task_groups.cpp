#include "task_groups.h"

#include <algorithm>
#include <cwctype>
#include <map>
#include <unordered_map>

namespace daybrim {

namespace {

int Sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

int SimpleCaseless(const std::wstring& a, const std::wstring& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const wint_t x = std::towlower(a[i]), y = std::towlower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

const int32_t kNoCategoryKey = -1;

uint64_t RowKey(int32_t group, uint32_t id) { return (uint64_t(uint32_t(group)) << 32) | id; }

// Whether two copies of a task draw alike, so that one's height serves the other.
bool SameLook(const TTask& a, const TTask& b) {
    return a.title == b.title && a.due == b.due && a.startDate == b.startDate && a.completed == b.completed &&
           a.importance == b.importance && a.sensitivity == b.sensitivity && a.note.value == b.note.value &&
           a.reminder.value == b.reminder.value && a.link.value == b.link.value && a.code == b.code &&
           a.iconNumber == b.iconNumber && a.recurrence == b.recurrence && a.categories() == b.categories();
}

}  // namespace

std::wstring TaskGroupTitle(int grouping, const GroupKey& key, const TextSource& text) {
    using namespace task_text;
    switch (grouping) {
    case kGroupOne: return text.String(kOneGroup);
    case kGroupCategory: return key.key == kNoCategoryKey ? text.String(kNoCategory) : key.title;
    case kGroupImportance: return text.String(key.key == 200 ? kHigh : key.key == 202 ? kLow : kNormal);
    case kGroupCode:
        if (key.key >= 500 && key.key <= 525) return std::wstring(1, wchar_t(L'A' + (key.key - 500)));
        return text.String(kOtherCode);
    case kGroupStatus: return text.String(key.key == 301 ? kCompleted : kActive);
    case kGroupDue: {
        static const unsigned kTitles[] = {kOverdue, kDueToday, kNextWeek, kNextMonth, kLater, kNoDueDate};
        const int i = key.key - 100;
        return i >= 0 && i < 6 ? text.String(kTitles[i]) : std::wstring();
    }
    case kGroupSensitivity: return text.String(key.key == 400 ? kPrivate : kNotPrivate);
    }
    return std::wstring();
}

std::wstring GroupingName(int grouping, const TextSource& text) {
    switch (grouping) {
    case kGroupOne: return text.String(97);
    case kGroupCategory: return text.String(98);
    case kGroupImportance: return text.String(94);
    case kGroupCode: return L"ABC/123";
    case kGroupStatus: return text.String(95);
    case kGroupDue: return text.String(40155);
    case kGroupSensitivity: return text.String(96);
    }
    return std::wstring();
}

int CompareTaskGroups(int grouping, const GroupKey& a, const GroupKey& b, int direction, TitleCompare compare) {
    int r = 0;
    if (grouping == kGroupCategory) {
        const bool na = a.key == kNoCategoryKey, nb = b.key == kNoCategoryKey;
        if (na != nb) r = na ? -1 : 1;
        else r = -Sign((compare ? compare : SimpleCaseless)(a.title, b.title));
    }
    // Two categories of one name still need an order of their own.
    if (r == 0) r = a.key < b.key ? 1 : a.key > b.key ? -1 : 0;
    return direction < 0 ? -r : r;
}

int TaskOrder::Compare(const TTask& a, const TTask& b) const {
    if (const int r = CompareTasks(a, b, keys, compare)) return Sign(r);
    return Sign(CompareTasksBy(a, b, SortKey{5, 1}, compare));
}

int TTaskRow::Compare(const TItem& other) const {
    if (other.Kind() == kKindTask && order_) return order_->Compare(*this, static_cast<const TTask&>(other));
    return TTask::Compare(other);
}

void TaskGroups::Build(const TGroupingTitlesList& source, int32_t today, const TaskTabSettings& s,
                       const CategoryLookup* categories, const TextSource& text, bool keepFolds) {
    // After a data change the rows of unchanged tasks keep the heights they were
    // laid out with: a rebuild then measures only what changed, not every task.
    std::map<int32_t, uint8_t> folds;
    std::vector<Group> old;
    std::unordered_map<uint64_t, TChildItem*> previous;
    if (keepFolds) {
        old.swap(groups_);
        for (const Group& g : old) {
            folds[g.key.key] = g.list->folded;
            for (TChildItem* c : g.list->children()) previous[RowKey(g.key.key, c->Id())] = c;
        }
    }
    order_.clear();
    groups_.clear();
    tasks_ = 0;

    rules_.selection = s.selection;
    rules_.categories = categories;
    rules_.hideCompleted = s.hideCompleted;
    taskOrder_.keys.assign(s.sort, s.sort + 3);
    taskOrder_.compare = s.titleCompare;

    const int grouping = s.groups.grouping;
    std::map<int32_t, size_t> index;  // group key -> place in groups_
    for (TItem* g = source.groups.head(); g; g = g->next()) {
        const TItemWithList* list = dynamic_cast<const TItemWithList*>(g);
        if (!list) continue;
        for (TChildItem* c : list->children()) {
            if (c->Kind() != kKindTask) continue;
            const TTask& task = static_cast<const TTask&>(*c);
            if (TaskExcluded(task, today, s.groups)) continue;
            for (const GroupKey& key : TaskGroupKeys(task, today, grouping, categories, text)) {
                auto at = index.find(key.key);
                if (at == index.end()) {
                    Group made;
                    made.key = key;
                    made.list.reset(new TTasksList(uint32_t(key.key)));
                    made.list->title = TaskGroupTitle(grouping, key, text);
                    auto kept = folds.find(key.key);
                    made.list->folded = kept != folds.end() ? kept->second : (s.foldedByDefault ? 1 : 0);
                    at = index.emplace(key.key, groups_.size()).first;
                    groups_.push_back(std::move(made));
                }
                std::unique_ptr<TTaskRow> row(new TTaskRow(&taskOrder_));
                task.CopyTo(*row);
                row->rules = &rules_;
                auto was = previous.find(RowKey(key.key, row->Id()));
                if (was != previous.end()) {
                    TChildItem* p = was->second;
                    const bool stale = p->TakeLayoutChange();
                    if (!stale && p->cachedBottom > p->cachedTop && SameLook(static_cast<const TTask&>(*p), *row)) {
                        row->cachedTop = p->cachedTop;
                        row->cachedBottom = p->cachedBottom;
                        row->TakeLayoutChange();
                    }
                }
                groups_[at->second].list->AddChild(std::move(row));
                ++tasks_;
            }
        }
    }
    std::vector<const Group*> sorted;
    for (const Group& g : groups_) sorted.push_back(&g);
    std::sort(sorted.begin(), sorted.end(), [&](const Group* a, const Group* b) {
        return CompareTaskGroups(grouping, a->key, b->key, s.direction, s.titleCompare) > 0;
    });
    for (const Group* g : sorted) order_.push_back(g->list.get());
}

const GroupKey* TaskGroups::KeyOf(const TItem* group) const {
    for (const Group& g : groups_)
        if (g.list.get() == group) return &g.key;
    return nullptr;
}

void TaskGroups::FoldAll(bool fold) {
    for (Group& g : groups_) g.list->folded = fold ? 1 : 0;
}

std::wstring NewTaskCategory(const Selection& selection, int grouping, const GroupKey* highlightedGroup) {
    if (!selection.filterMode && !selection.category.empty()) return selection.category;
    if (grouping == kGroupCategory && highlightedGroup && highlightedGroup->key != kNoCategoryKey)
        return highlightedGroup->title;
    return std::wstring();
}

// --- The grouping menu -------------------------------------------------------------------

namespace {

struct MenuEntry {
    unsigned command;
    TaskSetting setting;
    int value;
};

const MenuEntry kMenu[] = {
    {41066, TaskSetting::kGrouping, kGroupOne},        {40121, TaskSetting::kGrouping, kGroupCategory},
    {40032, TaskSetting::kGrouping, kGroupImportance}, {40122, TaskSetting::kGrouping, kGroupCode},
    {40123, TaskSetting::kGrouping, kGroupStatus},     {40139, TaskSetting::kGrouping, kGroupDue},
    {40034, TaskSetting::kGrouping, kGroupSensitivity},
    {41102, TaskSetting::kDirection, 1},               {41103, TaskSetting::kDirection, -1},
    {41042, TaskSetting::kSort1, 0}, {41043, TaskSetting::kSort1, 1}, {41044, TaskSetting::kSort1, 2},
    {41045, TaskSetting::kSort1, 3}, {41046, TaskSetting::kSort1, 5}, {41047, TaskSetting::kSort1, 6},
    {41054, TaskSetting::kSort1Dir, 1}, {41055, TaskSetting::kSort1Dir, -1},
    {41048, TaskSetting::kSort2, 0}, {41049, TaskSetting::kSort2, 1}, {41050, TaskSetting::kSort2, 2},
    {41051, TaskSetting::kSort2, 3}, {41052, TaskSetting::kSort2, 5}, {41053, TaskSetting::kSort2, 6},
    {41056, TaskSetting::kSort2Dir, 1}, {41057, TaskSetting::kSort2Dir, -1},
    {41058, TaskSetting::kSort3, 0}, {41059, TaskSetting::kSort3, 1}, {41060, TaskSetting::kSort3, 2},
    {41061, TaskSetting::kSort3, 3}, {41062, TaskSetting::kSort3, 5}, {41063, TaskSetting::kSort3, 6},
    {41064, TaskSetting::kSort3Dir, 1}, {41065, TaskSetting::kSort3Dir, -1},
};

int Current(TaskSetting which, const TaskTabSettings& s) {
    switch (which) {
    case TaskSetting::kGrouping: return s.groups.grouping;
    case TaskSetting::kDirection: return s.direction < 0 ? -1 : 1;
    case TaskSetting::kSort1: return s.sort[0].key;
    case TaskSetting::kSort1Dir: return s.sort[0].direction < 0 ? -1 : 1;
    case TaskSetting::kSort2: return s.sort[1].key;
    case TaskSetting::kSort2Dir: return s.sort[1].direction < 0 ? -1 : 1;
    case TaskSetting::kSort3: return s.sort[2].key;
    case TaskSetting::kSort3Dir: return s.sort[2].direction < 0 ? -1 : 1;
    case TaskSetting::kNone: break;
    }
    return 0;
}

}  // namespace

TaskMenuChoice TaskMenuChoiceOf(unsigned command) {
    for (const MenuEntry& e : kMenu)
        if (e.command == command) return {e.setting, e.value};
    return {};
}

bool TaskMenuChecked(unsigned command, const TaskTabSettings& s) {
    const TaskMenuChoice c = TaskMenuChoiceOf(command);
    return c.setting != TaskSetting::kNone && Current(c.setting, s) == c.value;
}

const std::vector<unsigned>& TaskMenuCommands() {
    static const std::vector<unsigned> all = [] {
        std::vector<unsigned> v;
        for (const MenuEntry& e : kMenu) v.push_back(e.command);
        return v;
    }();
    return all;
}

void ApplyTaskChoice(const TaskMenuChoice& c, TaskTabSettings& s) {
    switch (c.setting) {
    case TaskSetting::kGrouping: s.groups.grouping = c.value; break;
    case TaskSetting::kDirection: s.direction = c.value; break;
    case TaskSetting::kSort1: s.sort[0].key = c.value; break;
    case TaskSetting::kSort1Dir: s.sort[0].direction = c.value; break;
    case TaskSetting::kSort2: s.sort[1].key = c.value; break;
    case TaskSetting::kSort2Dir: s.sort[1].direction = c.value; break;
    case TaskSetting::kSort3: s.sort[2].key = c.value; break;
    case TaskSetting::kSort3Dir: s.sort[2].direction = c.value; break;
    case TaskSetting::kNone: break;
    }
}

}  // namespace daybrim
