#include "extension.h"

#include <shellapi.h>

#include <memory>
#include <string>

#include "com_call.h"
#include "menu_settings.h"
#include "number_finder.h"
#include "pimstore.h"
#include "reg.h"
#include "registry_store.h"

namespace tallyext {

namespace {

constexpr wchar_t kFinderKey[] = L"Software\\Olvane\\Tallyra";
constexpr wchar_t kLanguageLibrary[] = L"\\LangRes\\TLLangRcEng.dll";
constexpr UINT kDialTextId = 8056, kTextMessageTextId = 8058;
constexpr int kMaxMenuText = 1024;  // longest item text compared when removing leftovers

// A string resource of at most MAX_PATH characters; false when the library lacks it.
bool LoadText(HMODULE lib, UINT id, CeStd* out) {
    wchar_t buf[MAX_PATH + 1] = {};
    const int n = LoadStringW(lib, id, buf, MAX_PATH + 1);
    if (n <= 0) return false;
    out->assign(buf, size_t(n));
    return true;
}

// The medium GetData returned, released as its provider asks: through its release
// object, or by freeing the block that was handed over.
class Medium {
public:
    Medium() = default;
    ~Medium() {
        if (m_.pUnkForRelease)
            m_.pUnkForRelease->Release();
        else if (m_.tymed == TYMED_HGLOBAL && m_.hGlobal)
            LocalFree(m_.hGlobal);
        else if (m_.tymed != TYMED_NULL)
            ReleaseStgMedium(&m_);
    }
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;
    STGMEDIUM* out() { return &m_; }
    const STGMEDIUM& get() const { return m_; }

private:
    STGMEDIUM m_ = {};
};

// The position of `popup` in `menu`, or -1.
int PositionOf(HMENU menu, HMENU popup) {
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i)
        if (GetSubMenu(menu, i) == popup) return i;
    return -1;
}

}  // namespace

ExtensionConfig LoadConfig() {
    ExtensionConfig config;
    config.dialText = L"Dial Number";
    config.textMessageText = L"Send Text Message";

    const CeString root(kFinderKey);
    RegistrySettingStore store(HKEY_CURRENT_USER, {root, root + L"\\General", root + L"\\Layout", root + L"\\Tweak"});
    MenuSettings settings;
    settings.Load(store);
    config.search = settings.Search();

    // Without the finder there is nothing to hand a number to: no menus at all.
    std::wstring appPath;
    if (!reg::HasString(HKEY_CURRENT_USER, kFinderKey, L"AppExePath", &appPath) || appPath.empty()) return config;
    config.appPath = appPath;

    const CeString library = settings.installPath.Get() + kLanguageLibrary;
    raii::Library lib(LoadLibraryW(library.c_str()));
    if (lib) {
        LoadText(lib.get(), kDialTextId, &config.dialText);
        LoadText(lib.get(), kTextMessageTextId, &config.textMessageText);
    }
    return config;
}

CCalendarMenuExtension::CCalendarMenuExtension(ExtensionConfig config) : config_(std::move(config)) {}

CCalendarMenuExtension::~CCalendarMenuExtension() = default;

// --- IObjectWithSite -----------------------------------------------------------

HRESULT CCalendarMenuExtension::SetSite(IUnknown* site) {
    return ComCall([&]() -> HRESULT {
        if (site) site->AddRef();
        site_.attach(site);
        return S_OK;
    });
}

HRESULT CCalendarMenuExtension::GetSite(REFIID iid, void** out) {
    return ComCall([&]() -> HRESULT {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!site_) return E_FAIL;
        return site_->QueryInterface(iid, out);
    });
}

// --- IContextMenu ----------------------------------------------------------------

void CCalendarMenuExtension::RemoveLeftovers(HMENU menu) const {
    for (int pos = 0;;) {
        wchar_t text[kMaxMenuText] = {};
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STRING | MIIM_SUBMENU;
        mi.dwTypeData = text;
        mi.cch = kMaxMenuText - 1;
        if (!GetMenuItemInfoW(menu, UINT(pos), TRUE, &mi)) break;
        const CeStd t(text);
        // The walk stays at the same position after a deletion: the next item moved up.
        if (mi.hSubMenu && (t == config_.dialText || t == config_.textMessageText) &&
            DeleteMenu(menu, UINT(pos), MF_BYPOSITION))
            continue;
        ++pos;
    }
}

