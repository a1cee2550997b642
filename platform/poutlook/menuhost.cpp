#include "menuhost.h"

#include <algorithm>

#include "pimstore.h"

namespace poutlook {

namespace {

constexpr size_t kVerbChars = 256;  // what the host asks extensions for

// The highest command id in a menu tree (0 when none).
UINT HighestId(HMENU menu) {
    UINT high = 0;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &mi)) continue;
        if (mi.hSubMenu) {
            high = std::max(high, HighestId(mi.hSubMenu));
        } else if (!(mi.fType & MFT_SEPARATOR)) {
            high = std::max(high, mi.wID);
        }
    }
    return high;
}

struct Item {
    bool separator = false;
    HMENU sub = nullptr;
    UINT id = 0;
    std::wstring text;
};

bool ReadItem(HMENU menu, int pos, Item* out) {
    wchar_t text[1024] = {};
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
    mi.dwTypeData = text;
    mi.cch = ARRAYSIZE(text) - 1;
    if (!GetMenuItemInfoW(menu, UINT(pos), TRUE, &mi)) return false;
    out->separator = (mi.fType & MFT_SEPARATOR) != 0;
    out->sub = mi.hSubMenu;
    out->id = mi.wID;
    out->text = text;
    return true;
}

void PrintMenu(HMENU menu, int depth, std::wstring* out) {
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        Item it;
        if (!ReadItem(menu, i, &it)) continue;
        out->append(size_t(depth) * 2, L' ');
        if (it.separator) {
            *out += L"---\n";
        } else if (it.sub) {
            *out += L"popup \"" + it.text + L"\"\n";
            PrintMenu(it.sub, depth + 1, out);
        } else {
            *out += std::to_wstring(it.id) + L" \"" + it.text + L"\"\n";
        }
    }
}

}  // namespace

// --- ItemDataObject --------------------------------------------------------------

ItemDataObject::ItemDataObject(DWORD oid)
    : oid_(oid), format_(CLIPFORMAT(RegisterClipboardFormatW(PIM_CF_ITEMREFARRAY))) {}

HRESULT ItemDataObject::QueryGetData(FORMATETC* f) {
    if (!f) return E_INVALIDARG;
    return f->cfFormat == format_ && (f->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

HRESULT ItemDataObject::GetData(FORMATETC* f, STGMEDIUM* medium) {
    if (!f || !medium) return E_INVALIDARG;
    HRESULT hr = QueryGetData(f);
    if (FAILED(hr)) return hr;
    // The extension frees the block with LocalFree (or ReleaseStgMedium).
    auto* block = static_cast<ITEMREFARRAY*>(LocalAlloc(LMEM_FIXED, sizeof(ITEMREFARRAY)));
    if (!block) return STG_E_MEDIUMFULL;
    block->cItems = 1;
    block->pguidType = &GUID_PimItemRef;
    block->oid = oid_;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT ItemDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT ItemDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

// --- ContextMenu -----------------------------------------------------------------

ContextMenu::ContextMenu(const std::wstring& context, const std::wstring& menuKey, DWORD oid)
    : context_(context), menuKey_(menuKey), site_(oid), menu_(CreatePopupMenu()), oid_(oid) {}

void ContextMenu::Build() {
    UINT next = kFirstId;
    raii::Key addIns;
    const std::wstring addInsPath = L"Software\\Microsoft\\PimApps\\PimExtensions\\" + context_ + L"\\AddIns";
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, addInsPath.c_str(), 0, KEY_READ, addIns.out()) == ERROR_SUCCESS) {
        for (DWORD i = 0;; ++i) {
            wchar_t name[260];
            DWORD len = ARRAYSIZE(name);
            const LONG r = RegEnumKeyExW(addIns.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
            if (r == ERROR_NO_MORE_ITEMS) break;
            if (r != ERROR_SUCCESS) continue;
            AddIn a;
            a.name = name;
            wchar_t dll[260] = {}, text[260] = {};
            DWORD dllSize = sizeof dll - sizeof(wchar_t), textSize = sizeof text - sizeof(wchar_t);
            // Both values or nothing, as Pocket Outlook skips a half-registered add-in.
            if (RegGetValueW(addIns.get(), name, L"DLL", RRF_RT_REG_SZ, nullptr, dll, &dllSize) != ERROR_SUCCESS ||
                RegGetValueW(addIns.get(), name, L"Menu", RRF_RT_REG_SZ, nullptr, text, &textSize) != ERROR_SUCCESS)
                continue;
            a.dll = dll;
            a.text = text;
            a.id = next++;
            AppendMenuW(menu_.get(), MF_STRING, a.id, a.text.c_str());
            addIns_.push_back(std::move(a));
        }
    }
    std::wstring path = std::wstring(PIM_CONTEXTMENUS_KEY) + L"\\" + context_ + L"\\" + menuKey_;
    raii::Key key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return;
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[260];
        DWORD len = ARRAYSIZE(name);
        LONG r = RegEnumKeyExW(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r == ERROR_SUCCESS) names.push_back(name);
    }

    for (const std::wstring& name : names) {
        Extension ext;
        ext.clsid = name;
        ext.first = ext.last = next;
        CLSID clsid;
        if (next <= kLastId && SUCCEEDED(CLSIDFromString(const_cast<LPOLESTR>(name.c_str()), &clsid)) &&
            SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                       reinterpret_cast<void**>(ext.menu.out())))) {
            raii::ComPtr<IObjectWithSite> withSite;
            if (SUCCEEDED(ext.menu->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(withSite.out()))))
                withSite->SetSite(static_cast<IDataObject*>(&site_));
            ext.queryResult = ext.menu->QueryContextMenu(menu_.get(), UINT(GetMenuItemCount(menu_.get())), next,
                                                         kLastId, CMF_NORMAL);
            // An extension reports how many ids it took; some report less than they
            // used, so the menu itself has the last word.
            UINT taken = SUCCEEDED(ext.queryResult) ? UINT(HRESULT_CODE(ext.queryResult)) : 0;
            UINT high = HighestId(menu_.get());
            ext.last = std::max(next + taken, high >= next ? high + 1 : next);
            next = ext.last;
        }
        extensions_.push_back(std::move(ext));
    }
}

