// Microseconds per row for 1,000 rows of each kind: measured only (the list's
// height pass) and drawn into a 240-pixel back buffer with Tahoma, in the full and
// the compact form where a kind has both.
// Then one appointment change through to a repainted Calendar tab over a store
// of 300 appointments around today, and one task change through to the Tasks
// tab's regrouped rows over 2,000 tasks.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "calendar_tab.h"
#include "item_painter.h"
#include "pim_store.h"
#include "raii.h"
#include "tasks_tab.h"
#include "../../data/tests/pim_volume.h"

using namespace daybrim;

namespace {

// The process's private memory. Under Wine, whose counters report the reserved
// address space, the anonymous resident memory of the host process; elsewhere the
// system's private usage.
size_t PrivateBytes() {
    if (FILE* f = std::fopen("Z:\\proc\\self\\status", "r")) {
        char line[256];
        size_t kb = 0;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "RssAnon: %zu kB", &kb) == 1) break;
        std::fclose(f);
        if (kb) return kb * 1024;
    }
    PROCESS_MEMORY_COUNTERS_EX m = {};
    m.cb = sizeof m;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m)) return 0;
    return m.PrivateUsage;
}


constexpr int kRows = 1000;

class NoIcons : public RowIcons {
public:
    void DrawImage(HDC, int, int, int) override {}
};

class Texts : public TextSource {
public:
    std::wstring String(unsigned id) const override { return id == text_id::kInDays ? L"in %d days" : L"Today"; }
};

class Format : public DateTimeFormat {
public:
    std::wstring Date(double, const wchar_t*) const override { return L"07/12"; }
    std::wstring Time(double, const wchar_t*) const override { return L"9:30"; }
    bool MonthOrYearFirst() const override { return true; }
    bool TwelveHour() const override { return false; }
};

template <typename F>
double PerRow(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kRows; ++i) f(i);
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(t1 - t0).count() / kRows;
}

double NowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The store's notification, the Calendar's rebuild and the repaint of its list.
void CalendarRepaint(CItemPainter& painter) {
    using namespace pimtest;
    constexpr int32_t kToday = 46363;
    PimVolume vol(L"rowbench");
    if (!vol.ok) {
        std::printf("calendar: cannot create the volume\n");
        return;
    }
    CEOID oid = 0;
    for (int i = 1; i <= 300; ++i) {
        const std::wstring subject = L"Appointment " + std::to_wstring(i);
        const double start = kToday - 3 + (i % 14) + (8 + i % 10) / 24.0;
        const CEOID o = vol.Write(L"Appointments Database",
                                  {Date(0x10420040, start), U4(0x10400013, 60), Bool(0x0022000B, false),
                                   U4(0x10000066, i), Str(0x0020001F, subject.c_str()), Str(0x0041001F, L"Room 4")});
        if (i == 3) oid = o;
    }
    HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PimOptions opt;
    opt.cat.pimVolume = vol.path;
    opt.fusionVolume = vol.fusionPath;
    CCategoryTable cats;
    CPimStore store(&cats);
    store.Start(sink, opt, kToday);

    ShellEnv env;
    env.instance = GetModuleHandleW(nullptr);
    env.pim = &store;
    env.categories = &cats;
    env.painter = &painter;
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               env.instance, nullptr);
    {
        CCalendarTab tab(&env, &store);
        tab.Initialize(0, L"", L"Calendar", L"BenchCalendarTab", L"BenchCalendarCaption", 0, nullptr, nullptr,
                       L"calendar", L"", 0);
        if (tab.Create(top, 0, 22, 240, 268, 0, 0, 140, 20, env.instance)) {
            tab.Show(true);
            double all = 0, tabOnly = 0;
            int seen = 0;
            for (int i = 0; i < 200 && oid; ++i) {
                const std::wstring s = L"Changed " + std::to_wstring(i);
                vol.Write(L"Appointments Database", {Str(0x0020001F, s.c_str())}, oid);
                MSG msg;
                while (PeekMessageW(&msg, sink, WM_DBNOTIFICATION, WM_DBNOTIFICATION, PM_REMOVE)) {
                    const double t = NowMs();
                    if (store.HandleNotification(reinterpret_cast<CENOTIFICATION*>(msg.lParam)) & TAB_TYPE_CALENDAR) {
                        const double u = NowMs();
                        tab.OnDataChanged();
                        tabOnly += NowMs() - u;
                    }
                    all += NowMs() - t;
                    ++seen;
                }
            }
            if (seen)
                std::printf("one change to a repainted Calendar tab: %.3f ms (mean of %d; the tab's part %.3f ms), %zu rows\n",
                            all / seen, seen, tabOnly / seen, tab.Rows().Count());
            else
                std::printf("one change to a repainted Calendar tab: no notification arrived\n");
            std::printf("private memory with the store and the tab's rows: %.2f MB\n",
                        double(PrivateBytes()) / (1024.0 * 1024.0));
        }
        tab.Destroy();
    }
    DestroyWindow(top);
    store.Stop();
    DestroyWindow(sink);
}

