// Several processes on one volume: writers killed at any point, writers racing,
// a compactor killed half way. POSIX only (fork).
#ifndef _WIN32

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "core.h"
#include "test_util.h"

namespace cedb {
namespace {

using test::Num;
using test::Str;

constexpr uint32_t kIndex = 0x00010013;
constexpr uint32_t kText = 0x0002001F;
constexpr uint32_t kWriter = 0x00030013;

std::u16string TextFor(int i) { return std::u16string(size_t(i % 300), char16_t(u'a' + i % 26)); }

int g_killAt = -1;  // the child dies inside its g_killAt-th append, or -1
int g_appends = 0;
void KillingHook(int stage) {
    if (stage == 1 && g_appends++ == g_killAt) raise(SIGKILL);
    if (stage == 3 && g_killAt == -2) raise(SIGKILL);
}

struct Child {
    pid_t pid = -1;
    int fd = -1;  // reads what the child reports
};

// Forks a writer that appends records i = first, first+1, ... and reports each
// write that returned as a line "oid index".
Child StartWriter(const std::string& path, int first, int count, int killAt, uint32_t writer) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        g_killAt = killAt;
        testing::SetAppendHook(KillingHook);
        auto v = Volume::Open(path, false, nullptr);
        DbInfo info;
        if (!v || v->FindDatabase(u"db", &info) != Error::kOk) _exit(2);
        for (int i = first; i < first + count; ++i) {
            uint32_t oid = 0;
            if (v->Write(info.oid, 0, {Num(kIndex, i), Str(kText, TextFor(i)), Num(kWriter, writer)}, {}, &oid) !=
                Error::kOk)
                _exit(3);
            char line[64];
            int n = snprintf(line, sizeof line, "%u %d\n", oid, i);
            if (write(fds[1], line, size_t(n)) != n) _exit(4);
        }
        _exit(0);
    }
    close(fds[1]);
    return {pid, fds[0]};
}

// Reads reports until `want` lines arrived (or the child closed the pipe).
std::vector<std::pair<uint32_t, int>> ReadReports(Child& c, size_t want) {
    std::vector<std::pair<uint32_t, int>> out;
    std::string buf;
    char tmp[4096];
    while (out.size() < want) {
        ssize_t n = read(c.fd, tmp, sizeof tmp);
        if (n <= 0) break;
        buf.append(tmp, size_t(n));
        size_t nl;
        while ((nl = buf.find('\n')) != std::string::npos) {
            unsigned oid = 0;
            int idx = 0;
            if (sscanf(buf.c_str(), "%u %d", &oid, &idx) == 2) out.emplace_back(oid, idx);
            buf.erase(0, nl + 1);
        }
    }
    return out;
}

int Finish(Child& c) {
    close(c.fd);
    int status = 0;
    waitpid(c.pid, &status, 0);
    return status;
}

class MultiProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto v = Volume::Open(path, true, nullptr);
        ASSERT_NE(v, nullptr);
        ASSERT_EQ(v->CreateDatabase(u"db", 0, {}, &db), Error::kOk);
    }
    // Every reported write is there and whole; anything else is at most the one
    // write in flight, also whole.
    void CheckAfterKill(const std::vector<std::pair<uint32_t, int>>& reported, int first) {
        auto v = Volume::Open(path, false, nullptr);
        ASSERT_NE(v, nullptr);
        std::vector<uint32_t> ids = v->RecordIds(db);
        std::set<uint32_t> seen(ids.begin(), ids.end());
        for (const auto& [oid, idx] : reported) EXPECT_TRUE(seen.count(oid)) << "lost write " << idx;
        EXPECT_LE(ids.size(), reported.size() + 1 + size_t(first));
        for (uint32_t oid : ids) {
            Record r;
            ASSERT_EQ(v->Read(oid, &r), Error::kOk);
            ASSERT_NE(r.find(kIndex), nullptr);
            int idx = int(r.find(kIndex)->num);
            ASSERT_NE(r.find(kText), nullptr);
            EXPECT_EQ(r.find(kText)->str, TextFor(idx));
        }
    }
    test::TempDir dir;
    std::string path = dir.File("pim.vol");
    uint32_t db = 0;
};

