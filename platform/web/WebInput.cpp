// Input and waiting: the page's handlers only queue what the player does; the program reads
// the queue on its own stack and sleeps, through Asyncify, until a deadline or the next input.
#include <algorithm>

#include "WebBackend.h"
#include "WebPage.h"

namespace kh {

namespace {

// The page gives the buttons and modifiers in the core's bits (khRules.buttons, modifiers).
static_assert(buttonMask(true, false, false) == 1 && buttonMask(false, true, false) == 2 &&
              buttonMask(false, false, true) == 4);
static_assert(shiftMask(true, false, false) == 1 && shiftMask(false, true, false) == 2 &&
              shiftMask(false, false, true) == 4);

// A queued input as the page writes it: type (0 move, 1 down, 2 up, 3 text, 4 key, 5 area),
// window, x, y in device pixels of the enlarged window, button, shift, the typed character,
// the scale x and y were measured at, the key (1 F11, 2 Enter, 3 Escape, 4 Backspace),
// whether it repeats, whether the page is on the full screen, the pointer (0 the mouse,
// 1 a finger, 2 a pen).
constexpr int kWebInputFields = 12;

Key keyOf(int k) {
  switch (k) {
    case 1: return Key::F11;
    case 2: return Key::Enter;
    case 3: return Key::Escape;
    case 4: return Key::Backspace;
    default: return Key::Other;
  }
}

}  // namespace

Micros WebBackend::now() { return Micros(kh_web_now() * 1000.0); }

bool WebBackend::take(RawInput& in) {
  double e[kWebInputFields] = {};
  if (!kh_web_take(e)) return false;
  in = RawInput{};
  using T = RawInput::Type;
  switch (int(e[0])) {
    case 0: in.type = T::PointerMove; break;
    case 1: in.type = T::PointerDown; break;
    case 2: in.type = T::PointerUp; break;
    case 3: in.type = T::Text; break;
    case 4: in.type = T::KeyDown; break;
    case 5: in.type = T::Area; break;
    default: return false;
  }
  in.window = WindowId(e[1]);
  in.x = float(e[2]);
  in.y = float(e[3]);
  in.button = int(e[4]);
  in.shift = int(e[5]);
  in.ch = int(e[6]);
  in.scale = std::max(0, int(e[7]));
  in.key = keyOf(int(e[8]));
  in.repeat = e[9] != 0;
  in.fullscreen = e[10] != 0;
  in.pointer = e[11] == 1 ? PointerKind::Touch : e[11] == 2 ? PointerKind::Pen : PointerKind::Mouse;
  return true;
}

bool WebBackend::poll(RawInput& in) {
  // Let the page deliver what came since we last looked, unless that was a moment ago.
  const Micros t = now();
  if (!kh_web_pending() && t - yieldedAt_ >= 1000) {
    kh_web_sleep(0);
    yieldedAt_ = now();
  }
  while (kh_web_pending())
    if (take(in)) return true;
  return false;
}

bool WebBackend::wait(RawInput& in, Micros deadline) {
  for (;;) {
    while (kh_web_pending())
      if (take(in)) return true;
    const Micros t = now();
    if (t >= deadline) return false;
    kh_web_sleep(double(std::min<Micros>(deadline - t, 1'000'000)) / 1000.0);
    yieldedAt_ = now();
  }
}

int WebBackend::testClockRate() { return kh_web_test_clock_rate(); }

}  // namespace kh
