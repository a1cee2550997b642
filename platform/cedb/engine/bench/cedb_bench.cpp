// Figures for a volume the size of a well-used handheld's: creating it, mounting
// it afresh, sorted full scans, seeks, size on disk.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "volume.h"

using namespace cedb;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

PropValue S(uint32_t id, const std::string& s) {
    PropValue v;
    v.propid = id;
    v.str.assign(s.begin(), s.end());
    return v;
}
PropValue N(uint32_t id, int64_t n) {
    PropValue v;
    v.propid = id;
    v.num = n;
    return v;
}
PropValue B(uint32_t id, size_t n, uint8_t seed) {
    PropValue v;
    v.propid = id;
    for (size_t i = 0; i < n; ++i) v.bytes.push_back(uint8_t(seed + i * 7));
    return v;
}

const char* kFirst[] = {"Anna", "Boris", "Chloe", "Dmitri", "Elena", "Farid", "Greta", "Hugo", "Ines", "Jonas"};
const char* kLast[] = {"Smith", "Ivanova", "Garcia", "Papadopoulos", "Cohen", "Nguyen", "Muller", "Rossi", "Kowalski", "Berg"};
constexpr int64_t kDay = 864000000000LL;
constexpr int64_t kBase = 133000000000000000LL;  // a FILETIME in 2022

