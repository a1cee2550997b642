// Notifications as the Today item relies on them: every create, change and delete
// reaches every request on the database, posted, in order, from this handle, another
// handle, another thread and another process.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "raii.h"
#include "test_util.h"

using namespace cedbtest;

namespace {

constexpr CEPROPID kRank = 0x01020013;
// How soon a change must reach a window (from the moment the write returned).
constexpr DWORD kLatencyMs = 500;

CEOID Add(HANDLE db, ULONG rank) {
    CEPROPVAL v = U4(kRank, rank);
    return CeWriteRecordProps(db, 0, 1, &v);
}

TEST(CedbNotify, OwnHandleGetsCreateChangeDeleteInOrderAsPostedMessages) {
    TestVolume vol(L"notify_own");
    CEOID dboid = vol.CreateDb(L"Appointments Database");
    NotifyWindow win;
    CENOTIFYREQUEST req = win.Request(1);
    DbHandle db(vol.Open(L"Appointments Database", nullptr, CEDB_AUTOINCREMENT, &req));
    ASSERT_NE(INVALID_HANDLE_VALUE, db.get());

    CEOID oid = Add(db, 1);
    ASSERT_NE(0u, oid);
    CEPROPVAL v = U4(kRank, 2);
    ASSERT_EQ(oid, CeWriteRecordProps(db, oid, 1, &v));
    ASSERT_TRUE(CeDeleteRecord(db, oid));
    EXPECT_TRUE(win.notes.empty());  // posted, never sent from inside the call

    ASSERT_TRUE(win.WaitFor(3, kLatencyMs));
    ASSERT_EQ(3u, win.notes.size());
    const UINT types[] = {DB_CEOID_CREATED, DB_CEOID_CHANGED, DB_CEOID_RECORD_DELETED};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(types[i], win.notes[i].type);
        EXPECT_EQ(oid, win.notes[i].oid);
        EXPECT_EQ(dboid, win.notes[i].parent);
        EXPECT_EQ(1u, win.notes[i].param);
        EXPECT_EQ(0, memcmp(&win.notes[i].guid, vol.guid(), sizeof(CEGUID)));
    }
    // Nothing more follows (e.g. the same change again from the watcher).
    EXPECT_FALSE(win.WaitFor(4, 300));
}

TEST(CedbNotify, EveryRequestOnTheDatabaseAndNoOther) {
    TestVolume vol(L"notify_two");
    vol.CreateDb(L"Contacts Database");
    vol.CreateDb(L"Tasks Database");
    NotifyWindow contacts, second, tasks;
    CENOTIFYREQUEST r1 = contacts.Request(3), r2 = second.Request(7), r3 = tasks.Request(2);
    DbHandle a(vol.Open(L"Contacts Database", nullptr, 0, &r1));
    SORTORDERSPECEX s = Sort({{kRank, 0}});
    DbHandle b(vol.Open(L"Contacts Database", &s, CEDB_AUTOINCREMENT, &r2));
    DbHandle t(vol.Open(L"Tasks Database", nullptr, 0, &r3));
    DbHandle quiet(vol.Open(L"Contacts Database"));  // no request

    CEOID oid = Add(quiet, 5);
    ASSERT_NE(0u, oid);
    ASSERT_TRUE(contacts.WaitFor(1, kLatencyMs));
    ASSERT_TRUE(second.WaitFor(1, kLatencyMs));
    EXPECT_EQ(oid, contacts.notes[0].oid);
    EXPECT_EQ(3u, contacts.notes[0].param);
    EXPECT_EQ(7u, second.notes[0].param);
    EXPECT_FALSE(tasks.WaitFor(1, 300));
}

TEST(CedbNotify, ClosingAHandleDropsItsRequest) {
    TestVolume vol(L"notify_close");
    vol.CreateDb(L"db");
    NotifyWindow kept, dropped;
    CENOTIFYREQUEST rk = kept.Request(1), rd = dropped.Request(2);
    DbHandle a(vol.Open(L"db", nullptr, 0, &rk));
    HANDLE b = vol.Open(L"db", nullptr, 0, &rd);
    ASSERT_NE(INVALID_HANDLE_VALUE, b);
    ASSERT_TRUE(CloseHandle(b));
    ASSERT_NE(0u, Add(a, 1));
    ASSERT_TRUE(kept.WaitFor(1, kLatencyMs));
    EXPECT_FALSE(dropped.WaitFor(1, 300));
}

