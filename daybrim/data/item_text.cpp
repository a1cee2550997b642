#include "item_text.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "datetime.h"

namespace daybrim {

const wchar_t kDoneOpen[] = L"<\u2022>";
const wchar_t kDoneClose[] = L"</\u2022>";

namespace {

bool HasDate(double d) { return d != kNoDate; }

std::wstring Upper(const std::wstring& s) {
    std::wstring r = s;
    for (wchar_t& c : r) c = static_cast<wchar_t>(std::towupper(c));
    return r;
}

// Results of the ordering keys: positive when `a` sorts first.
int Earlier(double a, double b) { return a < b ? 1 : a > b ? -1 : 0; }
int Higher(int a, int b) { return a > b ? 1 : a < b ? -1 : 0; }

}  // namespace

std::wstring FormatNumber(const std::wstring& format, long long n) {
    std::wstring r;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size()) {
            if (format[i + 1] == L'd') {
                r += std::to_wstring(n);
                ++i;
                continue;
            }
            if (format[i + 1] == L'%') {
                r += L'%';
                ++i;
                continue;
            }
        }
        r += format[i];
    }
    return r;
}

std::wstring AccountTitle(int format, int unread, int read, const std::wstring& name,
                          const TextSource& text) {
    const std::wstring u = std::to_wstring(unread);
    switch (format) {
    case 1:
        return L"(" + u + L") " + name;
    case 2:
        return u + L": " + name;
    case 3:
        if (unread > 0) return name + L": " + u + L" " + text.String(text_id::kUnread);
        return name + L": " + text.String(text_id::kNoNewMessages);
    default:
        return L"(" + u + L"/" + std::to_wstring(static_cast<long long>(unread) + read) + L") " + name;
    }
}

std::wstring SpecialEventLine(int dateFormat, double date, const std::wstring& name, EventKind kind,
                              int years, const DateTimeFormat& fmt, const TextSource& text) {
    static const wchar_t* const kPictures[] = {L"MM/dd", L"MM/dd/yy", L"dd/MM", L"dd/MM/yy"};
    std::wstring r;
    if (dateFormat >= 1 && dateFormat <= 4 && HasDate(date))
        r = L"[" + fmt.Date(date, kPictures[dateFormat - 1]) + L"] ";
    r += name;
    if (kind == EventKind::kAppointment) return r;
    r += L" " + text.String(kind == EventKind::kBirthday ? text_id::kBirthday : text_id::kAnniversary);
    r += L" (" + std::to_wstring(years) + L")";
    return r;
}

std::wstring DaysUntil(int days, const TextSource& text) {
    if (days == 0) return text.String(text_id::kToday);
    if (days == 1) return text.String(text_id::kTomorrow);
    return FormatNumber(text.String(text_id::kInDays), days);
}

std::wstring DateOrTimeColumn(double date, int32_t today, const DateTimeFormat& fmt) {
    if (DayOf(date) != today) return fmt.Date(date, fmt.MonthOrYearFirst() ? L"MM/dd" : L"dd/MM");
    return fmt.Time(date, fmt.TwelveHour() ? L"h:mmt" : L"H:mm");
}

std::wstring SizeColumn(uint64_t bytes) {
    wchar_t buf[48];
    std::swprintf(buf, 48, L"%.2lfK", static_cast<double>(bytes) / 1024.0);
    return buf;
}

std::wstring TaskDuePrefix(const TTask& task, int32_t day, const DuePrefixOptions& opt,
                           const DateTimeFormat& fmt) {
    const bool onDueDay = HasDate(task.due) && DayOf(task.due) == day;
    if (task.reminder.value != 0.0 && opt.sortWithAppts && onDueDay) {
        const wchar_t* picture = fmt.TwelveHour() ? (opt.twoDigitHours ? L"hh:mmt " : L"h:mmt ")
                                                  : (opt.twoDigitHours ? L"HH:mm " : L"H:mm ");
        return fmt.Time(task.reminderTime, picture);
    }
    if (!HasDate(task.due) || onDueDay) return L"";
    return fmt.Date(task.due, DuePicture(opt.dueDateFormat)) + L" ";
}

const wchar_t* DuePicture(int dueDateFormat) {
    switch (dueDateFormat) {
    case 0: return nullptr;
    case 2: return L"d'/'M'/'yy";
    case 3: return L"M'/'d";
    case 4: return L"d'/'M";
    default: return L"M'/'d'/'yy";
    }
}

