#include "items.h"

#include <algorithm>
#include <atomic>
#include <cwctype>

namespace daybrim {

namespace {

std::atomic<uint64_t> g_structure{0};
void BumpStructure() { g_structure.fetch_add(1, std::memory_order_relaxed); }

template <typename T>
int Order3(const T& a, const T& b) {  // 1: a first
    return a < b ? 1 : (b < a ? -1 : 0);
}

// Lists sort thousands of titles at a start: ASCII, the usual case, is lowered here
// rather than through the runtime's towlower, which costs a call per character.
wint_t Lower(wchar_t c) {
    if (c < 0x80) return (c >= L'A' && c <= L'Z') ? wint_t(c + (L'a' - L'A')) : wint_t(c);
    return std::towlower(c);
}

int CompareText(const std::wstring& a, const std::wstring& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        if (a[i] == b[i]) continue;
        const wint_t x = Lower(a[i]), y = Lower(b[i]);
        if (x != y) return x < y ? 1 : -1;
    }
    return Order3(a.size(), b.size());
}

// The item as class T, or null: each kind belongs to one class (ItemKind). Sorted
// inserts compare thousands of items at a start, and dynamic_cast compares type
// names on this toolchain.
template <class T>
const T* KindCast(const TItem& item);
template <>
const TApptItem* KindCast<TApptItem>(const TItem& i) {
    return i.Kind() == kKindAppt ? static_cast<const TApptItem*>(&i) : nullptr;
}
template <>
const TTask* KindCast<TTask>(const TItem& i) {
    return i.Kind() == kKindTask ? static_cast<const TTask*>(&i) : nullptr;
}
template <>
const TSEvent* KindCast<TSEvent>(const TItem& i) {
    const int k = i.Kind();
    return k == kKindSEventOnCalendar || k == kKindSEventContact || k == kKindSEventAppt
               ? static_cast<const TSEvent*>(&i)
               : nullptr;
}
template <>
const TContactItem* KindCast<TContactItem>(const TItem& i) {
    return i.Kind() == kKindContact ? static_cast<const TContactItem*>(&i) : nullptr;
}

}  // namespace

bool HotSpotHit(const HotSpot& s, int x, int y) {
    return s.value != 0.0 && x >= s.rc.left && x <= s.rc.right && y >= s.rc.top && y <= s.rc.bottom;
}

int NormalizeFilterNumber(int64_t selected) {
    return (selected >= 1 && selected <= kFilterCount) ? int(selected) : 0;
}

bool PassesSelection(const TItemWithCategory& item, int sensitivity, const Selection& sel,
                     const CategoryLookup* cats) {
    if (!sel.filterMode) {
        if (sel.category.empty()) return true;
        if (!cats) return false;
        for (int32_t id : item.categories()) {
            const std::wstring* name = cats->CategoryName(id);
            if (name && *name == sel.category) return true;
        }
        return false;
    }
    const int number = NormalizeFilterNumber(sel.filter);
    if (number == 0) return true;
    if (!cats) return false;
    if (const FilterDef* f = cats->Filter(number)) {
        if (f->sensitivityRule == 1 && sensitivity == 2) return false;
        if (f->sensitivityRule == 2 && sensitivity == 0) return false;
        if (f->includeUncategorised && item.categories().empty()) return true;
    }
    const uint32_t bit = 1u << (number - 1);  // number is 1..32 here
    for (int32_t id : item.categories())
        if (cats->FilterMask(id) & bit) return true;
    return false;
}

// --- TItem -----------------------------------------------------------------------
bool TItem::IsVisibleCached() {
    if (visibilityStale_) {
        cachedVisible_ = IsVisible() ? 1 : 0;
        visibilityStale_ = 0;
    }
    return cachedVisible_ != 0;
}

void TItem::InvalidateLayout() {
    layoutStale_ = 1;
    cachedTop = cachedBottom = -10;
}

bool TItem::TakeLayoutChange() {
    const bool was = layoutStale_ != 0;
    layoutStale_ = 0;
    return was;
}

