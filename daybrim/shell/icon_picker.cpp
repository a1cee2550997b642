#include "icon_picker.h"

#include <aygshell.h>
#include <commctrl.h>

#include <utility>

#include "reg.h"
#include "scale.h"
#include "settings.h"

namespace daybrim {

namespace {

const UINT IDS_DONE = 40819;
const UINT IDS_CANCEL = 41228;
const UINT IDS_NONE = 40816;
const UINT IDS_ICON = 40817;

const COLORREF kFrame = 0x787878;
const COLORREF kKey = RGB(0, 255, 0);  // icon sets draw their background in green

struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using FindHandle = raii::Owned<HANDLE, FindTraits>;

// The hourglass while the icon folders are walked (a card can be slow).
class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR old_;
};

RECT ToRect(const BarRect& b) { return RECT{b.left, b.top, b.right, b.bottom}; }
BarRect ToBar(const RECT& r) { return BarRect{r.left, r.top, r.right, r.bottom}; }

SIZE BitmapSize(HBITMAP bmp) {
    BITMAP bm = {};
    if (!bmp || !GetObjectW(bmp, sizeof bm, &bm)) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
}

// A dialog template with no controls: popup, caption, the given title, and the
// handheld's dialog font (the strip's texts and the clear button use it). DWORD
// storage keeps it aligned as the dialog manager wants.
std::vector<DWORD> Template(const std::wstring& title) {
    std::vector<WORD> w(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(w.data());
    t->style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    w.push_back(0);  // no menu
    w.push_back(0);  // the standard dialog class
    for (wchar_t c : title) w.push_back(WORD(c));
    w.push_back(0);
    w.push_back(8);  // points
    for (const wchar_t* f = L"Tahoma"; *f; ++f) w.push_back(WORD(*f));
    w.push_back(0);
    std::vector<DWORD> out((w.size() + 1) / 2, 0);
    memcpy(out.data(), w.data(), w.size() * sizeof(WORD));
    return out;
}

struct IconLibrary {
    bool built = false;
    std::vector<std::wstring> icons;
};
IconLibrary& Library() {
    static IconLibrary lib;
    return lib;
}

}  // namespace

std::vector<FolderEntry> SystemFolderReader::List(const std::wstring& folder) {
    std::vector<FolderEntry> out;
    if (folder.empty()) return out;
    std::wstring pattern = folder;
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileW(pattern.c_str(), &fd));
    if (!find) return out;
    do {
        FolderEntry e;
        e.name = fd.cFileName;
        e.folder = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        out.push_back(std::move(e));
    } while (FindNextFileW(find.get(), &fd));
    return out;
}

std::vector<std::wstring> IconSetFolders() {
    static const wchar_t* const kValues[] = {L"InstallPath24", L"InstallPath18", L"InstallPath12",
                                             L"InstallPathBlank"};
    std::vector<std::wstring> out;
    for (const wchar_t* name : kValues) {
        std::wstring v;
        if (reg::HasString(HKEY_CURRENT_USER, L"Software\\Olvane\\Daybrim\\IconSet", name, &v)) out.push_back(v);
    }
    return out;
}

const std::vector<std::wstring>& InstalledIcons(const CSettings& settings) {
    IconLibrary& lib = Library();
    if (!lib.built) {
        WaitCursor wait;
        SystemFolderReader reader;
        lib.icons = BuildIconList(
            reader, IconSearchFolders(settings.ProgramFiles.value(), settings.AdditionalIconsFolder.value(),
                                      IconSetFolders()));
        lib.built = true;
    }
    return lib.icons;
}

bool PickIcon(HWND parent, HINSTANCE module, HMODULE lang, const CSettings& settings, std::wstring* path) {
    if (!path) return false;
    CIconPicker picker(InstalledIcons(settings), lang);
    return picker.Run(parent, module, path);
}

CIconPicker::CIconPicker(std::vector<std::wstring> icons, HMODULE lang)
    : icons_(std::move(icons)), lang_(lang), pictures_(icons_.size()), tried_(icons_.size(), false) {}

std::wstring CIconPicker::Text(UINT id, const wchar_t* fallback) const {
    wchar_t buf[128] = {};
    if (lang_ && LoadStringW(lang_, id, buf, 128) > 0) return buf;
    return fallback;
}

