// Module-wide state of the in-process server: the count of live objects and server
// locks that DllCanUnloadNow reports, and the library's own instance.
#pragma once
#include <windows.h>

namespace tallyext {

void ModuleAddRef();
void ModuleRelease();
long ModuleCount();
HINSTANCE ModuleInstance();

// Counts its owner in the module for exactly its lifetime.
struct ModuleRef {
    ModuleRef() { ModuleAddRef(); }
    ~ModuleRef() { ModuleRelease(); }
    ModuleRef(const ModuleRef&) = delete;
    ModuleRef& operator=(const ModuleRef&) = delete;
};

// The four classes, one per host menu, and where each is registered.
struct ServerClass {
    const CLSID* clsid;
    const wchar_t* clsidText;
    const wchar_t* description;
    const wchar_t* hostMenuKey;  // under HKEY_LOCAL_MACHINE
    bool softkey;
};
extern const ServerClass kServerClasses[4];

}  // namespace tallyext
