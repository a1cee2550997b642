#include "png_writer.h"

#include <cstring>

namespace png {

uint32_t Crc32(const uint8_t* data, size_t len, uint32_t crc) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    crc = ~crc;
    for (size_t i = 0; i < len; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void Chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    Put32(out, uint32_t(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    Put32(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

std::vector<uint8_t> EncodeRgb(int width, int height, const uint8_t* rgb) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    Put32(ihdr, uint32_t(width));
    Put32(ihdr, uint32_t(height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    Chunk(out, "IHDR", ihdr);

    // Raw scanlines, each with filter byte 0.
    const size_t row = size_t(width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((row + 1) * size_t(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb + row * size_t(y), rgb + row * size_t(y + 1));
    }

    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = raw.size() - pos;
        if (n > 65535) n = 65535;
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    Put32(z, (b << 16) | a);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return out;
}

namespace {

uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

}  // namespace

bool DecodeOwnRgb(const uint8_t* data, size_t size, int* width, int* height, std::vector<uint8_t>* rgb) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || memcmp(data, kSignature, 8) != 0) return false;
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> z;
    for (size_t at = 8; at + 12 <= size;) {
        const uint32_t len = Get32(data + at);
        if (len > size - at - 12) return false;
        const uint8_t* type = data + at + 4;
        if (Get32(type + 4 + len) != Crc32(type, len + 4)) return false;
        if (!memcmp(type, "IHDR", 4)) {
            if (len != 13 || type[12] != 8 || type[13] != 2) return false;
            w = Get32(type + 4);
            h = Get32(type + 8);
        } else if (!memcmp(type, "IDAT", 4)) {
            z.insert(z.end(), type + 4, type + 4 + len);
        }
        at += 12 + len;
    }
    if (w == 0 || h == 0 || w > 16384 || h > 16384) return false;
    std::vector<uint8_t> raw;
    size_t i = 2;
    for (bool last = false; !last;) {
        if (i + 5 > z.size()) return false;
        last = z[i] & 1;
        const size_t n = size_t(z[i + 1]) | size_t(z[i + 2]) << 8;
        if (n > z.size() - i - 5) return false;
        raw.insert(raw.end(), z.begin() + long(i + 5), z.begin() + long(i + 5 + n));
        i += 5 + n;
    }
    const size_t row = size_t(w) * 3 + 1;
    if (raw.size() != row * h) return false;
    rgb->clear();
    rgb->reserve(size_t(w) * 3 * h);
    for (uint32_t y = 0; y < h; ++y) {
        if (raw[row * y] != 0) return false;
        rgb->insert(rgb->end(), raw.begin() + long(row * y + 1), raw.begin() + long(row * (y + 1)));
    }
    *width = int(w);
    *height = int(h);
    return true;
}

}  // namespace png
