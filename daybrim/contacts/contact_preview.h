// CContactPreview: the popup that lists a contact's numbers and addresses, each row
// with its action (call, text message, mail, or none), under a header whose
// caption strip opens, edits or shows the menu of the contact, or closes. Choosing
// a row or a button closes the popup and posts WM_CONTACT_PREVIEW_ACTION to the tab
// with the action kind; the chosen value stays here (Chosen()) so that the posted
// message carries no pointer into a window that is gone by the time it arrives.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "caption_buttons.h"
#include "contact_numbers.h"
#include "shell_env.h"
#include "window.h"

namespace daybrim {

class CContactPreview : public win::Window {
public:
    explicit CContactPreview(const ShellEnv* env) : env_(env) {}
    ~CContactPreview() override;

    // Closes a shown preview and opens one for the contact, centred on `owner`'s
    // screen area; `notify` gets the chosen action.
    bool Open(HWND owner, HWND notify, const std::wstring& title, const std::vector<PreviewRow>& rows);
    void Close();
    bool IsOpen() const { return hwnd_ != nullptr; }

    // Chooses a row (keyboard, pen or tests): closes and notifies.
    void Choose(int row);
    // Chooses a toolbar button's action: closes and notifies.
    void ChooseAction(int action);
    const PreviewRow& Chosen() const { return chosen_; }
    int focus() const { return focus_; }
    const CCaptionBarButtons& Toolbar() const { return toolbar_; }
    // The D-pad is on the toolbar rather than on the rows.
    bool ToolbarFocused() const;
    static int RowHeight();
    static int HeaderHeight();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnCreate();
    void OnKey(WPARAM vk);
    void Paint(HDC dc);
    std::wstring Text(unsigned id) const;

    const ShellEnv* env_;
    HWND notify_ = nullptr;
    std::wstring title_;
    std::vector<PreviewRow> rows_;
    int focus_ = 0;
    CCaptionBarButtons toolbar_;
    PreviewRow chosen_{kActNone, 0, L""};
    bool notified_ = false;
};

}  // namespace daybrim
