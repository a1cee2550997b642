// The Calendar tab's agenda, without a window: the sections the store's day
// lists become (keys, titles, fold state, counts, visibility, conflicts and the
// timeline of each day), the order of the items inside a section, the texts and
// colours of the appointment and task rows, and the ordered rows the tab shows.
// Platform-neutral: words come through a TextSource, dates and times through a
// DateTimeFormat, settings through AgendaSettings, so every rule runs in tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "item_text.h"
#include "items.h"
#include "scale.h"

namespace daybrim {

// Section keys; a day section's key is its day number.
constexpr uint32_t kSectionOverdue = 1, kSectionUndated = 2, kSectionMail = 3, kSectionLater = 80000;

// The language library's strings the agenda uses.
namespace agenda_text {
constexpr unsigned kNoSubject = 3, kAllDay = 71, kToday = 73, kOverdue = 79, kLater = 80;
constexpr unsigned kUndated = 40153, kMail = 40167, kTomorrow = 40169;
}  // namespace agenda_text

constexpr uint32_t kNoColour = 0xFFFFFFFFu;  // a colour setting left to the skin
constexpr uint32_t kConflictColour = 0x0000FF;

// The category colour of an item (Part of the category table on the handheld).
class CategoryColours {
public:
    virtual ~CategoryColours() = default;
    virtual uint32_t Colour(const TItemWithCategory& item) const = 0;  // kNoColour: none
};

// The unread count a mail-account row adds to its section; the mail tab's rows
// answer it, anything else counts one.
using MailUnread = int (*)(const TChildItem& row);

// Every value the agenda acts on, read once from the settings (the handheld fills
// it from CSettings, tests directly). Colours are COLORREF values.
struct AgendaSettings {
    int numDays = 7;                 // dNumOfDays
    // Sections
    int foldingDefault = 0;          // FoldingDfltState: 0 open, 1 folded, 2 folded and auto
    bool keepTodayOpen = false;      // SkinTodayWhenCollpsAll
    bool hideEmptyDays = true;       // HideNoAppoDays
    bool forceTodayTitle = false;    // ForceTodayTitleDsply
    bool includeMail = false;        // IncludeMainOnCal
    bool mailHideWhenZero = false;   // MailHideWhenZeroMsgs
    bool mailUnderToday = false;     // HideMailTtlUnderToday
    bool includeOverdue = true;      // IncldOverDueTsksInCR
    bool includeUndated = false;     // IncldUndatedTsksInCR
    bool includeLater = true;        // IncldFutureTsksInCR
    bool overdueUnderToday = false;  // HideOverDueTsksDayTtl
    bool undatedUnderToday = false;  // HideUndatedTsksDayTtl
    int titlesOrder[6] = {0, 1, 2, 3, 4, 5};  // CalTitlesOrder0..5
    // Day titles
    int dayTitleFormat = 1;          // DayTtlFrmt
    std::wstring customDayTitle;     // CustomDayttlFrmtDefault
    bool tomorrowTitle = true;       // ShowTomorrowTtl
    bool dateInTodayTitle = false;   // AppendDateToTodayTtl
    bool daysCountInTitle = false;   // AppendDaysCountTottl
    bool weekNumberInTitle = false;  // AppendWeekNumTottl
    int weekRule = 0;                // from FirstWeekInYear and the locale (WeekRuleFromSetting)
    int monthlyStartDay = 0;         // MonthlyStartDay
    bool dayFirstRangeText = false;  // MonthlyPopupCalDateFrmt == 1
    // Appointment rows
    bool twelveHour = false;         // TimeFormat != 0
    bool twoDigitHours = false;      // Force2DigitsTImeFrmt
    int humanTime = 0;               // HumanTime
    int apptDisplayFormat = 6;       // ApptDisplayFormat
    bool hidePassed = false;         // dAppoPassedToday
    bool includeTasks = true;        // IncldTasksInCR
    int dueDateFormat = 0;           // DueDateTsksDateFrmt
    // Order
    bool tasksWithAppts = false;     // ClrSortTsksWithAppts
    bool tasksBeforeAppts = false;   // PaintTsksBeforeAppts
    int tasksSubsort = 0;            // TasksSubsortOnCal
    // Colours
    int textColourMode = 0;          // ClrTextColor
    uint32_t highlightText = kNoColour, generalText = kNoColour;
    uint32_t statusFont[4] = {kNoColour, kNoColour, kNoColour, kNoColour};  // free, tentative, busy, out
    uint32_t statusColour[4] = {0x58FC79, 0xF8A068, 0xF80000, 0x800418};    // ClrStatus*
    uint32_t pastText = kNoColour, completedText = kNoColour;              // FontCalPast, FontCalCompleted
    uint32_t tasksText = kNoColour, tasksOverdue = kNoColour, tasksUndated = kNoColour,
             tasksLater = kNoColour, tasksCompleted = kNoColour;           // FontCalTasks*
    // Conflicts and timelines
    bool titleCounters = false;      // IncldCounters
    bool mailCounter = true;         // ShowMailCounterOnTtl
    int conflicting = 1;             // Conflicting
    int timeLines = 2;               // TimeLines
    bool freeOffTimeline = false;    // FilterFreeApptsFromTL
    int timelinesStart = 0, timelinesLength = 18, horZoom = 1, vertZoom = 1;
    uint32_t timelineBackground = 0xFFFFFF, timelineDefault = 0x6E322C;

