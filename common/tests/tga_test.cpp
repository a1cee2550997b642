// The TGA decoder: files written by ImageMagick in every variant it accepts, and
// hand-made headers for the faults a forged or damaged file can carry.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tga.h"

namespace {

using olv::tga::Decode;
using olv::tga::Error;
using olv::tga::Image;

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// The source picture: a binary PAM (P7, RGB_ALPHA).
bool ReadPam(const std::string& path, Image* out) {
    std::vector<uint8_t> d = ReadAll(path);
    const std::string text(d.begin(), d.end());
    const size_t end = text.find("ENDHDR\n");
    if (end == std::string::npos) return false;
    int w = 0, h = 0;
    if (sscanf(text.c_str() + text.find("WIDTH"), "WIDTH %d", &w) != 1 ||
        sscanf(text.c_str() + text.find("HEIGHT"), "HEIGHT %d", &h) != 1)
        return false;
    const size_t at = end + 7;
    if (d.size() < at + size_t(w * h * 4)) return false;
    out->width = w;
    out->height = h;
    for (int i = 0; i < w * h; ++i) {
        out->r.push_back(d[at + i * 4]);
        out->g.push_back(d[at + i * 4 + 1]);
        out->b.push_back(d[at + i * 4 + 2]);
        out->a.push_back(d[at + i * 4 + 3]);
    }
    return true;
}

std::vector<uint8_t> Header(int type, int bits, int w, int h, int desc = 0x20, int idLen = 0) {
    std::vector<uint8_t> v(18, 0);
    v[0] = uint8_t(idLen);
    v[2] = uint8_t(type);
    v[12] = uint8_t(w);
    v[13] = uint8_t(w >> 8);
    v[14] = uint8_t(h);
    v[15] = uint8_t(h >> 8);
    v[16] = uint8_t(bits);
    v[17] = uint8_t(desc);
    return v;
}

Error DecodeVec(const std::vector<uint8_t>& v, Image* img) { return Decode(v.data(), v.size(), img); }

}  // namespace

#ifdef TGA_HAVE_VARIANTS
class ImageMagickVariant : public ::testing::TestWithParam<const char*> {};

TEST_P(ImageMagickVariant, DecodesToTheSourcePixels) {
    Image src, img;
    ASSERT_TRUE(ReadPam(TGA_SOURCE, &src));
    const std::string name = GetParam();
    const std::vector<uint8_t> file = ReadAll(std::string(TGA_VARIANTS) + "/" + name + ".tga");
    ASSERT_FALSE(file.empty()) << name;
    ASSERT_EQ(Error::kNone, DecodeVec(file, &img)) << name;
    ASSERT_EQ(src.width, img.width);
    ASSERT_EQ(src.height, img.height);
    const bool alpha = name.find("Alpha") != std::string::npos;
    for (int i = 0; i < src.width * src.height; ++i) {
        SCOPED_TRACE(name + " pixel " + std::to_string(i));
        ASSERT_EQ(src.r[i], img.r[i]);
        ASSERT_EQ(src.g[i], img.g[i]);
        ASSERT_EQ(src.b[i], img.b[i]);
        ASSERT_EQ(alpha ? src.a[i] : 255, img.a[i]);
    }
    // Every prefix of the file is a truncated image, never a crash or a success.
    for (size_t n = 0; n < file.size(); ++n) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + long(n));
        ASSERT_NE(Error::kNone, DecodeVec(cut, &img)) << name << " cut at " << n;
        ASSERT_TRUE(img.r.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(AllAccepted, ImageMagickVariant,
                         ::testing::Values("None-TrueColor-TopLeft", "None-TrueColor-BottomLeft",
                                           "None-TrueColorAlpha-TopLeft", "None-TrueColorAlpha-BottomLeft",
                                           "RLE-TrueColor-TopLeft", "RLE-TrueColor-BottomLeft",
                                           "RLE-TrueColorAlpha-TopLeft", "RLE-TrueColorAlpha-BottomLeft",
                                           "RLE-TrueColorAlpha-Comment"));
#endif

TEST(TgaDecode, RunPacketRepeatsItsPixelAndRowsFollowTheOrigin) {
    // 2x2, bottom-up: 0x83 repeats one pixel four times.
    std::vector<uint8_t> v = Header(10, 24, 2, 2, 0x00);
    v.insert(v.end(), {0x83, 10, 20, 30});
    Image img;
    ASSERT_EQ(Error::kNone, DecodeVec(v, &img));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(30, img.r[i]);
        EXPECT_EQ(20, img.g[i]);
        EXPECT_EQ(10, img.b[i]);
        EXPECT_EQ(255, img.a[i]);
    }
    // Uncompressed 1x2 bottom-up: the first file row is the bottom one.
    v = Header(2, 32, 1, 2, 0x08);
    v.insert(v.end(), {1, 2, 3, 4, 5, 6, 7, 8});
    ASSERT_EQ(Error::kNone, DecodeVec(v, &img));
    EXPECT_EQ(7, img.r[0]);
    EXPECT_EQ(8, img.a[0]);
    EXPECT_EQ(3, img.r[1]);
    EXPECT_EQ(4, img.a[1]);
}