std::wstring ContextMenu::Print() const {
    std::wstring out;
    PrintMenu(menu_.get(), 0, &out);
    return out;
}

bool ContextMenu::Find(const std::wstring& path, UINT* id) const {
    HMENU level = menu_.get();
    size_t at = 0;
    for (;;) {
        size_t slash = path.find(L'/', at);
        std::wstring part = path.substr(at, slash == std::wstring::npos ? std::wstring::npos : slash - at);
        int n = GetMenuItemCount(level);
        Item found;
        bool ok = false;
        for (int i = 0; i < n && !ok; ++i) {
            Item it;
            if (ReadItem(level, i, &it) && !it.separator && it.text == part) {
                found = it;
                ok = true;
            }
        }
        if (!ok && part.size() > 1 && part[0] == L'#' &&
            part.find_first_not_of(L"0123456789", 1) == std::wstring::npos && part.size() < 6) {
            int pos = std::stoi(part.substr(1));
            ok = pos < n && ReadItem(level, pos, &found) && !found.separator;
        }
        if (!ok) return false;
        if (slash == std::wstring::npos) {
            if (found.sub) return false;
            *id = found.id;
            return true;
        }
        if (!found.sub) return false;
        level = found.sub;
        at = slash + 1;
    }
}

bool ContextMenu::RunAddIn(UINT id, const AddIn** which, HRESULT* result) {
    *result = E_FAIL;
    for (const AddIn& a : addIns_) {
        if (a.id != id) continue;
        *which = &a;
        // The add-in's parent: a hidden window of the host, as a dialog is on the device.
        raii::Window parent(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
        raii::Library lib(LoadLibraryW(a.dll.c_str()));
        auto command = lib ? reinterpret_cast<PFN_CEPIMCOMMAND>(
                                 reinterpret_cast<void*>(GetProcAddress(lib.get(), "CePimCommand")))
                           : nullptr;
        if (command) {
            const int kind = context_ == L"Contacts" ? 0 : context_ == L"Calendar" ? 1 : 2;
            HANDLE oids[1] = {reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(oid_))};
            *result = command(parent.get(), kind, 1, oids, nullptr);
        }
        return true;
    }
    return false;
}

bool ContextMenu::Invoke(UINT id, std::wstring* verb, HRESULT* verbResult, HRESULT* invokeResult) {
    verb->clear();
    *verbResult = *invokeResult = E_FAIL;
    for (Extension& ext : extensions_) {
        if (!ext.menu || id < ext.first || id >= ext.last) continue;
        // The host passes the command id as it stands in the menu, and reads the verb
        // as a wide string through the narrow parameter.
        wchar_t buf[kVerbChars + 1] = {};
        *verbResult = ext.menu->GetCommandString(id, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(buf), kVerbChars);
        buf[kVerbChars] = 0;
        if (SUCCEEDED(*verbResult)) *verb = buf;
        if (verb->empty()) return true;
        CMINVOKECOMMANDINFO ci = {};
        ci.cbSize = sizeof ci;
        ci.lpVerb = reinterpret_cast<LPCSTR>(verb->c_str());
        ci.nShow = SW_SHOWNORMAL;
        *invokeResult = ext.menu->InvokeCommand(&ci);
        return true;
    }
    return false;
}

}  // namespace poutlook
