// Custom alphabet files: UTF-16 little-endian text whose first eight lines are the
// labels of the eight letter keys. Lines end with LF (a CR before it is dropped); a
// byte-order mark at the start of a line is skipped. A line shorter than three
// characters counted with its CR and mark, or fewer than eight LF-ended lines, make
// the file unusable. The files come from users: any bytes, of any length, odd
// counts included, are read safely.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "letter_groups.h"

namespace olv {

// How much of a file is read: eight labels fit many times over, and a huge file
// costs no more than this.
constexpr size_t kAlphabetFileReadLimit = 64 * 1024;

// The eight labels, or nothing when the file cannot be used. A trailing odd byte is
// not part of any character and is ignored.
std::optional<KeyLabels> ParseAlphabetFile(const uint8_t* data, size_t size);

}  // namespace olv
