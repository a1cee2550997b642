// A TGA picture with alpha (the phone-type icons), from a skin file or a "TARGA"
// resource, drawn over whatever is below it.
#pragma once
#include <windows.h>

#include "ce_string.h"
#include "tga.h"

namespace tallyra {

class CTgaImage {
public:
    bool LoadFile(const CeString& path);
    bool LoadResource(HMODULE module, int id);
    bool empty() const { return img_.width == 0; }
    int width() const { return img_.width; }
    int height() const { return img_.height; }
    void Draw(HDC dc, int x, int y) const;

private:
    olv::tga::Image img_;
};

// out = (src * a + dst * (255 - a) + 128), then (out + (out >> 8)) >> 8: exact /255.
inline uint8_t BlendChannel(uint8_t src, uint8_t dst, uint8_t a) {
    unsigned v = unsigned(src) * a + unsigned(dst) * (255u - a) + 128u;
    return uint8_t((v + (v >> 8)) >> 8);
}

}  // namespace tallyra
