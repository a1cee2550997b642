// CHostWindow: the item's window ("QuorvelWnd") inside the Today screen. It owns
// the tabs, the tab bar, the navigator and the resource libraries, and turns
// messages into calls on CHostCore and CDPadNavigator.
#pragma once
#include <windows.h>

#include <memory>

#include "host_core.h"
#include "item_painter.h"
#include "menu_extensions.h"
#include "keyboard_hook.h"
#include "launchers.h"
#include "mail_store.h"
#include "navigator.h"
#include "raii.h"
#include "shell_env.h"
#include "window.h"

namespace daybrim {

struct DaybrimModule;

class CHostWindow : public win::Window, private NavigatorHost {
public:
    explicit CHostWindow(DaybrimModule& module);
    ~CHostWindow() override;

    // Registers "QuorvelWnd" and creates the window under the Today screen's `parent`.
    HWND Create(HWND parent);

    CHostCore& core() { return core_; }
    CDPadNavigator* navigator() { return navigator_.get(); }
    HMODULE languageModule() const { return lang_.get(); }
    HMODULE resolutionModule() const { return resolution_.get(); }
    bool highResolution() const { return high_; }
    bool initialized() const { return initialized_; }

private:
    class Relay;

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void OnCreate();
    void OnDestroy();
    void DeferredInit();
    void OnPaint();
    void OnEraseBackground(HDC dc);
    LRESULT OnQueryRefresh(TODAYLISTITEM* item);
    void OnReload();
    void OnCommand(UINT id);
    void OpenSettings();
    HeightEnv Environment() const;

    // NavigatorHost
    HWND HostWindow() override { return hwnd_; }
    void StartTimer(UINT id, UINT ms) override { SetTimer(hwnd_, id, ms, nullptr); }
    void KillTimer(UINT id) override { ::KillTimer(hwnd_, id); }
    void TookSelection() override;
    void ForceLayout() override;
    bool TodayIsForeground() override;
    bool InstallHook() override;
    void RemoveHook() override;
    bool HookInstalled() override { return hook_ && hook_->Installed(); }

    DaybrimModule& module_;
    CHostCore core_;
    raii::Library lang_;
    raii::Library resolution_;
    bool high_ = false;
    bool initialized_ = false;
    std::unique_ptr<Relay> relay_;
    std::unique_ptr<CDPadNavigator> navigator_;
    std::unique_ptr<CKeyboardHook> hook_;
    // The painter and what it draws with, rebuilt by every deferred start.
    std::unique_ptr<CachedRowIcons> rowIcons_;
    std::unique_ptr<TextSource> texts_;
    std::unique_ptr<DateTimeFormat> dateFormat_;
    std::unique_ptr<CItemPainter> painter_;
    // What the tabs start other programs with, and the PIM menu extensions of
    // their item menus; made by the deferred start, gone first at shutdown.
    std::unique_ptr<launch::LaunchConfig> launch_;
    std::unique_ptr<menuext::CPimMenuExtensions> menuExtensions_;
    std::unique_ptr<MailStore> mail_;  // while a tab or the calendar shows mail
    ShellEnv env_;  // what the tabs and the bar reach; rebuilt by every deferred start
};

}  // namespace daybrim
