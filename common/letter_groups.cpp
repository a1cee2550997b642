#include "letter_groups.h"

namespace olv {

namespace {

// The Latin part of each group: the key's letters and their accented forms.
const char16_t* const kLatinGroups[8] = {u"abcàáâãäåæç", u"defèéêë", u"ghiìíîï", u"jkl",
                                         u"mnoñòóôõöø", u"pqrsß",   u"tuvùúûü", u"wxyzýÿ"};

// Labels by script: Latin, Cyrillic, Hebrew, Greek.
const char16_t* const kLabels[4][8] = {
    {u"abc", u"def", u"ghi", u"jkl", u"mno", u"pqrs", u"tuv", u"wxyz"},
    {u"абвг", u"дежз", u"ийкл", u"мноп", u"рсту", u"фхцч", u"щшыь", u"эюя"},
    {u"אבג", u"דהו", u"זחט", u"יכל", u"מנ", u"סעפ", u"צק", u"רשת"},
    {u"αβγ", u"δεζ", u"ηθι", u"κλμ", u"νξο", u"πρσς", u"τυφ", u"χψω"}};

int ScriptRow(unsigned script) {
    switch (script) {
    case kScriptCyrillic: return 1;
    case kScriptHebrew: return 2;
    case kScriptGreek: return 3;
    default: return 0;
    }
}

}  // namespace

char32_t LowerLetter(char32_t u) {
    if (u < 0x80) return (u >= 'A' && u <= 'Z') ? u + 32 : u;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return u + 32;
    if (u >= 0x100 && u <= 0x17F) {
        if (u == 0x178) return 0xFF;
        if ((u >= 0x139 && u <= 0x148) || u >= 0x179) return (u & 1) ? u + 1 : u;
        if (u == 0x130 || u == 0x131 || u == 0x138 || u == 0x149) return u;
        return (u & 1) ? u : u + 1;
    }
    if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return u + 32;
    if (u == 0x386) return 0x3AC;
    if (u >= 0x388 && u <= 0x38A) return u + 37;
    if (u == 0x38C) return 0x3CC;
    if (u == 0x38E || u == 0x38F) return u + 63;
    if (u >= 0x400 && u <= 0x40F) return u + 80;
    if (u >= 0x410 && u <= 0x42F) return u + 32;
    return u;
}

KeyLabels ScriptLabels(unsigned script) {
    const int row = ScriptRow(script);
    KeyLabels out;
    for (size_t g = 0; g < 8; ++g) out[g] = kLabels[row][g];
    return out;
}

size_t LetterCount(const KeyLabels& labels) {
    size_t n = 0;
    for (const auto& l : labels) n += l.size();
    return n;
}

GroupLetters MatchingGroups(unsigned scripts, const std::vector<KeyLabels>& custom) {
    GroupLetters out;
    for (size_t g = 0; g < 8; ++g) {
        if (scripts & kScriptLatin) out[g] += kLatinGroups[g];
        for (unsigned bit : {kScriptCyrillic, kScriptHebrew, kScriptGreek})
            if (scripts & bit) out[g] += kLabels[ScriptRow(bit)][g];
        for (const KeyLabels& c : custom) out[g] += c[g];
    }
    return out;
}

LetterGroupTable::LetterGroupTable() = default;

LetterGroupTable::LetterGroupTable(const GroupLetters& groups) : table_(0x10000, int8_t(kNone)) {
    for (int g = 7; g >= 0; --g)  // lower groups are written last and win
        for (char16_t c : groups[size_t(g)]) table_[LowerLetter(c)] = int8_t(g);
}

}  // namespace olv
