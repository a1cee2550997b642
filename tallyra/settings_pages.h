// The General, Layout and Tweaks pages of the settings dialog. Each is a child window
// of the dialog with a tab strip at its bottom and its own soft keys: the left one
// ("Done") keeps the page's changes and returns to the list, the right one
// ("Cancel") returns without them. A page stores its controls into the settings
// record when it is destroyed, while its controls still exist.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app_settings.h"
#include "settings_ui.h"
#include "window.h"

namespace tallyra {

class CSettingsWindow : public win::Window {
public:
    CSettingsWindow(CAppSettings& settings, HFONT normal, HFONT bold)
        : settings_(settings), normal_(normal), bold_(bold) {}

    virtual const wchar_t* ClassName() const = 0;
    virtual unsigned TitleId() const = 0;  // the page's title in the language library
    // Makes the page over `rc` of the dialog's client area; false when it could not.
    bool Open(HWND dialog, const RECT& rc);

protected:
    virtual void CreateControls() = 0;
    virtual void Save() = 0;
    virtual bool OnCommand(UINT id, UINT code) { return false; }
    virtual void LayOut();
    virtual void ShowGroup(int group, bool show) { rows_.ShowGroup(group, show); }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

    HWND Label(unsigned textId);
    HWND Combo(int id, const ComboModel& model);
    HWND CheckBox(int id, unsigned textId, bool checked);

    CAppSettings& settings_;
    HFONT normal_, bold_;
    ControlRows rows_;

private:
    HWND dialog_ = nullptr, tabs_ = nullptr, keys_ = nullptr;
    bool discard_ = false;
};

// 0 General, 1 Layout, 2 Tweaks; null for another index.
std::unique_ptr<CSettingsWindow> MakeSettingsPage(int index, CAppSettings& settings, HFONT normal, HFONT bold);

// The list of available alphabets: true and the new mask when it was confirmed.
bool ChooseAlphabets(HWND owner, HFONT font, uint32_t* mask);

}  // namespace tallyra
