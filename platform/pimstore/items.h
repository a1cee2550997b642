// The items of the object model: the record behind an item (ItemData) and the COM
// objects over it (appointments and their occurrences, tasks, contacts,
// recurrence patterns and their exceptions).
#pragma once
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "com.h"
#include "pimstore.h"
#include "store.h"

namespace pim {

// Properties of the records this model reads and writes.
namespace prop {
constexpr CEPROPID kSubject = 0x0020001F;
constexpr CEPROPID kLocation = 0x0041001F;
constexpr CEPROPID kBody = 0x101F001F;
constexpr CEPROPID kSensitivity = 0x00210013;
constexpr CEPROPID kRecurring = 0x0022000B;
constexpr CEPROPID kReminderSet = 0x0028000B;
constexpr CEPROPID kPattern = 0x203F0064;
// Appointments
constexpr CEPROPID kStart = 0x10420040;
constexpr CEPROPID kDuration = 0x10400013;
constexpr CEPROPID kBusy = 0x00450013;
constexpr CEPROPID kAllDay = 0x0044000B;
constexpr CEPROPID kTimeZone = 0x00480041;
// The store has no other place for it: the reminder's lead time, in minutes.
constexpr CEPROPID kReminderMinutes = 0x00290013;
// Tasks
constexpr CEPROPID kTaskStart = 0x00620040;
constexpr CEPROPID kTaskDue = 0x00630040;
constexpr CEPROPID kTaskCompleted = 0x00640040;
constexpr CEPROPID kImportance = 0x00600013;
constexpr CEPROPID kComplete = 0x1065000B;
constexpr CEPROPID kReminderTime = 0x10660040;
// Contacts
constexpr CEPROPID kFileAs = 0x0080001F;
constexpr CEPROPID kFirstName = 0x0082001F;
constexpr CEPROPID kLastName = 0x0084001F;
constexpr CEPROPID kCompany = 0x008A001F;
constexpr CEPROPID kBirthday = 0x00F00040;
constexpr CEPROPID kMobile = 0x0096001F;
constexpr CEPROPID kWork = 0x0097001F;
constexpr CEPROPID kHome = 0x0099001F;
constexpr CEPROPID kEmail1 = 0x0090001F;
}  // namespace prop

// The record of one item as this process sees it: what was read, and the changes
// not saved yet. Shared between an item and the occurrences and patterns made
// from it; every member locks.
class ItemData {
public:
    ItemData(std::shared_ptr<Store> store, Kind kind) : store_(std::move(store)), kind_(kind) {}
    HRESULT Load(CEOID oid, uint32_t recid);

    Kind kind() const { return kind_; }
    uint32_t Oid();
    const std::shared_ptr<Store>& store() const { return store_; }

    bool Has(CEPROPID id);
    std::wstring Str(CEPROPID id);
    uint32_t Num(CEPROPID id, uint32_t absent);
    std::optional<uint64_t> Ft(CEPROPID id);
    std::vector<uint8_t> Bytes(CEPROPID id);
    void SetStr(CEPROPID id, const std::wstring& v);  // empty removes the property
    void SetNum(CEPROPID id, uint32_t v);
    void SetFt(CEPROPID id, uint64_t v);
    void SetBytes(CEPROPID id, const std::vector<uint8_t>& v);
    void Remove(CEPROPID id);

    HRESULT Categories(std::wstring* out);
    void SetCategories(const std::wstring& text);

    HRESULT Save();
    HRESULT Delete();
    // Writes one property now, alone (an occurrence's change to its series' pattern),
    // and keeps it as read.
    HRESULT WriteNow(CEPROPID id, const std::vector<uint8_t>& bytes);
    // The stored properties again, when nothing is pending (before an occurrence edit).
    HRESULT Reload();

private:
    Prop Get(CEPROPID id);
    void Set(CEPROPID id, Prop p);

    std::mutex mu_;
    std::shared_ptr<Store> store_;
    Kind kind_;
    CEOID oid_ = 0;
    uint32_t recid_ = 0;
    bool deleted_ = false;
    PropMap stored_;
    PropMap changes_;
    std::optional<std::vector<std::wstring>> categories_;  // set and not saved yet
};

// An item object over `data`, answering for its kind's interface.
HRESULT NewItemObject(std::shared_ptr<ItemData> data, IDispatch** out);
// A new unsaved item with the defaults of its kind.
HRESULT CreateNewItem(std::shared_ptr<Store> store, Kind kind, IDispatch** out);
// The item with that object identifier; E_INVALIDARG when there is none.
HRESULT ItemFromOid(std::shared_ptr<Store> store, uint32_t oid, IDispatch** out);

HRESULT NewPattern(std::shared_ptr<ItemData> series, IRecurrencePattern** out);

}  // namespace pim