TEST_F(MultiProcessTest, WriterKilledHalfWayThroughAnAppendChangesNothing) {
    int total = 0;
    for (int kill = 0; kill < 12; ++kill) {
        Child c = StartWriter(path, total, 1000, kill, 1);
        auto reported = ReadReports(c, SIZE_MAX);
        int status = Finish(c);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        ASSERT_EQ(reported.size(), size_t(kill));
        CheckAfterKill(reported, total);
        total += kill;
        auto v = Volume::Open(path, false, nullptr);
        EXPECT_EQ(v->RecordIds(db).size(), size_t(total));  // the half-written one is not visible
    }
}

TEST_F(MultiProcessTest, WritersKilledAtRandomMomentsLoseNoReturnedWrite) {
    std::mt19937 rng(20240607);
    int first = 0;
    size_t have = 0;
    for (int round = 0; round < 15; ++round) {
        size_t wait = rng() % 60;
        Child c = StartWriter(path, first, 100000, -1, 1);
        auto reported = ReadReports(c, wait);
        kill(c.pid, SIGKILL);
        auto rest = ReadReports(c, SIZE_MAX);  // reports written before the kill
        reported.insert(reported.end(), rest.begin(), rest.end());
        Finish(c);
        CheckAfterKill(reported, int(have));
        auto v = Volume::Open(path, false, nullptr);
        have = v->RecordIds(db).size();
        first += 100000;
    }
}

TEST_F(MultiProcessTest, ConcurrentWritersGetUniqueIdsAndKeepEverything) {
    auto watcher = Volume::Open(path, false, nullptr);
    uint64_t seq = watcher->LastSeq();
    Child a = StartWriter(path, 0, 300, -1, 1);
    Child b = StartWriter(path, 1000, 300, -1, 2);
    Child c = StartWriter(path, 2000, 300, -1, 3);
    size_t reports = ReadReports(a, SIZE_MAX).size() + ReadReports(b, SIZE_MAX).size() + ReadReports(c, SIZE_MAX).size();
    EXPECT_EQ(Finish(a), 0);
    EXPECT_EQ(Finish(b), 0);
    EXPECT_EQ(Finish(c), 0);
    EXPECT_EQ(reports, 900u);
    std::vector<uint32_t> ids = watcher->RecordIds(db);
    EXPECT_EQ(ids.size(), 900u);
    EXPECT_EQ(std::set<uint32_t>(ids.begin(), ids.end()).size(), 900u);
    std::vector<Change> ch = watcher->ChangesSince(seq);
    ASSERT_EQ(ch.size(), 900u);
    for (size_t i = 0; i < ch.size(); ++i) EXPECT_EQ(ch[i].seq, seq + 1 + i);
}

TEST_F(MultiProcessTest, CompactorKilledBeforeTheRenameLeavesTheVolumeUsable) {
    auto v = Volume::Open(path, false, nullptr);
    uint32_t oid = 0;
    for (int i = 0; i < 20; ++i) ASSERT_EQ(v->Write(db, 0, {Num(kIndex, i), Str(kText, TextFor(i))}, {}, &oid), Error::kOk);
    pid_t pid = fork();
    if (pid == 0) {
        g_killAt = -2;
        testing::SetAppendHook(KillingHook);
        auto c = Volume::Open(path, false, nullptr);
        c->Compact(nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    // The old file carries a retirement marker, but nothing replaced it.
    ASSERT_EQ(v->Write(db, 0, {Num(kIndex, 20), Str(kText, TextFor(20))}, {}, &oid), Error::kOk);
    auto fresh = Volume::Open(path, false, nullptr);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->RecordIds(db).size(), 21u);
    EXPECT_EQ(fresh->Compact(nullptr), Error::kOk);
    EXPECT_EQ(v->RecordIds(db).size(), 21u);
}

}  // namespace
}  // namespace cedb

#endif  // _WIN32
