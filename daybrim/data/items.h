// The item model every tab shares: the TItem class tree, the sorted item list,
// the child set of a grouping item, the grouping-titles lists with incremental
// search, and the visibility bookkeeping. Platform-neutral: bitmaps are reached
// through the small interface below, drawing through the painter's types.
#pragma once
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "letter_groups.h"
#include "pim_ids.h"
#include "reg_export.h"
#include "row_draw.h"

namespace daybrim {

enum ItemKind {
    kKindGroup = 0,
    kKindAppt = 1,
    kKindTask = 2,
    kKindSEventOnCalendar = 3,
    kKindMailAccount = 4,
    kKindSEventContact = 5,
    kKindSEventAppt = 6,
    kKindContact = 7,
    kKindNote = 8,
    kKindMail = 9,
    kKindEmpty = 10,
    kKindEmptyFlagged = 11,
};

// A mark drawn on a row that reacts to taps: `value` 0.0 means there is no mark.
struct HotSpot {
    double value = 0.0;
    HotRect rc;
};
bool HotSpotHit(const HotSpot& spot, int x, int y);

// An item's own icon (a bitmap on the handheld); copies of an item get a duplicate.
class ItemIcon {
public:
    virtual ~ItemIcon() = default;
    virtual std::unique_ptr<ItemIcon> Clone() const = 0;
};

// --- Filters ---------------------------------------------------------------------
// What a tab is narrowed to: a category by name, or one of the 32 filters.
struct Selection {
    bool filterMode = false;  // FilterMethodToUse == 1
    std::wstring category;    // category mode: empty shows everything
    int filter = 0;           // filter mode: 0 shows everything, else 1..32
};
// Registry values outside 1..32 are not a filter: they show everything, as 0 does.
int NormalizeFilterNumber(int64_t selected);

class CategoryLookup {
public:
    virtual ~CategoryLookup() = default;
    virtual const std::wstring* CategoryName(int32_t id) const = 0;  // null: unknown
    virtual uint32_t FilterMask(int32_t id) const = 0;
    virtual const FilterDef* Filter(int number) const = 0;          // null: none
};

// The rules one tab applies to its items, shared by them.
struct VisibilityRules {
    Selection selection;
    const CategoryLookup* categories = nullptr;
    bool hideCompleted = false;  // Tasks tab
};

class TItemWithCategory;
// The filter check of every PIM item; `sensitivity` -1 when the item has none.
bool PassesSelection(const TItemWithCategory& item, int sensitivity, const Selection& sel,
                     const CategoryLookup* cats);

// --- The class tree --------------------------------------------------------------
class TGroupingItem;
class TItemWithList;

class TItem {
public:
    virtual bool IsVisible() = 0;
    virtual ~TItem() = default;
    virtual int Kind() const = 0;
    // 1 when this item sorts before `other`, -1 after, 0 equal.
    virtual int Compare(const TItem& other) const = 0;
    virtual uint32_t Id() const = 0;
    virtual int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) = 0;

    bool IsVisibleCached();
    void MarkVisibilityStale() { visibilityStale_ = 1; }
    void InvalidateLayout();
    bool TakeLayoutChange();

    int cachedTop = -10, cachedBottom = -10;

private:
    friend class ItemList;
    int cachedVisible_ = 1;
    uint8_t layoutStale_ = 1;
    uint8_t visibilityStale_ = 1;
    TItem* next_ = nullptr;
    TItem* prev_ = nullptr;

public:
    TItem* next() const { return next_; }
    TItem* prev() const { return prev_; }
};

class TChildItem : public TItem {
public:
    TItemWithList* parent = nullptr;

private:
    friend class TItemWithList;
    // Whether the parent's counters include this child: removal undoes exactly
    // what was counted, even when the child's visibility changed since.
    bool counted_ = false;
};

