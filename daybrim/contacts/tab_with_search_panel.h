// CTabWithSearchPanel: an item-list tab with the alphabet search bar under its list
// (the Contacts tab; the Notes tab takes it the same way). The base owns the bar,
// keeps room for it under the list and turns its messages into two calls:
//
//   OnSearchKey(key, label)   key 1..8 with the key's label, 9 delete, 0 clear;
//   OnAlphabetChosen(type, name)   store the choice; the bar is relabelled here.
//
// A tab supplies SearchPanelSetup() (shown or not, alphabet type, custom name, the
// active languages) and calls CreateSearchPanel() from its CreateListContent().
#pragma once
#include <memory>
#include <string>

#include "search_bar.h"
#include "tab_with_items_list.h"

namespace daybrim {

class CTabWithSearchPanel : public CTabWithItemsList {
public:
    explicit CTabWithSearchPanel(const ShellEnv* env) : CTabWithItemsList(env) {}

    struct SearchPanelSetup {
        bool shown = true;
        int type = kAlphabetLatin;
        std::wstring customName;
        unsigned languages = 1;
    };

    int BottomBarHeight() override;
    void LayoutExtras() override;
    LRESULT MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void Destroy() override;

    // The D-pad goes to the list or to the bar under it (PanelFocus).
    LRESULT KeyUp(HWND host, int tabId) override { return focus_.Key(kPadUp); }
    LRESULT KeyDown(HWND host, int tabId) override { return focus_.Key(kPadDown); }
    LRESULT KeyLeft(HWND host, int tabId) override { return focus_.Key(kPadLeft); }
    LRESULT KeyRight(HWND host, int tabId) override { return focus_.Key(kPadRight); }
    LRESULT KeyEnter(HWND host, int tabId) override { return focus_.Key(kPadEnter); }
    LRESULT ReceiveSelection(UINT key) override { return focus_.Receive(key == VK_UP); }
    void LoseSelection() override { focus_.Lose(); }
    bool BarHasFocus() const { return focus_.onBar(); }

    CSearchBar* SearchBar() { return bar_.get(); }

protected:
    virtual SearchPanelSetup SearchPanelSettings() = 0;
    virtual void OnSearchKey(int key, const std::wstring& label) = 0;
    virtual void OnAlphabetChosen(int type, const std::wstring& name) = 0;
    // Makes the bar (when shown) as a child of the tab window; the tab window must exist.
    void CreateSearchPanel();

private:
    // The list's own D-pad handling and the bar's, as the hand-over drives them.
    class Parts : public PanelFocus::Parts {
    public:
        explicit Parts(CTabWithSearchPanel& t) : t_(t) {}
        bool HasBar() const override;
        bool ListKey(PadKey key) override;
        bool ListReceive(bool fromBelow) override;
        void ListLose() override;
        void BarFocus(bool shown) override;
        void BarMove(int direction) override;
        void BarPress() override;

    private:
        CTabWithSearchPanel& t_;
    };

    std::unique_ptr<CSearchBar> bar_;
    Parts parts_{*this};
    PanelFocus focus_{parts_};
};

}  // namespace daybrim
