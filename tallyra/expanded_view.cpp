#include "expanded_view.h"

#include <commctrl.h>

#include "actions.h"
#include "app.h"
#include "contact_list.h"
#include "raii.h"

namespace tallyra {

namespace {

const wchar_t kSelfProp[] = L"Tallyra.View";

// A dialog template with no controls: the view makes its own.
struct EmptyTemplate {
    DLGTEMPLATE t;
    WORD menu, cls, title;
};

}  // namespace

int CExpandedContactView::Run(HWND parent, const CContactRecord& record, const CContactList& list) {
    record_ = &record;
    icons_ = &list;
    rows_ = ActionRows(record.numbers);
    result_ = -1;
    EmptyTemplate tpl = {};
    tpl.t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    const INT_PTR r = DialogBoxIndirectParamW(TheApp().instance, &tpl.t, parent, Proc(), Param());
    dlg_ = list_ = menuBar_ = nullptr;
    return r == -1 ? -1 : int(r);
}

// The list passes its keys to the view: Return, Left, Talk act on the focused row.
LRESULT CALLBACK CExpandedContactView::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto self = reinterpret_cast<CExpandedContactView*>(GetPropW(hwnd, kSelfProp));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    const WNDPROC original = self->listProc_;
    const bool first = (lp & 0x40000000) == 0;
    if (msg == WM_KEYDOWN) {
        if (wp == VK_RETURN) {
            // A held Return must not start a second action: its repeats would reach
            // the list, which turns every Return into an item activation.
            if (first && self->Activate(self->Selected())) EndDialog(self->dlg_, self->result_);
            return 0;
        }
        if (wp == VK_LEFT && first) {
            EndDialog(self->dlg_, self->result_);
            return 0;
        }
        if (wp == VK_F3) {
            if (self->talk_.OnKeyDown(!first)) PostMessageW(self->dlg_, WM_COMMAND, 134, 0);
            return 0;
        }
    } else if (msg == WM_KEYUP && wp == VK_F3) {
        if (self->talk_.OnKeyUp()) PostMessageW(self->dlg_, WM_COMMAND, 134, 0);
        return 0;
    } else if (msg == WM_GETDLGCODE) {
        return DLGC_WANTALLKEYS;
    } else if (msg == WM_NCDESTROY) {
        self->Unsubclass();
    }
    return CallWindowProcW(original, hwnd, msg, wp, lp);
}

void CExpandedContactView::Unsubclass() {
    if (!list_ || !listProc_) return;
    SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
    RemovePropW(list_, kSelfProp);
    listProc_ = nullptr;
}

bool CExpandedContactView::Init() {
    App& app = TheApp();
    header_ = app.ScaleY(int(app.settings.FontSize.Get())) + 4 * app.ScaleY(4);
    rowHeight_ = 2 * (app.ScaleY(9) + app.skin.listFontHeight);
    SetWindowTextW(dlg_, record_->title.c_str());
    SHINITDLGINFO init = {SHIDIM_FLAGS, dlg_, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    SHInitDialog(&init);
    SHMENUBARINFO mb = {};
    mb.cbSize = sizeof mb;
    mb.hwndParent = dlg_;
    mb.dwFlags = SHCMBF_HMENU | SHCMBF_HIDESIPBUTTON;
    mb.nToolBarId = 132;
    mb.hInstRes = app.lang.get();
    if (!SHCreateMenuBar(&mb)) return false;
    menuBar_ = mb.hwndMB;
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_OWNERDRAWFIXED |
                                LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS,
                            0, header_, 10, 10, dlg_, nullptr, app.instance, nullptr);
    if (!list_) return false;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, 0x10000060);
    LVCOLUMNW col = {};
    col.mask = LVCF_WIDTH;
    col.cx = 10;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
    for (size_t i = 0; i < rows_.size(); ++i) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = int(i);
        item.lParam = LPARAM(i);
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    if (!rows_.empty()) {
        LVITEMW item = {};
        item.stateMask = item.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    }
    SetPropW(list_, kSelfProp, this);
    listProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CExpandedContactView::ListProc)));
    Layout();
    SetFocus(list_);
    return true;
}

void CExpandedContactView::Layout() {
    if (!list_) return;
    RECT rc;
    GetClientRect(dlg_, &rc);
    MoveWindow(list_, 0, header_, rc.right, rc.bottom - header_ > 0 ? rc.bottom - header_ : 0, TRUE);
    // The list's client width: a contact with many numbers scrolls, and a column as
    // wide as the window would then bring a horizontal scroll bar as well.
    RECT inner;
    GetClientRect(list_, &inner);
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, inner.right);
}

int CExpandedContactView::Selected() const {
    return list_ ? int(SendMessageW(list_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_FOCUSED)) : -1;
}