void TItemWithCategory::AddCategory(int32_t id) {
    auto it = std::lower_bound(categories_.begin(), categories_.end(), id, std::greater<int32_t>());
    if (it == categories_.end() || *it != id) categories_.insert(it, id);
}

bool TItemWithCategory::HasCategory(int32_t id) const {
    return std::binary_search(categories_.begin(), categories_.end(), id, std::greater<int32_t>());
}

void TItemWithCategory::SetCategories(std::vector<int32_t> ids) {
    std::sort(ids.begin(), ids.end(), std::greater<int32_t>());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    categories_ = std::move(ids);
}

void TItemWithNote::CopyIdentity(TItemWithNote& t) const {
    t.poomId = poomId;
    t.oid = oid;
    CopyCategories(t);
}

void TItemWithNote::CopyTo(TItemWithNote& t) const {
    t.title = title;
    t.note = note;
    CopyIdentity(t);
}

void TAgendaItem::CopyTo(TItemWithNote& target) const {
    if (auto* t = dynamic_cast<TAgendaItem*>(&target)) {
        t->sensitivity = sensitivity;
        t->recurrence = recurrence;
        t->completed = completed;
        t->icon = icon ? icon->Clone() : nullptr;
        t->iconNumber = iconNumber;
        t->reminder = reminder;
        t->link = link;
        t->rules = rules;
    }
    TItemWithNote::CopyTo(target);
}

bool TApptItem::IsVisible() {
    return !rules || PassesSelection(*this, sensitivity, rules->selection, rules->categories);
}

int TApptItem::Compare(const TItem& other) const {
    if (auto* o = KindCast<TApptItem>(other)) {
        if (int c = Order3(start, o->start)) return c;
        if (int c = Order3(end, o->end)) return c;
        return CompareText(title, o->title);
    }
    return Order3(Kind(), other.Kind());
}

void TApptItem::CopyTo(TItemWithNote& target) const {
    TAgendaItem::CopyTo(target);
    if (auto* t = dynamic_cast<TApptItem*>(&target)) {
        t->start = start;
        t->end = end;
        t->duration = duration;
        t->allDay = allDay;
        t->busy = busy;
        t->attendees = attendees;
        t->location = location;
        t->exceptionDate = exceptionDate;
        t->timeZone = timeZone;
        t->pattern = pattern;
    }
}

bool TTask::IsVisible() {
    if (!rules) return true;
    if (rules->hideCompleted && completed) return false;
    return PassesSelection(*this, sensitivity, rules->selection, rules->categories);
}

int TTask::Compare(const TItem& other) const {
    if (auto* o = KindCast<TTask>(other)) {
        if (int c = Order3(due, o->due)) return c;
        if (int c = Order3(o->importance, importance)) return c;  // high first
        return CompareText(title, o->title);
    }
    return Order3(Kind(), other.Kind());
}

void TTask::CopyTo(TItemWithNote& target) const {
    TAgendaItem::CopyTo(target);
    if (auto* t = dynamic_cast<TTask*>(&target)) {
        t->dateCompleted = dateCompleted;
        t->due = due;
        t->startDate = startDate;
        t->code = code;
        t->prefix = prefix;
        t->counter = counter;
        t->importance = importance;
        t->reminderTime = reminderTime;
    }
}

bool TSEvent::IsVisible() {
    return !rules || PassesSelection(*this, -1, rules->selection, rules->categories);
}

int TSEvent::Compare(const TItem& other) const {
    if (auto* o = KindCast<TSEvent>(other)) {
        if (int c = Order3(DayOf(date), DayOf(o->date))) return c;
        return CompareText(title, o->title);
    }
    return Order3(Kind(), other.Kind());
}

std::unique_ptr<TContactItem> TContactItem::Copy() const {
    auto c = std::make_unique<TContactItem>();
    CopyTo(*c);
    c->searchKey = searchKey;
    c->matched = matched;
    c->matchPos = matchPos;
    c->fileAs = fileAs;
    c->firstName = firstName;
    c->lastName = lastName;
    c->company = company;
    c->order = order;
    c->preferredId = preferredId;
    c->preferredText = preferredText;
    c->birthday = birthday;
    c->anniversary = anniversary;
    c->picture = picture ? picture->Clone() : nullptr;
    c->pictureWidth = pictureWidth;
    c->pictureHeight = pictureHeight;
    c->rules = rules;
    return c;
}

