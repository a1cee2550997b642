#include "settings_chooser.h"

#include <commctrl.h>

#include <vector>

#include "app.h"
#include "dialog.h"
#include "raii.h"
#include "settings_ui.h"

namespace tallyra {

namespace {

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using FindHandle = raii::Owned<HANDLE, FindTraits>;

// Everything in the folder ("*.*"); an unreadable folder lists as empty.
std::vector<FolderEntry> ListFolder(const CeStd& folder) {
    std::vector<FolderEntry> out;
    const CeStd pattern = folder + L"*.*";
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW(pattern.c_str(), &fd));
    if (!find) return out;
    do {
        out.push_back({CeStd(fd.cFileName), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.get(), &fd));
    return out;
}

class Chooser : public win::Dialog {
public:
    Chooser(ChooserMode mode, const CeString& title, const CeString& folder, const CeString& extension)
        : model_(mode, folder.str(), extension.str()), title_(title) {}

    INT_PTR Run(HWND owner) { return RunEmptyDialog(owner, Proc(), Param()); }

    CeString result;

private:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_INITDIALOG: Init(); return FALSE;  // the focus is set
        case WM_SIZE: LayOut(); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) Select();
            else if (LOWORD(wp) == IDCANCEL) EndDialog(dlg_, 0);
            else return FALSE;
            return TRUE;
        case WM_NOTIFY: {
            auto nm = reinterpret_cast<const NMHDR*>(lp);
            if (nm->hwndFrom == list_ && nm->code == LVN_ITEMACTIVATE) {
                Activate(Selected());
                return TRUE;
            }
            return FALSE;
        }
        case WM_CTLCOLORSTATIC:
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        case WM_DESTROY:
            if (keys_) DestroyWindow(keys_);
            keys_ = nullptr;
            return FALSE;
        }
        return FALSE;
    }

    void Init() {
        const App& app = TheApp();
        InitFullScreenDialog(dlg_);
        static const struct {
            unsigned id;
            const wchar_t* fallback;
        } kTitles[] = {{kTxtSaveFile, L"Save File"}, {kTxtLoadFile, L"Load File"}, {kTxtSelectFolder, L"Select Folder"}};
        const auto& t = kTitles[int(model_.mode())];
        SetWindowTextW(dlg_, (title_.empty() ? TextOr(t.id, t.fallback) : title_).c_str());
        font_.reset(MakeFont(FW_NORMAL));
        bold_.reset(MakeFont(FW_BOLD));

        folder_ = MakeControl(WC_STATICW, CeString(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, dlg_, kIdChooserFolder,
                              bold_.get());
        list_ = MakeControl(WC_LISTVIEWW, CeString(),
                            WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS,
                            dlg_, kIdChooserList, font_.get());
        // One tap opens a folder or takes a file's name.
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE);
        LVCOLUMNW col = {};
        col.mask = LVCF_WIDTH;
        col.cx = app.ScaleX(200);
        SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
        rows_.Add({folder_}, {}, 18, 0, 2);
        rows_.Add({list_}, {}, 0, 0, 2);  // what the other rows leave
        if (model_.mode() != ChooserMode::kFolder) {
            HWND nameLabel = MakeControl(WC_STATICW, TextOr(kTxtFileName, L"File Name"), SS_LEFT, dlg_, -1, bold_.get());
            name_ = MakeControl(WC_EDITW, CeString(), WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, dlg_, kIdChooserName,
                                font_.get());
            HWND extLabel = MakeControl(WC_STATICW, TextOr(kTxtExtension, L"Extension"), SS_LEFT, dlg_, -1, bold_.get());
            HWND ext = MakeControl(WC_EDITW, CeString(model_.extension()), WS_BORDER | ES_READONLY | ES_AUTOHSCROLL,
                                   dlg_, kIdChooserExtension, font_.get());
            rows_.Add({nameLabel, extLabel}, {0, 70}, 16, 0, 4);
            rows_.Add({name_, ext}, {0, 70}, 22, 0, 0);
        }
        controlsMade_ = true;
        keys_ = CreateSoftKeys(dlg_, TextOr(kTxtSelect, L"Select"), TextOr(kTxtCancel, L"Cancel"));
        LayOut();
        Refill();
        SetFocus(list_);
    }

    HFONT MakeFont(int weight) const {
        LOGFONTW lf = {};
        lf.lfHeight = -TheApp().ScaleY(12);
        lf.lfWeight = weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpyW(lf.lfFaceName, L"Tahoma");
        return CreateFontIndirectW(&lf);
    }

    void LayOut() {
        if (!controlsMade_) return;
        RECT rc;
        GetClientRect(dlg_, &rc);
        const App& app = TheApp();
        rows_.LayOut(app.ScaleX(4), 0, rc.right - app.ScaleX(8), rc.bottom - app.ScaleY(4));
        SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, rc.right - app.ScaleX(8) - GetSystemMetrics(SM_CXVSCROLL));
    }

    void Refill() {
        model_.SetListing(ListFolder(model_.folder()));
        SetWindowTextW(folder_, model_.folder().c_str());
        SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
        const auto& rows = model_.rows();
        for (size_t i = 0; i < rows.size(); ++i) {
            // Folders show their backslash, so they read apart from files.
            CeStd text = rows[i].name;
            if (rows[i].folder) text.push_back(L'\\');
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = int(i);
            item.pszText = &text[0];
            SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        if (!rows.empty()) {
            LVITEMW item = {};
            item.stateMask = item.state = LVIS_FOCUSED;
            SendMessageW(list_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
        }
    }

    int Selected() const { return int(SendMessageW(list_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

    void Activate(int row) {
        if (row < 0) return;
        CeStd name;
        switch (model_.Activate(size_t(row), &name)) {
        case FileChooserModel::Activation::kFolderChanged: Refill(); break;
        case FileChooserModel::Activation::kFileName:
            if (name_) SetWindowTextW(name_, name.c_str());
            break;
        case FileChooserModel::Activation::kNone: break;
        }
    }

    void Select() {
        if (model_.mode() == ChooserMode::kFolder) {
            result = CeString(model_.SelectFolder(Selected()));
            EndDialog(dlg_, 1);
            return;
        }
        std::vector<wchar_t> buf(size_t(GetWindowTextLengthW(name_)) + 1);
        GetWindowTextW(name_, buf.data(), int(buf.size()));
        CeStd path;
        const auto r = model_.SelectFile(CeStd(buf.data()), &path);
        if (r == FileChooserModel::Result::kOk) {
            result = CeString(path);
            EndDialog(dlg_, 1);
            return;
        }
        const CeString text = r == FileChooserModel::Result::kNameMissing
                                  ? TextOr(kTxtFileNameMissing, L"File name value is missing")
                                  : TextOr(kTxtFileNameIllegal, L"File name include illegal characters");
        MessageBoxW(dlg_, text.c_str(), TextOr(kTxtFileNameError, L"File Name Error").c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
        SetFocus(name_);
    }

    FileChooserModel model_;
    CeString title_;
    HWND folder_ = nullptr, list_ = nullptr, name_ = nullptr, keys_ = nullptr;
    raii::Font font_, bold_;
    ControlRows rows_;
    bool controlsMade_ = false;  // WM_SIZE comes before the controls exist
};

}  // namespace

bool RunFileChooser(HWND owner, ChooserMode mode, const CeString& title, const CeString& folder,
                    const CeString& extension, CeString* result) {
    Chooser chooser(mode, title, folder, extension);
    if (chooser.Run(owner) != 1) return false;
    *result = chooser.result;
    return true;
}

}  // namespace tallyra
