// A small, deterministic PNG encoder for screenshots: 8-bit RGB, stored (not
// compressed) deflate blocks, so that equal pixels always give equal bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace png {

// rgb: height rows of width*3 bytes, top row first.
std::vector<uint8_t> EncodeRgb(int width, int height, const uint8_t* rgb);

// Reads back what EncodeRgb wrote (stored blocks, filter 0), for tests that look at
// screenshots; anything else, or damaged bytes, gives false.
bool DecodeOwnRgb(const uint8_t* data, size_t size, int* width, int* height, std::vector<uint8_t>* rgb);

uint32_t Crc32(const uint8_t* data, size_t len, uint32_t crc = 0);

}  // namespace png
