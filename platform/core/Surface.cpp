#include "Surface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace kh {

int toPixel(float v) { return int(std::floor(double(v) + 0.5)); }

Surface::Surface(int width, int height, Pixel fill)
    : w_(std::max(width, 0)), h_(std::max(height, 0)), px_(std::size_t(w_) * std::size_t(h_), fill),
      narrow_(fill <= 0xffffffu) {}

void Surface::fill(Pixel p) {
  std::fill(px_.begin(), px_.end(), p);
  narrow_ = p <= 0xffffffu;
  changed();
}

void Surface::resize(int width, int height, Pixel fill) {
  Surface next(width, height, fill);
  const int cw = std::min(w_, next.w_);
  for (int y = 0; y < std::min(h_, next.h_); ++y)
    std::copy_n(line(y), cw, next.line(y));
  next.narrow_ = next.narrow_ && narrow_;
  *this = std::move(next);
}

const Surface::Runs& Surface::runs() const {
  if (runs_) return *runs_;
  auto r = std::make_shared<Runs>();
  r->first.reserve(std::size_t(h_) + 1);
  Pixel high = 0;
  for (int y = 0; y < h_; ++y) {
    r->first.push_back(r->runs.size());
    const Pixel* p = row(y);
    for (int x = 0; x < w_;) {
      int e = x + 1;
      while (e < w_ && p[e] == p[x]) ++e;
      if (e - x >= Runs::kMinRun) r->runs.push_back({x, e, p[x]});
      x = e;
    }
    for (int x = 0; x < w_; ++x) high |= p[x];
  }
  r->first.push_back(r->runs.size());
  r->narrow = high <= 0xffffffu;
  runs_ = std::move(r);
  return *runs_;
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

// One pass over the destination (its pixels at `dst`, `stride` to a row); `op` gets the
// source pixels and the destination pixel.
template <class Op>
void blend(Pixel* dst, int stride, const Surface& a, const Surface* b, const Placement& p, Op op) {
  const int n = p.x1 - p.x0;
  const int* map = p.map();
  for (int y = p.y0; y < p.y1; ++y) {
    Pixel* d = dst + std::size_t(y) * std::size_t(stride) + std::size_t(p.x0);
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

constexpr Pixel masked(Pixel m, Pixel s, Pixel d) { return (~m | d) & s & 0xffffffu; }

// The runs of row y that reach into source columns [from, from + n), shifted by -from and
// cut to [0, n); a cursor that walks them once, left to right.
class RunCursor {
 public:
  RunCursor(const Surface::Runs& r, int y, int from, int n)
      : at_(r.runs.data() + r.first[std::size_t(y)]), end_(r.runs.data() + r.first[std::size_t(y) + 1]), from_(from), n_(n) {
    while (at_ != end_ && at_->x1 <= from_) ++at_;
  }
  bool done() const { return at_ == end_ || at_->x0 >= from_ + n_; }
  int lo() const { return std::max(at_->x0 - from_, 0); }
  int hi() const { return std::min(at_->x1 - from_, n_); }
  Pixel value() const { return at_->value; }
  void next() { ++at_; }
  // Past every run that ends at or before x.
  void skipTo(int x) {
    while (at_ != end_ && at_->x1 - from_ <= x) ++at_;
  }

 private:
  const Surface::Runs::Run* at_;
  const Surface::Runs::Run* end_;
  int from_, n_;
};

// One row of an unstretched masked sprite, n pixels from source column `from`: where the mask
// is black the image is copied; where it is white the destination is ANDed with the image,
// and left alone where that is white and the destination holds nothing above the low 24 bits.
// Everything else pixel by pixel. The same pixels as masked() on each.
void maskedRow(Pixel* d, const Pixel* m, const Pixel* s, int n, RunCursor mask, RunCursor image, bool narrowDst) {
  auto each = [&](int a, int b) {
    for (int i = a; i < b; ++i) d[i] = masked(m[i], s[i], d[i]);
  };
  auto andImage = [&](int a, int b) {
    int i = a;
    image.skipTo(a);
    for (; !image.done() && image.lo() < b; image.next()) {
      const int lo = std::max(image.lo(), a), hi = std::min(image.hi(), b);
      for (int k = i; k < lo; ++k) d[k] = d[k] & s[k] & 0xffffffu;
      const Pixel c = image.value() & 0xffffffu;
      if (c != 0xffffffu || !narrowDst)
        for (int k = lo; k < hi; ++k) d[k] &= c;
      i = hi;
      if (image.hi() > b) break;  // reaches into the next stretch
    }
    for (int k = i; k < b; ++k) d[k] = d[k] & s[k] & 0xffffffu;
  };
  int i = 0;
  for (; !mask.done(); mask.next()) {
    const int lo = mask.lo(), hi = mask.hi();
    const Pixel v = mask.value();
    if (v == 0) {
      each(i, lo);
      std::memcpy(d + lo, s + lo, std::size_t(hi - lo) * sizeof(Pixel));
    } else if ((v & 0xffffffu) == 0xffffffu) {
      each(i, lo);
      andImage(lo, hi);
    } else {
      continue;  // left to the pixel-by-pixel stretch around it
    }
    i = hi;
  }
  each(i, n);
}

}  // namespace

void Surface::paint(const Surface& src, float x1, float y1, std::optional<float> width1, Rop rop) {
  if (src.empty() || empty()) return;
  const Placement p = place(*this, src, x1, y1, width1);
  if (p.empty()) return;
  changed();
  switch (rop) {
    case Rop::SrcCopy:
      narrow_ = narrow_ && (src.narrow_ || (src.runs_ && src.runs_->narrow));
      if (p.direct) {
        for (int y = p.y0; y < p.y1; ++y)
          std::memmove(line(y) + p.x0, src.row(y - p.top) + (p.x0 - p.left), std::size_t(p.x1 - p.x0) * sizeof(Pixel));
        return;
      }
      blend(px_.data(), w_, src, nullptr, p, [](Pixel s, Pixel, Pixel) { return s; });
      return;
    case Rop::MergePaint:
      blend(px_.data(), w_, src, nullptr, p, [](Pixel s, Pixel, Pixel d) { return (~s | d) & 0xffffffu; });
      return;
    case Rop::SrcAnd:
      blend(px_.data(), w_, src, nullptr, p, [](Pixel s, Pixel, Pixel d) { return s & d; });
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
  changed();
  // MERGEPAINT with the mask, then SRCAND with the image, in one pass: the same pixels.
  if (!p.direct || &mask == this || &image == this) {
    blend(px_.data(), w_, mask, &image, p, [](Pixel m, Pixel s, Pixel d) { return masked(m, s, d); });
    return;
  }
  const Runs& mr = mask.runs();
  const Runs& ir = image.runs();
  if (!ir.narrow) {  // copying the image where the mask is black would keep its high bits
    blend(px_.data(), w_, mask, &image, p, [](Pixel m, Pixel s, Pixel d) { return masked(m, s, d); });
    return;
  }
  const int from = p.x0 - p.left, n = p.x1 - p.x0;
  for (int y = p.y0; y < p.y1; ++y) {
    const int sy = y - p.top;
    maskedRow(line(y) + p.x0, mask.row(sy) + from, image.row(sy) + from, n, RunCursor(mr, sy, from, n),
              RunCursor(ir, sy, from, n), narrow_);
  }
}

std::int32_t Surface::point(float x, float y) const {
  const int px = toPixel(x), py = toPixel(y);
  if (px < 0 || py < 0 || px >= w_ || py >= h_) return -1;
  return colourValue(at(px, py));
}

}  // namespace kh
