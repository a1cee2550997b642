// Right-to-left text in display order: the handheld's text drawing shows Hebrew (and
// Arabic) letters right to left, with the Unicode bidirectional algorithm (UAX #9),
// while strings are stored in reading order. Here that algorithm is ours, for one
// paragraph without explicit embeddings: what contact names, subjects and labels
// hold (letters of both directions, digits, punctuation, spaces). Platform-neutral.
#pragma once
#include <cstddef>
#include <vector>

namespace cesim {

// The display order of a line of UTF-16 text. rtl: the paragraph reads right to
// left (the caller asked for right-to-left reading); otherwise left to right.
// Returns false when nothing moves (no right-to-left letter, the common case): the
// outputs are then untouched. Otherwise `order` gets, for each display position,
// the index of the character shown there, and `visual` the text in display order,
// with brackets inside right-to-left runs mirrored.
bool BidiDisplayOrder(const char16_t* text, size_t n, bool rtl, std::vector<size_t>* order,
                      std::vector<char16_t>* visual);

}  // namespace cesim