class TItemWithCategory : public TChildItem {
public:
    void AddCategory(int32_t id);  // kept in descending order, no duplicates
    bool HasCategory(int32_t id) const;
    const std::vector<int32_t>& categories() const { return categories_; }
    void SetCategories(std::vector<int32_t> ids);

private:
    std::vector<int32_t> categories_;
};

class TPoomIdItem : public TItemWithCategory {
public:
    uint32_t poomId = 0;
    uint32_t oid = 0;  // the record's CEOID
};

class TItemWithNote : public TPoomIdItem {
public:
    uint32_t Id() const override { return poomId; }
    virtual void CopyCategories(TItemWithNote& target) const { target.SetCategories(categories()); }
    virtual void CopyIdentity(TItemWithNote& target) const;
    virtual void CopyTo(TItemWithNote& target) const;
    virtual void SetTitle(const std::wstring& text) { title = text; }

    std::wstring title;
    HotSpot note;  // 1.0 when the item has notes
};

class TAgendaItem : public TItemWithNote {
public:
    void CopyTo(TItemWithNote& target) const override;

    int sensitivity = 0;
    int recurrence = 0;  // 0 single, 1 recurring master, 2 occurrence
    uint8_t completed = 0;
    std::unique_ptr<ItemIcon> icon;
    int iconNumber = 0;
    HotSpot reminder;
    HotSpot link;  // the Pocket Informant link value
    const VisibilityRules* rules = nullptr;
};

class TApptItem : public TAgendaItem {
public:
    bool IsVisible() override;
    int Kind() const override { return kKindAppt; }
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;
    void CopyTo(TItemWithNote& target) const override;

    double start = 0, end = 0;
    uint32_t duration = 0;  // minutes
    bool allDay = false;
    int busy = 0;
    bool attendees = false;
    bool passed = false;  // over already, on the range's first day (set per day copy)
    std::wstring location;
    std::vector<uint8_t> timeZone;    // the record's zone blob, for the agenda
    std::vector<uint8_t> pattern;     // the recurrence stream of a master
    // A changed occurrence: the day (pattern minutes) of the occurrence it
    // replaces, by which its own note is found in the master's pattern; else 0.
    uint32_t exceptionDate = 0;
};

class TTask : public TAgendaItem {
public:
    int Kind() const override { return kKindTask; }
    virtual bool OnCalendar() const = 0;
    bool IsVisible() override;
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;
    void CopyTo(TItemWithNote& target) const override;

    double dateCompleted = kNoDate, due = kNoDate, startDate = kNoDate;
    std::wstring code;
    std::wstring prefix;
    int tabValue = -40;
    int counter = 0;
    uint8_t activeSpan = 0;
    int importance = 1;
    double reminderTime = 0;  // local; replaces the reminder flag when sorted with appointments
};
class TTaskTsks : public TTask {
public:
    bool OnCalendar() const override { return false; }
};
class TTaskClr : public TTask {
public:
    bool OnCalendar() const override { return true; }
};

// A birthday or anniversary of a contact, or an appointment of a special-events
// category.
class TSEvent : public TItemWithNote {
public:
    explicit TSEvent(int kind) : kind_(kind) {}
    bool IsVisible() override;
    int Kind() const override { return kind_; }
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

    double date = kNoDate;
    bool anniversary = false;
    int categoryIndex = 0;  // 1..4 for appointments of a special-events category
    const VisibilityRules* rules = nullptr;

private:
    int kind_;
};

class TStringSearchableItem : public TItemWithNote {
public:
    std::wstring searchKey;
    uint8_t matched = 1;
    int matchPos = 0;
};

// How the Contacts tab groups and orders its contacts (ContactsGrouping,
// ContactsGroupingDirection, ContactsSortDirection, CntctsHideNoPicture).
struct ContactOrder {
    int grouping = 0;           // 0 one group, 1 by category, 2 by company, other: none
    int groupingDirection = 1;  // 1 or -1
    int sortDirection = 1;      // 1 A to Z, -1 Z to A
    bool hideNoPicture = false; // contacts with a picture first
};