bool CIconPicker::Run(HWND parent, HINSTANCE module, std::wstring* path) {
    if (!path) return false;
    doneText_ = Text(IDS_DONE, L"Done");
    cancelText_ = Text(IDS_CANCEL, L"Cancel");
    noneText_ = Text(IDS_NONE, L"None");
    iconText_ = Text(IDS_ICON, L"Icon: ");
    chosen_ = *path;
    std::wstring title = iconText_;
    while (!title.empty() && (title.back() == L' ' || title.back() == L':')) title.pop_back();
    const std::vector<DWORD> tmpl = Template(title);
    const INT_PTR r = DialogBoxIndirectParamW(module, reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()), parent,
                                              Proc(), Param());
    dlg_ = list_ = clear_ = menuBar_ = nullptr;
    chosenPicture_.reset();
    for (raii::Bitmap& b : pictures_) b.reset();
    tried_.assign(icons_.size(), false);
    if (r != IDOK) return false;
    *path = chosen_;
    return true;
}

INT_PTR CIconPicker::DlgProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: OnInit(); return FALSE;  // the focus is set by OnInit
    case WM_SIZE: Layout(); return TRUE;
    case WM_PAINT: OnPaint(); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL: EndDialog(dlg_, LOWORD(wp)); return TRUE;
        case kClearId:
            if (HIWORD(wp) == BN_CLICKED) {
                Choose(std::wstring());
                ListView_SetItemState(list_, -1, 0, LVIS_SELECTED);
            }
            return TRUE;
        }
        break;
    case WM_NOTIFY: {
        auto nm = reinterpret_cast<NMHDR*>(lp);
        if (nm->hwndFrom != list_) break;
        if (nm->code == NM_CUSTOMDRAW) {
            SetWindowLongPtrW(dlg_, DWLP_MSGRESULT, OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(lp)));
            return TRUE;
        }
        if (nm->code == LVN_ITEMACTIVATE) {
            const int item = reinterpret_cast<NMITEMACTIVATE*>(lp)->iItem;
            if (item >= 0 && size_t(item) < icons_.size()) Choose(icons_[size_t(item)]);
            return TRUE;
        }
        break;
    }
    case WM_CLOSE: EndDialog(dlg_, IDCANCEL); return TRUE;
    }
    return FALSE;
}

void CIconPicker::OnInit() {
    const int cell = ScaleX(30);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LVS_ICON | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS | LVS_AUTOARRANGE,
                            0, 0, 0, 0, dlg_, reinterpret_cast<HMENU>(INT_PTR(kListId)), nullptr, nullptr);
    clear_ = CreateWindowExW(0, L"BUTTON", noneText_.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                             0, 0, 0, dlg_, reinterpret_cast<HMENU>(INT_PTR(kClearId)), nullptr, nullptr);
    if (HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg_, WM_GETFONT, 0, 0)))
        SendMessageW(clear_, WM_SETFONT, WPARAM(font), FALSE);
    if (list_) {
        // An empty image list of cell size makes every item's icon area a cell;
        // the cells themselves are drawn in OnCustomDraw.
        cells_ = ImageList_Create(cell, cell, ILC_COLOR, 0, 1);
        if (cells_) ListView_SetImageList(list_, cells_, LVSIL_NORMAL);
        ListView_SetIconSpacing(list_, cell + ScaleX(4), cell + ScaleY(4));
        ListView_SetItemCount(list_, int(icons_.size()));
        int selected = -1;
        for (size_t i = 0; i < icons_.size(); ++i) {
            LVITEMW it = {};
            it.mask = LVIF_TEXT | LVIF_IMAGE;
            it.iItem = int(i);
            it.pszText = const_cast<wchar_t*>(L"");
            it.iImage = 0;
            ListView_InsertItem(list_, &it);
            if (selected < 0 && !chosen_.empty() && lstrcmpiW(icons_[i].c_str(), chosen_.c_str()) == 0)
                selected = int(i);
        }
        if (selected >= 0) {
            ListView_SetItemState(list_, selected, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            ListView_EnsureVisible(list_, selected, FALSE);
        }
    }
    Choose(chosen_);

    SHINITDLGINFO shidi = {SHIDIM_FLAGS, dlg_, SHIDIF_SIZEDLGFULLSCREEN};
    SHInitDialog(&shidi);
    SHMENUBARINFO mb = {};
    mb.cbSize = sizeof mb;
    mb.hwndParent = dlg_;
    mb.dwFlags = SHCMBF_EMPTYBAR;
    if (SHCreateMenuBar(&mb)) {
        menuBar_ = mb.hwndMB;
        TBBUTTON b[2] = {};
        const int ids[2] = {IDOK, IDCANCEL};
        const std::wstring* texts[2] = {&doneText_, &cancelText_};
        for (int i = 0; i < 2; ++i) {
            b[i].iBitmap = I_IMAGENONE;
            b[i].idCommand = ids[i];
            b[i].fsState = TBSTATE_ENABLED;
            b[i].fsStyle = BTNS_AUTOSIZE | BTNS_SHOWTEXT;
            b[i].iString = reinterpret_cast<INT_PTR>(texts[i]->c_str());
            SendMessageW(menuBar_, TB_INSERTBUTTONW, i, reinterpret_cast<LPARAM>(&b[i]));
        }
    }
    Layout();
    SetFocus(list_ ? list_ : dlg_);
}

