#include "Viewport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kh {

Viewport Viewport::fit(int width, int height, int areaWidth, int areaHeight) {
  Viewport v;
  v.width = width;
  v.height = height;
  v.areaWidth = areaWidth;
  v.areaHeight = areaHeight;
  if (width > 0 && height > 0) v.scale = std::max(1, std::min(areaWidth / width, areaHeight / height));
  // A device area smaller than the picture shows its top-left part.
  v.left = std::max(0, (areaWidth - width * v.scale) / 2);
  v.top = std::max(0, (areaHeight - height * v.scale) / 2);
  return v;
}

void Viewport::toPicture(float deviceX, float deviceY, float& x, float& y) const {
  auto map = [this](float d, int origin, int size) {
    const float p = std::floor((std::floor(d) - float(origin)) / float(scale));
    return std::clamp(p, 0.0f, float(std::max(size - 1, 0)));
  };
  x = map(deviceX, left, width);
  y = map(deviceY, top, height);
}

void Viewport::toClient(float deviceX, float deviceY, float& x, float& y) const {
  toPicture(deviceX, deviceY, x, y);
  x = std::clamp(x - float(inset), 0.0f, float(std::max(width - 2 * inset - 1, 0)));
  y = std::clamp(y - float(inset), 0.0f, float(std::max(height - 2 * inset - 1, 0)));
}

Rect Viewport::toDevice(const Rect& r) const {
  return {left + r.x * scale, top + r.y * scale, r.w * scale, r.h * scale};
}

Rect Viewport::shown(const Rect& r) const {
  const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int x1 = std::min({r.x + r.w, width, (areaWidth - left) / scale});
  const int y1 = std::min({r.y + r.h, height, (areaHeight - top) / scale});
  if (x1 <= x0 || y1 <= y0) return {x0, y0, 0, 0};
  return {x0, y0, x1 - x0, y1 - y0};
}

int suggestedScale(int clientHeight, int decoration, int desktopHeight) {
  if (clientHeight <= 0) return 1;
  const int room = desktopHeight * 3 / 5 - decoration;
  return std::clamp(room / clientHeight, 1, kMaxScale);
}

void drawDialogFrame(Surface& s) {
  const int r = s.width() - 1, b = s.height() - 1;
  auto ring = [&](int i, Pixel topLeft, Pixel bottomRight) {
    for (int x = i; x <= r - i; ++x) s.set(x, i, topLeft), s.set(x, b - i, bottomRight);
    for (int y = i; y <= b - i; ++y) s.set(i, y, topLeft), s.set(r - i, y, bottomRight);
  };
  if (s.width() < 2 * kDialogFrame || s.height() < 2 * kDialogFrame) return;
  // Light and dark shadow outside, highlight and shadow inside, as the classic desktop drew it.
  ring(0, rgb(227, 227, 227), rgb(105, 105, 105));
  ring(1, rgb(255, 255, 255), rgb(160, 160, 160));
  ring(2, rgb(240, 240, 240), rgb(240, 240, 240));
}

void blitScaled(const Surface& src, const Rect& r, int x, int y, const Viewport& view, void* dst, int pitch) {
  const int s = view.scale;
  const Rect d = view.toDevice({x, y, r.w, r.h});
  auto* base = static_cast<unsigned char*>(dst);
  auto devRow = [&](int y) { return reinterpret_cast<Pixel*>(base + std::ptrdiff_t(y) * pitch) + d.x; };
  for (int y = 0; y < r.h; ++y) {
    const Pixel* from = src.row(r.y + y) + r.x;
    Pixel* first = devRow(d.y + y * s);
    if (s == 1) {
      std::memcpy(first, from, std::size_t(r.w) * sizeof(Pixel));
      continue;
    }
    // Written out for the common scales, so the compiler can widen the stores.
    if (s == 2) {
      for (int i = 0; i < r.w; ++i) first[2 * i] = first[2 * i + 1] = from[i];
    } else if (s == 3) {
      for (int i = 0; i < r.w; ++i) first[3 * i] = first[3 * i + 1] = first[3 * i + 2] = from[i];
    } else {
      Pixel* out = first;
      for (int i = 0; i < r.w; ++i, out += s) std::fill_n(out, s, from[i]);
    }
    // The other rows of this picture row are the same device row again.
    for (int k = 1; k < s; ++k) std::memcpy(devRow(d.y + y * s + k), first, std::size_t(d.w) * sizeof(Pixel));
  }
}

}  // namespace kh
