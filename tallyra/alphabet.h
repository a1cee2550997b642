// The letter groups of the on-screen keyboard, on the shared tables (common/
// letter_groups.h): the finder matches all four scripts with every keyboard, so that
// a name in any of them is found with any keyboard. A title's search key is one
// group code ('0'..'7', kNoGroup for any other character) per non-space character.
#pragma once
#include <array>
#include <string>

#include "ce_string.h"

namespace tallyra {

// Keyboard alphabets (the KeyboardAlphabet setting, one bit each).
enum Alphabet : unsigned { kLatin = 1, kCyrillic = 2, kHebrew = 4, kGreek = 8 };

constexpr char kNoGroup = '?';

// Lower case of the letters the groups know (Latin-1, Latin Extended-A, Greek,
// Cyrillic); other characters are returned unchanged. The same on every build, so
// that search keys do not depend on the machine's locale.
CeChar LowerChar(CeChar c);

// '0'..'7' for groups 1..8, kNoGroup for any other character (spaces included:
// callers skip them).
char KeyGroupCode(CeChar c);

// One code per non-space character of the title.
std::string SearchKey(const CeChar* title, size_t n);
inline std::string SearchKey(const CeStd& t) { return SearchKey(t.data(), t.size()); }
// The title lower-cased without spaces: what typed characters are matched against.
CeStd TypedKey(const CeStd& title);

// The labels of the eight group keys; any value but Cyrillic, Hebrew or Greek gives
// the Latin labels.
std::array<CeStd, 8> KeyLabels(unsigned alphabet);
size_t LetterCount(const std::array<CeStd, 8>& labels);

}  // namespace tallyra
