// Pieces the settings dialog, its pages and the file chooser share: modal dialogs
// from an empty template, soft-key bars made at run time, child controls and a
// simple top-to-bottom layout of control rows.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "ce_string.h"
#include "settings_model.h"

namespace tallyra {

// Control ids, also used by the window tests. The soft keys send commands 1 (left)
// and 2 (right); no control uses those.
enum SettingsControlId : int {
    kIdPageList = 1000,  // the dialog's list of pages
    kIdAlphabet = 1001,
    kIdKeyboardMode = 1002,
    kIdPostOperation = 1003,
    kIdSkinFolder = 1004,
    kIdSkinBrowse = 1005,
    kIdSkinClear = 1006,
    kIdContactLayout = 1011,
    kIdTitleFormat = 1012,
    kIdFontSize = 1013,
    kIdFirstTweak = 1021,         // + the box's place on the Tweaks page
    kIdFirstAlphabetCheck = 1031,  // + 0 Latin, 1 Cyrillic, 2 Hebrew, 3 Greek
    kIdChooserFolder = 1041,
    kIdChooserList = 1042,
    kIdChooserName = 1043,
    kIdChooserExtension = 1044,
    kIdPageTabs = 1099,
};

// Texts of the language library the settings add to the ids the finder always had.
enum SettingsTextId : unsigned {
    kTxtDone = 8090,
    kTxtCancel = 8091,
    kTxtBrowse = 8092,
    kTxtClear = 8093,
    kTxtAvailableAlphabets = 8094,
    kTxtSaveFile = 8096,
    kTxtLoadFile = 8097,
    kTxtSelectFolder = 8098,
    kTxtFileName = 8099,
    kTxtExtension = 8100,
    kTxtSelect = 8101,
    kTxtFileNameError = 8102,
    kTxtFileNameMissing = 8103,
    kTxtFileNameIllegal = 8104,
    kTxtSaveFailed = 8105,
};

// A page tells the settings dialog that its left soft key was pressed: close me.
constexpr UINT WM_TL_PAGEDONE = WM_USER + 1;

// A text of the language library, or `fallback` when the library lacks it (an older
// library must not leave a button or an error box blank).
CeString TextOr(UINT id, const wchar_t* fallback);

// A modal dialog from a template without controls, as full-screen dialogs of the
// handheld are made: `proc` makes its controls at WM_INITDIALOG, whose lParam is
// `param`. Returns what EndDialog gave, -1 when it could not be shown.
INT_PTR RunEmptyDialog(HWND owner, DLGPROC proc, LPARAM param);

// Sizes the dialog to the work area above the soft keys with the input panel down.
void InitFullScreenDialog(HWND dlg);

// A soft-key bar for `owner` made without a menu resource: two text buttons whose
// commands, 1 (left) and 2 (right), reach the owner. Null when it cannot be made.
// The bar is an owned popup: whoever made it destroys it with the page it serves.
HWND CreateSoftKeys(HWND owner, const CeString& left, const CeString& right);

HWND MakeControl(const wchar_t* cls, const CeString& text, DWORD style, HWND parent, int id, HFONT font);
// The model's items, texts from the language library, and its selection.
void FillCombo(HWND combo, const ComboModel& model);

// An image list, destroyed with its owner.
class ImageListOwner {
public:
    ImageListOwner() = default;
    ~ImageListOwner() { reset(); }
    ImageListOwner(const ImageListOwner&) = delete;
    ImageListOwner& operator=(const ImageListOwner&) = delete;
    HIMAGELIST get() const { return list_; }
    void reset(HIMAGELIST l = nullptr) {
        if (list_) ImageList_Destroy(list_);
        list_ = l;
    }

private:
    HIMAGELIST list_ = nullptr;
};

// Controls laid out in rows from the top; widths and heights in 96-dpi pixels. A
// width of 0 shares what the fixed widths leave, a height of 0 what the other rows
// leave above `bottom`. Rows belong to a group that a tab strip shows or hides as one.
class ControlRows {
public:
    // dropHeight: the height a combo box's window gets (its list), when taller.
    void Add(std::vector<HWND> controls, std::vector<int> widths, int height, int group = 0, int gapAbove = 4,
             int dropHeight = 0);
    void LayOut(int left, int top, int width, int bottom = 0) const;  // screen pixels
    void ShowGroup(int group, bool show) const;

private:
    struct Row {
        std::vector<HWND> controls;
        std::vector<int> widths;
        int height, group, gap, drop;
    };
    std::vector<Row> rows_;
};

}  // namespace tallyra
