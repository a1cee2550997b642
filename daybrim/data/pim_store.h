// PimStore: the one PIM data store of the process. It reads the appointments,
// tasks and contacts from the PIM databases into the item lists the tabs show,
// keeps them current from the databases' change notifications, and does the few
// writes the item makes (preferred number, item icons).
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "agenda_build.h"
#include "category_table.h"
#include "icon_links.h"
#include "item_text.h"
#include "items.h"
#include "mail_items.h"
#include "pim_database.h"
#include "pim_options.h"
#include "pim_props.h"
#include "pim_service.h"
#include "tab_codes.h"

namespace daybrim {

constexpr DWORD kNotifyAppointments = 1, kNotifyTasks = 2, kNotifyContacts = 3;
constexpr uint32_t kOverdueDay = 1, kUndatedDay = 2, kMailDay = 3, kLaterDay = 80000;

class CPimStore : public PimStore {
public:
    // The store loads `categories` (when given) at each start, with its options.
    explicit CPimStore(CCategoryTable* categories) : cats_(categories) {}
    ~CPimStore() override { Stop(); }

    // PimStore
    void StopNotifications() override { CloseNotifications(); }
    DWORD OnNotification(const CENOTIFICATION* n) override { return HandleNotification(n); }
    // A new zone starts again with the options of the last start.
    void Reload(bool zoneChanged) override;

    // Loads everything anew; `today` 0 takes the device's date. Notifications go
    // to `notify` (none when null).
    void Start(HWND notify, const PimOptions& options, int32_t today = 0);
    void Stop();
    // The day changed to `today`: moves the range forward when it can.
    void OnDayChange(int32_t today);
    uint32_t HandleNotification(const CENOTIFICATION* n);
    // The monthly calendar's loader reads through a store of its own, on its own
    // thread: the single appointments of first..last into days(), nothing else
    // opened and no notifications.
    void LoadAppointmentRange(const PimOptions& options, int32_t first, int32_t last);
    // The calendar's mail section: one line per account of `model`, placed as
    // `placement` says; null takes the lines away. The model belongs to the
    // host's mail store and must outlive the setting.
    struct MailPlacement {
        bool include = false;       // IncludeMainOnCal
        bool underToday = false;    // HideMailTtlUnderToday
        bool hideWhenZero = false;  // MailHideWhenZeroMsgs
        int titleFormat = 0;        // MailTitleFormat
        const TextSource* texts = nullptr;
    };
    void SetMailSource(const MailModel* model, const MailPlacement& placement);
    // Places the account lines anew from the model as it is now.
    void RebuildMailOnCalendar() override;
    // Tests and tools may supply the named-property lookup.
    void SetNamedPropIds(std::unique_ptr<NamedPropIds> ids) { namedIds_ = std::move(ids); }
    // The benchmark learns where a start's time goes: `observer` is called after
    // each step of a start with the step's name.
    void ObserveSteps(std::function<void(const char* step)> observer) { stepObserver_ = std::move(observer); }

    // Single-record readers; 1 or 0 as the item's menus expect.
    bool readContactNumbers(CEOID oid, std::wstring* out[pimdb::kNumberCount]);
    bool readContactMails(CEOID oid, std::wstring* out[3]);
    bool readContactNames(CEOID oid, std::wstring* out[4]);
    bool writePreferredNumber(CEOID oid, CEPROPID numberProp);
    std::unique_ptr<TApptItem> readAppointment(CEOID oid, bool light = false);
    std::unique_ptr<TTask> readTask(CEOID oid, bool onCalendar = false);
    std::unique_ptr<TContactItem> readContact(CEOID oid);
    // The note of an appointment, task, contact or special event as the note
    // window shows it (capped); false when the item has no record to read.
    bool readNote(const TItem& item, std::wstring* text);

    // What the tabs read.
    ItemList& days() { return days_; }
    TDailyList* Day(uint32_t day) const { return static_cast<TDailyList*>(days_.Find(day)); }
    TGroupingTitlesList& tasks() { return tasks_; }
    TSeacrhableGroupingTitlesList& contacts() { return contacts_; }
    // The Contacts tab's grouping or order changed: every contact is filed anew.
    void SetContactOrder(const ContactOrder& order);
    // The letter groups changed (alphabet, languages): every search key anew.
    void SetLetterGroups(const LetterGroups& groups);
    TSEventsList* sevents() const { return sevents_.get(); }
    const std::vector<std::unique_ptr<TApptItem>>& recurring() const { return recurring_; }
    // Pocket Informant's templates (PimSw 1), found by the last load.
    const std::vector<agenda::TemplateEntry>& templates() const { return templates_; }
    IconLinkStore& iconLinks() { return icons_; }
    int32_t firstDay() const { return first_; }
    int32_t lastDay() const { return last_; }
    int32_t today() const { return today_; }
    const PimOptions& options() const { return opt_; }

