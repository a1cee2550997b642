// What the stand-in programs (the mail and notes recorders, the object-model host)
// share.
#pragma once
#include <windows.h>

#include <string>

// The command line without the program: what the starter passed as parameters.
inline std::wstring CeSimArguments() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}
