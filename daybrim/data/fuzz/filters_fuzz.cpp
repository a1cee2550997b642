// The filter file's bytes: whatever they are, exactly 32 filters numbered 1..32.
#include <cstdlib>

#include "reg_export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto filters = daybrim::ParseFilterFile(data, size);
    if (filters.size() != 32) std::abort();
    for (size_t i = 0; i < filters.size(); ++i)
        if (filters[i].number != int(i) + 1 || filters[i].sensitivityRule < 0 || filters[i].sensitivityRule > 2)
            std::abort();
    std::wstring name, value;
    uint32_t n = 0;
    const std::wstring line(data, data + size);
    daybrim::ParseNumberLine(line, 16, &name, &n);
    daybrim::ParseStringLine(line, &name, &value);
    return 0;
}