TEST(CedbNotify, RequestsAreChecked) {
    TestVolume vol(L"notify_bad");
    vol.CreateDb(L"db");
    NotifyWindow win;
    CENOTIFYREQUEST small = win.Request(1);
    small.dwSize = 12;
    CENOTIFYREQUEST noWindow = win.Request(1);
    noWindow.hwnd = nullptr;
    for (CENOTIFYREQUEST* r : {&small, &noWindow}) {
        SetLastError(kSentinel);
        EXPECT_EQ(INVALID_HANDLE_VALUE, vol.Open(L"db", nullptr, 0, r));
        EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());
    }
    SetLastError(kSentinel);
    EXPECT_FALSE(CeFreeNotification(nullptr, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError());

    // A request with its own heap gets notifications from that heap.
    HANDLE heap = HeapCreate(0, 0, 0);
    CENOTIFYREQUEST own = win.Request(4);
    own.hHeap = heap;
    {
        DbHandle db(vol.Open(L"db", nullptr, 0, &own));
        ASSERT_NE(0u, Add(db, 1));
        MSG msg;
        DWORD start = GetTickCount();
        bool got = false;
        while (!got && GetTickCount() - start < kLatencyMs) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLPOSTMESSAGE);
            got = PeekMessageW(&msg, win.hwnd(), WM_DBNOTIFICATION, WM_DBNOTIFICATION, PM_REMOVE) != FALSE;
        }
        ASSERT_TRUE(got);
        auto* n = reinterpret_cast<CENOTIFICATION*>(msg.lParam);
        EXPECT_NE(static_cast<SIZE_T>(-1), HeapSize(heap, 0, n));
        EXPECT_EQ(4u, n->dwParam);
        EXPECT_TRUE(CeFreeNotification(&own, n));
    }
    HeapDestroy(heap);
}

// The loader thread reads on its own handle while this thread writes and reads.
TEST(CedbNotify, LoaderThreadReadsWhileTheUiThreadWrites) {
    TestVolume vol(L"notify_threads");
    vol.CreateDb(L"db");
    NotifyWindow win;
    CENOTIFYREQUEST req = win.Request(1);
    DbHandle ui(vol.Open(L"db", nullptr, 0, &req));
    for (ULONG i = 0; i < 50; ++i) ASSERT_NE(0u, Add(ui, i));

    std::atomic<bool> stop{false};
    std::atomic<int> scans{0}, bad{0};
    std::thread loader([&] {
        SORTORDERSPECEX s = Sort({{kRank, CEDB_SORT_DESCENDING}});
        DbHandle db(vol.Open(L"db", &s, CEDB_AUTOINCREMENT));
        CEPROPID id = kRank;
        while (!stop) {
            if (!CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr)) ++bad;
            ULONG last = ~0ul;
            ReadBuffer b;
            WORD n = 1;
            while (CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &n, &id, &b.p, &b.cb, nullptr)) {
                if (b.vals()[0].val.ulVal > last) ++bad;  // out of order
                last = b.vals()[0].val.ulVal;
                n = 1;
            }
            ++scans;
        }
    });
    std::vector<CEOID> added;
    for (ULONG i = 0; i < 100; ++i) {
        CEOID oid = Add(ui, 1000 + i);
        ASSERT_NE(0u, oid);
        added.push_back(oid);
        if (i % 3 == 0) {
            ASSERT_TRUE(CeDeleteRecord(ui, added[i / 3]));
        }
        NotifyWindow::Pump();
    }
    // Wait for at least one whole scan after the writes, then stop the reader.
    int seen = scans;
    DWORD start = GetTickCount();
    while (scans < seen + 2 && GetTickCount() - start < 10000) Sleep(1);
    stop = true;
    loader.join();
    EXPECT_EQ(0, bad);
    EXPECT_GE(scans.load(), seen + 2);
    // 100 creates and 34 deletes, every one notified.
    ASSERT_TRUE(win.WaitFor(50 + 134, 2000));
    EXPECT_EQ(50u + 134u, win.notes.size());
}

