// Decoder for the true-colour TGA files that skins carry: image types 2
// (uncompressed) and 10 (run-length encoded), 24 or 32 bits per pixel, either row
// origin. Platform-neutral: the bytes may come from a file, a resource or anyone,
// so every read is bounds-checked and nothing past the image is ever written.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace olv {
namespace tga {

// Larger than any skin picture by far, small enough that a forged header cannot
// make us allocate gigabytes.
const int kMaxDimension = 4096;
const size_t kMaxPixels = size_t(2048) * 2048;

// Four planes, width x height bytes each, top row first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> r, g, b, a;
};

enum class Error {
    kNone,
    kTruncated,   // the data ends before the header or the pixels do
    kColourMap,   // a colour-mapped image (or colour-map data) is not supported
    kType,        // not image type 2 or 10
    kDepth,       // not 24 or 32 bits per pixel
    kDimensions,  // zero, or beyond the limits above
};

// On failure `out` is left empty.
Error Decode(const uint8_t* data, size_t size, Image* out);
const char* Describe(Error e);

}  // namespace tga
}  // namespace olv
