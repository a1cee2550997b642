// The number finder over arbitrary UTF-16 text: every number is a piece of the
// text, starts where a number may start and holds more than two digits.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "number_finder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CeStd text(size / 2, CeChar(0));
    if (!text.empty()) std::memcpy(&text[0], data, text.size() * 2);
    size_t at = 0;
    for (const CeStd& n : tallyext::FindNumbers(text)) {
        const size_t found = text.find(n, at);
        if (found == CeStd::npos) abort();  // out of order or not from the text
        at = found + n.size();
        size_t digits = 0;
        for (CeChar c : n) digits += c >= '0' && c <= '9';
        if (digits < 3) abort();
    }
    return 0;
}
