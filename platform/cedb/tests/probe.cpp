// A second process on a volume, for the notification tests:
//   cedb_probe write VOL DB N         appends N records (prop 0x00010013 = 0..N-1)
//   cedb_probe wait VOL DB N MS READY mounts VOL (creating it and DB if missing),
//                                     opens DB with a notify request, creates the file
//                                     READY, then prints "type oid" for each
//                                     notification; exits 0 once N arrived, 1 when
//                                     MS milliseconds pass first.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "raii.h"
#include "windbase.h"

namespace {

constexpr CEPROPID kIndex = 0x00010013;

int Fail(const char* what) {
    std::fprintf(stderr, "cedb_probe: %s failed (%lu)\n", what, GetLastError());
    return 2;
}

struct Mounted {
    CEGUID guid;
    bool ok = false;
    Mounted(LPWSTR path, DWORD how) { ok = CeMountDBVolEx(&guid, path, nullptr, how) != FALSE; }
    ~Mounted() {
        if (ok) CeUnmountDBVol(&guid);
    }
};

// The device's CloseHandle closes databases.
using Db = raii::File;

int Write(LPWSTR vol, LPWSTR name, int n) {
    Mounted m(vol, OPEN_EXISTING);
    if (!m.ok) return Fail("mount");
    CEOID oid = 0;
    Db db(CeOpenDatabaseInSession(nullptr, &m.guid, &oid, name, nullptr, 0, nullptr));
    if (!db) return Fail("open");
    for (int i = 0; i < n; ++i) {
        CEPROPVAL v = {};
        v.propid = kIndex;
        v.val.ulVal = ULONG(i);
        if (!CeWriteRecordProps(db.get(), 0, 1, &v)) return Fail("write");
    }
    return 0;
}

int Wait(LPWSTR vol, LPWSTR name, int want, DWORD ms, LPCWSTR ready) {
    HWND wnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!wnd) return Fail("window");
    Mounted m(vol, OPEN_ALWAYS);
    if (!m.ok) return Fail("mount");
    CEDBASEINFOEX info = {};
    info.wVersion = CEDBASEINFOEX_VERSION;
    info.dwFlags = CEDB_VALIDNAME;
    lstrcpynW(info.szDbaseName, name, CEDB_MAXDBASENAMELEN);
    if (!CeCreateDatabaseEx2(&m.guid, &info) && GetLastError() != ERROR_DUP_NAME) return Fail("create");
    CENOTIFYREQUEST req = {sizeof req, wnd, CEDB_EXNOTIFICATION, nullptr, 7};
    CEOID oid = 0;
    Db db(CeOpenDatabaseInSession(nullptr, &m.guid, &oid, name, nullptr, 0, &req));
    if (!db) return Fail("open");
    if (!raii::File(CreateFileW(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr))) return Fail("ready file");
    std::fflush(stdout);

    int got = 0;
    DWORD start = GetTickCount();
    while (got < want) {
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_DBNOTIFICATION) continue;
            auto* n = reinterpret_cast<CENOTIFICATION*>(msg.lParam);
            std::printf("%#x %lu %lu\n", n->uType, n->oid, n->dwParam);
            std::fflush(stdout);
            CeFreeNotification(&req, n);
            ++got;
        }
    }
    DestroyWindow(wnd);
    return got >= want ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && !std::wcscmp(argv[1], L"write")) return Write(argv[2], argv[3], _wtoi(argv[4]));
    if (argc == 7 && !std::wcscmp(argv[1], L"wait"))
        return Wait(argv[2], argv[3], _wtoi(argv[4]), DWORD(_wtoi(argv[5])), argv[6]);
    std::fprintf(stderr, "usage: cedb_probe write VOL DB N | wait VOL DB N MS READY\n");
    return 2;
}