void CIconPicker::Layout() {
    if (!dlg_) return;
    RECT rc;
    GetClientRect(dlg_, &rc);
    const PickerLayout l = LayoutPicker(TheScaler(), rc.right, rc.bottom);
    if (list_)
        MoveWindow(list_, l.list.left, l.list.top, l.list.right - l.list.left, l.list.bottom - l.list.top, TRUE);
    if (clear_)
        MoveWindow(clear_, l.clear.left, l.clear.top, l.clear.right - l.clear.left, l.clear.bottom - l.clear.top,
                   TRUE);
    InvalidateRect(dlg_, nullptr, TRUE);
}

RECT CIconPicker::PreviewRect() const {
    RECT rc = {};
    if (dlg_) GetClientRect(dlg_, &rc);
    return ToRect(LayoutPicker(TheScaler(), rc.right, rc.bottom).preview);
}

void CIconPicker::Choose(const std::wstring& path) {
    chosen_ = path;
    chosenPicture_.reset(path.empty() ? nullptr : SHLoadDIBitmap(path.c_str()));
    if (dlg_) {
        RECT rc;
        GetClientRect(dlg_, &rc);
        RECT strip = ToRect(LayoutPicker(TheScaler(), rc.right, rc.bottom).strip);
        InvalidateRect(dlg_, &strip, TRUE);
    }
}

HBITMAP CIconPicker::Picture(size_t index) {
    if (index >= icons_.size()) return nullptr;
    if (!tried_[index]) {
        tried_[index] = true;
        pictures_[index].reset(SHLoadDIBitmap(icons_[index].c_str()));
    }
    return pictures_[index].get();
}

void CIconPicker::DrawCell(HDC dc, const RECT& cell, HBITMAP picture, bool selected) const {
    {
        raii::Brush frame(CreateSolidBrush(selected ? GetSysColor(COLOR_HIGHLIGHT) : kFrame));
        FillRect(dc, &cell, frame.get());
    }
    // A selected cell gets a two-pixel frame so that the D-pad position shows.
    const int inset = selected ? 2 : 1;
    RECT inside = {cell.left + inset, cell.top + inset, cell.right - inset, cell.bottom - inset};
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const SIZE sz = BitmapSize(picture);
    const BarRect at = IconRect(ToBar(cell), sz.cx, sz.cy);
    if (at.right > at.left && at.bottom > at.top)
        TransparentImage(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, picture, 0, 0, sz.cx, sz.cy,
                         kKey);
}

LRESULT CIconPicker::OnCustomDraw(NMLVCUSTOMDRAW* cd) {
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const int item = int(cd->nmcd.dwItemSpec);
        RECT icon = {};
        icon.left = LVIR_ICON;
        if (!SendMessageW(list_, LVM_GETITEMRECT, WPARAM(item), reinterpret_cast<LPARAM>(&icon)))
            return CDRF_SKIPDEFAULT;
        const RECT cell = ToRect(CellRect(ToBar(icon), ScaleX(30)));
        const bool selected = ListView_GetItemState(list_, item, LVIS_SELECTED) != 0;
        DrawCell(cd->nmcd.hdc, cell, Picture(size_t(item)), selected);
        return CDRF_SKIPDEFAULT;
    }
    }
    return CDRF_DODEFAULT;
}

void CIconPicker::OnPaint() {
    raii::PaintDC pdc(dlg_);
    const HDC dc = pdc.get();
    RECT rc;
    GetClientRect(dlg_, &rc);
    const PickerLayout l = LayoutPicker(TheScaler(), rc.right, rc.bottom);
    RECT strip = ToRect(l.strip);
    FillRect(dc, &strip, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT line = {strip.left, strip.top, strip.right, strip.top + 1};
    {
        raii::Brush frame(CreateSolidBrush(kFrame));
        FillRect(dc, &line, frame.get());
    }
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg_, WM_GETFONT, 0, 0));
    raii::Select sel(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT label = ToRect(l.label);
    DrawTextW(dc, iconText_.c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RECT preview = ToRect(l.preview);
    if (!chosen_.empty() && chosenPicture_) {
        DrawCell(dc, preview, chosenPicture_.get(), false);
    } else {
        // No choice (or a chosen file that no longer loads): say so in words.
        RECT text = {preview.left, strip.top, l.clear.left, strip.bottom};
        DrawTextW(dc, noneText_.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

}  // namespace daybrim
