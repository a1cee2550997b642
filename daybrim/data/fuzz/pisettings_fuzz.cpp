// Pocket Informant's settings export, as UTF-16LE bytes.
#include "reg_export.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    daybrim::ParsePiCategoryColours(data, size);
    return 0;
}
