// The expanded view of one contact: its title and one row per action (call, text,
// mail) for each of its numbers and addresses, as a full-screen modal dialog.
#pragma once
#include <windows.h>

#include <aygshell.h>

#include <vector>

#include "contact_data.h"
#include "dialog.h"
#include "talk_key.h"

namespace tallyra {

struct CContactRecord;
class CContactList;

// Whether a WM_ACTIVATE takes the keyboard away from the finder's windows
// altogether (to another program), not just from one of them to another.
inline bool ActivationLeavesFinder(WPARAM wp, LPARAM lp) {
    if (LOWORD(wp) != WA_INACTIVE) return false;
    const HWND next = reinterpret_cast<HWND>(lp);
    return !next || GetWindowThreadProcessId(next, nullptr) != GetCurrentThreadId();
}

class CExpandedContactView : public win::Dialog {
public:
    // The Talk key's filter is the main window's: a press may begin in one window
    // and end in the other.
    explicit CExpandedContactView(TalkKeyFilter& talk) : talk_(talk) {}
    CExpandedContactView(const CExpandedContactView&) = delete;
    CExpandedContactView& operator=(const CExpandedContactView&) = delete;
    // Runs the dialog for the record (numbers already loaded); returns the result:
    // -1 or 0 nothing, 1-3 the post-operation behaviour that closed it.
    int Run(HWND parent, const CContactRecord& record, const CContactList& list);
    HWND list() const { return list_; }
    // Carries out the row's action; returns whether the view should close.
    bool Activate(int row);

private:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Init();
    void Layout();
    void Paint();
    void DrawRow(const DRAWITEMSTRUCT* dis);
    int Selected() const;

    HWND list_ = nullptr, menuBar_ = nullptr;
    SHACTIVATEINFO sai_ = {};
    const CContactRecord* record_ = nullptr;
    const CContactList* icons_ = nullptr;  // the phone-type icons
    std::vector<ActionRow> rows_;
    int header_ = 0, rowHeight_ = 0;
    int result_ = -1;
    TalkKeyFilter& talk_;
    WNDPROC listProc_ = nullptr;
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Gives the list back its own procedure, so that it frees itself when destroyed.
    void Unsubclass();
};

}  // namespace tallyra
