// The PIM store on a large device: its full start beside the floor (reading the
// same records through the property database API in this run), and one
// appointment change notification.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <psapi.h>

#include "pim_store.h"
#include "pimcodec/pimtime.h"
#include "pimcodec/recurrence.h"
#include "../tests/pim_volume.h"

using namespace daybrim;
using namespace pimtest;

namespace {

constexpr int32_t kToday = 46363;

double Now() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

void Fill(PimVolume& v) {
    for (int i = 1; i <= 30; ++i) {
        std::wstring n = L"Category " + std::to_wstring(i);
        v.Write(L"CategoryMainDB", {Str(0x0002001F, n.c_str()), U4(0x00010066, i)});
    }
    std::vector<BYTE> pattern(64, 0);
    for (int i = 1; i <= 3000; ++i) {
        const bool recurring = i <= 300;
        std::wstring s = L"Appointment " + std::to_wstring(i);
        const double start = kToday - 365 + (i * 7919 % 730) + (i % 10) / 10.0;
        std::vector<CEPROPVAL> p = {Date(0x10420040, start), U4(0x10400013, 60), Bool(0x0022000B, recurring),
                                    U4(0x10000066, i), Str(0x0020001F, s.c_str()), Str(0x0041001F, L"Room 4")};
        if (recurring) p.push_back(Blob(0x203F0064, pattern));
        v.Write(L"Appointments Database", p);
        if (i % 3 == 0)
            v.Write(L"CategoryAssocDB", {U4(0x00010013, PoomId(PimKind::kAppointment, i)), U4(0x00020003, i % 30 + 1)});
    }
    for (int i = 1; i <= 500; ++i) {
        std::wstring s = L"Task " + std::to_wstring(i);
        v.Write(L"Tasks Database", {Str(0x0020001F, s.c_str()), Date(0x00630040, kToday - 50 + i % 100),
                                    U4(0x00600013, i % 3), U4(0x10000066, i)});
    }
    for (int i = 1; i <= 2000; ++i) {
        std::wstring first = L"First" + std::to_wstring(i), last = L"Last" + std::to_wstring(i % 97);
        std::wstring fileAs = last + L", " + first;
        v.Write(L"Contacts Database",
                {Str(0x0080001F, fileAs.c_str()), Str(0x0082001F, first.c_str()), Str(0x0084001F, last.c_str()),
                 Str(0x0096001F, L"+46 70 123 45 67"), Str(0x0097001F, L"+46 8 123 45"),
                 Str(0x0090001F, L"someone@example.com"), Date(0x00F00040, 29000 + i), U4(0x10000066, i)});
        if (i % 4 == 0)
            v.Write(L"CategoryAssocDB", {U4(0x00010013, PoomId(PimKind::kContact, i)), U4(0x00020003, i % 30 + 1)});
    }
}

// Milliseconds by step name, in the order first seen; keeps the best of the runs.
class Steps {
public:
    void Add(const std::string& name, double ms) {
        for (auto& s : steps_)
            if (s.first == name) {
                run_[&s - &steps_[0]] += ms;
                return;
            }
        steps_.emplace_back(name, 1e9);
        run_.push_back(ms);
    }
    // One run is over: each step keeps its best.
    void EndRun() {
        for (size_t i = 0; i < steps_.size(); ++i) {
            steps_[i].second = std::min(steps_[i].second, run_[i]);
            run_[i] = 0;
        }
    }
    double Of(const std::string& name) const {
        for (const auto& s : steps_)
            if (s.first == name) return s.second;
        return -1;
    }
    const std::vector<std::pair<std::string, double>>& all() const { return steps_; }

private:
    std::vector<std::pair<std::string, double>> steps_;
    std::vector<double> run_;
};

// Reads every record the store reads, and nothing else; each scan is timed under
// the name of the store's step that reads the same records.
size_t ReadFloor(const std::wstring& vol, Steps* steps) {
    size_t n = 0;
    auto scan = [&](const char* step, const wchar_t* name, const CEPROPID* ids, WORD count, SORTORDERSPECEX* sort,
                    DWORD seek, CEPROPVAL* key, CEPROPID stopProp, double stopAfter) {
        const double t = Now();
        PimDatabase db;
        if (db.open(name, true, nullptr, sort, vol) && (key ? db.seekValues(seek, key, 1) : db.seek(seek, 0))) {
            RecordProps r;
            while (r.read(db.handle(), ids, count)) {
                ++n;
                if (stopProp && OleFromTicks(r.ticks(pimdb::kApptStart, stopProp)) > stopAfter) break;
                if (stopProp == 0 && key && !r.flag(pimdb::kApptRecurring, pimdb::kRecurring)) break;
            }
        }
        steps->Add(step, Now() - t);
    };
    const CEPROPID cat[] = {0x0002001F, 0x00010066};
    SORTORDERSPECEX assocSort = SortOn(pimdb::kAssocItem, CEDB_SORT_UNIQUE, pimdb::kAssocCategory);
    scan("categories", L"CategoryMainDB", cat, 2, nullptr, CEDB_SEEK_BEGINNING, nullptr, 0, 0);
    scan("category associations", L"CategoryAssocDB", pimdb::kAssocProps, pimdb::kAssocPropCount, &assocSort,
         CEDB_SEEK_BEGINNING, nullptr, 0, 0);
    scan("tasks", L"Tasks Database", pimdb::kTaskProps, pimdb::kTaskPropCount, nullptr, CEDB_SEEK_BEGINNING, nullptr,
         0, 0);
    SORTORDERSPECEX byStart = SortOn(pimdb::kStart), byRec = SortOn(pimdb::kRecurring);
    CEPROPVAL from = Date(pimdb::kStart, kToday - 31), yes = Bool(pimdb::kRecurring, true);
    scan("appointments", L"Appointments Database", pimdb::kApptProps, pimdb::kApptPropCount, &byStart,
         CEDB_SEEK_VALUEGREATEROREQUAL, &from, pimdb::kStart, kToday + 7);
    scan("appointments", L"Appointments Database", pimdb::kApptProps, pimdb::kApptPropCount, &byRec,
         CEDB_SEEK_VALUEFIRSTEQUAL, &yes, 0, 0);
    scan("contacts and special events", L"Contacts Database", pimdb::kContactProps, pimdb::kContactPicture, nullptr,
         CEDB_SEEK_BEGINNING, nullptr, 0, 0);
    return n;
}

// A calendar of 20,000 appointments, 2,000 of them recurring series of every kind
// begun up to ten years ago, some with removed and moved occurrences.
void FillCalendar(PimVolume& v) {
    for (int i = 1; i <= 20000; ++i) {
        const bool recurring = i % 10 == 0;
        std::wstring s = L"Appointment " + std::to_wstring(i);
        std::vector<BYTE> pattern;
        double start = kToday - 730 + (i * 7919 % 1460) + (i % 24) / 24.0;
        if (recurring) {
            pimcodec::Recurrence r;
            const int kind = (i / 10) % 5;
            r.type = kind == 0 ? pimcodec::PatternType::kDaily
                     : kind == 1 ? pimcodec::PatternType::kWeekly
                     : kind == 2 ? pimcodec::PatternType::kMonthly
                     : kind == 3 ? pimcodec::PatternType::kMonthNth
                                 : pimcodec::PatternType::kYearly;
            r.interval = kind == 4 ? 12 : uint32_t(1 + i % 3);
            r.weekdays = uint16_t(1 + i % 127);
            r.dayOfMonth = uint16_t(1 + i % 31);
            r.week = uint16_t(1 + i % 5);
            const int32_t first = kToday - 3650 + (i * 131 % 3650);
            r.patternStart = uint32_t((int64_t(first) + pimcodec::kOleEpochDays) * 1440);
            r.startOffset = 60 * (i % 24);
            r.endOffset = r.startOffset + 60;
            r.endType = i % 3 ? pimcodec::EndType::kNever : pimcodec::EndType::kAfterCount;
            r.occurrences = 500;
            if (pimcodec::ComputePatternEnd(&r) != pimcodec::Status::kOk) continue;
            if (i % 7 == 0) {
                std::vector<uint32_t> days = pimcodec::OccurrenceDaysBetween(
                    r, uint32_t((int64_t(kToday) + pimcodec::kOleEpochDays) * 1440), pimcodec::kNeverEndDate, 3);
                if (days.size() == 3) {
                    r.removed = {days[0]};
                    pimcodec::Exception e;
                    e.originalDate = days[1];
                    e.start = days[1] + 60 * 20;
                    e.end = e.start + 30;
                    e.subject = u"Moved";
                    r.exceptions = {e};
                }
            }
            if (pimcodec::EncodeRecurrence(r, &pattern) != pimcodec::Status::kOk) continue;
            start = double(first) + r.startOffset / 1440.0;
        }
        std::vector<CEPROPVAL> p = {Date(0x10420040, start), U4(0x10400013, 60), Bool(0x0022000B, recurring),
                                    U4(0x10000066, i), Str(0x0020001F, s.c_str()), Str(0x0041001F, L"Room 4")};
        if (recurring) p.push_back(Blob(0x203F0064, pattern));
        v.Write(L"Appointments Database", p);
    }
}

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

// The agenda of 14 days out of 20,000 appointments beside the floor of reading
// the records it reads.
void CalendarBench() {
    std::printf("\nbuilding the calendar device: 20000 appointments (2000 recurring)\n");
    PimVolume vol(L"bench_calendar");
    if (!vol.ok) {
        std::printf("cannot create the volume\n");
        return;
    }
    FillCalendar(vol);
    PimOptions opt;
    opt.cat.pimVolume = vol.path;
    opt.fusionVolume = vol.fusionPath;
    opt.contactsTab = opt.seventsTab = opt.seventsOnCalendar = false;
    opt.numDays = 14;
    CPimStore store(nullptr);
    const int runs = 10;
    double floorBest = 1e9, buildBest = 1e9, mark = 0, build = 0;
    size_t records = 0;
    store.ObserveSteps([&](const char* step) {
        const double now = Now();
        if (std::string(step) == "appointments") build = now - mark;
        mark = now;
    });
    for (int i = 0; i < runs; ++i) {
        const double t = Now();
        records = 0;
        SORTORDERSPECEX byStart = SortOn(pimdb::kStart), byRec = SortOn(pimdb::kRecurring);
        CEPROPVAL from = Date(pimdb::kStart, kToday - 31), yes = Bool(pimdb::kRecurring, true);
        for (int pass = 0; pass < 2; ++pass) {
            PimDatabase db;
            if (!db.open(L"Appointments Database", true, nullptr, pass ? &byRec : &byStart, vol.path)) continue;
            if (!db.seekValues(pass ? CEDB_SEEK_VALUEFIRSTEQUAL : CEDB_SEEK_VALUEGREATEROREQUAL, pass ? &yes : &from, 1))
                continue;
            RecordProps r;
            while (r.read(db.handle(), pimdb::kApptProps, pimdb::kApptPropCount)) {
                ++records;
                if (!pass && OleFromTicks(r.ticks(pimdb::kApptStart, pimdb::kStart)) > kToday + 14) break;
                if (pass && !r.flag(pimdb::kApptRecurring, pimdb::kRecurring)) break;
            }
        }
        floorBest = std::min(floorBest, Now() - t);
        store.Stop();
        mark = Now();
        store.Start(nullptr, opt, kToday);
        buildBest = std::min(buildBest, build);
    }
    size_t items = 0;
    for (TItem* d = store.days().head(); d; d = d->next()) items += static_cast<TItemWithList*>(d)->children().size();
    std::printf("floor: reading the same %zu records:   %8.2f ms (best of %d)\n", records, floorBest, runs);
    std::printf("building 14 days (%zu items):          %8.2f ms (best of %d)  = %.2f x floor\n", items, buildBest,
                runs, buildBest / floorBest);
    std::printf("private memory after the load:          %8.2f MB\n", double(PrivateBytes()) / (1024.0 * 1024.0));
    store.Stop();
}

}  // namespace

