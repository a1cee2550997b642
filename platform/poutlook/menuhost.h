// Pocket Outlook's side of the menu-extension protocol: the item's data object, the
// extensions registered for a context, the menu they build, and a chosen command
// carried out as the host does it.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "com_base.h"
#include "raii.h"

namespace poutlook {

// The site handed to extensions: one item, offered as "ItemRefArray". Lives on the
// host's stack for the whole menu.
class ItemDataObject : public com::Static<IDataObject> {
public:
    explicit ItemDataObject(DWORD oid);
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
    DWORD oid_;
    CLIPFORMAT format_;
};

struct Extension {
    std::wstring clsid;                // the registry sub-key's name
    raii::ComPtr<IContextMenu> menu;   // null when the class could not be created
    UINT first = 0, last = 0;          // the command ids it used: [first, last)
    HRESULT queryResult = E_FAIL;
};

// An old-style add-in: a library exporting CePimCommand, one menu item.
struct AddIn {
    std::wstring name;  // the registry sub-key's name
    std::wstring dll, text;
    UINT id = 0;
};

// One item's context menu with every extension of a context ("Calendar", "Tasks",
// "Contacts") and menu key ("Main_ContextMenu", "Main_Menu").
class ContextMenu {
public:
    static constexpr UINT kFirstId = 1000;
    static constexpr UINT kLastId = 0x7FFF;

    ContextMenu(const std::wstring& context, const std::wstring& menuKey, DWORD oid);
    // Adds the context's add-ins (HKLM\Software\Microsoft\PimApps\PimExtensions\
    // <context>\AddIns: "DLL" and "Menu"), one id each, then creates and queries
    // the extensions, in registry order. Each gets the ids from the end of what the
    // previous ones used up to kLastId.
    void Build();
    const std::vector<Extension>& extensions() const { return extensions_; }
    const std::vector<AddIn>& addIns() const { return addIns_; }
    HMENU menu() const { return menu_.get(); }

    // The tree as text: one line per item, "<id> <text>", popups as "popup <text>"
    // with their items indented two spaces, separators as "---".
    std::wstring Print() const;

    // The command at a path of item texts separated by "/" ("#N" names the N-th item
    // of its level, from 0); false when the path leads nowhere or to a popup.
    bool Find(const std::wstring& path, UINT* id) const;
    // Asks the owning extension for the command's verb and invokes it as the host
    // does: GetCommandString (wide, 256 characters), then InvokeCommand with the verb
    // when it is not empty. False when no extension owns the id.
    bool Invoke(UINT id, std::wstring* verb, HRESULT* verbResult, HRESULT* invokeResult);
    // Runs the add-in that owns the id as the host does: CePimCommand with a window
    // of the host, the context's kind and the one item. False when no add-in owns
    // it; `result` is E_FAIL when the library or its export is missing.
    bool RunAddIn(UINT id, const AddIn** which, HRESULT* result);

private:
    std::wstring context_, menuKey_;
    ItemDataObject site_;
    raii::Menu menu_;
    std::vector<Extension> extensions_;
    std::vector<AddIn> addIns_;
    DWORD oid_;
};

}  // namespace poutlook
