#include "search.h"

#include <algorithm>
#include <cstring>

#include "alphabet.h"

namespace tallyra {

namespace {

bool BaseAccepted(CeChar c) {
    return c == 8 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// First occurrence of `what` in `in` at or after `from`, -1 when none.
template <typename S>
int FindFrom(const S& in, const S& what, size_t from) {
    const size_t pos = in.find(what, from);
    return pos == S::npos ? -1 : int(pos);
}

}  // namespace

void SearchModel::Reserve(size_t n) {
    keys_.reserve(n);
    typedKeys_.reserve(n);
    match_.reserve(n);
    visible_.reserve(n);
}

size_t SearchModel::Add(const CeStd& title) {
    const size_t i = keys_.size();
    keys_.push_back(SearchKey(title));
    typedKeys_.push_back(TypedKey(title));
    for (CeChar c : title) {
        if (c == ' ' || BaseAccepted(c)) continue;
        const CeChar lower = LowerChar(c);
        auto at = std::lower_bound(extraTyped_.begin(), extraTyped_.end(), lower);
        if (at == extraTyped_.end() || *at != lower) extraTyped_.insert(at, lower);
    }
    const int m = Match(i, 0);
    match_.push_back(m);
    if (search_.empty() || m >= 0) visible_.push_back(uint32_t(i));
    return i;
}

void SearchModel::Reset() {
    keys_.clear();
    typedKeys_.clear();
    match_.clear();
    visible_.clear();
    extraTyped_.clear();
    search_.clear();
    keySearch_.clear();
}

bool SearchModel::Accepts(CeChar c) const {
    if (c == ' ') return false;
    return BaseAccepted(c) || std::binary_search(extraTyped_.begin(), extraTyped_.end(), LowerChar(c));
}

int SearchModel::Match(size_t i, size_t from) const {
    if (search_.empty()) return 0;
    return typed_ ? FindFrom(typedKeys_[i], search_, from) : FindFrom(keys_[i], keySearch_, from);
}

// The search only grew: a contact that did not match before cannot match now, and one
// that did can only match at or after its old position.
void SearchModel::Narrow() {
    size_t out = 0;
    for (size_t k = 0; k < visible_.size(); ++k) {
        const uint32_t i = visible_[k];
        const int m = Match(i, size_t(std::max(match_[i], 0)));
        match_[i] = m;
        if (m >= 0) visible_[out++] = i;
    }
    visible_.resize(out);
}

void SearchModel::Rebuild() {
    visible_.clear();
    for (size_t i = 0; i < keys_.size(); ++i) {
        const int m = Match(i, 0);
        match_[i] = m;
        if (m >= 0) visible_.push_back(uint32_t(i));
    }
}

SearchModel::Change SearchModel::AppendKey(int key) {
    if (key >= 0 && key <= 7) {
        search_.push_back(CeChar('0' + key));
        keySearch_.push_back(char('0' + key));
        Narrow();
        return Change::kNarrowed;
    }
    if (key == 8 && !search_.empty()) {
        search_.pop_back();
        if (!keySearch_.empty()) keySearch_.pop_back();
        Rebuild();
        return Change::kRebuilt;
    }
    return Change::kNone;
}

SearchModel::Change SearchModel::TypeChar(CeChar c) {
    if (!Accepts(c)) return Change::kNone;
    if (c == 8) {
        if (search_.empty()) return Change::kNone;
        search_.pop_back();
        Rebuild();
        return Change::kRebuilt;
    }
    search_.push_back(LowerChar(c));
    Narrow();
    return Change::kNarrowed;
}

SearchModel::Change SearchModel::Clear() {
    if (search_.empty()) return Change::kNone;
    search_.clear();
    keySearch_.clear();
    Rebuild();
    return Change::kRebuilt;
}

SearchModel::Change SearchModel::SetTypedMode(bool typed) {
    if (typed == typed_) return Change::kNone;
    typed_ = typed;
    // The two modes' search strings mean different things.
    search_.clear();
    keySearch_.clear();
    Rebuild();
    return Change::kRebuilt;
}

Span HighlightSpan(const CeStd& title, int pos, size_t len) {
    Span s;
    if (pos < 0 || len == 0) return s;
    size_t seen = 0, i = 0;
    const size_t first = size_t(pos), last = size_t(pos) + len;  // in non-space characters
    bool started = false;
    for (; i < title.size(); ++i) {
        if (title[i] == ' ') continue;
        if (seen == first) {
            s.begin = i;
            started = true;
        }
        ++seen;
        if (seen == last) {
            s.end = i + 1;
            return s;
        }
    }
    if (!started) return Span();
    s.end = title.size();
    return s;
}

}  // namespace tallyra
