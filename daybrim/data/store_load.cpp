// Loading the PIM databases into the item lists and placing items on the days.
#include "pim_store.h"

#include <aygshell.h>

#include <algorithm>
#include <cwctype>
#include <set>

#include "contact_picture.h"
#include "item_text.h"
#include "pim_text.h"
#include "store_parts.h"

namespace daybrim {

using namespace pimdb;
using namespace storedates;

std::unique_ptr<ItemIcon> LoadItemIcon(const std::wstring& path) {
    HBITMAP b = path.empty() ? nullptr : SHLoadDIBitmap(path.c_str());
    return b ? std::make_unique<BitmapIcon>(b) : nullptr;
}

// --- Categories of items ---------------------------------------------------------
void CPimStore::LoadAssociations() {
    assoc_.clear();
    PimDatabase& db = assocDb_;
    SORTORDERSPECEX sort = SortOn(kAssocItem, CEDB_SORT_UNIQUE, kAssocCategory);
    if (!db.isOpen()) db.open(kAssociations, true, nullptr, &sort, opt_.cat.pimVolume);
    if (db.isOpen() && db.seek(CEDB_SEEK_BEGINNING, 0)) {
        RecordProps r;
        const RecordView v(r, kAssocProps);
        while (r.read(db.handle(), kAssocProps, kAssocPropCount))
            if (v.has(kAssocItemAt) && v.has(kAssocCategoryAt))
                assoc_[v.u4(kAssocItemAt)].push_back(v.i4(kAssocCategoryAt));
    }
    assocLoaded_ = true;
}

std::vector<int32_t> CPimStore::CategoriesOf(uint32_t poomId) {
    if (assocLoaded_) {
        auto it = assoc_.find(poomId);
        return it == assoc_.end() ? std::vector<int32_t>() : it->second;
    }
    std::vector<int32_t> cats;
    PimDatabase& db = assocDb_;
    SORTORDERSPECEX sort = SortOn(kAssocItem, CEDB_SORT_UNIQUE, kAssocCategory);
    if (!db.isOpen() && !db.open(kAssociations, true, nullptr, &sort, opt_.cat.pimVolume)) return cats;
    CEPROPVAL key = {};
    key.propid = kAssocItem;
    key.val.ulVal = poomId;
    if (!db.seekValues(CEDB_SEEK_VALUEFIRSTEQUAL, &key, 1)) return cats;
    RecordProps r;
    const RecordView v(r, kAssocProps);
    while (r.read(db.handle(), kAssocProps, kAssocPropCount) && v.u4(kAssocItemAt, ~poomId) == poomId)
        if (v.has(kAssocCategoryAt)) cats.push_back(v.i4(kAssocCategoryAt));
    return cats;
}

// --- Filling items ---------------------------------------------------------------
void CPimStore::FillAppointment(const RecordProps& r, TApptItem& a, bool light) {
    const RecordView v(r, kApptProps);
    const bool recurring = v.flag(kApptRecurring);
    a.allDay = v.flag(kApptAllDay);
    a.recurrence = recurring ? 1 : 0;
    a.start = agenda::LocalStart(v.ticks(kApptStart), a.allDay, recurring, deviceZone_);
    a.duration = v.u4(kApptDuration);
    a.end = a.start + double(a.duration) * kDaysPerMinute;
    a.sensitivity = int(v.u4(kApptSensitivity));
    // Busy unless the record says otherwise, as the object model reads it: a
    // missing or unknown status must not show an appointment as free.
    const uint32_t busy = v.u4(kApptBusy, 2);
    a.busy = busy <= 3 ? int(busy) : 2;
    v.blob(kApptTimeZone, &a.timeZone);
    v.blob(kApptPattern, &a.pattern);
    a.poomId = PoomId(PimKind::kAppointment, v.u4(kApptRecId));
    if (light) return;
    a.note.value = (!v.text(kApptNoteText).empty() || v.blob(kApptNoteBlob) > 0) ? 1.0 : 0.0;
    a.SetTitle(v.text(kApptSubject));
    a.location = v.text(kApptLocation);
    a.reminder.value = v.flag(kApptReminder) ? 1.0 : 0.0;
    a.attendees = v.blob(kApptAttendees) > 0;
    a.SetCategories(CategoriesOf(a.poomId));
    a.rules = &opt_.calendarRules;
    ApplyIcon(a);
}

void CPimStore::FillTask(const RecordProps& r, TTask& t) {
    const RecordView v(r, kTaskProps);
    const TaskSubject s = ParseTaskSubject(v.text(kTaskSubject), opt_.cat.pimSw);
    t.code = s.code;
    t.counter = s.counter;
    t.SetTitle(TaskDisplayTitle(s, opt_.hideCodes));
    t.sensitivity = int(v.u4(kTaskSensitivity));
    const bool reminder = v.flag(kTaskReminderSet);
    t.reminder.value = reminder ? 1.0 : 0.0;
    auto date = [&](TaskProp i) { return v.has(i) ? OleFromTicks(v.ticks(i)) : kNoDate; };
    t.startDate = date(kTaskStartDate);
    t.due = date(kTaskDueDate);
    t.importance = int(std::min<uint32_t>(v.u4(kTaskImportance, 1), 2));
    t.dateCompleted = date(kTaskDateCompleted);
    t.completed = (v.flag(kTaskComplete) || t.dateCompleted != kNoDate) ? 1 : 0;
    t.recurrence = v.flag(kTaskRecurring) ? 1 : 0;
    const bool reminderTime = v.has(kTaskReminderTime);
    if (reminderTime) t.reminderTime = OleFromTicks(v.ticks(kTaskReminderTime) + uint64_t(localOffset_));
    if (opt_.tasksWithAppts && reminder && reminderTime) t.reminder.value = t.reminderTime;
    t.note.value = (!v.text(kTaskNoteText).empty() || v.blob(kTaskNoteBlob) > 0) ? 1.0 : 0.0;
    t.poomId = PoomId(PimKind::kTask, v.u4(kTaskRecId));
    t.SetCategories(CategoriesOf(t.poomId));
    t.rules = t.OnCalendar() ? &opt_.calendarRules : &opt_.tasksRules;
    ApplyIcon(t);
}

void CPimStore::FillContact(const RecordProps& r, TContactItem& c) {
    const RecordView v(r, kContactProps);
    const uint32_t preferred = v.u4(kContactPreferred, 0);
    c.fileAs = v.text(kContactFileAs);
    c.firstName = v.text(kContactFirstName);
    c.lastName = v.text(kContactLastName);
    c.company = v.text(kContactCompany);
    c.SetTitle(ContactDisplayName(opt_.contactsTitleMode, c.fileAs, c.firstName, c.lastName));
    auto day = [&](ContactProp i) { return v.has(i) ? double(DayOf(OleFromTicks(v.ticks(i)))) : kNoDate; };
    c.birthday = day(kContactBirthday);
    c.anniversary = day(kContactAnniversary);
    std::vector<NumberEntry> numbers;
    numbers.reserve(kNumberCount);
    for (WORD i = kContactFirstNumber; i <= kContactLastNumber; ++i) numbers.push_back(NumberEntry{v.id(i), v.text(i)});
    NumberEntry chosen = PreferredNumber(numbers, preferred);
    c.preferredId = chosen.propid;
    c.preferredText = std::move(chosen.text);
    c.note.value = (!v.text(kContactNoteText).empty() || v.blob(kContactNoteBlob) > 0) ? 1.0 : 0.0;
    c.poomId = PoomId(PimKind::kContact, v.u4(kContactRecId));
    c.searchKey = keys_.Key(c.title, opt_.contactsSearchBar);
    c.SetCategories(CategoriesOf(c.poomId));
    c.rules = &opt_.contactsRules;
    c.picture.reset();
    c.pictureWidth = c.pictureHeight = 0;
    std::vector<uint8_t> photo;
    if (opt_.contactsLayout == 2 && v.blob(kContactPicture, &photo) > 0) {
        int w = 0, h = 0;
        if (HBITMAP b = DecodeContactPicture(photo, opt_.pictureBox, &w, &h)) {
            c.picture = std::make_unique<BitmapIcon>(b);
            c.pictureWidth = w;
            c.pictureHeight = h;
        }
    }
}

void CPimStore::ApplyIcon(TAgendaItem& item) {
    if (icons_.isOpen()) item.icon = LoadItemIcon(icons_.ItemIconPath(item.poomId));
    if (piLinks_.isOpen()) item.link.value = double(PiLinkOf(item.poomId));
}

CEOID CPimStore::PiLinkOf(uint32_t poomId) {
    CEPROPVAL key = {};
    key.propid = kPiItem;
    key.val.lVal = long(poomId);
    return piLinks_.seekValues(CEDB_SEEK_VALUEFIRSTEQUAL, &key, 1);
}

// --- Loading ---------------------------------------------------------------------
TDailyList* CPimStore::DayList(uint32_t day) {
    if (TDailyList* d = Day(day)) return d;
    return static_cast<TDailyList*>(days_.Insert(std::make_unique<TDailyList>(day)));
}

void CPimStore::LoadTasks() {
    PimDatabase db;
    if (!db.open(kTasks, true, nullptr, nullptr, opt_.cat.pimVolume) || !db.seek(CEDB_SEEK_BEGINNING, 0)) return;
    RecordProps r;
    while (CEOID oid = r.read(db.handle(), kTaskProps, kTaskPropCount)) {
        auto t = std::make_unique<TTaskTsks>();
        t->oid = oid;
        FillTask(r, *t);
        PlaceTask(*t);
        AddTask(std::move(t));
    }
}

void CPimStore::AddTask(std::unique_ptr<TTask> t) {
    TItem* g = tasks_.groups.Find(0);
    if (!g) g = tasks_.groups.Insert(std::make_unique<TTasksList>(0));
    static_cast<TTasksList*>(g)->AddChild(std::move(t));
}

void CPimStore::PlaceTask(const TTask& t) {
    if (opt_.cat.pimSw == 1 && agenda::IsTemplateDay(t.due)) {
        RecordTemplate(t, kKindTask);
        return;
    }
    for (const agenda::TaskPlace& p : agenda::TaskPlaces(t, first_, last_, today_, opt_.calendarTasks, monthView_)) {
        const bool created = !Day(p.day);
        TDailyList* day = DayList(p.day);
        if (created && p.day == kOverdueDay) day->title = opt_.overdueTitle;
        if (created && p.day == kUndatedDay) day->title = opt_.undatedTitle;
        if (created && p.day == kLaterDay) day->title = opt_.laterTitle;
        if (day->FindChildById(t.poomId)) continue;
        auto copy = std::make_unique<TTaskClr>();
        t.CopyTo(*copy);
        copy->rules = &opt_.calendarRules;
        copy->activeSpan = p.activeSpan ? 1 : 0;
        if (opt_.dateFormat) copy->prefix = TaskDuePrefix(*copy, int32_t(p.day), opt_.duePrefix, *opt_.dateFormat);
        day->AddChild(std::move(copy));
    }
}

void CPimStore::RecordTemplate(const TItemWithNote& item, int kind) {
    agenda::TemplateEntry e;
    if (!agenda::TemplateName(item.title, &e.name)) return;
    e.kind = kind;
    e.poomId = item.poomId;
    e.oid = item.oid;
    if (std::find(templates_.begin(), templates_.end(), e) == templates_.end()) templates_.push_back(std::move(e));
}

void CPimStore::LoadTemplates() {
    // Pocket Informant keeps its template appointments on days of their own; they
    // are read as single appointments, whatever their recurrence flag says.
    PimDatabase db;
    SORTORDERSPECEX sort = SortOn(kStart);
    if (!db.open(kAppointments, true, nullptr, &sort, opt_.cat.pimVolume)) return;
    CEPROPVAL from = {};
    from.propid = kStart;
    from.val.filetime = Ft(TicksFromOle(double(agenda::kTemplateFirstDay - 1)));
    if (!db.seekValues(CEDB_SEEK_VALUEGREATEROREQUAL, &from, 1)) return;
    RecordProps r;
    while (CEOID oid = r.read(db.handle(), kApptProps, kApptPropCount)) {
        TApptItem a;
        a.oid = oid;
        FillAppointment(r, a, false);
        if (DayOf(a.start) > agenda::kTemplateLastDay) break;
        if (agenda::IsTemplateDay(a.start)) RecordTemplate(a, kKindAppt);
    }
}

void CPimStore::LoadAppointments(int32_t first, int32_t last) {
    for (int32_t d = first; d <= last; ++d) {
        TDailyList* day = DayList(uint32_t(d));
        for (auto it = day->children().begin(); it != day->children().end();) {
            auto cur = it++;
            if ((*cur)->Kind() == kKindAppt) day->RemoveChild(cur);
        }
    }
    // Pass 1: single appointments from 31 days before the range, in start order.
    {
        PimDatabase db;
        SORTORDERSPECEX sort = SortOn(kStart);
        if (db.open(kAppointments, true, nullptr, &sort, opt_.cat.pimVolume)) {
            CEPROPVAL from = {};
            from.propid = kStart;
            from.val.filetime = Ft(TicksFromOle(double(first - 31)));
            if (db.seekValues(CEDB_SEEK_VALUEGREATEROREQUAL, &from, 1)) {
                RecordProps r;
                while (CEOID oid = r.read(db.handle(), kApptProps, kApptPropCount)) {
                    if (r.flag(kApptRecurring, kRecurring)) continue;  // pass 2
                    TApptItem a;
                    a.oid = oid;
                    FillAppointment(r, a, false);
                    if (DayOf(a.start) > last) break;
                    if (DayOf(a.end) < first) continue;
                    PlaceAppointment(a, first, last);
                }
            }
        }
    }
    if (opt_.cat.pimSw == 1) {
        templates_.erase(std::remove_if(templates_.begin(), templates_.end(),
                                        [](const agenda::TemplateEntry& e) { return e.kind == kKindAppt; }),
                         templates_.end());
        LoadTemplates();
    }
    // Pass 2: every recurring appointment, kept whole and expanded into the days.
    recurring_.clear();
    PimDatabase db;
    SORTORDERSPECEX sort = SortOn(kRecurring);
    if (!db.open(kAppointments, true, nullptr, &sort, opt_.cat.pimVolume)) return;
    CEPROPVAL yes = {};
    yes.propid = kRecurring;
    yes.val.boolVal = TRUE;
    if (!db.seekValues(CEDB_SEEK_VALUEFIRSTEQUAL, &yes, 1)) return;
    RecordProps r;
    while (CEOID oid = r.read(db.handle(), kApptProps, kApptPropCount)) {
        if (!r.flag(kApptRecurring, kRecurring)) break;
        auto a = std::make_unique<TApptItem>();
        a->oid = oid;
        FillAppointment(r, *a, false);
        PlaceOccurrences(*a, first, last);
        recurring_.push_back(std::move(a));
    }
}

void CPimStore::PlaceOccurrences(const TApptItem& master, int32_t first, int32_t last) {
    agenda::ExpandOptions eo;
    eo.yearlyCounters = opt_.yearlyCounters;
    for (auto& o : agenda::ExpandOccurrences(master, first, last, deviceZone_, eo)) {
        const TApptItem& item = *o;
        PlaceAppointment(item, first, last, std::move(o));
    }
}

void CPimStore::PlaceAppointment(const TApptItem& a, int32_t first, int32_t last, std::unique_ptr<TApptItem> own) {
    if (opt_.cat.pimSw == 1 && agenda::IsTemplateDay(a.start)) {
        RecordTemplate(a, kKindAppt);
        return;
    }
    const agenda::DaySpan span = agenda::ListedDays(a.start, a.end, opt_.humanTime);
    if (span.last < first || span.first > last) return;
    for (int32_t d = std::max(span.first, first); d <= std::min(span.last, last); ++d) {
        TDailyList* day = DayList(uint32_t(d));
        if (span.last > span.first) {
            // A long appointment met again (a notice, a moved range) is already here.
            for (TChildItem* c : day->children()) {
                auto* o = dynamic_cast<TApptItem*>(c);
                if (o && o->poomId == a.poomId && o->start == a.start && o->end == a.end) return;
            }
        }
        // The item itself goes on its last day when it is the caller's to give.
        std::unique_ptr<TApptItem> copy;
        if (own && d == std::min(span.last, last)) {
            copy = std::move(own);
        } else {
            copy = std::make_unique<TApptItem>();
            a.CopyTo(*copy);
            copy->pattern.clear();
        }
        copy->passed = !monthView_ && d == first_ && !a.allDay && a.end < now_;
        day->AddChild(std::move(copy));
    }
}

void CPimStore::ScanContacts() {
    if (!(opt_.seventsOnCalendar || opt_.seventsTab || opt_.contactsTab)) return;
    PimDatabase db;
    if (db.open(kContacts, true, nullptr, nullptr, opt_.cat.pimVolume) && db.seek(CEDB_SEEK_BEGINNING, 0)) {
        RecordProps r;
        const WORD n = opt_.contactsLayout == 2 ? kContactPropCount : kContactPicture;
        while (CEOID oid = r.read(db.handle(), kContactProps, n)) {
            auto c = std::make_unique<TContactItem>();
            c->oid = oid;
            FillContact(r, *c);
            AddContactEvents(*c, true);
            if (opt_.contactsTab) AddContact(std::move(c));
        }
    }
    RebuildSpecialEvents();
}

namespace {
// The group titles the store knows without a language library of its own.
class GroupTitles : public TextSource {
public:
    explicit GroupTitles(const PimOptions& o) : o_(o) {}
    std::wstring String(unsigned id) const override {
        if (id == text_id::kContacts) return o_.contactsAllTitle;
        if (id == text_id::kNoCategory) return o_.noCategoryTitle;
        if (id == text_id::kNoCompany) return o_.noCompanyTitle;
        return L"";
    }

private:
    const PimOptions& o_;
};
}  // namespace

void CPimStore::AddContact(std::unique_ptr<TContactItem> c) {
    if (!grouper_) {
        groupTitles_ = std::make_unique<GroupTitles>(opt_);
        grouper_ = std::make_unique<ContactGrouper>(opt_.contactsOrder.grouping, cats_, *groupTitles_);
    }
    const std::vector<GroupKey> keys = grouper_->Groups(c->categories(), c->company);
    FileContact(contacts_, std::move(c), keys, opt_.contactsOrder);
}

void CPimStore::SetContactOrder(const ContactOrder& order) {
    opt_.contactsOrder = order;
    RefileContacts();
}

void CPimStore::SetLetterGroups(const LetterGroups& groups) {
    opt_.letterGroups = groups;
    keys_ = SearchKeyMap(opt_.letterGroups);
    RefileContacts();
}

// One item per contact survives (the copies of other categories are made again),
// with a fresh key; the search starts over.
void CPimStore::RefileContacts() {
    std::vector<std::unique_ptr<TContactItem>> all;
    std::set<uint32_t> seen;
    for (TItem* g = contacts_.groups.head(); g; g = g->next()) {
        auto* group = static_cast<TItemWithList*>(g);
        while (!group->children().empty()) {
            std::unique_ptr<TChildItem> child = group->DetachChild(group->children().begin());
            if (child->Kind() != kKindContact) continue;
            auto* c = static_cast<TContactItem*>(child.get());
            if (!seen.insert(c->oid).second) continue;
            child.release();
            all.emplace_back(c);
        }
    }
    contacts_.Clear();
    grouper_.reset();
    for (auto& c : all) {
        c->searchKey = keys_.Key(c->title, opt_.contactsSearchBar);
        c->matched = 1;
        c->matchPos = 0;
        AddContact(std::move(c));
    }
}

void CPimStore::AddContactEvents(const TContactItem& c, bool calendar) {
    for (int which = 0; which < 2; ++which) {
        const double date = which ? c.anniversary : c.birthday;
        if (date == kNoDate) continue;
        auto make = [&] {
            auto e = std::make_unique<TSEvent>(kKindSEventContact);
            c.CopyTo(*e);
            e->SetTitle(ContactDisplayName(opt_.seContactMode, c.fileAs, c.firstName, c.lastName));
            e->date = date;
            e->anniversary = which == 1;
            e->rules = &opt_.seventsRules;
            return e;
        };
        SpecialEvents().AddChild(make());
        if (!calendar || !opt_.seventsOnCalendar) continue;
        int by, bm, bd;
        CivilOf(DayOf(date), &by, &bm, &bd);
        for (int32_t d = first_; d <= last_; ++d) {
            int y, m, dd;
            CivilOf(d, &y, &m, &dd);
            if (m == bm && dd == bd) {
                auto e = make();
                e->rules = &opt_.calendarRules;
                DayList(uint32_t(d))->AddChild(std::move(e));
            }
        }
    }
}

TSEventsList& CPimStore::SpecialEvents() {
    // Created on first use: without special events there is no list at all.
    if (!sevents_) {
        sevents_ = std::make_unique<TSEventsList>(0);
        sevents_->title = opt_.seventsTitle;
    }
    return *sevents_;
}

bool CPimStore::OfferSpecialEvent(const TApptItem& a, int32_t from, int32_t to) {
    if (!cats_) return false;
    const int index = cats_->SpecialEventCategoryIndex(a);
    const int32_t day = DayOf(a.start);
    if (!index || day < from || day > to) return false;
    TSEventsList& list = SpecialEvents();
    if (list.FindChildById(a.poomId)) return true;
    auto e = std::make_unique<TSEvent>(kKindSEventAppt);
    a.CopyTo(*e);
    e->date = a.start;
    e->categoryIndex = index;
    e->rules = &opt_.seventsRules;
    list.AddChild(std::move(e));
    return true;
}

void CPimStore::RebuildSpecialEvents() {
    if (sevents_) {
        for (auto it = sevents_->children().begin(); it != sevents_->children().end();) {
            auto cur = it++;
            if ((*cur)->Kind() == kKindSEventAppt) sevents_->RemoveChild(cur);
        }
    }
    if (!cats_ || !cats_->anySpecialCategory()) return;
    const int32_t to = today_ + std::max(opt_.seApptsDaySpan, 1) - 1;
    PimDatabase db;
    SORTORDERSPECEX sort = SortOn(kStart);
    if (!db.open(kAppointments, true, nullptr, &sort, opt_.cat.pimVolume)) return;
    CEPROPVAL from = {};
    from.propid = kStart;
    from.val.filetime = Ft(TicksFromOle(double(today_ - 1)));
    if (!db.seekValues(CEDB_SEEK_VALUEGREATEROREQUAL, &from, 1)) return;
    RecordProps r;
    while (CEOID oid = r.read(db.handle(), kApptProps, kApptPropCount)) {
        TApptItem a;
        a.oid = oid;
        FillAppointment(r, a, false);
        if (DayOf(a.start) > to) break;
        OfferSpecialEvent(a, today_, to);
    }
}

}  // namespace daybrim
