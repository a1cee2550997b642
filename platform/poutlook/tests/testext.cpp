// A context-menu extension for the menu host's tests, written as a third-party
// extension would be: it reads the selected item from its site's "ItemRefArray",
// looks the item up through the object model, and adds a popup with two commands.
// Each step goes to the device log (source "testext") for the tests to check.
//   ids first:   "Say <subject>", verb "say:<oid>:<id>"
//   id first+1:  "Silent", an empty verb
// Two class ids create the same object, so that a test can register it twice.
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cwchar>
#include <string>

#include "devicelog.h"
#include "pimstore.h"
#include "cesim_com.h"
#include "com_base.h"
#include "raii.h"

// {7E1B5C3A-4D2F-4A8B-9C61-2F0E8D5A7B01}, {7E1B5C3A-4D2F-4A8B-9C61-2F0E8D5A7B02}
static const CLSID kClassA = {0x7E1B5C3A, 0x4D2F, 0x4A8B, {0x9C, 0x61, 0x2F, 0x0E, 0x8D, 0x5A, 0x7B, 0x01}};
static const CLSID kClassB = {0x7E1B5C3A, 0x4D2F, 0x4A8B, {0x9C, 0x61, 0x2F, 0x0E, 0x8D, 0x5A, 0x7B, 0x02}};

namespace {

std::atomic<long> g_refs{0};

std::wstring Hex(DWORD v) {
    wchar_t buf[16];
    swprintf(buf, 16, L"0x%08lX", static_cast<unsigned long>(v));
    return buf;
}

class Extension : public com::Object<IObjectWithSite, IContextMenu> {
public:
    Extension() { ++g_refs; }
    ~Extension() override { --g_refs; }

    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override {
        site_.reset();
        if (site) {
            site->AddRef();
            site_.attach(site);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return site_ ? site_->QueryInterface(iid, out) : E_FAIL;
    }

    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT) override {
        first_ = first;
        DWORD oid = 0;
        HRESULT wrongTymed = S_OK, got = E_FAIL;
        raii::ComPtr<IDataObject> data;
        if (site_ && SUCCEEDED(site_->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(data.out())))) {
            FORMATETC f = {CLIPFORMAT(RegisterClipboardFormatW(L"ItemRefArray")), nullptr, DVASPECT_CONTENT, -1,
                           TYMED_HGLOBAL};
            STGMEDIUM m = {};
            got = data->GetData(&f, &m);
            if (SUCCEEDED(got)) {
                oid = static_cast<const ITEMREFARRAY*>(m.hGlobal)->oid;
                if (m.pUnkForRelease) {
                    ReleaseStgMedium(&m);
                } else {
                    LocalFree(m.hGlobal);
                }
            }
            FORMATETC stream = f;
            stream.tymed = TYMED_ISTREAM;
            STGMEDIUM unused = {};
            wrongTymed = data->GetData(&stream, &unused);
        }
        oid_ = oid;
        std::wstring subject = Subject(oid);
        devlog::Event("testext", "query")
            .Int("index", index)
            .Int("first", first)
            .Int("last", last)
            .Int("getData", long(got))
            .Int("oid", oid)
            .Int("wrongTymed", long(wrongTymed))
            .Str("subject", subject)
            .Append();
        if (last < first + 1) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        HMENU popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, first, (L"Say " + subject).c_str());
        AppendMenuW(popup, MF_STRING, first + 1, L"Silent");
        if (!InsertMenuW(menu, index, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), L"Test Extension")) {
            DestroyMenu(popup);
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
        }
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
    }

    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR id, UINT type, UINT*, LPSTR name, UINT cch) override {
        std::wstring verb;
        if (id == first_) {
            verb = L"say:" + Hex(oid_) + L":" + std::to_wstring(id);
        } else if (id != first_ + 1) {
            return E_INVALIDARG;
        }
        devlog::Event("testext", "verb").Int("id", long(id)).Int("type", type).Int("cch", cch).Append();
        if (!name || !cch) return E_INVALIDARG;
        lstrcpynW(reinterpret_cast<LPWSTR>(name), verb.c_str(), int(cch));
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* ci) override {
        if (!ci || !ci->lpVerb) return S_FALSE;
        devlog::Event("testext", "invoke")
            .Int("cbSize", ci->cbSize)
            .Str("verb", reinterpret_cast<LPCWSTR>(ci->lpVerb))
            .Append();
        return S_OK;
    }

private:
    // The appointment's subject through the object model, as extensions read it.
    static std::wstring Subject(DWORD oid) {
        std::wstring out;
        const com::Init com;
        {
            raii::ComPtr<IPOutlookApp2> app;
            raii::ComPtr<IDispatch> item;
            raii::ComPtr<IAppointment> appt;
            if (SUCCEEDED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                           reinterpret_cast<void**>(app.out())))) {
                const com::Session<IPOutlookApp2> session(app.get());
                if (session.ok() && SUCCEEDED(app->GetItemFromOid(long(oid), item.out())) &&
                    SUCCEEDED(item->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(appt.out())))) {
                    com::Bstr s;
                    if (SUCCEEDED(appt->get_Subject(s.out())) && s.get()) out = s.get();
                }
            }
        }
        return out;
    }

    raii::ComPtr<IUnknown> site_;
    UINT first_ = 0;
    DWORD oid_ = 0;
};

CeSimStaticFactory<Extension> g_factory(&g_refs);

}  // namespace

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kClassA) && !IsEqualCLSID(clsid, kClassB)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return g_refs.load() ? S_FALSE : S_OK; }
