#include "pim_store.h"

#include "contact_picture.h"

#include <aygshell.h>

#include <algorithm>
#include <cwctype>

#include "datetime.h"
#include "pim_text.h"

namespace daybrim {

namespace pimdb {
const CEPROPID kApptProps[15] = {0x10420040, 0x10400013, 0x0022000B, 0x00210013, 0x00450013,
                                 0x0044000B, 0x00480041, 0x203F0064, 0x10000066, 0x101F001F,
                                 0x001E0064, 0x0020001F, 0x0041001F, 0x0028000B, 0x205F0064};
const CEPROPID kTaskProps[13] = {0x0020001F, 0x00210013, 0x0028000B, 0x00620040, 0x00630040,
                                 0x00600013, 0x1065000B, 0x00640040, 0x0022000B, 0x10660040,
                                 0x101F001F, 0x001E0064, 0x10000066};
const CEPROPID kContactProps[21] = {0x00F80013, 0x0080001F, 0x0082001F, 0x0084001F, 0x008A001F, 0x00F00040,
                                    0x00F10040, 0x0096001F, 0x0097001F, 0x0098001F, 0x0099001F, 0x009A001F,
                                    0x009D001F, 0x009E001F, 0x009F001F, 0x009B001F, 0x0090001F, 0x101F001F,
                                    0x001E0064, 0x10000066, 0x00FF0064};
const CEPROPID kNumberProps[10] = {0x0097001F, 0x0098001F, 0x0099001F, 0x009A001F, 0x0096001F,
                                   0x009D001F, 0x009E001F, 0x009F001F, 0x009B001F, 0x0090001F};
}  // namespace pimdb

using namespace pimdb;

namespace {

constexpr wchar_t kIconPropName[] = L"DR_IconName";
constexpr wchar_t kPiIconPropName[] = L"PI_IconName";

// A bitmap as an item's icon.
class BitmapIcon : public ItemIcon {
public:
    explicit BitmapIcon(HBITMAP b) : bitmap_(b) {}
    std::unique_ptr<ItemIcon> Clone() const override {
        HBITMAP copy = bitmap_ ? static_cast<HBITMAP>(CopyImage(bitmap_.get(), IMAGE_BITMAP, 0, 0, 0)) : nullptr;
        return std::make_unique<BitmapIcon>(copy);
    }
    HBITMAP get() const { return bitmap_.get(); }

private:
    raii::Bitmap bitmap_;
};

FILETIME Ft(uint64_t t) {
    FILETIME f;
    f.dwLowDateTime = DWORD(t);
    f.dwHighDateTime = DWORD(t >> 32);
    return f;
}
uint64_t Ticks(const FILETIME& f) { return (uint64_t(f.dwHighDateTime) << 32) | f.dwLowDateTime; }

// Local time is UTC plus the bias in force now, the same for every record of a
// load: asked of the system once per load, not once per record.
int64_t CurrentLocalOffset() {
    const uint64_t probe = 0x01DC000000000000ull;
    FILETIME local;
    const FILETIME u = Ft(probe);
    if (!FileTimeToLocalFileTime(&u, &local)) return 0;
    return int64_t(Ticks(local) - probe);
}

// Civil date of a day number (days since 1899-12-30).
void CivilOf(int32_t day, int* y, int* m, int* d) {
    const datetime::CivilDate c = datetime::CivilFromDays(day + datetime::kOleEpochDays);
    *y = c.year;
    *m = c.month;
    *d = c.day;
}

}  // namespace

int32_t DeviceToday() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return DayOf(OleFromTicks(Ticks(ft)));
}

// --- Start and stop --------------------------------------------------------------
void CPimStore::Init(HWND notify) {
    PimOptions o = settings_ ? PimOptionsFrom(*settings_) : opt_;
    Start(notify, o);
}

