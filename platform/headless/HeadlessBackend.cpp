#include "HeadlessBackend.h"

#include <algorithm>
#include <cmath>

namespace kh {

WindowId HeadlessBackend::createWindow(const WindowOptions& opts) {
  const WindowId id = next_++;
  Window w;
  w.opts = opts;
  w.pixels = Surface(opts.clientWidth, opts.clientHeight, kBlack);
  windows_[id] = std::move(w);
  if (opts.centred) {
    const Rect f = windowFrame(id);
    moveWindowFrame(id, (screenW - f.w) / 2, (screenH - f.h) / 2);
  }
  return id;
}

void HeadlessBackend::destroyWindow(WindowId id) { windows_.erase(id); }

void HeadlessBackend::showWindow(WindowId id, bool shown) {
  if (auto it = windows_.find(id); it != windows_.end()) it->second.shown = shown;
}

Rect HeadlessBackend::windowFrame(WindowId id) {
  const Window& w = windows_.at(id);
  const int b = w.opts.titleBar ? kBorder : 0, c = w.opts.titleBar ? kCaption : 0;
  return {w.left, w.top, w.opts.clientWidth + 2 * b, w.opts.clientHeight + 2 * b + c};
}

void HeadlessBackend::moveWindowFrame(WindowId id, int left, int top) {
  Window& w = windows_.at(id);
  w.left = left;
  w.top = top;
}

void HeadlessBackend::present(WindowId id, const Surface& client, const Rect& dirty) {
  Window& w = windows_.at(id);
  for (int y = dirty.y; y < dirty.y + dirty.h; ++y)
    std::copy_n(client.row(y) + dirty.x, dirty.w, w.pixels.row(y) + dirty.x);
  ++w.presents;
}

TextBitmap HeadlessBackend::renderText(const FontSpec& font, std::string_view utf8) {
  const int h = int(std::lround(font.points * 96.0 / 72.0)), w = std::max(3, h / 2);
  // Characters, not bytes: continuation bytes of UTF-8 start no box.
  const auto chars = std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xc0) != 0x80; });
  TextBitmap t;
  if (chars == 0) return t;
  t.width = int(chars) * w;
  t.height = h;
  t.coverage.assign(std::size_t(t.width) * std::size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < t.width; ++x) {
      const int col = x % w;
      t.coverage[std::size_t(y * t.width + x)] = col < w - 2 ? 255 : col == w - 2 ? 128 : 0;
    }
  return t;
}

bool HeadlessBackend::waitEvent(InputEvent& ev, Micros deadline) {
  if (pollEvent(ev)) return true;
  clock = std::max(clock, deadline);
  return false;
}

bool HeadlessBackend::pollEvent(InputEvent& ev) {
  if (onPoll) {
    auto f = std::move(onPoll);
    onPoll = nullptr;
    f();
  }
  if (queue.empty()) return false;
  ev = queue.front();
  queue.pop_front();
  return true;
}

void HeadlessBackend::mouse(InputEvent::Type type, WindowId w, float x, float y, int button) {
  InputEvent ev;
  ev.type = type;
  ev.window = w;
  ev.x = x;
  ev.y = y;
  ev.button = button;
  queue.push_back(ev);
}

void HeadlessBackend::key(WindowId w, int ch) {
  InputEvent ev;
  ev.type = InputEvent::Type::KeyChar;
  ev.window = w;
  ev.key = ch;
  queue.push_back(ev);
}

void HeadlessBackend::close(WindowId w) {
  InputEvent ev;
  ev.type = InputEvent::Type::Close;
  ev.window = w;
  queue.push_back(ev);
}

const HeadlessBackend::Window* HeadlessBackend::window(WindowId id) const {
  auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : &it->second;
}

}  // namespace kh
