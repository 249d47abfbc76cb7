#include "WebBackend.h"

#include <emscripten.h>

#include <algorithm>
#include <stdexcept>

#include "Report.h"
#include "SoundPlayer.h"

namespace kh {

namespace {

// The page's side: windows as canvases, the queue of input (filled in WebInput.cpp), the clock.
EM_JS(void, kh_web_init, (int maxScale), {
  const screen = document.getElementById('kh-screen');
  if (!screen) throw new Error('the page has no element #kh-screen');
  const kh = Module.kh = {
    screen, wins: new Map(), stack: [], events: [], wake: null, scale: 1, captured: false,
    hiddenSince: document.hidden ? performance.now() : null, hiddenTotal: 0, frameAsked: false,
  };
  kh.now = () => (kh.hiddenSince !== null ? kh.hiddenSince : performance.now()) - kh.hiddenTotal;
  kh.wakeUp = () => { if (kh.wake) { const w = kh.wake; kh.wake = null; w(); } };
  kh.push = (e) => { kh.events.push(e); kh.wakeUp(); };
  kh.top = () => (kh.stack.length ? kh.wins.get(kh.stack[kh.stack.length - 1]) : null);
  // One whole scale in device pixels for all windows, the largest at which each fits; each
  // window centred on whole device pixels, so every picture pixel is a sharp square.
  kh.layout = () => {
    const dpr = window.devicePixelRatio || 1;
    const aw = Math.floor(screen.clientWidth * dpr), ah = Math.floor(screen.clientHeight * dpr);
    let s = maxScale;
    for (const w of kh.wins.values()) s = Math.min(s, Math.floor(aw / w.canvas.width), Math.floor(ah / w.canvas.height));
    kh.scale = Math.max(1, s);
    for (const w of kh.wins.values()) {
      const cw = w.canvas.width * kh.scale, ch = w.canvas.height * kh.scale;
      Object.assign(w.canvas.style, {
        width: cw / dpr + 'px', height: ch / dpr + 'px',
        left: Math.max(0, Math.floor((aw - cw) / 2)) / dpr + 'px', top: Math.max(0, Math.floor((ah - ch) / 2)) / dpr + 'px',
      });
    }
  };
  window.addEventListener('resize', kh.layout);
  document.addEventListener('fullscreenchange', kh.layout);
  kh.toggleFullscreen = () => {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else if (document.documentElement.requestFullscreen) document.documentElement.requestFullscreen().catch(() => {});
  };
  // Pixels go to the canvases once per display frame, only the part that changed.
  kh.draw = () => {
    kh.frameAsked = false;
    for (const w of kh.wins.values()) {
      if (!w.dirty || !w.ptr) continue;
      const d = w.dirty;
      w.dirty = null;
      const data = new Uint8ClampedArray(HEAPU8.buffer, w.ptr, w.canvas.width * w.canvas.height * 4);
      w.ctx.putImageData(new ImageData(data, w.canvas.width, w.canvas.height), 0, 0, d.x, d.y, d.w, d.h);
      if (!w.drawn) { w.drawn = true; if (Module.khFirstFrame) Module.khFirstFrame(w.id); }
    }
  };
});

EM_JS(void, kh_web_window, (int id, int w, int h, const char* caption, int announce), {
  const kh = Module.kh;
  const c = document.createElement('canvas');
  c.width = w;
  c.height = h;
  c.className = 'kh-window';
  c.hidden = true;
  c.setAttribute('role', 'img');
  c.setAttribute('aria-label', UTF8ToString(caption));
  const text = document.createElement('div');
  text.className = 'kh-text';
  text.setAttribute('aria-live', announce ? 'polite' : 'off');
  text.dataset.window = id;
  text.hidden = true;
  kh.screen.append(c, text);
  kh.wins.set(id, { id, canvas: c, text, ctx: c.getContext('2d', { alpha: false }), dirty: null, ptr: 0, drawn: false });
  kh.layout();
});

EM_JS(void, kh_web_destroy, (int id), {
  const kh = Module.kh, w = kh.wins.get(id);
  if (!w) return;
  w.canvas.remove();
  w.text.remove();
  kh.wins.delete(id);
  kh.stack = kh.stack.filter((i) => i !== id);
  kh.layout();
});

EM_JS(void, kh_web_show_window, (int id, int shown), {
  const kh = Module.kh, w = kh.wins.get(id);
  kh.stack = kh.stack.filter((i) => i !== id);
  if (shown) {
    kh.stack.push(id);
    kh.screen.append(w.canvas, w.text);  // on top of the others
    const loading = document.getElementById('kh-loading');
    if (loading) loading.hidden = true;
  }
  w.canvas.hidden = w.text.hidden = !shown;
  kh.captured = false;
});

EM_JS(void, kh_web_dirty, (int id, void* rgba, int x, int y, int w, int h), {
  const kh = Module.kh, win = kh.wins.get(id);
  win.ptr = rgba;
  const d = win.dirty;
  if (d) {
    const l = Math.min(d.x, x), t = Math.min(d.y, y);
    win.dirty = { x: l, y: t, w: Math.max(d.x + d.w, x + w) - l, h: Math.max(d.y + d.h, y + h) - t };
  } else {
    win.dirty = { x, y, w, h };
  }
  if (!kh.frameAsked) { kh.frameAsked = true; requestAnimationFrame(kh.draw); }
});

EM_JS(void, kh_web_cursor, (int cross), { Module.kh.screen.style.cursor = cross ? 'crosshair' : 'default'; });

EM_JS(void, kh_web_mirror, (int id, const char* text), {
  const w = Module.kh.wins.get(id);
  if (w) w.text.textContent = UTF8ToString(text);
});

EM_JS(double, kh_web_random32, (), {
  const a = new Uint32Array(1);
  crypto.getRandomValues(a);
  return a[0];
});

EM_JS(void, kh_web_fatal, (const char* message), {
  const box = document.getElementById('kh-loading');
  if (box) { box.hidden = false; box.textContent = UTF8ToString(message); box.classList.add('kh-failed'); }
});

// 0x00RRGGBB pixels as the canvas's red, green, blue and opaque alpha bytes. Returns the part
// that differs from what the canvas had, which is often much less than what was redrawn.
Rect toRgba(const Surface& src, const Rect& r, int x, int y, std::vector<std::uint8_t>& rgba, int width) {
  auto* out = reinterpret_cast<std::uint32_t*>(rgba.data());
  int left = r.w, right = -1, top = r.h, bottom = -1;
  for (int row = 0; row < r.h; ++row) {
    const Pixel* from = src.row(r.y + row) + r.x;
    std::uint32_t* to = out + std::size_t(y + row) * std::size_t(width) + std::size_t(x);
    int first = r.w, last = -1;
    for (int i = 0; i < r.w; ++i) {
      const Pixel p = from[i];
      const std::uint32_t v = 0xff000000u | ((p & 0xffu) << 16) | (p & 0xff00u) | ((p >> 16) & 0xffu);
      if (v != to[i]) {
        to[i] = v;
        first = std::min(first, i);
        last = i;
      }
    }
    if (last < 0) continue;
    left = std::min(left, first);
    right = std::max(right, last);
    top = std::min(top, row);
    bottom = row;
  }
  if (right < 0) return {x, y, 0, 0};
  return {x + left, y + top, right - left + 1, bottom - top + 1};
}

}  // namespace

void showFatal(std::string_view message) {
  reportProblem(message);
  const std::string text = "Knuffelhatz: " + std::string(message);
  kh_web_fatal(text.c_str());
}

bool WebBackend::initPage() {
  kh_web_init(kMaxScale);
  listenForInput();
  return true;
}

WebBackend::WebBackend() = default;

WebBackend::~WebBackend() {
  mci_.reset();
  while (!windows_.empty()) destroyWindow(windows_.begin()->first);
}

WebBackend::Window& WebBackend::at(WindowId id) {
  auto it = windows_.find(id);
  if (it == windows_.end()) throw std::logic_error("no such window");
  return it->second;
}

WindowId WebBackend::createWindow(const WindowOptions& opts) {
  Window w;
  w.inset = opts.titleBar ? 0 : kDialogFrame;
  w.width = opts.clientWidth + 2 * w.inset;
  w.height = opts.clientHeight + 2 * w.inset;
  if (w.inset) {
    w.picture = Surface(w.width, w.height, kBlack);
    drawDialogFrame(w.picture);
  }
  w.rgba.assign(std::size_t(w.width) * std::size_t(w.height) * 4, 0);
  w.frame = {0, 0, w.width, w.height};
  const WindowId id = next_++;
  kh_web_window(id, w.width, w.height, opts.caption.c_str(), opts.titleBar ? 0 : 1);
  windows_.emplace(id, std::move(w));
  return id;
}

void WebBackend::destroyWindow(WindowId id) {
  if (windows_.erase(id)) kh_web_destroy(id);
}

void WebBackend::showWindow(WindowId id, bool shown) {
  at(id);
  kh_web_show_window(id, shown);
}

Rect WebBackend::windowFrame(WindowId id) { return at(id).frame; }

void WebBackend::moveWindowFrame(WindowId id, int left, int top) {
  // The page places its windows itself; the game's sums still see where it put them.
  Window& w = at(id);
  w.frame.x = left;
  w.frame.y = top;
}

// A screen as the game's windows knew it; the page centres them whatever it says.
int WebBackend::screenWidth() { return 1024; }
int WebBackend::screenHeight() { return 768; }

void WebBackend::present(WindowId id, const Surface& client, const Rect& dirty) {
  Window& w = at(id);
  if (!w.framed) {
    // Everything once, the frame with it; from then on only what changed.
    if (w.inset) toRgba(w.picture, {0, 0, w.width, w.height}, 0, 0, w.rgba, w.width);
    w.framed = true;
    kh_web_dirty(id, w.rgba.data(), 0, 0, w.width, w.height);
  }
  const int x0 = std::max(dirty.x, 0), y0 = std::max(dirty.y, 0);
  const int x1 = std::min(dirty.x + dirty.w, client.width()), y1 = std::min(dirty.y + dirty.h, client.height());
  if (x1 <= x0 || y1 <= y0) return;
  const Rect r{x0, y0, x1 - x0, y1 - y0};
  const Rect changed = toRgba(client, r, r.x + w.inset, r.y + w.inset, w.rgba, w.width);
  if (changed.w > 0) kh_web_dirty(id, w.rgba.data(), changed.x, changed.y, changed.w, changed.h);
}

void WebBackend::setCursor(Cursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  kh_web_cursor(c == Cursor::Cross);
}

std::uint64_t WebBackend::randomSeed() {
  return (std::uint64_t(kh_web_random32()) << 32) | std::uint64_t(kh_web_random32());
}

MciDevice& WebBackend::mci() {
  if (!mci_) mci_ = std::make_unique<SoundPlayer>(sound_, sound_);
  return *mci_;
}

void WebBackend::mirrorTexts(WindowId id, const std::vector<std::string>& lines) {
  Window& w = at(id);
  std::string text;
  for (const std::string& l : lines) {
    if (l.empty()) continue;
    if (!text.empty()) text += '\n';
    text += l;
  }
  if (text == w.mirrored) return;
  w.mirrored = text;
  kh_web_mirror(id, text.c_str());
}

}  // namespace kh
