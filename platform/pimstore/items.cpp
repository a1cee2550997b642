#include "items.h"

#include <algorithm>
#include <cmath>

#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"

namespace pim {

using Lock = std::lock_guard<std::mutex>;

// --- ItemData ---------------------------------------------------------------------

HRESULT ItemData::Load(CEOID oid, uint32_t recid) {
    PropMap props;
    HRESULT hr = store_->Read(kind_, oid, &props);
    if (FAILED(hr)) return hr;
    Lock g(mu_);
    oid_ = oid;
    recid_ = recid;
    stored_ = std::move(props);
    changes_.clear();
    return S_OK;
}

uint32_t ItemData::Oid() {
    Lock g(mu_);
    return oid_ ? OidFromRecid(kind_, recid_) : 0;
}

Prop ItemData::Get(CEPROPID id) {
    auto c = changes_.find(id);
    if (c != changes_.end()) return c->second;
    auto s = stored_.find(id);
    return s != stored_.end() ? s->second : Prop();
}

void ItemData::Set(CEPROPID id, Prop p) { changes_[id] = std::move(p); }

bool ItemData::Has(CEPROPID id) {
    Lock g(mu_);
    return Get(id).present;
}
std::wstring ItemData::Str(CEPROPID id) {
    Lock g(mu_);
    return Get(id).str;
}
uint32_t ItemData::Num(CEPROPID id, uint32_t absent) {
    Lock g(mu_);
    Prop p = Get(id);
    return p.present ? p.num : absent;
}
std::optional<uint64_t> ItemData::Ft(CEPROPID id) {
    Lock g(mu_);
    Prop p = Get(id);
    return p.present ? std::optional<uint64_t>(p.ft) : std::nullopt;
}
std::vector<uint8_t> ItemData::Bytes(CEPROPID id) {
    Lock g(mu_);
    return Get(id).bytes;
}
void ItemData::SetStr(CEPROPID id, const std::wstring& v) {
    Lock g(mu_);
    Prop p;
    p.present = !v.empty();
    p.str = v;
    Set(id, p);
}
void ItemData::SetNum(CEPROPID id, uint32_t v) {
    Lock g(mu_);
    Prop p;
    p.present = true;
    p.num = v;
    Set(id, p);
}
void ItemData::SetFt(CEPROPID id, uint64_t v) {
    Lock g(mu_);
    Prop p;
    p.present = true;
    p.ft = v;
    Set(id, p);
}
void ItemData::SetBytes(CEPROPID id, const std::vector<uint8_t>& v) {
    Lock g(mu_);
    Prop p;
    p.present = true;
    p.bytes = v;
    Set(id, p);
}
void ItemData::Remove(CEPROPID id) {
    Lock g(mu_);
    Set(id, Prop());
}

HRESULT ItemData::Categories(std::wstring* out) {
    uint32_t oid;
    {
        Lock g(mu_);
        if (categories_) {
            *out = JoinCategories(*categories_);
            return S_OK;
        }
        oid = oid_ ? OidFromRecid(kind_, recid_) : 0;
    }
    out->clear();
    if (!oid) return S_OK;
    std::vector<std::wstring> names;
    HRESULT hr = store_->Categories(oid, &names);
    if (SUCCEEDED(hr)) *out = JoinCategories(names);
    return hr;
}

void ItemData::SetCategories(const std::wstring& text) {
    Lock g(mu_);
    categories_ = SplitCategories(text);
}

HRESULT ItemData::Save() {
    Lock g(mu_);
    if (deleted_) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    CEOID oid = oid_;
    uint32_t recid = recid_;
    // A new record gets every property it has, so that its defaults are stored too.
    HRESULT hr = store_->Write(kind_, &oid, &recid, changes_);
    if (FAILED(hr)) return hr;
    oid_ = oid;
    recid_ = recid;
    for (auto& [id, p] : changes_) {
        if (p.present) {
            stored_[id] = p;
        } else {
            stored_.erase(id);
        }
    }
    changes_.clear();
    if (categories_) {
        hr = store_->SetCategories(OidFromRecid(kind_, recid_), *categories_);
        if (FAILED(hr)) return hr;
        categories_.reset();
    }
    return S_OK;
}

HRESULT ItemData::Delete() {
    Lock g(mu_);
    if (deleted_) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    if (!oid_) return E_UNEXPECTED;  // never saved: nothing to remove
    HRESULT hr = store_->Delete(kind_, oid_, recid_);
    if (SUCCEEDED(hr)) deleted_ = true;
    return hr;
}

HRESULT ItemData::Reload() {
    Lock g(mu_);
    if (deleted_ || !oid_) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    PropMap props;
    HRESULT hr = store_->Read(kind_, oid_, &props);
    if (FAILED(hr)) return hr;
    auto r = props.find(kPropRecid);
    if (r == props.end() || r->second.num != recid_) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    stored_ = std::move(props);
    return S_OK;
}

HRESULT ItemData::WriteNow(CEPROPID id, const std::vector<uint8_t>& bytes) {
    Lock g(mu_);
    if (deleted_ || !oid_) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    Prop p;
    p.present = true;
    p.bytes = bytes;
    CEOID oid = oid_;
    uint32_t recid = recid_;
    HRESULT hr = store_->Write(kind_, &oid, &recid, PropMap{{id, p}});
    if (SUCCEEDED(hr)) stored_[id] = p;
    return hr;
}

// --- Property helpers shared by the item classes ----------------------------------

namespace {

HRESULT GetStr(ItemData& d, CEPROPID id, BSTR* out) { return ReturnString(d.Str(id), out); }
HRESULT PutStr(ItemData& d, CEPROPID id, BSTR v) {
    d.SetStr(id, FromBstr(v));
    return S_OK;
}
HRESULT GetNum(ItemData& d, CEPROPID id, uint32_t absent, long* out) {
    if (!out) return E_POINTER;
    *out = long(d.Num(id, absent));
    return S_OK;
}
HRESULT PutNum(ItemData& d, CEPROPID id, long v, long lo, long hi) {
    if (v < lo || v > hi) return E_INVALIDARG;
    d.SetNum(id, uint32_t(v));
    return S_OK;
}
HRESULT GetBool(ItemData& d, CEPROPID id, VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    *out = d.Num(id, 0) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}
HRESULT PutBool(ItemData& d, CEPROPID id, VARIANT_BOOL v) {
    d.SetNum(id, v ? 1 : 0);
    return S_OK;
}
// Dates kept as given (task and contact dates): no zone conversion; the no-date
// value, or no property, reads as PIM_NODATE.
HRESULT GetDay(ItemData& d, CEPROPID id, DATE* out) {
    if (!out) return E_POINTER;
    auto ft = d.Ft(id);
    *out = (!ft || *ft >= pimcodec::NoDateFiletime()) ? PIM_NODATE : pimcodec::OleFromFiletime(*ft);
    return S_OK;
}
HRESULT PutDay(ItemData& d, CEPROPID id, DATE v, bool removeWhenNone) {
    if (v == PIM_NODATE) {
        if (removeWhenNone) {
            d.Remove(id);
        } else {
            d.SetFt(id, pimcodec::NoDateFiletime());
        }
        return S_OK;
    }
    if (!ValidDate(v)) return E_INVALIDARG;
    d.SetFt(id, pimcodec::FiletimeFromOle(v));
    return S_OK;
}
HRESULT GetCategories(ItemData& d, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::wstring s;
    HRESULT hr = d.Categories(&s);
    return FAILED(hr) ? hr : ReturnString(s, out);
}
HRESULT PutCategories(ItemData& d, BSTR v) {
    d.SetCategories(FromBstr(v));
    return S_OK;
}
HRESULT GetOid(ItemData& d, long* out) {
    if (!out) return E_POINTER;
    *out = long(d.Oid());
    return S_OK;
}

constexpr long kMaxMinutes = 525600 * 10;  // ten years

// --- Appointment ------------------------------------------------------------------

class Appointment : public Object<IAppointment> {
public:
    explicit Appointment(std::shared_ptr<ItemData> d) : d_(std::move(d)) {}

