#include <cstddef>
#include <cstdint>

#include "menubar_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ayg::MenuBarData bar;
    if (ayg::ParseMenuBarData(data, size, &bar) && bar.buttons.size() > ayg::kMaxMenuBarButtons) __builtin_trap();
    return 0;
}
