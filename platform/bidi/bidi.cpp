#include "bidi.h"

#include <algorithm>
#include <cstdint>

namespace cesim {
namespace {

// The bidirectional classes this implementation tells apart (UAX #9, table 4).
enum Cls : uint8_t { L, R, EN, ES, ET, CS, NSM, WS, ON };

bool IsRtlLetter(char16_t c) {
    return (c >= 0x05D0 && c <= 0x05EA) || (c >= 0x05EF && c <= 0x05F4) ||  // Hebrew letters
           c == 0x05BE || c == 0x05C0 || c == 0x05C3 || c == 0x05C6 ||     // Hebrew punctuation
           (c >= 0x0600 && c <= 0x06FF && !(c >= 0x064B && c <= 0x065F) && !(c >= 0x0660 && c <= 0x0669) &&
            c != 0x0670 && !(c >= 0x06F0 && c <= 0x06F9)) ||               // Arabic letters, as R
           (c >= 0xFB1D && c <= 0xFB4F) ||                                  // Hebrew presentation forms
           (c >= 0xFB50 && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFC);   // Arabic presentation forms
}

Cls Classify(char16_t c) {
    if (IsRtlLetter(c)) return R;
    if (c >= '0' && c <= '9') return EN;
    if ((c >= 0x0660 && c <= 0x0669) || (c >= 0x06F0 && c <= 0x06F9)) return EN;
    if ((c >= 0x0591 && c <= 0x05BD) || c == 0x05BF || c == 0x05C1 || c == 0x05C2 || c == 0x05C4 ||
        c == 0x05C5 || c == 0x05C7 || (c >= 0x064B && c <= 0x065F) || c == 0x0670 || (c >= 0x0300 && c <= 0x036F))
        return NSM;
    switch (c) {
    case '+': case '-': return ES;
    case '#': case '$': case '%': case 0x00A2: case 0x00A3: case 0x00A4: case 0x00A5: case 0x00B0: case 0x20AC:
        return ET;
    case ',': case '.': case '/': case ':': case 0x00A0: return CS;
    case ' ': case '\t': case 0x2000: case 0x2002: case 0x2003: case 0x2009: return WS;
    }
    if (c < 0x80) return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ? L : ON;
    if (c >= 0x2010 && c <= 0x2027) return ON;  // dashes, quotes, bullets, ellipsis
    if (c >= 0x00A1 && c <= 0x00BF) return ON;  // Latin-1 punctuation and signs
    if (c == 0x00D7 || c == 0x00F7) return ON;
    return L;  // letters of every other script (and surrogates, kept in their pairs)
}

char16_t Mirrored(char16_t c) {
    switch (c) {
    case '(': return ')';
    case ')': return '(';
    case '[': return ']';
    case ']': return '[';
    case '{': return '}';
    case '}': return '{';
    case '<': return '>';
    case '>': return '<';
    case 0x00AB: return 0x00BB;
    case 0x00BB: return 0x00AB;
    }
    return c;
}

bool Strong(Cls c) { return c == L || c == R; }

}  // namespace

bool BidiDisplayOrder(const char16_t* text, size_t n, bool rtl, std::vector<size_t>* order,
                      std::vector<char16_t>* visual) {
    if (!text || n == 0) return false;
    std::vector<Cls> cls(n);
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
        cls[i] = Classify(text[i]);
        any = any || cls[i] == R;
    }
    if (!any && !rtl) return false;
    const Cls sos = rtl ? R : L;