std::wstring ProbePath() {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring dir(self, n);
    return dir.substr(0, dir.find_last_of(L'\\') + 1) + L"cedb_probe.exe";
}

// Runs cedb_probe with args; its exit code, or -1.
int RunProbe(const std::wstring& args, DWORD timeoutMs) {
    std::wstring exe = ProbePath();
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int(code);
}

TEST(CedbNotify, WritesByAnotherProcessArriveWithinHalfASecond) {
    TestVolume vol(L"notify_process");
    CEOID dboid = vol.CreateDb(L"Contacts Database");
    NotifyWindow win;
    CENOTIFYREQUEST req = win.Request(3);
    DbHandle db(vol.Open(L"Contacts Database", nullptr, 0, &req));
    ASSERT_NE(INVALID_HANDLE_VALUE, db.get());
    ASSERT_EQ(0, RunProbe(std::wstring(L"write ") + vol.path() + L" \"Contacts Database\" 3", 30000));
    ASSERT_TRUE(win.WaitFor(3, kLatencyMs)) << win.notes.size();
    std::vector<CEOID> seen;
    for (const Note& n : win.notes) {
        EXPECT_EQ(UINT(DB_CEOID_CREATED), n.type);
        EXPECT_EQ(dboid, n.parent);
        seen.push_back(n.oid);
    }
    // In order, and each one readable through a CEOID seek.
    EXPECT_LT(seen[0], seen[1]);
    EXPECT_LT(seen[1], seen[2]);
    EXPECT_EQ(seen[2], CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, seen[2], 0, nullptr));
}

TEST(CedbNotify, AnotherProcessSeesOurWrites) {
    TestVolume vol(L"notify_child");
    vol.CreateDb(L"db");
    DbHandle db(vol.Open(L"db"));
    // The child waits for 2 notifications for up to 20 s; it says it is ready by file.
    std::wstring ready = L"\\Temp\\cedb_notify_child.ready";
    DeleteFileW(ready.c_str());
    std::wstring exe = ProbePath();
    std::wstring cmd = L"\"" + exe + L"\" wait " + vol.path() + L" db 2 20000 " + ready;
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    DWORD start = GetTickCount();
    while (GetFileAttributesW(ready.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 20000 &&
           WaitForSingleObject(pi.hProcess, 10) == WAIT_TIMEOUT) {
    }
    CEOID oid = Add(db, 1);
    EXPECT_TRUE(CeDeleteRecord(db, oid));
    DWORD code = 99;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(0u, code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    DeleteFileW(ready.c_str());
}

DWORD WINAPI FreeInThread(void* module) { return FreeLibrary(static_cast<HMODULE>(module)); }

TEST(CedbNotify, ALibraryLetsGoOfAWatchedVolumeWhileItUnloads) {
    // Its last unmount happens with the loader lock held; the watcher thread cannot
    // end while that lock is held, so nothing may wait for it there.
    NotifyWindow win;
    raii::Library lib(LoadLibraryW(UNLOAD_LIB));
    ASSERT_TRUE(lib);
    auto open = reinterpret_cast<BOOL(WINAPI*)(const wchar_t*, HWND)>(
        reinterpret_cast<void*>(GetProcAddress(lib.get(), "UnloadLibOpen")));
    ASSERT_TRUE(open);
    DeleteFileW(L"\\Temp\\cedb_unload.vol");
    ASSERT_TRUE(open(L"\\Temp\\cedb_unload.vol", win.hwnd()));
    HMODULE module = lib.release();
    HANDLE unloader = CreateThread(nullptr, 0, &FreeInThread, module, 0, nullptr);
    ASSERT_TRUE(unloader);
    raii::Handle owner(unloader);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(unloader, 10000)) << "unloading the library hung";
    DeleteFileW(L"\\Temp\\cedb_unload.vol");
}

}  // namespace
