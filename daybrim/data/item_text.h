// The texts the item painter draws and the keys the task and contact tabs group
// and sort by. Platform-neutral: words come from the language library through a
// TextSource, dates and times through a DateTimeFormat (GetDateFormatW and
// GetTimeFormatW on the handheld), so every rule here is testable without either.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "items.h"

namespace daybrim {

// Ids of the language library's strings these texts use.
namespace text_id {
constexpr unsigned kNoSubject = 3;
constexpr unsigned kToday = 75, kTomorrow = 76, kInDays = 77;
constexpr unsigned kNoDate = 101;
constexpr unsigned kNoCategory = 40154;
constexpr unsigned kNoNewMessages = 40165, kUnread = 40166;
constexpr unsigned kNoStart = 40168;
constexpr unsigned kDeleteContact = 40189, kContactCaption = 40190;
constexpr unsigned kDeleteTask = 40191, kTaskCaption = 40192;
constexpr unsigned kOccurrenceOnly = 40193, kOccurrenceCaption = 40194;
constexpr unsigned kDeleteOccurrence = 40195, kSkipTaskOccurrence = 40196;
constexpr unsigned kDeleteAppointment = 40197, kAppointmentCaption = 40198;
constexpr unsigned kEmptyLine = 41083;
constexpr unsigned kContacts = 41157;
constexpr unsigned kBirthday = 41280, kAnniversary = 41281, kNoCompany = 41282;
constexpr unsigned kNoOccurrence = 41283, kErrorCaption = 41284, kTaskSaveFailed = 41285;
}  // namespace text_id

class TextSource {
public:
    virtual ~TextSource() = default;
    virtual std::wstring String(unsigned id) const = 0;  // empty when the library lacks it
};

// The locale's way of writing dates and times, and the two orders it reports.
class DateTimeFormat {
public:
    virtual ~DateTimeFormat() = default;
    // `picture` null: the short date (DATE_SHORTDATE).
    virtual std::wstring Date(double ole, const wchar_t* picture) const = 0;
    // The locale's long date (DATE_LONGDATE); the short one where there is none.
    virtual std::wstring LongDate(double ole) const { return Date(ole, nullptr); }
    // Always without seconds.
    virtual std::wstring Time(double ole, const wchar_t* picture) const = 0;
    virtual bool MonthOrYearFirst() const = 0;  // LOCALE_IDATE "0" or "2"
    virtual bool TwelveHour() const = 0;        // LOCALE_ITIME "0"
};

// "%d" of a library format replaced by `n` ("%%" is a percent sign); anything
// else stays as written, so a translator's stray specifier cannot read garbage.
std::wstring FormatNumber(const std::wstring& format, long long n);

// --- Painter texts -----------------------------------------------------------------
// MailTitleFormat 0..3; other values read as 0.
std::wstring AccountTitle(int format, int unread, int read, const std::wstring& name,
                          const TextSource& text);

enum class EventKind { kBirthday, kAnniversary, kAppointment };
// SEDateFormat 1..4 put the date in brackets before the name; other values none.
std::wstring SpecialEventLine(int dateFormat, double date, const std::wstring& name, EventKind kind,
                              int years, const DateTimeFormat& fmt, const TextSource& text);

std::wstring DaysUntil(int days, const TextSource& text);

// The date when `date` is not on `today`, else its time of day.
std::wstring DateOrTimeColumn(double date, int32_t today, const DateTimeFormat& fmt);

std::wstring SizeColumn(uint64_t bytes);

// The prefix of a task shown on the calendar day `day`.
struct DuePrefixOptions {
    int dueDateFormat = 0;       // DueDateTsksDateFrmt
    bool sortWithAppts = false;  // ClrSortTsksWithAppts
    bool twoDigitHours = false;  // Force2DigitsTImeFrmt
};
std::wstring TaskDuePrefix(const TTask& task, int32_t day, const DuePrefixOptions& opt,
                           const DateTimeFormat& fmt);
// The date picture of DueDateTsksDateFrmt; null for the short date.
const wchar_t* DuePicture(int dueDateFormat);
// A due-date prefix as wide as that format makes one: the time column keeps room for it.
std::wstring WidestDuePrefix(int dueDateFormat, const DateTimeFormat& fmt);

// The sample the time column is measured on for ApptDisplayFormat; empty for
// formats whose column is not measured on text.
const wchar_t* MultiDayWidthSample(int apptDisplayFormat);

std::wstring EmptyLine(const TextSource& text);

const wchar_t* MailIcon(bool unread, bool attachments);
// Null for a property without a phone-type icon.
const wchar_t* NumberIcon(uint32_t propid);

// --- Status icons of appointments and tasks -------------------------------------------
namespace icon_code {
constexpr unsigned kReminder = 1, kPrivate = 2, kRecurrence = 4, kNote = 8, kCategories = 16,
                   kImportance = 32, kOwnIcon = 64, kAttendees = 128, kLink = 256;
// Not a setting's bit: a task regenerated from a recurring one.
constexpr unsigned kRegenerated = 0x10000;
}  // namespace icon_code
// Whether the item shows the icon of `code` at all.
bool StatusIconApplies(unsigned code, const TAgendaItem& item);
// The skin image of `code` for the item; null where the painter draws the item's
// own or its categories' bitmaps, or where the icon does not apply.
const wchar_t* StatusIconName(unsigned code, const TAgendaItem& item);
// The right-hand icons in drawing order (the painter stops at the first that no
// longer fits): the mask's applicable codes, and a task's regenerated mark.
std::vector<unsigned> RightIconCodes(unsigned mask, const TAgendaItem& item);
// A left-hand slot's code when it applies to the item; 0 otherwise, also for a
// setting that is not one of the codes.
unsigned LeftIconCode(int64_t slot, const TAgendaItem& item);

// --- Appointments marked done --------------------------------------------------------
// A done appointment's subject is wrapped in these markers.
extern const wchar_t kDoneOpen[];   // "<•>"
extern const wchar_t kDoneClose[];  // "</•>"
bool HasDoneMarker(const std::wstring& subject);
std::wstring WithoutDoneMarker(const std::wstring& subject);
// The subject marked (or unmarked); never wraps an already marked subject twice.
std::wstring MarkDone(const std::wstring& subject, bool done);

// --- Tasks tab ------------------------------------------------------------------------
// TsksLimitFutureDate: whether the task is listed on `today`; values outside 0..7
// mean no limit.
bool PassesFutureLimit(int limit, const TTask& task, int32_t today);

struct TaskGroupOptions {
    int grouping = 10;                  // TsksGrouping
    bool removeUndated = false;         // RemoveUndatedTsks
    bool hidePastCompleted = false;     // HidePastCompletedTasks
    int futureLimit = 0;                // TsksLimitFutureDate
    int pimSw = 0;                      // PimSw
};
// Whether the task is left out before grouping.
bool TaskExcluded(const TTask& task, int32_t today, const TaskGroupOptions& opt);

struct GroupKey {
    int32_t key = 0;
    std::wstring title;  // set where the key alone does not name the group
    bool operator==(const GroupKey& o) const { return key == o.key && title == o.title; }
};
// The groups the task joins; empty for an unknown grouping. `names` gives the
// category titles (may be null).
std::vector<GroupKey> TaskGroupKeys(const TTask& task, int32_t today, int grouping,
                                    const CategoryLookup* names, const TextSource& text);

// The task's date prefix on the Tasks tab.
struct TaskPrefixOptions {
    int dateFormat = 3;              // TsksDateFrmt
    bool useCustom = false;          // UseCustomDateTsks
    int customStruct = 0;            // TsksCustomDateStruct
    std::wstring customStart, customEnd;  // CustomDateFrmtStart / CustomDateFrmtEnd
    bool removeUndatedLeading = false;    // RemoveUndatedLeadingStr
};
std::wstring TaskDatePrefix(const TTask& task, const TaskPrefixOptions& opt,
                            const DateTimeFormat& fmt, const TextSource& text);

// ContactsGrouping: hands out the groups contacts join, creating company groups
// as they first appear.
class ContactGrouper {
public:
    ContactGrouper(int mode, const CategoryLookup* names, const TextSource& text)
        : mode_(mode), names_(names), text_(text) {}
    // Empty when the mode does not group contacts.
    std::vector<GroupKey> Groups(const std::vector<int32_t>& categories, const std::wstring& company);
    size_t companyGroups() const { return companies_.size(); }

private:
    int mode_;
    const CategoryLookup* names_;
    const TextSource& text_;
    std::vector<GroupKey> companies_;
    bool noCompany_ = false;
};

// Files `c` under each group of `keys` (copies after the first: a contact in two
// categories is listed in both), making the groups as needed. Key -1 is the group
// without a sort key. Returns false, dropping the contact, when `keys` is empty.
bool FileContact(TGroupingTitlesList& list, std::unique_ptr<TContactItem> c, const std::vector<GroupKey>& keys,
                 const ContactOrder& order);

// Task ordering: key 0 due, 1 start, 2 importance, 3 completion, 4 sensitivity,
// 5 title, 6 priority code; direction 1 or -1. Positive: `a` sorts first.
struct SortKey {
    int key = 0;
    int direction = 1;
};
// Locale comparison of titles ignoring case; negative when `a` is less.
using TitleCompare = int (*)(const std::wstring& a, const std::wstring& b);
int CompareTasksBy(const TTask& a, const TTask& b, const SortKey& key, TitleCompare compare);
int CompareTasks(const TTask& a, const TTask& b, const std::vector<SortKey>& keys, TitleCompare compare);

// --- Geometry inputs read from settings ----------------------------------------------
// The hours a timeline covers, from TimelinesStart and TimelinesLength; always
// 0 <= first <= last <= 24.
struct HourSpan {
    int first = 0, last = 24;
};
HourSpan TimelineHours(int start, int length);

enum class ContactRowForm { kNone, kList, kPicture };
// ContactsLayout 0 and 1 list, 2 picture (list without a picture when hidden);
// anything else draws nothing.
ContactRowForm ContactRowFormFor(int layout, bool hasPicture, bool hideNoPicture);

}  // namespace daybrim