class TContactItem : public TStringSearchableItem {
public:
    bool IsVisible() override;
    int Kind() const override { return kKindContact; }
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

    // A copy for one more group (a contact in several categories).
    std::unique_ptr<TContactItem> Copy() const;

    std::wstring fileAs, firstName, lastName, company;
    const ContactOrder* order = nullptr;
    uint32_t preferredId = 0xFFFFFFFFu;
    std::wstring preferredText;
    double birthday = kNoDate, anniversary = kNoDate;
    std::unique_ptr<ItemIcon> picture;
    int pictureWidth = 0, pictureHeight = 0;
    HotRect numberHot;  // the shown number's type mark, where it was last drawn
    const VisibilityRules* rules = nullptr;
};

class TEmptyItem : public TChildItem {
public:
    explicit TEmptyItem(bool flagged = false) : flagged_(flagged) {}
    bool IsVisible() override { return true; }
    int Kind() const override { return flagged_ ? kKindEmptyFlagged : kKindEmpty; }
    int Compare(const TItem&) const override { return 0; }
    uint32_t Id() const override { return 0; }
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

private:
    bool flagged_;
};

class TGroupingItem : public TItem {
public:
    int Kind() const override { return kKindGroup; }
    void Fold() { folded = !folded; }
    uint8_t folded = 0;
};

class TItemWithList : public TGroupingItem {
public:
    struct Order {
        bool operator()(const TItem* a, const TItem* b) const {
            const int c = a->Compare(*b);
            return c == 1 || (c == 0 && a < b);
        }
    };
    using Children = std::set<TChildItem*, Order>;

    TItemWithList() = default;
    TItemWithList(const TItemWithList&) = delete;
    TItemWithList& operator=(const TItemWithList&) = delete;
    ~TItemWithList() override;

    bool IsVisible() override;
    virtual void CountChild(const TChildItem& child, int change) { counters[0] += change; }
    virtual void AddChild(std::unique_ptr<TChildItem> child);
    virtual void Clear();

    TChildItem* FindChildById(uint32_t id) const;
    void RemoveChild(Children::iterator pos);
    // Takes the child out without destroying it.
    std::unique_ptr<TChildItem> DetachChild(Children::iterator pos);
    bool RemoveChild(TChildItem* child);
    // After one child's filters changed: adjusts the counters by the difference.
    void UpdateChildVisibility(TChildItem* child);
    // After the tab's filters changed: every child anew.
    void Recount();
    const Children& children() const { return children_; }

    std::wstring title;
    int counters[3] = {0, 0, 0};

private:
    Children children_;
};

// What a tab keeps of a section beside its children (the Calendar's counts,
// conflicts and timeline); owned by the section, so it goes with it.
struct SectionExtra {
    virtual ~SectionExtra() = default;
    bool visible = false;  // whether the tab shows the section, by its own rules
};

// One day of the calendar; Id is the day number (1, 2 and 80000 are pseudo days).
class TDailyList : public TItemWithList {
public:
    explicit TDailyList(uint32_t day) : day_(day) {}
    uint32_t Id() const override { return day_; }
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;
    // Once a tab has taken the section, its rules decide.
    bool IsVisible() override { return extra ? extra->visible : TItemWithList::IsVisible(); }
    // Appointments, tasks and the rest are counted apart.
    void CountChild(const TChildItem& child, int change) override;

    std::unique_ptr<SectionExtra> extra;  // none until the Calendar first takes the section

private:
    uint32_t day_;
};

