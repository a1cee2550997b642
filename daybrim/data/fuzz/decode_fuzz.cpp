// Any bytes through the transfer decodings, every character set, the sender rule
// and the text-message rule: nothing grows beyond what its input allows.
#include <cstdlib>
#include <string_view>

#include "mail_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    if (daybrim::DecodeQuotedPrintable(raw).size() > size) std::abort();
    if (daybrim::DecodeBase64(raw).size() > size * 3 / 4 + 1) std::abort();
    for (int cs = 0; cs <= int(daybrim::Charset::kKoi8R); ++cs) {
        const std::u16string text = daybrim::DecodeCharset(raw, daybrim::Charset(cs));
        // UTF-8 never needs more units than bytes; the single-byte sets exactly one each.
        if (daybrim::Charset(cs) == daybrim::Charset::kUtf8 ? text.size() > size : text.size() != size)
            std::abort();
    }
    const std::u16string wide(raw.begin(), raw.end());
    const daybrim::MailSender s = daybrim::ParseSender(wide);
    if (s.name.size() + s.address.size() > wide.size() + wide.size()) std::abort();
    if (!wide.empty() && s.name.empty()) std::abort();
    if (daybrim::TextMessageBody(wide).size() != wide.size()) std::abort();
    return 0;
}
