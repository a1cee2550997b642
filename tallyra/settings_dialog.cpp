#include "settings_dialog.h"

#include <aygshell.h>
#include <commctrl.h>

#include <memory>

#include "app.h"
#include "dialog.h"
#include "raii.h"
#include "settings_pages.h"
#include "settings_ui.h"

namespace tallyra {

namespace {

constexpr UINT kTitleText = 8031, kQuitText = 8029, kQuitCaption = 8030;
constexpr UINT kPageListBitmap = 4000;  // the pages' icons side by side, green key
constexpr int kPageCount = 3;           // texts 8000-8002

class CSettingsDialog : public win::Dialog {
public:
    explicit CSettingsDialog(App& app) : app_(app) {}

    bool Run(HWND owner) { return RunEmptyDialog(owner, Proc(), Param()) == 1; }

private:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_INITDIALOG:
            if (!Init()) EndDialog(dlg_, 0);
            return FALSE;  // the focus is set
        case WM_SIZE: LayOut(); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                Ok();
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                Cancel();
                return TRUE;
            }
            return FALSE;
        case WM_NOTIFY: {
            auto nm = reinterpret_cast<const NMHDR*>(lp);
            if (nm->hwndFrom == list_ && nm->code == LVN_ITEMACTIVATE) {
                OpenPage(int(SendMessageW(list_, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)));
                return TRUE;
            }
            return FALSE;
        }
        case WM_TL_PAGEDONE: ClosePage(); return TRUE;
        case WM_DESTROY:
            // The page goes with the dialog; its soft keys are ours to close.
            ClosePage();
            return FALSE;
        }
        return FALSE;
    }

    bool Init() {
        InitFullScreenDialog(dlg_);
        SetWindowTextW(dlg_, app_.Text(kTitleText).c_str());
        SHMENUBARINFO mb = {};
        mb.cbSize = sizeof mb;
        mb.hwndParent = dlg_;
        mb.dwFlags = SHCMBF_HMENU;
        mb.nToolBarId = 130;
        mb.hInstRes = app_.lang.get();
        if (SHCreateMenuBar(&mb)) menuBar_ = mb.hwndMB;
        normal_.reset(MakeFont(FW_THIN));
        bold_.reset(MakeFont(FW_BOLD));

        list_ = MakeControl(WC_LISTVIEWW, CeString(),
                            // The image list is ours to destroy, not the list view's.
                            WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS |
                                LVS_SHAREIMAGELISTS,
                            dlg_,
                            kIdPageList, normal_.get());
        if (!list_) return false;
        // One tap opens a page, as lists do on the handheld.
        SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE);
        LoadImages();
        LVCOLUMNW col = {};
        col.mask = LVCF_WIDTH;
        col.cx = app_.ScaleX(200);
        SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
        for (int i = 0; i < kPageCount; ++i) {
            CeString text = app_.Text(8000 + UINT(i));
            LVITEMW item = {};
            item.mask = LVIF_TEXT | LVIF_IMAGE;
            item.iItem = i;
            item.iImage = i;
            item.pszText = const_cast<wchar_t*>(text.c_str());
            SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        LVITEMW first = {};
        first.stateMask = first.state = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageW(list_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&first));
        LayOut();
        SetFocus(list_);
        return true;
    }

    HFONT MakeFont(int weight) const {
        LOGFONTW lf = {};
        lf.lfHeight = -app_.ScaleY(12);
        lf.lfWeight = weight;
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpyW(lf.lfFaceName, L"Tahoma");
        return CreateFontIndirectW(&lf);
    }

    // Square icons as high as the bitmap, as many as fit in its width; the list
    // goes without icons when the resolution library has none.
    void LoadImages() {
        if (!app_.dpiRes) return;
        raii::Bitmap bmp(static_cast<HBITMAP>(
            LoadImageW(app_.dpiRes.get(), MAKEINTRESOURCEW(kPageListBitmap), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        BITMAP info = {};
        if (!bmp || !GetObjectW(bmp.get(), sizeof info, &info) || info.bmHeight <= 0) return;
        const int side = info.bmHeight;
        images_.reset(ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, info.bmWidth / side, 0));
        if (!images_.get()) return;
        ImageList_AddMasked(images_.get(), bmp.get(), RGB(0, 255, 0));
        SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_.get()));
    }

    RECT Client() const {
        RECT rc;
        GetClientRect(dlg_, &rc);
        return rc;
    }

    void LayOut() {
        const RECT rc = Client();
        if (list_) {
            MoveWindow(list_, 0, 0, rc.right, rc.bottom, TRUE);
            SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, rc.right - GetSystemMetrics(SM_CXVSCROLL));
        }
        if (page_ && page_->hwnd()) MoveWindow(page_->hwnd(), 0, 0, rc.right, rc.bottom, TRUE);
    }

    void OpenPage(int index) {
        if (page_ && page_->hwnd()) return;
        page_ = MakeSettingsPage(index, app_.settings, normal_.get(), bold_.get());
        if (!page_) return;
        if (!page_->Open(dlg_, Client())) {
            page_.reset();
            return;
        }
        SetWindowTextW(dlg_, app_.Text(page_->TitleId()).c_str());
        ShowWindow(list_, SW_HIDE);
        if (menuBar_) ShowWindow(menuBar_, SW_HIDE);
        SetFocus(page_->hwnd());
    }

    // Destroying the page stores its controls (unless its Cancel key closed it). The
    // object itself stays until the next page opens: this may run inside its own
    // window procedure.
    void ClosePage() {
        if (!page_ || !page_->hwnd()) return;
        DestroyWindow(page_->hwnd());
        if (!IsWindow(dlg_)) return;
        SetWindowTextW(dlg_, app_.Text(kTitleText).c_str());
        ShowWindow(list_, SW_SHOW);
        if (menuBar_) ShowWindow(menuBar_, SW_SHOWNOACTIVATE);
        SetFocus(list_);
    }

    // A refused write must not end the dialog as if it had worked: the finder would
    // reload the stored values and the changes would vanish without a word. They stay
    // in the dialog instead, to be saved again or cancelled.
    void Ok() {
        ClosePage();
        if (!app_.SaveSettings()) {
            MessageBoxW(dlg_, TextOr(kTxtSaveFailed, L"The settings could not be saved.").c_str(),
                        app_.Text(kTitleText).c_str(), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        EndDialog(dlg_, 1);
    }

    void Cancel() {
        const int answer = MessageBoxW(dlg_, app_.Text(kQuitText).c_str(), app_.Text(kQuitCaption).c_str(),
                                       MB_YESNO | MB_ICONQUESTION);
        if (answer == IDYES) EndDialog(dlg_, 0);
    }

    App& app_;
    HWND list_ = nullptr, menuBar_ = nullptr;
    raii::Font normal_, bold_;
    ImageListOwner images_;
    std::unique_ptr<CSettingsWindow> page_;
};

}  // namespace

bool RunSettingsDialog(HWND owner) {
    SHInitExtraControls();  // list view and tab strip classes
    CSettingsDialog dialog(TheApp());
    return dialog.Run(owner);
}

}  // namespace tallyra
