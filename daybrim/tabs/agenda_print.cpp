#include "agenda_print.h"

#include "mail_items.h"

namespace daybrim {

namespace {

std::wstring Counted(int n, const wchar_t* one, const wchar_t* many) {
    return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

std::wstring TitleLine(const TDailyList& d) {
    std::wstring line = L"== " + d.title;
    std::wstring counts;
    if (const SectionState* st = AgendaModel::State(d)) {
        auto add = [&](const std::wstring& part) { counts += (counts.empty() ? L"" : L", ") + part; };
        if (st->appointments) add(Counted(st->appointments, L"appointment", L"appointments"));
        if (st->tasks) add(Counted(st->tasks, L"task", L"tasks"));
        if (st->mail) add(Counted(st->mail, L"unread", L"unread"));
    }
    if (!counts.empty()) line += L" (" + counts + L")";
    if (d.folded) line += L" [folded]";
    return line;
}

std::wstring Marks(const std::vector<const wchar_t*>& marks) {
    std::wstring s;
    for (const wchar_t* m : marks) s += (s.empty() ? L" [" : L", ") + std::wstring(m);
    return s.empty() ? s : s + L"]";
}

std::wstring AppointmentLine(const AgendaModel& m, const TApptItem& a) {
    const AppointmentTexts t = m.Texts(a);
    std::wstring line = L"   ";
    if (!t.timeText.empty()) line += t.timeText + L"  ";
    line += t.firstLine;
    if (!t.secondLine.empty()) line += L" | " + t.secondLine;
    std::vector<const wchar_t*> marks;
    if (a.allDay) marks.push_back(L"all day");
    if (t.completed || a.completed) marks.push_back(L"done");
    if (m.Conflicting(a)) marks.push_back(L"conflict");
    if (m.Passed(a)) marks.push_back(L"passed");
    if (a.sensitivity == 2) marks.push_back(L"private");
    return line + Marks(marks);
}

std::wstring TaskLine(const AgendaModel& m, const TTask& t) {
    std::wstring line = t.completed ? L"   [x] " : L"   [ ] ";
    line += m.TaskPrefix(t) + t.title;
    std::vector<const wchar_t*> marks;
    if (t.importance == 2) marks.push_back(L"high");
    if (t.sensitivity == 2) marks.push_back(L"private");
    return line + Marks(marks);
}

}  // namespace

std::vector<std::wstring> AgendaLines(const AgendaModel& m) {
    std::vector<std::wstring> lines;
    lines.push_back(L"Range: " + m.RangeText(false));
    for (const AgendaRow& r : m.Rows()) {
        switch (r.kind) {
        case RowKind::kTitle: lines.push_back(TitleLine(*r.section)); break;
        case RowKind::kEmptyGroup: lines.push_back(L"   (nothing)"); break;
        case RowKind::kEmptyList: lines.push_back(L"(no items)"); break;
        case RowKind::kItem:
            switch (r.item->Kind()) {
            case kKindAppt: lines.push_back(AppointmentLine(m, static_cast<const TApptItem&>(*r.item))); break;
            case kKindTask: lines.push_back(TaskLine(m, static_cast<const TTask&>(*r.item))); break;
            case kKindMailAccount: {
                auto* line = dynamic_cast<const TMsgAccountItem*>(r.item);
                lines.push_back(L"   @ " + (line ? line->title : std::wstring()));
                break;
            }
            case kKindSEventOnCalendar:
            case kKindSEventContact:
            case kKindSEventAppt:
                lines.push_back(L"   * " + static_cast<const TItemWithNote&>(*r.item).title);
                break;
            default: lines.push_back(L"   ?"); break;
            }
            break;
        }
    }
    return lines;
}

}  // namespace daybrim
