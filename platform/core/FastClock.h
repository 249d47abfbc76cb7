#pragma once
#include "Backend.h"

namespace kh {

// A backend whose clock runs `rate` times faster than the one it wraps; everything else is
// passed through. For tests in real windows: a 90-second round takes 90 / rate seconds, and
// the game, which only knows the clock it is given, plays exactly as it would.
class FastClockBackend final : public Backend {
 public:
  FastClockBackend(Backend& inner, int rate) : inner_(inner), rate_(rate < 1 ? 1 : rate), start_(inner.now()) {}

  WindowId createWindow(const WindowOptions& opts) override { return inner_.createWindow(opts); }
  void destroyWindow(WindowId id) override { inner_.destroyWindow(id); }
  void showWindow(WindowId id, bool shown) override { inner_.showWindow(id, shown); }
  Rect windowFrame(WindowId id) override { return inner_.windowFrame(id); }
  void moveWindowFrame(WindowId id, int left, int top) override { inner_.moveWindowFrame(id, left, top); }
  int screenWidth() override { return inner_.screenWidth(); }
  int screenHeight() override { return inner_.screenHeight(); }
  void present(WindowId id, const Surface& client, const Rect& dirty) override { inner_.present(id, client, dirty); }
  void setCursor(Cursor c) override { inner_.setCursor(c); }
  TextBitmap renderText(const FontSpec& font, std::string_view utf8) override { return inner_.renderText(font, utf8); }

  Micros now() override { return start_ + (inner_.now() - start_) * rate_; }
  // The deadline in the wrapped clock, rounded up: waking early would only spin.
  bool waitEvent(InputEvent& ev, Micros deadline) override { return inner_.waitEvent(ev, innerTime(deadline)); }
  bool pollEvent(InputEvent& ev) override { return inner_.pollEvent(ev); }

  std::uint64_t randomSeed() override { return inner_.randomSeed(); }
  MciDevice& mci() override { return inner_.mci(); }

  // The wrapped clock's time when this clock shows `t` (at the earliest).
  Micros innerTime(Micros t) const {
    if (t <= start_) return t;
    const Micros d = t - start_;  // no overflow, even for a deadline of "never"
    return start_ + d / rate_ + (d % rate_ != 0 ? 1 : 0);
  }

 private:
  Backend& inner_;
  Micros rate_;
  Micros start_;
};

}  // namespace kh