bool TContactItem::IsVisible() {
    if (!matched) return false;
    return !rules || PassesSelection(*this, -1, rules->selection, rules->categories);
}

int TContactItem::Compare(const TItem& other) const {
    if (auto* o = KindCast<TContactItem>(other)) {
        if (!order) return CompareText(title, o->title);
        if (order->hideNoPicture && !picture != !o->picture) return picture ? 1 : -1;
        return CompareText(title, o->title) * (order->sortDirection < 0 ? -1 : 1);
    }
    return Order3(Kind(), other.Kind());
}

// --- Grouping items --------------------------------------------------------------
TItemWithList::~TItemWithList() { Clear(); }

bool TItemWithList::IsVisible() { return counters[0] > 0 || counters[1] > 0 || counters[2] > 0; }

void TItemWithList::AddChild(std::unique_ptr<TChildItem> child) {
    BumpStructure();
    TChildItem* c = child.release();
    c->parent = this;
    c->counted_ = c->IsVisibleCached();
    if (c->counted_) {
        CountChild(*c, +1);
        MarkVisibilityStale();
    }
    children_.insert(c);
}

void TItemWithList::Clear() {
    BumpStructure();
    counters[0] = counters[1] = counters[2] = 0;
    Children doomed;
    doomed.swap(children_);
    for (TChildItem* c : doomed) delete c;
    MarkVisibilityStale();
}

TChildItem* TItemWithList::FindChildById(uint32_t id) const {
    for (TChildItem* c : children_)
        if (c->Id() == id) return c;
    return nullptr;
}

std::unique_ptr<TChildItem> TItemWithList::DetachChild(Children::iterator pos) {
    BumpStructure();
    TChildItem* c = *pos;
    if (c->counted_) {
        CountChild(*c, -1);
        MarkVisibilityStale();
    }
    children_.erase(pos);
    c->parent = nullptr;
    c->counted_ = false;
    return std::unique_ptr<TChildItem>(c);
}

void TItemWithList::RemoveChild(Children::iterator pos) {
    BumpStructure();
    TChildItem* c = *pos;
    if (c->counted_) {
        CountChild(*c, -1);
        MarkVisibilityStale();
    }
    children_.erase(pos);
    delete c;
}

bool TItemWithList::RemoveChild(TChildItem* child) {
    // Found by address: a child whose sort key changed since it went in would not
    // be found by the ordered lookup.
    for (auto it = children_.begin(); it != children_.end(); ++it)
        if (*it == child) {
            RemoveChild(it);
            return true;
        }
    return false;
}

void TItemWithList::UpdateChildVisibility(TChildItem* child) {
    child->MarkVisibilityStale();
    const bool now = child->IsVisibleCached();
    if (now == child->counted_) return;
    CountChild(*child, now ? +1 : -1);
    child->counted_ = now;
    MarkVisibilityStale();
}

void TItemWithList::Recount() {
    counters[0] = counters[1] = counters[2] = 0;
    for (TChildItem* c : children_) {
        c->MarkVisibilityStale();
        c->counted_ = c->IsVisibleCached();
        if (c->counted_) CountChild(*c, +1);
    }
    MarkVisibilityStale();
}

int TDailyList::Compare(const TItem& other) const { return Order3(day_, other.Id()); }

void TDailyList::CountChild(const TChildItem& child, int change) {
    switch (child.Kind()) {
    case kKindAppt:
    case kKindSEventOnCalendar:
    case kKindSEventAppt: counters[0] += change; break;
    case kKindTask: counters[1] += change; break;
    default: counters[2] += change; break;
    }
}

int TKeyedGroup::Compare(const TItem& other) const { return Order3(key_, other.Id()); }

TContactsGroup::TContactsGroup(uint32_t key, std::wstring text, const ContactOrder* order)
    : key_(key), order_(order) {
    title = std::move(text);
}

