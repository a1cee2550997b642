// Structure layouts. The handheld is a 32-bit device; this build's code is x86-64.
// CE_LAYOUT(T, device, here) checks T's size for both: `device` bytes where pointers
// are 32 bits (the handheld, and the i686 compile of platform/layout), `here` bytes
// in the x86-64 build. A structure that is stored, or that crosses a process, has
// the same size in both (and fixed-width fields only).
#pragma once

#define CE_LAYOUT(T, device, here) \
    static_assert(sizeof(T) == (sizeof(void*) == 4 ? (device) : (here)), #T " is " #device " bytes on the device")
#define CE_OFFSET(T, field, device, here)                                           \
    static_assert(offsetof(T, field) == (sizeof(void*) == 4 ? (device) : (here)), \
                  #T "." #field " is at " #device " on the device")