// A group with a key (task groups, contact letters, the special-events list).
class TKeyedGroup : public TItemWithList {
public:
    explicit TKeyedGroup(uint32_t key) : key_(key) {}
    uint32_t Id() const override { return key_; }
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

private:
    uint32_t key_;
};
class TTasksList : public TKeyedGroup { using TKeyedGroup::TKeyedGroup; };
// A group of the Contacts tab: one for all, a category or a company. The group of
// the contacts without a category or company has no sort key and goes last.
class TContactsGroup : public TItemWithList {
public:
    static constexpr uint32_t kNoKey = 0xFFFFFFFFu;
    explicit TContactsGroup(uint32_t key, std::wstring text = {}, const ContactOrder* order = nullptr);
    uint32_t Id() const override { return key_; }
    int Compare(const TItem& other) const override;
    int Draw(DrawContext& dc, const HotRect& rc, unsigned flags) override;

private:
    uint32_t key_;
    const ContactOrder* order_;
};

class TSEventsList : public TKeyedGroup { using TKeyedGroup::TKeyedGroup; };

// --- Item list -------------------------------------------------------------------
// Intrusive, sorted by Compare, owning its items.
class ItemList {
public:
    ItemList() = default;
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    ~ItemList() { Clear(); }

    TItem* Insert(std::unique_ptr<TItem> item);
    TItem* Find(uint32_t id) const;
    std::unique_ptr<TItem> Detach(TItem* item);
    void Remove(TItem* item) { Detach(item); }
    void Clear();
    TItem* head() const { return head_; }
    size_t count() const { return count_; }

private:
    TItem* head_ = nullptr;
    size_t count_ = 0;
};

class TGroupingTitlesList {
public:
    virtual ~TGroupingTitlesList() = default;
    virtual void Clear() { groups.Clear(); }
    ItemList groups;  // of TItemWithList
};

// The eight letter groups of the alphabet search bar, e.g. "abc".
using LetterGroups = std::vector<std::wstring>;
// The groups of the Contacts tab: over the languages of CntctsActiveLanguages (bit 1
// Latin with its accented letters, 2 Cyrillic, 4 Hebrew, 8 Greek), followed by line
// k of every custom alphabet.
LetterGroups MatchingLetterGroups(unsigned languages, const std::vector<olv::KeyLabels>& custom = {});
// Whether two letters are the same for letter-mode search; the handheld passes a
// locale comparison that ignores case, marks, symbols and width.
using LetterEquals = bool (*)(wchar_t a, wchar_t b);
bool SimpleLetterEquals(wchar_t a, wchar_t b);

// The key of an item: each lower-cased character as the digit 1..8 of the first
// group that has it (the groups are lower-cased too), 9 when none does; empty when
// the search bar is off.
std::wstring BuildSearchKey(const std::wstring& title, const LetterGroups& groups, bool searchBarOn);
// The same, with the groups looked up once for many titles.
class SearchKeyMap {
public:
    SearchKeyMap() = default;
    explicit SearchKeyMap(const LetterGroups& groups);
    std::wstring Key(const std::wstring& title, bool searchBarOn) const;

private:
    olv::LetterGroupTable table_;
};

// Changes with every change of any group's members or any item list, so that a
// view kept of a list (the search's flat index) knows when it is out of date.
uint64_t ItemStructureVersion();

class TSeacrhableGroupingTitlesList : public TGroupingTitlesList {
public:
    enum Mode { kKeySequence = 0, kLetter = 1 };
    void Clear() override;
    // Key 0 clears, 1..8 select a letter group, 9 is backspace.
    void Search(int key, Mode mode, const LetterGroups& groups, LetterEquals equals = SimpleLetterEquals);

    const std::wstring& text() const { return text_; }
    // Letter mode: the letter searched for, 0 when none.
    wchar_t letter() const;

private:
    struct IndexEntry {
        TStringSearchableItem* item;
        TItemWithList* group;
    };
    std::vector<IndexEntry> index_;  // the searchable members, as of indexVersion_
    uint64_t indexVersion_ = ~uint64_t(0);
    std::wstring text_;
    std::wstring cursorGroup_;  // letter mode: the group's letters and the cursor in them
    size_t cursor_ = std::wstring::npos;
};

}  // namespace daybrim
