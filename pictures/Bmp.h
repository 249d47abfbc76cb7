#pragma once
#include <span>
#include <stdexcept>

#include "Surface.h"

namespace kh {

struct BmpInfo {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
};

// Decodes an uncompressed Windows bitmap of 1, 4, 8 or 24 bits per pixel.
// Throws std::runtime_error on anything else.
Surface decodeBmp(std::span<const unsigned char> bytes, BmpInfo* info = nullptr);

}  // namespace kh
