#include "calendar_dialogs.h"

#include <windowsx.h>
#include <commctrl.h>

#include <cmath>

#include "item_text.h"
#include "locale_text.h"
#include "raii.h"
#include "scale.h"

namespace daybrim {

namespace {

enum ReminderControl { kCheck = 1092, kNumber = 1108, kUnit = 1107, kOk = 1106, kCancel = 1105 };

void SetText(HWND dlg, int id, const std::wstring& text) { SetDlgItemTextW(dlg, id, text.c_str()); }

}  // namespace

bool CReminderDialog::Run(HINSTANCE module, HWND owner) {
    return DialogBoxParamW(module, MAKEINTRESOURCEW(378), owner, Proc(), Param()) == IDOK;
}

void CReminderDialog::OnInit() {
    SetWindowTextW(dlg_, subject_.c_str());
    SetText(dlg_, kCheck, text_.String(40857));
    SetText(dlg_, kOk, text_.String(40858));
    SetText(dlg_, kCancel, text_.String(40859));
    HWND number = GetDlgItem(dlg_, kNumber), unit = GetDlgItem(dlg_, kUnit);
    for (int n = 0; n <= 55; n += 5) SendMessageW(number, CB_ADDSTRING, 0, LPARAM(std::to_wstring(n).c_str()));
    for (unsigned id = 40860; id <= 40863; ++id) SendMessageW(unit, CB_ADDSTRING, 0, LPARAM(text_.String(id).c_str()));
    const LeadTime t = SplitLeadTime(minutes_);
    SetWindowTextW(number, std::to_wstring(t.number).c_str());
    SendMessageW(unit, CB_SETCURSEL, WPARAM(t.unit), 0);
    CheckDlgButton(dlg_, kCheck, on_ ? BST_CHECKED : BST_UNCHECKED);
    EnableBoxes();
    // Centred on the screen, a little above the middle.
    RECT r;
    GetWindowRect(dlg_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(dlg_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2 - ScaleY(10), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CReminderDialog::EnableBoxes() {
    const bool on = IsDlgButtonChecked(dlg_, kCheck) == BST_CHECKED;
    EnableWindow(GetDlgItem(dlg_, kNumber), on);
    EnableWindow(GetDlgItem(dlg_, kUnit), on);
}

bool CReminderDialog::Take() {
    on_ = IsDlgButtonChecked(dlg_, kCheck) == BST_CHECKED;
    wchar_t buf[16] = {};
    GetDlgItemTextW(dlg_, kNumber, buf, 16);
    wchar_t* end = nullptr;
    const long number = wcstol(buf, &end, 10);
    // A typed number that is not one is refused rather than read as zero.
    if (on_ && (end == buf || number < 0)) return false;
    const int unit = int(SendDlgItemMessageW(dlg_, kUnit, CB_GETCURSEL, 0, 0));
    minutes_ = on_ ? LeadTimeMinutes(number, unit < 0 ? 0 : unit) : minutes_;
    return true;
}

INT_PTR CReminderDialog::DlgProc(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: OnInit(); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kCheck: EnableBoxes(); return TRUE;
        case IDOK:
        case kOk:
            if (Take()) EndDialog(dlg_, IDOK);
            else MessageBeep(MB_ICONEXCLAMATION);
            return TRUE;
        case IDCANCEL:
        case kCancel: EndDialog(dlg_, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// --- a task's reminder ---------------------------------------------------------------------

namespace {

enum TaskReminderControl {
    kStartPicker = 1110, kDuePicker = 1111, kReminderDate = 1112, kReminderTime = 1113,
    kDueCheck = 1114, kStartCheck = 1115,
};

void PutPicker(HWND dlg, int id, double ole) {
    SYSTEMTIME st = {};
    if (ole > 0 && SystemTimeFromOle(ole, &st)) SendDlgItemMessageW(dlg, id, DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&st));
}

double PickerDate(HWND dlg, int id) {
    SYSTEMTIME st = {};
    if (SendDlgItemMessageW(dlg, id, DTM_GETSYSTEMTIME, 0, LPARAM(&st)) != GDT_VALID) return 0;
    st.wHour = st.wMinute = st.wSecond = st.wMilliseconds = 0;
    double d = 0;
    return SystemTimeToVariantTime(&st, &d) ? std::floor(d) : 0;
}

double PickerTimeOfDay(HWND dlg, int id) {
    SYSTEMTIME st = {};
    if (SendDlgItemMessageW(dlg, id, DTM_GETSYSTEMTIME, 0, LPARAM(&st)) != GDT_VALID) return 0;
    return (st.wHour * 60 + st.wMinute) / 1440.0;
}

}  // namespace

bool CTaskReminderDialog::Run(HINSTANCE module, HWND owner) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    return DialogBoxParamW(module, MAKEINTRESOURCEW(379), owner, Proc(), Param()) == IDOK;
}

void CTaskReminderDialog::OnInit() {
    SetWindowTextW(dlg_, subject_.c_str());
    SetText(dlg_, kStartCheck, text_.String(40864));
    SetText(dlg_, kDueCheck, text_.String(40865));
    SetText(dlg_, kCheck, text_.String(40857));
    SetText(dlg_, kOk, text_.String(40858));
    SetText(dlg_, kCancel, text_.String(40859));
    CheckDlgButton(dlg_, kStartCheck, choice_.hasStart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg_, kDueCheck, choice_.hasDue ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg_, kCheck, choice_.reminder ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dlg_, kReminderTime, DTM_SETFORMATW, 0, LPARAM(L"HH:mm"));
    PutPicker(dlg_, kStartPicker, choice_.hasStart ? choice_.start : 0);
    PutPicker(dlg_, kDuePicker, choice_.hasDue ? choice_.due : 0);
    PutPicker(dlg_, kReminderDate, choice_.when);
    PutPicker(dlg_, kReminderTime, choice_.when);
    EnableBoxes();
    RECT r;
    GetWindowRect(dlg_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    SetWindowPos(dlg_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2 - ScaleY(10), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CTaskReminderDialog::EnableBoxes() {
    auto checked = [&](int id) { return IsDlgButtonChecked(dlg_, id) == BST_CHECKED; };
    EnableWindow(GetDlgItem(dlg_, kStartPicker), checked(kStartCheck));
    EnableWindow(GetDlgItem(dlg_, kDuePicker), checked(kDueCheck));
    EnableWindow(GetDlgItem(dlg_, kReminderDate), checked(kCheck));
    EnableWindow(GetDlgItem(dlg_, kReminderTime), checked(kCheck));
}

void CTaskReminderDialog::Take() {
    auto checked = [&](int id) { return IsDlgButtonChecked(dlg_, id) == BST_CHECKED; };
    choice_.hasStart = checked(kStartCheck);
    choice_.hasDue = checked(kDueCheck);
    choice_.reminder = checked(kCheck);
    if (choice_.hasStart) choice_.start = PickerDate(dlg_, kStartPicker);
    if (choice_.hasDue) choice_.due = PickerDate(dlg_, kDuePicker);
    if (choice_.reminder) choice_.when = PickerDate(dlg_, kReminderDate) + PickerTimeOfDay(dlg_, kReminderTime);
    // A task may not start after it is due.
    if (choice_.hasStart && choice_.hasDue && choice_.start > choice_.due) choice_.start = choice_.due;
}

INT_PTR CTaskReminderDialog::DlgProc(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: OnInit(); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kCheck:
        case kStartCheck:
        case kDueCheck: EnableBoxes(); return TRUE;
        case IDOK:
        case kOk:
            Take();
            EndDialog(dlg_, IDOK);
            return TRUE;
        case IDCANCEL:
        case kCancel: EndDialog(dlg_, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// --- the quick appointment picker --------------------------------------------------------

bool CQuickApptDialog::Run(HINSTANCE module, HWND owner, double* start, double* end) {
    const INT_PTR r = DialogBoxParamW(module, MAKEINTRESOURCEW(233), owner, Proc(), Param());
    return r == IDOK && range_.Times(day_, start, end);
}

int CQuickApptDialog::StripHeight() const { return ScaleY(20); }

int CQuickApptDialog::ButtonAt(int x, int y) const {
    if (y < 0 || y >= StripHeight()) return -1;
    RECT rc;
    GetClientRect(dlg_, &rc);
    const int size = ScaleX(20);
    if (x >= rc.right - size) return 1;
    if (x >= rc.right - 2 * size) return 0;
    return -1;
}

void CQuickApptDialog::OnPaint() {
    raii::PaintBuffered(dlg_, [&](HDC dc, int w, int h) {
        RECT all = {0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const int strip = StripHeight();
        RECT bar = {0, 0, w, strip};
        raii::Brush barBrush(CreateSolidBrush(RGB(0x2F, 0x6D, 0xB5)));
        FillRect(dc, &bar, barBrush.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        const int size = ScaleX(20);
        RECT create = {w - 2 * size, 0, w - size, strip}, close = {w - size, 0, w, strip};
        DrawTextW(dc, L"+", 1, &create, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        DrawTextW(dc, L"x", 1, &close, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        raii::Brush cell(CreateSolidBrush(RGB(0xE8, 0xE8, 0xE8)));
        raii::Brush picked(CreateSolidBrush(RGB(0x2F, 0x6D, 0xB5)));
        SetTextColor(dc, RGB(0x40, 0x40, 0x40));
        for (int i = 0; i < range_.CellCount(); ++i) {
            RECT c = {range_.CellLeft(i), strip + ScaleY(4), range_.CellLeft(i + 1) - 1, h - ScaleY(4)};
            const bool on = range_.HasSelection() && i >= range_.First() && i <= range_.Last();
            FillRect(dc, &c, on ? picked.get() : cell.get());
        }
    });
}

INT_PTR CQuickApptDialog::DlgProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowPos(dlg_, HWND_TOP, where_.left, where_.top, where_.right - where_.left, where_.bottom - where_.top,
                     0);
        return TRUE;
    case WM_ERASEBKGND: SetWindowLongPtrW(dlg_, DWLP_MSGRESULT, 1); return TRUE;
    case WM_PAINT: OnPaint(); return TRUE;
    case WM_LBUTTONDOWN: {
        const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
        const int button = ButtonAt(x, y);
        if (button == 0) {
            EndDialog(dlg_, IDOK);
        } else if (button == 1) {
            EndDialog(dlg_, IDCANCEL);
        } else if (y < StripHeight()) {
            // The strip drags the whole picker.
            ReleaseCapture();
            SendMessageW(dlg_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        } else {
            range_.PenDown(x);
            picking_ = true;
            SetCapture(dlg_);
            InvalidateRect(dlg_, nullptr, FALSE);
        }
        return TRUE;
    }
    case WM_MOUSEMOVE:
        if (picking_) {
            range_.PenMove(GET_X_LPARAM(lp));
            InvalidateRect(dlg_, nullptr, FALSE);
        }
        return TRUE;
    case WM_LBUTTONUP:
        if (picking_) ReleaseCapture();
        picking_ = false;
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) EndDialog(dlg_, IDOK);
        else if (LOWORD(wp) == IDCANCEL) EndDialog(dlg_, IDCANCEL);
        return TRUE;
    }
    (void)wp;
    return FALSE;
}

}  // namespace daybrim
