// The one blending rule of every alpha drawing of the item: a source channel s
// over a destination channel d at opacity a (0..255) gives
// v = s*a + d*(255-a) + 128, result (v + (v >> 8)) >> 8 -- exact division by 255,
// rounded. Platform-neutral.
#pragma once
#include <cstdint>

namespace daybrim {

inline uint8_t BlendChannel(uint32_t s, uint32_t d, uint32_t a) {
    if (a > 255) a = 255;
    const uint32_t v = (s & 255) * a + (d & 255) * (255 - a) + 128;
    return uint8_t((v + (v >> 8)) >> 8);
}

// Colour a over colour b (COLORREF 0x00BBGGRR) at opacity 0..255.
inline uint32_t BlendColour(uint32_t a, uint32_t b, uint32_t opacity) {
    return uint32_t(BlendChannel(a, b, opacity)) | (uint32_t(BlendChannel(a >> 8, b >> 8, opacity)) << 8) |
           (uint32_t(BlendChannel(a >> 16, b >> 16, opacity)) << 16);
}

// Blends `colour` over `count` pixels of a 24-bit DIB row (blue, green, red).
inline void BlendRowBGR(uint8_t* px, int count, uint32_t colour, uint32_t opacity) {
    const uint32_t r = colour & 255, g = (colour >> 8) & 255, b = (colour >> 16) & 255;
    for (int i = 0; i < count; ++i, px += 3) {
        px[0] = BlendChannel(b, px[0], opacity);
        px[1] = BlendChannel(g, px[1], opacity);
        px[2] = BlendChannel(r, px[2], opacity);
    }
}

}  // namespace daybrim
