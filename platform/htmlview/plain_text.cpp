#include "plain_text.h"

#include <cwctype>

namespace htmlview {

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(c));
    return s;
}

bool Space(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\f'; }

// The entity at text[i] ('&'); the character it stands for, or 0.
wchar_t Entity(const std::wstring& text, size_t i, size_t* len) {
    size_t semi = text.find(L';', i);
    if (semi == std::wstring::npos || semi - i > 10) return 0;
    std::wstring name = text.substr(i + 1, semi - i - 1);
    *len = semi - i + 1;
    struct Named {
        const wchar_t* name;
        wchar_t c;
    } static const named[] = {{L"amp", L'&'}, {L"lt", L'<'},  {L"gt", L'>'},
                              {L"quot", L'"'}, {L"apos", L'\''}, {L"nbsp", L'\u00A0'}};
    for (const Named& n : named)
        if (name == n.name) return n.c;
    if (name.size() >= 2 && name[0] == L'#') {
        unsigned long v = 0;
        const bool hex = name[1] == L'x' || name[1] == L'X';
        for (size_t k = hex ? 2 : 1; k < name.size(); ++k) {
            const wchar_t c = name[k];
            int d = (c >= L'0' && c <= L'9') ? c - L'0'
                    : hex && c >= L'a' && c <= L'f' ? c - L'a' + 10
                    : hex && c >= L'A' && c <= L'F' ? c - L'A' + 10
                                                    : -1;
            if (d < 0 || v > 0x10FFFF) return 0;
            v = v * (hex ? 16 : 10) + unsigned(d);
        }
        if (v == 0 || v > 0xFFFF || (v >= 0xD800 && v <= 0xDFFF)) return 0;
        return wchar_t(v);
    }
    return 0;
}

}  // namespace

std::wstring PlainFromHtml(const std::wstring& html) {
    std::wstring out;
    bool pendingSpace = false;
    // <br> always breaks the line; a block only starts on a fresh one.
    auto breakLine = [&](bool always) {
        while (!out.empty() && out.back() == L' ') out.pop_back();
        if (!out.empty() && (always || out.back() != L'\n')) out += L"\r\n";
        pendingSpace = false;
    };
    size_t i = 0;
    while (i < html.size()) {
        const wchar_t c = html[i];
        if (c == L'<') {
            size_t close = html.find(L'>', i);
            if (close == std::wstring::npos) break;  // a cut-off tag shows nothing
            std::wstring tag = Lower(html.substr(i + 1, close - i - 1));
            size_t nameEnd = 0;
            while (nameEnd < tag.size() && !Space(tag[nameEnd]) && tag[nameEnd] != L'/') ++nameEnd;
            if (nameEnd == 0 && !tag.empty() && tag[0] == L'/') {
                nameEnd = 1;
                while (nameEnd < tag.size() && !Space(tag[nameEnd])) ++nameEnd;
            }
            const std::wstring name = tag.substr(0, nameEnd);
            i = close + 1;
            if (name == L"script" || name == L"style") {
                size_t end = Lower(html).find(L"</" + name, i);
                i = end == std::wstring::npos ? html.size() : html.find(L'>', end) + 1;
                if (i == 0) i = html.size();
                continue;
            }
            if (name == L"br") {
                breakLine(true);
                continue;
            }
            if (name == L"p" || name == L"/p" || name == L"div" || name == L"/div" ||
                name == L"li" || name == L"tr" || name == L"/tr" || name == L"/h1" || name == L"/h2" ||
                name == L"/h3")
                breakLine(false);
            continue;
        }
        if (Space(c)) {
            pendingSpace = true;
            ++i;
            continue;
        }
        wchar_t ch = c;
        size_t len = 1;
        if (c == L'&') {
            const wchar_t e = Entity(html, i, &len);
            if (e) ch = e; else len = 1;
        }
        if (pendingSpace && !out.empty() && out.back() != L'\n') out.push_back(L' ');
        pendingSpace = false;
        out.push_back(ch);
        i += len;
    }
    while (!out.empty() && (out.back() == L' ' || out.back() == L'\n' || out.back() == L'\r')) out.pop_back();
    return out;
}

}  // namespace htmlview
