// The dialog counterpart of win::Window: the object given as the dialog's parameter
// is kept in the dialog's DWLP_USER slot from WM_INITDIALOG on, and one static
// procedure forwards each message to the object's virtual DlgProc. Messages before
// WM_INITDIALOG (WM_SETFONT) and after WM_NCDESTROY are left to the dialog manager.
// Header-only.
#pragma once
#include <windows.h>

namespace win {

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog() {
        // A dialog that outlives its object must not reach it any more.
        if (dlg_) SetWindowLongPtrW(dlg_, DWLP_USER, 0);
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    HWND hwnd() const { return dlg_; }

protected:
    // What DialogBox*ParamW / CreateDialog*ParamW are given.
    static DLGPROC Proc() { return &Dialog::StaticProc; }
    LPARAM Param() { return reinterpret_cast<LPARAM>(this); }

    // As a dialog procedure: TRUE when the message was handled.
    virtual INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) = 0;

    HWND dlg_ = nullptr;  // from WM_INITDIALOG until WM_NCDESTROY

private:
    static INT_PTR CALLBACK StaticProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
        Dialog* self;
        if (msg == WM_INITDIALOG) {
            self = reinterpret_cast<Dialog*>(lp);
            if (!self) return FALSE;
            self->dlg_ = dlg;
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
        } else {
            self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dlg, DWLP_USER));
        }
        if (!self) return FALSE;
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(dlg, DWLP_USER, 0);
            const INT_PTR r = self->DlgProc(msg, wp, lp);
            self->dlg_ = nullptr;
            return r;
        }
        return self->DlgProc(msg, wp, lp);
    }
};

}  // namespace win
