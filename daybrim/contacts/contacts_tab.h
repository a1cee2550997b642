// CContactsTab: the device's contacts as a grouped list with each contact's
// preferred number, the alphabet search bar under it, the default-number popup on
// the number's mark, the call, mail, file-as and default-number commands, the
// preview popup, and the hand-over to the contact finder.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "contact_numbers.h"
#include "tab_with_search_panel.h"

namespace daybrim {

class CPimStore;
class TContactItem;
class CContactPreview;

// Messages of the Contacts tab.
const UINT WM_CONTACT_PREVIEW_ACTION = WM_USER + 468;  // wParam action kind, lParam value text

enum ContactCommand : UINT {
    kCmdCallFirst = 41110,     // ..41114: work, work 2, home, home 2, mobile
    kCmdFileAsFirst = 41116,   // ..41119: the four name variants
    kCmdMailFirst = 41120,     // ..41122: e-mail 1..3
    kCmdGroupingFirst = 41133, // ..41135: ContactsGrouping 0..2
    kCmdGroupingUp = 41102, kCmdGroupingDown = 41103,
    kCmdSortUp = 41054, kCmdSortDown = 41055,
    kCmdSearchKeys = 41136, kCmdSearchLetters = 41137,
    kCmdContactFinder = 41235,
};
constexpr UINT kContactMenu = 41320;  // a contact's context menu
constexpr UINT kContactsTabMenu = 446;
constexpr wchar_t kFinderKey[] = L"Software\\Olvane\\Tallyra";

class CContactsTab : public CTabWithSearchPanel {
public:
    CContactsTab(const ShellEnv* env, CPimStore* pim);
    ~CContactsTab() override;

    // CTab
    DWORD GetType() override;
    UINT GetMenuId() override { return kContactsTabMenu; }
    void PrepareMenu(HMENU menu) override;
    void OnDataChanged() override;
    void LaunchApplication() override;
    std::wstring GetGroupingCaption() override;
    HMENU PrepareGroupingMenu(HMENU menu) override;

    // CTabWithItemsList
    void RebuildRows() override;
    UINT GetContextMenuId(TItem* item) override;
    void PrepareContextMenu(TItem* item, HMENU menu) override;
    std::wstring CreateListContent() override;
    void OnListTap(int x, int y, int scrollOffset) override;
    int OnContextMenuCommand(TItem* item, UINT command) override;
    int DPadActionOverride(TItem* item) override;
    int OpenItemOverride(TItem* item) override;
    std::wstring GetBarIconName() override { return L"contacts_baricon"; }
    void PrepareDrawContext(DrawContext& ctx, TItem& item) override;
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void Destroy() override;

    // What the tab does, callable by tests as the menus call it.
    bool SetDefaultNumber(uint32_t oid, uint32_t prop);
    bool SetFileAs(const TContactItem& c, int variant);  // 0..3
    void ShowDefaultNumberPopup(const TContactItem& c, int x, int y);
    void ShowPreview(const TContactItem& c);
    void RunPreviewAction(int action, const std::wstring& value);
    CContactPreview* Preview() const { return preview_.get(); }
    bool StartContactFinder();
    ContactValues ValuesOf(const TContactItem& c) const;
    const std::wstring& SearchText() const;

protected:
    SearchPanelSetup SearchPanelSettings() override;
    void OnSearchKey(int key, const std::wstring& label) override;
    void OnAlphabetChosen(int type, const std::wstring& name) override;

private:
    TContactItem* Selected() const;
    std::wstring Text(unsigned id) const;
    bool PhoneAvailable() const;
    void Refile();
    // Open, edit or the context menu of the contact the preview was shown for.
    void RunPreviewItemAction(int action);

    CPimStore* pim_;
    std::unique_ptr<CContactPreview> preview_;
    ItemKey previewFor_;           // the contact the preview shows
    bool openingFromPreview_ = false;  // the preview's own open: no preview instead
    std::wstring search_;  // the key-sequence search, for the painter's highlight
};

}  // namespace daybrim