    // Calls fn(item, bit) for every appointment and task: the calendar's days, the
    // task groups and the recurring masters; `bit` is the tab type that shows it.
    template <class Fn>
    void ForEachAgendaItem(Fn fn);

private:
    void RemoveMailLines();
    void Step(const char* name) {
        if (stepObserver_) stepObserver_(name);
    }
    PimDatabase& Watched(DWORD notify) { return watch_[notify - kNotifyAppointments]; }
    HANDLE ReadHandle(DWORD notify, const wchar_t* name, PimDatabase& own);
    void OpenNotifications();
    void CloseNotifications();
    void LoadAssociations();
    std::vector<int32_t> CategoriesOf(uint32_t poomId);
    void LoadTasks();
    void LoadAppointments(int32_t first, int32_t last);
    void ScanContacts();
    void RebuildSpecialEvents();

    void FillAppointment(const RecordProps& r, TApptItem& a, bool light);
    void FillTask(const RecordProps& r, TTask& t);
    void FillContact(const RecordProps& r, TContactItem& c);
    void ApplyIcon(TAgendaItem& item);

    TDailyList* DayList(uint32_t day);
    // `own`, when given, is `a` itself, placed instead of a copy on its last day.
    void PlaceAppointment(const TApptItem& a, int32_t first, int32_t last, std::unique_ptr<TApptItem> own = nullptr);
    void PlaceOccurrences(const TApptItem& master, int32_t first, int32_t last);
    void LoadTemplates();
    void RecordTemplate(const TItemWithNote& item, int kind);
    void ReadDeviceClock();
    // Puts the task on the calendar days the calendar's task settings choose.
    void PlaceTask(const TTask& t);
    void AddTask(std::unique_ptr<TTask> t);
    void AddContact(std::unique_ptr<TContactItem> c);
    void RefileContacts();
    bool OfferSpecialEvent(const TApptItem& a, int32_t from, int32_t to);
    void AddContactEvents(const TContactItem& c, bool calendar);

    size_t RemoveByOid(TItemWithList& group, CEOID oid, int kind);
    size_t RemoveFromDays(CEOID oid, int kind);
    uint32_t RefreshAppointment(CEOID oid, bool deleted);
    uint32_t RefreshTask(CEOID oid, bool deleted);
    uint32_t RefreshContact(CEOID oid, bool deleted);
    uint32_t RefreshIcons(uint32_t poomId, const std::wstring& path);
    uint32_t RefreshPiLink(uint32_t poomId, CEOID link);
    uint32_t DropPiLink(CEOID link);
    uint32_t RefreshLostIcons();
    CEOID PiLinkOf(uint32_t poomId);
    TSEventsList& SpecialEvents();

    CCategoryTable* cats_;
    PimOptions opt_;
    HWND hwnd_ = nullptr;
    int32_t today_ = 0, first_ = 0, last_ = -1;
    int64_t localOffset_ = 0;  // local minus UTC, in FILETIME ticks
    pimcodec::TimeZone deviceZone_;  // the device's zone, read once per load
    double now_ = 0;                 // local time of the load, for the passed mark
    bool monthView_ = false;         // a range set from outside: no pseudo days, no passed mark
    bool started_ = false;

    ItemList days_;
    TGroupingTitlesList tasks_;
    TSeacrhableGroupingTitlesList contacts_;
    std::unique_ptr<TSEventsList> sevents_;
    std::vector<std::unique_ptr<TApptItem>> recurring_;  // masters, expanded into the days
    std::vector<agenda::TemplateEntry> templates_;

    PimDatabase watch_[3];  // appointments, tasks, contacts; also used for single reads
    CENOTIFYREQUEST requests_[3] = {};
    IconLinkStore icons_;
    PimDatabase piLinks_;
    CENOTIFYREQUEST piRequest_ = {};
    std::unique_ptr<NamedPropIds> namedIds_;
    // Category associations by POOM identifier, read once per load.
    std::unordered_map<uint32_t, std::vector<int32_t>> assoc_;
    bool assocLoaded_ = false;
    // Kept open: a notification reads one item's categories with a seek.
    PimDatabase assocDb_;
    // The icon property's identifier, asked of Pocket Outlook once per PimSw.
    uint32_t namedPropId_ = 0xFFFFFFFF;
    int namedPropSw_ = -1;
    SearchKeyMap keys_;
    std::unique_ptr<TextSource> groupTitles_;
    std::unique_ptr<ContactGrouper> grouper_;  // made at the first contact of a load
    std::function<void(const char*)> stepObserver_;
    const MailModel* mail_ = nullptr;
    MailPlacement mailPlacement_;
};

// Today's day number on the device.
int32_t DeviceToday();

template <class Fn>
void CPimStore::ForEachAgendaItem(Fn fn) {
    // Days hold special events too, and they are no agenda items.
    auto children = [&](TItem* group, uint32_t bit) {
        for (TChildItem* c : static_cast<TItemWithList*>(group)->children())
            if (c->Kind() == kKindAppt || c->Kind() == kKindTask) fn(*static_cast<TAgendaItem*>(c), bit);
    };
    for (TItem* d = days_.head(); d; d = d->next()) children(d, TAB_TYPE_CALENDAR);
    for (TItem* g = tasks_.groups.head(); g; g = g->next()) children(g, TAB_TYPE_TASKS);
    for (auto& a : recurring_) fn(static_cast<TAgendaItem&>(*a), uint32_t(TAB_TYPE_CALENDAR));
}

}  // namespace daybrim
