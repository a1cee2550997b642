// phone.dll: there is no radio, so a call is written to the device log, where tests
// and `./dev devctl log` see the number dialled and whether the user was asked.
#include <string>

#include "devicelog.h"
#include "phone.h"

namespace {

LONG Reject(const char* why, LONG error) {
    devlog::Event("phone", "rejected").Str("reason", std::wstring(why, why + lstrlenA(why))).Int("error", error).Append();
    return error;
}

}  // namespace

extern "C" LONG WINAPI PhoneMakeCall(PHONEMAKECALLINFO* info) {
    if (!info) return Reject("no call record", ERROR_INVALID_PARAMETER);
    if (info->cbSize != sizeof(PHONEMAKECALLINFO)) return Reject("wrong record size", ERROR_INVALID_PARAMETER);
    if (!info->pszDestAddress || !*info->pszDestAddress) return Reject("no number", ERROR_INVALID_PARAMETER);
    const std::wstring number = info->pszDestAddress;
    const bool prompt = (info->dwFlags & PMCF_PROMPTBEFORECALLING) != 0;
    if (prompt) {
        // The device's confirmation; a test answers it like any other box.
        const std::wstring ask = L"Call " + number + L"?";
        if (MessageBoxW(nullptr, ask.c_str(), L"Phone", MB_YESNO | MB_ICONQUESTION) != IDYES) {
            devlog::Event("phone", "declined").Str("number", number).Append();
            return ERROR_CANCELLED;
        }
    }
    devlog::Event("phone", "call")
        .Str("number", number)
        .Bool("prompted", prompt)
        .Int("flags", info->dwFlags)
        .Str("app", info->pszAppName)
        .Str("calledParty", info->pszCalledParty)
        .Str("comment", info->pszComment)
        .Append();
    return 0;
}
