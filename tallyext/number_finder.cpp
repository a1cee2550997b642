#include "number_finder.h"

namespace tallyext {

namespace {

bool IsDigit(CeChar c) { return c >= '0' && c <= '9'; }

bool StartsNumber(CeChar c) { return IsDigit(c) || c == '(' || c == '*' || c == '+' || c == '#'; }

bool ContinuesNumber(CeChar c) {
    switch (c) {
    case '(': case '*': case '+': case '#': case ')': case ',': case 'p': case 'w': case '-': case ' ':
        return true;
    default:
        return IsDigit(c);
    }
}

}  // namespace

std::vector<CeStd> FindNumbers(const CeChar* text, size_t length) {
    std::vector<CeStd> found;
    if (!text) return found;
    size_t i = 0;
    while (i < length) {
        if (!StartsNumber(text[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        size_t digits = 0;
        // The scan resumes after the run whether or not it was a number, so each
        // character is looked at once: long notes cost linear time.
        for (; i < length && ContinuesNumber(text[i]); ++i)
            if (IsDigit(text[i])) ++digits;
        if (digits > 2) found.emplace_back(text + start, i - start);
    }
    return found;
}

}  // namespace tallyext
