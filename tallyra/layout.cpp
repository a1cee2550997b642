#include "layout.h"

namespace tallyra {

int ScaleDpi(int v, int dpi) {
    const long long a = v < 0 ? -(long long)v : v;
    const long long r = (a * dpi + 48) / 96;
    return int(v < 0 ? -r : r);
}

int KeyboardRows(int mode) { return mode == 1 ? 1 : (mode == 2 || mode == 3) ? 3 : 0; }

std::vector<KeyRect> ThumbKeys(int mode, int w, int h) {
    std::vector<KeyRect> keys;
    const int cols = mode == 3 ? 4 : 3;
    static const int kIds3x4[12] = {9, 0, 1, 8, 2, 3, 4, 10, 5, 6, 7, 11};
    for (int i = 0; i < cols * 3; ++i) {
        const int r = i / cols, c = i % cols;
        KeyRect k;
        k.id = mode == 3 ? kIds3x4[i] : i;
        k.left = c * (w / cols);
        k.right = c == cols - 1 ? w : (c + 1) * (w / cols);
        k.top = r * (h / 3);
        k.bottom = r == 2 ? h : (r + 1) * (h / 3);
        keys.push_back(k);
    }
    return keys;
}

std::vector<KeyRect> CompactKeys(const std::array<size_t, 8>& letters, int w, int h, int minDelete) {
    size_t total = 0;
    for (size_t n : letters) total += n;
    const int room = w - minDelete;
    const int unit = total && room > 0 ? int(size_t(room) / total) : 0;
    std::vector<KeyRect> keys;
    int x = 0;
    for (int k = 0; k < 8; ++k) {
        const int width = unit * int(letters[size_t(k)]);
        keys.push_back({k, x, 0, x + width, h});
        x += width;
    }
    keys.push_back({8, x, 0, w > x ? w : x, h});
    return keys;
}

namespace {

// A run of digits from `at`; false when there is none or it is above `max`.
bool Digits(const CeStd& s, size_t* at, unsigned max, unsigned* out) {
    unsigned v = 0;
    size_t i = *at;
    bool any = false, over = false;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        any = true;
        if (!over) {
            v = v * 10 + unsigned(s[i] - '0');
            over = v > max;  // stop before an overflow, whatever the run's length
        }
    }
    *at = i;
    *out = v;
    return any && !over;
}

}  // namespace

bool ParseColour(const CeStd& text, uint32_t* rgb) {
    unsigned part[3];
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (at >= text.size()) return false;
            ++at;  // one separator, whatever it is
        }
        if (!Digits(text, &at, 255, &part[i])) return false;
    }
    *rgb = part[0] | (part[1] << 8) | (part[2] << 16);  // COLORREF order
    return true;
}

bool ParseSize(const CeStd& text, int* out) {
    size_t at = 0;
    unsigned v;
    if (!Digits(text, &at, 200, &v) || v == 0) return false;
    *out = int(v);
    return true;
}

}  // namespace tallyra
