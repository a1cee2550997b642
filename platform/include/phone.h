// The phone library (phone.dll): placing a voice call.
#pragma once
#include <windows.h>

#include "ce_layout.h"

#define PMCF_DEFAULT             0x00000001
#define PMCF_PROMPTBEFORECALLING 0x00000002

typedef struct tagPHONEMAKECALLINFO {
    DWORD cbSize;
    DWORD dwFlags;
    PCWSTR pszDestAddress;
    PCWSTR pszAppName;
    PCWSTR pszCalledParty;
    PCWSTR pszComment;
} PHONEMAKECALLINFO, *PPHONEMAKECALLINFO;

#ifdef __cplusplus
CE_LAYOUT(PHONEMAKECALLINFO, 24, 40);
extern "C" {
#endif
// 0 when the call was placed, else an error code.
LONG WINAPI PhoneMakeCall(PHONEMAKECALLINFO* ppmci);
#ifdef __cplusplus
}
#endif
