// todayctl.exe: asks the running Today screen to do something, as the handheld's
// shell or a settings program would make it happen.
//   todayctl poll | hibernate | settingchange | reload | quit | broadcast NAME | theme
// "theme" is what the handheld's theme settings do after writing the new theme: a
// WM_SETTINGCHANGE to every top-level window, the Today screen among them.
#include <windows.h>

#include <cstdio>
#include <string>

#include "today_screen.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        fwprintf(stderr, L"usage: todayctl poll|hibernate|settingchange|reload|quit|broadcast NAME|theme\n");
        return 2;
    }
    std::wstring cmd = argv[1];
    if (cmd == L"broadcast") {
        if (argc != 3) return 2;
        // Broadcasts reach top-level windows only, as on the handheld.
        DWORD_PTR result;
        SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(argv[2]), 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        return 0;
    }
    if (cmd == L"theme") {
        DWORD_PTR result;
        SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        return 0;
    }
    WPARAM what = cmd == L"poll" ? today::kCtlPoll
                : cmd == L"hibernate" ? today::kCtlHibernate
                : cmd == L"settingchange" ? today::kCtlSettingChange
                : cmd == L"reload" ? today::kCtlReload
                : cmd == L"quit" ? today::kCtlQuit
                : 0;
    if (!what) {
        fwprintf(stderr, L"todayctl: unknown command %ls\n", cmd.c_str());
        return 2;
    }
    HWND screen = FindWindowW(L"DesktopExplorerWindow", nullptr);
    if (!screen) {
        fwprintf(stderr, L"todayctl: no Today screen is running\n");
        return 1;
    }
    DWORD_PTR result;
    return SendMessageTimeoutW(screen, RegisterWindowMessageW(TODAY_CONTROL_MESSAGE), what, 0, SMTO_ABORTIFHUNG,
                               5000, &result)
               ? 0
               : 1;
}