    const CategoryColours* categoryColours = nullptr;
    MailUnread mailUnread = nullptr;
    TitleCompare titleCompare = nullptr;  // the locale's caseless order; null: a simple one
};

// --- Sections ------------------------------------------------------------------------
struct TimelineSlots {
    bool occupied[48] = {};
    uint32_t colour[48];
    bool hasAllDay = false;
    uint32_t allDayColour = kNoColour;
    TimelineSlots() {
        for (uint32_t& c : colour) c = kNoColour;
    }
};

// What the agenda keeps of a section beside the store's list (the fold flag and
// the title live in the TDailyList itself, where the list machinery reads them).
struct SectionState : SectionExtra {
    std::wstring shortDayName;  // the day's "ddd", at most three characters
    int appointments = 0, tasks = 0, mail = 0;  // shown children
    int total() const { return appointments + tasks + mail; }
    std::vector<const TApptItem*> conflicting;
    TimelineSlots timeline;
};

// --- Rows ----------------------------------------------------------------------------
enum class RowKind { kTitle, kItem, kEmptyGroup, kEmptyList };

struct AgendaRow {
    RowKind kind = RowKind::kEmptyList;
    TDailyList* section = nullptr;  // null only for the empty-list placeholder
    TChildItem* item = nullptr;     // kItem only
};

// The texts of an appointment row on one day.
struct AppointmentTexts {
    std::wstring subject;     // without the done markers; the no-subject text when empty
    std::wstring timeText;    // the short or long form as ApptDisplayFormat asks; empty for all-day
    std::wstring longTime;    // the long form always; empty for all-day
    std::wstring timePrefix;  // formats below 11: the time text and ":"
    std::wstring firstLine, secondLine;
    bool completed = false;   // marked done in its subject
};

// The bar in a day title: columns in bar coordinates (x from 0).
struct TimelineBar {
    int width = 0, height = 0;
    uint32_t background = 0xFFFFFF;
    struct Column {
        int x = 0, width = 0;
        uint32_t colour = 0;
    };
    std::vector<Column> columns;
    bool allDayLine = false;
    int allDayTop = 0, allDayBottom = 0;
    uint32_t allDayColour = 0;
};

// --- Neutral rules -------------------------------------------------------------------
// The day title of `day` with `today` (section keys 1, 2, 3 and 80000 take their
// library strings).
std::wstring SectionTitle(uint32_t key, int32_t today, const AgendaSettings& s, const TextSource& text,
                          const DateTimeFormat& fmt);
// "ddd" of the day, formatted whole and cut to three characters (never inside a
// surrogate pair).
std::wstring ShortDayName(int32_t day, const DateTimeFormat& fmt);
// The time picture for TimeFormat and Force2DigitsTImeFrmt.
const wchar_t* TimePicture(bool twelveHour, bool twoDigits);
AppointmentTexts AppointmentTextsOn(const TApptItem& a, int32_t day, const AgendaSettings& s,
                                    const TextSource& text, const DateTimeFormat& fmt);
// Whether two appointments conflict: both timed, neither free, strictly overlapping.
bool Conflict(const TApptItem& a, const TApptItem& b);
// Marks the 48 half-hour slots of `day` for one appointment.
void MarkSlots(TimelineSlots& slots, const TApptItem& a, int32_t day, uint32_t colour);
TimelineBar BuildTimelineBar(const TimelineSlots& slots, const AgendaSettings& s, const Scaler& sc);
// Positive when `a` belongs before `b` in section `key`.
int CompareInSection(const TChildItem& a, const TChildItem& b, uint32_t key, const AgendaSettings& s);
// The range text: the first day (or "today" when not browsing) and, for more than
// one day, the separator and the last day; "dd/MM" or "MM/dd".
std::wstring RangeText(int32_t first, int32_t last, bool browsing, bool inCaption, const AgendaSettings& s,
                       const TextSource& text, const DateTimeFormat& fmt);

// --- The agenda ----------------------------------------------------------------------
struct AgendaRange {
    int32_t first = 0, last = -1;  // day numbers
    bool browsing = false;
};

class AgendaModel {
public:
    AgendaModel(AgendaSettings settings, const TextSource& text, const DateTimeFormat& fmt)
        : s_(std::move(settings)), text_(text), fmt_(fmt) {}

