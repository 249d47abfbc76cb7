#pragma once
#include <optional>

namespace kh {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// The smallest rectangle holding both; what is to be shown grows this way.
constexpr Rect united(const Rect& a, const Rect& b) {
  const int l = a.x < b.x ? a.x : b.x, t = a.y < b.y ? a.y : b.y;
  const int r = a.x + a.w > b.x + b.w ? a.x + a.w : b.x + b.w, btm = a.y + a.h > b.y + b.h ? a.y + a.h : b.y + b.h;
  return {l, t, r - l, btm - t};
}

// Grows an optional area by `r`: `r` itself when there was none.
inline void include(std::optional<Rect>& area, const Rect& r) { area = area ? united(*area, r) : r; }

}  // namespace kh
