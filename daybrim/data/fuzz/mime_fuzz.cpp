// Any bytes as a raw message: the text part is found or not, never longer than the
// cap, and the decoders and sender rule take the same bytes.
#include <cstdlib>
#include <string_view>

#include "mail_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    const size_t cap = size % 64 + 1;
    const daybrim::MimeText t = daybrim::FirstTextPart(raw, cap);
    if (t.text.size() > cap) std::abort();
    if (!t.found && !t.text.empty()) std::abort();
    daybrim::CleanWhitespace(t.text);
    daybrim::DecodeQuotedPrintable(raw);
    daybrim::DecodeBase64(raw);
    for (int cs = 0; cs <= int(daybrim::Charset::kKoi8R); ++cs)
        if (daybrim::DecodeCharset(raw, daybrim::Charset(cs)).size() > size) std::abort();
    std::u16string wide(raw.begin(), raw.end());
    daybrim::ParseSender(wide);
    daybrim::TextMessageBody(wide);
    return 0;
}
