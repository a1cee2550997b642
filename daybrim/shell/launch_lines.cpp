#include "launch_lines.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace launch {

namespace {

// Days from 1 January 1601 (FILETIME's epoch) to 30 December 1899 (OLE's).
constexpr double kOleEpochDays = 109205.0;

std::wstring Num(unsigned long long v) {
    wchar_t buf[24];
    swprintf(buf, 24, L"%llu", v);
    return buf;
}

// The integer part of an OLE date, as the programs read a day.
std::wstring Day(double date) {
    wchar_t buf[24];
    swprintf(buf, 24, L"%d", static_cast<int>(date));
    return buf;
}

bool IsNoDate(double date) { return date == kNoDate; }

// UTF-16 into a terminated field; false when it does not fit.
bool Store(const std::wstring& text, char16_t (&field)[256]) {
    std::u16string units;
    for (wchar_t c : text) {
        const uint32_t cp = static_cast<uint32_t>(c);
        if (cp > 0xFFFF) {  // wchar_t is UTF-32 outside Windows
            units += char16_t(0xD800 + ((cp - 0x10000) >> 10));
            units += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            units += char16_t(cp);
        }
    }
    if (units.size() >= 256) return false;
    std::memcpy(field, units.data(), units.size() * sizeof(char16_t));
    field[units.size()] = 0;
    return true;
}

PimBridgeRequest Blank(int app, int verb, BridgeKind kind) {
    PimBridgeRequest r;
    std::memset(&r, 0, sizeof r);
    r.app = app;
    r.verb = verb;
    r.kind = kind;
    return r;
}

}  // namespace

std::wstring DialableNumber(const std::wstring& number) {
    std::wstring out;
    const size_t n = number.size() < 255 ? number.size() : 255;
    for (size_t i = 0; i < n; ++i) {
        const wchar_t c = number[i];
        if ((c >= L'0' && c <= L'9') || (c != 0 && wcschr(L"p+#*,w", c))) out += c;
    }
    return out;
}

std::wstring Quoted(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) out += c == L'"' ? L'\'' : (c < 0x20 || c == 0x7F) ? L' ' : c;
    // A run of backslashes before the closing quote would escape it.
    size_t trailing = 0;
    while (trailing < text.size() && text[text.size() - 1 - trailing] == L'\\') ++trailing;
    out.append(trailing, L'\\');
    return out + L"\"";
}

uint32_t MinuteCount(double oleDate) {
    if (!std::isfinite(oleDate)) return 0;
    // Through whole seconds, as a SYSTEMTIME would carry the date: 0.1 minute of
    // floating-point error must not step a minute back.
    const double seconds = std::floor((oleDate + kOleEpochDays) * 86400.0 + 0.5);
    if (seconds < 0) return 0;
    return static_cast<uint32_t>(static_cast<unsigned long long>(seconds / 60.0));
}

std::wstring PocketOutlookView(View v) {
    switch (v) {
    case kCalendarView: return L"calendar";
    case kTasksView: return L"tasks";
    case kContactsView: return L"contacts";
    case kNotesView: break;
    }
    return L"";
}

std::wstring PocketInformantView(View v) {
    switch (v) {
    case kCalendarView: return L"2";
    case kNotesView: return L"3";
    case kTasksView: return L"4";
    case kContactsView: return L"5";
    }
    return L"";
}

std::wstring AgendaFusionView(View v) {
    switch (v) {
    case kCalendarView: return L"V_TODAY";
    case kTasksView: return L"V_TASKS";
    case kNotesView: return L"V_NOTES";
    case kContactsView: return L"V_CONTACTS";
    }
    return L"";
}

std::wstring AgendaOneView(View v) {
    switch (v) {
    case kCalendarView: return L"agenda";
    case kTasksView: return L"tasks";
    case kContactsView: return L"contacts";
    case kNotesView: break;
    }
    return L"";
}

std::wstring TranslatePocketInformantView(const std::wstring& view, unsigned version) {
    if (version < 600) return view;
    if (view == L"2") return L"11";
    if (view == L"3") return L"7";
    if (view == L"4") return L"8";
    if (view == L"5") return L"9";
    return view;
}

