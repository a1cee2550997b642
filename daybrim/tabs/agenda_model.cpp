#include "agenda_model.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "week_number.h"

namespace daybrim {

namespace {

template <typename T>
int Order3(const T& a, const T& b) {  // 1: a first
    return a < b ? 1 : (b < a ? -1 : 0);
}

bool IsSpecialKey(uint32_t key) {
    return key == kSectionOverdue || key == kSectionUndated || key == kSectionMail || key == kSectionLater;
}

bool IsSEvent(int kind) {
    return kind == kKindSEventOnCalendar || kind == kKindSEventContact || kind == kKindSEventAppt;
}

// A moment split into its day and its minute of the day, rounded to the minute
// (a stored 10:00 may read 9:59:59.999).
struct DayMinute {
    int32_t day = 0;
    int minute = 0;
};
DayMinute Split(double ole) {
    if (!std::isfinite(ole)) return {};
    double dayPart = std::floor(ole);
    long long minute = std::llround((ole - dayPart) * 1440.0);
    if (minute >= 1440) {
        minute -= 1440;
        dayPart += 1;
    }
    dayPart = std::clamp(dayPart, -1e9, 1e9);
    return {static_cast<int32_t>(dayPart), static_cast<int>(minute)};
}

int SimpleTitleCompare(const std::wstring& a, const std::wstring& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const wint_t x = std::towlower(a[i]), y = std::towlower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Positive when `a` sorts first by subject.
int BySubject(const std::wstring& a, const std::wstring& b, const AgendaSettings& s) {
    const int c = (s.titleCompare ? s.titleCompare : SimpleTitleCompare)(WithoutDoneMarker(a), WithoutDoneMarker(b));
    return c < 0 ? 1 : c > 0 ? -1 : 0;
}

bool LongForm(int apptDisplayFormat) {
    switch (apptDisplayFormat) {
    case 1: case 3: case 5: case 7: case 9: case 11: case 12: return true;
    default: return false;
    }
}

int FloorMod7(int v) { return ((v % 7) + 7) % 7; }

std::wstring LibraryOr(const TextSource& text, unsigned id, const std::wstring& fallback) {
    std::wstring s = text.String(id);
    return s.empty() ? fallback : s;
}

// Positive when the appointment belongs before the task.
int AppointmentAgainstTask(const TApptItem& a, const TTask& t, const AgendaSettings& s) {
    if (s.tasksWithAppts && t.reminderTime != 0) {
        if (a.allDay) return 1;
        if (int c = Order3(a.start, t.reminderTime)) return c;
        return BySubject(a.title, t.title, s);
    }
    return s.tasksBeforeAppts ? -1 : 1;
}

int TaskAgainstTask(const TTask& a, const TTask& b, uint32_t key, const AgendaSettings& s) {
    if (!IsSpecialKey(key) && s.tasksWithAppts) {
        const bool ta = a.reminderTime != 0, tb = b.reminderTime != 0;
        if (ta != tb) return (ta ? -1 : 1) * (s.tasksBeforeAppts ? 1 : -1);
        if (ta) {
            if (int c = Order3(a.due, b.due)) return c;
            if (int c = Order3(a.reminderTime, b.reminderTime)) return c;
            return BySubject(a.title, b.title, s);
        }
    }
    if (int c = Order3(a.due, b.due)) return c;
    if (int c = CompareTasksBy(a, b, SortKey{s.tasksSubsort, 1}, s.titleCompare)) return c;
    return BySubject(a.title, b.title, s);
}

int Rank(int kind) {
    if (kind == kKindMailAccount) return 0;
    if (IsSEvent(kind)) return 1;
    if (kind == kKindAppt || kind == kKindTask) return 2;
    return 3;
}

}  // namespace

// --- Texts ---------------------------------------------------------------------------
std::wstring ShortDayName(int32_t day, const DateTimeFormat& fmt) {
    std::wstring name = fmt.Date(day, L"ddd");
    if (name.size() > 3) {
        size_t n = 3;
        if (name[n - 1] >= 0xD800 && name[n - 1] <= 0xDBFF) --n;  // keep a pair whole
        name.resize(n);
    }
    return name;
}

namespace {
const wchar_t* DayPicture(int format) {
    switch (format) {
    case 0: return L"dddd',' MMM dd yyyy";
    case 2: return L"ddd',' MMM dd yyyy";
    case 3: return L"ddd',' MMM dd";
    case 6: return L"ddd',' dd MMM yyyy";
    default: return L"dddd',' MMM dd";
    }
}

std::wstring DayDate(int32_t day, const AgendaSettings& s, const DateTimeFormat& fmt) {
    std::wstring d;
    if (!s.customDayTitle.empty()) d = fmt.Date(day, s.customDayTitle.c_str());
    else if (s.dayTitleFormat == 4) d = fmt.Date(day, nullptr);
    else if (s.dayTitleFormat == 5) d = fmt.LongDate(day);
    else d = fmt.Date(day, DayPicture(s.dayTitleFormat));
    if (d.size() > 256) d.resize(256);
    return d;
}
}  // namespace

std::wstring SectionTitle(uint32_t key, int32_t today, const AgendaSettings& s, const TextSource& text,
                          const DateTimeFormat& fmt) {
    switch (key) {
    case kSectionOverdue: return text.String(agenda_text::kOverdue);
    case kSectionUndated: return text.String(agenda_text::kUndated);
    case kSectionMail: return text.String(agenda_text::kMail);
    case kSectionLater: return text.String(agenda_text::kLater);
    default: break;
    }
    const int32_t day = static_cast<int32_t>(key);
    const std::wstring date = DayDate(day, s, fmt);
    std::wstring title = date;
    // Without the library's word the date stands alone rather than an empty title.
    auto named = [&](unsigned id) {
        const std::wstring word = text.String(id);
        if (word.empty()) return;
        title = word;
        if (s.dateInTodayTitle) title += L", " + date;
    };
    if (day == today) named(agenda_text::kToday);
    else if (day == today + 1 && s.tomorrowTitle) named(agenda_text::kTomorrow);
    if (s.daysCountInTitle && day != today) title += FormatNumber(L" [%d]", day - today);
    if (s.weekNumberInTitle) {
        const int firstWeekday = FloorMod7(s.monthlyStartDay + 1);
        const int weekStart = day - FloorMod7(Weekday(day) - firstWeekday);
        title += FormatNumber(L" (%d)", WeekNumber(s.weekRule, weekStart));
    }
    return title;
}

const wchar_t* TimePicture(bool twelveHour, bool twoDigits) {
    if (twelveHour) return twoDigits ? L"hh:mmt" : L"h:mmt";
    return twoDigits ? L"HH:mm" : L"H:mm";
}

AppointmentTexts AppointmentTextsOn(const TApptItem& a, int32_t day, const AgendaSettings& s,
                                    const TextSource& text, const DateTimeFormat& fmt) {
    AppointmentTexts t;
    t.completed = HasDoneMarker(a.title);
    t.subject = t.completed ? WithoutDoneMarker(a.title) : a.title;
    if (t.subject.empty()) t.subject = text.String(agenda_text::kNoSubject);

    if (!a.allDay) {
        const wchar_t* pic = TimePicture(s.twelveHour, s.twoDigitHours);
        const std::wstring S = fmt.Time(a.start, pic), E = fmt.Time(a.end, pic);
        const std::wstring A = text.String(agenda_text::kAllDay);
        const DayMinute st = Split(a.start), en = Split(a.end);
        // An end exactly at midnight belongs to the day before it.
        int32_t lastDay = en.day;
        if (en.minute == 0 && en.day > st.day) --lastDay;
        if (a.end <= a.start) lastDay = st.day;
        const bool multi = lastDay > st.day;
        std::wstring shortForm, longForm;
        if (multi && day > st.day && day < lastDay) {
            shortForm = longForm = A;
        } else if (multi && day > st.day) {
            longForm = A + L"-" + E;
            shortForm = L">" + E;
        } else {
            shortForm = S;
            const bool endsTonight = en.day <= st.day || en.minute == 0 ||
                                     (en.day == st.day + 1 && en.minute < s.humanTime * 60);
            longForm = S + L"-" + (endsTonight ? E : A);
        }
        t.longTime = longForm;
        t.timeText = LongForm(s.apptDisplayFormat) ? longForm : shortForm;
    }
    if (s.apptDisplayFormat < 11 && !t.timeText.empty()) t.timePrefix = t.timeText + L":";

    const std::wstring& loc = a.location;
    t.firstLine = t.subject;
    switch (s.apptDisplayFormat) {
    case 1: case 2:
        if (!loc.empty()) t.secondLine = L"(" + loc + L")";
        break;
    case 3: case 4: case 7: case 8:
        if (!loc.empty()) t.firstLine += L" (" + loc + L")";
        break;
    case 11: case 12:
        if (!a.allDay) t.secondLine = L"[" + t.longTime + L"]";
        if (s.apptDisplayFormat == 11 && !loc.empty())
            t.secondLine += (t.secondLine.empty() ? L"(" : L" (") + loc + L")";
        break;
    default: break;
    }
    return t;
}

std::wstring RangeText(int32_t first, int32_t last, bool browsing, bool inCaption, const AgendaSettings& s,
                       const TextSource& text, const DateTimeFormat& fmt) {
    const wchar_t* pic = s.dayFirstRangeText ? L"dd/MM" : L"MM/dd";
    std::wstring r = browsing ? fmt.Date(first, pic) : LibraryOr(text, agenda_text::kToday, fmt.Date(first, pic));
    if (last > first) r += (inCaption ? L"-" : L" - ") + fmt.Date(last, pic);
    return r;
}

// --- Conflicts and timelines -----------------------------------------------------------
bool Conflict(const TApptItem& a, const TApptItem& b) {
    if (a.allDay || b.allDay || a.busy == 0 || b.busy == 0) return false;
    return b.start < a.end && b.end > a.start;
}

void MarkSlots(TimelineSlots& slots, const TApptItem& a, int32_t day, uint32_t colour) {
    if (a.allDay) {
        slots.hasAllDay = true;
        slots.allDayColour = colour;
        return;
    }
    const DayMinute st = Split(a.start), en = Split(a.end);
    auto mark = [&](int from, int to) {  // inclusive; outside 0..47 never
        for (int i = std::max(from, 0); i <= std::min(to, 47); ++i) {
            slots.occupied[i] = true;
            slots.colour[i] = colour;
        }
    };
    const int S = 2 * (st.minute / 60) + (st.minute % 60 >= 30 ? 1 : 0);
    const int E = 2 * (en.minute / 60), endMinute = en.minute % 60;
    auto markEnd = [&](int from) {
        mark(from, E - 1);
        if (endMinute >= 15) mark(E, E);
        if (endMinute >= 45) mark(E + 1, E + 1);
    };
    if (day > st.day && day < en.day) mark(0, 47);
    else if (day == st.day && en.day == st.day) markEnd(S);
    else if (day == st.day && en.day > st.day) mark(S, 47);
    else if (day == en.day && st.day < en.day) markEnd(0);
}

TimelineBar BuildTimelineBar(const TimelineSlots& slots, const AgendaSettings& s, const Scaler& sc) {
    TimelineBar bar;
    const HourSpan hours = TimelineHours(s.timelinesStart, s.timelinesLength);
    const int horZ = s.horZoom == 2 ? 2 : 1;
    const int vertZ = std::clamp(s.vertZoom, 1, 8);
    bar.width = sc.X(hours.last - hours.first) * horZ;
    bar.height = 2 * sc.X(2) * vertZ;
    bar.background = s.timelineBackground;
    const int perColumn = horZ == 2 ? 1 : 2;  // slots per column
    const int first = 2 * hours.first, count = 2 * (hours.last - hours.first) / perColumn;
    for (int c = 0; c < count; ++c) {
        const int slot = first + c * perColumn;
        uint32_t colour = kNoColour;
        bool occupied = false;
        for (int k = perColumn - 1; k >= 0; --k) {  // the first half's colour wins
            if (!slots.occupied[slot + k]) continue;
            occupied = true;
            colour = slots.colour[slot + k];
        }
        if (!occupied) continue;
        TimelineBar::Column col;
        col.x = c * bar.width / count;
        col.width = (c + 1) * bar.width / count - col.x;
        if (col.width <= 0) continue;  // a bar narrower than its columns drops some
        col.colour = colour == kNoColour ? s.timelineDefault : colour;
        bar.columns.push_back(col);
    }
    if (slots.hasAllDay) {
        bar.allDayLine = true;
        bar.allDayTop = sc.Y(3);
        bar.allDayBottom = sc.Y(4);
        bar.allDayColour = slots.allDayColour == kNoColour ? s.timelineDefault : slots.allDayColour;
    }
    return bar;
}

// --- Order -----------------------------------------------------------------------------
int CompareInSection(const TChildItem& a, const TChildItem& b, uint32_t key, const AgendaSettings& s) {
    const int ka = a.Kind(), kb = b.Kind();
    if (int c = Order3(Rank(ka), Rank(kb))) return c;
    if (IsSEvent(ka)) return BySubject(static_cast<const TSEvent&>(a).title, static_cast<const TSEvent&>(b).title, s);
    if (ka == kKindAppt && kb == kKindAppt) {
        const auto& x = static_cast<const TApptItem&>(a);
        const auto& y = static_cast<const TApptItem&>(b);
        if (x.allDay != y.allDay) return x.allDay ? 1 : -1;
        if (!x.allDay) {
            if (int c = Order3(x.start, y.start)) return c;
            if (int c = Order3(x.end, y.end)) return c;
        }
        return BySubject(x.title, y.title, s);
    }
    if (ka == kKindAppt && kb == kKindTask)
        return AppointmentAgainstTask(static_cast<const TApptItem&>(a), static_cast<const TTask&>(b), s);
    if (ka == kKindTask && kb == kKindAppt)
        return -AppointmentAgainstTask(static_cast<const TApptItem&>(b), static_cast<const TTask&>(a), s);
    if (ka == kKindTask && kb == kKindTask)
        return TaskAgainstTask(static_cast<const TTask&>(a), static_cast<const TTask&>(b), key, s);
    return 0;
}

// --- The agenda --------------------------------------------------------------------------
const SectionState* AgendaModel::State(const TDailyList& section) {
    return static_cast<const SectionState*>(section.extra.get());
}

TDailyList* AgendaModel::Section(uint32_t key) const {
    return days_ ? static_cast<TDailyList*>(days_->Find(key)) : nullptr;
}

void AgendaModel::Sync(ItemList& days, const AgendaRange& range, int32_t today, double now) {
    days_ = &days;
    range_ = range;
    today_ = today;
    now_ = now;
    for (TItem* i = days.head(); i; i = i->next()) {
        auto& d = static_cast<TDailyList&>(*i);
        if (!d.extra) Construct(d);
        Update(d);
    }
}

void AgendaModel::Construct(TDailyList& d) {
    auto st = std::make_unique<SectionState>();
    const bool folds = s_.foldingDefault == 1 || s_.foldingDefault == 2;
    d.folded = folds && !(s_.keepTodayOpen && int32_t(d.Id()) == today_) ? 1 : 0;
    d.extra = std::move(st);
}

void AgendaModel::Update(TDailyList& d) {
    auto& st = static_cast<SectionState&>(*d.extra);
    const uint32_t key = d.Id();
    // A special section keeps the store's title when the library has no word for it.
    std::wstring title = SectionTitle(key, today_, s_, text_, fmt_);
    if (!title.empty() || !IsSpecialKey(key)) d.title = std::move(title);
    st.shortDayName = IsSpecialKey(key) ? std::wstring() : ShortDayName(int32_t(key), fmt_);

    const int before = st.total();
    st.appointments = st.tasks = st.mail = 0;
    for (TChildItem* c : d.children()) {
        if (!Shown(*c)) continue;
        switch (c->Kind()) {
        case kKindTask: ++st.tasks; break;
        case kKindMailAccount: st.mail += s_.mailUnread ? s_.mailUnread(*c) : 1; break;
        case kKindAppt: ++st.appointments; break;
        default:
            if (IsSEvent(c->Kind())) ++st.appointments;
            break;
        }
    }
    // The automatic folding follows changes: a section is folded when its last
    // item went away and opened when its first arrived, and left as the user set
    // it otherwise.
    if (s_.foldingDefault == 2) {
        const int after = st.total();
        if (before > 0 && after == 0 && !d.folded) d.folded = 1;
        else if (before == 0 && after > 0 && d.folded) d.folded = 0;
    }

    st.conflicting.clear();
    if (s_.conflicting != 0) {
        std::vector<const TApptItem*> appts;
        for (TChildItem* c : d.children())
            if (c->Kind() == kKindAppt) appts.push_back(static_cast<const TApptItem*>(c));
        std::vector<bool> marked(appts.size());
        for (size_t i = 0; i < appts.size(); ++i)
            for (size_t j = i + 1; j < appts.size(); ++j)
                if (Conflict(*appts[i], *appts[j])) marked[i] = marked[j] = true;
        for (size_t i = 0; i < appts.size(); ++i)
            if (marked[i]) st.conflicting.push_back(appts[i]);
    }

    st.timeline = TimelineSlots();
    if (s_.timeLines != 0 && !IsSpecialKey(key)) {
        for (TChildItem* c : d.children()) {
            if (c->Kind() != kKindAppt) continue;
            auto& a = static_cast<TApptItem&>(*c);
            if (!a.IsVisible()) continue;
            if (s_.freeOffTimeline && a.busy == 0) continue;
            uint32_t colour = s_.timeLines == 2 ? (s_.categoryColours ? s_.categoryColours->Colour(a) : kNoColour)
                                                : StatusColour(a.busy);
            if (s_.conflicting == 2 && Conflicting(a)) colour = kConflictColour;
            MarkSlots(st.timeline, a, int32_t(key), colour);
        }
    }
    st.visible = SectionVisible(d, st);
    d.MarkVisibilityStale();
}

uint32_t AgendaModel::StatusColour(int busy) const {
    return busy >= 0 && busy <= 3 ? s_.statusColour[busy] : kNoColour;
}

bool AgendaModel::SectionVisible(const TDailyList& d, const SectionState& st) const {
    const uint32_t key = d.Id();
    if (IsSpecialKey(key) && range_.browsing) return false;
    switch (key) {
    case kSectionOverdue: return s_.includeOverdue && !s_.overdueUnderToday && st.tasks > 0;
    case kSectionUndated: return s_.includeUndated && !s_.undatedUnderToday && st.tasks > 0;
    case kSectionLater: return s_.includeLater && st.tasks > 0;
    case kSectionMail: return s_.includeMail && !s_.mailUnderToday && (!s_.mailHideWhenZero || st.mail != 0);
    default: break;
    }
    if (!s_.hideEmptyDays) return true;
    if (int32_t(key) == today_ && (s_.forceTodayTitle || (s_.includeMail && !s_.mailHideWhenZero))) return true;
    return st.total() >= 1;
}

bool AgendaModel::Passed(const TChildItem& item) const {
    if (item.Kind() != kKindAppt || !item.parent) return false;
    const auto& a = static_cast<const TApptItem&>(item);
    return !a.allDay && int32_t(item.parent->Id()) == today_ && a.end < now_;
}

bool AgendaModel::Shown(const TChildItem& item) const {
    auto& c = const_cast<TChildItem&>(item);  // the filters only read
    switch (item.Kind()) {
    case kKindAppt: return c.IsVisible() && !(s_.hidePassed && Passed(item));
    case kKindTask: return s_.includeTasks && c.IsVisible();
    case kKindMailAccount: return true;
    default: return IsSEvent(item.Kind()) ? c.IsVisible() : true;
    }
}

bool AgendaModel::Conflicting(const TChildItem& item) const {
    if (item.Kind() != kKindAppt || !item.parent) return false;
    const SectionState* st = State(static_cast<const TDailyList&>(*item.parent));
    return st && std::find(st->conflicting.begin(), st->conflicting.end(), &item) != st->conflicting.end();
}

AppointmentTexts AgendaModel::Texts(const TApptItem& a) const {
    const int32_t day = a.parent ? int32_t(a.parent->Id()) : Split(a.start).day;
    return AppointmentTextsOn(a, day, s_, text_, fmt_);
}

uint32_t AgendaModel::AppointmentColour(const TApptItem& a, bool highlighted) const {
    if (highlighted) return s_.highlightText;
    if (s_.textColourMode == 2) {
        const uint32_t c = s_.categoryColours ? s_.categoryColours->Colour(a) : kNoColour;
        return c == kNoColour ? s_.generalText : c;
    }
    uint32_t colour;
    if (s_.textColourMode == 1) {
        colour = StatusColour(a.busy);
    } else {
        colour = a.busy >= 0 && a.busy <= 3 ? s_.statusFont[a.busy] : kNoColour;
    }
    if (colour == kNoColour) colour = s_.generalText;
    if (!range_.browsing && s_.pastText != kNoColour && Passed(a)) colour = s_.pastText;
    if (s_.completedText != kNoColour && (a.completed || HasDoneMarker(a.title))) colour = s_.completedText;
    return colour;
}

AgendaModel::TaskStyle AgendaModel::TaskStyleOf(const TTask& t) const {
    const bool undated = t.due >= kNoDate;
    if (t.completed && s_.tasksCompleted != kNoColour) return TaskStyle::kCompleted;
    if (s_.undatedUnderToday && undated && s_.tasksUndated != kNoColour) return TaskStyle::kUndated;
    if (s_.overdueUnderToday && !undated && std::floor(t.due) < today_ && s_.tasksOverdue != kNoColour)
        return TaskStyle::kOverdue;
    switch (t.parent ? t.parent->Id() : kSectionMail) {
    case kSectionOverdue: return TaskStyle::kOverdue;
    case kSectionUndated: return TaskStyle::kUndated;
    case kSectionLater: return TaskStyle::kLater;
    case kSectionMail: return TaskStyle::kGeneral;
    default: return TaskStyle::kDay;
    }
}

uint32_t AgendaModel::TaskColour(const TTask& t, bool highlighted) const {
    if (highlighted) return s_.highlightText;
    uint32_t c = kNoColour;
    if (s_.textColourMode == 2) {
        c = s_.categoryColours ? s_.categoryColours->Colour(t) : kNoColour;
    } else {
        switch (TaskStyleOf(t)) {
        case TaskStyle::kCompleted: c = s_.tasksCompleted; break;
        case TaskStyle::kUndated: c = s_.tasksUndated; break;
        case TaskStyle::kOverdue: c = s_.tasksOverdue; break;
        case TaskStyle::kLater: c = s_.tasksLater; break;
        case TaskStyle::kDay: c = s_.tasksText; break;
        case TaskStyle::kGeneral: break;
        }
    }
    return c == kNoColour ? s_.generalText : c;
}

std::wstring AgendaModel::TaskPrefix(const TTask& t) const {
    DuePrefixOptions o;
    o.dueDateFormat = s_.dueDateFormat;
    o.sortWithAppts = s_.tasksWithAppts;
    o.twoDigitHours = s_.twoDigitHours;
    return TaskDuePrefix(t, t.parent ? int32_t(t.parent->Id()) : today_, o, fmt_);
}

bool AgendaModel::HasTimeline(const TDailyList& section) const {
    return s_.timeLines != 0 && !IsSpecialKey(section.Id());
}

AgendaModel::Counters AgendaModel::TitleCounters(const TDailyList& section) const {
    Counters c;
    const SectionState* st = State(section);
    if (!st) return c;
    switch (section.Id()) {
    case kSectionMail:
        if (s_.mailCounter) c.mail = st->mail;
        break;
    case kSectionOverdue:
    case kSectionUndated:
    case kSectionLater:
        if (s_.titleCounters) c.tasks = st->tasks;
        break;
    default:
        if (s_.titleCounters) c.appointments = st->appointments, c.tasks = st->tasks;
        break;
    }
    return c;
}

TimelineBar AgendaModel::Timeline(const TDailyList& section, const Scaler& sc) const {
    const SectionState* st = State(section);
    return BuildTimelineBar(st ? st->timeline : TimelineSlots(), s_, sc);
}

std::wstring AgendaModel::RangeText(bool inCaption) const {
    return daybrim::RangeText(range_.first, range_.last, range_.browsing, inCaption, s_, text_, fmt_);
}

void AgendaModel::FoldAll() {
    if (!days_) return;
    for (TItem* i = days_->head(); i; i = i->next()) {
        auto& d = static_cast<TDailyList&>(*i);
        d.folded = s_.keepTodayOpen && int32_t(d.Id()) == today_ ? 0 : 1;
    }
}

void AgendaModel::UnfoldAll() {
    if (!days_) return;
    for (TItem* i = days_->head(); i; i = i->next()) static_cast<TDailyList&>(*i).folded = 0;
}

// --- Rows ------------------------------------------------------------------------------
void AgendaModel::AppendGroup(std::vector<AgendaRow>& rows, TDailyList* d) const {
    if (!d) return;
    const SectionState* st = State(*d);
    if (!st || !st->visible) return;  // IsVisible() says the same to the list machinery
    rows.push_back({RowKind::kTitle, d, nullptr});
    if (d->folded) return;
    std::vector<TChildItem*> shown;
    for (TChildItem* c : d->children())
        if (Shown(*c)) shown.push_back(c);
    // Insertion: stable, and safe whatever the settings make of the order.
    const uint32_t key = d->Id();
    for (size_t i = 1; i < shown.size(); ++i)
        for (size_t j = i; j > 0 && CompareInSection(*shown[j], *shown[j - 1], key, s_) > 0; --j)
            std::swap(shown[j], shown[j - 1]);
    for (TChildItem* c : shown) rows.push_back({RowKind::kItem, d, c});
    if (shown.empty()) rows.push_back({RowKind::kEmptyGroup, d, nullptr});
}

std::vector<AgendaRow> AgendaModel::Rows() const {
    std::vector<AgendaRow> rows;
    if (days_) {
        for (int block : s_.titlesOrder) {
            switch (block) {
            case 0: AppendGroup(rows, Section(kSectionMail)); break;
            case 1: AppendGroup(rows, Section(kSectionOverdue)); break;
            case 2: AppendGroup(rows, Section(kSectionUndated)); break;
            case 3: AppendGroup(rows, Section(uint32_t(range_.first))); break;
            case 4:
                for (TItem* i = days_->head(); i; i = i->next()) {
                    const uint32_t key = i->Id();
                    if (int64_t(key) <= range_.first || int64_t(key) > range_.last || key >= kSectionLater) continue;
                    AppendGroup(rows, static_cast<TDailyList*>(i));
                }
                break;
            case 5: AppendGroup(rows, Section(kSectionLater)); break;
            default: break;
            }
        }
    }
    if (rows.empty()) rows.push_back({RowKind::kEmptyList, nullptr, nullptr});
    return rows;
}

}  // namespace daybrim