// The store's notification for one changed task and the Tasks tab's rebuild: the
// tasks grouped and sorted anew and the rows of the list.
void TasksRebuild(CItemPainter& painter) {
    using namespace pimtest;
    constexpr int32_t kToday = 46363;
    constexpr int kTasks = 2000;
    PimVolume vol(L"taskbench");
    if (!vol.ok) {
        std::printf("tasks: cannot create the volume\n");
        return;
    }
    CEOID oid = 0;
    for (int i = 1; i <= kTasks; ++i) {
        const std::wstring subject = L"Task " + std::to_wstring((i * 7919) % kTasks);
        const double due = kToday - 20 + (i % 90);
        const CEOID o = vol.Write(L"Tasks Database",
                                  {Str(0x0020001F, subject.c_str()), Date(0x00630040, due), Date(0x00620040, due - 2),
                                   U4(0x00600013, i % 3), Bool(0x1065000B, i % 5 == 0), U4(0x10000066, i)});
        if (i == 7) oid = o;
    }
    HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PimOptions opt;
    opt.cat.pimVolume = vol.path;
    opt.fusionVolume = vol.fusionPath;
    CCategoryTable cats;
    CPimStore store(&cats);
    store.Start(sink, opt, kToday);

    ShellEnv env;
    env.instance = GetModuleHandleW(nullptr);
    env.pim = &store;
    env.categories = &cats;
    env.painter = &painter;
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr,
                               env.instance, nullptr);
    {
        CTasksTab tab(&env, &store);
        tab.Initialize(0, L"", L"Tasks", L"BenchTasksTab", L"BenchTasksCaption", 0, nullptr, nullptr, L"task", L"", 0);
        if (tab.Create(top, 0, 22, 240, 268, 0, 0, 140, 20, env.instance)) {
            tab.Show(true);
            double all = 0, tabOnly = 0;
            int seen = 0;
            for (int i = 0; i < 50 && oid; ++i) {
                vol.Write(L"Tasks Database", {Date(0x00630040, kToday - 10 + i % 40)}, oid);
                MSG msg;
                while (PeekMessageW(&msg, sink, WM_DBNOTIFICATION, WM_DBNOTIFICATION, PM_REMOVE)) {
                    const double t = NowMs();
                    if (store.HandleNotification(reinterpret_cast<CENOTIFICATION*>(msg.lParam)) & TAB_TYPE_TASKS) {
                        const double u = NowMs();
                        tab.OnDataChanged();
                        tabOnly += NowMs() - u;
                    }
                    all += NowMs() - t;
                    ++seen;
                }
            }
            if (seen)
                std::printf("one change to a rebuilt Tasks tab over %d tasks: %.3f ms (mean of %d; the tab's part "
                            "%.3f ms), %zu rows in %zu groups\n",
                            kTasks, all / seen, seen, tabOnly / seen, tab.Rows().Count(), tab.Groups().groups().size());
            else
                std::printf("one change to a rebuilt Tasks tab: no notification arrived\n");
        }
        tab.Destroy();
    }
    DestroyWindow(top);
    store.Stop();
    DestroyWindow(sink);
}

}  // namespace