std::wstring WidestDuePrefix(int dueDateFormat, const DateTimeFormat& fmt) {
    // Two-digit day and month in a four-digit year: as wide as a date gets.
    const double dec28 = double(datetime::DaysFromCivil(2088, 12, 28) - datetime::DaysFromCivil(1899, 12, 30));
    return fmt.Date(dec28, DuePicture(dueDateFormat)) + L" ";
}

const wchar_t* MultiDayWidthSample(int apptDisplayFormat) {
    switch (apptDisplayFormat) {
    case 1: case 3: case 5: return L"X22:22-Multiday:";
    case 2: case 4: case 6: return L"XXMultiday:";
    default: return L"";
    }
}

std::wstring EmptyLine(const TextSource& text) { return text.String(text_id::kEmptyLine); }

const wchar_t* MailIcon(bool unread, bool attachments) {
    if (unread) return attachments ? L"email_unread_attach" : L"email_unread";
    return attachments ? L"email_opened_attach" : L"email_opened";
}

const wchar_t* NumberIcon(uint32_t propid) {
    switch (propid) {
    case 0x0097001F: case 0x0098001F: return L"phone_type_work";
    case 0x0099001F: case 0x009A001F: return L"phone_type_home";
    case 0x0096001F: case 0x009D001F: case 0x009F001F: return L"phone_type_cell";
    case 0x009B001F: return L"phone_type_fax";
    case 0x009E001F: return L"phone_type_car";
    case 0x0090001F: case 0x0091001F: case 0x0092001F: return L"phone_type_email";
    default: return nullptr;
    }
}

bool StatusIconApplies(unsigned code, const TAgendaItem& item) {
    const TTask* task = item.Kind() == kKindTask ? static_cast<const TTask*>(&item) : nullptr;
    switch (code) {
    case icon_code::kReminder: return item.reminder.value != 0.0;
    case icon_code::kPrivate: return item.sensitivity == 2;
    case icon_code::kRecurrence: return item.recurrence == 1 || item.recurrence == 2;
    case icon_code::kNote: return item.note.value != 0.0;
    case icon_code::kCategories: return !item.categories().empty();
    case icon_code::kImportance: return task && (task->importance == 0 || task->importance == 2);
    case icon_code::kOwnIcon: return item.icon != nullptr;
    case icon_code::kAttendees:
        return item.Kind() == kKindAppt && static_cast<const TApptItem&>(item).attendees;
    case icon_code::kLink: return item.link.value != 0.0;
    case icon_code::kRegenerated: return task && task->counter != 0;
    default: return false;
    }
}

const wchar_t* StatusIconName(unsigned code, const TAgendaItem& item) {
    if (!StatusIconApplies(code, item)) return nullptr;
    switch (code) {
    case icon_code::kReminder: return L"reminder";
    case icon_code::kPrivate: return L"private";
    case icon_code::kRecurrence: return item.recurrence == 1 ? L"recurring" : L"exception";
    case icon_code::kNote: return L"note";
    case icon_code::kImportance:
        return static_cast<const TTask&>(item).importance == 0 ? L"low_importance" : L"high_importance";
    case icon_code::kAttendees: return L"attendees";
    case icon_code::kLink: return L"link";
    case icon_code::kRegenerated: return L"regenerated";
    default: return nullptr;
    }
}

std::vector<unsigned> RightIconCodes(unsigned mask, const TAgendaItem& item) {
    using namespace icon_code;
    static const unsigned kOrder[] = {kImportance, kReminder, kPrivate, kRecurrence, kRegenerated,
                                      kNote, kLink, kAttendees, kOwnIcon, kCategories};
    std::vector<unsigned> r;
    for (unsigned code : kOrder) {
        // The regenerated mark shows whatever the mask says.
        if (code != kRegenerated && !(mask & code)) continue;
        if (StatusIconApplies(code, item)) r.push_back(code);
    }
    return r;
}

unsigned LeftIconCode(int64_t slot, const TAgendaItem& item) {
    if (slot <= 0 || slot > icon_code::kLink || (slot & (slot - 1)) != 0) return 0;
    const unsigned code = static_cast<unsigned>(slot);
    return StatusIconApplies(code, item) ? code : 0;
}

bool HasDoneMarker(const std::wstring& s) {
    const size_t open = std::wcslen(kDoneOpen), close = std::wcslen(kDoneClose);
    // The two markers must not overlap: "<•>/•>" is not marked.
    return s.size() >= open + close && s.compare(0, open, kDoneOpen) == 0 &&
           s.compare(s.size() - close, close, kDoneClose) == 0;
}

