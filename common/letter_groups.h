// Letter groups: the eight keys of a phone-style keypad, each standing for a group of
// letters, in the Latin, Cyrillic, Hebrew and Greek alphabets and in alphabets the
// user defines. Both the contact finder's keyboard and the Today item's search bar
// narrow lists with them, so the tables, the lower-casing and the lookup live here
// once. Platform-neutral: the same results on every build, whatever the locale.
//
// Where the two programs differ they say so themselves:
//  - the contact finder always matches all four scripts and codes groups '0'..'7'
//    with '?' for no group, skipping spaces;
//  - the Today item matches the scripts its settings make active plus its custom
//    alphabets, and codes groups '1'..'8' with '9' for every other character,
//    spaces included (its match positions are title positions).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace olv {

// Script bits, as both programs store them in their settings.
enum Script : unsigned { kScriptLatin = 1, kScriptCyrillic = 2, kScriptHebrew = 4, kScriptGreek = 8, kAllScripts = 15 };

// Labels of keys 1..8.
using KeyLabels = std::array<std::u16string, 8>;
// The letters each key matches.
using GroupLetters = std::array<std::u16string, 8>;

// Lower case of the letters the groups know (Latin-1, Latin Extended-A, Greek,
// Cyrillic); every other code is returned unchanged.
char32_t LowerLetter(char32_t c);

// The labels of one script; any value that is not a single script bit gives Latin.
KeyLabels ScriptLabels(unsigned script);
size_t LetterCount(const KeyLabels& labels);

// The letters of each group over the scripts in `scripts` (in bit order: Latin with
// its accented letters, then the Cyrillic, Hebrew and Greek labels), followed by
// line k of every custom alphabet. Not lower-cased: LetterGroupTable does that.
GroupLetters MatchingGroups(unsigned scripts, const std::vector<KeyLabels>& custom = {});

// The group of every UTF-16 code, looked up in one step: search keys of thousands of
// titles are built with it at start-up.
class LetterGroupTable {
public:
    static constexpr int kNone = -1;

    LetterGroupTable();  // no letter in any group
    // Letters are lower-cased here, so that a capital in a group (as in a label
    // written with one) matches the lower-cased titles; a letter in two groups
    // belongs to the first.
    explicit LetterGroupTable(const GroupLetters& groups);

    // 0..7, or kNone; `c` is lower-cased first.
    int Group(char32_t c) const {
        const char32_t l = LowerLetter(c);
        return l < table_.size() ? table_[l] : kNone;
    }

    // One code per character of [s, s + n): '0' + group offset `first` for a
    // grouped letter, `none` for anything else; spaces are left out when `skipSpaces`.
    template <typename Ch, typename Out>
    void AppendKey(const Ch* s, size_t n, char first, char none, bool skipSpaces, Out& out) const {
        for (size_t i = 0; i < n; ++i) {
            const char32_t c = char32_t(s[i]);
            if (skipSpaces && c == U' ') continue;
            const int g = Group(c);
            out.push_back(typename Out::value_type(g == kNone ? none : char(first + g)));
        }
    }

private:
    std::vector<int8_t> table_;
};

}  // namespace olv
