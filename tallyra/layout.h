// The finder's geometry: design pixels at 96 dpi scaled to the screen, the keys of
// the three keyboard layouts, and the skin's keyboard values.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "ce_string.h"

namespace tallyra {

// sign(v) * ((|v| * dpi + 48) / 96).
int ScaleDpi(int v, int dpi);

struct KeyRect {
    int id;  // 0-7 groups, 8 delete, 9-11 blank
    int left, top, right, bottom;
};

// Rows of keys in a keyboard of that mode (0 for mode 0).
int KeyboardRows(int mode);
// The keys of modes 2 and 3 in creation order, in a keyboard of w x h.
std::vector<KeyRect> ThumbKeys(int mode, int w, int h);
// Mode 1: one row; each group key is as wide as its letters, the delete key takes
// the rest (at least minDelete). letters[k] = letters on key k.
std::vector<KeyRect> CompactKeys(const std::array<size_t, 8>& letters, int w, int h, int minDelete);

// "r,g,b" with any single non-digit between the numbers; false (keep the default)
// unless all three are present and none is above 255.
bool ParseColour(const CeStd& text, uint32_t* rgb);
// A leading decimal number (font size); false when there is none or it is absurd.
bool ParseSize(const CeStd& text, int* out);

}  // namespace tallyra
