#include "settings_pages.h"

#include <string>

#include "app.h"
#include "dialog.h"
#include "settings_chooser.h"
#include "settings_model.h"

namespace tallyra {

namespace {

// Heights in 96-dpi pixels.
constexpr int kLabelHeight = 16, kControlHeight = 22, kDropHeight = 160, kTabHeight = 22;

// Settings change only where the page changed them: an untouched value stays as
// the registry has it.
void Update(CNumericSetting& s, uint32_t v) {
    if (s.Get() != v) s.Set(v);
}
void Update(CStringSetting& s, const CeString& v) {
    if (s.Get() != v) s.Set(v);
}

int Selection(HWND combo) { return int(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

CeString WindowText(HWND h) {
    const int n = GetWindowTextLengthW(h);
    if (n <= 0) return CeString();
    std::wstring buf(size_t(n) + 1, L'\0');
    const int got = GetWindowTextW(h, &buf[0], n + 1);
    return CeString(buf.c_str(), size_t(got > 0 ? got : 0));
}

class CGeneralPage : public CSettingsWindow {
public:
    using CSettingsWindow::CSettingsWindow;
    const wchar_t* ClassName() const override { return L"GeneralSettingsWin"; }
    unsigned TitleId() const override { return 8000; }

protected:
    void CreateControls() override {
        mask_ = settings_.ActiveAlphabetsMask.Get();
        alphabets_ = AlphabetCombo(mask_, settings_.KeyboardAlphabet.Get());
        modes_ = KeyboardModeCombo(settings_.KeyboardMode.Get());
        behaviours_ = PostOperationCombo(settings_.PostOperationBehavior.Get());
        rows_.Add({Label(8003)}, {}, kLabelHeight);
        alphabet_ = Combo(kIdAlphabet, alphabets_);
        rows_.Add({alphabet_}, {}, kControlHeight, 0, 0, kDropHeight);
        lastAlphabet_ = alphabets_.selected;
        rows_.Add({Label(8009)}, {}, kLabelHeight);
        mode_ = Combo(kIdKeyboardMode, modes_);
        rows_.Add({mode_}, {}, kControlHeight, 0, 0, kDropHeight);
        rows_.Add({Label(8063)}, {}, kLabelHeight);
        behaviour_ = Combo(kIdPostOperation, behaviours_);
        rows_.Add({behaviour_}, {}, kControlHeight, 0, 0, kDropHeight);
        rows_.Add({Label(8013)}, {}, kLabelHeight);
        skin_ = MakeControl(WC_EDITW, settings_.SkinPath.Get(), WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, hwnd_,
                            kIdSkinFolder, normal_);
        HWND browse = MakeControl(WC_BUTTONW, TextOr(kTxtBrowse, L"Browse..."), WS_TABSTOP | BS_PUSHBUTTON, hwnd_,
                                  kIdSkinBrowse, normal_);
        HWND clear = MakeControl(WC_BUTTONW, TextOr(kTxtClear, L"Clear"), WS_TABSTOP | BS_PUSHBUTTON, hwnd_,
                                 kIdSkinClear, normal_);
        rows_.Add({skin_, browse, clear}, {0, 60, 44}, kControlHeight, 0, 0);
    }

    bool OnCommand(UINT id, UINT code) override {
        if (id == kIdAlphabet && code == CBN_SELCHANGE) {
            const int sel = Selection(alphabet_);
            if (sel >= 0 && size_t(sel) < alphabets_.items.size() &&
                alphabets_.items[size_t(sel)].data == kChooseAlphabets)
                PickAlphabets();
            else
                lastAlphabet_ = sel;
            return true;
        }
        if (id == kIdSkinBrowse && code == BN_CLICKED) {
            CeString folder;
            CeString start = WindowText(skin_);
            if (start.empty()) start = settings_.InstallPath.Get();
            if (RunFileChooser(GetAncestor(hwnd_, GA_ROOT), ChooserMode::kFolder, TheApp().Text(8039), start,
                               CeString(), &folder))
                SetWindowTextW(skin_, folder.c_str());
            return true;
        }
        if (id == kIdSkinClear && code == BN_CLICKED) {
            SetWindowTextW(skin_, L"");
            return true;
        }
        return false;
    }

    void Save() override {
        Update(settings_.ActiveAlphabetsMask, mask_);
        Update(settings_.KeyboardAlphabet,
               ValueFromCombo(alphabets_, Selection(alphabet_), settings_.KeyboardAlphabet.Get()));
        Update(settings_.KeyboardMode, ValueFromCombo(modes_, Selection(mode_), settings_.KeyboardMode.Get()));
        Update(settings_.PostOperationBehavior,
               ValueFromCombo(behaviours_, Selection(behaviour_), settings_.PostOperationBehavior.Get()));
        Update(settings_.SkinPath, CeString(SkinFolderFromText(WindowText(skin_).str())));
    }

private:
    // The alphabet list replaces the combo's items; the alphabet shown before the
    // list was opened stays selected when it is still active.
    void PickAlphabets() {
        const uint32_t alphabet = ValueFromCombo(alphabets_, lastAlphabet_, settings_.KeyboardAlphabet.Get());
        uint32_t mask = mask_;
        if (ChooseAlphabets(GetAncestor(hwnd_, GA_ROOT), normal_, &mask)) mask_ = mask;
        alphabets_ = AlphabetCombo(mask_, alphabet);
        FillCombo(alphabet_, alphabets_);
        lastAlphabet_ = alphabets_.selected;
    }

    ComboModel alphabets_, modes_, behaviours_;
    HWND alphabet_ = nullptr, mode_ = nullptr, behaviour_ = nullptr, skin_ = nullptr;
    uint32_t mask_ = 15;
    int lastAlphabet_ = -1;
};

class CLayoutPage : public CSettingsWindow {
public:
    using CSettingsWindow::CSettingsWindow;
    const wchar_t* ClassName() const override { return L"LayoutSettingsWin"; }
    unsigned TitleId() const override { return 8001; }

protected:
    void CreateControls() override {
        layouts_ = ContactLayoutCombo(settings_.ContactLayout.Get());
        titles_ = TitleFormatCombo(settings_.TitleFormat.Get());
        sizes_ = FontSizeCombo(settings_.FontSize.Get());
        rows_.Add({Label(8016)}, {}, kLabelHeight);
        layout_ = Combo(kIdContactLayout, layouts_);
        rows_.Add({layout_}, {}, kControlHeight, 0, 0, kDropHeight);
        rows_.Add({Label(8021)}, {}, kLabelHeight);
        title_ = Combo(kIdTitleFormat, titles_);
        rows_.Add({title_}, {}, kControlHeight, 0, 0, kDropHeight);
        rows_.Add({Label(8025)}, {}, kLabelHeight);
        size_ = Combo(kIdFontSize, sizes_);
        rows_.Add({size_}, {}, kControlHeight, 0, 0, kDropHeight);
    }

    void Save() override {
        Update(settings_.ContactLayout, ValueFromCombo(layouts_, Selection(layout_), settings_.ContactLayout.Get()));
        Update(settings_.TitleFormat, ValueFromCombo(titles_, Selection(title_), settings_.TitleFormat.Get()));
        Update(settings_.FontSize, ValueFromCombo(sizes_, Selection(size_), settings_.FontSize.Get()));
    }

private:
    ComboModel layouts_, titles_, sizes_;
    HWND layout_ = nullptr, title_ = nullptr, size_ = nullptr;
};

class CTweaksPage : public CSettingsWindow {
public:
    using CSettingsWindow::CSettingsWindow;
    const wchar_t* ClassName() const override { return L"TweaksSettingsWin"; }
    unsigned TitleId() const override { return 8002; }

protected:
    void CreateControls() override {
        for (size_t i = 0; i < kTweakBoxes.size(); ++i) {
            boxes_[i] = CheckBox(kIdFirstTweak + int(i), kTweakBoxes[i].textId,
                                 Setting(kTweakBoxes[i].tweak).Get() != 0);
            rows_.Add({boxes_[i]}, {}, kControlHeight, 0, i ? 2 : 4);
        }
    }

    void Save() override {
        for (size_t i = 0; i < kTweakBoxes.size(); ++i)
            Update(Setting(kTweakBoxes[i].tweak), CheckedValue(SendMessageW(boxes_[i], BM_GETCHECK, 0, 0)));
    }

private:
    CNumericSetting& Setting(Tweak t) {
        switch (t) {
        case Tweak::kSeekApptSubject: return settings_.SeekApptSubject;
        case Tweak::kSeekApptLocation: return settings_.SeekApptLocation;
        case Tweak::kSeekApptNote: return settings_.SeekApptNote;
        case Tweak::kSeekTaskSubject: return settings_.SeekTaskSubject;
        case Tweak::kSeekTaskNote: return settings_.SeekTaskNote;
        case Tweak::kInsertDialMenu: return settings_.InsertDialMenu;
        case Tweak::kInsertTxtMsgMenu: break;
        }
        return settings_.InsertTxtMsgMenu;
    }

    HWND boxes_[7] = {};
};

// The list of available alphabets: Latin (always on) and a box for each other one.
struct AlphabetsBox : win::Dialog {
    HFONT font;
    uint32_t mask;
    HWND keys = nullptr;
    HWND boxes[4] = {};

    AlphabetsBox(HFONT f, uint32_t m) : font(f), mask(m) {}
    INT_PTR Run(HWND owner) { return RunEmptyDialog(owner, Proc(), Param()); }

    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_INITDIALOG: {
            InitFullScreenDialog(dlg_);
            SetWindowTextW(dlg_, TextOr(kTxtAvailableAlphabets, L"Available alphabets").c_str());
            const unsigned texts[4] = {8004, 8033, 8034, 8035};
            ControlRows rows;
            for (int i = 0; i < 4; ++i) {
                boxes[i] = MakeControl(WC_BUTTONW, TheApp().Text(texts[i]), WS_TABSTOP | BS_AUTOCHECKBOX, dlg_,
                                       kIdFirstAlphabetCheck + i, font);
                SendMessageW(boxes[i], BM_SETCHECK, (mask & (1u << i)) || i == 0 ? BST_CHECKED : 0, 0);
                rows.Add({boxes[i]}, {}, kControlHeight, 0, i ? 2 : 6);
            }
            EnableWindow(boxes[0], FALSE);
            RECT rc;
            GetClientRect(dlg_, &rc);
            rows.LayOut(TheApp().ScaleX(8), 0, rc.right - TheApp().ScaleX(16));
            keys = CreateSoftKeys(dlg_, TextOr(kTxtDone, L"Done"), TextOr(kTxtCancel, L"Cancel"));
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                auto on = [&](int i) { return SendMessageW(boxes[i], BM_GETCHECK, 0, 0) == BST_CHECKED; };
                mask = AlphabetMask(on(1), on(2), on(3));
                EndDialog(dlg_, 1);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg_, 0);
                return TRUE;
            }
            break;
        case WM_DESTROY:
            if (keys) DestroyWindow(keys);
            keys = nullptr;
            break;
        }
        return FALSE;
    }
};

}  // namespace

