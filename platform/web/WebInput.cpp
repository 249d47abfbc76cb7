// Input and waiting: the page's handlers only queue what the player does; the program reads
// the queue on its own stack and sleeps, through Asyncify, until a deadline or the next input.
#include <emscripten.h>

#include <algorithm>
#include <cmath>

#include "WebBackend.h"

namespace kh {

namespace {

EM_JS(void, kh_web_input_init, (), {
  const kh = Module.kh, screen = kh.screen;
  const shift = (e) => (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
  const buttonOf = [1, 4, 2];
  // Mouse input goes to the window on top. Outside it only while a button is held there, or
  // on the full screen, where the black bars count as the window's nearest edge.
  const mouse = (type) => (e) => {
    if (e.target instanceof Element && e.target.closest('.kh-own')) return;  // the page's own controls
    const top = kh.top();
    if (!top) return;
    const r = top.canvas.getBoundingClientRect();
    const inside = e.clientX >= r.left && e.clientX < r.right && e.clientY >= r.top && e.clientY < r.bottom;
    const wanted = inside || kh.captured || document.fullscreenElement;
    if (type === 1 && inside) kh.captured = true;
    if (type === 2) kh.captured = false;
    if (!wanted) return;
    if (type !== 0) e.preventDefault();
    const sx = (top.canvas.width * kh.scale) / r.width, sy = (top.canvas.height * kh.scale) / r.height;
    const button = type === 0 ? e.buttons & 7 : buttonOf[e.button] || 0;
    kh.push([type, top.id, (e.clientX - r.left) * sx, (e.clientY - r.top) * sy, button, shift(e), 0, kh.scale]);
  };
  window.addEventListener('mousemove', mouse(0));
  window.addEventListener('mousedown', mouse(1));
  window.addEventListener('mouseup', mouse(2));
  screen.addEventListener('contextmenu', (e) => e.preventDefault());
  window.addEventListener('keydown', (e) => {
    const enter = e.key === 'Enter';
    if (e.key === 'F11' || (enter && e.altKey)) {
      e.preventDefault();
      if (!e.repeat) kh.toggleFullscreen();
      return;
    }
    if (e.ctrlKey || e.metaKey) return;  // the browser's own shortcuts
    let key = 0;
    if ([...e.key].length === 1) key = e.key.codePointAt(0);
    else if (enter) key = 13;
    else if (e.key === 'Escape') key = 27;
    else if (e.key === 'Backspace') key = 8;
    const top = kh.top();
    if (!key || !top) return;
    if (e.key !== 'Escape') e.preventDefault();
    kh.push([3, top.id, 0, 0, 0, 0, key, kh.scale]);
  });
  // In a hidden page the clock stands still and nothing is drawn; the game goes on where it
  // stopped when the page is shown again.
  document.addEventListener('visibilitychange', () => {
    const t = performance.now();
    if (document.hidden && kh.hiddenSince === null) kh.hiddenSince = t;
    if (!document.hidden && kh.hiddenSince !== null) { kh.hiddenTotal += t - kh.hiddenSince; kh.hiddenSince = null; }
    if (kh.onVisible) kh.onVisible(!document.hidden);
    kh.wakeUp();
  });
  // A yield without a timer, whose delay browsers stretch when timers nest.
  kh.channel = new MessageChannel();
  kh.channel.port1.onmessage = () => kh.wakeUp();
});

EM_JS(double, kh_web_now, (), { return Module.kh.now(); });

EM_JS(int, kh_web_pending, (), { return Module.kh.events.length; });

// The oldest queued input: type, window, x, y, button, shift, key, and the scale x and y were
// measured at.
EM_JS(int, kh_web_take, (double* out), {
  const e = Module.kh.events.shift();
  if (!e) return 0;
  for (let i = 0; i < 8; ++i) HEAPF64[(out >> 3) + i] = e[i];
  return 1;
});

// Sleeps until `ms` have passed on the game's clock or input comes; 0 only lets the page run.
EM_ASYNC_JS(void, kh_web_sleep, (double ms), {
  const kh = Module.kh;
  if (kh.events.length) return;
  await new Promise((resolve) => {
    let timer = null;
    kh.wake = () => { if (timer !== null) clearTimeout(timer); resolve(); };
    if (ms <= 0) kh.channel.port2.postMessage(0);
    else if (kh.hiddenSince === null) timer = setTimeout(kh.wakeUp, ms);
  });
});

// A test may run the game's clock faster (?speed=N), never slower: that would make it easier.
EM_JS(int, kh_web_test_clock_rate, (), {
  const n = Math.floor(Number(new URLSearchParams(location.search).get("speed")));
  return n >= 1 ? Math.min(n, 16) : 1;
});

}  // namespace

void WebBackend::listenForInput() { kh_web_input_init(); }

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
