// A Today item for testing the Today screen (and standing in on a device that has
// no product installed yet). It reads its look from its own item key:
//   "Height" DWORD (default 40), "Color" DWORD (0xFFFFFFFF: transparent, default),
//   "Label" string (default the item's name), "Accept" DWORD (answer to a received
//   selection, default 1), "Navigate" DWORD (answer to user navigation, default 0),
//   "Menu" string: items "First|Second|..." of a popup menu a tap opens; the
//   command chosen (1 for the first item) is written to the device log.
// Every Today message it receives is logged; TestItemLog (ordinal 1) returns the log.
#include <windows.h>

#include <algorithm>
#include <string>

#include "devicelog.h"
#include "raii.h"
#include "reg.h"
#include "todaycmn.h"

namespace {

HINSTANCE g_module;
std::wstring g_log;  // "name:message:wParam\n" per message

const wchar_t kClass[] = L"CeSimTestItem";

struct ItemState {
    std::wstring name;
    bool selected = false;
};

std::wstring ItemKey(const std::wstring& item) { return L"Software\\Microsoft\\Today\\Items\\" + item; }

DWORD ReadDword(const std::wstring& item, const wchar_t* name, DWORD fallback) {
    return reg::Dword(HKEY_LOCAL_MACHINE, ItemKey(item).c_str(), name, fallback);
}

std::wstring ReadString(const std::wstring& item, const wchar_t* name, const std::wstring& fallback) {
    return reg::String(HKEY_LOCAL_MACHINE, ItemKey(item).c_str(), name, fallback);
}

void Log(const ItemState* s, const wchar_t* what, WPARAM wp) {
    wchar_t line[160];
    wsprintfW(line, L"%s:%s:%u\n", s ? s->name.c_str() : L"?", what, unsigned(wp));
    g_log += line;
}

void Paint(HWND hwnd, ItemState* s) {
    raii::PaintDC pdc(hwnd);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HWND parent = GetParent(hwnd);
    DWORD color = ReadDword(s->name, L"Color", 0xFFFFFFFF);
    if (color == 0xFFFFFFFF) {
        TODAYDRAWWATERMARKINFO info = {pdc.get(), rc, hwnd};
        SendMessageW(parent, TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info));
    } else {
        raii::Brush b(CreateSolidBrush(color));
        FillRect(pdc.get(), &rc, b.get());
    }
    if (s->selected) {
        raii::Brush hl(CreateSolidBrush(COLORREF(SendMessageW(parent, TODAYM_GETCOLOR, TODAYCOLOR_HIGHLIGHT, 0))));
        RECT band = rc;
        band.right = band.left + 4;
        FillRect(pdc.get(), &band, hl.get());
    }
    SetBkMode(pdc.get(), TRANSPARENT);
    SetTextColor(pdc.get(), COLORREF(SendMessageW(parent, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0)));
    raii::Select font(pdc.get(), GetStockObject(DEFAULT_GUI_FONT));
    RECT text = rc;
    text.left += 8;
    std::wstring label = ReadString(s->name, L"Label", s->name);
    DrawTextW(pdc.get(), label.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void OpenMenu(HWND hwnd, const ItemState* s, int x, int y) {
    const std::wstring items = ReadString(s->name, L"Menu", L"");
    if (items.empty()) return;
    raii::Menu menu(CreatePopupMenu());
    UINT id = 1;
    for (size_t at = 0; at <= items.size(); ++id) {
        const size_t bar = std::min(items.find(L'|', at), items.size());
        AppendMenuW(menu.get(), MF_STRING, id, items.substr(at, bar - at).c_str());
        at = bar + 1;
    }
    POINT pt = {x, y};
    ClientToScreen(hwnd, &pt);
    TrackPopupMenuEx(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN, pt.x, pt.y, hwnd, nullptr);
}

LRESULT CALLBACK ItemProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = reinterpret_cast<ItemState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_CREATE:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete s;
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        if (s) Paint(hwnd, s);
        return 0;
    case WM_LBUTTONDOWN:
        Log(s, L"tap", 0);
        if (s) OpenMenu(hwnd, s, short(LOWORD(lp)), short(HIWORD(lp)));
        if (s && !s->selected) {
            s->selected = true;
            SendMessageW(GetParent(hwnd), TODAYM_TOOKSELECTION, reinterpret_cast<WPARAM>(hwnd), 0);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE: {
        auto* tli = reinterpret_cast<TODAYLISTITEM*>(wp);
        Log(s, L"query", 0);
        if (!s || !tli) return FALSE;
        DWORD h = ReadDword(s->name, L"Height", 40);
        if (tli->cyp == h) return FALSE;
        tli->cyp = h;
        return TRUE;
    }
    case WM_TODAYCUSTOM_CLEARCACHE:
        Log(s, L"clearcache", 0);
        return 0;
    case WM_TODAYCUSTOM_RECEIVEDSELECTION: {
        Log(s, L"received", wp);
        DWORD accept = s ? ReadDword(s->name, L"Accept", 1) : 0;
        if (accept && s) {
            s->selected = true;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return accept;
    }
    case WM_TODAYCUSTOM_LOSTSELECTION:
        Log(s, L"lost", wp);
        if (s) s->selected = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case WM_TODAYCUSTOM_USERNAVIGATION:
        Log(s, L"navigate", wp);
        return s ? ReadDword(s->name, L"Navigate", 0) : 0;
    case WM_TODAYCUSTOM_ACTION:
        Log(s, L"action", wp);
        return 0;
    case WM_HIBERNATE:
        Log(s, L"hibernate", 0);
        return 0;
    case WM_COMMAND:
        Log(s, L"command", LOWORD(wp));
        devlog::Event("testitem", "command").Str("item", s ? s->name : L"").Int("id", LOWORD(wp)).Append();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

extern "C" {

HWND WINAPI InitializeCustomItem(TODAYLISTITEM* tli, HWND parent) {
    if (!tli || !tli->fEnabled) return nullptr;
    WNDCLASSW wc = {};
    if (!GetClassInfoW(g_module, kClass, &wc)) {
        wc.lpfnWndProc = ItemProc;
        wc.hInstance = g_module;
        wc.lpszClassName = kClass;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
        if (!RegisterClassW(&wc)) return nullptr;
    }
    auto* s = new ItemState;
    s->name = tli->szName;
    HWND hwnd = CreateWindowExW(0, kClass, tli->szName, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, nullptr, g_module, s);
    if (!hwnd) delete s;
    return hwnd;
}

BOOL WINAPI CustomItemOptionsDlgProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
        EndDialog(dlg, IDOK);
        return TRUE;
    }
    return FALSE;
}

// Copies the message log (and clears it when clear is non-zero); returns its length.
int WINAPI TestItemLog(wchar_t* buf, int cch, int clear) {
    int n = int(g_log.size());
    if (buf && cch > 0) lstrcpynW(buf, g_log.c_str(), cch);
    if (clear) g_log.clear();
    return n;
}

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = inst;
    if (reason == DLL_PROCESS_DETACH) UnregisterClassW(kClass, inst);
    return TRUE;
}

}  // extern "C"
