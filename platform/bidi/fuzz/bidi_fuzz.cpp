// Any UTF-16 line: the display order is a permutation of the line.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bidi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char16_t> text(size / 2);
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
    for (bool rtl : {false, true}) {
        std::vector<size_t> order;
        std::vector<char16_t> visual;
        if (!cesim::BidiDisplayOrder(text.data(), text.size(), rtl, &order, &visual)) continue;
        std::vector<bool> seen(text.size());
        if (order.size() != text.size() || visual.size() != text.size()) abort();
        for (size_t i : order) {
            if (i >= text.size() || seen[i]) abort();
            seen[i] = true;
        }
    }
    return 0;
}