int main() {
    raii::MemDC dc(CreateCompatibleDC(nullptr));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, 240, -400, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    raii::Bitmap bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    raii::Select sel(dc.get(), bmp.get());
    raii::Font font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));

    NoIcons icons;
    Texts texts;
    Format format;
    PainterStyle style;
    style.row.apptDisplayFormat = 3;
    style.row.leadingRects = 1;
    style.general = style.small = style.placeholder = style.titles = font.get();
    style.notesDisplay = 7;
    CItemPainter painter(Scaler(), style, PainterServices{&icons, &texts, &format, nullptr});

    TDailyList day(45000);
    day.title = L"Monday 7 December";
    day.counters[0] = 3;
    TApptItem appt;
    appt.title = L"Quarterly planning meeting with the whole product team";
    appt.location = L"Room 4";
    appt.reminder.value = appt.note.value = 1.0;
    TTaskClr task;
    task.title = L"Send the signed contract back to the lawyers";
    task.prefix = L"Fri";
    task.reminder.value = 1.0;
    TSEvent onCalendar(kKindSEventOnCalendar), event(kKindSEventContact);
    onCalendar.title = event.title = L"Birthday of Ann Smith-Jones";
    event.date = 45000 - 365 * 30;
    TContactItem contact;
    contact.title = L"Smith, Ann";
    contact.preferredText = L"+1 555 0100";
    contact.preferredId = 0x0097001F;
    TEmptyItem empty(true);
    NoteRow note;
    note.name = L"Shopping list for the weekend";
    note.typeBits = 4;
    MessageRow mail;
    mail.sender = L"Ann Smith";
    mail.subject = L"Re: contract";
    AccountRow account{L"Work mail: 3 unread, 12 messages in all"};

    struct Kind {
        const char* name;
        std::function<int(DrawContext&, const HotRect&, unsigned)> draw;
    } kinds[] = {
        {"group title", [&](DrawContext& c, const HotRect& r, unsigned f) { return day.Draw(c, r, f); }},
        {"appointment", [&](DrawContext& c, const HotRect& r, unsigned f) { return appt.Draw(c, r, f); }},
        {"task", [&](DrawContext& c, const HotRect& r, unsigned f) { return task.Draw(c, r, f); }},
        {"calendar event", [&](DrawContext& c, const HotRect& r, unsigned f) { return onCalendar.Draw(c, r, f); }},
        {"account", [&](DrawContext& c, const HotRect& r, unsigned f) { return painter.Account(c, account, r, f); }},
        {"special event", [&](DrawContext& c, const HotRect& r, unsigned f) { return event.Draw(c, r, f); }},
        {"note", [&](DrawContext& c, const HotRect& r, unsigned f) { return painter.Note(c, note, r, f); }},
        {"message", [&](DrawContext& c, const HotRect& r, unsigned f) { return painter.Message(c, mail, r, f); }},
        {"contact", [&](DrawContext& c, const HotRect& r, unsigned f) { return contact.Draw(c, r, f); }},
        {"empty list", [&](DrawContext& c, const HotRect& r, unsigned f) { return empty.Draw(c, r, f); }},
    };

    DrawContext ctx;
    ctx.painter = &painter;
    ctx.hdc = reinterpret_cast<uintptr_t>(dc.get());
    ctx.width = ctx.contentRight = 240;
    ctx.today = 45000;
    ctx.group.lineStyle = 1;
    ctx.group.counterKind[0] = 1;
    std::printf("%-15s %-8s %12s %12s\n", "row", "form", "measure", "draw");
    for (const Kind& k : kinds) {
        for (unsigned form : {unsigned(kDrawFull), unsigned(kDrawCompact)}) {
            const auto run = [&](unsigned extra) {
                return PerRow([&](int i) {
                    HotRect rc;
                    rc.left = 0;
                    rc.right = 240;
                    rc.top = (i % 10) * 30;
                    rc.bottom = 400;
                    k.draw(ctx, rc, form | extra);
                });
            };
            const double measure = run(kDrawMeasureOnly);
            const double draw = run(0);
            std::printf("%-15s %-8s %9.2f us %9.2f us\n", k.name, form == kDrawFull ? "full" : "compact", measure,
                        draw);
        }
    }
    CalendarRepaint(painter);
    TasksRebuild(painter);
    return 0;
}
