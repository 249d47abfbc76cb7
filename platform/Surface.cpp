#include "platform/Surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kh {

int toPixel(float v) { return int(std::floor(double(v) + 0.5)); }

Surface::Surface(int width, int height, Pixel fill)
    : w_(std::max(width, 0)), h_(std::max(height, 0)), px_(std::size_t(w_) * std::size_t(h_), fill) {}

void Surface::fill(Pixel p) { std::fill(px_.begin(), px_.end(), p); }

void Surface::resize(int width, int height, Pixel fill) {
  Surface next(width, height, fill);
  const int cw = std::min(w_, next.w_);
  for (int y = 0; y < std::min(h_, next.h_); ++y)
    std::copy_n(row(y), cw, next.row(y));
  *this = std::move(next);
}

namespace {

template <class Op>
void blendRow(Pixel* d, const Pixel* s, int n, Op op) {
  for (int i = 0; i < n; ++i) d[i] = op(s[i], d[i]);
}

template <class Op>
void blendRowMapped(Pixel* d, const Pixel* srcRow, const int* map, int n, Op op) {
  for (int i = 0; i < n; ++i) d[i] = op(srcRow[map[i]], d[i]);
}

template <class Op>
void paintWith(Surface& dst, const Surface& src, int left, int top, int dw, bool mirrored, Op op) {
  const int sw = src.width();
  const int x0 = std::max(left, 0);
  const int x1 = std::min(left + dw, dst.width());
  const int y0 = std::max(top, 0);
  const int y1 = std::min(top + src.height(), dst.height());
  if (x0 >= x1 || y0 >= y1) return;
  const int n = x1 - x0;
  if (dw == sw && !mirrored) {
    for (int y = y0; y < y1; ++y) blendRow(dst.row(y) + x0, src.row(y - top) + (x0 - left), n, op);
    return;
  }
  // Each destination column samples the source column under its centre.
  std::vector<int> map(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const long t = long(x0 + i - left);
    int sx = int(((2 * t + 1) * sw) / (2L * dw));
    map[std::size_t(i)] = mirrored ? sw - 1 - sx : sx;
  }
  for (int y = y0; y < y1; ++y) blendRowMapped(dst.row(y) + x0, src.row(y - top), map.data(), n, op);
}

}  // namespace

void Surface::paint(const Surface& src, float x1, float y1, std::optional<float> width1, Rop rop) {
  if (src.empty() || empty()) return;
  const float w = width1 ? *width1 : float(src.width());
  const bool mirrored = w < 0;
  const int a = toPixel(x1);
  const int b = toPixel(x1 + w);
  const int left = std::min(a, b);
  const int dw = std::abs(b - a);
  if (dw == 0) return;
  const int top = toPixel(y1);
  switch (rop) {
    case Rop::SrcCopy:
      if (dw == src.width() && !mirrored) {
        const int x0 = std::max(left, 0), xe = std::min(left + dw, w_);
        for (int y = std::max(top, 0); y < std::min(top + src.height(), h_) && x0 < xe; ++y)
          std::memcpy(row(y) + x0, src.row(y - top) + (x0 - left), std::size_t(xe - x0) * sizeof(Pixel));
        return;
      }
      paintWith(*this, src, left, top, dw, mirrored, [](Pixel s, Pixel) { return s; });
      return;
    case Rop::MergePaint:
      paintWith(*this, src, left, top, dw, mirrored, [](Pixel s, Pixel d) { return (~s | d) & 0xffffffu; });
      return;
    case Rop::SrcAnd:
      paintWith(*this, src, left, top, dw, mirrored, [](Pixel s, Pixel d) { return s & d; });
      return;
  }
}

std::int32_t Surface::point(float x, float y) const {
  const int px = toPixel(x), py = toPixel(y);
  if (px < 0 || py < 0 || px >= w_ || py >= h_) return -1;
  return colourValue(at(px, py));
}

}  // namespace kh
