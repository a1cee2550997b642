// CCalendarMenuExtension: the object Pocket Outlook (and daybrim, which hosts the
// same extensions) creates for one use of an appointment's or a task's menu. It adds
// "Dial Number" and "Send Text Message" popups listing the phone numbers found in
// the selected item and starts tallyra with "/d:" or "/s:" and the chosen number.
#pragma once
#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include <atomic>
#include <map>
#include <vector>

#include "com_base.h"
#include "command_map.h"
#include "module.h"
#include "raii.h"

namespace tallyext {

// What the object reads from the device when it is created.
struct ExtensionConfig {
    CeStd appPath;  // AppExePath of the finder; empty when it is not installed
    CeStd dialText, textMessageText;
    SearchSettings search;
};
ExtensionConfig LoadConfig();

class CCalendarMenuExtension : public com::Object<IObjectWithSite, IContextMenu> {
public:
    explicit CCalendarMenuExtension(ExtensionConfig config);

    // IObjectWithSite
    HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
    HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** out) override;

    // IContextMenu
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                               UINT flags) override;
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved, LPSTR name,
                                               UINT cchMax) override;

protected:
    ~CCalendarMenuExtension() override;

private:
    // Removes every popup of ours an earlier call left in the host's menu: its ids
    // would now name other numbers.
    void RemoveLeftovers(HMENU menu) const;
    // The object id of the selected item, from the site's "ItemRefArray" data.
    bool SelectedItem(DWORD* oid) const;
    // The texts to search, in order, read through Pocket Outlook's object model.
    std::vector<CeStd> ItemTexts(DWORD oid) const;
    HRESULT Launch(const Command& command, HWND owner) const;

    ModuleRef moduleRef_;
    raii::ComPtr<IUnknown> site_;
    ExtensionConfig config_;
    std::map<uint32_t, Command> commands_;
    UINT idCmdFirst_ = 0;
};

}  // namespace tallyext
