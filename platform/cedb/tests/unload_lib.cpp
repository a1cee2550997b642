// A library that keeps an object store volume open with a notification request and
// lets go of it while it is being unloaded, as a Today item's module objects do.
#include <windows.h>

#include "windbase.h"

namespace {
CEGUID g_guid;
HANDLE g_db = INVALID_HANDLE_VALUE;
CENOTIFYREQUEST g_request;
}  // namespace

extern "C" BOOL WINAPI UnloadLibOpen(const wchar_t* volume, HWND notify) {
    if (!CeMountDBVolEx(&g_guid, const_cast<LPWSTR>(volume), nullptr, OPEN_ALWAYS)) return FALSE;
    CEDBASEINFOEX info = {};
    info.wVersion = CEDBASEINFOEX_VERSION;
    info.dwFlags = CEDB_VALIDNAME;
    lstrcpyW(info.szDbaseName, L"Unload");
    CeCreateDatabaseEx2(&g_guid, &info);
    g_request = CENOTIFYREQUEST{sizeof(CENOTIFYREQUEST), notify, CEDB_EXNOTIFICATION, nullptr, 1};
    CEOID oid = 0;
    g_db = CeOpenDatabaseInSession(nullptr, &g_guid, &oid, const_cast<LPWSTR>(L"Unload"), nullptr, 0, &g_request);
    return g_db != INVALID_HANDLE_VALUE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH && g_db != INVALID_HANDLE_VALUE) {
        CloseHandle(g_db);
        CeUnmountDBVol(&g_guid);
    }
    return TRUE;
}
