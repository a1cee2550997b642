// Pocket Outlook's menu extensions in daybrim's item menus: old-style add-ins (a
// library exporting CePimCommand) and context-menu extensions (IContextMenu with
// IObjectWithSite, given the item as an "ItemRefArray" data object).
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "com_base.h"
#include "raii.h"

namespace menuext {

// The item menus that take extensions, as CePimCommand numbers them.
enum Kind { kContacts = 0, kCalendar = 1, kTasks = 2, kKindCount = 3 };

// The site handed to context-menu extensions: the highlighted item. Lives as long
// as the manager; its references are not counted.
class CPIMMenuExtensionDataObject : public com::Static<IDataObject> {
public:
    CPIMMenuExtensionDataObject();
    void SetItem(DWORD oid) { oid_ = oid; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    DWORD oid_ = 0;
    GUID type_;  // handed out by address inside the block
};

// One registered extension and the command ids it holds in the current menu.
class TPimExtension {
public:
    TPimExtension(bool newStyle, std::wstring name) : newStyle_(newStyle), name_(std::move(name)) {}
    virtual ~TPimExtension() = default;
    // Out of the menu: no ids, no objects.
    virtual void Reset() { first_ = last_ = kNone; }

    static constexpr UINT kNone = UINT(-1);
    bool newStyle() const { return newStyle_; }
    const std::wstring& name() const { return name_; }
    UINT first() const { return first_; }
    UINT last() const { return last_; }  // inclusive
    bool Owns(UINT id) const { return first_ != kNone && id >= first_ && id <= last_; }
    void SetRange(UINT first, UINT last) { first_ = first, last_ = last; }

private:
    bool newStyle_;
    std::wstring name_;  // old: the library path; new: the class id string
    UINT first_ = kNone, last_ = kNone;
};

class TOldPimExtension : public TPimExtension {
public:
    TOldPimExtension(std::wstring library, std::wstring text)
        : TPimExtension(false, std::move(library)), text_(std::move(text)) {}
    const std::wstring& text() const { return text_; }

private:
    std::wstring text_;
};

class TNewPimExtension : public TPimExtension {
public:
    explicit TNewPimExtension(std::wstring clsid) : TPimExtension(true, std::move(clsid)) {}
    void Reset() override;
    raii::ComPtr<IContextMenu> menu;
    raii::ComPtr<IObjectWithSite> site;
};

// The extensions of the three item menus, each list read from the registry on first
// use and kept until the manager goes.
class CPimMenuExtensions {
public:
    CPimMenuExtensions() = default;
    ~CPimMenuExtensions();
    CPimMenuExtensions(const CPimMenuExtensions&) = delete;
    CPimMenuExtensions& operator=(const CPimMenuExtensions&) = delete;

    // Empties the sub-menu at `subMenuIndex` of `menu` and fills it with the kind's
    // extensions for the item; whether it has items now. `oid` is the item's
    // identifier in the object model (what GetItemFromOid takes), not its record's
    // CEOID: the extensions look the item up through Pocket Outlook.
    bool FillExtensionMenu(Kind kind, HMENU menu, int subMenuIndex, DWORD oid);
    // Carries out a command of the last filled menu; false when no extension owns it.
    // Every extension leaves the menu afterwards.
    bool HandleExtensionCommand(HWND owner, HINSTANCE instance, UINT id, DWORD oid);

    const std::vector<std::unique_ptr<TPimExtension>>& List(Kind kind);

private:
    void ResetAll();

    std::vector<std::unique_ptr<TPimExtension>> lists_[kKindCount];
    bool built_[kKindCount] = {};
    CPIMMenuExtensionDataObject data_;
    int current_ = -1;
};

// Runs an old-style add-in's command for one item the way Pocket Outlook does: from
// an invisible full-screen dialog that is its parent. False when the library or its
// export is missing.
bool RunAddIn(HWND owner, HINSTANCE instance, const std::wstring& library, Kind kind, DWORD oid);

}  // namespace menuext
