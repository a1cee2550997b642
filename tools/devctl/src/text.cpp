#include "text.h"

#include <cstdio>

namespace devctl {

std::optional<std::u16string> Utf16FromUtf8(const std::string& s) {
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        uint8_t c = uint8_t(s[i]);
        uint32_t cp;
        size_t n;
        if (c < 0x80) { cp = c; n = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; n = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; n = 3; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; n = 4; }
        else return std::nullopt;
        if (i + n > s.size()) return std::nullopt;
        for (size_t k = 1; k < n; ++k) {
            uint8_t cc = uint8_t(s[i + k]);
            if ((cc & 0xC0) != 0x80) return std::nullopt;
            cp = cp << 6 | (cc & 0x3F);
        }
        static const uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += n;
    }
    return out;
}

std::string Utf8FromUtf16(const std::u16string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | cp >> 6));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | cp >> 12));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | cp >> 18));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

namespace {
bool Digits(const std::string& s, size_t pos, size_t n, int* out) {
    if (pos + n > s.size()) return false;
    int v = 0;
    for (size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    *out = v;
    return true;
}
}  // namespace

std::optional<IsoTime> ParseIso(const std::string& str) {
    IsoTime r;
    std::string s = str;
    if (!s.empty() && (s.back() == 'Z' || s.back() == 'z')) {
        r.utc = true;
        s.pop_back();
    }
    if (s.size() < 10 || s[4] != '-' || s[7] != '-') return std::nullopt;
    if (!Digits(s, 0, 4, &r.t.date.year) || !Digits(s, 5, 2, &r.t.date.month) ||
        !Digits(s, 8, 2, &r.t.date.day))
        return std::nullopt;
    if (r.t.date.year < 1601 || !pimcodec::IsValidDate(r.t.date)) return std::nullopt;
    if (s.size() > 10) {
        if ((s[10] != 'T' && s[10] != ' ') || s.size() < 16 || s[13] != ':') return std::nullopt;
        if (!Digits(s, 11, 2, &r.t.hour) || !Digits(s, 14, 2, &r.t.minute)) return std::nullopt;
        if (s.size() > 16) {
            if (s.size() != 19 || s[16] != ':' || !Digits(s, 17, 2, &r.t.second)) return std::nullopt;
        }
        if (r.t.hour > 23 || r.t.minute > 59 || r.t.second > 59) return std::nullopt;
        r.hasTime = true;
    } else if (r.utc) {
        return std::nullopt;   // a bare date has no zone
    }
    return r;
}

std::string FormatIsoDate(const pimcodec::CivilDate& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

std::string FormatIsoUtc(uint64_t filetime) {
    pimcodec::CivilDateTime t = pimcodec::CivilFromFiletime(filetime);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", t.date.year, t.date.month,
                  t.date.day, t.hour, t.minute, t.second);
    return buf;
}

std::string Hex(const std::vector<uint8_t>& b) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(b.size() * 2);
    for (uint8_t c : b) {
        s.push_back(kDigits[c >> 4]);
        s.push_back(kDigits[c & 15]);
    }
    return s;
}

std::optional<std::vector<uint8_t>> FromHex(const std::string& s) {
    if (s.size() % 2) return std::nullopt;
    auto nib = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::vector<uint8_t> out;
    for (size_t i = 0; i < s.size(); i += 2) {
        int hi = nib(s[i]), lo = nib(s[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(uint8_t(hi << 4 | lo));
    }
    return out;
}

std::string Hex32(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

}  // namespace devctl
