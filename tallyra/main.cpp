// tallyra.exe: the contact finder. With "/d:" or "/s:" and a number it dials or
// starts a text message and ends without a window.
#include <windows.h>

#include "actions.h"
#include "app.h"
#include "command_line.h"
#include "main_wnd.h"

using namespace tallyra;

namespace {

int RunCommand(const Command& c) {
    App& app = TheApp();
    app.LoadPhone();
    if (!app.phone) return 0;  // no phone, neither form does anything
    if (c.kind == Command::kDial) Dial(CeString(c.number));
    if (c.kind == Command::kText) TextMessage(CeString(c.number));
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE, LPWSTR cmdLine, int show) {
    App& app = TheApp();
    app.instance = inst;
    app.LoadSettings();
    if (!app.LoadLanguage()) {
        MessageBoxW(nullptr, L"Failed to initialize language.", L"Initializtion failed", MB_ICONINFORMATION);
        return 0;
    }
    const CeStd line = cmdLine ? cmdLine : L"";
    if (!line.empty()) return RunCommand(ParseCommandLine(line));

    {
        raii::WindowDC dc(nullptr);
        app.dpiX = GetDeviceCaps(dc.get(), LOGPIXELSX);
        app.dpiY = GetDeviceCaps(dc.get(), LOGPIXELSY);
    }
    int code = 0;
    {
        CMainWnd wnd;
        if (!wnd.Start(show)) return 0;
        MSG m;
        while (GetMessageW(&m, nullptr, 0, 0) > 0) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        code = int(m.wParam);
    }
    return code;
}