bool CCalendarMenuExtension::SelectedItem(DWORD* oid) const {
    if (!site_) return false;
    raii::ComPtr<IDataObject> data;
    if (FAILED(site_->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.out())))) return false;
    FORMATETC format = {CLIPFORMAT(RegisterClipboardFormatW(PIM_CF_ITEMREFARRAY)), nullptr, DVASPECT_CONTENT, -1,
                        TYMED_HGLOBAL};
    Medium medium;
    if (FAILED(data->GetData(&format, medium.out()))) return false;
    const STGMEDIUM& m = medium.get();
    if (m.tymed != TYMED_HGLOBAL || !m.hGlobal) return false;
    // The block comes from another module: it must hold a count and the object id
    // before either is read. The hosts hand over a fixed LocalAlloc block (the
    // handheld has no movable memory), so it is measured and freed as one.
    if (LocalSize(m.hGlobal) < sizeof(ITEMREFARRAY)) return false;
    ITEMREFARRAY refs;
    memcpy(&refs, m.hGlobal, sizeof refs);
    if (refs.cItems < 1) return false;
    *oid = refs.oid;
    return true;
}

std::vector<CeStd> CCalendarMenuExtension::ItemTexts(DWORD oid) const {
    std::vector<CeStd> texts;
    // A host that chose another apartment keeps its own.
    const com::Init com;
    raii::ComPtr<IPOutlookApp2> app;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                reinterpret_cast<void**>(app.out()))))
        return texts;
    const com::Session<IPOutlookApp2> session(app.get());
    if (!session.ok()) return texts;
    raii::ComPtr<IDispatch> item;
    if (FAILED(app->GetItemFromOid(long(oid), item.out())) || !item) return texts;

    raii::ComPtr<IAppointment> appt;
    raii::ComPtr<ITask> task;
    ItemKind kind = ItemKind::kOther;
    if (SUCCEEDED(item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(appt.out()))) && appt)
        kind = ItemKind::kAppointment;
    else if (SUCCEEDED(item->QueryInterface(IID_ITask, reinterpret_cast<void**>(task.out()))) && task)
        kind = ItemKind::kTask;

    for (Field f : FieldsToSearch(kind, config_.search)) {
        com::Bstr text;
        HRESULT hr = E_FAIL;
        if (kind == ItemKind::kAppointment) {
            hr = f == Field::kSubject    ? appt->get_Subject(text.out())
                 : f == Field::kLocation ? appt->get_Location(text.out())
                                         : appt->get_Body(text.out());
        } else {
            hr = f == Field::kSubject ? task->get_Subject(text.out()) : task->get_Body(text.out());
        }
        if (SUCCEEDED(hr)) texts.push_back(text.str());
    }
    return texts;
}

HRESULT CCalendarMenuExtension::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                                 UINT flags) {
    return ComCall([&]() -> HRESULT {
        if (!menu || !IsMenu(menu)) return E_INVALIDARG;
        RemoveLeftovers(menu);
        commands_.clear();
        idCmdFirst_ = idCmdFirst;
        const HRESULT nothing = MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, 0);
        if (flags & CMF_DEFAULTONLY) return nothing;
        if (config_.appPath.empty() || (!config_.search.dialMenu && !config_.search.textMenu)) return nothing;

        DWORD oid = 0;
        if (!SelectedItem(&oid)) return nothing;
        std::vector<CeStd> numbers;
        for (const CeStd& text : ItemTexts(oid))
            for (CeStd& n : FindNumbers(text)) numbers.push_back(std::move(n));
        if (numbers.empty()) return nothing;

        // The count of ids used travels in the 16-bit code of the result.
        const UINT last = idCmdFirst <= idCmdLast && idCmdLast - idCmdFirst > 0xFFFE ? idCmdFirst + 0xFFFE : idCmdLast;
        const MenuPlan plan = PlanMenus(numbers, config_.search.dialMenu, config_.search.textMenu, idCmdFirst, last);
        // The text-message popup goes in second at the same place, so it stands above
        // the dial popup.
        const struct {
            const CeStd* title;
            const std::vector<MenuPlan::Item>* items;
        } popups[] = {{&config_.dialText, &plan.dial}, {&config_.textMessageText, &plan.text}};
        std::vector<HMENU> added;
        for (const auto& p : popups) {
            if (p.items->empty()) continue;
            raii::Menu popup(CreatePopupMenu());
            bool ok = bool(popup);
            // Appended, so that the numbers stay in the order they were written.
            for (size_t i = 0; ok && i < p.items->size(); ++i)
                ok = AppendMenuW(popup.get(), MF_STRING, (*p.items)[i].id, (*p.items)[i].number.c_str()) != FALSE;
            ok = ok && InsertMenuW(menu, indexMenu, MF_BYPOSITION | MF_POPUP | MF_STRING,
                                   reinterpret_cast<UINT_PTR>(popup.get()), p.title->c_str());
            if (!ok) {
                // Half a menu would leave ids the host thinks are free: take back all of it.
                for (HMENU h : added) {
                    const int pos = PositionOf(menu, h);
                    if (pos >= 0) DeleteMenu(menu, UINT(pos), MF_BYPOSITION);
                }
                return E_FAIL;
            }
            added.push_back(popup.release());
        }
        commands_ = plan.commands;
        return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, plan.idsUsed);
    });
}

