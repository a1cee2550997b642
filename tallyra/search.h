// Narrowing the contact list: every contact has a search key (group codes) and a
// typed key (lower-cased title without spaces); the search string is matched
// anywhere in one of them, by keyboard mode. Platform-neutral, so that the list's
// behaviour and speed are tested and measured without a screen.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ce_string.h"

namespace tallyra {

class SearchModel {
public:
    enum class Change { kNone, kNarrowed, kRebuilt };

    void Reserve(size_t n);
    // Adds a contact at the end (database order); returns its index.
    size_t Add(const CeStd& title);
    void Reset();  // no contacts, empty search
    size_t size() const { return keys_.size(); }

    // On-screen keys: 0-7 append a group, 8 deletes the last one; others do nothing.
    Change AppendKey(int key);
    // A character from the device keyboard (typed mode): Backspace deletes, accepted
    // characters are lower-cased and appended, everything else is ignored.
    Change TypeChar(CeChar c);
    Change Clear();
    // Changing the mode clears the search.
    Change SetTypedMode(bool typed);
    bool typedMode() const { return typed_; }

    // Digits, ASCII letters, Backspace and the other characters the titles hold. Spaces
    // never: titles are matched without them, so a typed space could only empty the list.
    bool Accepts(CeChar c) const;

    const CeStd& search() const { return search_; }
    // Indices of the contacts shown, in database order.
    const std::vector<uint32_t>& visible() const { return visible_; }
    // Where the search matched that contact's key, -1 when it does not match.
    int MatchPos(size_t i) const { return match_[i]; }
    const std::string& Key(size_t i) const { return keys_[i]; }

private:
    int Match(size_t i, size_t from) const;
    void Narrow();
    void Rebuild();

    bool typed_ = false;
    CeStd search_;
    std::string keySearch_;  // search_ as group codes, for the key mode
    std::vector<std::string> keys_;
    std::vector<CeStd> typedKeys_;
    std::vector<int> match_;
    std::vector<uint32_t> visible_;
    std::vector<CeChar> extraTyped_;  // sorted
};

// The part of a title the match covers: match positions count the title's non-space
// characters, so the span runs from the character that gave key position `pos` over
// `len` such characters and the spaces among them. [begin, end) in title indices;
// begin == end when nothing is highlighted.
struct Span {
    size_t begin = 0, end = 0;
};
Span HighlightSpan(const CeStd& title, int pos, size_t len);

}  // namespace tallyra
