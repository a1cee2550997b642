// The PIM store's start, stop and day change. Loading and placing items are in
// store_load.cpp, single-record reads and writes in store_records.cpp, the change
// notifications in store_refresh.cpp.
#include "pim_store.h"

#include <algorithm>

#include "datetime.h"
#include "store_parts.h"

namespace daybrim {

using namespace pimdb;

namespace pimdb {
const CEPROPID kApptProps[kApptPropCount] = {0x10420040, 0x10400013, 0x0022000B, 0x00210013, 0x00450013,
                                             0x0044000B, 0x00480041, 0x203F0064, 0x10000066, 0x101F001F,
                                             0x001E0064, 0x0020001F, 0x0041001F, 0x0028000B, 0x205F0064};
const CEPROPID kTaskProps[kTaskPropCount] = {0x0020001F, 0x00210013, 0x0028000B, 0x00620040, 0x00630040,
                                             0x00600013, 0x1065000B, 0x00640040, 0x0022000B, 0x10660040,
                                             0x101F001F, 0x001E0064, 0x10000066};
const CEPROPID kContactProps[kContactPropCount] = {
    0x00F80013, 0x0080001F, 0x0082001F, 0x0084001F, 0x008A001F, 0x00F00040, 0x00F10040,
    0x0096001F, 0x0097001F, 0x0098001F, 0x0099001F, 0x009A001F, 0x009D001F, 0x009E001F,
    0x009F001F, 0x009B001F, 0x0090001F, 0x101F001F, 0x001E0064, 0x10000066, 0x00FF0064};
const CEPROPID kNumberProps[kNumberCount] = {0x0097001F, 0x0098001F, 0x0099001F, 0x009A001F, 0x0096001F,
                                             0x009D001F, 0x009E001F, 0x009F001F, 0x009B001F, 0x0090001F};
}  // namespace pimdb

namespace {

constexpr wchar_t kIconPropName[] = L"DR_IconName";
constexpr wchar_t kPiIconPropName[] = L"PI_IconName";

}  // namespace

namespace storedates {

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

}  // namespace storedates

using namespace storedates;

int32_t DeviceToday() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return DayOf(OleFromTicks(Ticks(ft)));
}

void CPimStore::ReadDeviceClock() {
    localOffset_ = CurrentLocalOffset();
    TIME_ZONE_INFORMATION tzi = {};
    GetTimeZoneInformation(&tzi);
    auto rule = [](const SYSTEMTIME& t) {
        pimcodec::SystemTime r;
        r.year = t.wYear;
        r.month = t.wMonth;
        r.dayOfWeek = t.wDayOfWeek;
        r.day = t.wDay;
        r.hour = t.wHour;
        r.minute = t.wMinute;
        return r;
    };
    deviceZone_ = pimcodec::TimeZone();
    deviceZone_.bias = tzi.Bias;
    deviceZone_.standardBias = tzi.StandardBias;
    deviceZone_.daylightBias = tzi.DaylightBias;
    deviceZone_.standardDate = rule(tzi.StandardDate);
    deviceZone_.daylightDate = rule(tzi.DaylightDate);
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    now_ = OleFromTicks(Ticks(ft));
}

// --- Start and stop --------------------------------------------------------------
void CPimStore::Start(HWND notify, const PimOptions& options, int32_t today) {
    Stop();
    Step("clearing the last start");
    opt_ = options;
    hwnd_ = notify;
    today_ = today ? today : DeviceToday();
    monthView_ = false;
    ReadDeviceClock();
    first_ = today_;
    last_ = today_ + std::max(opt_.numDays, 1) - 1;
    OpenNotifications();

    if (!namedIds_) namedIds_ = std::make_unique<PoomNamedPropIds>();
    Step("opening the databases");
    if (cats_) cats_->Load(opt_.cat);
    Step("categories");
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
    Step("icon links");

    LoadAssociations();
    Step("category associations");
    LoadTasks();
    Step("tasks");
    LoadAppointments(first_, last_);
    Step("appointments");
    ScanContacts();
    Step("contacts and special events");
    // The associations of every item are in the lists now; notifications read
    // them one record at a time.
    assoc_.clear();
    assocLoaded_ = false;
    started_ = true;
    RebuildMailOnCalendar();
}

// --- Mail on the calendar ----------------------------------------------------------
void CPimStore::SetMailSource(const MailModel* model, const MailPlacement& placement) {
    mail_ = model;
    mailPlacement_ = placement;
    if (!mail_) RemoveMailLines();
}

void CPimStore::RemoveMailLines() {
    // The lines may sit under today or in the mail section; the placement can
    // have changed since they were put there.
    for (uint32_t key : {uint32_t(kMailDay), uint32_t(today_)}) {
        TDailyList* day = Day(key);
        if (!day) continue;
        std::vector<TChildItem*> lines;
        for (TChildItem* c : day->children())
            if (c->Kind() == kKindMailAccount) lines.push_back(c);
        for (TChildItem* c : lines) day->RemoveChild(c);
    }
}

void CPimStore::RebuildMailOnCalendar() {
    RemoveMailLines();
    const MailPlacement& p = mailPlacement_;
    if (!mail_ || !p.include || !p.texts) return;
    TDailyList* target = DayList(p.underToday ? uint32_t(today_) : uint32_t(kMailDay));
    PlaceAccountLines(*target, *mail_, p.titleFormat, p.hideWhenZero, *p.texts);
}

void CPimStore::Stop() {
    CloseNotifications();
    icons_.Close();
    piLinks_.close();
    assocDb_.close();
    days_.Clear();
    tasks_.Clear();
    contacts_.Clear();
    grouper_.reset();
    sevents_.reset();
    recurring_.clear();
    templates_.clear();
    assoc_.clear();
    assocLoaded_ = false;
    started_ = false;
}

void CPimStore::Reload(bool zoneChanged) {
    if (!started_) return;
    if (zoneChanged) Start(hwnd_, opt_);
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
        // The pseudo days hold only tasks, which are placed anew below.
        const bool pseudo = i->Id() <= kUndatedDay || i->Id() >= kLaterDay;
        if (pseudo || int32_t(i->Id()) < newFirst) days_.Remove(i);
        i = next;
    }
    const int32_t from = std::max(last_ + 1, newFirst);
    ReadDeviceClock();
    today_ = today;
    first_ = newFirst;
    last_ = newLast;
    LoadAssociations();
    LoadAppointments(from, newLast);
    // The new first day was loaded as a later day: what is over on it is marked now.
    if (TDailyList* d = Day(uint32_t(first_)))
        for (TChildItem* c : d->children())
            if (c->Kind() == kKindAppt) {
                auto* a = static_cast<TApptItem*>(c);
                a->passed = !monthView_ && !a->allDay && a->end < now_;
            }
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

void CPimStore::LoadAppointmentRange(const PimOptions& options, int32_t first, int32_t last) {
    Stop();
    opt_ = options;
    // Starts are placed by the device's zone at their own date: without it read
    // here, a month's appointments would sit at their UTC times.
    ReadDeviceClock();
    monthView_ = true;
    first_ = first;
    last_ = last;
    LoadAppointments(first, last);
}

}  // namespace daybrim