// The group without a key goes last whichever group it is compared with, and two
// such groups are equal: a comparison that called both of them "first" would not be
// an order at all.
int TContactsGroup::Compare(const TItem& other) const {
    const auto* o = other.Kind() == kKindGroup ? dynamic_cast<const TContactsGroup*>(&other) : nullptr;
    if (!o) return Order3(key_, other.Id());
    if (!order_ || order_->grouping == 0) return 0;
    const bool mine = key_ != kNoKey, theirs = o->key_ != kNoKey;
    int c = 0;
    if (mine != theirs) c = mine ? 1 : -1;
    else if (mine) c = CompareText(title, o->title);
    return c * (order_->groupingDirection < 0 ? -1 : 1);
}

// --- Item list -------------------------------------------------------------------
TItem* ItemList::Insert(std::unique_ptr<TItem> owned) {
    BumpStructure();
    TItem* item = owned.release();
    if (!head_ || head_->Compare(*item) == -1) {
        item->next_ = head_;
        item->prev_ = nullptr;
        if (head_) head_->prev_ = item;
        head_ = item;
    } else {
        TItem* at = head_;
        while (at->next_ && at->next_->Compare(*item) == 1) at = at->next_;
        item->next_ = at->next_;
        item->prev_ = at;
        if (at->next_) at->next_->prev_ = item;
        at->next_ = item;
    }
    ++count_;
    return item;
}

TItem* ItemList::Find(uint32_t id) const {
    for (TItem* i = head_; i; i = i->next_)
        if (i->Id() == id) return i;
    return nullptr;
}

std::unique_ptr<TItem> ItemList::Detach(TItem* item) {
    BumpStructure();
    if (!item) return nullptr;
    if (item->prev_) item->prev_->next_ = item->next_;
    else if (head_ == item) head_ = item->next_;
    else return nullptr;  // not in this list
    if (item->next_) item->next_->prev_ = item->prev_;
    item->next_ = item->prev_ = nullptr;
    --count_;
    return std::unique_ptr<TItem>(item);
}

void ItemList::Clear() {
    BumpStructure();
    while (head_) {
        TItem* next = head_->next_;
        delete head_;
        head_ = next;
    }
    count_ = 0;
}

// --- Search ----------------------------------------------------------------------
bool SimpleLetterEquals(wchar_t a, wchar_t b) {
    return olv::LowerLetter(char32_t(a)) == olv::LowerLetter(char32_t(b));
}

namespace {
olv::GroupLetters ToGroupLetters(const LetterGroups& groups) {
    olv::GroupLetters out;
    for (size_t g = 0; g < groups.size() && g < 8; ++g)
        for (wchar_t c : groups[g])
            if (uint32_t(c) <= 0xFFFF) out[g].push_back(char16_t(c));
    return out;
}
}  // namespace

LetterGroups MatchingLetterGroups(unsigned languages, const std::vector<olv::KeyLabels>& custom) {
    LetterGroups out;
    for (const auto& g : olv::MatchingGroups(languages, custom)) out.emplace_back(g.begin(), g.end());
    return out;
}

std::wstring BuildSearchKey(const std::wstring& title, const LetterGroups& groups, bool searchBarOn) {
    return SearchKeyMap(groups).Key(title, searchBarOn);
}

SearchKeyMap::SearchKeyMap(const LetterGroups& groups) : table_(ToGroupLetters(groups)) {}

// Every character gives a code, spaces too, so that a match position is a title
// position (the finder's keys skip spaces; see common/letter_groups.h).
std::wstring SearchKeyMap::Key(const std::wstring& title, bool searchBarOn) const {
    std::wstring key;
    if (!searchBarOn) return key;
    key.reserve(title.size());
    table_.AppendKey(title.data(), title.size(), '1', '9', false, key);
    return key;
}

uint64_t ItemStructureVersion() { return g_structure.load(std::memory_order_relaxed); }

void TSeacrhableGroupingTitlesList::Clear() {
    index_.clear();
    indexVersion_ = ~uint64_t(0);
    TGroupingTitlesList::Clear();
    text_.clear();
    cursorGroup_.clear();
    cursor_ = std::wstring::npos;
}

wchar_t TSeacrhableGroupingTitlesList::letter() const {
    return cursor_ < cursorGroup_.size() ? cursorGroup_[cursor_] : 0;
}

