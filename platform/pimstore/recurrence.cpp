// Recurring appointments: the pattern, its occurrences and its exceptions. An
// occurrence is changed or removed by rewriting the series' pattern stream (a
// removed date, or an exception with the overridden fields), never by a record of
// its own.
#include <algorithm>
#include <cmath>

#include "items.h"
#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"
#include "raii.h"

namespace pim {

namespace {

constexpr int64_t kDay = pimcodec::kMinutesPerDay;

// The series' pattern as stored now; fails when it does not recur or its stream is
// unreadable.
HRESULT Decode(ItemData& series, pimcodec::Recurrence* r) {
    if (!series.Num(prop::kRecurring, 0)) return E_FAIL;
    std::vector<uint8_t> bytes = series.Bytes(prop::kPattern);
    if (bytes.empty() || pimcodec::DecodeRecurrence(bytes.data(), bytes.size(), r) != pimcodec::Status::kOk)
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    return S_OK;
}

// A wall-clock time of the series' zone as a device-local DATE.
DATE LocalFromWall(ItemData& series, int64_t wall) {
    int64_t utc = UtcFromZoneMinutes(series.Bytes(prop::kTimeZone), wall);
    return LocalDateFromUtc(pimcodec::FiletimeFromMinutes(std::max<int64_t>(utc, 0)));
}
int64_t WallFromLocal(ItemData& series, DATE d) {
    int64_t utc = pimcodec::MinutesFromFiletime(UtcFromLocalDate(d));
    return ZoneMinutesFromUtc(series.Bytes(prop::kTimeZone), utc);
}

std::wstring W(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }
std::u16string U(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

// --- Occurrence -------------------------------------------------------------------

class Occurrence : public Object<IAppointment> {
public:
    Occurrence(std::shared_ptr<ItemData> series, pimcodec::Exception ex)
        : s_(std::move(series)), ex_(std::move(ex)) {}

    HRESULT STDMETHODCALLTYPE get_Oid(long* p) override {
        if (!p) return E_POINTER;
        *p = long(s_->Oid());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Subject(BSTR* p) override {
        return ReturnString(ex_.subject ? W(*ex_.subject) : s_->Str(prop::kSubject), p);
    }
    HRESULT STDMETHODCALLTYPE put_Subject(BSTR v) override { return SetText(&ex_.subject, v); }
    HRESULT STDMETHODCALLTYPE get_Location(BSTR* p) override {
        return ReturnString(ex_.location ? W(*ex_.location) : s_->Str(prop::kLocation), p);
    }
    HRESULT STDMETHODCALLTYPE put_Location(BSTR v) override { return SetText(&ex_.location, v); }
    // An occurrence's own note is kept as UTF-16 bytes.
    HRESULT STDMETHODCALLTYPE get_Body(BSTR* p) override {
        if (!ex_.notes) return ReturnString(s_->Str(prop::kBody), p);
        const auto& b = *ex_.notes;
        std::wstring text(b.size() / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i) text[i] = wchar_t(b[2 * i] | (b[2 * i + 1] << 8));
        return ReturnString(text, p);
    }
    HRESULT STDMETHODCALLTYPE put_Body(BSTR v) override {
        std::wstring text = FromBstr(v);
        std::vector<uint8_t> b;
        for (wchar_t c : text) {
            b.push_back(uint8_t(c));
            b.push_back(uint8_t(c >> 8));
        }
        ex_.notes = std::move(b);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Start(DATE* p) override {
        if (!p) return E_POINTER;
        *p = LocalFromWall(*s_, ex_.start);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Start(DATE v) override {
        if (!ValidDate(v)) return E_INVALIDARG;
        int64_t start = WallFromLocal(*s_, v);
        int64_t end = start + (int64_t(ex_.end) - int64_t(ex_.start));
        if (start < 0 || end > int64_t(UINT32_MAX)) return E_INVALIDARG;
        ex_.start = uint32_t(start);
        ex_.end = uint32_t(end);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_End(DATE* p) override {
        if (!p) return E_POINTER;
        *p = LocalFromWall(*s_, ex_.end);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_End(DATE v) override {
        if (!ValidDate(v)) return E_INVALIDARG;
        int64_t end = WallFromLocal(*s_, v);
        if (end < int64_t(ex_.start) || end > int64_t(UINT32_MAX)) return E_INVALIDARG;
        ex_.end = uint32_t(end);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Duration(long* p) override {
        if (!p) return E_POINTER;
        *p = long(ex_.end - ex_.start);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Duration(long v) override {
        if (v < 0 || int64_t(ex_.start) + v > int64_t(UINT32_MAX)) return E_INVALIDARG;
        ex_.end = ex_.start + uint32_t(v);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AllDayEvent(VARIANT_BOOL* p) override {
        if (!p) return E_POINTER;
        bool v = ex_.allDay ? *ex_.allDay : s_->Num(prop::kAllDay, 0) != 0;
        *p = v ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AllDayEvent(VARIANT_BOOL v) override {
        ex_.allDay = v != VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_BusyStatus(long* p) override {
        if (!p) return E_POINTER;
        *p = long(ex_.busyStatus ? *ex_.busyStatus : s_->Num(prop::kBusy, olBusy));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_BusyStatus(long v) override {
        if (v < olFree || v > olOutOfOffice) return E_INVALIDARG;
        ex_.busyStatus = uint32_t(v);
        return S_OK;
    }
    // Sensitivity and categories belong to the whole series.
    HRESULT STDMETHODCALLTYPE get_Sensitivity(long* p) override {
        if (!p) return E_POINTER;
        *p = long(s_->Num(prop::kSensitivity, 0));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Sensitivity(long) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ReminderSet(VARIANT_BOOL* p) override {
        if (!p) return E_POINTER;
        bool v = ex_.reminderSet ? *ex_.reminderSet != 0 : s_->Num(prop::kReminderSet, 0) != 0;
        *p = v ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ReminderSet(VARIANT_BOOL v) override {
        ex_.reminderSet = v ? 1u : 0u;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ReminderMinutesBeforeStart(long* p) override {
        if (!p) return E_POINTER;
        *p = long(ex_.reminderDelta ? *ex_.reminderDelta : s_->Num(prop::kReminderMinutes, 15));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_ReminderMinutesBeforeStart(long v) override {
        if (v < 0) return E_INVALIDARG;
        ex_.reminderDelta = uint32_t(v);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Categories(BSTR* p) override {
        if (!p) return E_POINTER;
        *p = nullptr;
        std::wstring s;
        HRESULT hr = s_->Categories(&s);
        return FAILED(hr) ? hr : ReturnString(s, p);
    }
    HRESULT STDMETHODCALLTYPE put_Categories(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_IsRecurring(VARIANT_BOOL* p) override {
        if (!p) return E_POINTER;
        *p = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRecurrencePattern(IRecurrencePattern** pp) override {
        if (pp) *pp = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Save() override {
        return Rewrite([this](pimcodec::Recurrence& r) {
            r.removed.erase(std::remove(r.removed.begin(), r.removed.end(), ex_.originalDate), r.removed.end());
            auto it = std::find_if(r.exceptions.begin(), r.exceptions.end(),
                                   [&](const pimcodec::Exception& e) { return e.originalDate == ex_.originalDate; });
            if (it != r.exceptions.end()) {
                *it = ex_;
            } else {
                r.exceptions.push_back(ex_);
            }
        });
    }
    HRESULT STDMETHODCALLTYPE Delete() override {
        HRESULT hr = Rewrite([this](pimcodec::Recurrence& r) {
            r.exceptions.erase(std::remove_if(r.exceptions.begin(), r.exceptions.end(),
                                              [&](const pimcodec::Exception& e) {
                                                  return e.originalDate == ex_.originalDate;
                                              }),
                               r.exceptions.end());
            if (std::find(r.removed.begin(), r.removed.end(), ex_.originalDate) == r.removed.end()) {
                r.removed.push_back(ex_.originalDate);
                std::sort(r.removed.begin(), r.removed.end());
            }
        });
        if (SUCCEEDED(hr)) deleted_ = true;
        return hr;
    }

private:
    HRESULT SetText(std::optional<std::u16string>* field, BSTR v) {
        std::wstring text = FromBstr(v);
        if (text.size() > pimcodec::kMaxExceptionText) return E_INVALIDARG;  // the layout keeps no more
        *field = U(text);
        return S_OK;
    }

    // Applies a change to the pattern as stored now (another process may have
    // changed it since) and writes it back.
    template <typename Change>
    HRESULT Rewrite(Change change) {
        if (deleted_) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        HRESULT hr = s_->Reload();
        if (FAILED(hr)) return hr;
        pimcodec::Recurrence r;
        hr = Decode(*s_, &r);
        if (FAILED(hr)) return hr;
        change(r);
        std::vector<uint8_t> bytes;
        if (pimcodec::EncodeRecurrence(r, &bytes) != pimcodec::Status::kOk) return E_INVALIDARG;
        return s_->WriteNow(prop::kPattern, bytes);
    }

    std::shared_ptr<ItemData> s_;
    pimcodec::Exception ex_;  // the occurrence as it would be stored
    bool deleted_ = false;
};

HRESULT NewOccurrence(std::shared_ptr<ItemData> series, pimcodec::Exception ex, IAppointment** out) {
    *out = new (std::nothrow) Occurrence(std::move(series), std::move(ex));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// The occurrence as it stands: its exception when it has one, else as the pattern
// places it.
pimcodec::Exception AsStored(const pimcodec::Recurrence& r, uint32_t day) {
    for (const auto& e : r.exceptions)
        if (e.originalDate == day) return e;
    pimcodec::Exception e;
    e.originalDate = day;
    e.start = uint32_t(int64_t(day) + r.startOffset);
    e.end = uint32_t(int64_t(day) + r.endOffset);
    return e;
}

// --- Exceptions -------------------------------------------------------------------

class ExceptionItem : public Object<IException> {
public:
    ExceptionItem(std::shared_ptr<ItemData> series, pimcodec::Exception ex, bool deleted, DATE original)
        : s_(std::move(series)), ex_(std::move(ex)), deleted_(deleted), original_(original) {}
    HRESULT STDMETHODCALLTYPE get_OriginalDate(DATE* p) override {
        if (!p) return E_POINTER;
        *p = original_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Deleted(VARIANT_BOOL* p) override {
        if (!p) return E_POINTER;
        *p = deleted_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_AppointmentItem(IAppointment** pp) override {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        if (deleted_) return E_FAIL;
        return NewOccurrence(s_, ex_, pp);
    }

private:
    std::shared_ptr<ItemData> s_;
    pimcodec::Exception ex_;
    bool deleted_;
    DATE original_;
};

class ExceptionList : public Object<IExceptions> {
public:
    explicit ExceptionList(std::vector<raii::ComPtr<IException>> items) : items_(std::move(items)) {}
    HRESULT STDMETHODCALLTYPE get_Count(int* p) override {
        if (!p) return E_POINTER;
        *p = int(items_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(int index, IException** pp) override {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        if (index < 1 || size_t(index) > items_.size()) return E_INVALIDARG;
        *pp = items_[size_t(index) - 1].get();
        (*pp)->AddRef();
        return S_OK;
    }

private:
    std::vector<raii::ComPtr<IException>> items_;
};

// --- Pattern ----------------------------------------------------------------------

class Pattern : public Object<IRecurrencePattern> {
public:
    explicit Pattern(std::shared_ptr<ItemData> series) : s_(std::move(series)) {}

    HRESULT STDMETHODCALLTYPE get_RecurrenceType(long* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) { return long(r.type); });
    }
    HRESULT STDMETHODCALLTYPE get_Interval(long* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) {
            bool yearly = r.type == pimcodec::PatternType::kYearly || r.type == pimcodec::PatternType::kYearNth;
            return long(yearly && r.interval >= 12 ? r.interval / 12 : r.interval);
        });
    }
    HRESULT STDMETHODCALLTYPE get_DayOfWeekMask(long* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) { return long(r.weekdays); });
    }
    HRESULT STDMETHODCALLTYPE get_DayOfMonth(long* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) { return long(r.dayOfMonth); });
    }
    HRESULT STDMETHODCALLTYPE get_Instance(long* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) { return long(r.week); });
    }
    HRESULT STDMETHODCALLTYPE get_PatternStartDate(DATE* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) { return pimcodec::OleFromMinutes(r.patternStart); });
    }
    HRESULT STDMETHODCALLTYPE get_PatternEndDate(DATE* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) { return pimcodec::OleFromMinutes(r.patternEnd); });
    }
    HRESULT STDMETHODCALLTYPE get_NoEndDate(VARIANT_BOOL* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) {
            return VARIANT_BOOL(r.endType == pimcodec::EndType::kNever ? VARIANT_TRUE : VARIANT_FALSE);
        });
    }
    HRESULT STDMETHODCALLTYPE get_Occurrences(long* p) override {
        return Field(p, [](const pimcodec::Recurrence& r) {
            return long(r.endType == pimcodec::EndType::kAfterCount ? r.occurrences : 0);
        });
    }
    HRESULT STDMETHODCALLTYPE get_Exceptions(IExceptions** pp) override;
    HRESULT STDMETHODCALLTYPE GetOccurrence(DATE date, IAppointment** pp) override;

private:
    template <typename T, typename F>
    HRESULT Field(T* out, F f) {
        if (!out) return E_POINTER;
        pimcodec::Recurrence r;
        HRESULT hr = Decode(*s_, &r);
        if (FAILED(hr)) return hr;
        *out = f(r);
        return S_OK;
    }

    std::shared_ptr<ItemData> s_;
};

HRESULT Pattern::get_Exceptions(IExceptions** pp) {
    if (!pp) return E_POINTER;
    *pp = nullptr;
    pimcodec::Recurrence r;
    HRESULT hr = Decode(*s_, &r);
    if (FAILED(hr)) return hr;
    struct Entry {
        uint32_t day;
        const pimcodec::Exception* ex;
    };
    std::vector<Entry> entries;
    for (uint32_t d : r.removed) entries.push_back({d, nullptr});
    for (const auto& e : r.exceptions) entries.push_back({e.originalDate, &e});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.day < b.day; });
    std::vector<raii::ComPtr<IException>> items;
    for (const Entry& e : entries) {
        DATE original = LocalFromWall(*s_, int64_t(e.day) + r.startOffset);
        IException* item = new (std::nothrow)
            ExceptionItem(s_, e.ex ? *e.ex : AsStored(r, e.day), e.ex == nullptr, original);
        if (!item) return E_OUTOFMEMORY;
        items.emplace_back();
        items.back().attach(item);
    }
    auto* list = new (std::nothrow) ExceptionList(std::move(items));
    if (!list) return E_OUTOFMEMORY;
    *pp = list;
    return S_OK;
}

// The occurrence that starts on the device-local day of `date`. The pattern counts
// days of the series' own zone, which may differ from the device's by a day.
HRESULT Pattern::GetOccurrence(DATE date, IAppointment** pp) {
    if (!pp) return E_POINTER;
    *pp = nullptr;
    if (!ValidDate(date)) return E_INVALIDARG;
    pimcodec::Recurrence r;
    HRESULT hr = Decode(*s_, &r);
    if (FAILED(hr)) return hr;
    const double wanted = std::floor(date);
    auto onDay = [&](int64_t wallStart) { return std::floor(LocalFromWall(*s_, wallStart)) == wanted; };

    for (const auto& e : r.exceptions)
        if (onDay(e.start)) return NewOccurrence(s_, e, pp);
    const int64_t wantedMidnight = (int64_t(wanted) + pimcodec::kOleEpochDays) * kDay;
    const int64_t last = wantedMidnight + 2 * kDay;
    if (last < 0) return E_FAIL;
    for (uint32_t day : pimcodec::OccurrenceDays(r, uint32_t(std::min<int64_t>(last, UINT32_MAX)), 1000000)) {
        if (int64_t(day) < wantedMidnight - 2 * kDay) continue;
        if (std::find(r.removed.begin(), r.removed.end(), day) != r.removed.end()) continue;
        bool replaced = std::any_of(r.exceptions.begin(), r.exceptions.end(),
                                    [&](const pimcodec::Exception& e) { return e.originalDate == day; });
        if (replaced) continue;
        if (onDay(int64_t(day) + r.startOffset)) return NewOccurrence(s_, AsStored(r, day), pp);
    }
    return E_FAIL;
}

}  // namespace

HRESULT NewPattern(std::shared_ptr<ItemData> series, IRecurrencePattern** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    pimcodec::Recurrence r;
    HRESULT hr = Decode(*series, &r);
    if (FAILED(hr)) return hr;
    *out = new (std::nothrow) Pattern(std::move(series));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace pim
