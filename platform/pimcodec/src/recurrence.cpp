#include "pimcodec/recurrence.h"

#include <algorithm>
#include <set>

#include "bytes.h"
#include "datetime.h"
#include "pimcodec/pimtime.h"

namespace pimcodec {

bool Exception::operator==(const Exception& o) const {
    return start == o.start && end == o.end && originalDate == o.originalDate &&
           subject == o.subject && location == o.location && busyStatus == o.busyStatus &&
           allDay == o.allDay && notes == o.notes && meetingType == o.meetingType &&
           reminderDelta == o.reminderDelta && reminderSet == o.reminderSet &&
           attachment == o.attachment;
}

bool Recurrence::operator==(const Recurrence& o) const {
    return type == o.type && interval == o.interval && weekdays == o.weekdays &&
           dayOfMonth == o.dayOfMonth && week == o.week && endType == o.endType &&
           occurrences == o.occurrences && patternStart == o.patternStart &&
           patternEnd == o.patternEnd && startOffset == o.startOffset &&
           endOffset == o.endOffset && removed == o.removed && exceptions == o.exceptions;
}

namespace {

constexpr uint16_t kVersion = 0x3004;
constexpr uint32_t kVersion2a = 0x3006, kVersion2b = 0x3009;

bool KnownType(PatternType t) {
    switch (t) {
    case PatternType::kDaily: case PatternType::kWeekly: case PatternType::kMonthly:
    case PatternType::kMonthNth: case PatternType::kYearly: case PatternType::kYearNth:
        return true;
    }
    return false;
}
bool KnownEnd(EndType e) {
    return e == EndType::kByDate || e == EndType::kAfterCount || e == EndType::kNever;
}
bool IsNth(PatternType t) { return t == PatternType::kMonthNth || t == PatternType::kYearNth; }
bool IsDayOfMonth(PatternType t) { return t == PatternType::kMonthly || t == PatternType::kYearly; }

uint16_t Frequency(PatternType t) {
    switch (t) {
    case PatternType::kDaily: return 0x200A;
    case PatternType::kWeekly: return 0x200B;
    case PatternType::kMonthly: case PatternType::kMonthNth: return 0x200C;
    default: return 0x200D;
    }
}

bool Midnight(uint32_t m) { return m % kMinutesPerDay == 0; }

void PutText(Writer& w, const std::u16string& s) {
    w.U16(uint16_t(s.size() + 1));
    w.U16(uint16_t(s.size()));
    for (char16_t c : s) w.U16(uint16_t(c));
}

bool GetText(Reader& r, std::u16string* out) {
    uint16_t withNul, count;
    if (!r.U16(&withNul) || !r.U16(&count)) return false;
    if (size_t(count) * 2 > r.remaining()) return false;
    out->clear();
    for (uint16_t i = 0; i < count; ++i) {
        uint16_t c;
        r.U16(&c);
        if (out->size() < kMaxExceptionText) out->push_back(char16_t(c));
    }
    return true;
}

}  // namespace

Status Validate(const Recurrence& r) {
    if (!KnownType(r.type)) return Status::kBadType;
    if (!KnownEnd(r.endType)) return Status::kBadValue;
    if (r.interval == 0) return Status::kBadValue;
    if (r.type == PatternType::kDaily && r.interval > UINT32_MAX / kMinutesPerDay)
        return Status::kBadValue;
    if (r.interval > 1200 && r.type != PatternType::kDaily) return Status::kBadValue;
    if ((r.type == PatternType::kWeekly || IsNth(r.type)) && (r.weekdays == 0 || r.weekdays > 0x7F))
        return Status::kBadValue;
    if (IsDayOfMonth(r.type) && (r.dayOfMonth < 1 || r.dayOfMonth > 31)) return Status::kBadValue;
    if (IsNth(r.type) && (r.week < 1 || r.week > 5)) return Status::kBadValue;
    if (r.endType == EndType::kAfterCount && r.occurrences == 0) return Status::kBadValue;
    if (!Midnight(r.patternStart)) return Status::kBadValue;
    if (r.patternEnd < r.patternStart) return Status::kBadValue;
    if (r.startOffset < 0 || r.startOffset >= int32_t(kMinutesPerDay)) return Status::kBadValue;
    if (r.endOffset < r.startOffset) return Status::kBadValue;
    if (r.removed.size() + r.exceptions.size() > kMaxListEntries) return Status::kTooLarge;
    std::set<uint32_t> dates;
    for (uint32_t d : r.removed)
        if (!Midnight(d) || !dates.insert(d).second) return Status::kInconsistent;
    for (const Exception& e : r.exceptions) {
        if (!Midnight(e.originalDate) || !dates.insert(e.originalDate).second)
            return Status::kInconsistent;
        if (e.end < e.start) return Status::kBadValue;
        if ((e.subject && e.subject->size() > kMaxExceptionText) ||
            (e.location && e.location->size() > kMaxExceptionText))
            return Status::kBadValue;
        if (e.notes && e.notes->size() > (1u << 20)) return Status::kTooLarge;
    }
    return Status::kOk;
}

std::vector<uint32_t> OccurrenceDays(const Recurrence& r, uint32_t lastDay, size_t limit) {
    std::vector<uint32_t> out;
    if (Validate(r) != Status::kOk || limit == 0) return out;
    const int64_t start = r.patternStart / kMinutesPerDay;
    int64_t last = lastDay / kMinutesPerDay;
    if (r.endType != EndType::kAfterCount) last = std::min<int64_t>(last, r.patternEnd / kMinutesPerDay);
    if (r.endType == EndType::kAfterCount) limit = std::min<size_t>(limit, r.occurrences);
    auto emit = [&](int64_t day) {
        if (day >= start && day <= last && out.size() < limit)
            out.push_back(uint32_t(day * kMinutesPerDay));
    };
    auto done = [&](int64_t periodStart) { return out.size() >= limit || periodStart > last; };

    switch (r.type) {
    case PatternType::kDaily:
        for (int64_t d = start; !done(d); d += r.interval) emit(d);
        break;
    case PatternType::kWeekly: {
        // Weeks begin on Sunday; the pattern's first week is the one holding its start.
        for (int64_t base = start - WeekdayOfDays(start); !done(base); base += 7 * int64_t(r.interval))
            for (int wd = 0; wd < 7; ++wd)
                if (r.weekdays & (1u << wd)) emit(base + wd);
        break;
    }
    default: {
        CivilDate s = CivilFromDays(start);
        for (int64_t m = int64_t(s.year) * 12 + (s.month - 1);; m += r.interval) {
            int year = int(m / 12), month = int(m % 12) + 1;
            if (year > 30827 || done(DaysFromCivil({year, month, 1}))) break;
            if (IsNth(r.type)) {
                // Week 5 is the month's last matching day, whatever the mask holds.
                if (auto d = datetime::NthWeekdayOfMonth(year, month, r.weekdays, r.week)) emit(*d);
            } else {
                int dom = std::min<int>(r.dayOfMonth, DaysInMonth(year, month));
                emit(DaysFromCivil({year, month, dom}));
            }
        }
        break;
    }
    }
    return out;
}

std::vector<uint32_t> OccurrenceDaysBetween(const Recurrence& r, uint32_t firstDay, uint32_t lastDay,
                                            size_t limit) {
    std::vector<uint32_t> out;
    if (Validate(r) != Status::kOk || limit == 0) return out;
    const int64_t start = r.patternStart / kMinutesPerDay;
    const int64_t from = std::max<int64_t>(start, firstDay / kMinutesPerDay);
    const int64_t last = std::min<int64_t>(lastDay / kMinutesPerDay, r.patternEnd / kMinutesPerDay);
    if (from > last) return out;
    const bool counted = r.endType == EndType::kAfterCount;
    // `index` is the ordinal of the next occurrence of the series; a counted series
    // has none at or past its count.
    auto emit = [&](int64_t day, uint64_t& index) {
        if (day < start) return;
        const uint64_t i = index++;
        if (counted && i >= r.occurrences) return;
        if (day >= from && day <= last && out.size() < limit) out.push_back(uint32_t(day * kMinutesPerDay));
    };
    auto full = [&](uint64_t index) { return out.size() >= limit || (counted && index >= r.occurrences); };
    const uint64_t interval = r.interval;

    switch (r.type) {
    case PatternType::kDaily: {
        // Every period holds exactly one occurrence: the ordinal is the period.
        for (uint64_t index = uint64_t(from - start + int64_t(interval) - 1) / interval; !full(index);) {
            const int64_t d = start + int64_t(index * interval);
            if (d > last) break;
            emit(d, index);
        }
        break;
    }
    case PatternType::kWeekly: {
        const int64_t base0 = start - WeekdayOfDays(start);
        const int64_t span = 7 * int64_t(interval);
        const int perWeek = __builtin_popcount(r.weekdays);
        int before = 0;   // mask days of the first week that precede the start
        for (int wd = 0; wd < WeekdayOfDays(start); ++wd)
            if (r.weekdays & (1u << wd)) ++before;
        const int64_t k = std::max<int64_t>(0, datetime::FloorDiv(from - base0, span));
        uint64_t index = k == 0 ? 0 : uint64_t(k) * uint64_t(perWeek) - uint64_t(before);
        for (int64_t base = base0 + k * span; base <= last && !full(index); base += span)
            for (int wd = 0; wd < 7; ++wd)
                if (r.weekdays & (1u << wd)) emit(base + wd, index);
        break;
    }
    default: {
        // One occurrence per period-th month: the day of month clamped to the
        // month's length, or the Nth (5 = last) listed weekday.
        const CivilDate s = CivilFromDays(start);
        const int64_t m0 = int64_t(s.year) * 12 + (s.month - 1);
        auto dayIn = [&](int64_t m) -> int64_t {
            const int year = int(m / 12), month = int(m % 12) + 1;
            if (IsNth(r.type)) return *datetime::NthWeekdayOfMonth(year, month, r.weekdays, r.week);
            return DaysFromCivil({year, month, std::min<int>(r.dayOfMonth, DaysInMonth(year, month))});
        };
        const CivilDate f = CivilFromDays(from);
        const int64_t fm = int64_t(f.year) * 12 + (f.month - 1);
        // The period holding `from`, or the one just before: its occurrence may lie
        // on or after `from` even when its month begins earlier.
        const int64_t k = std::max<int64_t>(0, (fm - m0) / int64_t(interval) - 1);
        const bool firstSkipped = dayIn(m0) < start;
        uint64_t index = k == 0 ? 0 : uint64_t(k) - (firstSkipped ? 1 : 0);
        for (int64_t m = m0 + k * int64_t(interval); !full(index); m += int64_t(interval)) {
            if (m / 12 > 30827 || DaysFromCivil({int(m / 12), int(m % 12) + 1, 1}) > last) break;
            emit(dayIn(m), index);
        }
        break;
    }
    }
    return out;
}

Status ComputePatternEnd(Recurrence* r) {
    // The end date is derived here for every kind but kByDate.
    if (r->endType != EndType::kByDate) r->patternEnd = kNeverEndDate;
    Status st = Validate(*r);
    if (st != Status::kOk) return st;
    if (r->endType == EndType::kByDate) {
        if (OccurrenceDays(*r, r->patternEnd, 1).empty()) return Status::kInconsistent;
        return Status::kOk;
    }
    Recurrence probe = *r;
    probe.patternEnd = kNeverEndDate;
    std::vector<uint32_t> days = OccurrenceDays(
        probe, kNeverEndDate, r->endType == EndType::kAfterCount ? r->occurrences : 1);
    if (days.empty()) return Status::kInconsistent;
    if (r->endType == EndType::kAfterCount) {
        if (days.size() < r->occurrences) return Status::kBadValue;
        r->patternEnd = days.back();
    }
    return Status::kOk;
}

Status EncodeRecurrence(const Recurrence& r, std::vector<uint8_t>* out) {
    Status st = Validate(r);
    if (st != Status::kOk) return st;
    std::vector<uint32_t> deleted = r.removed;
    std::vector<uint32_t> modified;
    std::vector<const Exception*> exceptions;
    for (const Exception& e : r.exceptions) {
        deleted.push_back(e.originalDate);
        modified.push_back(e.start - e.start % kMinutesPerDay);
        exceptions.push_back(&e);
    }
    std::sort(deleted.begin(), deleted.end());
    std::sort(modified.begin(), modified.end());
    std::sort(exceptions.begin(), exceptions.end(),
              [](const Exception* a, const Exception* b) { return a->originalDate < b->originalDate; });

    Writer w;
    w.U16(kVersion);
    w.U16(kVersion);
    w.U16(Frequency(r.type));
    w.U16(uint16_t(r.type));
    w.U16(0);   // Gregorian
    w.U32(r.type == PatternType::kDaily ? r.patternStart % (r.interval * kMinutesPerDay) : 0);
    w.U32(r.type == PatternType::kDaily ? r.interval * kMinutesPerDay : r.interval);
    w.U32(0);   // not sliding
    if (r.type == PatternType::kWeekly || IsNth(r.type)) w.U32(r.weekdays);
    if (IsDayOfMonth(r.type)) w.U32(r.dayOfMonth);
    if (IsNth(r.type)) w.U32(r.week);
    w.U32(uint32_t(r.endType));
    w.U32(r.endType == EndType::kAfterCount ? r.occurrences : 10);
    w.U32(0);   // weeks begin on Sunday
    w.U32(uint32_t(deleted.size()));
    for (uint32_t d : deleted) w.U32(d);
    w.U32(uint32_t(modified.size()));
    for (uint32_t d : modified) w.U32(d);
    w.U32(r.patternStart);
    w.U32(r.patternEnd);
    w.U32(kVersion2a);
    w.U32(kVersion2b);
    w.I32(r.startOffset);
    w.I32(r.endOffset);
    w.U16(uint16_t(exceptions.size()));
    for (const Exception* e : exceptions) {
        uint16_t flags = 0;
        if (e->subject) flags |= kOverrideSubject;
        if (e->meetingType) flags |= kOverrideMeetingType;
        if (e->reminderDelta) flags |= kOverrideReminderDelta;
        if (e->reminderSet) flags |= kOverrideReminderSet;
        if (e->location) flags |= kOverrideLocation;
        if (e->busyStatus) flags |= kOverrideBusyStatus;
        if (e->attachment) flags |= kOverrideAttachment;
        if (e->allDay) flags |= kOverrideAllDay;
        if (e->notes) flags |= kOverrideNotes;
        w.U32(e->start);
        w.U32(e->end);
        w.U32(e->originalDate);
        w.U16(flags);
        if (e->subject) PutText(w, *e->subject);
        if (e->meetingType) w.U32(*e->meetingType);
        if (e->reminderDelta) w.U32(*e->reminderDelta);
        if (e->reminderSet) w.U32(*e->reminderSet);
        if (e->location) PutText(w, *e->location);
        if (e->busyStatus) w.U32(*e->busyStatus);
        if (e->attachment) w.U32(*e->attachment);
        if (e->allDay) w.U32(*e->allDay ? 1 : 0);
        if (e->notes) {
            w.U32(uint32_t(e->notes->size()));
            w.Bytes(*e->notes);
        }
    }
    *out = std::move(w.buf());
    return Status::kOk;
}

namespace {
bool ReadList(Reader& rd, std::vector<uint32_t>* out, Status* st) {
    uint32_t n;
    if (!rd.U32(&n)) { *st = Status::kTruncated; return false; }
    if (n > kMaxListEntries) { *st = Status::kTooLarge; return false; }
    if (size_t(n) * 4 > rd.remaining()) { *st = Status::kTruncated; return false; }
    out->resize(n);
    for (uint32_t& v : *out) rd.U32(&v);
    return true;
}
}  // namespace

Status DecodeRecurrence(const uint8_t* data, size_t size, Recurrence* out) {
    if (!data) return Status::kTruncated;
    Reader rd(data, size);
    Recurrence r;
    uint16_t type;
    uint32_t period;
    if (!rd.Seek(6) || !rd.U16(&type)) return Status::kTruncated;
    r.type = PatternType(type);
    if (!KnownType(r.type)) return Status::kBadType;
    if (!rd.Seek(14) || !rd.U32(&period) || !rd.Seek(22)) return Status::kTruncated;
    if (period == 0) return Status::kBadValue;
    if (r.type == PatternType::kDaily) {
        if (period % kMinutesPerDay) return Status::kBadValue;
        r.interval = period / kMinutesPerDay;
    } else {
        r.interval = period;
    }
    uint32_t v = 0;
    if (r.type == PatternType::kWeekly || IsNth(r.type)) {
        if (!rd.U32(&v)) return Status::kTruncated;
        r.weekdays = uint16_t(v);
        if (v > 0x7F) return Status::kBadValue;
    }
    if (IsDayOfMonth(r.type)) {
        if (!rd.U32(&v)) return Status::kTruncated;
        if (v > 31) return Status::kBadValue;
        r.dayOfMonth = uint16_t(v);
    }
    if (IsNth(r.type)) {
        if (!rd.U32(&v)) return Status::kTruncated;
        if (v > 5) return Status::kBadValue;
        r.week = uint16_t(v);
    }
    uint32_t endType, count;
    if (!rd.U32(&endType) || !rd.U32(&count) || !rd.Skip(4)) return Status::kTruncated;
    // Only the low word carries the end type.
    r.endType = EndType(uint16_t(endType));
    if (!KnownEnd(r.endType)) return Status::kBadValue;
    r.occurrences = r.endType == EndType::kAfterCount ? count : 0;

    std::vector<uint32_t> deleted, modified;
    Status st = Status::kOk;
    if (!ReadList(rd, &deleted, &st) || !ReadList(rd, &modified, &st)) return st;
    uint32_t v2a, v2b;
    if (!rd.U32(&r.patternStart) || !rd.U32(&r.patternEnd) || !rd.U32(&v2a) || !rd.U32(&v2b) ||
        !rd.I32(&r.startOffset) || !rd.I32(&r.endOffset))
        return Status::kTruncated;
    uint16_t exceptionCount;
    if (!rd.U16(&exceptionCount)) return Status::kTruncated;
    if (exceptionCount != modified.size()) return Status::kInconsistent;

    for (uint16_t i = 0; i < exceptionCount; ++i) {
        Exception e;
        uint16_t flags;
        if (!rd.U32(&e.start) || !rd.U32(&e.end) || !rd.U32(&e.originalDate) || !rd.U16(&flags))
            return Status::kTruncated;
        auto u32 = [&](std::optional<uint32_t>* field) {
            uint32_t x;
            if (!rd.U32(&x)) return false;
            *field = x;
            return true;
        };
        std::u16string text;
        if (flags & kOverrideSubject) {
            if (!GetText(rd, &text)) return Status::kTruncated;
            e.subject = text;
        }
        if ((flags & kOverrideMeetingType) && !u32(&e.meetingType)) return Status::kTruncated;
        if ((flags & kOverrideReminderDelta) && !u32(&e.reminderDelta)) return Status::kTruncated;
        if ((flags & kOverrideReminderSet) && !u32(&e.reminderSet)) return Status::kTruncated;
        if (flags & kOverrideLocation) {
            if (!GetText(rd, &text)) return Status::kTruncated;
            e.location = text;
        }
        if ((flags & kOverrideBusyStatus) && !u32(&e.busyStatus)) return Status::kTruncated;
        if ((flags & kOverrideAttachment) && !u32(&e.attachment)) return Status::kTruncated;
        if (flags & kOverrideAllDay) {
            if (!rd.U32(&v)) return Status::kTruncated;
            e.allDay = v != 0;
        }
        if (flags & kOverrideNotes) {
            uint32_t len;
            std::vector<uint8_t> bytes;
            if (!rd.U32(&len) || !rd.Bytes(len, &bytes)) return Status::kTruncated;
            e.notes = std::move(bytes);
        }
        r.exceptions.push_back(std::move(e));
    }

    // Each exception must replace one deleted date; the deleted dates left over are
    // plain removals.
    std::sort(r.exceptions.begin(), r.exceptions.end(),
              [](const Exception& a, const Exception& b) { return a.originalDate < b.originalDate; });
    std::sort(deleted.begin(), deleted.end());
    for (const Exception& e : r.exceptions) {
        auto it = std::lower_bound(deleted.begin(), deleted.end(), e.originalDate);
        if (it == deleted.end() || *it != e.originalDate) return Status::kInconsistent;
        deleted.erase(it);
    }
    r.removed = std::move(deleted);
    st = Validate(r);
    if (st != Status::kOk) return st;
    *out = std::move(r);
    return Status::kOk;
}

}  // namespace pimcodec
