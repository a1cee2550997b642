// An old-style Pocket Outlook add-in as third parties write them: one export that
// is given the item's menu and object identifiers. It records what it was given.
#include <windows.h>

#include "devicelog.h"
#include "pimstore.h"

extern "C" HRESULT WINAPI CePimCommand(HWND hwnd, int kind, UINT cItems, HANDLE* rgOids, void*) {
    wchar_t path[MAX_PATH] = {};
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CePimCommand), &self);
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring name = path;
    name.erase(0, name.find_last_of(L"\\/") + 1);
    devlog::Event("addin", "command")
        .Str("library", name)
        .Bool("window", hwnd && IsWindow(hwnd))
        .Int("kind", kind)
        .Int("items", cItems)
        .Int("oid", cItems && rgOids ? long(reinterpret_cast<UINT_PTR>(rgOids[0])) : -1)
        .Append();
    return S_OK;
}