void TSeacrhableGroupingTitlesList::Search(int key, Mode mode, const LetterGroups& groups, LetterEquals equals) {
    const bool narrowing = mode == kKeySequence && key >= 1 && key <= 8;
    if (mode == kKeySequence) {
        if (key >= 1 && key <= 8) text_.push_back(wchar_t(L'0' + key));
        else if (key == 9 && !text_.empty()) text_.pop_back();
        else if (key != 9) text_.clear();
    } else {
        const std::wstring letters = (key >= 1 && key <= 8 && size_t(key) <= groups.size()) ? groups[key - 1] : L"";
        if (letters.empty()) {
            cursorGroup_.clear();
            cursor_ = std::wstring::npos;
            text_.clear();
        } else if (cursorGroup_ == letters && cursor_ + 1 < letters.size()) {
            ++cursor_;
        } else {
            cursorGroup_ = letters;
            cursor_ = 0;
        }
        text_ = cursor_ < cursorGroup_.size() ? std::wstring(1, cursorGroup_[cursor_]) : L"";
    }
    const wchar_t wanted = letter();
    // One pass over a flat index of the searchable members (rebuilt only after the
    // lists changed), and only the members whose match changed are recounted, so a
    // key press costs about what scanning the keys does. The counters were right
    // before it, and the match is the only filter a key press changes.
    if (indexVersion_ != ItemStructureVersion()) {
        index_.clear();
        for (TItem* g = this->groups.head(); g; g = g->next()) {
            auto* group = static_cast<TItemWithList*>(g);
            for (TChildItem* c : group->children()) {
                auto* item = c->Kind() == kKindContact ? static_cast<TStringSearchableItem*>(c)
                                                       : dynamic_cast<TStringSearchableItem*>(c);
                if (item) index_.push_back({item, group});
            }
        }
        indexVersion_ = ItemStructureVersion();
    }
    for (const IndexEntry& e : index_) {
        TStringSearchableItem* item = e.item;
        const uint8_t before = item->matched;
        if (mode == kKeySequence) {
            if (narrowing && !before) continue;  // typing only narrows
            const size_t at = text_.empty() ? 0 : item->searchKey.find(text_);
            item->matched = at != std::wstring::npos;
            item->matchPos = item->matched ? int(at) : 0;
        } else {
            item->matched = !wanted || (!item->title.empty() && equals(item->title[0], wanted));
            item->matchPos = 0;
        }
        if (item->matched != before) e.group->UpdateChildVisibility(item);
    }
    for (TItem* g = this->groups.head(); g; g = g->next()) {
        auto* group = static_cast<TItemWithList*>(g);
        group->folded = 0;
        group->MarkVisibilityStale();
    }
}

// --- Drawing ---------------------------------------------------------------------
// Every row goes through the painter of the list that shows it; without one a
// row takes no room, so a list built before its painter still lays out.
std::wstring RowTexts::ApptSecondLine(const TApptItem& item) const { return item.location; }
std::wstring RowTexts::TaskPrefix(const TTask& item) const { return item.prefix; }

int TApptItem::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->Appointment(dc, *this, rc, flags) : 0;
}

int TTask::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->Task(dc, *this, rc, flags) : 0;
}

int TSEvent::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    if (!dc.painter) return 0;
    return kind_ == kKindSEventOnCalendar ? dc.painter->CalendarEvent(dc, *this, rc, flags)
                                          : dc.painter->SpecialEvent(dc, *this, rc, flags);
}

int TContactItem::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->Contact(dc, *this, rc, flags) : 0;
}

int TEmptyItem::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->Empty(dc, *this, rc, flags) : 0;
}

int TDailyList::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->GroupTitle(dc, *this, title, rc, flags) : 0;
}

int TKeyedGroup::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->GroupTitle(dc, *this, title, rc, flags) : 0;
}

int TContactsGroup::Draw(DrawContext& dc, const HotRect& rc, unsigned flags) {
    return dc.painter ? dc.painter->GroupTitle(dc, *this, title, rc, flags) : 0;
}

}  // namespace daybrim
