#include "menu_extensions.h"

#include "aygshell.h"
#include "launch_lines.h"
#include "pimstore.h"

namespace menuext {

namespace {

const wchar_t* const kKindNames[kKindCount] = {L"Contacts", L"Calendar", L"Tasks"};
const wchar_t kAddInsKey[] = L"Software\\Microsoft\\PimApps\\PimExtensions\\";
const wchar_t kMenuKey[] = L"\\Main_ContextMenu";
const UINT kVerbChars = 256;

std::vector<std::wstring> SubKeys(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[260];
        DWORD len = ARRAYSIZE(name);
        const LONG r = RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r == ERROR_SUCCESS) names.push_back(name);
    }
    return names;
}

bool ReadString(HKEY key, const wchar_t* name, std::wstring* out) {
    wchar_t buf[260] = {};
    DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    *out = buf;
    return true;
}

// The highest command id anywhere in the menu, sub-menus included; 0 when none.
UINT HighestId(HMENU menu) {
    UINT high = 0;
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &mi)) continue;
        const UINT id = mi.hSubMenu ? HighestId(mi.hSubMenu) : mi.wID;
        if (id > high) high = id;
    }
    return high;
}

// The add-in's parent: invisible, full screen, modal. It runs the command once it is
// active, so that whatever the add-in shows comes up above it.
struct AddInCall {
    const std::wstring* library;
    Kind kind;
    DWORD oid;
    bool started = false;
    bool ran = false;
};

INT_PTR CALLBACK AddInDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lp);
        SHINITDLGINFO init = {};
        init.dwMask = SHIDIM_FLAGS;
        init.dwFlags = SHIDIF_FULLSCREENNOMENUBAR;
        init.hDlg = dialog;
        SHInitDialog(&init);
        // Headless, activation may never come: run the command from the queue then.
        PostMessageW(dialog, WM_APP, 0, 0);
        return TRUE;
    }
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) return FALSE;
        [[fallthrough]];
    case WM_APP: {
        auto call = reinterpret_cast<AddInCall*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
        if (!call || call->started) return FALSE;
        call->started = true;
        raii::Library lib(LoadLibraryW(call->library->c_str()));
        auto command = lib ? reinterpret_cast<PFN_CEPIMCOMMAND>(
                                 reinterpret_cast<void*>(GetProcAddress(lib.get(), "CePimCommand")))
                           : nullptr;
        if (command) {
            HANDLE oids[1] = {reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(call->oid))};
            command(dialog, call->kind, 1, oids, nullptr);
            call->ran = true;
        }
        EndDialog(dialog, 0);
        return TRUE;
    }
    }
    return FALSE;
}

}  // namespace

// --- CPIMMenuExtensionDataObject --------------------------------------------------

CPIMMenuExtensionDataObject::CPIMMenuExtensionDataObject() : type_(GUID_PimItemRef) {}

HRESULT CPIMMenuExtensionDataObject::QueryGetData(FORMATETC* f) {
    if (!f) return E_INVALIDARG;
    return f->tymed & TYMED_HGLOBAL ? S_OK : DV_E_FORMATETC;
}

HRESULT CPIMMenuExtensionDataObject::GetData(FORMATETC* f, STGMEDIUM* medium) {
    if (!f || !medium) return E_INVALIDARG;
    if (!(f->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    // The extension frees the block with LocalFree (or ReleaseStgMedium).
    auto* block = static_cast<ITEMREFARRAY*>(LocalAlloc(LMEM_FIXED, sizeof(ITEMREFARRAY)));
    if (!block) return STG_E_MEDIUMFULL;
    block->cItems = 1;
    block->pguidType = &type_;
    block->oid = oid_;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT CPIMMenuExtensionDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT CPIMMenuExtensionDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

// --- extensions ------------------------------------------------------------------

void TNewPimExtension::Reset() {
    if (site) site->SetSite(nullptr);
    site.reset();
    menu.reset();
    TPimExtension::Reset();
}

CPimMenuExtensions::~CPimMenuExtensions() { ResetAll(); }

const std::vector<std::unique_ptr<TPimExtension>>& CPimMenuExtensions::List(Kind kind) {
    auto& list = lists_[kind];
    if (built_[kind]) return list;
    built_[kind] = true;
    raii::Key addIns;
    const std::wstring addInsPath = std::wstring(kAddInsKey) + kKindNames[kind] + L"\\AddIns";
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, addInsPath.c_str(), 0, KEY_READ, addIns.out()) == ERROR_SUCCESS) {
        for (const std::wstring& name : SubKeys(addIns.get())) {
            raii::Key sub;
            std::wstring dll, text;
            if (RegOpenKeyExW(addIns.get(), name.c_str(), 0, KEY_READ, sub.out()) == ERROR_SUCCESS &&
                ReadString(sub.get(), L"DLL", &dll) && ReadString(sub.get(), L"Menu", &text))
                list.push_back(std::make_unique<TOldPimExtension>(dll, text));
        }
    }
    raii::Key menus;
    const std::wstring menusPath = std::wstring(PIM_CONTEXTMENUS_KEY) + L"\\" + kKindNames[kind] + kMenuKey;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, menusPath.c_str(), 0, KEY_READ, menus.out()) == ERROR_SUCCESS)
        for (const std::wstring& name : SubKeys(menus.get())) list.push_back(std::make_unique<TNewPimExtension>(name));
    return list;
}

