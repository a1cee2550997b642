// The Tasks tab's groups without a window: which group each task joins, the
// groups' titles and order, the order of the tasks inside a group, the choices
// of the grouping menu and the category a new task is filed under.
// Platform-neutral: words come through a TextSource, so every rule runs in tests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "item_text.h"
#include "items.h"

namespace daybrim {

// The language library's strings of the Tasks tab.
namespace task_text {
constexpr unsigned kOneGroup = 41098, kNoCategory = 40154, kNoDueDate = 101;
constexpr unsigned kOverdue = 700, kDueToday = 701, kNextWeek = 702, kNextMonth = 703, kLater = 704;
constexpr unsigned kHigh = 705, kNormal = 706, kLow = 707, kCompleted = 708, kActive = 709;
constexpr unsigned kPrivate = 710, kNotPrivate = 711, kOtherCode = 718;
}  // namespace task_text

// TsksGrouping values.
enum TaskGrouping {
    kGroupOne = 10, kGroupCategory = 11, kGroupImportance = 12, kGroupCode = 13,
    kGroupStatus = 14, kGroupDue = 15, kGroupSensitivity = 16,
};

// Every value the Tasks tab groups, orders and filters by (the handheld fills it
// from CSettings, tests directly).
struct TaskTabSettings {
    TaskGroupOptions groups{kGroupDue, false, true, 0, 0};
    int direction = 1;  // TsksGroupingDirctn: 1, or -1 to reverse
    SortKey sort[3] = {{0, 1}, {2, 1}, {5, 1}};
    bool foldedByDefault = false;  // TsksFoldingDflt == 1
    bool hideCompleted = false;    // HideCompletedTasks == 1
    Selection selection;           // TasksSelCategory / TasksSelFilter
    TitleCompare titleCompare = nullptr;  // the locale's caseless order; null: a simple one
};

// A group's title: the language string of its key, or the key's own text
// (categories by name, code letters).
std::wstring TaskGroupTitle(int grouping, const GroupKey& key, const TextSource& text);
// The name of a grouping in the caption's slide-out.
std::wstring GroupingName(int grouping, const TextSource& text);
// Positive when group `a` is listed before `b`: categories by title with the
// uncategorised group last, every other grouping by key; `direction` -1 reverses
// the whole order. Never 0 for two different keys, so the order is total.
int CompareTaskGroups(int grouping, const GroupKey& a, const GroupKey& b, int direction, TitleCompare compare);

// The order of two tasks inside a group: the three keys, then the subject.
struct TaskOrder {
    std::vector<SortKey> keys;
    TitleCompare compare = nullptr;
    int Compare(const TTask& a, const TTask& b) const;  // 1, 0 or -1
};

// A task as the Tasks tab lists it: a copy of the store's task that sorts by the
// tab's keys inside its group.
class TTaskRow : public TTaskTsks {
public:
    explicit TTaskRow(const TaskOrder* order) : order_(order) {}
    int Compare(const TItem& other) const override;

private:
    const TaskOrder* order_;
};

// The groups the tab shows, rebuilt from the store's tasks. The groups own
// copies of the tasks: a task of several categories is listed in each of them.
class TaskGroups {
public:
    // `keepFolds`: groups that existed before keep their fold flag (a data change);
    // otherwise every group starts from the folding default.
    void Build(const TGroupingTitlesList& source, int32_t today, const TaskTabSettings& s,
               const CategoryLookup* categories, const TextSource& text, bool keepFolds);
    // In display order.
    const std::vector<TTasksList*>& groups() const { return order_; }
    // The key a group of this build was made for; null for anything else.
    const GroupKey* KeyOf(const TItem* group) const;
    size_t taskCount() const { return tasks_; }
    void FoldAll(bool fold);

private:
    struct Group {
        GroupKey key;
        std::unique_ptr<TTasksList> list;
    };
    std::vector<Group> groups_;
    std::vector<TTasksList*> order_;
    VisibilityRules rules_;
    TaskOrder taskOrder_;
    size_t tasks_ = 0;
};

// The category a new task is filed under: the selected category when the tab is
// narrowed to one by name; else, grouped by category with a category's title
// highlighted, that category; else none (the uncategorised group's title names
// no category).
std::wstring NewTaskCategory(const Selection& selection, int grouping, const GroupKey* highlightedGroup);

// --- The grouping menu -------------------------------------------------------------------
enum class TaskSetting { kNone, kGrouping, kDirection, kSort1, kSort1Dir, kSort2, kSort2Dir, kSort3, kSort3Dir };
struct TaskMenuChoice {
    TaskSetting setting = TaskSetting::kNone;
    int value = 0;
};
// What a grouping-menu command sets; kNone for other commands.
TaskMenuChoice TaskMenuChoiceOf(unsigned command);
// Whether the command shows a check mark under these settings.
bool TaskMenuChecked(unsigned command, const TaskTabSettings& s);
// Every command of the grouping menu, for the check marks.
const std::vector<unsigned>& TaskMenuCommands();
// The settings with the choice made.
void ApplyTaskChoice(const TaskMenuChoice& c, TaskTabSettings& s);

}  // namespace daybrim
