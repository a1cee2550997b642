#include "note_text.h"

#include <algorithm>
#include <cstdint>

#include "pimcodec/recurrence.h"

namespace daybrim {

namespace {

// Decodes UTF-8 well enough for display: a bad sequence shows as U+FFFD and
// never swallows the bytes after it.
std::wstring FromUtf8(const uint8_t* p, size_t n, size_t cap) {
    std::wstring out;
    size_t i = 0;
    while (i < n && out.size() <= cap) {
        const uint8_t b = p[i];
        const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
        uint32_t c = extra <= 0 ? b : b & (0x3Fu >> extra);
        bool ok = extra >= 0 && i + size_t(extra) < n;
        for (int k = 1; ok && k <= extra; ++k) {
            if ((p[i + size_t(k)] & 0xC0) != 0x80) ok = false;
            else c = (c << 6) | (p[i + size_t(k)] & 0x3Fu);
        }
        if (!ok) {
            out += wchar_t(0xFFFD);
            ++i;
            continue;
        }
        i += size_t(extra) + 1;
        if (c >= 0x10000) {
            // As the handheld's UTF-16 holds it, in both builds.
            c -= 0x10000;
            out += wchar_t(0xD800 + (c >> 10));
            out += wchar_t(0xDC00 + (c & 0x3FF));
        } else {
            out += wchar_t(c);
        }
    }
    return out;
}

bool LooksUtf16(const uint8_t* p, size_t n) {
    if (n < 2 || n % 2) return false;
    // Text of the Latin scripts in UTF-16 has a zero high byte in most units.
    const size_t units = std::min<size_t>(n / 2, 64);
    size_t zeros = 0;
    for (size_t i = 0; i < units; ++i) zeros += p[2 * i + 1] == 0;
    return zeros * 2 >= units;
}

}  // namespace

std::wstring NoteForDisplay(const std::wstring& text, size_t cap) {
    std::wstring out;
    out.reserve(std::min(text.size(), cap) + 8);
    size_t shown = 0;
    bool cut = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'\0') break;
        if (shown >= cap) {
            cut = true;
            break;
        }
        ++shown;
        if (c == L'\r') {
            out += L"\r\n";
            if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        } else if (c == L'\n') {
            out += L"\r\n";
        } else {
            out += c;
        }
    }
    if (cut) out += kNoteCutMarker;
    return out;
}

std::wstring NoteFromBytes(const uint8_t* data, size_t size, size_t cap) {
    if (!data || !size) return std::wstring();
    // Never more decoded than can be shown (a character is at most four bytes).
    const size_t window = cap > (SIZE_MAX - 8) / 4 ? size : std::min(size, cap * 4 + 8);
    std::wstring text;
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        const size_t units = (window - 2) / 2;
        text.resize(units);
        for (size_t i = 0; i < units; ++i) text[i] = wchar_t(data[2 + 2 * i] | (data[3 + 2 * i] << 8));
    } else if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        text = FromUtf8(data + 3, window - 3, cap);
    } else if (LooksUtf16(data, size)) {
        const size_t units = window / 2;
        text.resize(units);
        for (size_t i = 0; i < units; ++i) text[i] = wchar_t(data[2 * i] | (data[2 * i + 1] << 8));
    } else {
        text.assign(data, data + std::min(window, size));
    }
    // A window short of the whole stream still decodes more than `cap`
    // characters, so the cut is marked there.
    return NoteForDisplay(text, cap);
}

bool ExceptionNote(const std::vector<uint8_t>& pattern, uint32_t originalDate, std::vector<uint8_t>* out) {
    pimcodec::Recurrence r;
    if (pattern.empty() || pimcodec::DecodeRecurrence(pattern.data(), pattern.size(), &r) != pimcodec::Status::kOk)
        return false;
    for (pimcodec::Exception& e : r.exceptions) {
        if (e.originalDate != originalDate || !e.notes) continue;
        if (out) *out = std::move(*e.notes);
        return true;
    }
    return false;
}

}  // namespace daybrim
