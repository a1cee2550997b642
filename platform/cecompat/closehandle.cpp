// CloseHandle as device code sees it: database handles belong to cedb.dll.
#include "cecompat.h"

extern "C" BOOL WINAPI CeSim_CloseHandle(HANDLE h) {
    // Looked up on each call rather than cached: cedb.dll may be loaded later than
    // the first close, and only a loaded cedb.dll can own the handle.
    if (HMODULE cedb = GetModuleHandleW(L"cedb.dll")) {
        using CloseFn = BOOL(WINAPI*)(HANDLE);
        auto close = reinterpret_cast<CloseFn>(
            reinterpret_cast<void*>(GetProcAddress(cedb, "CeSim_CloseDatabaseHandle")));
        if (close && close(h)) return TRUE;
    }
    return CloseHandle(h);
}
