// What the host window calls in the skin and images (skin.h, image_cache.h), the
// PIM store, the categories, the item painter and the PIM menu extensions. Each is
// filled in by its own subsystem; until then these do nothing and report nothing
// changed.
#pragma once
#include <windows.h>

#include <string>

#include "image_cache.h"
#include "skin.h"
#include "windbase.h"

namespace daybrim {

class PimStore {
public:
    virtual ~PimStore() = default;
    // Database notifications arrive at `notify` as WM_DBNOTIFICATION.
    virtual void Init(HWND notify) {}
    virtual void StopNotifications() {}
    // The tab types whose data a notification changed.
    virtual DWORD OnNotification(const CENOTIFICATION* n) { return 0; }
    virtual void Reload(bool zoneChanged) {}
    virtual void RebuildMailOnCalendar() {}
};

class CategoryTable {
public:
    virtual ~CategoryTable() = default;
    virtual void Load() {}
};

class CItemPainter {
public:
    virtual ~CItemPainter() = default;
};

class CPimMenuExtensions {
public:
    virtual ~CPimMenuExtensions() = default;
};

}  // namespace daybrim
