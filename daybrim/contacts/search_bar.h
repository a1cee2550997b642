// CSearchBar: the one-row strip of nine keys under a tab's list (the Contacts tab,
// and the Notes tab the same way). It tells its parent window what was pressed:
//
//   WM_SEARCHBAR_KEY (WM_USER+200): wParam 1..8 with lParam the key's label
//       (const wchar_t*, valid during the call), 9 delete with an empty label,
//       0 with lParam 0 to clear the whole search;
//   WM_SEARCHBAR_ALPHABET (WM_USER+201): wParam the alphabet type chosen in the
//       popup, lParam the custom alphabet's name (const wchar_t*, empty otherwise).
//
// The parent stores the choice and calls SetAlphabet; it places the bar with Place
// (Height() tall) and drives it from the D-pad with the Focus/Press calls.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "custom_alphabets.h"
#include "search_bar_model.h"
#include "shell_env.h"
#include "window.h"

namespace daybrim {

constexpr UINT WM_SEARCHBAR_KEY = WM_USER + 200;
constexpr UINT WM_SEARCHBAR_ALPHABET = WM_USER + 201;

class CSearchBar : public win::Window, private BarTimers {
public:
    explicit CSearchBar(const ShellEnv* env) : env_(env), model_(*this) {}

    // `languages` is the CntctsActiveLanguages mask: it decides which scripts the
    // popup offers (none: no popup at all).
    bool Create(HWND parent, int type, const std::wstring& customName, unsigned languages);
    static int Height();
    void Place(int x, int y, int width);
    void SetAlphabet(int type, const std::wstring& customName);
    void SetLanguages(unsigned languages) { languages_ = languages; }
    int type() const { return model_.type(); }
    const std::wstring& customName() const { return customName_; }

    // D-pad: the focus moves round the keys; pressing sends as a release would.
    void FocusNext();
    void FocusPrevious();
    void PressFocused();
    void ShowFocus(bool on);

    const SearchBarModel& model() const { return model_; }
    const KeyBoxes& keys() const { return boxes_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Start(unsigned id, unsigned ms) override;
    void Stop(unsigned id) override;
    void Send(const BarSignal& s);
    void Relayout();
    void Paint(HDC dc);
    void OnPenDown(int x, int y);
    // Shows the alphabet popup at the client point; true when one was chosen.
    bool ShowAlphabetPopup(int x, int y);

    const ShellEnv* env_;
    SearchBarModel model_;
    KeyBoxes boxes_{};
    std::wstring customName_;
    unsigned languages_ = 1;
    std::vector<CustomAlphabet> custom_;
};

}  // namespace daybrim
