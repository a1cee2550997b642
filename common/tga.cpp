#include "tga.h"

namespace olv {
namespace tga {

namespace {

class Reader {
public:
    Reader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
    bool Skip(size_t k) {
        if (n_ - at_ < k) return false;
        at_ += k;
        return true;
    }
    bool Byte(uint8_t* v) {
        if (at_ >= n_) return false;
        *v = p_[at_++];
        return true;
    }
    // One pixel of `bytes` (3 or 4) bytes, stored blue, green, red[, alpha].
    bool Pixel(int bytes, uint8_t px[4]) {
        if (n_ - at_ < size_t(bytes)) return false;
        px[0] = p_[at_ + 2];
        px[1] = p_[at_ + 1];
        px[2] = p_[at_];
        px[3] = bytes == 4 ? p_[at_ + 3] : 255;
        at_ += size_t(bytes);
        return true;
    }

private:
    const uint8_t* p_;
    size_t n_;
    size_t at_ = 0;
};

}  // namespace

const char* Describe(Error e) {
    switch (e) {
    case Error::kNone: return "ok";
    case Error::kTruncated: return "truncated";
    case Error::kColourMap: return "colour-mapped images are not supported";
    case Error::kType: return "only true-colour images (types 2 and 10) are supported";
    case Error::kDepth: return "only 24- and 32-bit pixels are supported";
    case Error::kDimensions: return "zero or oversized dimensions";
    }
    return "?";
}

Error Decode(const uint8_t* data, size_t size, Image* out) {
    *out = Image();
    if (!data || size < 18) return Error::kTruncated;
    const uint8_t* h = data;
    const int idLength = h[0];
    const int mapType = h[1];
    const int type = h[2];
    const int width = h[12] | (h[13] << 8);
    const int height = h[14] | (h[15] << 8);
    const int bits = h[16];
    // Bit 5 of the descriptor (0x20) marks a top-left origin; bit 4 (0x10) is the
    // right-to-left flag, which no skin tool sets. Reading the row order from 0x10
    // would show every top-down file a real tool writes upside down.
    const bool topDown = (h[17] & 0x20) != 0;
    // A true-colour image may still carry a colour map, but none of ours do and a
    // map whose entries we would have to size from other fields is one more way in.
    // Without a map (type 0) there are no map bytes, and the map's origin, length
    // and entry size mean nothing: some writers leave them non-zero.
    if (mapType != 0) return Error::kColourMap;
    if (type != 2 && type != 10) return Error::kType;
    if (bits != 24 && bits != 32) return Error::kDepth;
    if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
        size_t(width) * size_t(height) > kMaxPixels)
        return Error::kDimensions;

    Reader in(data, size);
    if (!in.Skip(18) || !in.Skip(size_t(idLength))) return Error::kTruncated;

    const size_t count = size_t(width) * size_t(height);
    Image img;
    img.width = width;
    img.height = height;
    img.r.resize(count);
    img.g.resize(count);
    img.b.resize(count);
    img.a.resize(count);
    const int bytes = bits / 8;

    // Pixels arrive as one stream, row after row in file order. A run may cross a
    // row end (older writers do that); it is cut off at the image's end.
    size_t done = 0;
    auto put = [&](const uint8_t px[4]) {
        const size_t fileRow = done / size_t(width);
        const size_t col = done % size_t(width);
        const size_t row = topDown ? fileRow : size_t(height) - 1 - fileRow;
        const size_t at = row * size_t(width) + col;
        img.r[at] = px[0];
        img.g[at] = px[1];
        img.b[at] = px[2];
        img.a[at] = px[3];
        ++done;
    };
    uint8_t px[4];
    if (type == 2) {
        while (done < count) {
            if (!in.Pixel(bytes, px)) return Error::kTruncated;
            put(px);
        }
    } else {
        while (done < count) {
            uint8_t head;
            if (!in.Byte(&head)) return Error::kTruncated;
            size_t n = size_t(head & 127) + 1;
            if (n > count - done) n = count - done;
            if (head & 128) {
                if (!in.Pixel(bytes, px)) return Error::kTruncated;
                for (size_t i = 0; i < n; ++i) put(px);
            } else {
                for (size_t i = 0; i < n; ++i) {
                    if (!in.Pixel(bytes, px)) return Error::kTruncated;
                    put(px);
                }
            }
        }
    }
    *out = std::move(img);
    return Error::kNone;
}

}  // namespace tga
}  // namespace olv
