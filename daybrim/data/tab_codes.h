// The tab type codes. A tab's type is one bit, so the same codes name the tabs
// whose data a PIM change touched: the store reports a mask of them and the host
// hands each tab the bit it carries.
#pragma once
#include <cstdint>

namespace daybrim {

enum TabType : uint32_t {
    TAB_TYPE_DESIGNED = 1,     // an external tab library
    TAB_TYPE_TODAY_ITEM = 2,   // another Today item hosted as a tab
    TAB_TYPE_CALENDAR = 4,
    TAB_TYPE_TASKS = 8,
    TAB_TYPE_SEVENTS = 16,
    TAB_TYPE_NOTES = 32,
    TAB_TYPE_MAIL = 64,
    TAB_TYPE_CONTACTS = 128,
};

}  // namespace daybrim
