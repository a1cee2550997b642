// Any bytes given to the TGA decoder: it must fail cleanly or give planes of
// exactly the size it reports.
#include <cstdlib>

#include "tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    olv::tga::Image img;
    if (olv::tga::Decode(data, size, &img) == olv::tga::Error::kNone) {
        const size_t n = size_t(img.width) * size_t(img.height);
        if (n == 0 || img.r.size() != n || img.g.size() != n || img.b.size() != n || img.a.size() != n) abort();
    } else if (img.width || img.height || !img.r.empty()) {
        abort();
    }
    return 0;
}
