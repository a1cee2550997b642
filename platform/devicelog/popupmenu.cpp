// Popup menus of device programs: tracked as on the device, unless a test or a
// script says how to answer the next one; with nobody to see it (Wine's null
// display) a menu is cancelled instead of waiting for a pen that never comes.
// An answered menu is logged with its items, so tests can see what was offered.
#include <string>
#include <vector>

#include "answered.h"
#include "cecompat.h"
#include "cesim_shell.h"
#include "devicelog.h"

namespace {

// Kept in the process environment, as the message boxes' override is: every module
// links its own copy of this code, and a started program inherits the answer.
constexpr wchar_t kAnswerVar[] = L"CESIM_MENU_ANSWER";

bool TakeAnswer(std::wstring* answer) {
    const DWORD n = GetEnvironmentVariableW(kAnswerVar, nullptr, 0);
    if (n == 0) return false;
    std::vector<wchar_t> buf(n);
    if (GetEnvironmentVariableW(kAnswerVar, buf.data(), n) != n - 1) return false;
    answer->assign(buf.data());
    SetEnvironmentVariableW(kAnswerVar, nullptr);  // the next menu only
    return true;
}

struct Item {
    std::wstring path;  // "Text", or "Sub-menu/Text" inside a sub-menu
    UINT id = 0;
    bool enabled = true;
    bool separator = false;
    bool popup = false;
};

// An item's text as a person reads it: no accelerator marks, nothing after a tab.
std::wstring Plain(const wchar_t* text) {
    std::wstring out;
    for (const wchar_t* p = text; *p && *p != L'\t'; ++p) {
        if (*p == L'&') {
            if (p[1] != L'&') continue;
            ++p;
        }
        out += *p;
    }
    return out;
}

void Collect(HMENU menu, const std::wstring& prefix, int depth, std::vector<Item>* out) {
    const int n = GetMenuItemCount(menu);
    for (int i = 0; i < n && depth < 8; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = 255;
        if (!GetMenuItemInfoW(menu, UINT(i), TRUE, &mi)) continue;
        Item it;
        it.separator = (mi.fType & MFT_SEPARATOR) != 0;
        it.popup = mi.hSubMenu != nullptr;
        it.id = it.popup ? 0 : mi.wID;
        it.enabled = (mi.fState & (MFS_DISABLED | MFS_GRAYED)) == 0;
        it.path = prefix + (it.separator ? L"-" : Plain(text));
        out->push_back(it);
        if (it.popup) Collect(mi.hSubMenu, it.path + L"/", depth + 1, out);
    }
}

// The command an answer chooses; 0 for "cancel" and for an answer that names no
// enabled command (a person cannot choose a greyed item either).
UINT Resolve(const std::wstring& answer, const std::vector<Item>& items) {
    if (answer.empty() || answer == L"cancel") return 0;
    const bool byId = answer[0] == L'#';
    const UINT id = byId ? UINT(_wtoi(answer.c_str() + 1)) : 0;
    for (const Item& it : items) {
        if (it.separator || it.popup || !it.enabled) continue;
        if (byId ? it.id == id : it.path == answer) return it.id;
    }
    // A bare item text also finds an item inside a sub-menu.
    if (!byId)
        for (const Item& it : items) {
            if (it.separator || it.popup || !it.enabled) continue;
            const size_t slash = it.path.rfind(L'/');
            if (slash != std::wstring::npos && it.path.compare(slash + 1, std::wstring::npos, answer) == 0)
                return it.id;
        }
    return 0;
}

std::wstring Joined(const std::vector<Item>& items) {
    std::wstring s;
    for (const Item& it : items) {
        if (!s.empty()) s += L'|';
        s += it.path;
        if (!it.separator && !it.popup && !it.enabled) s += L" (disabled)";
    }
    return s;
}

}  // namespace

extern "C" {

void WINAPI CeSim_SetMenuAnswer(LPCWSTR answer) { SetEnvironmentVariableW(kAnswerVar, answer); }

BOOL WINAPI CeSim_TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
    if (!IsMenu(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    std::wstring answer;
    const char* why = "script";
    if (!TakeAnswer(&answer)) {
        if (!cesim::HeadlessWine()) return TrackPopupMenuEx(menu, flags, x, y, owner, params);
        answer = L"cancel";
        why = "headless";
    }
    // As a shown menu does, the owner may still fill or grey items.
    if (owner && !(flags & TPM_NONOTIFY)) SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    std::vector<Item> items;
    Collect(menu, L"", 0, &items);
    const UINT chosen = Resolve(answer, items);
    devlog::Event("menu", "answered")
        .Str("program", cesim::ProgramName())
        .Str("items", Joined(items))
        .Str("answer", answer)
        .Int("chosen", chosen)
        .Str("by", std::wstring(why, why + lstrlenA(why)))
        .Append();
    if (flags & TPM_RETURNCMD) return BOOL(chosen);
    // The menu's choice arrives after it has closed, as a posted command.
    if (chosen && owner && !(flags & TPM_NONOTIFY)) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return TRUE;
}

BOOL WINAPI CeSim_TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect) {
    return CeSim_TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

}  // extern "C"
