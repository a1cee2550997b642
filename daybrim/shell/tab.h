// CTab: what the host window, the tab bar and the D-pad navigator ask of a tab.
// The built-in tabs, the item-list machinery and custom tabs implement it; the
// host owns the live tabs in a CTabList ordered by id.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace daybrim {

// What happened to a record of the contacts database.
enum class ContactNotice { kChanged, kCreated, kDeleted };

class CTab {
public:
    virtual ~CTab() = default;

    void SetIdentity(int id, const std::wstring& customIcon, const std::wstring& displayName) {
        id_ = id;
        customIconName_ = customIcon;
        displayName_ = displayName;
    }
    virtual UINT GetMenuId() = 0;
    virtual void PrepareMenu(HMENU menu) = 0;
    virtual DWORD GetType() = 0;
    // D-pad keys inside the tab: non-zero when handled; KeyUp's 0 means "at the top".
    virtual LRESULT KeyUp(HWND host, int tabId) = 0;
    virtual LRESULT KeyDown(HWND host, int tabId) = 0;
    virtual LRESULT KeyLeft(HWND host, int tabId) = 0;
    virtual LRESULT KeyRight(HWND host, int tabId) = 0;
    virtual LRESULT KeyEnter(HWND host, int tabId) = 0;
    virtual LRESULT ReceiveSelection(UINT key) = 0;  // VK_UP, VK_DOWN or 0
    virtual void LoseSelection() = 0;
    virtual bool Create(HWND parent, int x, int y, int w, int h, int cx, int cy, int cw, int ch, HINSTANCE inst) = 0;
    virtual void Destroy() = 0;
    virtual void Move(int x, int y, int w, int h) = 0;
    virtual void Show(bool withCaption) = 0;
    virtual void Hide(bool withCaption) = 0;
    virtual void ClearCache(HWND, UINT, WPARAM, LPARAM) {}
    virtual void QueryRefresh(HWND, UINT, WPARAM, LPARAM) {}
    virtual void EraseBackground(HWND, UINT, WPARAM, LPARAM) {}
    virtual void Hibernate(HWND, UINT, WPARAM, LPARAM) {}
    virtual void OnDateChanged() {}
    virtual void OnDataChanged() {}
    virtual void SetCustomIcon(const wchar_t* iconBaseName) {}
    // The host window was laid out again (moved or resized on the Today screen):
    // anything drawn over the Today background under it is stale.
    virtual void OnHostMoved() {}
    virtual void LaunchApplication() {}
    // A contacts record changed; only external tab libraries listen.
    virtual void OnContactNotice(ContactNotice, DWORD oid) {}

    // The Special Events tab reports whether an event is due (its bar button blinks).
    virtual bool HasAlert() { return false; }

    int Id() const { return id_; }
    const std::wstring& DisplayName() const { return displayName_; }
    const std::wstring& CustomIconName() const { return customIconName_; }
    HWND MainWindow() const { return main_; }
    HWND CaptionWindow() const { return caption_; }

protected:
    int id_ = 0;
    std::wstring displayName_;
    int reserved_[4] = {-1, -1, -1, -1};
    std::wstring customIconName_;
    HWND main_ = nullptr;
    HWND caption_ = nullptr;
    HINSTANCE inst_ = nullptr;
};

// The live tabs, ascending by id (a tab with an id equal to one already present
// goes after it, except at the head).
class CTabList {
public:
    void Insert(std::unique_ptr<CTab> tab);
    void Clear() { tabs_.clear(); }
    size_t Count() const { return tabs_.size(); }
    CTab* At(size_t i) const { return i < tabs_.size() ? tabs_[i].get() : nullptr; }
    CTab* Find(int id) const;
    CTab* FindType(DWORD type) const;  // the first tab of that type
    int IndexOf(int id) const;         // -1 when absent

private:
    std::vector<std::unique_ptr<CTab>> tabs_;
};

}  // namespace daybrim
