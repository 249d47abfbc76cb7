#include "Surface.h"

#include <algorithm>
#include <array>
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

// Where a draw lands: its clipped destination box and, for a stretched or mirrored draw,
// which source column each destination column takes.
struct Placement {
  int left = 0, top = 0, dw = 0;
  bool mirrored = false;
  int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  bool direct = false;          // same width, not mirrored: columns map one to one
  std::array<int, 1024> small{};  // the column map, on the stack for any usual draw
  std::vector<int> large;

  const int* map() const { return large.empty() ? small.data() : large.data(); }

  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Placement place(const Surface& dst, const Surface& src, float x1, float y1, std::optional<float> width1) {
  Placement p;
  const float w = width1 ? *width1 : float(src.width());
  p.mirrored = w < 0;
  const int a = toPixel(x1);
  const int b = toPixel(x1 + w);
  p.left = std::min(a, b);
  p.dw = std::abs(b - a);
  p.top = toPixel(y1);
  p.x0 = std::max(p.left, 0);
  p.x1 = std::min(p.left + p.dw, dst.width());
  p.y0 = std::max(p.top, 0);
  p.y1 = std::min(p.top + src.height(), dst.height());
  if (p.dw == 0 || p.empty()) {
    p.x1 = p.x0;
    return p;
  }
  p.direct = p.dw == src.width() && !p.mirrored;
  if (!p.direct) {
    // Each destination column samples the source column under its centre; a mirrored draw
    // is exactly the plain one turned round.
    const int n = p.x1 - p.x0;
    if (n > int(p.small.size())) p.large.resize(std::size_t(n));
    int* map = p.large.empty() ? p.small.data() : p.large.data();
    const int sw = src.width();
    for (int i = 0; i < n; ++i) {
      const long t = long(p.x0 + i - p.left);
      const long u = p.mirrored ? long(p.dw) - 1 - t : t;
      map[i] = int(((2 * u + 1) * sw) / (2L * p.dw));
    }
  }
  return p;
}

// One pass over the destination; `op` gets the source pixels and the destination pixel.
template <class Op>
void blend(Surface& dst, const Surface& a, const Surface* b, const Placement& p, Op op) {
  const int n = p.x1 - p.x0;
  const int* map = p.map();
  for (int y = p.y0; y < p.y1; ++y) {
    Pixel* d = dst.row(y) + p.x0;
    const Pixel* ra = a.row(y - p.top);
    const Pixel* rb = b ? b->row(y - p.top) : ra;
    if (p.direct) {
      ra += p.x0 - p.left;
      rb += p.x0 - p.left;
      for (int i = 0; i < n; ++i) d[i] = op(ra[i], rb[i], d[i]);
    } else {
      for (int i = 0; i < n; ++i) {
        const int sx = map[i];
        d[i] = op(ra[sx], rb[sx], d[i]);
      }
    }
  }
}

}  // namespace

void Surface::paint(const Surface& src, float x1, float y1, std::optional<float> width1, Rop rop) {
  if (src.empty() || empty()) return;
  const Placement p = place(*this, src, x1, y1, width1);
  if (p.empty()) return;
  switch (rop) {
    case Rop::SrcCopy:
      if (p.direct) {
        for (int y = p.y0; y < p.y1; ++y)
          std::memcpy(row(y) + p.x0, src.row(y - p.top) + (p.x0 - p.left), std::size_t(p.x1 - p.x0) * sizeof(Pixel));
        return;
      }
      blend(*this, src, nullptr, p, [](Pixel s, Pixel, Pixel) { return s; });
      return;
    case Rop::MergePaint:
      blend(*this, src, nullptr, p, [](Pixel s, Pixel, Pixel d) { return (~s | d) & 0xffffffu; });
      return;
    case Rop::SrcAnd:
      blend(*this, src, nullptr, p, [](Pixel s, Pixel, Pixel d) { return s & d; });
      return;
  }
}

void Surface::paintMasked(const Surface& mask, const Surface& image, float x1, float y1, std::optional<float> width1) {
  if (mask.width() != image.width() || mask.height() != image.height()) {
    paint(mask, x1, y1, width1, Rop::MergePaint);
    paint(image, x1, y1, width1, Rop::SrcAnd);
    return;
  }
  if (image.empty() || empty()) return;
  const Placement p = place(*this, image, x1, y1, width1);
  if (p.empty()) return;
  // MERGEPAINT with the mask, then SRCAND with the image, in one pass: the same pixels.
  blend(*this, mask, &image, p, [](Pixel m, Pixel s, Pixel d) { return (~m | d) & s & 0xffffffu; });
}

std::int32_t Surface::point(float x, float y) const {
  const int px = toPixel(x), py = toPixel(y);
  if (px < 0 || py < 0 || px >= w_ || py >= h_) return -1;
  return colourValue(at(px, py));
}

}  // namespace kh