bool CExpandedContactView::Activate(int row) {
    if (row < 0 || size_t(row) >= rows_.size() || !record_) return false;
    const ActionRow& a = rows_[size_t(row)];
    const CeString& target = record_->numbers[a.number].text;
    bool started = false;
    switch (a.kind) {
    case kCall: started = Dial(target); break;
    case kText: started = TextMessage(target); break;
    case kMail: started = Mail(target, dlg_); break;
    }
    const int after = int(TheApp().settings.PostOperationBehavior.Get());
    // Nothing started (no phone, a refused number, the shell failed): closing or
    // quitting as after a call would tell the user one was made.
    if (!started || after < 1 || after > 3) return false;
    result_ = after;
    return true;
}

void CExpandedContactView::Paint() {
    App& app = TheApp();
    raii::PaintDC paint(dlg_);
    const HDC dc = paint.get();
    RECT rc;
    GetClientRect(dlg_, &rc);
    RECT band = {rc.left, 0, rc.right, header_};
    FillRect(dc, &band, GetSysColorBrush(COLOR_WINDOW));
    {
        raii::Select font(dc, app.skin.boldFont.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT text = {rc.left + app.ScaleX(4), 0, rc.right - app.ScaleX(4), header_};
        DrawTextW(dc, record_->title.c_str(), -1, &text, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    RECT line = {rc.left, header_ - app.ScaleY(2), rc.right, header_};
    FillRect(dc, &line, GetSysColorBrush(27));
}

void CExpandedContactView::DrawRow(const DRAWITEMSTRUCT* dis) {
    if (dis->itemID >= rows_.size()) return;
    App& app = TheApp();
    const ActionRow& a = rows_[dis->itemID];
    const ContactNumber& n = record_->numbers[a.number];
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    const bool focused = (dis->itemState & (ODS_FOCUS | ODS_SELECTED)) != 0;
    FillRect(dc, &rc, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    rc.bottom -= app.ScaleY(1);
    const int m = app.ScaleX(app.ScaleY(4));
    const int mid = (rc.top + rc.bottom) / 2;
    RECT top = {rc.left + m, rc.top, rc.right - m, mid}, bottom = {rc.left + m, mid, rc.right - m, rc.bottom};
    if (icons_) {
        if (const CTgaImage* icon = icons_->Icon(n.property)) {
            icon->Draw(dc, rc.right - icon->width() - m, rc.top + (rc.bottom - rc.top - icon->height()) / 2);
            top.right = bottom.right = rc.right - icon->width() - 2 * m;
        }
    }
    const CeString label = app.Text(a.kind == kText ? 8055 : UINT(LabelIdOf(n.property)));
    {
        raii::Select font(dc, app.skin.boldFont.get());
        DrawTextW(dc, label.c_str(), -1, &top, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    {
        raii::Select font(dc, app.skin.listFont.get());
        DrawTextW(dc, n.text.c_str(), -1, &bottom, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    RECT line = {dis->rcItem.left, dis->rcItem.bottom - app.ScaleY(1), dis->rcItem.right, dis->rcItem.bottom};
    FillRect(dc, &line, GetSysColorBrush(COLOR_GRAYTEXT));
}

INT_PTR CExpandedContactView::DlgProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        sai_ = SHACTIVATEINFO();
        sai_.cbSize = sizeof sai_;
        if (!Init()) EndDialog(dlg_, -1);
        return FALSE;
    case WM_MEASUREITEM:
        reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = UINT(rowHeight_);
        return TRUE;
    case WM_DRAWITEM:
        DrawRow(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_PAINT:
        Paint();
        return TRUE;
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_ACTIVATE:
        if (ActivationLeavesFinder(wp, lp)) talk_.Reset();
        SHHandleWMActivate(dlg_, wp, lp, &sai_, 0);
        return FALSE;
    case WM_NOTIFY: {
        auto nm = reinterpret_cast<const NMHDR*>(lp);
        if (nm->hwndFrom == list_ && nm->code == LVN_ITEMACTIVATE) {
            if (Activate(Selected())) EndDialog(dlg_, result_);
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case 133:
        case IDCANCEL:
            EndDialog(dlg_, result_);
            return TRUE;
        case 134:
        case 135:
        case 136: {
            // The menu's action on the focused row's number, whatever the row's kind.
            const int row = Selected();
            if (row < 0 || size_t(row) >= rows_.size()) return TRUE;
            const CeString& target = record_->numbers[rows_[size_t(row)].number].text;
            bool started = LOWORD(wp) == 134 ? (!IsEmail(record_->numbers[rows_[size_t(row)].number].property) && Dial(target))
                         : LOWORD(wp) == 135 ? TextMessage(target)
                                             : (IsEmail(record_->numbers[rows_[size_t(row)].number].property) && Mail(target, dlg_));
            const int after = int(TheApp().settings.PostOperationBehavior.Get());
            // As for a row: only an action that started closes the view.
            if (started && after >= 1 && after <= 3) {
                result_ = after;
                EndDialog(dlg_, result_);
            }
            return TRUE;
        }
        }
        return FALSE;
    case WM_DESTROY:
        if (menuBar_) DestroyWindow(menuBar_);
        menuBar_ = nullptr;
        // The dialog goes before its child list: the list must meet its own
        // destruction in its own procedure, or its memory stays behind.
        Unsubclass();
        return FALSE;
    }
    return FALSE;
}

}  // namespace tallyra
