// Tab type codes (also the change bits of PIM data) and the tables that map the
// default-tab settings onto them.
#pragma once
#include <windows.h>

namespace daybrim {

enum TabType : DWORD {
    TAB_TYPE_DESIGNED = 1,     // an external tab library
    TAB_TYPE_TODAY_ITEM = 2,   // another Today item hosted as a tab
    TAB_TYPE_CALENDAR = 4,
    TAB_TYPE_TASKS = 8,
    TAB_TYPE_SEVENTS = 16,
    TAB_TYPE_NOTES = 32,
    TAB_TYPE_MAIL = 64,
    TAB_TYPE_CONTACTS = 128,
};

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
