#include "tab_with_search_panel.h"

namespace daybrim {

void CTabWithSearchPanel::CreateSearchPanel() {
    bar_.reset();
    const SearchPanelSetup s = SearchPanelSettings();
    if (!s.shown || !main_) return;
    bar_.reset(new CSearchBar(env_));
    if (!bar_->Create(main_, s.type, s.customName, s.languages)) bar_.reset();
    LayoutExtras();
}

int CTabWithSearchPanel::BottomBarHeight() { return bar_ && bar_->hwnd() ? CSearchBar::Height() : 0; }

void CTabWithSearchPanel::LayoutExtras() {
    if (!bar_ || !main_) return;
    RECT rc;
    GetClientRect(main_, &rc);
    bar_->Place(0, rc.bottom - CSearchBar::Height(), rc.right);
}

void CTabWithSearchPanel::Destroy() {
    bar_.reset();
    CTabWithItemsList::Destroy();
}

LRESULT CTabWithSearchPanel::MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SEARCHBAR_KEY:
        OnSearchKey(int(wp), lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
        return 0;
    case WM_SEARCHBAR_ALPHABET: {
        const std::wstring name = lp ? reinterpret_cast<const wchar_t*>(lp) : L"";
        OnAlphabetChosen(int(wp), name);
        if (bar_) bar_->SetAlphabet(int(wp), name);
        return 0;
    }
    case WM_DESTROY: bar_.reset(); break;
    }
    return CTabWithItemsList::MainWindowProc(hwnd, msg, wp, lp);
}

}  // namespace daybrim
