#include "notes_dialog.h"

#include "note_files.h"
#include "note_ops.h"

namespace daybrim {

namespace {
enum : int { kName = 1116, kFolder = 1117, kLocation = 1118, kNameLabel = 1119, kFolderLabel = 1120,
             kLocationLabel = 1121 };

std::wstring ItemText(HWND combo, LRESULT index) {
    const LRESULT n = SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (n <= 0) return std::wstring();
    std::wstring s(size_t(n) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(size_t(n));
    return s;
}
}  // namespace

bool CRenameNoteDialog::Run(HINSTANCE module, HWND owner) {
    return DialogBoxParamW(module, MAKEINTRESOURCEW(425), owner, Proc(), Param()) == IDOK;
}

void CRenameNoteDialog::FillFolders(const std::wstring& select) {
    HWND folders = GetDlgItem(dlg_, kFolder);
    SendMessageW(folders, CB_RESETCONTENT, 0, 0);
    SendMessageW(folders, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts_.String(41025).c_str()));
    const LRESULT at = SendDlgItemMessageW(dlg_, kLocation, CB_GETCURSEL, 0, 0);
    if (at >= 0 && size_t(at) < locations_.size())
        for (const std::wstring& sub : notes::SubFolders(locations_[size_t(at)].root))
            SendMessageW(folders, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(sub.c_str()));
    const LRESULT found = select.empty() ? CB_ERR
                                         : SendMessageW(folders, CB_FINDSTRINGEXACT, WPARAM(-1),
                                                        reinterpret_cast<LPARAM>(select.c_str()));
    SendMessageW(folders, CB_SETCURSEL, found == CB_ERR ? 0 : WPARAM(found), 0);
}

void CRenameNoteDialog::OnInit() {
    SetDlgItemTextW(dlg_, kNameLabel, texts_.String(41035).c_str());
    SetDlgItemTextW(dlg_, kFolderLabel, texts_.String(41036).c_str());
    SetDlgItemTextW(dlg_, kLocationLabel, texts_.String(41037).c_str());
    SetDlgItemTextW(dlg_, kName, notes::StemOf(path_).c_str());
    const std::wstring folder = notes::FolderOf(path_);
    size_t selected = 0;
    for (size_t i = 0; i < locations_.size(); ++i) {
        SendDlgItemMessageW(dlg_, kLocation, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(locations_[i].title.c_str()));
        const std::wstring& root = locations_[i].root;
        if (notes::SamePath(folder, root) ||
            (folder.size() > root.size() && notes::SamePath(folder.substr(0, root.size() + 1), root + L"\\")))
            selected = i;
    }
    SendDlgItemMessageW(dlg_, kLocation, CB_SETCURSEL, selected, 0);
    std::wstring sub;
    if (selected < locations_.size() && folder.size() > locations_[selected].root.size() + 1)
        sub = folder.substr(locations_[selected].root.size() + 1);
    FillFolders(sub);
    RECT work;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        MoveWindow(dlg_, work.left, work.top, work.right - work.left, work.bottom - work.top, FALSE);
    SetFocus(GetDlgItem(dlg_, kName));
}

bool CRenameNoteDialog::Take() {
    wchar_t name[MAX_PATH] = {};
    GetDlgItemTextW(dlg_, kName, name, MAX_PATH);
    const LRESULT at = SendDlgItemMessageW(dlg_, kLocation, CB_GETCURSEL, 0, 0);
    if (at < 0 || size_t(at) >= locations_.size()) return false;
    const LRESULT sub = SendDlgItemMessageW(dlg_, kFolder, CB_GETCURSEL, 0, 0);
    const std::wstring folder =
        notes::TargetFolder(locations_[size_t(at)].root, sub > 0 ? ItemText(GetDlgItem(dlg_, kFolder), sub) : L"");
    return move_ && move_(folder, name);
}

INT_PTR CRenameNoteDialog::DlgProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: OnInit(); return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kLocation:
            if (HIWORD(wp) == CBN_SELCHANGE) FillFolders(L"");
            return TRUE;
        case IDOK:
            if (Take()) EndDialog(dlg_, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dlg_, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace daybrim
