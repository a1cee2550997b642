// A picture shipped in the resolution libraries decodes to the art it was drawn
// from, the right way up (the converter's origin flag has fooled us before).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "tga.h"

namespace {

std::vector<uint8_t> ReadAll(const char* path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(ShippedPictures, DecodeUprightAsDrawn) {
    const std::vector<uint8_t> file = ReadAll(PROBE_TGA), raw = ReadAll(PROBE_RAW);
    olv::tga::Image img;
    ASSERT_EQ(olv::tga::Error::kNone, olv::tga::Decode(file.data(), file.size(), &img));
    ASSERT_EQ(size_t(img.width) * size_t(img.height) * 4, raw.size());
    int opaqueTop = 0, opaqueBottom = 0, mismatches = 0;
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            const size_t i = size_t(y) * size_t(img.width) + size_t(x);
            if (std::abs(int(img.a[i]) - int(raw[i * 4 + 3])) > 2) ++mismatches;
            (y < img.height / 2 ? opaqueTop : opaqueBottom) += img.a[i] > 128;
        }
    }
    EXPECT_EQ(0, mismatches);
    // Not symmetric top to bottom, or the comparison above would prove nothing.
    EXPECT_NE(opaqueTop, opaqueBottom);
}
