// Tabs whose content comes from other libraries. CCustomDesignedTab drives an
// external tab library written for daybrim through its exported functions;
// CCustomTab hosts an ordinary Today item inside a tab as the Today screen
// would, passing on the D-pad by the item's "Selectability".
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "builtin_tab.h"
#include "raii.h"
#include "tab.h"
#include "todaycmn.h"

namespace daybrim {

// The key-repeat timer of an external tab: one pending release at a time.
class RepeatTimer {
public:
    virtual ~RepeatTimer() = default;
    virtual void Start(unsigned ms) = 0;  // (re)starts it
    virtual void Stop() = 0;
};

// The notice a database notification type stands for; false for other types.
bool ContactNoticeOf(UINT notificationType, ContactNotice* notice);

class CCustomDesignedTab : public CTab {
public:
    // Exported functions of an external tab library.
    using CreateFn = HWND (*)(HWND, int, int, int, int, int, int, int, int, HWND*, int);
    using DestroyFn = void (*)();
    using ShowFn = void (*)(void*, BOOL);
    using MoveFn = void (*)(int, int, int, int);
    using MessageFn = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
    using HotKeyFn = LRESULT (*)(int, HWND, int);
    using ContactFn = void (*)(DWORD);

    static constexpr unsigned kRepeatMs = 120;

    CCustomDesignedTab(const std::wstring& library, const std::wstring& installPath);
    ~CCustomDesignedTab() override;

    // Tests replace the host window's timer; null restores it.
    void SetRepeatTimer(RepeatTimer* timer) { timer_ = timer; }
    // The key has been released (the repeat timer ran out).
    void OnRepeatTimer();

    UINT GetMenuId() override { return 442; }
    void PrepareMenu(HMENU) override {}
    DWORD GetType() override;
    LRESULT KeyUp(HWND host, int tabId) override { return HotKey(true, host); }
    LRESULT KeyDown(HWND host, int tabId) override { return HotKey(false, host); }
    LRESULT KeyLeft(HWND, int) override { return 1; }
    LRESULT KeyRight(HWND, int) override { return 1; }
    LRESULT KeyEnter(HWND host, int tabId) override;
    LRESULT ReceiveSelection(UINT) override { return 1; }
    void LoseSelection() override {}
    bool Create(HWND parent, int x, int y, int w, int h, int cx, int cy, int cw, int ch, HINSTANCE inst) override;
    void Destroy() override;
    void Move(int x, int y, int w, int h) override;
    void Show(bool withCaption) override;
    void Hide(bool withCaption) override;
    void ClearCache(HWND, UINT, WPARAM, LPARAM) override;
    void QueryRefresh(HWND, UINT, WPARAM, LPARAM) override;
    void EraseBackground(HWND, UINT, WPARAM, LPARAM) override;
    void Hibernate(HWND, UINT, WPARAM, LPARAM) override;
    void OnContactNotice(ContactNotice notice, DWORD oid) override;

    bool Loaded() const { return module_.get() != nullptr; }
    const std::wstring& InstallPath() const { return installPath_; }

private:
    struct Exports {
        CreateFn create = nullptr;
        DestroyFn destroy = nullptr;
        ShowFn show = nullptr, hide = nullptr;
        MoveFn move = nullptr;
        MessageFn clearCache = nullptr, queryRefresh = nullptr, hibernate = nullptr, erase = nullptr;
        HotKeyFn up = nullptr, down = nullptr, enter = nullptr;
        ContactFn changed = nullptr, created = nullptr, deleted = nullptr;
    };
    class HostTimer;

    LRESULT HotKey(bool up, HWND host);
    void Unload();

    std::wstring library_, installPath_;
    raii::Library module_;
    bool repeating_ = false;
    Exports fn_;
    HWND host_ = nullptr;
    std::unique_ptr<HostTimer> hostTimer_;
    RepeatTimer* timer_ = nullptr;
};

class CCustomTab : public CBuiltInTab {
public:
    // `itemName` names the item's key under the Today screen's items.
    CCustomTab(const ShellEnv* env, const std::wstring& itemName, const std::wstring& library);
    ~CCustomTab() override;

    UINT GetMenuId() override { return 443; }
    void PrepareMenu(HMENU menu) override {}
    DWORD GetType() override;
    LRESULT KeyUp(HWND host, int tabId) override { return Vertical(VK_UP); }
    LRESULT KeyDown(HWND host, int tabId) override { return Vertical(VK_DOWN); }
    LRESULT KeyLeft(HWND host, int tabId) override { return Horizontal(VK_LEFT); }
    LRESULT KeyRight(HWND host, int tabId) override { return Horizontal(VK_RIGHT); }
    LRESULT KeyEnter(HWND host, int tabId) override;
    LRESULT ReceiveSelection(UINT key) override;
    void LoseSelection() override;
    void QueryRefresh(HWND, UINT, WPARAM, LPARAM) override;
    void SetCustomIcon(const wchar_t* name) override;
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;

    DWORD Selectability() const { return selectability_; }
    bool Highlighted() const { return highlighted_ != 0; }
    HWND ItemWindow() const { return item_; }

private:
    LRESULT Vertical(UINT key);
    LRESULT Horizontal(UINT key);
    bool DPadMode() const;
    void SetHighlighted(bool on);
    // The TODAYLISTITEM the item is created and polled with.
    TODAYLISTITEM MakeListItem(DWORD cyp) const;
    void SizeItem(const TODAYLISTITEM& answered);
    bool LoadItem(HWND hwnd);
    void Paint(HWND hwnd);

    std::wstring itemName_, library_;
    raii::Library module_;
    HWND item_ = nullptr;
    DWORD selectability_ = 0;
    DWORD highlighted_ = 0;
};

}  // namespace daybrim
