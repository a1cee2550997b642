// The tables that map the default-tab settings onto the tab type codes.
#pragma once
#include <windows.h>

#include "tab_codes.h"

namespace daybrim {

inline bool IsBuiltInTabType(DWORD t) {
    return t == TAB_TYPE_CALENDAR || t == TAB_TYPE_TASKS || t == TAB_TYPE_SEVENTS || t == TAB_TYPE_NOTES ||
           t == TAB_TYPE_MAIL || t == TAB_TYPE_CONTACTS;
}

// "DfltTab" 0..5 names a tab type; anything else names none (0).
inline DWORD DefaultTabType(DWORD dfltTab) {
    static const DWORD kTypes[6] = {TAB_TYPE_CALENDAR, TAB_TYPE_TASKS, TAB_TYPE_NOTES,
                                    TAB_TYPE_CONTACTS, TAB_TYPE_MAIL,  TAB_TYPE_SEVENTS};
    return dfltTab < 6 ? kTypes[dfltTab] : 0;
}

// "DfltTabTimeOut" 1..6 in milliseconds; 0 and anything past the table mean off.
inline DWORD DefaultTabTimeoutMs(DWORD timeout) {
    static const DWORD kMinutes[6] = {5, 10, 30, 60, 120, 240};
    return timeout >= 1 && timeout <= 6 ? kMinutes[timeout - 1] * 60000 : 0;
}

}  // namespace daybrim