std::wstring WithoutDoneMarker(const std::wstring& s) {
    if (!HasDoneMarker(s)) return s;
    const size_t open = std::wcslen(kDoneOpen), close = std::wcslen(kDoneClose);
    return s.substr(open, s.size() - open - close);
}

std::wstring MarkDone(const std::wstring& subject, bool done) {
    const std::wstring plain = WithoutDoneMarker(subject);
    return done ? kDoneOpen + plain + kDoneClose : plain;
}

bool PassesFutureLimit(int limit, const TTask& task, int32_t today) {
    static const int kDays[] = {0, 6, 30, 61, 183, 365, 730};
    if (limit < 1 || limit > static_cast<int>(sizeof kDays / sizeof kDays[0])) return true;
    if (!HasDate(task.due)) return true;
    const double on = HasDate(task.startDate) ? task.startDate : task.due;
    return DayOf(on) <= static_cast<int64_t>(today) + kDays[limit - 1];
}

bool TaskExcluded(const TTask& task, int32_t today, const TaskGroupOptions& opt) {
    const bool dated = HasDate(task.due);
    if (opt.removeUndated && !dated) return true;
    if (task.completed && dated && DayOf(task.due) < today && opt.hidePastCompleted) return true;
    if (!PassesFutureLimit(opt.futureLimit, task, today)) return true;
    // Pocket Informant keeps its task templates on these days.
    if (opt.pimSw == 1 && dated && DayOf(task.due) >= 401668 && DayOf(task.due) <= 401768) return true;
    return false;
}

std::vector<GroupKey> TaskGroupKeys(const TTask& task, int32_t today, int grouping,
                                    const CategoryLookup* names, const TextSource& text) {
    switch (grouping) {
    case 10:
        return {{0, L""}};
    case 11: {
        std::vector<GroupKey> r;
        // A category that no longer exists would make a group without a title:
        // the task counts as uncategorised instead, as contacts do.
        for (int32_t id : task.categories()) {
            const std::wstring* name = names ? names->CategoryName(id) : nullptr;
            if (name) r.push_back({id, *name});
        }
        if (r.empty()) r.push_back({-1, text.String(text_id::kNoCategory)});
        return r;
    }
    case 12:
        return {{task.importance == 2 ? 200 : task.importance == 0 ? 202 : 201, L""}};
    case 13: {
        const wchar_t c = task.code.empty() ? 0 : task.code[0];
        return {{c >= L'A' && c <= L'Z' ? 500 + (c - L'A') : 526, L""}};
    }
    case 14:
        return {{task.completed ? 301 : 300, L""}};
    case 15: {
        if (!HasDate(task.due)) return {{105, L""}};
        const int64_t d = static_cast<int64_t>(DayOf(task.due)) - today;
        return {{d < 0 ? 100 : d == 0 ? 101 : d <= 6 ? 102 : d <= 30 ? 103 : 104, L""}};
    }
    case 16:
        return {{task.sensitivity == 2 ? 400 : 401, L""}};
    default:
        return {};
    }
}

std::wstring TaskDatePrefix(const TTask& task, const TaskPrefixOptions& opt,
                            const DateTimeFormat& fmt, const TextSource& text) {
    if (!HasDate(task.due))
        return opt.removeUndatedLeading ? L"" : text.String(text_id::kNoDate) + L": ";
    struct Pictures {
        const wchar_t* start;
        const wchar_t* due;
    };
    static const Pictures kFormats[] = {
        {L"M'/'d", L"M'/'d'/'yy"}, {L"M'/'d", L"M'/'d"}, {L"M'/'d'/'yy", nullptr},
        {nullptr, L"M'/'d'/'yy"},  {L"M'/'d", nullptr},  {nullptr, L"M'/'d"},
        {L"d'/'M", L"d'/'M'/'yy"}, {L"d'/'M", L"d'/'M"}, {L"d'/'M'/'yy", nullptr},
        {nullptr, L"d'/'M'/'yy"},  {L"d'/'M", nullptr},  {nullptr, L"d'/'M"},
    };
    Pictures p{nullptr, nullptr};
    if (opt.useCustom) {
        if (opt.customStruct == 0) p = {opt.customStart.c_str(), opt.customEnd.c_str()};
        else if (opt.customStruct == 1) p = {nullptr, opt.customEnd.c_str()};
        else if (opt.customStruct == 2) p = {opt.customStart.c_str(), nullptr};
        else return L"";
    } else if (opt.dateFormat >= 0 && opt.dateFormat < static_cast<int>(sizeof kFormats / sizeof kFormats[0])) {
        p = kFormats[opt.dateFormat];
    } else {
        return L"";
    }
    std::wstring r;
    if (p.start) {
        if (!HasDate(task.startDate)) r = p.due ? L"NA-" : text.String(text_id::kNoStart);
        else r = fmt.Date(task.startDate, p.start) + (p.due ? L"-" : L"");
    }
    if (p.due) r += fmt.Date(task.due, p.due);
    return r + L": ";
}

