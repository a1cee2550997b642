#include "agenda_build.h"

#include <algorithm>

#include "datetime.h"
#include "item_text.h"
#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"

namespace daybrim {
namespace agenda {

namespace {

constexpr int64_t kMinutesPerDay = 1440;
constexpr int64_t kTicksPerMinute = 600000000LL;

// OLE day number <-> the codec's minutes since 1601 at that day's midnight.
int64_t MidnightOfDay(int32_t day) { return (int64_t(day) + pimcodec::kOleEpochDays) * kMinutesPerDay; }
int32_t DayOfMinutes(int64_t minutes) {
    return int32_t(datetime::FloorDiv(minutes, kMinutesPerDay) - pimcodec::kOleEpochDays);
}
int YearOfMinutes(int64_t minutes) {
    return pimcodec::CivilFromDays(datetime::FloorDiv(minutes, kMinutesPerDay)).year;
}

}  // namespace

double LocalStart(uint64_t utcTicks, bool allDay, bool recurring, const pimcodec::TimeZone& device) {
    const int64_t utcMinutes = int64_t(utcTicks / uint64_t(kTicksPerMinute));
    const int64_t shift = pimcodec::UtcToLocal(device, utcMinutes) - utcMinutes;
    const double local = OleFromTicks(uint64_t(int64_t(utcTicks) + shift * kTicksPerMinute));
    if (!allDay || recurring || local == double(DayOf(local))) return local;
    const int64_t minuteOfDay = utcMinutes - datetime::FloorDiv(utcMinutes, kMinutesPerDay) * kMinutesPerDay;
    return double(DayOfMinutes(utcMinutes) + (minuteOfDay >= 13 * 60 ? 1 : 0));
}

DaySpan ListedDays(double start, double end, int humanTime) {
    DaySpan s;
    s.first = DayOf(start);
    if (end < start) end = start;
    int32_t endDay = DayOf(end);
    if (endDay > s.first && humanTime > 0) {
        const double minutes = (end - double(endDay)) * 1440.0;
        // Minutes rounded: an end read back from a double may sit a hair before the hour.
        if (int64_t(minutes + 0.5) < int64_t(humanTime) * 60) end = double(endDay);
    }
    if (endDay > s.first && end == double(endDay)) --endDay;
    s.last = endDay;
    return s;
}

std::wstring YearlyTitle(const std::wstring& subject, int years) {
    return subject + L" (" + std::to_wstring(years) + L")";
}

std::vector<std::unique_ptr<TApptItem>> ExpandOccurrences(const TApptItem& master, int32_t first, int32_t last,
                                                          const pimcodec::TimeZone& device,
                                                          const ExpandOptions& opt) {
    std::vector<std::unique_ptr<TApptItem>> out;
    pimcodec::Recurrence r;
    if (master.pattern.empty() || first > last ||
        pimcodec::DecodeRecurrence(master.pattern.data(), master.pattern.size(), &r) != pimcodec::Status::kOk)
        return out;
    pimcodec::TimeZone zone = device;
    if (!master.timeZone.empty() &&
        pimcodec::DecodeTimeZone(master.timeZone.data(), master.timeZone.size(), &zone) != pimcodec::Status::kOk)
        zone = device;
    // The pattern's wall clock is the appointment's zone; the agenda's the device's.
    // All-day occurrences are dates, not instants: they stay where they are.
    auto toDevice = [&](int64_t wall, bool allDay) {
        return allDay ? wall : pimcodec::UtcToLocal(device, pimcodec::LocalToUtc(zone, wall));
    };
    const bool yearly = r.type == pimcodec::PatternType::kYearly ||
                        (r.type == pimcodec::PatternType::kMonthly && r.interval == 12);
    const int startYear = YearOfMinutes(r.patternStart);
    auto overlaps = [&](const TApptItem& a) { return DayOf(a.start) <= last && DayOf(a.end) >= first; };
    auto make = [&](int64_t wallStart, int64_t wallEnd, bool allDay) {
        auto a = std::make_unique<TApptItem>();
        master.CopyTo(*a);
        // The blobs belong to the master; occurrences need neither.
        a->pattern.clear();
        a->timeZone.clear();
        a->recurrence = 2;
        a->allDay = allDay;
        a->start = pimcodec::OleFromMinutes(toDevice(wallStart, allDay));
        a->end = pimcodec::OleFromMinutes(toDevice(std::max(wallEnd, wallStart), allDay));
        a->duration = uint32_t(std::max<int64_t>(0, wallEnd - wallStart));
        return a;
    };

    // Few dates are taken out of a series: a sorted list beats a hash set here.
    std::vector<uint32_t> taken = r.removed;
    for (const pimcodec::Exception& e : r.exceptions) taken.push_back(e.originalDate);
    std::sort(taken.begin(), taken.end());

    // Pattern days a day either side of the range (zones apart by up to a day), and
    // as many before as an occurrence lasts, so that one reaching into the range
    // from before it is found.
    const int64_t spanDays = std::max<int64_t>(0, (int64_t(r.endOffset) - 1) / kMinutesPerDay);
    const int64_t from = std::max<int64_t>(0, MidnightOfDay(first) - (1 + spanDays) * kMinutesPerDay);
    const int64_t to = std::min<int64_t>(UINT32_MAX, MidnightOfDay(last) + 2 * kMinutesPerDay - 1);
    if (from <= to) {
        for (uint32_t day : pimcodec::OccurrenceDaysBetween(r, uint32_t(from), uint32_t(to), kMaxOccurrences)) {
            if (std::binary_search(taken.begin(), taken.end(), day)) continue;
            auto a = make(int64_t(day) + r.startOffset, int64_t(day) + r.endOffset, master.allDay);
            if (!overlaps(*a)) continue;
            if (yearly && opt.yearlyCounters) a->SetTitle(YearlyTitle(master.title, YearOfMinutes(day) - startYear));
            out.push_back(std::move(a));
        }
    }
    for (const pimcodec::Exception& e : r.exceptions) {
        const bool allDay = e.allDay ? *e.allDay : master.allDay;
        auto a = make(e.start, e.end, allDay);
        if (!overlaps(*a)) continue;
        std::wstring subject = master.title;
        if (e.subject) subject.assign(e.subject->begin(), e.subject->end());
        if (yearly && opt.yearlyCounters) subject = YearlyTitle(subject, YearOfMinutes(e.originalDate) - startYear);
        a->SetTitle(subject);
        if (e.location) a->location.assign(e.location->begin(), e.location->end());
        if (e.busyStatus) a->busy = int(*e.busyStatus);
        if (e.notes) a->note.value = e.notes->empty() ? 0.0 : 1.0;
        a->exceptionDate = e.originalDate;
        out.push_back(std::move(a));
    }
    return out;
}

std::vector<TaskPlace> TaskPlaces(const TTask& task, int32_t first, int32_t last, int32_t today,
                                  const TaskCalendarOptions& opt, bool monthView) {
    std::vector<TaskPlace> out;
    auto put = [&](uint32_t day, bool active = false) {
        if (monthView && (day == kOverdueTasksDay || day == kUndatedTasksDay || day == kLaterTasksDay)) return;
        for (const TaskPlace& p : out)
            if (p.day == day) return;
        out.push_back({day, active});
    };
    const auto inRange = [&](int32_t d) { return d >= first && d <= last; };
    if (task.completed && opt.completedDates == 3) return out;
    if (!PassesFutureLimit(opt.futureLimit, task, today)) return out;
    const uint32_t overdueDay = opt.hideOverdueTitle ? uint32_t(first) : kOverdueTasksDay;
    const uint32_t undatedDay = opt.hideUndatedTitle ? uint32_t(first) : kUndatedTasksDay;
    const bool dated = task.due != kNoDate;
    const int32_t due = dated ? DayOf(task.due) : 0;

    if (task.completed) {
        if (opt.completedDates == 1 || opt.completedDates == 2) {
            if (task.dateCompleted != kNoDate && inRange(DayOf(task.dateCompleted)))
                put(uint32_t(DayOf(task.dateCompleted)));
            if (opt.completedDates == 1) return out;
        }
        if (dated && inRange(due)) put(uint32_t(due));
        if (dated && due < first && opt.pastCompleted) put(overdueDay);
        if (dated && due > last && opt.future) put(kLaterTasksDay);
        return out;
    }
    if (dated && due < first && opt.overdue) put(overdueDay);
    if (!dated && opt.undated) put(undatedDay);
    if (dated && due > last && opt.future) put(kLaterTasksDay);
    if (dated && inRange(due)) put(uint32_t(due));
    if (opt.showActive && dated && task.startDate != kNoDate) {
        const int32_t start = DayOf(task.startDate);
        if (due > first && start <= last && start != due) {
            const int32_t day = std::max(start, first);
            const int wd = datetime::DayOfWeek(int64_t(day) + pimcodec::kOleEpochDays);
            const bool weekend = (opt.skipWeekends == 1 && (wd == 0 || wd == 6)) ||
                                 (opt.skipWeekends == 2 && (wd == 0 || wd >= 5)) ||
                                 (opt.skipWeekends == 3 && wd >= 5);
            if (!weekend) put(uint32_t(day), true);
        }
    }
    return out;
}

bool TemplateName(const std::wstring& subject, std::wstring* name) {
    static const wchar_t kTag[] = L"[TEMPLATE";
    if (subject.size() < 9) return false;
    for (size_t i = 0; i < 9; ++i) {
        wchar_t c = subject[i];
        if (c >= L'a' && c <= L'z') c = wchar_t(c - L'a' + L'A');
        if (c != kTag[i]) return false;
    }
    const size_t close = subject.find(L']');
    if (close == std::wstring::npos) return false;
    std::wstring n = close >= 10 ? subject.substr(10, close - 10) : subject.substr(close + 1);
    const size_t b = n.find_first_not_of(L' ');
    const size_t e = n.find_last_not_of(L' ');
    *name = b == std::wstring::npos ? std::wstring() : n.substr(b, e - b + 1);
    return true;
}

}  // namespace agenda
}  // namespace daybrim
