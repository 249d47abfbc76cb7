#include "Bmp.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace kh {

namespace {

std::uint32_t le32(std::span<const unsigned char> b, std::size_t at) {
  if (at + 4 > b.size()) throw std::runtime_error("bitmap is truncated");
  return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
         std::uint32_t(b[at + 3]) << 24;
}

std::uint16_t le16(std::span<const unsigned char> b, std::size_t at) {
  if (at + 2 > b.size()) throw std::runtime_error("bitmap is truncated");
  return std::uint16_t(b[at] | b[at + 1] << 8);
}

}  // namespace

Surface decodeBmp(std::span<const unsigned char> b, BmpInfo* info) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') throw std::runtime_error("not a bitmap");
  const std::uint32_t dataAt = le32(b, 10);
  const std::uint32_t headerSize = le32(b, 14);
  const int width = std::int32_t(le32(b, 18));
  const int rawHeight = std::int32_t(le32(b, 22));
  const int bpp = le16(b, 28);
  const std::uint32_t compression = le32(b, 30);
  std::uint32_t colours = le32(b, 46);
  if (compression != 0) throw std::runtime_error("compressed bitmaps are not supported");
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24) throw std::runtime_error("unsupported depth " + std::to_string(bpp));
  if (width <= 0 || rawHeight == 0 || width > 8192 || std::abs(rawHeight) > 8192)
    throw std::runtime_error("bad bitmap size");
  const bool bottomUp = rawHeight > 0;
  const int height = std::abs(rawHeight);

  std::vector<Pixel> palette;
  if (bpp <= 8) {
    if (colours == 0) colours = 1u << bpp;
    const std::size_t at = 14 + headerSize;
    for (std::uint32_t i = 0; i < colours; ++i) {
      const std::size_t p = at + 4 * i;
      if (p + 3 > b.size()) throw std::runtime_error("bitmap is truncated");
      palette.push_back(rgb(b[p + 2], b[p + 1], b[p]));  // stored blue, green, red
    }
  }
  const std::size_t stride = ((std::size_t(width) * std::size_t(bpp) + 31) / 32) * 4;
  if (dataAt + stride * std::size_t(height) > b.size()) throw std::runtime_error("bitmap is truncated");

  Surface s(width, height, kWhite);
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = b.data() + dataAt + stride * std::size_t(bottomUp ? height - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      Pixel p = 0;
      if (bpp == 24) {
        p = rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
      } else {
        unsigned idx = 0;
        if (bpp == 8) idx = row[x];
        else if (bpp == 4) idx = (row[x / 2] >> ((x % 2) ? 0 : 4)) & 0xf;
        else idx = (row[x / 8] >> (7 - x % 8)) & 1;
        if (idx >= palette.size()) throw std::runtime_error("bitmap colour index out of range");
        p = palette[idx];
      }
      s.set(x, y, p);
    }
  }
  if (info) *info = {width, height, bpp};
  return s;
}

}  // namespace kh