std::wstring AgendaFusionOpenOnDay(uint32_t oid, double day) {
    return L"[" + Num(oid) + L"](" + Day(day) + L")";
}
std::wstring AgendaFusionOpenItem(uint32_t oid) { return L"[" + Num(oid) + L"]"; }
std::wstring AgendaFusionOpenTaskInMain(uint32_t oid) { return L"[" + Num(oid) + L"]{gomain}{nopreview}"; }
std::wstring AgendaFusionOpenAtTimeInMain(uint32_t oid, double when) {
    return L"[" + Num(oid) + L"](" + Num(MinuteCount(when)) + L"){gomain}{nopreview}";
}

std::wstring AgendaFusionNew(NewKind kind, double first, double second, const std::wstring& subject) {
    static const wchar_t* const kNames[] = {L"N_APPOINTMENT", L"N_TASK", L"N_CONTACT", L"N_NOTE"};
    std::wstring s = kNames[kind >= kNewAppointment && kind <= kNewNote ? kind : kNewAppointment];
    if (kind == kNewAppointment || kind == kNewTask)
        s += L"(" + (IsNoDate(first) ? std::wstring(L"0") : Num(MinuteCount(first))) + L")(" +
             Num(MinuteCount(second)) + L")";
    if (!subject.empty()) s += L" " + Quoted(subject);
    return s;
}

std::wstring AgendaFusionCommand(const std::wstring& command, bool leaveRunning) {
    return leaveRunning ? command + L"{noexit}" : command;
}

std::wstring AgendaOneGoto(const std::wstring& view, double day) {
    return L"goto " + view + (IsNoDate(day) ? L"" : L" " + Day(day));
}
std::wstring AgendaOneOpen(uint32_t oid, double day) {
    return L"open " + Num(oid) + (IsNoDate(day) ? L"" : L" " + Day(day));
}
std::wstring AgendaOneNew(NewKind kind, double day) {
    return std::wstring(L"new ") + (kind == kNewTask ? L"task " : L"appointment ") + Day(day);
}

std::wstring MailParameters(bool compose, const std::wstring& to, const std::wstring& service) {
    std::wstring s;
    if (compose) {
        s = L"-subject \"\" ";
        if (!to.empty()) s += L"-to " + Quoted(to) + L" ";
    }
    if (!service.empty()) s += L"-service " + Quoted(service);
    return s;
}

PimBridgeRequest BridgeShow(int app, BridgeKind kind, int32_t poomId, double day, int32_t flag) {
    PimBridgeRequest r = Blank(app, kShow, kind);
    r.showId = poomId;
    if (kind == kBridgeAppointment) r.showDay = day;
    if (kind == kBridgeAppointment || kind == kBridgeTask) r.showFlag = flag;
    return r;
}

PimBridgeRequest BridgeEdit(int app, BridgeKind kind, int32_t poomId, double day) {
    PimBridgeRequest r = Blank(app, kEdit, kind);
    r.editId = poomId;
    if (kind == kBridgeAppointment) r.editDay = day;
    return r;
}

PimBridgeRequest BridgeFromTemplate(BridgeKind kind, int32_t poomId, double createdFor) {
    PimBridgeRequest r = Blank(kPocketInformant, kFromTemplate, kind);
    r.newId = poomId;
    r.createdFor = createdFor;
    return r;
}

bool BridgeShowNote(const std::wstring& path, PimBridgeRequest* out) {
    // Only Pocket Informant shows notes.
    PimBridgeRequest r = Blank(kPocketInformant, kShow, kBridgeNote);
    if (!Store(path, r.notePath)) return false;
    *out = r;
    return true;
}

bool BridgeCreate(int app, BridgeKind kind, double start, double end, const std::wstring& category,
                  PimBridgeRequest* out) {
    PimBridgeRequest r = Blank(app, kCreate, kind);
    if (kind == kBridgeAppointment || kind == kBridgeTask) {
        r.start = start;
        r.end = end;
        if (!Store(category, r.category)) return false;
    }
    *out = r;
    return true;
}

unsigned CommandIds::Commit(unsigned returned, unsigned highest) {
    const unsigned first = next_;
    unsigned end = first + (returned > kMaxPerExtension ? kMaxPerExtension : returned);
    if (highest >= first && highest + 1 > end) end = highest + 1;
    next_ = end;
    return end;
}

}  // namespace launch
