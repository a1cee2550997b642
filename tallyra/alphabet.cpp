#include "alphabet.h"

#include <vector>

namespace tallyra {

namespace {

// Letters matched by each group, after lower-casing: Latin with its accented forms,
// then Cyrillic, Hebrew and Greek.
const char16_t* const kGroups[8] = {
    u"abcàáâãäåæçабвгאבגαβγ",      u"defèéêëдежзדהוδεζ", u"ghiìíîïийклזחטηθι",
    u"jklмнопיכלκλμ",               u"mnoñòóôõöøрстуמנνξο", u"pqrsßфхцчסעפπρσς",
    u"tuvùúûüщшыьצקτυφ",            u"wxyzýÿzэюяרשתχψω"};

const char16_t* const kLabels[4][8] = {
    {u"abc", u"def", u"ghi", u"jkl", u"mno", u"pqrs", u"tuv", u"wxyz"},
    {u"абвг", u"дежз", u"ийкл", u"мноп", u"рсту", u"фхцч", u"щшыь", u"эюя"},
    {u"אבג", u"דהו", u"זחט", u"יכל", u"מנ", u"סעפ", u"צק", u"רשת"},
    {u"αβγ", u"δεζ", u"ηθι", u"κλμ", u"νξο", u"πρσς", u"τυφ", u"χψω"}};

// Every grouped letter lies below U+0600: one table lookup per character, which the
// search keys of thousands of titles are built with at start-up.
constexpr size_t kTableSize = 0x600;

struct GroupTable {
    std::vector<char> code;
    GroupTable() : code(kTableSize, kNoGroup) {
        // Lower groups win: a letter in two groups (none today) takes the first.
        for (int g = 7; g >= 0; --g)
            for (const char16_t* p = kGroups[g]; *p; ++p) code[*p] = char('0' + g);
    }
};

const GroupTable& Table() {
    static const GroupTable t;
    return t;
}

CeStd Wide(const char16_t* s) {
    CeStd out;
    for (; *s; ++s) out.push_back(CeChar(*s));
    return out;
}

}  // namespace

CeChar LowerChar(CeChar c) {
    const unsigned u = unsigned(c);
    if (u < 0x80) return (u >= 'A' && u <= 'Z') ? CeChar(u + 32) : c;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return CeChar(u + 32);
    if (u >= 0x100 && u <= 0x17F) {
        if (u == 0x178) return CeChar(0xFF);
        if ((u >= 0x139 && u <= 0x148) || u >= 0x179) return (u & 1) ? CeChar(u + 1) : c;
        if (u == 0x130 || u == 0x131 || u == 0x138 || u == 0x149) return c;
        return (u & 1) ? c : CeChar(u + 1);
    }
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return CeChar(u + 32);
    if (u == 0x386) return CeChar(0x3AC);
    if (u >= 0x388 && u <= 0x38A) return CeChar(u + 37);
    if (u == 0x38C) return CeChar(0x3CC);
    if (u == 0x38E || u == 0x38F) return CeChar(u + 63);
    if (u >= 0x400 && u <= 0x40F) return CeChar(u + 80);
    if (u >= 0x410 && u <= 0x42F) return CeChar(u + 32);
    return c;
}

char KeyGroupCode(CeChar c) {
    const unsigned u = unsigned(LowerChar(c));
    return u < kTableSize ? Table().code[u] : kNoGroup;
}

std::string SearchKey(const CeChar* title, size_t n) {
    const GroupTable& t = Table();
    std::string key;
    key.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        if (title[i] == ' ') continue;
        const unsigned u = unsigned(LowerChar(title[i]));
        key.push_back(u < kTableSize ? t.code[u] : kNoGroup);
    }
    return key;
}

CeStd TypedKey(const CeStd& title) {
    CeStd out;
    out.reserve(title.size());
    for (CeChar c : title)
        if (c != ' ') out.push_back(LowerChar(c));
    return out;
}

std::array<CeStd, 8> KeyLabels(unsigned alphabet) {
    const int row = alphabet == kCyrillic ? 1 : alphabet == kHebrew ? 2 : alphabet == kGreek ? 3 : 0;
    std::array<CeStd, 8> out;
    for (int g = 0; g < 8; ++g) out[size_t(g)] = Wide(kLabels[row][g]);
    return out;
}

size_t LetterCount(const std::array<CeStd, 8>& labels) {
    size_t n = 0;
    for (const CeStd& l : labels) n += l.size();
    return n;
}

}  // namespace tallyra
