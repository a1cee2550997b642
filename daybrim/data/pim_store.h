// PimStore: the one PIM data store of the process. It reads the appointments,
// tasks and contacts from the PIM databases into the item lists the tabs show,
// keeps them current from the databases' change notifications, and does the few
// writes the item makes (preferred number, item icons).
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "category_table.h"
#include "icon_links.h"
#include "items.h"
#include "pim_database.h"
#include "pim_options.h"
#include "services.h"

namespace daybrim {

constexpr DWORD kNotifyAppointments = 1, kNotifyTasks = 2, kNotifyContacts = 3;
constexpr uint32_t kOverdueDay = 1, kUndatedDay = 2, kLaterDay = 80000;

// Database and property names of the PIM volume.
namespace pimdb {
constexpr wchar_t kAppointments[] = L"Appointments Database";
constexpr wchar_t kTasks[] = L"Tasks Database";
constexpr wchar_t kContacts[] = L"Contacts Database";
constexpr wchar_t kCategories[] = L"CategoryMainDB";
constexpr wchar_t kAssociations[] = L"CategoryAssocDB";
constexpr CEPROPID kRecId = 0x10000066;
constexpr CEPROPID kPreferred = 0x00F80013;
constexpr CEPROPID kStart = 0x10420040, kRecurring = 0x0022000B;
constexpr CEPROPID kAssocItem = 0x00010013, kAssocCategory = 0x00020003;
constexpr CEPROPID kPiItem = 0x00010003;
extern const CEPROPID kApptProps[15];  // the light read is the first 9
extern const CEPROPID kTaskProps[13];
extern const CEPROPID kContactProps[21];
extern const CEPROPID kNumberProps[10];  // readContactNumbers' argument order
}  // namespace pimdb

class CPimStore : public PimStore {
public:
    CPimStore(const CSettings* settings, CCategoryTable* categories) : settings_(settings), cats_(categories) {}
    ~CPimStore() override { Stop(); }

    // PimStore
    void Init(HWND notify) override;
    void StopNotifications() override { CloseNotifications(); }
    DWORD OnNotification(const CENOTIFICATION* n) override { return HandleNotification(n); }
    void Reload(bool zoneChanged) override;

    // Starts with explicit options; `today` 0 takes the device's date.
    void Start(HWND notify, const PimOptions& options, int32_t today = 0);
    void Stop();
    // The day changed to `today`: moves the range forward when it can.
    void OnDayChange(int32_t today);
    uint32_t HandleNotification(const CENOTIFICATION* n);
    // Tests and tools may supply the named-property lookup.
    void SetNamedPropIds(std::unique_ptr<NamedPropIds> ids) { namedIds_ = std::move(ids); }

    // Single-record readers; 1 or 0 as the item's menus expect.
    bool readContactNumbers(CEOID oid, std::wstring* out[10]);
    bool readContactMails(CEOID oid, std::wstring* out[3]);
    bool readContactNames(CEOID oid, std::wstring* out[4]);
    bool writePreferredNumber(CEOID oid, CEPROPID numberProp);
    std::unique_ptr<TApptItem> readAppointment(CEOID oid, bool light = false);
    std::unique_ptr<TTask> readTask(CEOID oid, bool onCalendar = false);
    std::unique_ptr<TContactItem> readContact(CEOID oid);

    // What the tabs read.
    ItemList& days() { return days_; }
    TDailyList* Day(uint32_t day) const { return static_cast<TDailyList*>(days_.Find(day)); }
    TGroupingTitlesList& tasks() { return tasks_; }
    TSeacrhableGroupingTitlesList& contacts() { return contacts_; }
    TSEventsList* sevents() const { return sevents_.get(); }
    const std::vector<std::unique_ptr<TApptItem>>& recurring() const { return recurring_; }
    IconLinkStore& iconLinks() { return icons_; }
    int32_t firstDay() const { return first_; }
    int32_t lastDay() const { return last_; }
    int32_t today() const { return today_; }
    const PimOptions& options() const { return opt_; }

private:
    struct Reader;
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
    void PlaceAppointment(const TApptItem& a, int32_t first, int32_t last);
    void PlaceTask(const TTask& t);
    void AddTask(std::unique_ptr<TTask> t);
    void AddContact(std::unique_ptr<TContactItem> c);
    bool OfferSpecialEvent(const TApptItem& a, int32_t from, int32_t to);
    void AddContactEvents(const TContactItem& c, bool calendar);

    size_t RemoveByOid(TItemWithList& group, CEOID oid, int kind);
    size_t RemoveFromDays(CEOID oid, int kind);
    uint32_t RefreshAppointment(CEOID oid, bool deleted);
    uint32_t RefreshTask(CEOID oid, bool deleted);
    uint32_t RefreshContact(CEOID oid, bool deleted);
    uint32_t RefreshIcons(uint32_t poomId, const std::wstring& path);
    uint32_t RefreshPiLink(uint32_t poomId, CEOID link);
    CEOID PiLinkOf(uint32_t poomId);

    const CSettings* settings_;
    CCategoryTable* cats_;
    PimOptions opt_;
    HWND hwnd_ = nullptr;
    int32_t today_ = 0, first_ = 0, last_ = -1;
    int64_t localOffset_ = 0;  // local minus UTC, in FILETIME ticks
    bool started_ = false;

    ItemList days_;
    TGroupingTitlesList tasks_;
    TSeacrhableGroupingTitlesList contacts_;
    std::unique_ptr<TSEventsList> sevents_;
    std::vector<std::unique_ptr<TApptItem>> recurring_;  // masters, expanded by the agenda

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
};

// Today's day number on the device.
int32_t DeviceToday();

}  // namespace daybrim