void CPimStore::Start(HWND notify, const PimOptions& options, int32_t today) {
    Stop();
    opt_ = options;
    hwnd_ = notify;
    today_ = today ? today : DeviceToday();
    localOffset_ = CurrentLocalOffset();
    first_ = today_;
    last_ = today_ + std::max(opt_.numDays, 1) - 1;
    OpenNotifications();

    if (!namedIds_) namedIds_ = std::make_unique<PoomNamedPropIds>();
    if (cats_) cats_->Load(opt_.cat);
    IconLinkStore::Config ic;
    ic.pimSw = opt_.cat.pimSw;
    ic.iconFolder = cats_ ? cats_->IconFolder() : opt_.cat.drIconsFolder;
    ic.pimVolume = opt_.cat.pimVolume;
    ic.fusionVolume = opt_.fusionVolume;
    ic.notify = hwnd_;
    if (ic.pimSw != 2) {
        const int sw = ic.pimSw == 1 ? 1 : 0;
        if (namedPropSw_ != sw) {
            namedPropId_ = namedIds_->Lookup(sw == 1 ? kPiIconPropName : kIconPropName, hwnd_);
            namedPropSw_ = sw;
        }
        ic.namedPropId = namedPropId_;
    }
    keys_ = SearchKeyMap(opt_.letterGroups);
    icons_.Open(ic);
    if (opt_.cat.pimSw == 1 && !opt_.piVolume.empty()) {
        piRequest_ = CENOTIFYREQUEST{sizeof(CENOTIFYREQUEST), hwnd_, CEDB_EXNOTIFICATION, nullptr, kNotifyPiLinks};
        SORTORDERSPECEX sort = SortOn(kPiItem);
        piLinks_.open(L"PocketInformantLinks", true, hwnd_ ? &piRequest_ : nullptr, &sort, opt_.piVolume);
    }
    for (VisibilityRules* r : {&opt_.calendarRules, &opt_.tasksRules, &opt_.contactsRules, &opt_.seventsRules})
        r->categories = cats_;

    LoadAssociations();
    LoadTasks();
    LoadAppointments(first_, last_);
    ScanContacts();
    // The associations of every item are in the lists now; notifications read
    // them one record at a time.
    assoc_.clear();
    assocLoaded_ = false;
    started_ = true;
}

void CPimStore::Stop() {
    CloseNotifications();
    icons_.Close();
    piLinks_.close();
    assocDb_.close();
    days_.Clear();
    tasks_.Clear();
    contacts_.Clear();
    sevents_.reset();
    recurring_.clear();
    assoc_.clear();
    assocLoaded_ = false;
    started_ = false;
}

void CPimStore::Reload(bool zoneChanged) {
    if (!started_) return;
    if (zoneChanged) Start(hwnd_, settings_ ? PimOptionsFrom(*settings_) : opt_);
    else OnDayChange(DeviceToday());
}

void CPimStore::OpenNotifications() {
    const wchar_t* names[3] = {kAppointments, kTasks, kContacts};
    for (int i = 0; i < 3; ++i) {
        requests_[i] = CENOTIFYREQUEST{sizeof(CENOTIFYREQUEST), hwnd_, CEDB_EXNOTIFICATION, nullptr, DWORD(i + 1)};
        watch_[i].open(names[i], false, hwnd_ ? &requests_[i] : nullptr, nullptr, opt_.cat.pimVolume);
    }
}

void CPimStore::CloseNotifications() {
    for (PimDatabase& d : watch_) d.close();
}

void CPimStore::OnDayChange(int32_t today) {
    const int32_t newFirst = today, newLast = today + std::max(opt_.numDays, 1) - 1;
    if (!started_ || !(newFirst > first_ && newLast > last_)) {
        Start(hwnd_, opt_, today);
        return;
    }
    for (TItem* i = days_.head(); i;) {
        TItem* next = i->next();
        if (i->Id() > kUndatedDay && i->Id() < kLaterDay && int32_t(i->Id()) < newFirst) days_.Remove(i);
        i = next;
    }
    const int32_t from = std::max(last_ + 1, newFirst);
    localOffset_ = CurrentLocalOffset();
    today_ = today;
    first_ = newFirst;
    last_ = newLast;
    LoadAssociations();
    LoadAppointments(from, newLast);
    // Tasks are placed relative to the range: reloaded whole, on the calendar too.
    for (TItem* d = days_.head(); d; d = d->next()) {
        auto* day = static_cast<TDailyList*>(d);
        for (auto it = day->children().begin(); it != day->children().end();) {
            auto cur = it++;
            if ((*cur)->Kind() == kKindTask) day->RemoveChild(cur);
        }
    }
    tasks_.Clear();
    LoadTasks();
    RebuildSpecialEvents();
    assoc_.clear();
    assocLoaded_ = false;
}

