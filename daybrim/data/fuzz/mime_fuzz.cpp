// Any bytes as a raw message: the text part is found or not, never longer than the
// cap, and the preview rules take whatever it gives.
#include <cstdlib>
#include <string_view>

#include "mail_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const size_t cap = size % 64 + 1;
    const daybrim::MimeText t = daybrim::FirstTextPart(raw, cap);
    if (t.text.size() > cap) std::abort();
    if (!t.found && (!t.text.empty() || t.html)) std::abort();
    if (daybrim::CleanWhitespace(t.text).size() > t.text.size()) std::abort();
    const daybrim::MimeHeaders h = daybrim::ReadMimeHeaders(raw);
    if (h.bodyStart > size || (h.complete && h.bodyStart == 0)) std::abort();
    return 0;
}
