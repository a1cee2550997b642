// What the host window asks of the PIM store. The store fills it in; the host's
// tests put a fake in its place.
#pragma once
#include <windows.h>

#include "windbase.h"

namespace daybrim {

class PimStore {
public:
    virtual ~PimStore() = default;
    virtual void StopNotifications() {}
    // The tab types (tab_codes.h) whose data a notification changed.
    virtual DWORD OnNotification(const CENOTIFICATION* n) { return 0; }
    virtual void Reload(bool zoneChanged) {}
    virtual void RebuildMailOnCalendar() {}
};

}  // namespace daybrim