// --- Categories of items ---------------------------------------------------------
void CPimStore::LoadAssociations() {
    assoc_.clear();
    PimDatabase& db = assocDb_;
    SORTORDERSPECEX sort = SortOn(kAssocItem, CEDB_SORT_UNIQUE, kAssocCategory);
    if (!db.isOpen()) db.open(kAssociations, true, nullptr, &sort, opt_.cat.pimVolume);
    if (db.isOpen() && db.seek(CEDB_SEEK_BEGINNING, 0)) {
        const CEPROPID ids[] = {kAssocItem, kAssocCategory};
        RecordProps r;
        while (r.read(db.handle(), ids, 2))
            if (r.has(0, kAssocItem) && r.has(1, kAssocCategory))
                assoc_[r.u4(0, kAssocItem)].push_back(r.i4(1, kAssocCategory));
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
    const CEPROPID ids[] = {kAssocItem, kAssocCategory};
    RecordProps r;
    while (r.read(db.handle(), ids, 2) && r.u4(0, kAssocItem, ~poomId) == poomId)
        if (r.has(1, kAssocCategory)) cats.push_back(r.i4(1, kAssocCategory));
    return cats;
}

// --- Filling items ---------------------------------------------------------------
void CPimStore::FillAppointment(const RecordProps& r, TApptItem& a, bool light) {
    const bool recurring = r.flag(2, kApptProps[2]);
    a.allDay = r.flag(5, kApptProps[5]);
    a.recurrence = recurring ? 1 : 0;
    const uint64_t utc = r.ticks(0, kApptProps[0]);
    a.start = OleFromTicks(utc + uint64_t(localOffset_));
    if (a.allDay && !recurring && a.start != double(DayOf(a.start))) {
        // Stored by a program that kept all-day events at UTC midnight of another zone.
        SYSTEMTIME st;
        const FILETIME u = Ft(utc);
        FileTimeToSystemTime(&u, &st);
        a.start = double(DayOf(OleFromTicks(utc))) + (st.wHour >= 13 ? 1 : 0);
    }
    a.duration = r.u4(1, kApptProps[1]);
    a.end = a.start + double(a.duration) * kDaysPerMinute;
    a.sensitivity = int(r.u4(3, kApptProps[3]));
    a.busy = int(r.u4(4, kApptProps[4]));
    r.blob(6, kApptProps[6], &a.timeZone);
    r.blob(7, kApptProps[7], &a.pattern);
    a.poomId = PoomId(PimKind::kAppointment, r.u4(8, kApptProps[8]));
    if (light) return;
    a.note.value = (!r.text(9, kApptProps[9]).empty() || r.blob(10, kApptProps[10]) > 0) ? 1.0 : 0.0;
    a.SetTitle(r.text(11, kApptProps[11]));
    a.location = r.text(12, kApptProps[12]);
    a.reminder.value = r.flag(13, kApptProps[13]) ? 1.0 : 0.0;
    a.attendees = r.blob(14, kApptProps[14]) > 0;
    a.SetCategories(CategoriesOf(a.poomId));
    a.rules = &opt_.calendarRules;
    ApplyIcon(a);
}

void CPimStore::FillTask(const RecordProps& r, TTask& t) {
    const TaskSubject s = ParseTaskSubject(r.text(0, kTaskProps[0]), opt_.cat.pimSw);
    t.code = s.code;
    t.counter = s.counter;
    t.SetTitle(TaskDisplayTitle(s, opt_.hideCodes));
    t.sensitivity = int(r.u4(1, kTaskProps[1]));
    const bool reminder = r.flag(2, kTaskProps[2]);
    t.reminder.value = reminder ? 1.0 : 0.0;
    auto date = [&](WORD i) { return r.has(i, kTaskProps[i]) ? OleFromTicks(r.ticks(i, kTaskProps[i])) : kNoDate; };
    t.startDate = date(3);
    t.due = date(4);
    t.importance = int(std::min<uint32_t>(r.u4(5, kTaskProps[5], 1), 2));
    t.dateCompleted = date(7);
    t.completed = (r.flag(6, kTaskProps[6]) || t.dateCompleted != kNoDate) ? 1 : 0;
    t.recurrence = r.flag(8, kTaskProps[8]) ? 1 : 0;
    if (r.has(9, kTaskProps[9])) t.reminderTime = OleFromTicks(r.ticks(9, kTaskProps[9]) + uint64_t(localOffset_));
    if (opt_.tasksWithAppts && reminder && r.has(9, kTaskProps[9])) t.reminder.value = t.reminderTime;
    t.note.value = (!r.text(10, kTaskProps[10]).empty() || r.blob(11, kTaskProps[11]) > 0) ? 1.0 : 0.0;
    t.poomId = PoomId(PimKind::kTask, r.u4(12, kTaskProps[12]));
    t.SetCategories(CategoriesOf(t.poomId));
    t.rules = t.OnCalendar() ? &opt_.calendarRules : &opt_.tasksRules;
    ApplyIcon(t);
}

void CPimStore::FillContact(const RecordProps& r, TContactItem& c) {
    const uint32_t preferred = r.u4(0, kContactProps[0], 0);
    c.fileAs = r.text(1, kContactProps[1]);
    c.firstName = r.text(2, kContactProps[2]);
    c.lastName = r.text(3, kContactProps[3]);
    c.SetTitle(ContactDisplayName(opt_.contactsTitleMode, c.fileAs, c.firstName, c.lastName));
    c.birthday = r.has(5, kContactProps[5]) ? double(DayOf(OleFromTicks(r.ticks(5, kContactProps[5])))) : kNoDate;
    c.anniversary =
        r.has(6, kContactProps[6]) ? double(DayOf(OleFromTicks(r.ticks(6, kContactProps[6])))) : kNoDate;
    std::vector<NumberEntry> numbers;
    for (WORD i = 7; i <= 16; ++i) numbers.push_back(NumberEntry{kContactProps[i], r.text(i, kContactProps[i])});
    const NumberEntry chosen = PreferredNumber(numbers, preferred);
    c.preferredId = chosen.propid;
    c.preferredText = chosen.text;
    c.note.value = (!r.text(17, kContactProps[17]).empty() || r.blob(18, kContactProps[18]) > 0) ? 1.0 : 0.0;
    c.poomId = PoomId(PimKind::kContact, r.u4(19, kContactProps[19]));
    c.searchKey = keys_.Key(c.title, opt_.contactsSearchBar);
    c.SetCategories(CategoriesOf(c.poomId));
    c.rules = &opt_.contactsRules;
    c.picture.reset();
    c.pictureWidth = c.pictureHeight = 0;
    std::vector<uint8_t> photo;
    if (opt_.contactsLayout == 2 && r.blob(20, kContactProps[20], &photo) > 0) {
        int w = 0, h = 0;
        if (HBITMAP b = DecodeContactPicture(photo, opt_.pictureBox, &w, &h)) {
            c.picture = std::make_unique<BitmapIcon>(b);
            c.pictureWidth = w;
            c.pictureHeight = h;
        }
    }
}

void CPimStore::ApplyIcon(TAgendaItem& item) {
    if (icons_.isOpen()) {
        const std::wstring path = icons_.ItemIconPath(item.poomId);
        HBITMAP b = path.empty() ? nullptr : SHLoadDIBitmap(path.c_str());
        item.icon = b ? std::make_unique<BitmapIcon>(b) : nullptr;
    }
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
    while (CEOID oid = r.read(db.handle(), kTaskProps, 13)) {
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
    // The calendar's task placement rules belong to the agenda; until then a
    // task shows on its due day when that is in the range.
    if (t.due == kNoDate) return;
    const int32_t due = DayOf(t.due);
    if (due < first_ || due > last_) return;
    TDailyList* day = DayList(uint32_t(due));
    if (day->FindChildById(t.poomId)) return;
    auto copy = std::make_unique<TTaskClr>();
    t.CopyTo(*copy);
    copy->rules = &opt_.calendarRules;
    day->AddChild(std::move(copy));
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
                while (CEOID oid = r.read(db.handle(), kApptProps, 15)) {
                    if (r.flag(2, kApptProps[2])) continue;  // pass 2
                    TApptItem a;
                    a.oid = oid;
                    FillAppointment(r, a, false);
                    if (DayOf(a.start) > last) break;
                    PlaceAppointment(a, first, last);
                }
            }
        }
    }
    // Pass 2: every recurring appointment, kept whole for the agenda to expand.
    recurring_.clear();
    PimDatabase db;
    SORTORDERSPECEX sort = SortOn(kRecurring);
    if (!db.open(kAppointments, true, nullptr, &sort, opt_.cat.pimVolume)) return;
    CEPROPVAL yes = {};
    yes.propid = kRecurring;
    yes.val.boolVal = TRUE;
    if (!db.seekValues(CEDB_SEEK_VALUEFIRSTEQUAL, &yes, 1)) return;
    RecordProps r;
    while (CEOID oid = r.read(db.handle(), kApptProps, 15)) {
        if (!r.flag(2, kApptProps[2])) break;
        auto a = std::make_unique<TApptItem>();
        a->oid = oid;
        FillAppointment(r, *a, false);
        recurring_.push_back(std::move(a));
    }
}

