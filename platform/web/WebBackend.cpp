#include "WebBackend.h"

#include <algorithm>
#include <stdexcept>

#include "Report.h"
#include "SoundPlayer.h"
#include "WebPage.h"

namespace kh {

namespace {

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

WebBackend::WebBackend() {
  kh_web_start(kMaxScale);
  if (!sound_.format()) reportProblem("this browser has no Web Audio; the game stays silent");
}

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