std::vector<GroupKey> ContactGrouper::Groups(const std::vector<int32_t>& categories,
                                             const std::wstring& company) {
    switch (mode_) {
    case 0:
        return {{-1, text_.String(text_id::kContacts)}};
    case 1: {
        std::vector<GroupKey> r;
        for (int32_t id : categories) {
            const std::wstring* name = names_ ? names_->CategoryName(id) : nullptr;
            if (name) r.push_back({id, *name});
        }
        // Categories that no longer exist leave the contact uncategorised, not lost.
        if (r.empty()) r.push_back({-1, text_.String(text_id::kNoCategory)});
        return r;
    }
    case 2: {
        if (company.empty()) {
            noCompany_ = true;
            return {{-1, text_.String(text_id::kNoCompany)}};
        }
        for (const GroupKey& g : companies_)
            if (g.title == company) return {g};
        const GroupKey g{static_cast<int32_t>(companies_.size() + (noCompany_ ? 1 : 0)), company};
        companies_.push_back(g);
        return {g};
    }
    default:
        return {};
    }
}

bool FileContact(TGroupingTitlesList& list, std::unique_ptr<TContactItem> c, const std::vector<GroupKey>& keys,
                 const ContactOrder& order) {
    if (keys.empty()) return false;
    c->order = &order;
    for (size_t i = keys.size(); i-- > 0;) {
        const uint32_t key = keys[i].key < 0 ? TContactsGroup::kNoKey : uint32_t(keys[i].key);
        TItem* g = list.groups.Find(key);
        if (!g) g = list.groups.Insert(std::make_unique<TContactsGroup>(key, keys[i].title, &order));
        static_cast<TContactsGroup*>(g)->AddChild(i ? c->Copy() : std::move(c));
    }
    return true;
}

int CompareTasksBy(const TTask& a, const TTask& b, const SortKey& key, TitleCompare compare) {
    int r = 0;
    switch (key.key) {
    case 0: r = Earlier(a.due, b.due); break;
    case 1: r = Earlier(a.startDate, b.startDate); break;
    case 2: r = Higher(a.importance, b.importance); break;
    case 3: r = Higher(!a.completed, !b.completed); break;
    case 4: r = -Higher(a.sensitivity, b.sensitivity); break;
    case 5: {
        const int c = compare ? compare(a.title, b.title) : Upper(a.title).compare(Upper(b.title));
        r = c < 0 ? 1 : c > 0 ? -1 : 0;
        break;
    }
    case 6: {
        // Uncoded tasks sort after every code.
        const std::wstring ca = a.code.empty() ? L"Z99" : Upper(a.code);
        const std::wstring cb = b.code.empty() ? L"Z99" : Upper(b.code);
        const int c = ca.compare(cb);
        r = c < 0 ? 1 : c > 0 ? -1 : 0;
        break;
    }
    default: return 0;
    }
    return key.direction < 0 ? -r : r;
}

int CompareTasks(const TTask& a, const TTask& b, const std::vector<SortKey>& keys, TitleCompare compare) {
    for (const SortKey& k : keys)
        if (const int r = CompareTasksBy(a, b, k, compare)) return r;
    return 0;
}

HourSpan TimelineHours(int start, int length) {
    HourSpan s;
    s.first = std::clamp(start, 0, 24);
    const int64_t end = static_cast<int64_t>(s.first) + std::max(length, 0) + 6;
    s.last = static_cast<int>(std::min<int64_t>(end, 24));
    return s;
}

ContactRowForm ContactRowFormFor(int layout, bool hasPicture, bool hideNoPicture) {
    if (layout == 0 || layout == 1) return ContactRowForm::kList;
    if (layout == 2) return !hasPicture && hideNoPicture ? ContactRowForm::kList : ContactRowForm::kPicture;
    return ContactRowForm::kNone;
}

}  // namespace daybrim
