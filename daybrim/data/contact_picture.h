// Contact photos, decoded by the handheld's imaging library.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

namespace daybrim {

// Decodes a picture stream and scales it to fit a box x box square, keeping its
// aspect ratio, drawn on white. Returns null for a picture that cannot be decoded or
// has no size; otherwise a bitmap the caller owns, with its size.
HBITMAP DecodeContactPicture(const std::vector<uint8_t>& bytes, int box, int* width, int* height);

}  // namespace daybrim