    HRESULT STDMETHODCALLTYPE get_Oid(long* p) override { return GetOid(*d_, p); }
    HRESULT STDMETHODCALLTYPE get_Subject(BSTR* p) override { return GetStr(*d_, prop::kSubject, p); }
    HRESULT STDMETHODCALLTYPE put_Subject(BSTR v) override { return PutStr(*d_, prop::kSubject, v); }
    HRESULT STDMETHODCALLTYPE get_Location(BSTR* p) override { return GetStr(*d_, prop::kLocation, p); }
    HRESULT STDMETHODCALLTYPE put_Location(BSTR v) override { return PutStr(*d_, prop::kLocation, v); }
    HRESULT STDMETHODCALLTYPE get_Body(BSTR* p) override { return GetStr(*d_, prop::kBody, p); }
    HRESULT STDMETHODCALLTYPE put_Body(BSTR v) override { return PutStr(*d_, prop::kBody, v); }

    HRESULT STDMETHODCALLTYPE get_Start(DATE* p) override {
        if (!p) return E_POINTER;
        *p = LocalDateFromUtc(d_->Ft(prop::kStart).value_or(0));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Start(DATE v) override {
        if (!ValidDate(v)) return E_INVALIDARG;
        d_->SetFt(prop::kStart, UtcFromLocalDate(v));
        return FollowSeriesTimes();
    }
    HRESULT STDMETHODCALLTYPE get_End(DATE* p) override {
        if (!p) return E_POINTER;
        uint64_t start = d_->Ft(prop::kStart).value_or(0);
        *p = LocalDateFromUtc(start + uint64_t(d_->Num(prop::kDuration, 0)) * pimcodec::kTicksPerMinute);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_End(DATE v) override {
        if (!ValidDate(v)) return E_INVALIDARG;
        int64_t start = pimcodec::MinutesFromFiletime(d_->Ft(prop::kStart).value_or(0));
        int64_t end = pimcodec::MinutesFromFiletime(UtcFromLocalDate(v));
        if (end < start || end - start > kMaxMinutes) return E_INVALIDARG;
        d_->SetNum(prop::kDuration, uint32_t(end - start));
        return FollowSeriesTimes();
    }
    HRESULT STDMETHODCALLTYPE get_Duration(long* p) override { return GetNum(*d_, prop::kDuration, 0, p); }
    HRESULT STDMETHODCALLTYPE put_Duration(long v) override {
        HRESULT hr = PutNum(*d_, prop::kDuration, v, 0, kMaxMinutes);
        return FAILED(hr) ? hr : FollowSeriesTimes();
    }
    HRESULT STDMETHODCALLTYPE get_AllDayEvent(VARIANT_BOOL* p) override { return GetBool(*d_, prop::kAllDay, p); }
    HRESULT STDMETHODCALLTYPE put_AllDayEvent(VARIANT_BOOL v) override { return PutBool(*d_, prop::kAllDay, v); }
    HRESULT STDMETHODCALLTYPE get_BusyStatus(long* p) override { return GetNum(*d_, prop::kBusy, olBusy, p); }
    HRESULT STDMETHODCALLTYPE put_BusyStatus(long v) override {
        return PutNum(*d_, prop::kBusy, v, olFree, olOutOfOffice);
    }
    HRESULT STDMETHODCALLTYPE get_Sensitivity(long* p) override { return GetNum(*d_, prop::kSensitivity, 0, p); }
    HRESULT STDMETHODCALLTYPE put_Sensitivity(long v) override {
        return PutNum(*d_, prop::kSensitivity, v, olNormal, olConfidential);
    }
    HRESULT STDMETHODCALLTYPE get_ReminderSet(VARIANT_BOOL* p) override { return GetBool(*d_, prop::kReminderSet, p); }
    HRESULT STDMETHODCALLTYPE put_ReminderSet(VARIANT_BOOL v) override { return PutBool(*d_, prop::kReminderSet, v); }
    HRESULT STDMETHODCALLTYPE get_ReminderMinutesBeforeStart(long* p) override {
        return GetNum(*d_, prop::kReminderMinutes, 15, p);
    }
    HRESULT STDMETHODCALLTYPE put_ReminderMinutesBeforeStart(long v) override {
        return PutNum(*d_, prop::kReminderMinutes, v, 0, kMaxMinutes);
    }
    HRESULT STDMETHODCALLTYPE get_Categories(BSTR* p) override { return GetCategories(*d_, p); }
    HRESULT STDMETHODCALLTYPE put_Categories(BSTR v) override { return PutCategories(*d_, v); }
    HRESULT STDMETHODCALLTYPE get_IsRecurring(VARIANT_BOOL* p) override { return GetBool(*d_, prop::kRecurring, p); }
    HRESULT STDMETHODCALLTYPE GetRecurrencePattern(IRecurrencePattern** pp) override { return NewPattern(d_, pp); }
    HRESULT STDMETHODCALLTYPE Save() override { return d_->Save(); }

private:
    // A recurring series is its pattern: moving the series' start or changing its
    // length moves the pattern's times (and its days, when the start changes day),
    // so that every occurrence follows. Pending like the start until Save.
    HRESULT FollowSeriesTimes() {
        if (!d_->Num(prop::kRecurring, 0)) return S_OK;
        std::vector<uint8_t> bytes = d_->Bytes(prop::kPattern);
        pimcodec::Recurrence r;
        if (bytes.empty() || pimcodec::DecodeRecurrence(bytes.data(), bytes.size(), &r) != pimcodec::Status::kOk)
            return S_OK;  // nothing readable to follow: the stream stays as it is
        const int64_t kDay = pimcodec::kMinutesPerDay;
        const int64_t utc = pimcodec::MinutesFromFiletime(d_->Ft(prop::kStart).value_or(0));
        const int64_t wall = ZoneMinutesFromUtc(d_->Bytes(prop::kTimeZone), utc);
        const int64_t day = wall - ((wall % kDay) + kDay) % kDay;
        const int64_t shift = day - int64_t(r.patternStart);
        if (day < 0 || day >= int64_t(pimcodec::kNeverEndDate)) return E_INVALIDARG;
        r.patternStart = uint32_t(day);
        r.startOffset = int32_t(wall - day);
        r.endOffset = int32_t(r.startOffset + int64_t(d_->Num(prop::kDuration, 0)));
        if (r.endType == pimcodec::EndType::kByDate) {
            r.patternEnd = uint32_t(std::clamp<int64_t>(int64_t(r.patternEnd) + shift, day, pimcodec::kNeverEndDate));
        } else if (pimcodec::ComputePatternEnd(&r) != pimcodec::Status::kOk) {
            return E_INVALIDARG;
        }
        if (pimcodec::EncodeRecurrence(r, &bytes) != pimcodec::Status::kOk) return E_INVALIDARG;
        d_->SetBytes(prop::kPattern, bytes);
        return S_OK;
    }

public:
    HRESULT STDMETHODCALLTYPE Delete() override { return d_->Delete(); }

private:
    std::shared_ptr<ItemData> d_;
};

// --- Task -------------------------------------------------------------------------

class Task : public Object<ITask> {
public:
    explicit Task(std::shared_ptr<ItemData> d) : d_(std::move(d)) {}

    HRESULT STDMETHODCALLTYPE get_Oid(long* p) override { return GetOid(*d_, p); }
    HRESULT STDMETHODCALLTYPE get_Subject(BSTR* p) override { return GetStr(*d_, prop::kSubject, p); }
    HRESULT STDMETHODCALLTYPE put_Subject(BSTR v) override { return PutStr(*d_, prop::kSubject, v); }
    HRESULT STDMETHODCALLTYPE get_Body(BSTR* p) override { return GetStr(*d_, prop::kBody, p); }
    HRESULT STDMETHODCALLTYPE put_Body(BSTR v) override { return PutStr(*d_, prop::kBody, v); }
    HRESULT STDMETHODCALLTYPE get_StartDate(DATE* p) override { return GetDay(*d_, prop::kTaskStart, p); }
    HRESULT STDMETHODCALLTYPE put_StartDate(DATE v) override { return PutDay(*d_, prop::kTaskStart, v, false); }
    HRESULT STDMETHODCALLTYPE get_DueDate(DATE* p) override { return GetDay(*d_, prop::kTaskDue, p); }
    HRESULT STDMETHODCALLTYPE put_DueDate(DATE v) override { return PutDay(*d_, prop::kTaskDue, v, false); }
    HRESULT STDMETHODCALLTYPE get_Complete(VARIANT_BOOL* p) override { return GetBool(*d_, prop::kComplete, p); }
    HRESULT STDMETHODCALLTYPE put_Complete(VARIANT_BOOL v) override { return PutBool(*d_, prop::kComplete, v); }
    HRESULT STDMETHODCALLTYPE get_DateCompleted(DATE* p) override { return GetDay(*d_, prop::kTaskCompleted, p); }
    HRESULT STDMETHODCALLTYPE put_DateCompleted(DATE v) override {
        return PutDay(*d_, prop::kTaskCompleted, v, false);
    }
    HRESULT STDMETHODCALLTYPE get_Importance(long* p) override {
        return GetNum(*d_, prop::kImportance, olImportanceNormal, p);
    }
    HRESULT STDMETHODCALLTYPE put_Importance(long v) override {
        return PutNum(*d_, prop::kImportance, v, olImportanceLow, olImportanceHigh);
    }
    HRESULT STDMETHODCALLTYPE get_Sensitivity(long* p) override { return GetNum(*d_, prop::kSensitivity, 0, p); }
    HRESULT STDMETHODCALLTYPE put_Sensitivity(long v) override {
        return PutNum(*d_, prop::kSensitivity, v, olNormal, olConfidential);
    }
    HRESULT STDMETHODCALLTYPE get_ReminderSet(VARIANT_BOOL* p) override { return GetBool(*d_, prop::kReminderSet, p); }
    HRESULT STDMETHODCALLTYPE put_ReminderSet(VARIANT_BOOL v) override { return PutBool(*d_, prop::kReminderSet, v); }
    // The reminder is a moment: stored in UTC, seen in local time.
    HRESULT STDMETHODCALLTYPE get_ReminderTime(DATE* p) override {
        if (!p) return E_POINTER;
        auto ft = d_->Ft(prop::kReminderTime);
        *p = (!ft || *ft >= pimcodec::NoDateFiletime()) ? PIM_NODATE : LocalDateFromUtc(*ft);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ReminderTime(DATE v) override {
        if (v == PIM_NODATE) {
            d_->Remove(prop::kReminderTime);
            return S_OK;
        }
        if (!ValidDate(v)) return E_INVALIDARG;
        d_->SetFt(prop::kReminderTime, UtcFromLocalDate(v));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Categories(BSTR* p) override { return GetCategories(*d_, p); }
    HRESULT STDMETHODCALLTYPE put_Categories(BSTR v) override { return PutCategories(*d_, v); }
    HRESULT STDMETHODCALLTYPE get_IsRecurring(VARIANT_BOOL* p) override { return GetBool(*d_, prop::kRecurring, p); }
    HRESULT STDMETHODCALLTYPE SkipRecurrence() override;
    HRESULT STDMETHODCALLTYPE Save() override { return d_->Save(); }
    HRESULT STDMETHODCALLTYPE Delete() override { return d_->Delete(); }

private:
    std::shared_ptr<ItemData> d_;
};

// A recurring task moves on to its next occurrence: the one after its due date in
// its pattern (the appointment pattern layout, in property 0x203F0064), or a week
// later when it carries no pattern. Start and due dates move by the same amount.
HRESULT Task::SkipRecurrence() {
    if (!d_->Num(prop::kRecurring, 0)) return E_UNEXPECTED;
    auto due = d_->Ft(prop::kTaskDue);
    if (!due || *due >= pimcodec::NoDateFiletime()) return E_UNEXPECTED;  // nothing to move on from
    const int64_t dueDay = pimcodec::MinutesFromFiletime(*due) / pimcodec::kMinutesPerDay * pimcodec::kMinutesPerDay;
    int64_t next = dueDay + 7 * int64_t(pimcodec::kMinutesPerDay);
    std::vector<uint8_t> bytes = d_->Bytes(prop::kPattern);
    if (!bytes.empty()) {
        pimcodec::Recurrence r;
        if (pimcodec::DecodeRecurrence(bytes.data(), bytes.size(), &r) != pimcodec::Status::kOk)
            return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
        // Far enough ahead for a yearly pattern with a long interval.
        const int64_t horizon = dueDay + int64_t(pimcodec::kMinutesPerDay) * 366 * 10;
        next = -1;
        for (uint32_t day : pimcodec::OccurrenceDays(r, uint32_t(std::min<int64_t>(horizon, UINT32_MAX)), 100000))
            if (int64_t(day) > dueDay) {
                next = day;
                break;
            }
        if (next < 0) return HRESULT_FROM_WIN32(ERROR_NO_MORE_ITEMS);  // that was the last one
    }
    const int64_t shift = next - dueDay;
    d_->SetFt(prop::kTaskDue, pimcodec::FiletimeFromMinutes(pimcodec::MinutesFromFiletime(*due) + shift));
    auto start = d_->Ft(prop::kTaskStart);
    if (start && *start < pimcodec::NoDateFiletime())
        d_->SetFt(prop::kTaskStart, pimcodec::FiletimeFromMinutes(pimcodec::MinutesFromFiletime(*start) + shift));
    return d_->Save();
}

// --- Contact ----------------------------------------------------------------------

class Contact : public Object<IContact> {
public:
    explicit Contact(std::shared_ptr<ItemData> d) : d_(std::move(d)) {}

    HRESULT STDMETHODCALLTYPE get_Oid(long* p) override { return GetOid(*d_, p); }
    HRESULT STDMETHODCALLTYPE get_FileAs(BSTR* p) override { return GetStr(*d_, prop::kFileAs, p); }
    HRESULT STDMETHODCALLTYPE put_FileAs(BSTR v) override { return PutStr(*d_, prop::kFileAs, v); }
    HRESULT STDMETHODCALLTYPE get_FirstName(BSTR* p) override { return GetStr(*d_, prop::kFirstName, p); }
    HRESULT STDMETHODCALLTYPE put_FirstName(BSTR v) override { return PutStr(*d_, prop::kFirstName, v); }
    HRESULT STDMETHODCALLTYPE get_LastName(BSTR* p) override { return GetStr(*d_, prop::kLastName, p); }
    HRESULT STDMETHODCALLTYPE put_LastName(BSTR v) override { return PutStr(*d_, prop::kLastName, v); }
    HRESULT STDMETHODCALLTYPE get_CompanyName(BSTR* p) override { return GetStr(*d_, prop::kCompany, p); }
    HRESULT STDMETHODCALLTYPE put_CompanyName(BSTR v) override { return PutStr(*d_, prop::kCompany, v); }
    HRESULT STDMETHODCALLTYPE get_Body(BSTR* p) override { return GetStr(*d_, prop::kBody, p); }
    HRESULT STDMETHODCALLTYPE put_Body(BSTR v) override { return PutStr(*d_, prop::kBody, v); }
    HRESULT STDMETHODCALLTYPE get_MobileTelephoneNumber(BSTR* p) override { return GetStr(*d_, prop::kMobile, p); }
    HRESULT STDMETHODCALLTYPE put_MobileTelephoneNumber(BSTR v) override { return PutStr(*d_, prop::kMobile, v); }
    HRESULT STDMETHODCALLTYPE get_BusinessTelephoneNumber(BSTR* p) override { return GetStr(*d_, prop::kWork, p); }
    HRESULT STDMETHODCALLTYPE put_BusinessTelephoneNumber(BSTR v) override { return PutStr(*d_, prop::kWork, v); }
    HRESULT STDMETHODCALLTYPE get_HomeTelephoneNumber(BSTR* p) override { return GetStr(*d_, prop::kHome, p); }
    HRESULT STDMETHODCALLTYPE put_HomeTelephoneNumber(BSTR v) override { return PutStr(*d_, prop::kHome, v); }
    HRESULT STDMETHODCALLTYPE get_Email1Address(BSTR* p) override { return GetStr(*d_, prop::kEmail1, p); }
    HRESULT STDMETHODCALLTYPE put_Email1Address(BSTR v) override { return PutStr(*d_, prop::kEmail1, v); }
    HRESULT STDMETHODCALLTYPE get_Birthday(DATE* p) override { return GetDay(*d_, prop::kBirthday, p); }
    HRESULT STDMETHODCALLTYPE put_Birthday(DATE v) override { return PutDay(*d_, prop::kBirthday, v, true); }
    HRESULT STDMETHODCALLTYPE get_Categories(BSTR* p) override { return GetCategories(*d_, p); }
    HRESULT STDMETHODCALLTYPE put_Categories(BSTR v) override { return PutCategories(*d_, v); }
    HRESULT STDMETHODCALLTYPE Save() override { return d_->Save(); }
    HRESULT STDMETHODCALLTYPE Delete() override { return d_->Delete(); }

private:
    std::shared_ptr<ItemData> d_;
};

}  // namespace

HRESULT NewItemObject(std::shared_ptr<ItemData> data, IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    switch (data->kind()) {
    case Kind::kAppointment: *out = new (std::nothrow) Appointment(std::move(data)); break;
    case Kind::kTask: *out = new (std::nothrow) Task(std::move(data)); break;
    case Kind::kContact: *out = new (std::nothrow) Contact(std::move(data)); break;
    }
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateNewItem(std::shared_ptr<Store> store, Kind kind, IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto d = std::make_shared<ItemData>(std::move(store), kind);
    if (kind == Kind::kAppointment) {
        // The next whole hour of the device clock, for an hour.
        SYSTEMTIME now;
        GetLocalTime(&now);
        FILETIME ft;
        SystemTimeToFileTime(&now, &ft);
        uint64_t local = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        int64_t minutes = pimcodec::MinutesFromFiletime(local) / 60 * 60 + 60;
        d->SetFt(prop::kStart, UtcFromLocalDate(pimcodec::OleFromMinutes(minutes)));
        d->SetNum(prop::kDuration, 60);
        d->SetNum(prop::kBusy, olBusy);
        d->SetNum(prop::kRecurring, 0);
        d->SetNum(prop::kAllDay, 0);
    } else if (kind == Kind::kTask) {
        d->SetFt(prop::kTaskStart, pimcodec::NoDateFiletime());
        d->SetFt(prop::kTaskDue, pimcodec::NoDateFiletime());
        d->SetFt(prop::kTaskCompleted, pimcodec::NoDateFiletime());
        d->SetNum(prop::kComplete, 0);
        d->SetNum(prop::kImportance, olImportanceNormal);
        d->SetNum(prop::kRecurring, 0);
    }
    if (kind != Kind::kContact) {
        d->SetNum(prop::kSensitivity, olNormal);
        d->SetNum(prop::kReminderSet, 0);
    }
    return NewItemObject(std::move(d), out);
}

HRESULT ItemFromOid(std::shared_ptr<Store> store, uint32_t oid, IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    Kind kind;
    uint32_t recid;
    if (!RecidFromOid(oid, &kind, &recid)) return E_INVALIDARG;
    CEOID record = 0;
    HRESULT hr = store->Find(kind, recid, &record);
    if (FAILED(hr)) return hr;
    auto d = std::make_shared<ItemData>(std::move(store), kind);
    hr = d->Load(record, recid);
    // Deleted between the look-up and the read: as unknown.
    if (FAILED(hr)) return hr == HRESULT_FROM_WIN32(ERROR_NOT_FOUND) ? E_INVALIDARG : hr;
    return NewItemObject(std::move(d), out);
}

}  // namespace pim
