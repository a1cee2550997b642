#include "png_writer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Walks the chunks, checks every CRC and returns the inflated IDAT (stored blocks only).
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& png, int* w, int* h) {
    size_t pos = 8;
    std::vector<uint8_t> z;
    while (pos + 12 <= png.size()) {
        uint32_t len = Get32(&png[pos]);
        const uint8_t* type = &png[pos + 4];
        EXPECT_EQ(Get32(&png[pos + 8 + len]), png::Crc32(type, len + 4));
        if (!memcmp(type, "IHDR", 4)) {
            *w = int(Get32(type + 4));
            *h = int(Get32(type + 8));
        }
        if (!memcmp(type, "IDAT", 4)) z.insert(z.end(), type + 4, type + 4 + len);
        pos += 12 + len;
    }
    EXPECT_EQ(png.size(), pos);
    std::vector<uint8_t> raw;
    size_t i = 2;
    for (bool last = false; !last;) {
        last = z[i] & 1;
        size_t n = z[i + 1] | z[i + 2] << 8;
        EXPECT_EQ(uint16_t(~n), uint16_t(z[i + 3] | z[i + 4] << 8));
        raw.insert(raw.end(), z.begin() + long(i + 5), z.begin() + long(i + 5 + n));
        i += 5 + n;
    }
    uint32_t a = 1, b = 0;
    for (uint8_t c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    EXPECT_EQ((b << 16) | a, Get32(&z[i]));
    return raw;
}

}  // namespace

TEST(PngWriter, KnownCrc) {
    EXPECT_EQ(0xAE426082u, png::Crc32(reinterpret_cast<const uint8_t*>("IEND"), 4));
}

TEST(PngWriter, PixelsSurviveAcrossSeveralDeflateBlocks) {
    const int w = 240, h = 320;  // more than one 64 KiB stored block
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 7 + i / 3);
    std::vector<uint8_t> png = png::EncodeRgb(w, h, rgb.data());
    ASSERT_EQ(0, memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));
    int gw = 0, gh = 0;
    std::vector<uint8_t> raw = Inflate(png, &gw, &gh);
    EXPECT_EQ(w, gw);
    EXPECT_EQ(h, gh);
    ASSERT_EQ(size_t(h) * (w * 3 + 1), raw.size());
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(0, raw[size_t(y) * (w * 3 + 1)]);
        ASSERT_EQ(0, memcmp(&raw[size_t(y) * (w * 3 + 1) + 1], &rgb[size_t(y) * w * 3], size_t(w) * 3)) << y;
    }
    EXPECT_EQ(png, png::EncodeRgb(w, h, rgb.data()));  // same pixels, same bytes
}

TEST(PngWriter, ScreenshotsReadBackAndDamageIsRefused) {
    const int w = 7, h = 300;
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = uint8_t(i * 13);
    const std::vector<uint8_t> png = png::EncodeRgb(w, h, rgb.data());
    int gw = 0, gh = 0;
    std::vector<uint8_t> back;
    ASSERT_TRUE(png::DecodeOwnRgb(png.data(), png.size(), &gw, &gh, &back));
    EXPECT_EQ(w, gw);
    EXPECT_EQ(h, gh);
    EXPECT_EQ(rgb, back);

    // Every cut-off prefix and a flipped bit in the pixels fail cleanly.
    for (size_t n = 0; n < png.size(); n += 97) EXPECT_FALSE(png::DecodeOwnRgb(png.data(), n, &gw, &gh, &back)) << n;
    std::vector<uint8_t> bad = png;
    bad[200] ^= 0x10;
    EXPECT_FALSE(png::DecodeOwnRgb(bad.data(), bad.size(), &gw, &gh, &back));
}