bool ChooseAlphabets(HWND owner, HFONT font, uint32_t* mask) {
    AlphabetsBox box{font, *mask};
    if (box.Run(owner) != 1) return false;
    *mask = box.mask;
    return true;
}

bool CSettingsWindow::Open(HWND dialog, const RECT& rc) {
    dialog_ = dialog;
    if (!win::Window::Register(TheApp().instance, ClassName(), 0, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))))
        return false;
    return CreateWin(0, ClassName(), L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rc.left, rc.top,
                     rc.right - rc.left, rc.bottom - rc.top, dialog, TheApp().instance) != nullptr;
}

HWND CSettingsWindow::Label(unsigned textId) {
    return MakeControl(WC_STATICW, TheApp().Text(textId), SS_LEFT | SS_NOPREFIX, hwnd_, -1, bold_);
}

HWND CSettingsWindow::Combo(int id, const ComboModel& model) {
    HWND h = MakeControl(WC_COMBOBOXW, CeString(), WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, hwnd_, id, normal_);
    if (h) FillCombo(h, model);
    return h;
}

HWND CSettingsWindow::CheckBox(int id, unsigned textId, bool checked) {
    HWND h = MakeControl(WC_BUTTONW, TheApp().Text(textId), WS_TABSTOP | BS_AUTOCHECKBOX, hwnd_, id, normal_);
    if (h) SendMessageW(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    return h;
}

void CSettingsWindow::LayOut() {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    const App& app = TheApp();
    const int tabHeight = app.ScaleY(kTabHeight);
    if (tabs_) MoveWindow(tabs_, 0, rc.bottom - tabHeight, rc.right, tabHeight, TRUE);
    rows_.LayOut(app.ScaleX(8), app.ScaleY(2), rc.right - app.ScaleX(16));
}

LRESULT CSettingsWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        // One tab per control group; these pages have one group each.
        tabs_ = MakeControl(WC_TABCONTROLW, CeString(), TCS_BOTTOM | TCS_FOCUSNEVER, hwnd_, kIdPageTabs, normal_);
        const CeString title = TheApp().Text(TitleId());
        TCITEMW tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = const_cast<wchar_t*>(title.c_str());
        if (tabs_) SendMessageW(tabs_, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tab));
        CreateControls();
        keys_ = CreateSoftKeys(hwnd_, TextOr(kTxtDone, L"Done"), TextOr(kTxtCancel, L"Cancel"));
        LayOut();
        return 0;
    }
    case WM_SIZE: LayOut(); return 0;
    case WM_COMMAND:
        // The soft keys: 1 keeps the page's changes, 2 drops them.
        if (LOWORD(wp) == 1 || LOWORD(wp) == 2) {
            discard_ = LOWORD(wp) == 2;
            SendMessageW(dialog_, WM_TL_PAGEDONE, 0, 0);
            return 0;
        }
        if (OnCommand(LOWORD(wp), HIWORD(wp))) return 0;
        break;
    case WM_NOTIFY: {
        auto nm = reinterpret_cast<const NMHDR*>(lp);
        if (nm->hwndFrom == tabs_ && (nm->code == TCN_SELCHANGING || nm->code == TCN_SELCHANGE)) {
            ShowGroup(int(SendMessageW(tabs_, TCM_GETCURSEL, 0, 0)), nm->code == TCN_SELCHANGE);
            return FALSE;  // the change is allowed
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    case WM_DESTROY:
        // The children still exist here: WM_DESTROY reaches a parent before them.
        if (!discard_) Save();
        if (keys_) DestroyWindow(keys_);
        keys_ = nullptr;
        return 0;
    }
    return win::Window::WndProc(msg, wp, lp);
}

std::unique_ptr<CSettingsWindow> MakeSettingsPage(int index, CAppSettings& settings, HFONT normal, HFONT bold) {
    switch (index) {
    case 0: return std::make_unique<CGeneralPage>(settings, normal, bold);
    case 1: return std::make_unique<CLayoutPage>(settings, normal, bold);
    case 2: return std::make_unique<CTweaksPage>(settings, normal, bold);
    }
    return nullptr;
}

}  // namespace tallyra