    // Takes the store's day lists anew (after a load, a change or a new day): new
    // sections get their title and fold default, every section its counts, its
    // conflicts, its timeline and its visibility; a section whose count went to
    // zero or away from it folds or opens (FoldingDfltState 2). `now` is the local
    // time as an OLE date, `today` its day.
    void Sync(ItemList& days, const AgendaRange& range, int32_t today, double now);

    // The rows in the tab's order: titles, the shown children of open sections,
    // the empty-group placeholder of an open section with none, and the empty-list
    // placeholder when nothing at all is shown.
    std::vector<AgendaRow> Rows() const;

    void FoldAll();    // today stays open with SkinTodayWhenCollpsAll
    void UnfoldAll();

    // Per-section and per-item answers for the drawing.
    TDailyList* Section(uint32_t key) const;
    static const SectionState* State(const TDailyList& section);
    bool Shown(const TChildItem& item) const;  // filters, passed, IncldTasksInCR
    bool Passed(const TChildItem& item) const;
    bool Conflicting(const TChildItem& item) const;
    AppointmentTexts Texts(const TApptItem& a) const;  // on its section's day
    uint32_t AppointmentColour(const TApptItem& a, bool highlighted) const;
    // The class a task row is drawn in: its colour and, with FontGnrlUseAdvncd,
    // its font (FontCalTasksCompleted, ...Undated, ...Overdue, ...Future, FontCalTasks).
    enum class TaskStyle { kCompleted, kUndated, kOverdue, kLater, kDay, kGeneral };
    TaskStyle TaskStyleOf(const TTask& t) const;
    uint32_t TaskColour(const TTask& t, bool highlighted) const;
    std::wstring TaskPrefix(const TTask& t) const;  // its time or due date, on its section
    // Whether a day title carries the timeline bar, and the bar.
    bool HasTimeline(const TDailyList& section) const;
    TimelineBar Timeline(const TDailyList& section, const Scaler& sc) const;
    // The counters a section title shows; -1 for a counter it does not show.
    struct Counters {
        int appointments = -1, tasks = -1, mail = -1;
    };
    Counters TitleCounters(const TDailyList& section) const;
    std::wstring RangeText(bool inCaption) const;

    const AgendaSettings& settings() const { return s_; }
    const AgendaRange& range() const { return range_; }
    int32_t today() const { return today_; }

private:
    void Construct(TDailyList& d);
    void Update(TDailyList& d);
    bool SectionVisible(const TDailyList& d, const SectionState& st) const;
    void AppendGroup(std::vector<AgendaRow>& rows, TDailyList* d) const;
    uint32_t StatusColour(int busy) const;

    AgendaSettings s_;
    const TextSource& text_;
    const DateTimeFormat& fmt_;
    ItemList* days_ = nullptr;
    AgendaRange range_;
    int32_t today_ = 0;
    double now_ = 0;
};

}  // namespace daybrim
