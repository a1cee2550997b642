#include "logline.h"

#include <cstdio>

namespace devlog {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0 when it is not one (overlong
// forms, surrogates and code points past U+10FFFF included).
size_t Utf8Length(std::string_view s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    size_t n;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) n = 2, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, cp = c & 0x07;
    else return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(k) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

void AppendUtf8(uint32_t cp, std::string* out) {
    if (cp < 0x80) {
        *out += char(cp);
    } else if (cp < 0x800) {
        *out += char(0xC0 | (cp >> 6));
        *out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out += char(0xE0 | (cp >> 12));
        *out += char(0x80 | ((cp >> 6) & 0x3F));
        *out += char(0x80 | (cp & 0x3F));
    } else {
        *out += char(0xF0 | (cp >> 18));
        *out += char(0x80 | ((cp >> 12) & 0x3F));
        *out += char(0x80 | ((cp >> 6) & 0x3F));
        *out += char(0x80 | (cp & 0x3F));
    }
}

class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}

    std::optional<std::vector<Field>> Object() {
        std::vector<Field> fields;
        Space();
        if (!Eat('{')) return std::nullopt;
        Space();
        if (Eat('}')) return End() ? std::optional<std::vector<Field>>(std::move(fields)) : std::nullopt;
        for (;;) {
            Field f;
            Space();
            if (!String(&f.name)) return std::nullopt;
            Space();
            if (!Eat(':')) return std::nullopt;
            Space();
            if (!Value(&f)) return std::nullopt;
            fields.push_back(std::move(f));
            Space();
            if (Eat(',')) continue;
            if (Eat('}')) break;
            return std::nullopt;
        }
        if (!End()) return std::nullopt;
        return fields;
    }

private:
    bool End() {
        Space();
        return i_ == s_.size();
    }
    void Space() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
    }
    bool Eat(char c) {
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (s_.substr(i_, w.size()) != w) return false;
        i_ += w.size();
        return true;
    }
    bool Hex4(uint32_t* out) {
        if (i_ + 4 > s_.size()) return false;
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k) {
            char c = s_[i_++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= uint32_t(c - '0');
            else if (c >= 'a' && c <= 'f') v |= uint32_t(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v |= uint32_t(c - 'A' + 10);
            else return false;
        }
        *out = v;
        return true;
    }
    bool String(std::string* out) {
        if (!Eat('"')) return false;
        while (i_ < s_.size()) {
            unsigned char c = static_cast<unsigned char>(s_[i_]);
            if (c == '"') {
                ++i_;
                return true;
            }
            if (c < 0x20) return false;
            if (c != '\\') {
                size_t n = Utf8Length(s_, i_);
                if (!n) return false;
                out->append(s_.substr(i_, n));
                i_ += n;
                continue;
            }
            if (++i_ >= s_.size()) return false;
            char e = s_[i_++];
            switch (e) {
            case '"': *out += '"'; break;
            case '\\': *out += '\\'; break;
            case '/': *out += '/'; break;
            case 'b': *out += '\b'; break;
            case 'f': *out += '\f'; break;
            case 'n': *out += '\n'; break;
            case 'r': *out += '\r'; break;
            case 't': *out += '\t'; break;
            case 'u': {
                uint32_t cp;
                if (!Hex4(&cp)) return false;
                if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    uint32_t lo;
                    if (!Word("\\u") || !Hex4(&lo) || lo < 0xDC00 || lo > 0xDFFF) return false;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                }
                AppendUtf8(cp, out);
                break;
            }
            default: return false;
            }
        }
        return false;
    }
    bool Number(std::string* out) {
        const size_t start = i_;
        const auto digits = [&] {
            size_t d = i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
            return i_ > d;
        };
        Eat('-');
        if (!digits()) return false;
        if (Eat('.') && !digits()) return false;
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            ++i_;
            if (!Eat('+')) Eat('-');
            if (!digits()) return false;
        }
        out->assign(s_.substr(start, i_ - start));
        return true;
    }
    bool Value(Field* f) {
        if (i_ >= s_.size()) return false;
        char c = s_[i_];
        if (c == '"') {
            f->kind = Field::Kind::String;
            return String(&f->text);
        }
        if (c == 't' || c == 'f') {
            f->kind = Field::Kind::Bool;
            f->text = c == 't' ? "true" : "false";
            return Word(f->text);
        }
        if (c == 'n') {
            f->kind = Field::Kind::Null;
            f->text = "null";
            return Word("null");
        }
        f->kind = Field::Kind::Number;
        return Number(&f->text);
    }

    std::string_view s_;
    size_t i_ = 0;
};

}  // namespace

std::string Quote(std::string_view s) {
    std::string out = "\"";
    out.reserve(s.size() + 2);
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
            ++i;
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
            ++i;
        } else if (size_t n = Utf8Length(s, i)) {
            out.append(s.substr(i, n));
            i += n;
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
    out += '"';
    return out;
}

LineBuilder::LineBuilder(std::string_view time, std::string_view source, std::string_view event) : body_("{") {
    Str("time", time);
    Str("source", source);
    Str("event", event);
}

void LineBuilder::Key(std::string_view name) {
    if (body_.size() > 1) body_ += ',';
    body_ += Quote(name);
    body_ += ':';
}

LineBuilder& LineBuilder::Str(std::string_view name, std::string_view utf8) {
    Key(name);
    body_ += Quote(utf8);
    return *this;
}

LineBuilder& LineBuilder::Int(std::string_view name, int64_t value) {
    Key(name);
    body_ += std::to_string(value);
    return *this;
}

LineBuilder& LineBuilder::Bool(std::string_view name, bool value) {
    Key(name);
    body_ += value ? "true" : "false";
    return *this;
}

std::optional<std::vector<Field>> ParseLine(std::string_view line) { return Reader(line).Object(); }

const Field* Find(const std::vector<Field>& fields, std::string_view name) {
    for (const Field& f : fields)
        if (f.name == name) return &f;
    return nullptr;
}

}  // namespace devlog