TEST(TgaDecode, RunsPastTheImageAreCutOffAndMayCrossRows) {
    // 3x2 top-down: a run of 128 covers the whole image and no more.
    std::vector<uint8_t> v = Header(10, 32, 3, 2);
    v.insert(v.end(), {0xFF, 1, 2, 3, 4});
    Image img;
    ASSERT_EQ(Error::kNone, DecodeVec(v, &img));
    EXPECT_EQ(6u, img.a.size());
    // A literal packet of 4 pixels crossing from row 0 into row 1, then a run of 2.
    v = Header(10, 24, 3, 2);
    v.insert(v.end(), {0x03, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0x81, 0, 0, 9});
    ASSERT_EQ(Error::kNone, DecodeVec(v, &img));
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4, 9, 9}), img.r);
}

TEST(TgaDecode, RejectsWhatItCannotReadSafely) {
    Image img;
    EXPECT_EQ(Error::kTruncated, Decode(nullptr, 0, &img));
    EXPECT_EQ(Error::kTruncated, DecodeVec(std::vector<uint8_t>(17, 0), &img));
    std::vector<uint8_t> v = Header(2, 16, 1, 1);
    v.insert(v.end(), {0, 0});
    EXPECT_EQ(Error::kDepth, DecodeVec(v, &img));  // never read as 24-bit
    EXPECT_EQ(Error::kDepth, DecodeVec(Header(2, 8, 1, 1), &img));
    EXPECT_EQ(Error::kType, DecodeVec(Header(1, 24, 1, 1), &img));
    EXPECT_EQ(Error::kType, DecodeVec(Header(3, 24, 1, 1), &img));
    v = Header(2, 24, 1, 1);
    v[1] = 1;
    EXPECT_EQ(Error::kColourMap, DecodeVec(v, &img));
    EXPECT_EQ(Error::kDimensions, DecodeVec(Header(2, 24, 0, 5), &img));
    EXPECT_EQ(Error::kDimensions, DecodeVec(Header(2, 24, 5, 0), &img));
    EXPECT_EQ(Error::kDimensions, DecodeVec(Header(2, 32, 65535, 65535), &img));
    EXPECT_EQ(Error::kDimensions, DecodeVec(Header(2, 32, 4096, 4096), &img));  // past the pixel budget
    // The ID field runs past the end of the data.
    EXPECT_EQ(Error::kTruncated, DecodeVec(Header(2, 24, 1, 1, 0x20, 200), &img));
    // A run packet whose pixel is missing, and a literal packet short of pixels.
    v = Header(10, 24, 2, 1);
    v.insert(v.end(), {0x81, 1, 2});
    EXPECT_EQ(Error::kTruncated, DecodeVec(v, &img));
    v = Header(10, 24, 2, 1);
    v.insert(v.end(), {0x01, 1, 2, 3});
    EXPECT_EQ(Error::kTruncated, DecodeVec(v, &img));
    EXPECT_EQ(0, img.width);
    EXPECT_TRUE(img.a.empty());
}

TEST(TgaDecode, MapFieldsWithoutAMapAreIgnored) {
    // No map (type 0) but a map origin, length and entry size left filled in: the
    // pixels start straight after the header (and the ID), not after map entries.
    std::vector<uint8_t> v = Header(2, 24, 2, 1, 0x20, 1);
    v[3] = 5;
    v[5] = 0xFF;
    v[6] = 0xFF;
    v[7] = 32;
    v.insert(v.end(), {0xEE, 1, 2, 3, 4, 5, 6});
    Image img;
    ASSERT_EQ(Error::kNone, DecodeVec(v, &img));
    EXPECT_EQ((std::vector<uint8_t>{3, 6}), img.r);
    EXPECT_EQ((std::vector<uint8_t>{1, 4}), img.b);
    EXPECT_EQ((std::vector<uint8_t>{255, 255}), img.a);
    // A map that is there, or a colour-mapped image, is still refused.
    v[1] = 1;
    EXPECT_EQ(Error::kColourMap, DecodeVec(v, &img));
    v[1] = 0;
    v[2] = 1;
    EXPECT_EQ(Error::kType, DecodeVec(v, &img));
    v[2] = 9;
    EXPECT_EQ(Error::kType, DecodeVec(v, &img));
}
