// todayhost.exe: the handheld's Today screen.
//   todayhost [--size 240x320|480x640] [--settle MS] [--snap FILE.png] [--script FILE] [--window]
// With --snap it writes a screenshot once the items have loaded and settled, then
// exits; with --script it runs the script, then exits; otherwise it runs until closed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cesim.h"
#include "com_base.h"
#include "raii.h"
#include "reg.h"
#include "runner.h"
#include "script.h"
#include "today_screen.h"

namespace {

const wchar_t kLogPixelsKey[] = L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts";

// The screen's size and resolution are the device's: a 480x640 handheld is a
// 192 dpi one. The resolution is fixed when a process starts, so when it has to
// change the program starts itself again.
int EnsureScreen(int w, int h, bool* restarted) {
    *restarted = false;
    const DWORD dpi = w >= 480 || h >= 480 ? 192 : 96;
    reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenWidth", DWORD(w));
    reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenHeight", DWORD(h));
    raii::WindowDC dc(nullptr);
    if (DWORD(GetDeviceCaps(dc.get(), LOGPIXELSY)) == dpi) return 0;
    if (reg::Dword(HKEY_LOCAL_MACHINE, kLogPixelsKey, L"LogPixels", 96) == dpi) {
        fwprintf(stderr, L"todayhost: the screen resolution did not change to %lu dpi\n", dpi);
        return 0;
    }
    reg::SetDword(HKEY_LOCAL_MACHINE, kLogPixelsKey, L"LogPixels", dpi);
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi;
    std::wstring cmd = GetCommandLineW();
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return 1;
    raii::Handle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    *restarted = true;
    return int(code);
}

bool ReadFileText(const std::wstring& path, std::string* out) {
    raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return false;
    DWORD size = GetFileSize(f.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > (1u << 20)) return false;
    out->resize(size);
    DWORD got = 0;
    return size == 0 || (ReadFile(f.get(), &(*out)[0], size, &got, nullptr) && got == size);
}

int Usage() {
    fwprintf(stderr, L"usage: todayhost [--size WxH] [--settle MS] [--snap FILE.png] [--script FILE] [--window]\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    today::ScreenOptions opt;
    opt.quitOnDestroy = true;
    std::wstring snap, scriptPath;
    unsigned settle = 0;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        bool more = i + 1 < argc;
        if (a == L"--size" && more) {
            if (swscanf(argv[++i], L"%dx%d", &opt.width, &opt.height) != 2 || opt.width < 100 || opt.height < 100 ||
                opt.width > 2000 || opt.height > 2000)
                return Usage();
        } else if (a == L"--settle" && more) {
            settle = unsigned(_wtoi(argv[++i]));
        } else if (a == L"--snap" && more) {
            snap = argv[++i];
        } else if (a == L"--script" && more) {
            scriptPath = argv[++i];
        } else if (a == L"--window") {
            // the default; kept so that callers can say it
        } else {
            return Usage();
        }
    }

    std::vector<today::Step> steps;
    if (!scriptPath.empty()) {
        std::string text;
        today::ScriptError err;
        if (!ReadFileText(scriptPath, &text)) {
            fwprintf(stderr, L"todayhost: cannot read %ls\n", scriptPath.c_str());
            return 1;
        }
        if (!today::ParseScript(text, &steps, &err)) {
            fprintf(stderr, "todayhost: script line %d: %s\n", err.line, err.message.c_str());
            return 1;
        }
    }

    bool restarted;
    int code = EnsureScreen(opt.width, opt.height, &restarted);
    if (restarted) return code;

    // The Today screen is the shell: COM is up for its items, without apartments as on CE.
    const com::Init com;
    int rc = 0;
    {
        today::TodayScreen screen(opt);
        if (!screen.Create(GetModuleHandleW(nullptr))) {
            fwprintf(stderr, L"todayhost: cannot create the Today screen\n");
            return 1;
        }
        screen.LoadItems();
        if (!steps.empty() || !snap.empty()) {
            today::PumpFor(settle);
            std::string error;
            if (!today::RunScript(screen, steps, &error)) {
                fprintf(stderr, "todayhost: %s\n", error.c_str());
                rc = 1;
            }
            if (rc == 0 && !snap.empty() && screen.hwnd()) {
                today::Pixels px;
                today::PumpFor(0);
                if (!screen.CaptureAsShown(&px) || !today::SavePng(px, snap)) {
                    fwprintf(stderr, L"todayhost: cannot write %ls\n", snap.c_str());
                    rc = 1;
                }
            }
        } else {
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    return rc;
}