int main() {
    std::printf("building the device: 2000 contacts, 3000 appointments (300 recurring), 500 tasks, 30 categories\n");
    PimVolume vol(L"bench");
    if (!vol.ok) {
        std::printf("cannot create the volume\n");
        return 1;
    }
    Fill(vol);
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    PimOptions opt;
    opt.cat.pimVolume = vol.path;
    opt.fusionVolume = vol.fusionPath;
    opt.seventsTab = opt.contactsTab = true;
    CCategoryTable cats;
    CPimStore store(&cats);

    // A start on the device finds the store stopped: the lists of the run before
    // are freed outside the timing, and their freeing is shown apart.
    const int runs = 15;
    double floorBest = 1e9, startBest = 1e9, stopBest = 1e9;
    size_t records = 0;
    Steps floorSteps, storeSteps;
    double mark = 0;
    store.ObserveSteps([&](const char* step) {
        const double now = Now();
        storeSteps.Add(step, now - mark);
        mark = now;
    });
    for (int i = 0; i < runs; ++i) {
        double t = Now();
        records = ReadFloor(vol.path, &floorSteps);
        floorBest = std::min(floorBest, Now() - t);
        floorSteps.EndRun();
        t = Now();
        store.Stop();
        if (i > 0) stopBest = std::min(stopBest, Now() - t);  // the first found nothing to free
        t = mark = Now();
        store.Start(wnd, opt, kToday);
        startBest = std::min(startBest, Now() - t);
        storeSteps.EndRun();
    }
    std::printf("floor: reading the same %zu records:   %8.2f ms (best of %d)\n", records, floorBest, runs);
    std::printf("store start:                            %8.2f ms (best of %d)  = %.2f x floor\n", startBest, runs,
                startBest / floorBest);
    std::printf("  where the start's time goes (best of %d each; the floor's read of the same records):\n", runs);
    for (const auto& s : storeSteps.all()) {
        const double f = floorSteps.Of(s.first);
        if (f >= 0) std::printf("  %-30s %8.2f ms   floor %8.2f ms\n", s.first.c_str(), s.second, f);
        else std::printf("  %-30s %8.2f ms\n", s.first.c_str(), s.second);
    }
    std::printf("store stop (freeing the lists):         %8.2f ms (best of %d)\n", stopBest, runs - 1);

    // One appointment in range, changed again and again.
    CEOID oid = 0;
    for (TItem* d = store.days().head(); d && !oid; d = d->next())
        for (TChildItem* c : static_cast<TItemWithList*>(d)->children())
            if (c->Kind() == kKindAppt) {
                oid = static_cast<TApptItem*>(c)->oid;
                break;
            }
    const int changes = 200;
    double handled = 0;
    int seen = 0;
    for (int i = 0; i < changes && oid; ++i) {
        std::wstring s = L"Changed " + std::to_wstring(i);
        vol.Write(L"Appointments Database", {Str(0x0020001F, s.c_str())}, oid);
        MSG msg;
        while (PeekMessageW(&msg, wnd, WM_DBNOTIFICATION, WM_DBNOTIFICATION, PM_REMOVE)) {
            const double t = Now();
            store.HandleNotification(reinterpret_cast<CENOTIFICATION*>(msg.lParam));
            handled += Now() - t;
            ++seen;
        }
    }
    if (seen) std::printf("one appointment change notification:   %8.3f ms (mean of %d)\n", handled / seen, seen);
    else std::printf("one appointment change notification:   no notification arrived\n");
    store.Stop();
    DestroyWindow(wnd);
    CalendarBench();
    return 0;
}