    // W1: a mark takes the class of what it follows.
    for (size_t i = 0; i < n; ++i)
        if (cls[i] == NSM) cls[i] = i ? cls[i - 1] : sos;
    // W4: one separator between two European numbers joins them.
    for (size_t i = 1; i + 1 < n; ++i)
        if ((cls[i] == ES || cls[i] == CS) && cls[i - 1] == EN && cls[i + 1] == EN) cls[i] = EN;
    // W5: terminators next to a number are part of it.
    for (size_t i = 0; i < n; ++i) {
        if (cls[i] != ET) continue;
        size_t j = i;
        while (j < n && cls[j] == ET) ++j;
        const bool touches = (i > 0 && cls[i - 1] == EN) || (j < n && cls[j] == EN);
        if (touches)
            for (size_t k = i; k < j; ++k) cls[k] = EN;
        i = j - 1;
    }
    // W6: what separators and terminators are left are neutral.
    for (Cls& c : cls)
        if (c == ES || c == ET || c == CS) c = ON;
    // W7: a number in left-to-right text is left-to-right.
    Cls last = sos;
    for (size_t i = 0; i < n; ++i) {
        if (Strong(cls[i])) last = cls[i];
        else if (cls[i] == EN && last == L) cls[i] = L;
    }
    // N0: a pair of brackets takes the direction of what it encloses, so that "(x)"
    // stays together: the paragraph's when the inside holds any of it, else the
    // other one when the text before the pair has that one too.
    std::vector<size_t> open;
    for (size_t i = 0; i < n; ++i) {
        if (cls[i] != ON) continue;
        const char16_t c = text[i];
        if (c == '(' || c == '[' || c == '{') {
            if (open.size() < 63) open.push_back(i);
            continue;
        }
        if (c != ')' && c != ']' && c != '}') continue;
        const char16_t want = c == ')' ? '(' : c == ']' ? '[' : '{';
        size_t k = open.size();
        while (k > 0 && text[open[k - 1]] != want) --k;
        if (k == 0) continue;
        const size_t from = open[k - 1];
        open.resize(k - 1);
        bool same = false, other = false;
        for (size_t m = from + 1; m < i; ++m) {
            const Cls t = cls[m] == EN ? R : cls[m];
            if (t == sos) same = true;
            else if (Strong(t)) other = true;
        }
        if (!same && !other) continue;
        Cls to = sos;
        if (!same) {
            Cls prev = sos;
            for (size_t m = from; m > 0; --m) {
                const Cls t = cls[m - 1] == EN ? R : cls[m - 1];
                if (Strong(t)) {
                    prev = t;
                    break;
                }
            }
            to = prev == sos ? sos : prev;
        }
        cls[from] = cls[i] = to;
    }
    // N1, N2: neutrals between text of one direction take it (numbers count as
    // right-to-left there); others take the paragraph's.
    for (size_t i = 0; i < n; ++i) {
        if (cls[i] != ON && cls[i] != WS) continue;
        size_t j = i;
        while (j < n && (cls[j] == ON || cls[j] == WS)) ++j;
        const Cls before = i == 0 ? sos : (cls[i - 1] == EN ? R : cls[i - 1]);
        const Cls after = j == n ? sos : (cls[j] == EN ? R : cls[j]);
        const Cls to = before == after ? before : sos;
        for (size_t k = i; k < j; ++k) cls[k] = to;
        i = j - 1;
    }
    // I1, I2: levels.
    const int base = rtl ? 1 : 0;
    std::vector<int> level(n);
    for (size_t i = 0; i < n; ++i) {
        if (base == 0) level[i] = cls[i] == R ? 1 : cls[i] == EN ? 2 : 0;
        else level[i] = cls[i] == R ? 1 : 2;  // L and EN rise to 2 in a right-to-left paragraph
    }
    // L1: spaces at the end of the line go back to the paragraph's level.
    for (size_t i = n; i > 0 && (text[i - 1] == ' ' || text[i - 1] == '\t'); --i) level[i - 1] = base;

    // L2: from the highest level down to the lowest odd one, reverse every run at
    // that level or above.
    std::vector<size_t> ord(n);
    for (size_t i = 0; i < n; ++i) ord[i] = i;
    const int top = *std::max_element(level.begin(), level.end());
    int lowestOdd = top + 1;
    for (int l : level)
        if (l % 2 && l < lowestOdd) lowestOdd = l;
    for (int l = top; l >= lowestOdd && l > 0; --l) {
        for (size_t i = 0; i < n;) {
            if (level[ord[i]] < l) {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < n && level[ord[j]] >= l) ++j;
            std::reverse(ord.begin() + std::ptrdiff_t(i), ord.begin() + std::ptrdiff_t(j));
            i = j;
        }
    }
    bool moved = false;
    for (size_t i = 0; i < n && !moved; ++i) moved = ord[i] != i;
    if (!moved) return false;
    // L4: brackets inside right-to-left runs face the other way.
    if (visual) {
        visual->resize(n);
        for (size_t i = 0; i < n; ++i) {
            const size_t at = ord[i];
            (*visual)[i] = level[at] % 2 ? Mirrored(text[at]) : text[at];
        }
    }
    if (order) *order = std::move(ord);
    return true;
}

}  // namespace cesim
