#include "host.h"

namespace txtest {

namespace {
// Through void*: a FARPROC does not convert to another function type without a warning.
void* Proc(HMODULE lib, const char* name) { return reinterpret_cast<void*>(GetProcAddress(lib, name)); }
}  // namespace

bool Server::Load(const wchar_t* path) {
    lib.reset(LoadLibraryW(path));
    if (!lib) return false;
    getClassObject = reinterpret_cast<decltype(getClassObject)>(Proc(lib.get(), "DllGetClassObject"));
    canUnloadNow = reinterpret_cast<decltype(canUnloadNow)>(Proc(lib.get(), "DllCanUnloadNow"));
    registerServer = reinterpret_cast<decltype(registerServer)>(Proc(lib.get(), "DllRegisterServer"));
    unregisterServer =
        reinterpret_cast<decltype(unregisterServer)>(Proc(lib.get(), "DllUnregisterServer"));
    return getClassObject && canUnloadNow && registerServer && unregisterServer;
}

raii::ComPtr<IContextMenu> Server::Create() {
    raii::ComPtr<IContextMenu> menu;
    raii::ComPtr<IClassFactory> factory;
    if (SUCCEEDED(getClassObject(kCalendarSoftkey, IID_IClassFactory, reinterpret_cast<void**>(factory.out()))))
        factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(menu.out()));
    return menu;
}

HRESULT ItemSite::GetData(FORMATETC* f, STGMEDIUM* medium) {
    ++requests_;
    if (!f || !medium || f->tymed != TYMED_HGLOBAL) return DV_E_FORMATETC;
    if (f->cfFormat != CLIPFORMAT(RegisterClipboardFormatW(PIM_CF_ITEMREFARRAY))) return DV_E_FORMATETC;
    auto* block = static_cast<BYTE*>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, size_));
    if (!block) return E_OUTOFMEMORY;
    ITEMREFARRAY refs = {1, &GUID_PimItemRef, oid_};
    memcpy(block, &refs, size_ < sizeof refs ? size_ : sizeof refs);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

PimItems::PimItems() {
    wchar_t path[] = L"\\pim.vol";
    mounted_ = CeMountDBVolEx(&guid_, path, nullptr, OPEN_EXISTING) != FALSE;
}

PimItems::~PimItems() {
    for (auto& w : written_) {
        CEOID dboid = 0;
        HANDLE db = CeOpenDatabaseInSession(nullptr, &guid_, &dboid, const_cast<LPWSTR>(w.first.c_str()), nullptr, 0,
                                            nullptr);
        if (db == INVALID_HANDLE_VALUE) continue;
        CeDeleteRecord(db, w.second);
        CloseHandle(db);
    }
    if (mounted_) CeUnmountDBVol(&guid_);
}

DWORD PimItems::Write(const wchar_t* name, DWORD recid, const wchar_t* subject, const wchar_t* location,
                      const wchar_t* note) {
    if (!mounted_) return 0;
    CEOID dboid = 0;
    HANDLE db = CeOpenDatabaseInSession(nullptr, &guid_, &dboid, const_cast<LPWSTR>(name), nullptr, 0, nullptr);
    if (db == INVALID_HANDLE_VALUE) return 0;
    CEPROPVAL props[4] = {};
    WORD n = 0;
    props[n].propid = 0x10000066;  // the record id that object ids are made from
    props[n++].val.ulVal = recid;
    props[n].propid = 0x0020001F;
    props[n++].val.lpwstr = const_cast<LPWSTR>(subject);
    if (location) {
        props[n].propid = 0x0041001F;
        props[n++].val.lpwstr = const_cast<LPWSTR>(location);
    }
    if (note) {
        props[n].propid = 0x101F001F;
        props[n++].val.lpwstr = const_cast<LPWSTR>(note);
    }
    const CEOID record = CeWriteRecordProps(db, 0, n, props);
    CloseHandle(db);
    if (!record) return 0;
    written_.emplace_back(name, record);
    return 1;
}

DWORD PimItems::Appointment(DWORD recid, const wchar_t* subject, const wchar_t* location, const wchar_t* note) {
    return Write(L"Appointments Database", recid, subject, location, note) ? recid + 0x40000000u : 0;
}

DWORD PimItems::Task(DWORD recid, const wchar_t* subject, const wchar_t* note) {
    return Write(L"Tasks Database", recid, subject, nullptr, note) ? recid - 0x40000000u : 0;
}

RegistryPatch::~RegistryPatch() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        raii::Key key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, it->key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(),
                            nullptr) != ERROR_SUCCESS)
            continue;
        if (it->existed)
            RegSetValueExW(key.get(), it->name.c_str(), 0, it->type, it->data.data(), DWORD(it->data.size()));
        else
            RegDeleteValueW(key.get(), it->name.c_str());
    }
}

void RegistryPatch::Remember(const wchar_t* key, const wchar_t* name) {
    Saved s{key, name, false, 0, {}};
    raii::Key k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, k.out()) == ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExW(k.get(), name, nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
            s.data.resize(size);
            s.existed = RegQueryValueExW(k.get(), name, nullptr, &s.type, s.data.data(), &size) == ERROR_SUCCESS;
        }
    }
    saved_.push_back(std::move(s));
}

void RegistryPatch::SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value) {
    Remember(key, name);
    raii::Key k;
    RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.out(), nullptr);
    RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD((value.size() + 1) * sizeof(wchar_t)));
}

void RegistryPatch::SetDword(const wchar_t* key, const wchar_t* name, DWORD value) {
    Remember(key, name);
    raii::Key k;
    RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.out(), nullptr);
    RegSetValueExW(k.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void RegistryPatch::Delete(const wchar_t* key, const wchar_t* name) {
    Remember(key, name);
    raii::Key k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, k.out()) == ERROR_SUCCESS)
        RegDeleteValueW(k.get(), name);
}

std::wstring Describe(HMENU menu, int depth) {
    std::wstring out;
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = 255;
        if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &mi)) continue;
        out.append(size_t(depth) * 2, L' ');
        if (mi.hSubMenu)
            out += L"[" + std::wstring(text) + L"]\n" + Describe(mi.hSubMenu, depth + 1);
        else
            out += std::to_wstring(mi.wID) + L" " + text + L"\n";
    }
    return out;
}

std::string Field(const std::vector<devlog::Field>& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

std::vector<std::vector<devlog::Field>> LogFrom(unsigned long long at, const char* source) {
    std::vector<std::vector<devlog::Field>> out;
    for (auto& l : devlog::ReadLog(at))
        if (Field(l, "source") == source) out.push_back(l);
    return out;
}

}  // namespace txtest
