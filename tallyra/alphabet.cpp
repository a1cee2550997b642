#include "alphabet.h"

#include "letter_groups.h"

namespace tallyra {

namespace {

const olv::LetterGroupTable& Table() {
    static const olv::LetterGroupTable t(olv::MatchingGroups(olv::kAllScripts));
    return t;
}

}  // namespace

CeChar LowerChar(CeChar c) { return CeChar(olv::LowerLetter(char32_t(c))); }

char KeyGroupCode(CeChar c) {
    const int g = Table().Group(char32_t(c));
    return g == olv::LetterGroupTable::kNone ? kNoGroup : char('0' + g);
}

std::string SearchKey(const CeChar* title, size_t n) {
    std::string key;
    key.reserve(n);
    Table().AppendKey(title, n, '0', kNoGroup, true, key);
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
    const olv::KeyLabels labels = olv::ScriptLabels(alphabet);
    std::array<CeStd, 8> out;
    for (size_t g = 0; g < 8; ++g) out[g].assign(labels[g].begin(), labels[g].end());
    return out;
}

size_t LetterCount(const std::array<CeStd, 8>& labels) {
    size_t n = 0;
    for (const CeStd& l : labels) n += l.size();
    return n;
}

}  // namespace tallyra
