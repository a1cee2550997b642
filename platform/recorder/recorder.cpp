// The programs of the device the system starts but does not own (the mail program,
// Notes, Pocket Word and Excel, the settings program, the PIM bridge, third-party
// organisers...): one program installed under each of their names. It records its
// name and command line in the device log, and where the system looks for a window
// of the real program's class it shows one, which records the WM_COPYDATA and
// WM_COMMAND messages it receives and closes on WM_CLOSE.
#include <algorithm>
#include <string>

#include "cesim_tool.h"
#include "devicelog.h"

namespace {

struct Role {
    const wchar_t* program;  // file name, lower case, without ".exe"
    const wchar_t* windowClass;
    const wchar_t* title;
};

// Programs that are looked for by their window; every other name logs and ends.
const Role kWindowed[] = {
    {L"tmail", L"Dialog", L"Messaging"},           // reply/forward look for a "Dialog"
    {L"notes", L"Notes", L"Notes"},                // closed before a new note is started
    {L"pimbridge", L"PIM_BRIDGE_CLASS", L""},      // found by class and empty title
    {L"agenda one", L"Dialog", L"Agenda One"},     // open-for-editing posts it a command
};

std::wstring g_source;  // UTF-16 of the log's "source"

std::wstring Lower(std::wstring s) {
    std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return wchar_t(towlower(c)); });
    return s;
}

// The program's own name: its file name without the extension, lower case.
std::wstring ProgramName(std::wstring* fullPath) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    *fullPath = path;
    std::wstring base = path;
    size_t slash = base.find_last_of(L"\\/");
    if (slash != std::wstring::npos) base.erase(0, slash + 1);
    size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos) base.erase(dot);
    return Lower(base);
}

std::string Narrow(const std::wstring& s) { return devlog::Utf8(s); }

devlog::Event Log(const char* event) {
    static const std::string source = Narrow(g_source);
    return devlog::Event(source.c_str(), event);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COPYDATA: {
        auto cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (!cds) return FALSE;
        // A bridge request is 1112 bytes; anything far larger is cut, not refused.
        const DWORD logged = std::min<DWORD>(cds->cbData, 64 * 1024);
        Log("copydata")
            .Int("from", static_cast<long long>(reinterpret_cast<UINT_PTR>(reinterpret_cast<HWND>(wp))))
            .Int("dwData", static_cast<long long>(cds->dwData))
            .Int("cbData", cds->cbData)
            .Hex("data", cds->lpData, cds->lpData ? logged : 0)
            .Append();
        return TRUE;
    }
    case WM_COMMAND:
        Log("command").Int("id", LOWORD(wp)).Int("code", HIWORD(wp)).Int("lParam", lp).Append();
        return 0;
    case WM_CLOSE:
        Log("close").Append();
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int RunWindow(HINSTANCE inst, const Role& role, int show) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = inst;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = role.windowClass;
    if (!RegisterClassW(&wc)) return 1;
    // The work area of the handheld: below its navigation band.
    HWND hwnd = CreateWindowExW(0, role.windowClass, role.title, WS_POPUP, 0, 26, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN) - 26, nullptr, nullptr, inst, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show == SW_HIDE ? SW_HIDE : SW_SHOW);
    SetForegroundWindow(hwnd);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, LPWSTR, int show) {
    std::wstring path;
    g_source = ProgramName(&path);
    const Role* role = nullptr;
    for (const Role& r : kWindowed)
        if (g_source == r.program) role = &r;
    Log("start")
        .Str("program", path)
        .Str("commandLine", CeSimArguments())
        .Str("window", role ? role->windowClass : L"")
        .Append();
    return role ? RunWindow(inst, *role, show) : 0;
}
