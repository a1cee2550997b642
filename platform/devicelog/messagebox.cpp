// Message boxes of device programs: shown as on the device, unless the device (or a
// test, in-process) says how to answer them; an answered box is logged instead.
#include <algorithm>
#include <string>
#include <vector>

#include "answered.h"
#include "cecompat.h"
#include "cesim_shell.h"
#include "device_settings.h"
#include "devicelog.h"
#include "raii.h"

namespace {

// Every module of a process links its own copy of this code (phone.dll answers the
// boxes it shows itself), so the override is kept where they all see it: the process
// environment. Programs the process starts inherit it.
constexpr wchar_t kOverrideVar[] = L"CESIM_MESSAGEBOX_ANSWER";

int Override() {
    wchar_t buf[16];
    DWORD n = GetEnvironmentVariableW(kOverrideVar, buf, 16);
    if (n == 0 || n >= 16) return CESIM_NO_OVERRIDE;
    return _wtoi(buf);
}

// The buttons of a box type, in the order MB_DEFBUTTONn counts them.
std::vector<int> Buttons(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {IDOK};
    }
}

int DefaultButton(UINT type) {
    const auto buttons = Buttons(type);
    const size_t index = (type & MB_DEFMASK) >> 8;  // MB_DEFBUTTON2 is 0x100
    return index < buttons.size() ? buttons[index] : buttons[0];
}

// How to answer without showing the box; false: show it.
bool ConfiguredAnswer(int* answer, const char** why) {
    int o = Override();
    if (o != CESIM_NO_OVERRIDE) {
        *answer = o;
        *why = "override";
        return true;
    }
    DWORD v;
    if (cesim::ReadDeviceDword(L"MessageBoxAnswer", &v)) {
        *answer = int(v);
        *why = "setting";
        return true;
    }
    if (cesim::HeadlessWine()) {
        *answer = CESIM_ANSWER_DEFAULT;
        *why = "headless";
        return true;
    }
    return false;
}

}  // namespace

namespace cesim {

bool HeadlessWine() {
    raii::Key key;
    wchar_t driver[32] = {};
    DWORD size = sizeof(driver) - sizeof(wchar_t), type = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", 0, KEY_READ, key.out()) != ERROR_SUCCESS ||
        RegQueryValueExW(key.get(), L"Graphics", nullptr, &type, reinterpret_cast<BYTE*>(driver), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    return lstrcmpiW(driver, L"null") == 0;
}

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const wchar_t* base = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') base = p + 1;
    return base;
}

}  // namespace cesim

extern "C" {

void WINAPI CeSim_SetMessageBoxAnswer(int answer) {
    if (answer == CESIM_NO_OVERRIDE) {
        SetEnvironmentVariableW(kOverrideVar, nullptr);
        return;
    }
    wchar_t buf[16];
    wsprintfW(buf, L"%d", answer);
    SetEnvironmentVariableW(kOverrideVar, buf);
}

int WINAPI CeSim_MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    int wanted;
    const char* why;
    if (!ConfiguredAnswer(&wanted, &why)) return MessageBoxW(owner, text, caption, type);
    // A box can only answer with one of its own buttons.
    const auto buttons = Buttons(type);
    const bool own = std::find(buttons.begin(), buttons.end(), wanted) != buttons.end();
    const int answer = own ? wanted : DefaultButton(type);
    devlog::Event("messagebox", "answered")
        .Str("program", cesim::ProgramName())
        .Str("caption", caption)
        .Str("text", text)
        .Int("flags", type)
        .Int("answer", answer)
        .Str("by", std::wstring(why, why + lstrlenA(why)))
        .Append();
    return answer;
}

}  // extern "C"
