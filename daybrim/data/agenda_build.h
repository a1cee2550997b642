// The calendar's agenda rules, platform-neutral: the local time of a stored
// appointment, which days an appointment covers, the occurrences of a recurring
// master within a range of days, where a task goes on the calendar, and Pocket
// Informant's template items. The store reads the records and fills the day lists
// with what these functions decide.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "items.h"
#include "pimcodec/timezone.h"

namespace daybrim {
namespace agenda {

// --- Appointment times ------------------------------------------------------------
// The local OLE start of an appointment stored at `utcTicks` (FILETIME ticks), on
// a device in `device`. Timed and recurring appointments take the bias in force on
// their own date, not today's. A non-recurring all-day appointment should begin at
// a local midnight; one stored by a program that kept all-day events at the UTC
// midnight of another zone instead begins on the stored UTC date, or the next
// date when the stored hour is 13 or later.
double LocalStart(uint64_t utcTicks, bool allDay, bool recurring, const pimcodec::TimeZone& device);

// The days an appointment is listed on. An end in the small hours of a later day
// (before `humanTime` o'clock; 0 never) counts as that day's midnight, so an
// evening appointment stays on its first day; an end exactly at a later midnight
// does not reach that day.
struct DaySpan {
    int32_t first = 0, last = -1;
};
DaySpan ListedDays(double start, double end, int humanTime);

// --- Recurrence ---------------------------------------------------------------------
// Beyond this many occurrences in one range a series is cut: a range of days holds
// few, and a stream claiming more is corrupt.
constexpr size_t kMaxOccurrences = 4096;

struct ExpandOptions {
    bool yearlyCounters = false;  // IncludeYearlyCounters: "%s (%d)" with the years
};

// The occurrences of `master` (a recurring appointment with its pattern and zone
// blobs) that touch [first, last], as copies with recurrence state 2, in start order
// before the modified ones. Removed occurrences are left out; a modified one appears
// at its new time with its own subject, location, busy status, all-day flag and note
// mark where it overrides them. Times are the device's wall clock: the pattern is in
// the appointment's own zone (the device's when the blob is missing or unreadable).
// A stream that does not decode, or a degenerate pattern, gives no occurrence.
std::vector<std::unique_ptr<TApptItem>> ExpandOccurrences(const TApptItem& master, int32_t first, int32_t last,
                                                          const pimcodec::TimeZone& device,
                                                          const ExpandOptions& opt);

// The title of a yearly occurrence `years` after its series began.
std::wstring YearlyTitle(const std::wstring& subject, int years);

// --- Tasks on the calendar -----------------------------------------------------------
struct TaskCalendarOptions {
    int completedDates = 0;       // DatesToIncldCmpltdTsksOnClr: 0 due, 1 completion, 2 both, 3 none
    int futureLimit = 0;          // FutureLimitTsksOnClr
    bool hideOverdueTitle = false;  // HideOverDueTsksDayTtl
    bool hideUndatedTitle = false;  // HideUndatedTsksDayTtl
    bool pastCompleted = false;   // IncldPastCmpltdTsksInClndr
    bool future = false;          // IncldFutureTsksInCR
    bool overdue = false;         // IncldOverDueTsksInCR
    bool undated = false;         // IncldUndatedTsksInCR
    bool showActive = false;      // ShowActiveTsksOnCal
    int skipWeekends = 0;         // SkipActiveTsksWeekends: 1 Sat+Sun, 2 Fri-Sun, 3 Fri+Sat
};

constexpr uint32_t kOverdueTasksDay = 1, kUndatedTasksDay = 2, kLaterTasksDay = 80000;

struct TaskPlace {
    uint32_t day = 0;
    bool activeSpan = false;
};
// The day lists a task goes into for the range [first, last] seen on `today`
// (Pocket Informant's templates are the caller's to leave out). A month view (`monthView`) has no pseudo days: what would go there is left out.
std::vector<TaskPlace> TaskPlaces(const TTask& task, int32_t first, int32_t last, int32_t today,
                                  const TaskCalendarOptions& opt, bool monthView);

// --- Pocket Informant templates ------------------------------------------------------
// Pocket Informant keeps its template appointments and tasks on these days.
constexpr int32_t kTemplateFirstDay = 401668, kTemplateLastDay = 401768;
inline bool IsTemplateDay(double date) {
    return date != kNoDate && DayOf(date) >= kTemplateFirstDay && DayOf(date) <= kTemplateLastDay;
}
// The template's name from a subject "[TEMPLATE name]" or "[TEMPLATE] name"; false
// for any other subject.
bool TemplateName(const std::wstring& subject, std::wstring* name);

struct TemplateEntry {
    std::wstring name;
    int kind = 0;  // kKindAppt or kKindTask
    uint32_t poomId = 0;
    uint32_t oid = 0;
    bool operator==(const TemplateEntry& o) const {
        return name == o.name && kind == o.kind && poomId == o.poomId && oid == o.oid;
    }
};

}  // namespace agenda
}  // namespace daybrim
