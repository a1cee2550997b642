#include "mail_text.h"

#include <algorithm>
#include <vector>

#include "mail_charsets.h"

namespace daybrim {

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

std::string LowerCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(s[i]) != Lower(prefix[i])) return false;
    return true;
}

// One parameter of a structured header ("charset", "boundary"), unquoted.
std::string Param(std::string_view value, std::string_view name) {
    size_t pos = 0;
    while (pos < value.size()) {
        size_t semi = value.find(';', pos);
        if (semi == std::string_view::npos) return std::string();
        pos = semi + 1;
        std::string_view rest = Trim(value.substr(pos));
        if (!StartsWithNoCase(rest, name)) continue;
        rest.remove_prefix(name.size());
        rest = Trim(rest);
        if (rest.empty() || rest.front() != '=') continue;
        rest.remove_prefix(1);
        rest = Trim(rest);
        if (!rest.empty() && rest.front() == '"') {
            rest.remove_prefix(1);
            size_t close = rest.find('"');
            return std::string(rest.substr(0, close));
        }
        size_t end = rest.find_first_of("; \t");
        return std::string(rest.substr(0, end));
    }
    return std::string();
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendUtf8(std::string_view in, std::u16string* out) {
    size_t i = 0;
    while (i < in.size()) {
        const uint8_t b = uint8_t(in[i]);
        if (b < 0x80) {
            out->push_back(char16_t(b));
            ++i;
            continue;
        }
        int len = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
        if (b >= 0xF5) len = 0;
        uint32_t cp = len == 4 ? b & 0x07 : len == 3 ? b & 0x0F : b & 0x1F;
        int got = 1;
        bool ok = len > 0;
        for (; ok && got < len; ++got) {
            if (i + size_t(got) >= in.size()) {
                ok = false;
                break;
            }
            const uint8_t c = uint8_t(in[i + size_t(got)]);
            if ((c & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = cp << 6 | (c & 0x3F);
        }
        // Overlong forms, surrogates and values past the last plane are malformed.
        if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                   (cp >= 0xD800 && cp <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out->push_back(u'\xFFFD');
            i += size_t(std::max(1, got));
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out->push_back(char16_t(0xD800 + (cp >> 10)));
            out->push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out->push_back(char16_t(cp));
        }
        i += size_t(len);
    }
}

// Bare line feeds (and lone carriage returns) become CR LF.
std::u16string CrLf(const std::u16string& s) {
    std::u16string out;
    out.reserve(s.size() + s.size() / 16);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\r') {
            out += u"\r\n";
            if (i + 1 < s.size() && s[i + 1] == u'\n') ++i;
        } else if (s[i] == u'\n') {
            out += u"\r\n";
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// The body of one entity: decoded when it is text, else nothing.
MimeText DecodePart(std::string_view entity, size_t maxChars, int depth);

MimeText FirstOfMultipart(std::string_view body, const MimeHeaders& h, size_t maxChars, int depth) {
    const std::string delim = "--" + h.boundary;
    std::vector<std::string_view> parts;
    size_t start = std::string_view::npos;
    size_t pos = 0;
    while (pos <= body.size()) {
        size_t eol = body.find('\n', pos);
        const size_t lineEnd = eol == std::string_view::npos ? body.size() : eol;
        std::string_view line = body.substr(pos, lineEnd - pos);
        if (line.size() >= delim.size() && line.compare(0, delim.size(), delim) == 0) {
            if (start != std::string_view::npos) parts.push_back(body.substr(start, pos - start));
            const bool closing = line.compare(delim.size(), 2, "--") == 0;
            if (closing) {
                start = std::string_view::npos;
                break;
            }
            start = eol == std::string_view::npos ? body.size() : eol + 1;
        }
        if (eol == std::string_view::npos) break;
        pos = eol + 1;
    }
    // A message cut off before its closing delimiter: the last part runs to the end.
    if (start != std::string_view::npos && start < body.size()) parts.push_back(body.substr(start));

    const bool alternative = h.type == "multipart/alternative";
    MimeText first;
    for (std::string_view part : parts) {
        MimeText t = DecodePart(part, maxChars, depth + 1);
        if (!t.found) continue;
        if (!alternative || !t.html) return t;
        if (!first.found) first = std::move(t);
    }
    return first;
}

MimeText DecodePart(std::string_view entity, size_t maxChars, int depth) {
    MimeText out;
    if (depth > 8) return out;
    MimeHeaders h = ReadMimeHeaders(entity);
    if (h.attachment) return out;
    std::string_view body = h.complete ? entity.substr(h.bodyStart) : std::string_view();
    if (h.type.compare(0, 10, "multipart/") == 0) {
        if (h.boundary.empty()) return out;
        return FirstOfMultipart(body, h, maxChars, depth);
    }
    if (h.type != "text/plain" && h.type != "text/html") return out;
    std::string raw;
    if (h.encoding == "quoted-printable")
        raw = DecodeQuotedPrintable(body);
    else if (h.encoding == "base64")
        raw = DecodeBase64(body);
    else
        raw.assign(body);
    out.text = CrLf(DecodeCharset(raw, CharsetByName(h.charset)));
    if (out.text.size() > maxChars) {
        size_t cut = maxChars;
        // Never end on the first half of a surrogate pair.
        if (cut > 0 && out.text[cut - 1] >= 0xD800 && out.text[cut - 1] <= 0xDBFF) --cut;
        out.text.resize(cut);
    }
    out.html = h.type == "text/html";
    out.found = true;
    return out;
}

}  // namespace

MailSender ParseSender(const std::u16string& value) {
    MailSender s;
    if (value.empty()) return s;
    if (value.size() >= 2 && value.back() == u'>') {
        // "Display Name" <address>
        if (value.front() == u'"') {
            size_t mid = value.find(u"\" <");
            if (mid != std::u16string::npos && mid >= 1 && value.size() >= mid + 3 + 3) {
                s.name = value.substr(1, mid - 1);
                s.address = value.substr(mid + 3, value.size() - mid - 4);
                if (s.name.empty()) s.name = s.address;
                return s;
            }
        }
        // Display Name <address>, unquoted.
        size_t open = value.rfind(u" <");
        if (open != std::u16string::npos && open > 0 && value.front() != u'"') {
            s.name = value.substr(0, open);
            s.address = value.substr(open + 2, value.size() - open - 3);
            return s;
        }
    }
    s.name = value;
    return s;
}

Charset CharsetByName(std::string_view name) {
    std::string n = LowerCopy(Trim(name));
    if (!n.empty() && n.front() == '"') n.erase(0, 1);
    if (!n.empty() && n.back() == '"') n.pop_back();
    struct Alias {
        const char* name;
        Charset cs;
    } static const aliases[] = {
        {"utf-8", Charset::kUtf8},          {"utf8", Charset::kUtf8},
        {"us-ascii", Charset::kLatin1},     {"ascii", Charset::kLatin1},
        {"iso-8859-1", Charset::kLatin1},   {"iso8859-1", Charset::kLatin1},
        {"latin1", Charset::kLatin1},       {"latin-1", Charset::kLatin1},
        {"windows-1252", Charset::kWindows1252}, {"cp1252", Charset::kWindows1252},
        {"windows-1251", Charset::kWindows1251}, {"cp1251", Charset::kWindows1251},
        {"iso-8859-7", Charset::kIso8859_7}, {"greek", Charset::kIso8859_7},
        {"iso-8859-8", Charset::kIso8859_8}, {"iso-8859-8-i", Charset::kIso8859_8},
        {"hebrew", Charset::kIso8859_8},    {"koi8-r", Charset::kKoi8R},
    };
    for (const Alias& a : aliases)
        if (n == a.name) return a.cs;
    return Charset::kUtf8;
}

std::u16string DecodeCharset(std::string_view bytes, Charset cs) {
    std::u16string out;
    out.reserve(bytes.size());
    if (cs == Charset::kUtf8) {
        AppendUtf8(bytes, &out);
        return out;
    }
    const char16_t* high = cs == Charset::kWindows1251   ? charsets::kWindows1251
                           : cs == Charset::kIso8859_7   ? charsets::kIso8859_7
                           : cs == Charset::kIso8859_8   ? charsets::kIso8859_8
                           : cs == Charset::kKoi8R       ? charsets::kKoi8R
                           : cs == Charset::kWindows1252 ? charsets::kWindows1252
                                                         : nullptr;
    for (char c : bytes) {
        const uint8_t b = uint8_t(c);
        out.push_back(b < 0x80 || !high ? char16_t(b) : high[b - 0x80]);
    }
    return out;
}

std::string DecodeQuotedPrintable(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '=') {
            out.push_back(in[i]);
            continue;
        }
        // A soft line break joins the lines.
        if (i + 1 < in.size() && in[i + 1] == '\n') {
            i += 1;
            continue;
        }
        if (i + 2 < in.size() && in[i + 1] == '\r' && in[i + 2] == '\n') {
            i += 2;
            continue;
        }
        if (i + 2 < in.size()) {
            const int hi = HexValue(in[i + 1]), lo = HexValue(in[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(char(hi * 16 + lo));
                i += 2;
                continue;
            }
        } else {
            break;  // the text ends inside an escape
        }
        out.push_back('=');
    }
    return out;
}

std::string DecodeBase64(std::string_view in) {
    std::string out;
    out.reserve(in.size() / 4 * 3);
    uint32_t acc = 0;
    int bits = 0;
    for (char c : in) {
        int v;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        else if (c >= '0' && c <= '9') v = c - '0' + 52;
        else if (c == '+') v = 62;
        else if (c == '/') v = 63;
        else if (c == '=') break;
        else continue;  // line breaks and stray characters
        acc = (acc << 6 | uint32_t(v)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(char((acc >> bits) & 0xFF));
        }
    }
    return out;
}

MimeHeaders ReadMimeHeaders(std::string_view text) {
    MimeHeaders h;
    std::string contentType, disposition;
    std::string* last = nullptr;  // the header a folded line continues
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) break;  // the header block was cut off
        std::string_view line = text.substr(pos, eol - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos = eol + 1;
        if (line.empty()) {
            h.complete = true;
            h.bodyStart = pos;
            break;
        }
        if (line.front() == ' ' || line.front() == '\t') {
            if (last) *last += " " + std::string(Trim(line));
            continue;
        }
        last = nullptr;
        size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string name = LowerCopy(Trim(line.substr(0, colon)));
        std::string value(Trim(line.substr(colon + 1)));
        if (name == "content-type") {
            contentType = value;
            last = &contentType;
        } else if (name == "content-transfer-encoding") {
            h.encoding = LowerCopy(Trim(value));
            last = &h.encoding;
        } else if (name == "content-disposition") {
            disposition = value;
            last = &disposition;
        }
    }
    if (!contentType.empty()) {
        std::string type = LowerCopy(Trim(std::string_view(contentType).substr(0, contentType.find(';'))));
        if (!type.empty()) h.type = type;
        h.charset = LowerCopy(Param(contentType, "charset"));
        h.boundary = Param(contentType, "boundary");
    }
    h.encoding = std::string(Trim(h.encoding));
    h.attachment = StartsWithNoCase(Trim(disposition), "attachment");
    return h;
}

MimeText FirstTextPart(std::string_view raw, size_t maxChars) { return DecodePart(raw, maxChars, 0); }

std::u16string CleanWhitespace(const std::u16string& text) {
    std::u16string a;
    a.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'\t') c = u' ';
        if (c == u' ' && !a.empty() && a.back() == u' ') continue;
        a.push_back(c);
    }
    std::u16string out;
    out.reserve(a.size());
    for (size_t i = 0; i < a.size();) {
        if (a.compare(i, 3, u"\r\n ") == 0) {
            out += u"\r\n";
            i += 3;
            while (i < a.size() && (a[i] == u'\r' || a[i] == u'\n' || a[i] == u' ')) ++i;
            continue;
        }
        out.push_back(a[i++]);
    }
    return out;
}

std::u16string TextMessageBody(const std::u16string& subject) {
    if (subject.find(u"\r\n") != std::u16string::npos || subject.find(u"\n\r") != std::u16string::npos)
        return subject;
    std::u16string out = subject;
    std::replace(out.begin(), out.end(), u'\n', u'\r');
    return out;
}

std::u16string TruncatedNote(bool html) {
    return html ? u"<br>[Message truncated]" : u"\r\n[Message truncated]";
}

}  // namespace daybrim
