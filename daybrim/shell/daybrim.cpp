// The library's entry points: the Today screen loads it, calls ordinal 240 for the
// item's window and ordinal 241 for its options dialog.
#include <windows.h>

#include "host_window.h"
#include "messages.h"
#include "module.h"
#include "todaycmn.h"

namespace daybrim {

namespace {
DaybrimModule* g_module = nullptr;
}  // namespace

DaybrimModule::DaybrimModule(HINSTANCE inst)
    : instance(inst), settingsChangedMsg(RegisterWindowMessageW(DAYBRIM_SETTINGS_CHANGED)) {}

DaybrimModule::~DaybrimModule() {
    // Windows still alive at unload go first: they reach into the objects below.
    hosts.clear();
}

DaybrimModule& Module() { return *g_module; }
bool ModuleLoaded() { return g_module != nullptr; }

}  // namespace daybrim

using namespace daybrim;

extern "C" {

HWND WINAPI InitializeCustomItem(TODAYLISTITEM* item, HWND parent) {
    if (!item || !item->fEnabled || !ModuleLoaded()) return nullptr;
    DaybrimModule& m = Module();
    // Objects whose windows are gone are let go here.
    auto& hosts = m.hosts;
    for (size_t i = hosts.size(); i-- > 0;)
        if (!hosts[i]->hwnd()) hosts.erase(hosts.begin() + long(i));
    std::unique_ptr<CHostWindow> host(new CHostWindow(m));
    HWND hwnd = host->Create(parent);
    if (hwnd) hosts.push_back(std::move(host));
    return hwnd;
}

BOOL WINAPI CustomItemOptionsDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            EndDialog(dlg, 1);
            return TRUE;
        }
        return FALSE;
    }
    // A dialog procedure leaves everything else to the dialog manager.
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(inst);
        g_module = new DaybrimModule(inst);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (g_module) {
            g_module->hosts.clear();
            UnregisterClassW(DAYBRIM_HOST_CLASS, inst);
        }
        delete g_module;
        g_module = nullptr;
    }
    return TRUE;
}

}  // extern "C"
