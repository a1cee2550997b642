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
    focus_.LeaveBar();  // forget the bar's focus with the bar
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
    case WM_LIST_TAP: focus_.LeaveBar(); break;
    case WM_DESTROY:
        focus_.LeaveBar();
        bar_.reset();
        break;
    }
    return CTabWithItemsList::MainWindowProc(hwnd, msg, wp, lp);
}

bool CTabWithSearchPanel::Parts::HasBar() const { return t_.bar_ && t_.bar_->hwnd(); }

bool CTabWithSearchPanel::Parts::ListKey(PadKey key) {
    const HWND host = nullptr;
    switch (key) {
    case kPadUp: return t_.CTabWithItemsList::KeyUp(host, 0) != 0;
    case kPadDown: return t_.CTabWithItemsList::KeyDown(host, 0) != 0;
    case kPadLeft: return t_.CTabWithItemsList::KeyLeft(host, 0) != 0;
    case kPadRight: return t_.CTabWithItemsList::KeyRight(host, 0) != 0;
    case kPadEnter: return t_.CTabWithItemsList::KeyEnter(host, 0) != 0;
    }
    return false;
}

bool CTabWithSearchPanel::Parts::ListReceive(bool fromBelow) {
    return t_.CTabWithItemsList::ReceiveSelection(fromBelow ? VK_UP : VK_DOWN) != 0;
}

void CTabWithSearchPanel::Parts::ListLose() { t_.CTabWithItemsList::LoseSelection(); }

void CTabWithSearchPanel::Parts::BarFocus(bool shown) {
    if (t_.bar_) t_.bar_->ShowFocus(shown);
}

void CTabWithSearchPanel::Parts::BarMove(int direction) {
    if (!t_.bar_) return;
    if (direction > 0) t_.bar_->FocusNext();
    else t_.bar_->FocusPrevious();
}

void CTabWithSearchPanel::Parts::BarPress() {
    if (t_.bar_) t_.bar_->PressFocused();
}

}  // namespace daybrim
