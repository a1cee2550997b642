// An old-style add-in for the host's tests: records what CePimCommand was given.
#include <windows.h>

#include "devicelog.h"
#include "pimstore.h"

extern "C" HRESULT WINAPI CePimCommand(HWND hwnd, int kind, UINT cItems, HANDLE* rgOids, void*) {
    devlog::Event("testaddin", "command")
        .Bool("window", hwnd && IsWindow(hwnd))
        .Int("kind", kind)
        .Int("items", cItems)
        .Int("oid", cItems && rgOids ? long(reinterpret_cast<UINT_PTR>(rgOids[0])) : -1)
        .Append();
    return S_OK;
}
