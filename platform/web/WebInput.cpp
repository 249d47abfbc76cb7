// Input and waiting: the page's handlers only queue what the player does; the program reads
// the queue on its own stack and sleeps, through Asyncify, until a deadline or the next input.
#include <algorithm>
#include <cmath>

#include "WebBackend.h"
#include "WebPage.h"

namespace kh {

Micros WebBackend::now() { return Micros(kh_web_now() * 1000.0); }

bool WebBackend::takeEvent(InputEvent& ev) {
  double e[8] = {};
  if (!kh_web_take(e)) return false;
  ev = InputEvent{};
  const auto type = int(e[0]);
  ev.window = WindowId(e[1]);
  auto it = windows_.find(ev.window);
  if (it == windows_.end()) return false;
  if (type == 3) {
    ev.type = InputEvent::Type::KeyChar;
    ev.key = int(e[6]);
    return true;
  }
  ev.type = type == 0 ? InputEvent::Type::MouseMove : type == 1 ? InputEvent::Type::MouseDown : InputEvent::Type::MouseUp;
  ev.button = int(e[4]);
  ev.shift = int(e[5]);
  // The page measured the pointer in device pixels of the enlarged window.
  const Window& w = it->second;
  Viewport v;
  v.scale = std::max(1, int(e[7]));
  v.width = w.width;
  v.height = w.height;
  v.areaWidth = w.width * v.scale;
  v.areaHeight = w.height * v.scale;
  v.inset = w.inset;
  v.toClient(float(e[2]), float(e[3]), ev.x, ev.y);
  return true;
}

bool WebBackend::pollEvent(InputEvent& ev) {
  // Let the page deliver what came since we last looked, unless that was a moment ago.
  const Micros t = now();
  if (!kh_web_pending() && t - yieldedAt_ >= 1000) {
    kh_web_sleep(0);
    yieldedAt_ = now();
  }
  while (kh_web_pending())
    if (takeEvent(ev)) return true;
  return false;
}

bool WebBackend::waitEvent(InputEvent& ev, Micros deadline) {
  if (beforeWait) beforeWait();
  for (;;) {
    while (kh_web_pending())
      if (takeEvent(ev)) return true;
    const Micros t = now();
    if (t >= deadline) return false;
    kh_web_sleep(double(std::min<Micros>(deadline - t, 1'000'000)) / 1000.0);
    yieldedAt_ = now();
  }
}

int WebBackend::testClockRate() const { return kh_web_test_clock_rate(); }

}  // namespace kh
