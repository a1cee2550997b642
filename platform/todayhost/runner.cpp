#include "runner.h"

#include "cesim_shell.h"
#include "devicelog.h"
#include "raii.h"

namespace today {

std::wstring Widen(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    if (n) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &w[0], n);
    return w;
}

DWORD RunProgram(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs) {
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1000;
    raii::Handle proc(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(proc.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(proc.get(), 1001);
        return 1001;
    }
    DWORD code = 1002;
    GetExitCodeProcess(proc.get(), &code);
    return code;
}

namespace {

bool WriteValue(const Step& st) {
    const std::wstring path = Widen(st.text);
    const size_t cut = path.rfind(L'\\');
    const std::wstring key = path.substr(0, cut), name = path.substr(cut + 1);
    raii::Key k;
    if (RegCreateKeyExW(st.a ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        k.out(), nullptr) != ERROR_SUCCESS)
        return false;
    switch (st.b) {
    case kRegDword: {
        const DWORD v = DWORD(std::stoull(st.value));
        return RegSetValueExW(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v) ==
               ERROR_SUCCESS;
    }
    case kRegString: {
        const std::wstring v = Widen(st.value);
        return RegSetValueExW(k.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                              DWORD((v.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    default: {
        const LONG rc = RegDeleteValueW(k.get(), name.c_str());
        return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
    }
    }
}

std::wstring TextOf(HWND w) {
    const int n = GetWindowTextLengthW(w);
    std::wstring s(size_t(n > 0 ? n : 0) + 1, L'\0');
    s.resize(size_t(GetWindowTextW(w, &s[0], n + 1)));
    return s;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[128] = {};
    GetClassNameW(w, name, 128);
    return name;
}

BOOL CALLBACK LogWindow(HWND w, LPARAM) {
    if (!IsWindowVisible(w)) return TRUE;
    RECT rc = {};
    GetWindowRect(w, &rc);
    // The children's texts in one field: what a popup shows is in them.
    std::wstring texts;
    EnumChildWindows(
        w,
        [](HWND child, LPARAM out) {
            auto* t = reinterpret_cast<std::wstring*>(out);
            if (!t->empty()) *t += L"\n";
            *t += TextOf(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    devlog::Event("todayhost", "window")
        .Str("class", ClassOf(w))
        .Str("title", TextOf(w))
        .Int("left", rc.left)
        .Int("top", rc.top)
        .Int("right", rc.right)
        .Int("bottom", rc.bottom)
        .Str("children", texts)
        .Append();
    return TRUE;
}

}  // namespace

bool PumpFor(unsigned ms) {
    const DWORD start = GetTickCount();
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(int(msg.wParam));  // leave it for the outer loop
                return false;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    }
}

bool RunScript(TodayScreen& screen, const std::vector<Step>& steps, std::string* error) {
    for (const Step& st : steps) {
        if (!screen.hwnd()) return true;
        switch (st.kind) {
        case StepKind::kWait:
            if (!PumpFor(unsigned(st.a))) return true;
            break;
        case StepKind::kPoll: screen.PollNow(); break;
        case StepKind::kKey: screen.Key(UINT(st.a)); break;
        case StepKind::kTap: screen.Tap(st.a, st.b, false); break;
        case StepKind::kHold: screen.Tap(st.a, st.b, true); break;
        case StepKind::kDrag: screen.Drag(st.a, st.b, st.c, st.d); break;
        case StepKind::kBroadcast: {
            UINT msg = RegisterWindowMessageW(Widen(st.text).c_str());
            PostMessageW(HWND_BROADCAST, msg, 0, 0);
            break;
        }
        case StepKind::kHibernate: screen.Hibernate(); break;
        case StepKind::kSettingChange: screen.SettingChange(); break;
        case StepKind::kSnap: {
            PumpFor(0);
            Pixels px;
            if (!screen.CaptureAsShown(&px) || !SavePng(px, Widen(st.text))) {
                *error = "line " + std::to_string(st.line) + ": cannot write " + st.text;
                return false;
            }
            break;
        }
        case StepKind::kMenu:
            // Menus are tracked in this process, where the items run.
            CeSim_SetMenuAnswer(st.a ? (L"#" + std::to_wstring(st.a)).c_str() : Widen(st.text).c_str());
            break;
        case StepKind::kReg:
            if (!WriteValue(st)) {
                *error = "line " + std::to_string(st.line) + ": cannot write the registry value " + st.text;
                return false;
            }
            break;
        case StepKind::kWindows: EnumThreadWindows(GetCurrentThreadId(), LogWindow, 0); break;
        case StepKind::kQuit: return true;
        }
        PumpFor(0);  // let what the step started settle before the next one
    }
    return true;
}

}  // namespace today
