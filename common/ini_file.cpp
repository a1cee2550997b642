#include "ini_file.h"

namespace {

// Windows-1252's 0x80-0x9F; the rest of the page is Latin-1.
const char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsSpace(CeChar c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsBreak(CeChar c) { return c == '\r' || c == '\n'; }
bool IsAlnum(CeChar c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

CeStd Lit(const char* s) { return CeStd(s, s + std::char_traits<char>::length(s)); }

}  // namespace

CeStd DecodeWindows1252(const uint8_t* bytes, size_t n) {
    CeStd out(n, 0);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = bytes[i];
        out[i] = (b >= 0x80 && b < 0xA0) ? CeChar(k1252High[b - 0x80]) : CeChar(b);
    }
    return out;
}

std::vector<uint8_t> EncodeWindows1252(const CeStd& text) {
    std::vector<uint8_t> out;
    out.reserve(text.size());
    for (CeChar c : text) {
        uint8_t b = '?';
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            b = uint8_t(c);
        } else {
            for (int i = 0; i < 32; ++i)
                if (char16_t(c) == k1252High[i]) b = uint8_t(0x80 + i);
        }
        out.push_back(b);
    }
    return out;
}

CeStd TrimSpace(const CeStd& s) {
    size_t a = 0, b = s.size();
    while (a < b && IsSpace(s[a])) ++a;
    while (b > a && IsSpace(s[b - 1])) --b;
    return s.substr(a, b - a);
}

const CeStd* CIniSection::Find(const CeStd& key) const {
    auto it = values_.find(key);
    return it == values_.end() ? nullptr : &it->second;
}

void CIniFile::LoadBytes(const uint8_t* bytes, size_t n, const AnsiDecoder& ansi) {
    if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        CeStd text;
        text.reserve(n / 2);
        for (size_t i = 2; i + 1 < n; i += 2) text.push_back(CeChar(bytes[i] | (bytes[i + 1] << 8)));
        LoadText(text);  // an odd last byte is not a character and is dropped
    } else {
        LoadText(ansi ? ansi(bytes, n) : DecodeWindows1252(bytes, n));
    }
}

void CIniFile::LoadText(const CeStd& t) {
    enum State { kBetween, kSectionName, kKey, kAfterEquals, kValue, kComment };
    sections_.clear();
    modified_ = false;
    CIniSection* section = nullptr;  // keys outside any section are ignored
    State state = kBetween;
    size_t start = 0;
    CeStd key;
    auto store = [&](size_t end) {
        if (section) section->Set(key, t.substr(start, end - start));
    };
    for (size_t i = 0; i < t.size(); ++i) {
        const CeChar c = t[i];
        switch (state) {
        case kBetween:
            if (c == '[') {
                state = kSectionName;
                start = i + 1;
            } else if (IsAlnum(c)) {
                state = kKey;
                start = i;
            } else if (c == ';') {
                state = kComment;
            }
            break;
        case kSectionName:
            if (c == ']') {
                section = &sections_[t.substr(start, i - start)];
                state = kBetween;
            } else if (IsBreak(c)) {
                // An unclosed header names nothing: what follows belongs to no section
                // rather than to the one before it.
                section = nullptr;
                state = kBetween;
            }
            break;
        case kKey:
            if (c == '=') {
                key = TrimSpace(t.substr(start, i - start));
                state = kAfterEquals;
            } else if (IsBreak(c)) {
                state = kBetween;  // a line without '=' must not swallow the next entry
            }
            break;
        case kAfterEquals:
            if (c == ' ' || c == '\t') break;
            if (IsBreak(c) || c == ';') {
                start = i;
                store(i);
                state = IsBreak(c) ? kBetween : kComment;
            } else {
                start = i;
                state = kValue;
            }
            break;
        case kValue:
            if (IsBreak(c) || c == ';') {
                store(i);
                state = IsBreak(c) ? kBetween : kComment;
            }
            break;
        case kComment:
            if (IsBreak(c)) state = kBetween;
            break;
        }
    }
    if (state == kValue) store(t.size());
    if (state == kAfterEquals) {
        start = t.size();
        store(t.size());
    }
}

const CIniSection* CIniFile::FindSection(const CeStd& name) const {
    auto it = sections_.find(name);
    return it == sections_.end() ? nullptr : &it->second;
}

bool CIniFile::GetValue(const CeStd& section, const CeStd& key, CeStd* out) const {
    const CIniSection* s = FindSection(section);
    const CeStd* v = s ? s->Find(key) : nullptr;
    if (!v) return false;
    *out = TrimSpace(*v);
    return true;
}

void CIniFile::SetValue(const CeStd& section, const CeStd& key, const CeStd& value) {
    sections_[section].Set(key, value);
    modified_ = true;
}

std::vector<uint8_t> CIniFile::Serialize(IniEncoding enc, const AnsiEncoder& ansi) const {
    CeStd text;
    const CeStd crlf = Lit("\r\n");
    for (const auto& s : sections_) {
        text += crlf + Lit("[") + s.first + Lit("]") + crlf;
        for (const auto& kv : s.second.values()) text += kv.first + Lit("=") + kv.second + crlf;
    }
    if (enc == IniEncoding::kAnsi) return ansi ? ansi(text) : EncodeWindows1252(text);
    std::vector<uint8_t> out = {0xFF, 0xFE};
    out.reserve(2 + text.size() * 2);
    for (CeChar c : text) {
        out.push_back(uint8_t(c & 0xFF));
        out.push_back(uint8_t(c >> 8));
    }
    return out;
}
