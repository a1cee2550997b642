#include <cstddef>
#include <cstdint>
#include <string_view>

#include "logline.h"

// Whatever a line holds, reading it is safe, and what was read writes back as a line
// that reads the same.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    auto fields = devlog::ParseLine(text);
    if (!fields) return 0;
    devlog::LineBuilder b("t", "s", "e");
    for (const auto& f : *fields) b.Str(f.name, f.text);
    auto again = devlog::ParseLine(b.Text());
    if (!again || again->size() != fields->size() + 3) __builtin_trap();
    for (size_t i = 0; i < fields->size(); ++i)
        if ((*again)[i + 3].text != (*fields)[i].text) __builtin_trap();
    return 0;
}
