// The finder's main window: the contact list above the on-screen keyboard, the
// soft-key menu bar, and the commands that change alphabet, keyboard and settings.
#pragma once
#include <windows.h>

#include <aygshell.h>

#include "contact_list.h"
#include "expanded_view.h"
#include "keyboard.h"
#include "talk_key.h"
#include "window.h"

namespace tallyra {

// Menu commands (menu 129 of the language library).
enum MainCommand : UINT {
    kCmdDestroy = 2,
    kCmdSettings = 32771,
    kCmdLatin = 32773,
    kCmdGreek = 32774,
    kCmdHebrew = 32775,
    kCmdCyrillic = 32776,
    kCmdMode2 = 32778,
    kCmdMode1 = 32779,
    kCmdMode0 = 32780,
    kCmdExit = 32781,
    kCmdMode3 = 32787,
};

class CMainWnd : public win::Window {
public:
    // The whole instance start-up after the settings and language are loaded: single
    // instance, window, resolution library, skin, keyboard, contacts, phone. False
    // when the process should end (another instance is up, or something is missing).
    bool Start(int show);

    CContactList& list() { return list_; }
    CKeyboard& keyboard() { return keyboard_; }
    HWND menuBar() const { return menuBar_; }
    // Opens the expanded view of the selected contact; false when it cannot be shown.
    bool OpenExpanded();
    void SetAlphabet(unsigned alphabet);
    void SetKeyboardMode(int mode);
    void ApplyPostOperation(int behaviour);
    void DialSelected();
    // After the settings dialog's OK: everything read again from the registry and
    // applied (language, fonts, keyboard, menu bar, row heights, titles).
    void ApplySettings();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool CreateMenuBar();
    void CheckRadios();
    void Layout();
    bool OnCommand(UINT id);
    // The keys and the list take the focus when tapped; the finder's keys work only
    // while the main window has it.
    void TakeFocusBack();

    SHACTIVATEINFO sai_ = {};
    CKeyboard keyboard_;
    CContactList list_;
    TalkKeyFilter talk_;
    CExpandedContactView view_{talk_};
    HWND menuBar_ = nullptr;
    bool clearTimer_ = false;
};

}  // namespace tallyra