void CPimStore::PlaceAppointment(const TApptItem& a, int32_t first, int32_t last) {
    int32_t startDay = DayOf(a.start), endDay = DayOf(a.end);
    // An appointment ending at midnight does not reach into the next day.
    if (endDay > startDay && a.end == double(endDay)) --endDay;
    if (endDay < first || startDay > last) return;
    for (int32_t d = std::max(startDay, first); d <= std::min(endDay, last); ++d) {
        TDailyList* day = DayList(uint32_t(d));
        if (endDay > startDay) {
            bool dup = false;
            for (TChildItem* c : day->children()) {
                auto* o = dynamic_cast<TApptItem*>(c);
                dup = dup || (o && o->poomId == a.poomId && o->start == a.start && o->end == a.end);
            }
            if (dup) return;
        }
        auto copy = std::make_unique<TApptItem>();
        a.CopyTo(*copy);
        day->AddChild(std::move(copy));
    }
}

void CPimStore::ScanContacts() {
    if (!(opt_.seventsOnCalendar || opt_.seventsTab || opt_.contactsTab)) return;
    PimDatabase db;
    if (db.open(kContacts, true, nullptr, nullptr, opt_.cat.pimVolume) && db.seek(CEDB_SEEK_BEGINNING, 0)) {
        RecordProps r;
        const WORD n = opt_.contactsLayout == 2 ? 21 : 20;
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

void CPimStore::AddContact(std::unique_ptr<TContactItem> c) {
    const uint32_t key = c->title.empty() ? 0 : uint32_t(std::towupper(c->title[0]));
    TItem* g = contacts_.groups.Find(key);
    if (!g) g = contacts_.groups.Insert(std::make_unique<TContactsGroup>(key));
    static_cast<TContactsGroup*>(g)->AddChild(std::move(c));
}

void CPimStore::AddContactEvents(const TContactItem& c, bool calendar) {
    if (!sevents_) {
        sevents_ = std::make_unique<TSEventsList>(0);
        sevents_->title = L"Special events";
    }
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
        sevents_->AddChild(make());
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

bool CPimStore::OfferSpecialEvent(const TApptItem& a, int32_t from, int32_t to) {
    if (!cats_) return false;
    const int index = cats_->SpecialEventCategoryIndex(a);
    const int32_t day = DayOf(a.start);
    if (!index || day < from || day > to) return false;
    if (!sevents_) {
        sevents_ = std::make_unique<TSEventsList>(0);
        sevents_->title = L"Special events";
    }
    if (sevents_->FindChildById(a.poomId)) return true;
    auto e = std::make_unique<TSEvent>(kKindSEventAppt);
    a.CopyTo(*e);
    e->date = a.start;
    e->categoryIndex = index;
    e->rules = &opt_.seventsRules;
    sevents_->AddChild(std::move(e));
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
    while (CEOID oid = r.read(db.handle(), kApptProps, 15)) {
        TApptItem a;
        a.oid = oid;
        FillAppointment(r, a, false);
        if (DayOf(a.start) > to) break;
        OfferSpecialEvent(a, today_, to);
    }
}

// --- Single records --------------------------------------------------------------
std::unique_ptr<TApptItem> CPimStore::readAppointment(CEOID oid, bool light) {
    PimDatabase own;
    HANDLE h = watch_[0].isOpen() ? watch_[0].handle() : own.open(kAppointments, false, nullptr, nullptr, opt_.cat.pimVolume);
    RecordProps r;
    DWORD index = 0;
    if (!h || !CeSeekDatabaseEx(h, CEDB_SEEK_CEOID, oid, 0, &index) || !r.read(h, kApptProps, light ? 9 : 15))
        return nullptr;
    auto a = std::make_unique<TApptItem>();
    a->oid = oid;
    FillAppointment(r, *a, light);
    return a;
}

std::unique_ptr<TTask> CPimStore::readTask(CEOID oid, bool onCalendar) {
    PimDatabase own;
    HANDLE h = watch_[1].isOpen() ? watch_[1].handle() : own.open(kTasks, false, nullptr, nullptr, opt_.cat.pimVolume);
    RecordProps r;
    DWORD index = 0;
    if (!h || !CeSeekDatabaseEx(h, CEDB_SEEK_CEOID, oid, 0, &index) || !r.read(h, kTaskProps, 13)) return nullptr;
    std::unique_ptr<TTask> t;
    if (onCalendar) t = std::make_unique<TTaskClr>();
    else t = std::make_unique<TTaskTsks>();
    t->oid = oid;
    FillTask(r, *t);
    return t;
}

std::unique_ptr<TContactItem> CPimStore::readContact(CEOID oid) {
    PimDatabase own;
    HANDLE h =
        watch_[2].isOpen() ? watch_[2].handle() : own.open(kContacts, false, nullptr, nullptr, opt_.cat.pimVolume);
    RecordProps r;
    DWORD index = 0;
    if (!h || !CeSeekDatabaseEx(h, CEDB_SEEK_CEOID, oid, 0, &index) ||
        !r.read(h, kContactProps, opt_.contactsLayout == 2 ? 21 : 20))
        return nullptr;
    auto c = std::make_unique<TContactItem>();
    c->oid = oid;
    FillContact(r, *c);
    return c;
}

namespace {
// Reads `ids` of one contact into `out` (a missing property leaves its output).
bool ReadContactTexts(const std::wstring& volume, CEOID oid, const CEPROPID* ids, WORD n, std::wstring** out) {
    PimDatabase db;
    RecordProps r;
    if (!db.open(kContacts, false, nullptr, nullptr, volume) || !db.seek(CEDB_SEEK_CEOID, oid) ||
        !r.read(db.handle(), ids, n))
        return false;
    for (WORD i = 0; i < n; ++i)
        if (out[i] && r.has(i, ids[i])) *out[i] = r.text(i, ids[i]);
    return true;
}
}  // namespace

bool CPimStore::readContactNumbers(CEOID oid, std::wstring* out[10]) {
    return ReadContactTexts(opt_.cat.pimVolume, oid, kNumberProps, 10, out);
}

bool CPimStore::readContactMails(CEOID oid, std::wstring* out[3]) {
    static const CEPROPID ids[3] = {0x0090001F, 0x0091001F, 0x0092001F};
    return ReadContactTexts(opt_.cat.pimVolume, oid, ids, 3, out);
}

bool CPimStore::readContactNames(CEOID oid, std::wstring* out[4]) {
    static const CEPROPID ids[3] = {0x0082001F, 0x0084001F, 0x008A001F};
    std::wstring first, last, company;
    std::wstring* parts[3] = {&first, &last, &company};
    if (!ReadContactTexts(opt_.cat.pimVolume, oid, ids, 3, parts)) return false;
    const ContactNameTexts t = BuildContactNames(first, last, company);
    const std::wstring* texts[4] = {&t.lastFirst, &t.firstLast, &t.companyNames, &t.namesCompany};
    for (int i = 0; i < 4; ++i)
        if (out[i]) *out[i] = *texts[i];
    return true;
}

bool CPimStore::writePreferredNumber(CEOID oid, CEPROPID numberProp) {
    PimDatabase db;
    if (!db.open(kContacts, false, nullptr, nullptr, opt_.cat.pimVolume) || !db.seek(CEDB_SEEK_CEOID, oid))
        return false;
    CEPROPVAL v = {};
    v.propid = kPreferred;
    v.val.ulVal = (numberProp & 0xFFFF0000u) | CEVT_LPWSTR;
    if (!CeWriteRecordProps(db.handle(), oid, 1, &v)) return false;
    db.flush();
    return true;
}

// --- Notifications ---------------------------------------------------------------
size_t CPimStore::RemoveByOid(TItemWithList& group, CEOID oid, int kind) {
    size_t removed = 0;
    for (auto it = group.children().begin(); it != group.children().end();) {
        auto cur = it++;
        auto* item = dynamic_cast<TPoomIdItem*>(*cur);
        if (item && item->oid == oid && (*cur)->Kind() == kind) {
            group.RemoveChild(cur);
            ++removed;
        }
    }
    return removed;
}

size_t CPimStore::RemoveFromDays(CEOID oid, int kind) {
    size_t removed = 0;
    for (TItem* d = days_.head(); d; d = d->next()) removed += RemoveByOid(*static_cast<TDailyList*>(d), oid, kind);
    return removed;
}

uint32_t CPimStore::RefreshAppointment(CEOID oid, bool deleted) {
    uint32_t bits = kChangeCalendar;
    RemoveFromDays(oid, kKindAppt);
    recurring_.erase(std::remove_if(recurring_.begin(), recurring_.end(),
                                    [oid](const std::unique_ptr<TApptItem>& a) { return a->oid == oid; }),
                     recurring_.end());
    if (sevents_ && RemoveByOid(*sevents_, oid, kKindSEventAppt)) bits |= kChangeSEvents;
    if (deleted) return bits;
    std::unique_ptr<TApptItem> a = readAppointment(oid);
    if (!a) return bits;
    if (!a->recurrence) PlaceAppointment(*a, first_, last_);
    if (opt_.seventsTab && cats_ && cats_->anySpecialCategory()) {
        const int32_t from = std::min(first_, today_);
        const int32_t to = std::max(last_, today_ + std::max(opt_.seApptsDaySpan, 1) - 1);
        if (OfferSpecialEvent(*a, from, to)) bits |= kChangeSEvents;
    }
    if (a->recurrence) recurring_.back() = std::move(a);
    return bits;
}

uint32_t CPimStore::RefreshTask(CEOID oid, bool deleted) {
    RemoveFromDays(oid, kKindTask);
    for (TItem* g = tasks_.groups.head(); g; g = g->next()) RemoveByOid(*static_cast<TItemWithList*>(g), oid, kKindTask);
    if (!deleted) {
        if (std::unique_ptr<TTask> t = readTask(oid)) {
            PlaceTask(*t);
            AddTask(std::move(t));
        }
    }
    return kChangeCalendar | kChangeTasks;
}

uint32_t CPimStore::RefreshContact(CEOID oid, bool deleted) {
    RemoveFromDays(oid, kKindSEventContact);
    if (sevents_) RemoveByOid(*sevents_, oid, kKindSEventContact);
    for (TItem* g = contacts_.groups.head(); g;) {
        TItem* next = g->next();
        auto* group = static_cast<TItemWithList*>(g);
        RemoveByOid(*group, oid, kKindContact);
        if (group->children().empty()) contacts_.groups.Remove(g);
        g = next;
    }
    if (!deleted) {
        if (std::unique_ptr<TContactItem> c = readContact(oid)) {
            AddContactEvents(*c, true);
            if (opt_.contactsTab) AddContact(std::move(c));
        }
    }
    return kChangeCalendar | kChangeSEvents | kChangeContacts;
}

uint32_t CPimStore::RefreshIcons(uint32_t poomId, const std::wstring& path) {
    uint32_t bits = 0;
    auto apply = [&](TItemWithList& group, uint32_t bit) {
        for (TChildItem* c : group.children()) {
            auto* a = dynamic_cast<TAgendaItem*>(c);
            if (!a || a->poomId != poomId) continue;
            HBITMAP b = path.empty() ? nullptr : SHLoadDIBitmap(path.c_str());
            a->icon = b ? std::make_unique<BitmapIcon>(b) : nullptr;
            a->InvalidateLayout();
            bits |= bit;
        }
    };
    for (TItem* d = days_.head(); d; d = d->next()) apply(*static_cast<TItemWithList*>(d), kChangeCalendar);
    for (TItem* g = tasks_.groups.head(); g; g = g->next()) apply(*static_cast<TItemWithList*>(g), kChangeTasks);
    for (auto& a : recurring_)
        if (a && a->poomId == poomId) {
            HBITMAP b = path.empty() ? nullptr : SHLoadDIBitmap(path.c_str());
            a->icon = b ? std::make_unique<BitmapIcon>(b) : nullptr;
            bits |= kChangeCalendar;
        }
    return bits;
}

uint32_t CPimStore::RefreshPiLink(uint32_t poomId, CEOID link) {
    uint32_t bits = 0;
    auto apply = [&](TItemWithList& group, uint32_t bit) {
        for (TChildItem* c : group.children())
            if (auto* a = dynamic_cast<TAgendaItem*>(c); a && a->poomId == poomId) {
                a->link.value = double(link);
                bits |= bit;
            }
    };
    for (TItem* d = days_.head(); d; d = d->next()) apply(*static_cast<TItemWithList*>(d), kChangeCalendar);
    for (TItem* g = tasks_.groups.head(); g; g = g->next()) apply(*static_cast<TItemWithList*>(g), kChangeTasks);
    return bits;
}

uint32_t CPimStore::HandleNotification(const CENOTIFICATION* n) {
    if (!n) return 0;
    const DWORD param = n->dwParam;
    CENOTIFYREQUEST* req = nullptr;
    if (param >= kNotifyAppointments && param <= kNotifyContacts) req = &requests_[param - 1];
    else if (param == kNotifyPiLinks) req = &piRequest_;
    else if (param == kNotifyNamedProps || param == kNotifyFusion) req = icons_.request();
    const UINT type = n->uType;
    const CEOID oid = n->oid;
    // Everything needed is copied out: the block is the system's and goes now.
    CeFreeNotification(req, const_cast<CENOTIFICATION*>(n));

    const bool changed = type == DB_CEOID_CREATED || type == DB_CEOID_CHANGED;
    const bool deleted = type == DB_CEOID_RECORD_DELETED;
    if (!changed && !deleted) return 0;
    if (changed && param <= kNotifyTasks) localOffset_ = CurrentLocalOffset();
    switch (param) {
    case kNotifyAppointments: return RefreshAppointment(oid, deleted);
    case kNotifyTasks: return RefreshTask(oid, deleted);
    case kNotifyContacts: return RefreshContact(oid, deleted);
    case kNotifyPiLinks: {
        if (!piLinks_.isOpen()) return 0;
        if (deleted) {
            // The record is gone: every item whose link was this record loses it.
            uint32_t bits = 0;
            for (TItem* d = days_.head(); d; d = d->next())
                for (TChildItem* c : static_cast<TItemWithList*>(d)->children())
                    if (auto* a = dynamic_cast<TAgendaItem*>(c); a && a->link.value == double(oid)) {
                        a->link.value = 0;
                        bits |= kChangeCalendar;
                    }
            for (TItem* g = tasks_.groups.head(); g; g = g->next())
                for (TChildItem* c : static_cast<TItemWithList*>(g)->children())
                    if (auto* a = dynamic_cast<TAgendaItem*>(c); a && a->link.value == double(oid)) {
                        a->link.value = 0;
                        bits |= kChangeTasks;
                    }
            return bits;
        }
        const CEPROPID ids[] = {kPiItem};
        RecordProps r;
        if (!piLinks_.seek(CEDB_SEEK_CEOID, oid) || !r.read(piLinks_.handle(), ids, 1) || !r.has(0, kPiItem))
            return 0;
        const uint32_t poom = uint32_t(r.i4(0, kPiItem));
        return RefreshPiLink(poom, PiLinkOf(poom));
    }
    case kNotifyNamedProps:
    case kNotifyFusion: {
        if (deleted) {
            if (param != kNotifyFusion) return 0;
            // Which item lost its icon is not known any more: look each icon up again.
            uint32_t bits = 0;
            std::vector<uint32_t> ids;
            for (TItem* d = days_.head(); d; d = d->next())
                for (TChildItem* c : static_cast<TItemWithList*>(d)->children())
                    if (auto* a = dynamic_cast<TAgendaItem*>(c); a && a->icon) ids.push_back(a->poomId);
            for (TItem* g = tasks_.groups.head(); g; g = g->next())
                for (TChildItem* c : static_cast<TItemWithList*>(g)->children())
                    if (auto* a = dynamic_cast<TAgendaItem*>(c); a && a->icon) ids.push_back(a->poomId);
            std::sort(ids.begin(), ids.end());
            ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
            for (uint32_t id : ids) {
                const std::wstring path = icons_.ItemIconPath(id);
                if (path.empty()) bits |= RefreshIcons(id, path);
            }
            return bits;
        }
        uint32_t poom = 0;
        std::wstring path;
        if (!icons_.ReadLinkRecord(oid, &poom, &path)) return 0;
        return RefreshIcons(poom, path);
    }
    }
    return 0;
}

}  // namespace daybrim
