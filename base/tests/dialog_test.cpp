#include "dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A dialog template with no controls.
struct EmptyTemplate {
    DLGTEMPLATE t;
    WORD menu, cls, title;
};

class Probe : public win::Dialog {
public:
    std::vector<UINT> seen;
    LPARAM initParam = 0;
    HWND atInit = nullptr;
    bool ended = false;

    HWND Create() {
        EmptyTemplate tpl = {};
        tpl.t.style = WS_POPUP;
        return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tpl.t, nullptr, Proc(), Param());
    }
    INT_PTR Modal() {
        EmptyTemplate tpl = {};
        tpl.t.style = WS_POPUP;
        return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tpl.t, nullptr, Proc(), Param());
    }

protected:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override {
        seen.push_back(msg);
        switch (msg) {
        case WM_INITDIALOG:
            initParam = lp;
            atInit = dlg_;
            return TRUE;
        case WM_APP: SetWindowLongPtrW(dlg_, DWLP_MSGRESULT, 7); return TRUE;
        case WM_APP + 1: EndDialog(dlg_, 33); return TRUE;
        }
        return FALSE;
    }
};

bool Saw(const Probe& p, UINT msg) {
    for (UINT m : p.seen)
        if (m == msg) return true;
    return false;
}

TEST(Dialog, ObjectReceivesItsMessagesUntilTheDialogIsGone) {
    Probe p;
    HWND dlg = p.Create();
    ASSERT_TRUE(dlg);
    EXPECT_EQ(dlg, p.hwnd());
    EXPECT_EQ(dlg, p.atInit);  // known before the first message the object sees
    ASSERT_FALSE(p.seen.empty());
    EXPECT_EQ(UINT(WM_INITDIALOG), p.seen.front());
    // The parameter reaches the object unchanged, pointing at its Dialog part.
    EXPECT_EQ(reinterpret_cast<LPARAM>(static_cast<win::Dialog*>(&p)), p.initParam);
    // A handled message's result goes back through DWLP_MSGRESULT.
    EXPECT_EQ(7, SendMessageW(dlg, WM_APP, 0, 0));

    DestroyWindow(dlg);
    EXPECT_TRUE(Saw(p, WM_NCDESTROY));
    EXPECT_EQ(nullptr, p.hwnd());
    EXPECT_FALSE(IsWindow(dlg));
}

TEST(Dialog, ModalResultComesFromEndDialog) {
    struct Ender : Probe {
        INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override {
            if (msg == WM_INITDIALOG) PostMessageW(dlg_, WM_APP + 1, 0, 0);
            return Probe::DlgProc(msg, wp, lp);
        }
    } p;
    EXPECT_EQ(33, p.Modal());
    EXPECT_EQ(nullptr, p.hwnd());
    EXPECT_TRUE(Saw(p, WM_APP + 1));
}

TEST(Dialog, ObjectDestroyedFirstIsNotReachedAgain) {
    HWND dlg;
    {
        Probe p;
        dlg = p.Create();
        ASSERT_TRUE(dlg);
    }
    // The procedure finds no object and leaves the message to the dialog manager.
    EXPECT_EQ(0, GetWindowLongPtrW(dlg, DWLP_USER));
    EXPECT_EQ(0, SendMessageW(dlg, WM_APP, 0, 0));
    DestroyWindow(dlg);
}

}  // namespace
