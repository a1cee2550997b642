// The application object (what CoCreateInstance of CLSID_Application gives), its
// folders, and the in-process server's exports.
#include <memory>
#include <mutex>

#include "items.h"
#include "cesim_com.h"
#include "raii.h"

namespace pim {

std::atomic<long> g_moduleRefs{0};

namespace {

HMODULE g_module = nullptr;

// The volume every Logon opens.
constexpr wchar_t kPimVolume[] = L"\\pim.vol";

class Collection : public Object<IPOutlookItemCollection> {
public:
    Collection(std::shared_ptr<Store> store, Kind kind) : store_(std::move(store)), kind_(kind) {}

    HRESULT STDMETHODCALLTYPE get_Count(int* p) override {
        if (!p) return E_POINTER;
        std::vector<std::pair<CEOID, uint32_t>> records;
        HRESULT hr = store_->List(kind_, &records);
        if (FAILED(hr)) return hr;
        *p = int(records.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(int index, IDispatch** pp) override {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        std::vector<std::pair<CEOID, uint32_t>> records;
        HRESULT hr = store_->List(kind_, &records);
        if (FAILED(hr)) return hr;
        if (index < 1 || size_t(index) > records.size()) return E_INVALIDARG;
        return ItemFromOid(store_, OidFromRecid(kind_, records[size_t(index) - 1].second), pp);
    }
    HRESULT STDMETHODCALLTYPE Add(IDispatch** pp) override { return CreateNewItem(store_, kind_, pp); }

private:
    std::shared_ptr<Store> store_;
    Kind kind_;
};

class Folder : public Object<IFolder> {
public:
    Folder(std::shared_ptr<Store> store, Kind kind) : store_(std::move(store)), kind_(kind) {}
    HRESULT STDMETHODCALLTYPE get_DefaultItemType(int* p) override {
        if (!p) return E_POINTER;
        *p = kind_ == Kind::kAppointment ? olAppointmentItem : kind_ == Kind::kTask ? olTaskItem : olContactItem;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Items(IPOutlookItemCollection** pp) override {
        if (!pp) return E_POINTER;
        *pp = new (std::nothrow) Collection(store_, kind_);
        return *pp ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::shared_ptr<Store> store_;
    Kind kind_;
};

class Application : public Object<IPOutlookApp2> {
public:
    // The window only parents dialogs the real application may show; none here.
    HRESULT STDMETHODCALLTYPE Logon(long) override {
        std::lock_guard<std::mutex> g(mu_);
        if (store_) return S_OK;
        return Store::Open(kPimVolume, &store_);
    }
    HRESULT STDMETHODCALLTYPE Logoff() override {
        std::lock_guard<std::mutex> g(mu_);
        // Items already given out keep the volume mounted until they are released.
        store_.reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* p) override { return ReturnString(L"5.0", p); }
    HRESULT STDMETHODCALLTYPE GetDefaultFolder(int folder, IFolder** pp) override {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        Kind kind;
        switch (folder) {
        case olFolderCalendar: kind = Kind::kAppointment; break;
        case olFolderTasks: kind = Kind::kTask; break;
        case olFolderContacts: kind = Kind::kContact; break;
        default: return E_INVALIDARG;
        }
        auto store = Session();
        if (!store) return E_UNEXPECTED;
        *pp = new (std::nothrow) Folder(std::move(store), kind);
        return *pp ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE CreateItem(int type, IDispatch** pp) override {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        Kind kind;
        switch (type) {
        case olAppointmentItem: kind = Kind::kAppointment; break;
        case olTaskItem: kind = Kind::kTask; break;
        case olContactItem: kind = Kind::kContact; break;
        default: return E_INVALIDARG;
        }
        auto store = Session();
        if (!store) return E_UNEXPECTED;
        return CreateNewItem(std::move(store), kind, pp);
    }
    HRESULT STDMETHODCALLTYPE GetItemFromOid(long oid, IDispatch** pp) override {
        if (!pp) return E_POINTER;
        *pp = nullptr;
        auto store = Session();
        if (!store) return E_UNEXPECTED;
        return ItemFromOid(std::move(store), uint32_t(oid), pp);
    }
    HRESULT STDMETHODCALLTYPE GetIDsFromNames(int count, const LPCWSTR* names, ULONG flags, CEPROPID* ids) override {
        if (count <= 0 || !names || !ids) return E_INVALIDARG;
        auto store = Session();
        if (!store) return E_UNEXPECTED;
        // Every slot is filled; the result is the first failure.
        HRESULT result = S_OK;
        for (int i = 0; i < count; ++i) {
            HRESULT hr = names[i] ? store->NamedPropId(names[i], flags, &ids[i]) : E_INVALIDARG;
            if (!names[i]) ids[i] = PIM_INVALIDID;
            if (FAILED(hr) && SUCCEEDED(result)) result = hr;
        }
        return result;
    }

protected:
    void* QueryMore(REFIID iid) override {
        if (IsEqualIID(iid, IID_IPOutlookApp)) return static_cast<IPOutlookApp*>(this);
        return Object<IPOutlookApp2>::QueryMore(iid);
    }

private:
    std::shared_ptr<Store> Session() {
        std::lock_guard<std::mutex> g(mu_);
        return store_;
    }

    std::mutex mu_;
    std::shared_ptr<Store> store_;  // set between Logon and Logoff
};

CeSimStaticFactory<Application> g_factory(&g_moduleRefs);

constexpr wchar_t kClsidKey[] = L"CLSID\\{05058F23-20BE-11D2-8F18-0000F87A4335}";

bool SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    raii::Key key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.out(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace

}  // namespace pim

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        pim::g_module = module;
        DisableThreadLibraryCalls(module);
    }
    return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_Application)) return CLASS_E_CLASSNOTAVAILABLE;
    return pim::g_factory.QueryInterface(iid, out);
}

HRESULT WINAPI DllCanUnloadNow() { return pim::g_moduleRefs.load() == 0 ? S_OK : S_FALSE; }

// The device image registers the server itself (pimstore.reg); these serve an
// installer that calls them.
HRESULT WINAPI DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(pim::g_module, path, MAX_PATH)) return E_FAIL;
    std::wstring key = pim::kClsidKey;
    bool ok = pim::SetString(HKEY_CLASSES_ROOT, key, nullptr, L"Pocket Outlook") &&
              pim::SetString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path) &&
              pim::SetString(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", L"Both");
    return ok ? S_OK : E_FAIL;
}

HRESULT WINAPI DllUnregisterServer() {
    std::wstring key = pim::kClsidKey;
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str());
    LONG r = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}

}  // extern "C"
