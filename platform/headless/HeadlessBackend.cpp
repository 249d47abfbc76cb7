#include "HeadlessBackend.h"

#include <algorithm>
#include <cmath>

namespace kh {

class HeadlessBackend::Win : public DisplayWindow {
 public:
  Win(HeadlessBackend& be, WindowId id, const WindowOptions& opts, int scale) : be_(be), id_(id) {
    w_.opts = opts;
    w_.scale = scale;
    w_.pixels = Surface(opts.clientWidth, opts.clientHeight, kBlack);
    be_.windows_[id_] = &w_;
    if (opts.centred) {
      const Rect f = frame();
      moveFrame((be_.screenW - f.w) / 2, (be_.screenH - f.h) / 2);
    }
  }
  ~Win() override { be_.windows_.erase(id_); }
  Win(const Win&) = delete;
  Win& operator=(const Win&) = delete;

  void show(bool shown) override {
    w_.shown = shown;
    if (be_.onShow) be_.onShow(id_, shown);
  }
  void setScale(int scale) override { w_.scale = scale; }
  void setFullscreen(bool on) override { w_.fullscreen = on; }
  Rect frame() override {
    const int b = w_.opts.titleBar ? kBorder : 0, c = w_.opts.titleBar ? kCaption : 0;
    return {w_.left, w_.top, w_.opts.clientWidth + 2 * b, w_.opts.clientHeight + 2 * b + c};
  }
  void moveFrame(int left, int top) override {
    w_.left = left;
    w_.top = top;
  }
  void present(const Surface& client, const Rect& dirty) override {
    for (int y = dirty.y; y < dirty.y + dirty.h; ++y)
      std::copy_n(client.row(y) + dirty.x, dirty.w, w_.pixels.row(y) + dirty.x);
    ++w_.presents;
  }
  void describe(const std::string& text) override { w_.described.push_back(text); }
  Viewport view() override {
    const int w = w_.opts.clientWidth, h = w_.opts.clientHeight;
    return Viewport::fit(w, h, w * w_.scale, h * w_.scale);
  }

 private:
  HeadlessBackend& be_;
  WindowId id_;
  Window w_;
};

std::unique_ptr<DisplayWindow> HeadlessBackend::create(WindowId id, const WindowOptions& opts, int scale) {
  auto w = std::make_unique<Win>(*this, id, opts, scale);
  if (onCreate) onCreate(opts);
  return w;
}

TextBitmap HeadlessBackend::render(const FontSpec& font, std::string_view utf8) {
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

bool HeadlessBackend::wait(RawInput& in, Micros deadline) {
  if (holdFor > 0) {
    const Micros end = clock + holdFor;
    holdFor = 0;
    for (Micros due = clock; pulse_ && due < end; due = pulse_->run()) clock = std::max(clock, due);
    clock = std::max(clock, end);
  }
  if (poll(in)) return true;
  clock = std::max(clock, deadline);
  return false;
}

bool HeadlessBackend::poll(RawInput& in) {
  if (onPoll) {
    auto f = std::move(onPoll);
    onPoll = nullptr;
    f();
  }
  if (queue.empty()) return false;
  in = queue.front();
  queue.pop_front();
  return true;
}

std::optional<FileStamp> HeadlessBackend::stamp(const std::string&, std::string& why) {
  why = "there are no files";
  return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> HeadlessBackend::read(const std::string&, std::size_t, std::string& why) {
  why = "there are no files";
  return std::nullopt;
}

void HeadlessBackend::push(const InputEvent& ev) {
  RawInput in;
  in.type = RawInput::Type::Ready;
  in.window = ev.window;
  in.ready = ev;
  queue.push_back(in);
}

void HeadlessBackend::mouse(InputEvent::Type type, WindowId w, float x, float y, int button) {
  InputEvent ev;
  ev.type = type;
  ev.window = w;
  ev.x = x;
  ev.y = y;
  ev.button = button;
  push(ev);
}

void HeadlessBackend::key(WindowId w, int ch) {
  InputEvent ev;
  ev.type = InputEvent::Type::KeyChar;
  ev.window = w;
  ev.key = ch;
  push(ev);
}

void HeadlessBackend::close(WindowId w) {
  InputEvent ev;
  ev.type = InputEvent::Type::Close;
  ev.window = w;
  push(ev);
}

const HeadlessBackend::Window* HeadlessBackend::window(WindowId id) const {
  auto it = windows_.find(id);
  return it == windows_.end() ? nullptr : it->second;
}

}  // namespace kh
