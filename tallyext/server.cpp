// The in-process server: its class factory, the module count and the four exports
// through which hosts create, unload and register it.
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <new>
#include <string>

#include "com_base.h"
#include "com_call.h"
#include "extension.h"
#include "module.h"
#include "raii.h"

namespace tallyext {

namespace {

std::atomic<long> g_moduleCount{0};
HINSTANCE g_instance = nullptr;

// {F89616F1-C3A6-4af3-8B39-6EE5A41175C0}
const CLSID kCalendarSoftkey = {0xF89616F1, 0xC3A6, 0x4af3, {0x8B, 0x39, 0x6E, 0xE5, 0xA4, 0x11, 0x75, 0xC0}};
// {A4A3F257-008B-4cb5-A6CC-2DE2BC0037F2}
const CLSID kCalendarContext = {0xA4A3F257, 0x008B, 0x4cb5, {0xA6, 0xCC, 0x2D, 0xE2, 0xBC, 0x00, 0x37, 0xF2}};
// {3D93274C-E776-4233-8291-78BBA9D0313B}
const CLSID kTasksSoftkey = {0x3D93274C, 0xE776, 0x4233, {0x82, 0x91, 0x78, 0xBB, 0xA9, 0xD0, 0x31, 0x3B}};
// {B0251639-F731-41cb-B92D-B4F786F3F5EE}
const CLSID kTasksContext = {0xB0251639, 0xF731, 0x41cb, {0xB9, 0x2D, 0xB4, 0xF7, 0x86, 0xF3, 0xF5, 0xEE}};

#define TX_MENUS L"SOFTWARE\\Microsoft\\Shell\\Extensions\\ContextMenus\\"

class CCalendarMenuExtFactory : public com::Object<IClassFactory> {
public:
    // softkey: made for one of the two softkey classes; the objects are the same.
    explicit CCalendarMenuExtFactory(bool softkey) : softkey_(softkey) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        return ComCall([&]() -> HRESULT {
            if (!out) return E_POINTER;
            *out = nullptr;
            if (outer) return CLASS_E_NOAGGREGATION;
            raii::ComPtr<CCalendarMenuExtension> object;
            object.attach(new (std::nothrow) CCalendarMenuExtension(LoadConfig()));
            if (!object) return E_OUTOFMEMORY;
            // The creation reference goes with `object`: a failed query destroys it.
            return object->QueryInterface(iid, out);
        });
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        return ComCall([&]() -> HRESULT {
            if (lock)
                ModuleAddRef();
            else
                ModuleRelease();
            return S_OK;
        });
    }

private:
    ~CCalendarMenuExtFactory() override = default;

    // A live factory keeps the module too: its code must outlive it.
    ModuleRef moduleRef_;
    [[maybe_unused]] bool softkey_;
};

bool SetDefault(HKEY root, const std::wstring& path, const wchar_t* name, const wchar_t* value) {
    raii::Key key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          DWORD((wcslen(value) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Gone already counts as deleted: unregistering twice is not an error.
bool DeleteKey(HKEY root, const std::wstring& path) {
    const LONG r = RegDeleteKeyW(root, path.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

}  // namespace

const ServerClass kServerClasses[4] = {
    {&kCalendarSoftkey, L"{F89616F1-C3A6-4af3-8B39-6EE5A41175C0}", L"Calendar Softkey Menu Extension",
     TX_MENUS L"Calendar\\Main_ContextMenu\\{F89616F1-C3A6-4af3-8B39-6EE5A41175C0}", true},
    {&kCalendarContext, L"{A4A3F257-008B-4cb5-A6CC-2DE2BC0037F2}", L"Calendar Context Menu Extension",
     TX_MENUS L"Calendar\\Main_Menu\\{A4A3F257-008B-4cb5-A6CC-2DE2BC0037F2}", false},
    {&kTasksSoftkey, L"{3D93274C-E776-4233-8291-78BBA9D0313B}", L"Tasks Softkey Menu Extension",
     TX_MENUS L"Tasks\\Main_ContextMenu\\{3D93274C-E776-4233-8291-78BBA9D0313B}", true},
    {&kTasksContext, L"{B0251639-F731-41cb-B92D-B4F786F3F5EE}", L"Tasks Context Menu Extension",
     TX_MENUS L"Tasks\\Main_Menu\\{B0251639-F731-41cb-B92D-B4F786F3F5EE}", false},
};

void ModuleAddRef() { ++g_moduleCount; }
void ModuleRelease() { --g_moduleCount; }
long ModuleCount() { return g_moduleCount.load(); }
HINSTANCE ModuleInstance() { return g_instance; }

}  // namespace tallyext

using namespace tallyext;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
    return ComCall([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        for (const ServerClass& c : kServerClasses) {
            if (!IsEqualCLSID(clsid, *c.clsid)) continue;
            raii::ComPtr<CCalendarMenuExtFactory> factory;
            factory.attach(new (std::nothrow) CCalendarMenuExtFactory(c.softkey));
            if (!factory) return E_OUTOFMEMORY;
            return factory->QueryInterface(iid, out);  // the creation reference goes with `factory`
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    });
}

STDAPI DllCanUnloadNow() { return ModuleCount() == 0 ? S_OK : S_FALSE; }

// The CLSID keys name this very file (wherever it was loaded from) as the server,
// with ThreadingModel "Both": the handheld has no apartments, and a desktop COM
// would otherwise put the object in another apartment that IContextMenu cannot be
// marshalled to. The device image's registry fragment (device.reg) holds the same.
STDAPI DllRegisterServer() {
    return ComCall([&]() -> HRESULT {
        wchar_t path[MAX_PATH + 1] = {};
        const DWORD n = GetModuleFileNameW(ModuleInstance(), path, MAX_PATH + 1);
        if (n == 0 || n > MAX_PATH) return E_FAIL;
        for (const ServerClass& c : kServerClasses) {
            const std::wstring key = std::wstring(L"CLSID\\") + c.clsidText;
            if (!SetDefault(HKEY_CLASSES_ROOT, key, nullptr, c.description) ||
                !SetDefault(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) ||
                !SetDefault(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Both") ||
                !SetDefault(HKEY_LOCAL_MACHINE, c.hostMenuKey, nullptr, c.description))
                return E_FAIL;
        }
        return S_OK;
    });
}

// Deletes everything DllRegisterServer wrote, the Calendar classes first. A failure
// does not stop the rest: as much as possible is removed, and E_FAIL reports it.
STDAPI DllUnregisterServer() {
    return ComCall([&]() -> HRESULT {
        bool ok = true;
        for (int group = 0; group < 2; ++group) {
            const ServerClass* pair = &kServerClasses[group * 2];
            for (int i = 0; i < 2; ++i) {
                const std::wstring key = std::wstring(L"CLSID\\") + pair[i].clsidText;
                ok = DeleteKey(HKEY_CLASSES_ROOT, key + L"\\InprocServer32") && ok;
                ok = DeleteKey(HKEY_CLASSES_ROOT, key) && ok;
            }
            for (int i = 0; i < 2; ++i) ok = DeleteKey(HKEY_LOCAL_MACHINE, pair[i].hostMenuKey) && ok;
        }
        return ok ? S_OK : E_FAIL;
    });
}
