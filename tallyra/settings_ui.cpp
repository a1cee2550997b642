#include "settings_ui.h"

#include <aygshell.h>

#include <string>

#include "app.h"

namespace tallyra {

namespace {

// A dialog template with no controls, menu or class.
struct EmptyTemplate {
    DLGTEMPLATE t;
    WORD menu, cls, title;
};

}  // namespace

CeString TextOr(UINT id, const wchar_t* fallback) {
    CeString t = TheApp().Text(id);
    return t.empty() ? CeString(fallback) : t;
}

INT_PTR RunEmptyDialog(HWND owner, DLGPROC proc, LPARAM param) {
    EmptyTemplate tpl = {};
    tpl.t.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    return DialogBoxIndirectParamW(TheApp().instance, &tpl.t, owner, proc, param);
}

void InitFullScreenDialog(HWND dlg) {
    SHINITDLGINFO init = {SHIDIM_FLAGS, dlg, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
    SHInitDialog(&init);
}

HWND CreateSoftKeys(HWND owner, const CeString& left, const CeString& right) {
    SHMENUBARINFO mb = {};
    mb.cbSize = sizeof mb;
    mb.hwndParent = owner;
    mb.dwFlags = SHCMBF_EMPTYBAR;
    if (!SHCreateMenuBar(&mb)) return nullptr;
    TBBUTTON buttons[2] = {};
    const CeString* texts[2] = {&left, &right};
    for (int i = 0; i < 2; ++i) {
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = i + 1;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
        // The toolbar keeps its own copy of the text.
        buttons[i].iString = reinterpret_cast<INT_PTR>(texts[i]->c_str());
    }
    if (!SendMessageW(mb.hwndMB, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons))) {
        DestroyWindow(mb.hwndMB);
        return nullptr;
    }
    return mb.hwndMB;
}

HWND MakeControl(const wchar_t* cls, const CeString& text, DWORD style, HWND parent, int id, HFONT font) {
    HWND h = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(INT_PTR(id)), TheApp().instance, nullptr);
    if (h && font) SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

void FillCombo(HWND combo, const ComboModel& model) {
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const ComboItem& item : model.items) {
        const CeString text =
            item.textId ? TheApp().Text(item.textId) : CeString(std::to_wstring(item.data).c_str());
        const LRESULT i = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (i >= 0) SendMessageW(combo, CB_SETITEMDATA, WPARAM(i), LPARAM(item.data));
    }
    SendMessageW(combo, CB_SETCURSEL, WPARAM(model.selected), 0);
}

void ControlRows::Add(std::vector<HWND> controls, std::vector<int> widths, int height, int group, int gapAbove,
                      int dropHeight) {
    widths.resize(controls.size(), 0);
    rows_.push_back(Row{std::move(controls), std::move(widths), height, group, gapAbove, dropHeight});
}

void ControlRows::LayOut(int left, int top, int width, int bottom) const {
    const App& app = TheApp();
    const int spacing = app.ScaleX(4);
    int used = top, fills = 0;
    for (const Row& r : rows_) {
        used += app.ScaleY(r.gap) + app.ScaleY(r.height);
        fills += r.height == 0;
    }
    const int fill = fills && bottom > used ? (bottom - used) / fills : 0;
    int y = top;
    for (const Row& r : rows_) {
        y += app.ScaleY(r.gap);
        int fixed = 0, shared = 0;
        for (int w : r.widths) {
            if (w)
                fixed += app.ScaleX(w);
            else
                ++shared;
        }
        const int gaps = spacing * int(r.controls.size() > 0 ? r.controls.size() - 1 : 0);
        const int rest = width - fixed - gaps;
        int x = left;
        const int h = r.height ? app.ScaleY(r.height) : fill;
        for (size_t i = 0; i < r.controls.size(); ++i) {
            int w = r.widths[i] ? app.ScaleX(r.widths[i]) : (shared ? rest / shared : 0);
            if (w < 0) w = 0;
            const int winHeight = r.drop > r.height && r.height ? app.ScaleY(r.drop) : h;
            if (r.controls[i]) MoveWindow(r.controls[i], x, y, w, winHeight, TRUE);
            x += w + spacing;
        }
        y += h;
    }
}

void ControlRows::ShowGroup(int group, bool show) const {
    for (const Row& r : rows_)
        if (r.group == group)
            for (HWND h : r.controls)
                if (h) ShowWindow(h, show ? SW_SHOW : SW_HIDE);
}

}  // namespace tallyra
