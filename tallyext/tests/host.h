// What the tests need to play Pocket Outlook: the server loaded from the build, an
// "ItemRefArray" data object for the site, items in the device's pim.vol, the
// finder's registry values set for one test and put back afterwards, and the device
// log.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "com_base.h"
#include "devicelog.h"
#include "pimstore.h"
#include "raii.h"
#include "windbase.h"

namespace txtest {

constexpr wchar_t kFinderKey[] = L"Software\\Olvane\\Tallyra";
constexpr wchar_t kTweakKey[] = L"Software\\Olvane\\Tallyra\\Tweak";
// {F89616F1-C3A6-4af3-8B39-6EE5A41175C0}: the Calendar softkey class.
const CLSID kCalendarSoftkey = {0xF89616F1, 0xC3A6, 0x4af3, {0x8B, 0x39, 0x6E, 0xE5, 0xA4, 0x11, 0x75, 0xC0}};

// The server as a host sees it: the library and its four exports.
struct Server {
    raii::Library lib;
    HRESULT(WINAPI* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(WINAPI* canUnloadNow)() = nullptr;
    HRESULT(WINAPI* registerServer)() = nullptr;
    HRESULT(WINAPI* unregisterServer)() = nullptr;
    bool Load(const wchar_t* path);
    // A new extension object of the Calendar softkey class, through its factory.
    raii::ComPtr<IContextMenu> Create();
};

// The site: one item offered as "ItemRefArray" in a block of `size` bytes.
class ItemSite : public com::Object<IDataObject> {
public:
    explicit ItemSite(DWORD oid, SIZE_T size = sizeof(ITEMREFARRAY)) : oid_(oid), size_(size) {}
    // Tests own sites by unique_ptr; a throwing site derives from this one.
    ~ItemSite() override = default;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

    int requests() const { return requests_; }

protected:
    void Final() override {}  // lives on the test's stack

private:
    DWORD oid_;
    SIZE_T size_;
    int requests_ = 0;
};

// Appointments and tasks written into the device's pim.vol, deleted again at the end.
class PimItems {
public:
    PimItems();
    ~PimItems();
    // Returns the item's object id (0 on failure).
    DWORD Appointment(DWORD recid, const wchar_t* subject, const wchar_t* location = nullptr,
                      const wchar_t* note = nullptr);
    DWORD Task(DWORD recid, const wchar_t* subject, const wchar_t* note = nullptr);

private:
    DWORD Write(const wchar_t* db, DWORD recid, const wchar_t* subject, const wchar_t* location,
                const wchar_t* note);
    CEGUID guid_ = {};
    bool mounted_ = false;
    std::vector<std::pair<std::wstring, CEOID>> written_;
};

// Registry values of HKEY_CURRENT_USER changed for one test and restored after it.
class RegistryPatch {
public:
    ~RegistryPatch();
    void SetString(const wchar_t* key, const wchar_t* name, const std::wstring& value);
    void SetDword(const wchar_t* key, const wchar_t* name, DWORD value);
    void Delete(const wchar_t* key, const wchar_t* name);

private:
    void Remember(const wchar_t* key, const wchar_t* name);
    struct Saved {
        std::wstring key, name;
        bool existed;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Saved> saved_;
};

// The menu's items as text, one line each: "<id> <text>", popups as
// "[<text>]" followed by their items indented.
std::wstring Describe(HMENU menu, int depth = 0);

std::string Field(const std::vector<devlog::Field>& line, const char* name);
std::vector<std::vector<devlog::Field>> LogFrom(unsigned long long at, const char* source);

}  // namespace txtest