void CPimMenuExtensions::ResetAll() {
    for (auto& list : lists_)
        for (auto& ext : list) ext->Reset();
}

bool CPimMenuExtensions::FillExtensionMenu(Kind kind, HMENU menu, int subMenuIndex, DWORD oid) {
    if (kind < 0 || kind >= kKindCount) return false;
    // A menu that was cancelled was never dispatched: its objects go now.
    ResetAll();
    current_ = kind;
    const auto& list = List(kind);
    data_.SetItem(oid);

    HMENU sub = GetSubMenu(menu, subMenuIndex);
    if (!sub) return false;
    while (GetMenuItemCount(sub) > 0)
        if (!DeleteMenu(sub, 0, MF_BYPOSITION)) break;

    launch::CommandIds ids;
    for (const auto& ext : list) {
        if (!ext->newStyle()) {
            auto* old = static_cast<TOldPimExtension*>(ext.get());
            const UINT id = ids.TakeOne();
            if (AppendMenuW(sub, MF_STRING, id, old->text().c_str())) old->SetRange(id, id);
            continue;
        }
        auto* ne = static_cast<TNewPimExtension*>(ext.get());
        CLSID clsid;
        if (FAILED(CLSIDFromString(const_cast<LPOLESTR>(ne->name().c_str()), &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                                    reinterpret_cast<void**>(ne->menu.out()))))
            continue;
        if (SUCCEEDED(ne->menu->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(ne->site.out()))))
            ne->site->SetSite(static_cast<IDataObject*>(&data_));
        const UINT first = ids.next();
        const HRESULT hr = ne->menu->QueryContextMenu(sub, UINT(GetMenuItemCount(sub)), first, ids.Limit(), 0);
        const UINT end = ids.Commit(SUCCEEDED(hr) ? UINT(HRESULT_CODE(hr)) : 0, HighestId(sub));
        if (end > first) ne->SetRange(first, end - 1);
    }
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_ID;
    return GetMenuItemInfoW(sub, 0, TRUE, &mi) != FALSE;
}

bool CPimMenuExtensions::HandleExtensionCommand(HWND owner, HINSTANCE instance, UINT id, DWORD oid) {
    if (current_ < 0) return false;
    const Kind kind = Kind(current_);
    bool handled = false;
    for (const auto& ext : lists_[kind]) {
        if (!ext->Owns(id)) continue;
        handled = true;
        if (ext->newStyle()) {
            auto* ne = static_cast<TNewPimExtension*>(ext.get());
            if (!ne->menu) break;
            wchar_t verb[kVerbChars + 1] = {};
            // The verb comes back wide through the narrow parameter, as Pocket Outlook asks.
            if (SUCCEEDED(ne->menu->GetCommandString(id, GCS_VERBW, nullptr, reinterpret_cast<LPSTR>(verb),
                                                     kVerbChars)) &&
                verb[0]) {
                verb[kVerbChars] = 0;
                CMINVOKECOMMANDINFO ci = {};
                ci.cbSize = sizeof ci;
                ci.hwnd = owner;
                ci.lpVerb = reinterpret_cast<LPCSTR>(verb);
                ci.nShow = SW_SHOWNORMAL;
                ne->menu->InvokeCommand(&ci);
            }
        } else {
            RunAddIn(owner, instance, ext->name(), kind, oid);
        }
        break;
    }
    ResetAll();
    current_ = -1;
    return handled;
}

bool RunAddIn(HWND owner, HINSTANCE instance, const std::wstring& library, Kind kind, DWORD oid) {
    // An in-memory template: a visible popup with a caption and no controls. The
    // DLGTEMPLATE is followed by empty menu, class and title arrays.
    struct {
        DLGTEMPLATE tmpl;
        WORD menu, cls, title;
    } dlg = {};
    dlg.tmpl.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    AddInCall call{&library, kind, oid};
    DialogBoxIndirectParamW(instance, &dlg.tmpl, owner, AddInDialogProc, reinterpret_cast<LPARAM>(&call));
    return call.ran;
}

}  // namespace menuext
