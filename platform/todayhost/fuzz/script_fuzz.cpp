#include <cstddef>
#include <cstdint>
#include <string>

#include "script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<today::Step> steps;
    today::ScriptError err;
    today::ParseScript(std::string(reinterpret_cast<const char*>(data), size), &steps, &err);
    return 0;
}
