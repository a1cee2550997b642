#include "actions.h"

#include <shellapi.h>

#include "app.h"
#include "command_line.h"

namespace tallyra {

bool Dial(const CeString& number) {
    App& app = TheApp();
    if (!app.makeCall || number.empty()) return false;
    PHONEMAKECALLINFO info = {};
    info.cbSize = sizeof info;
    info.dwFlags = PMCF_DEFAULT;
    info.pszDestAddress = number.c_str();
    return app.makeCall(&info) == 0;
}

bool TextMessage(const CeString& number) {
    CeStd params;
    if (!TextMessageParameters(number.str(), &params)) return false;
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpVerb = L"open";
    sei.lpFile = L"\\windows\\tmail.exe";
    sei.lpParameters = params.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&sei) != FALSE;
}

bool Mail(const CeString& address, HWND owner) {
    if (address.empty()) return false;
    const CeString target = CeString(L"mailto:") + address;
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.hwnd = owner;
    sei.lpVerb = L"open";
    sei.lpFile = target.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&sei) != FALSE;
}

}  // namespace tallyra
