// A sample external tab library: a list of lines the D-pad moves through, in a
// tab with a caption of its own. It shows what daybrim calls and when; every
// call is also written to a log that SampleTabLog returns (and clears).
#include <windows.h>

#include <string>

namespace {

HINSTANCE g_module;
HWND g_main, g_caption;
int g_selected = 0, g_steps = 0;
std::wstring g_log;

const wchar_t kMainClass[] = L"SampleTabMain";
const wchar_t kCaptionClass[] = L"SampleTabCaption";
const wchar_t* const kLines[] = {L"First line", L"Second line", L"Third line", L"Fourth line"};
constexpr int kLineCount = 4;

void Log(const wchar_t* what, long long a = 0, long long b = 0) {
    wchar_t line[96];
    wsprintfW(line, L"%s:%d:%d\n", what, int(a), int(b));
    g_log += line;
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    const int h = tm.tmHeight + 4;
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < kLineCount; ++i) {
        RECT line = {rc.left, rc.top + i * h, rc.right, rc.top + (i + 1) * h};
        if (i == g_selected) {
            HBRUSH b = CreateSolidBrush(RGB(0, 64, 160));
            FillRect(dc, &line, b);
            DeleteObject(b);
        }
        SetTextColor(dc, i == g_selected ? RGB(255, 255, 255) : RGB(0, 0, 0));
        line.left += 6;
        DrawTextW(dc, kLines[i], -1, &line, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
}

LRESULT CALLBACK CaptionProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    HBRUSH b = CreateSolidBrush(RGB(0, 128, 96));
    FillRect(dc, &rc, b);
    DeleteObject(b);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, L"Sample", -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(dc, old);
    EndPaint(hwnd, &ps);
    return 0;
}

bool Register(const wchar_t* name, WNDPROC proc) {
    WNDCLASSW wc = {};
    if (GetClassInfoW(g_module, name, &wc)) return true;
    wc.lpfnWndProc = proc;
    wc.hInstance = g_module;
    wc.lpszClassName = name;
    wc.hCursor = nullptr;
    return RegisterClassW(&wc) != 0;
}

LRESULT Step(int press, int by) {
    if (!press) return 0;
    const int next = g_selected + by;
    // At either end the key leaves the tab: the host moves on.
    if (next < 0 || next >= kLineCount) return 0;
    g_selected = next;
    ++g_steps;
    if (g_main) InvalidateRect(g_main, nullptr, FALSE);
    return 1;
}

}  // namespace

extern "C" {

__declspec(dllexport) HWND fnCreateTab(HWND parent, int x, int y, int w, int h, int cx, int cy, int cw, int ch,
                                       HWND* caption, int) {
    Log(L"create", w, h);
    if (!caption || !Register(kMainClass, MainProc) || !Register(kCaptionClass, CaptionProc)) return nullptr;
    g_selected = 0;
    g_main = CreateWindowExW(0, kMainClass, L"", WS_CHILD, x, y, w, h, parent, nullptr, g_module, nullptr);
    g_caption = CreateWindowExW(0, kCaptionClass, L"", WS_CHILD, cx, cy, cw, ch, parent, nullptr, g_module, nullptr);
    *caption = g_caption;
    return g_main;
}

__declspec(dllexport) void fnDestroyTab() {
    Log(L"destroy");
    if (g_main) DestroyWindow(g_main);
    if (g_caption) DestroyWindow(g_caption);
    g_main = g_caption = nullptr;
}

__declspec(dllexport) void fnShowTab(void*, BOOL withCaption) {
    Log(L"show", withCaption);
    if (g_main) ShowWindow(g_main, SW_SHOW);
    if (g_caption) ShowWindow(g_caption, SW_SHOW);
}

__declspec(dllexport) void fnHideTab(void*, BOOL withCaption) {
    Log(L"hide", withCaption);
    if (g_main) ShowWindow(g_main, SW_HIDE);
    if (withCaption && g_caption) ShowWindow(g_caption, SW_HIDE);
}

__declspec(dllexport) void fnMoveWindow(int x, int y, int w, int h) {
    Log(L"move", w, h);
    if (g_main) MoveWindow(g_main, x, y, w, h, TRUE);
}

__declspec(dllexport) LRESULT fnDoHotKeyUp(int press, HWND, int) {
    Log(L"up", press);
    return Step(press, -1);
}

__declspec(dllexport) LRESULT fnDoHotKeyDown(int press, HWND, int) {
    Log(L"down", press);
    return Step(press, +1);
}

__declspec(dllexport) LRESULT fnDoHotKeyEnter(int, HWND, int tabId) {
    Log(L"enter", tabId);
    return 1;
}

__declspec(dllexport) LRESULT fnTodayCustomQueryRefresh(HWND, UINT, WPARAM, LPARAM) {
    Log(L"query");
    return 0;
}

__declspec(dllexport) void fnDBContactItemChange(DWORD oid) { Log(L"contact-changed", oid); }
__declspec(dllexport) void fnDBContactItemCreated(DWORD oid) { Log(L"contact-created", oid); }
__declspec(dllexport) void fnDBContactItemDeleted(DWORD oid) { Log(L"contact-deleted", oid); }

// Copies the call log (and clears it when `clear` is non-zero); returns its length.
__declspec(dllexport) int SampleTabLog(wchar_t* buf, int cch, int clear) {
    const int n = int(g_log.size());
    if (buf && cch > 0) lstrcpynW(buf, g_log.c_str(), cch);
    if (clear) g_log.clear();
    return n;
}

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = inst;
    if (reason == DLL_PROCESS_DETACH) {
        UnregisterClassW(kMainClass, inst);
        UnregisterClassW(kCaptionClass, inst);
    }
    return TRUE;
}

}  // extern "C"
