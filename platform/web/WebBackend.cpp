#include "WebBackend.h"

#include <algorithm>
#include <vector>

#include "Report.h"
#include "Viewport.h"
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

// One window: a canvas of the client area and, without a title bar, the dialog frame drawn
// around it, enlarged by the page.
class WebWindow : public DisplayWindow {
 public:
  WebWindow(WindowId id, const WindowOptions& opts, int scale)
      : id_(id), inset_(opts.titleBar ? 0 : kDialogFrame), width_(opts.clientWidth + 2 * inset_),
        height_(opts.clientHeight + 2 * inset_), scale_(scale) {
    if (inset_) {
      picture_ = Surface(width_, height_, kBlack);
      drawDialogFrame(picture_);
    }
    rgba_.assign(std::size_t(width_) * std::size_t(height_) * 4, 0);
    frame_ = {0, 0, width_, height_};
    // The title's texts are read out as they change; the play window's clock would never rest.
    kh_web_window(id, width_, height_, opts.caption.c_str(), opts.titleBar ? 0 : 1, scale);
  }
  ~WebWindow() override { kh_web_destroy(id_); }
  WebWindow(const WebWindow&) = delete;
  WebWindow& operator=(const WebWindow&) = delete;

  void show(bool shown) override { kh_web_show_window(id_, shown); }
  void setScale(int scale) override {
    scale_ = scale;
    kh_web_scale(id_, scale);
  }
  // The page's full screen holds all its windows, each where it was.
  void setFullscreen(bool on) override { kh_web_fullscreen(on); }
  Rect frame() override { return frame_; }
  void moveFrame(int left, int top) override {
    // The page places its windows itself; the game's sums still see where it put them.
    frame_.x = left;
    frame_.y = top;
  }
  void present(const Surface& client, const Rect& dirty) override;
  Viewport view() override {
    Viewport v;
    v.scale = scale_;
    v.width = width_;
    v.height = height_;
    v.areaWidth = width_ * scale_;
    v.areaHeight = height_ * scale_;
    v.inset = inset_;
    return v;
  }
  void describe(const std::string& text) override { kh_web_describe(id_, text.c_str()); }

 private:
  const WindowId id_;
  const int inset_;
  const int width_, height_;  // the canvas: the client area and its drawn frame
  int scale_;
  Surface picture_;                 // the drawn frame, when there is one
  std::vector<std::uint8_t> rgba_;  // what the canvas shows, kept for the page to copy from
  bool framed_ = false;             // the frame is in `rgba_`
  Rect frame_{};                    // where the desktop would have it, for the game's own sums
};

void WebWindow::present(const Surface& client, const Rect& dirty) {
  if (!framed_) {
    // Everything once, the frame with it; from then on only what changed.
    if (inset_) toRgba(picture_, {0, 0, width_, height_}, 0, 0, rgba_, width_);
    framed_ = true;
    kh_web_dirty(id_, rgba_.data(), 0, 0, width_, height_);
  }
  const int x0 = std::max(dirty.x, 0), y0 = std::max(dirty.y, 0);
  const int x1 = std::min(dirty.x + dirty.w, client.width()), y1 = std::min(dirty.y + dirty.h, client.height());
  if (x1 <= x0 || y1 <= y0) return;
  const Rect r{x0, y0, x1 - x0, y1 - y0};
  const Rect changed = toRgba(client, r, r.x + inset_, r.y + inset_, rgba_, width_);
  if (changed.w > 0) kh_web_dirty(id_, rgba_.data(), changed.x, changed.y, changed.w, changed.h);
}

}  // namespace

void showFatalOnPage(std::string_view message) {
  const std::string text = "Knuffelhatz: " + std::string(message);
  kh_web_fatal(text.c_str());
}

WebBackend::WebBackend() {
  kh_web_start();
  if (!sound_.format()) reportProblem("this browser has no Web Audio; the game stays silent");
}

std::unique_ptr<DisplayWindow> WebBackend::create(WindowId id, const WindowOptions& opts, int scale) {
  return std::make_unique<WebWindow>(id, opts, scale);
}

// A screen as the game's windows knew it; the page centres them whatever it says.
int WebBackend::screenWidth() { return 1024; }
int WebBackend::screenHeight() { return 768; }

WindowSystem::Frame WebBackend::frameOf(bool titleBar) { return {titleBar ? 0 : kDialogFrame, 0}; }

std::optional<std::pair<int, int>> WebBackend::sharedArea() {
  int size[2] = {0, 0};
  kh_web_area(size);
  return std::make_pair(size[0], size[1]);
}

void WebBackend::setCursor(Cursor c) { kh_web_cursor(c == Cursor::Cross); }

std::uint64_t WebBackend::randomSeed() {
  return (std::uint64_t(kh_web_random32()) << 32) | std::uint64_t(kh_web_random32());
}

}  // namespace kh