struct Db {
    const char* name;
    uint32_t sortKey;
    uint32_t flags;
    uint32_t oid = 0;
};

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::string path = argc > 1 ? argv[1] : (fs::temp_directory_path() / "cedb_bench.vol").string();
    fs::remove(path);
    fs::remove(path + ".compact");
    std::mt19937 rng(42);
    Db contacts{"Contacts Database", 0x0080001F, kSortCaseInsensitive};
    Db appts{"Appointments Database", 0x10420040, 0};
    Db tasks{"Tasks Database", 0x00630040, 0};

    auto t0 = Clock::now();
    {
        Error e;
        auto v = Volume::Open(path, true, &e);
        if (!v) {
            fprintf(stderr, "cannot create %s: %s\n", path.c_str(), ErrorText(e));
            return 1;
        }
        for (Db* d : {&contacts, &appts, &tasks}) {
            SortOrder o;
            o.keys = {{d->sortKey, d->flags}};
            if (v->CreateDatabase(std::u16string(d->name, d->name + strlen(d->name)), 0, {o}, &d->oid) != Error::kOk)
                return 1;
        }
        uint32_t recid = 1;
        for (int i = 0; i < 10000; ++i) {
            std::string f = kFirst[rng() % 10], l = kLast[rng() % 10];
            std::vector<PropValue> p = {
                N(0x00F80013, 0x0097001F), S(0x0080001F, l + ", " + f + " " + std::to_string(i)),
                S(0x0082001F, f), S(0x0084001F, l), S(0x008A001F, "Company " + std::to_string(i % 700)),
                S(0x0096001F, "+44 7700 9" + std::to_string(10000 + i)), S(0x0097001F, "+44 20 7946 " + std::to_string(i % 1000)),
                S(0x0090001F, f + "." + l + "@example.com"), N(0x10000066, recid++)};
            if (i % 3 == 0) p.push_back(N(0x00F00040, kBase - int64_t(rng() % 20000) * kDay));
            if (i % 5 == 0) p.push_back(S(0x101F001F, "Met at the conference; call back about the offer."));
            if (v->Write(contacts.oid, 0, p, {}, nullptr) != Error::kOk) return 1;
        }
        for (int i = 0; i < 20000; ++i) {
            bool recurring = i % 10 == 0;
            std::vector<PropValue> p = {
                N(0x10420040, kBase + int64_t(rng() % 1000) * kDay + int64_t(rng() % 48) * kDay / 48),
                N(0x10400013, 30 * (1 + rng() % 6)), N(0x0022000B, recurring), N(0x00210013, i % 17 == 0 ? 2 : 0),
                N(0x00450013, rng() % 4), N(0x0044000B, i % 20 == 0), N(0x10000066, recid++),
                S(0x0020001F, "Meeting " + std::to_string(i)), S(0x0041001F, "Room " + std::to_string(i % 40)),
                N(0x0028000B, 1)};
            if (recurring) {
                p.push_back(B(0x203F0064, 200, uint8_t(i)));
                p.push_back(B(0x00480041, 48, uint8_t(i)));
            }
            if (v->Write(appts.oid, 0, p, {}, nullptr) != Error::kOk) return 1;
        }
        for (int i = 0; i < 2000; ++i) {
            std::vector<PropValue> p = {
                S(0x0020001F, "Task " + std::to_string(i)), N(0x00210013, 0), N(0x0028000B, i % 4 == 0),
                N(0x00620040, kBase + int64_t(i % 300) * kDay), N(0x00630040, kBase + int64_t(i % 300 + 7) * kDay),
                N(0x00600013, i % 3), N(0x1065000B, i % 5 == 0), N(0x0022000B, 0), N(0x10000066, recid++)};
            if (v->Write(tasks.oid, 0, p, {}, nullptr) != Error::kOk) return 1;
        }
        if (v->Flush() != Error::kOk) return 1;
    }
    auto t1 = Clock::now();
    printf("create 32000 records:     %8.1f ms\n", Ms(t0, t1));

    auto m0 = Clock::now();
    Error e;
    auto v = Volume::Open(path, false, &e);
    auto m1 = Clock::now();
    if (!v) return 1;
    printf("mount (open fresh):       %8.1f ms\n", Ms(m0, m1));

    double scanTotal = 0;
    for (Db* d : {&contacts, &appts, &tasks}) {
        SortOrder o;
        o.keys = {{d->sortKey, d->flags}};
        Cursor c(*v, d->oid, o);
        auto s0 = Clock::now();
        size_t n = 0, bytes = 0;
        for (uint32_t oid = c.SeekBeginning(); oid; oid = c.Next()) {
            Record r;
            if (v->Read(oid, &r) != Error::kOk) return 1;
            bytes += r.props.size();
            ++n;
        }
        auto s1 = Clock::now();
        scanTotal += Ms(s0, s1);
        printf("sorted scan %-22s %6zu records %8.1f ms\n", d->name, n, Ms(s0, s1));
    }
    printf("mount + all scans:        %8.1f ms\n", Ms(m0, m1) + scanTotal);

    {
        SortOrder o;
        o.keys = {{appts.sortKey, 0}};
        Cursor c(*v, appts.oid, o);
        std::vector<uint32_t> ids = v->RecordIds(appts.oid);
        const int kSeeks = 20000;
        c.SeekBeginning();  // sorts once, outside the timing
        auto a0 = Clock::now();
        for (int i = 0; i < kSeeks; ++i)
            if (!c.SeekOid(ids[rng() % ids.size()])) return 1;
        auto a1 = Clock::now();
        for (int i = 0; i < kSeeks; ++i) {
            PropValue k = N(0x10420040, kBase + int64_t(rng() % 1000) * kDay);
            c.SeekGreaterOrEqual({k});
        }
        auto a2 = Clock::now();
        printf("seek by oid (avg):        %8.2f us\n", Ms(a0, a1) * 1000 / kSeeks);
        printf("seek by value >= (avg):   %8.2f us\n", Ms(a1, a2) * 1000 / kSeeks);
    }
    {
        SortOrder o;
        o.keys = {{contacts.sortKey, kSortCaseInsensitive}};
        Cursor c(*v, contacts.oid, o);
        c.SeekBeginning();
        const int kSeeks = 20000;
        auto a0 = Clock::now();
        for (int i = 0; i < kSeeks; ++i) {
            std::string key = std::string(kLast[rng() % 10]) + ", ";
            c.SeekGreaterOrEqual({S(0x0080001F, key)});
        }
        auto a1 = Clock::now();
        printf("seek contact by name (avg):%7.2f us\n", Ms(a0, a1) * 1000 / kSeeks);
    }
    uint64_t size = v->FileSize();
    printf("volume size on disk:      %8.2f MB (%" PRIu64 " bytes)\n", double(size) / (1 << 20), size);

    // A week of edits, then compaction.
    uint32_t first = v->RecordIds(appts.oid).front();
    for (int i = 0; i < 5000; ++i) v->Write(appts.oid, first, {N(0x00450013, i % 4)}, {}, nullptr);
    uint64_t before = v->FileSize(), after = 0;
    auto c0 = Clock::now();
    const Error compacted = v->Compact(&after);
    auto c1 = Clock::now();
    if (compacted == Error::kLocked) {
        // Under Wine an open file cannot be replaced: only the native tool compacts.
        printf("compact after 5000 edits:   not here (the volume file cannot be replaced while open)\n");
    } else if (compacted != Error::kOk) {
        return 1;
    } else {
        printf("compact after 5000 edits: %8.1f ms, %" PRIu64 " -> %" PRIu64 " bytes\n", Ms(c0, c1), before, after);
    }
    v.reset();
    fs::remove(path);
    return 0;
}
