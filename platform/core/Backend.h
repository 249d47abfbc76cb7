#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Surface.h"

namespace kh {

using WindowId = int;
using Micros = std::int64_t;

struct WindowOptions {
  int clientWidth = 0;
  int clientHeight = 0;
  std::string caption;
  bool titleBar = true;      // fixed single border with caption; false: a fixed dialog border, no title bar
  bool skipTaskbar = false;
  bool centred = false;      // else wherever the desktop puts it
  const Surface* icon = nullptr;
  Pixel iconTransparent = 0;
};

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

struct InputEvent {
  enum class Type { MouseMove, MouseDown, MouseUp, KeyChar, Close, Quit };
  Type type = Type::Quit;
  WindowId window = 0;
  float x = 0, y = 0;  // client coordinates of the window, in pixels
  int button = 0;      // 1 left, 2 right, 4 middle
  int shift = 0;       // 1 shift, 2 ctrl, 4 alt
  int key = 0;         // the typed character's code
};

enum class Cursor { Arrow, Cross };

// A font as the design names it; each backend finds it its own way.
struct FontSpec {
  std::string family;
  float points = 0;   // at 96 dots per inch
  int weight = 400;   // 100..900, 400 regular, 700 bold
  bool operator==(const FontSpec&) const = default;
};

// Rendered text: coverage 0..255 per pixel.
struct TextBitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;
};

// The sound device behind the multimedia player: gets every property write in order.
class MciDevice {
 public:
  virtual ~MciDevice() = default;
  virtual void putText(int dispId, std::string_view value) = 0;
  virtual void putBool(int dispId, bool value) = 0;
};

// What a real desktop or a test harness provides. The event loop and the windows above it
// are the same for both.
class Backend {
 public:
  virtual ~Backend() = default;

  virtual WindowId createWindow(const WindowOptions& opts) = 0;
  virtual void destroyWindow(WindowId id) = 0;
  virtual void showWindow(WindowId id, bool shown) = 0;
  // Outer frame position and size (decorations included) in screen pixels.
  virtual Rect windowFrame(WindowId id) = 0;
  virtual void moveWindowFrame(WindowId id, int left, int top) = 0;
  virtual int screenWidth() = 0;
  virtual int screenHeight() = 0;
  // Shows the client area's pixels; only the part in `dirty` changed since the last call.
  // `client` stays valid and unchanged, but for the next call's dirty part, until the next
  // call or destroyWindow: the screen may take the pixels up to a display refresh later.
  virtual void present(WindowId id, const Surface& client, const Rect& dirty) = 0;
  virtual void setCursor(Cursor c) = 0;
  virtual TextBitmap renderText(const FontSpec& font, std::string_view utf8) = 0;

  virtual Micros now() = 0;
  // Returns the next input event, waiting for one until `deadline` at most (no busy-wait).
  virtual bool waitEvent(InputEvent& ev, Micros deadline) = 0;
  virtual bool pollEvent(InputEvent& ev) = 0;

  virtual std::uint64_t randomSeed() = 0;
  virtual MciDevice& mci() = 0;
};

}  // namespace kh