HRESULT CCalendarMenuExtension::GetCommandString(UINT_PTR idCmd, UINT type, UINT*, LPSTR name, UINT cchMax) {
    return ComCall([&]() -> HRESULT {
        const bool wide = (type & GCS_UNICODE) != 0;
        // Whatever happens, the host finds a terminated (possibly empty) string.
        if (name && cchMax) {
            if (wide)
                reinterpret_cast<wchar_t*>(name)[0] = 0;
            else
                name[0] = 0;
        }
        const auto found = idCmd <= 0xFFFFFFFFu ? commands_.find(uint32_t(idCmd)) : commands_.end();
        switch (type & ~GCS_UNICODE) {
        case GCS_VALIDATEA:
            return found != commands_.end() ? S_OK : S_FALSE;
        case GCS_VERBA:
            break;
        default:
            return E_NOTIMPL;  // no help texts
        }
        if (found == commands_.end()) return HRESULT_FROM_WIN32(ERROR_NO_MATCH);
        switch (CopyCommandLine(CommandLine(found->second), wide, name, cchMax)) {
        case CopyResult::kOk:
            return S_OK;
        case CopyResult::kTooSmall:
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        default:
            return E_INVALIDARG;
        }
    });
}

HRESULT CCalendarMenuExtension::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    return ComCall([&]() -> HRESULT {
        if (!info || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
        const Command* command = nullptr;
        auto byOffset = [&](UINT_PTR offset) -> const Command* {
            const auto it = commands_.find(uint32_t(idCmdFirst_ + offset));
            return it == commands_.end() ? nullptr : &it->second;
        };
        // A desktop host may pass a wide verb in the extended structure; the handheld's
        // hosts put the wide verb into lpVerb itself.
        const auto* ex = reinterpret_cast<const CMINVOKECOMMANDINFOEX*>(info);
        if (info->cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info->fMask & CMIC_MASK_UNICODE) && ex->lpVerbW) {
            command = IS_INTRESOURCE(ex->lpVerbW) ? byOffset(LOWORD(reinterpret_cast<UINT_PTR>(ex->lpVerbW)))
                                                  : FindByCommandLine(commands_, ex->lpVerbW);
        } else if (IS_INTRESOURCE(info->lpVerb)) {
            // A command offset from idCmdFirst; offset 0 arrives as a null verb.
            command = byOffset(LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)));
        } else {
            command = FindByCommandLine(commands_, reinterpret_cast<const wchar_t*>(info->lpVerb));
        }
        if (!command) return E_INVALIDARG;
        return Launch(*command, info->hwnd);
    });
}

HRESULT CCalendarMenuExtension::Launch(const Command& command, HWND owner) const {
    if (config_.appPath.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    const CeStd parameters = CommandLine(command);
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    // No error dialog: a failure is reported to the host, which decides what to show.
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.hwnd = owner;
    sei.lpVerb = L"open";
    sei.lpFile = config_.appPath.c_str();
    sei.lpParameters = parameters.c_str();
    sei.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&sei)) {
        const DWORD err = GetLastError();
        return err ? HRESULT_FROM_WIN32(err) : E_FAIL;
    }
    return S_OK;
}

}  // namespace tallyext
