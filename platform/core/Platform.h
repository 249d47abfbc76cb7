#pragma once
// What a platform lends the game: small contracts, each a few primitives. What the game
// decides about them (which window goes to the full screen and when, the scale, which keys
// do what, the best score's bytes, the sound cues) is the core's, in Desktop, BestScore and
// SoundPlayer; a platform only does what it is told.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Surface.h"
#include "Viewport.h"

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
  // What a finger or a pen on it does (Desktop's touch rules): what the mouse does, type the
  // key the window waits for, or aim and steer over `aimArea`, the client pixels the mouse aims in.
  enum class Touch { AsMouse, Key, Aim };
  Touch touch = Touch::AsMouse;
  Rect aimArea{};
};

// The game's input, in a window's client pixels.
struct InputEvent {
  enum class Type { MouseMove, MouseDown, MouseUp, KeyChar, Close, Quit };
  Type type = Type::Quit;
  WindowId window = 0;
  float x = 0, y = 0;  // client coordinates of the window, in pixels
  int button = 0;      // 1 left, 2 right, 4 middle
  int shift = 0;       // 1 shift, 2 ctrl, 4 alt
  int key = 0;         // the typed character's code
};

// Mouse buttons and modifier keys as the game numbers them.
constexpr int kLeftButton = 1, kRightButton = 2, kMiddleButton = 4;
constexpr int kShift = 1, kCtrl = 2, kAlt = 4;
constexpr int buttonMask(bool left, bool right, bool middle) {
  return (left ? kLeftButton : 0) | (right ? kRightButton : 0) | (middle ? kMiddleButton : 0);
}
constexpr int shiftMask(bool shift, bool ctrl, bool alt) { return (shift ? kShift : 0) | (ctrl ? kCtrl : 0) | (alt ? kAlt : 0); }

// What moved or pressed the pointer: a finger and a pen follow the core's touch rules.
enum class PointerKind { Mouse, Touch, Pen };

// A key that means something beyond the character it types.
enum class Key { Other, F11, Enter, Escape, Backspace };

// What a platform saw, before the core's rules (Desktop) make it the game's input.
struct RawInput {
  enum class Type {
    PointerMove,  // x, y; button: the buttons held
    PointerDown,  // x, y; button: the one pressed
    PointerUp,    // x, y; button: the one let go
    Text,         // ch: a typed character
    KeyDown,      // key, repeat, shift
    Close,        // the window's close button
    Quit,         // the program is asked to end
    Area,         // the room for the windows changed (a page resized); fullscreen: where it is now
    Ready,        // `ready` as it is: test drivers and tools that speak the game's own terms
  };
  Type type = Type::Quit;
  WindowId window = 0;
  float x = 0, y = 0;  // the pointer in the window's device pixels, as its view() lays them out
  int scale = 0;       // the whole scale the pointer was measured at; 0: the window's view now
  PointerKind pointer = PointerKind::Mouse;  // one finger or pen at a time: the first one down
  int button = 0;
  int shift = 0;
  int ch = 0;
  Key key = Key::Other;
  bool repeat = false;      // a key held down, repeating
  bool fullscreen = false;  // with Area
  InputEvent ready;
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

// One of the game's windows on a display. Made hidden; gone with its object.
class DisplayWindow {
 public:
  virtual ~DisplayWindow() = default;
  // Shows it on top of the game's other windows with the keyboard focus, or hides it.
  virtual void show(bool shown) = 0;
  // Enlarges it to another whole scale; a centred one is centred again. On the full screen
  // it keeps its size and takes the scale when it is a window again.
  virtual void setScale(int scale) = 0;
  // Puts it on the full screen (its picture at the largest whole scale that fits, centred,
  // black bars around) or makes it the window it was. Only ever called while it is shown.
  virtual void setFullscreen(bool on) = 0;
  // The outer frame in screen pixels, decorations included; the window's own on the full screen.
  virtual Rect frame() = 0;
  // Moves the outer frame's top-left corner there; on the full screen, where it goes as a window.
  virtual void moveFrame(int left, int top) = 0;
  // Shows the client area's pixels, of which only `dirty` changed since the last call.
  // `client` stays valid and unchanged, but for the next call's dirty part, until the next
  // call or the window's end: the window may need them again to repaint itself.
  virtual void present(const Surface& client, const Rect& dirty) = 0;
  // How its picture (client area and any drawn frame) lies on its device pixels now.
  virtual Viewport view() = 0;
  // What it shows in words, a line a label, for screen readers; only when that changed, and
  // only where the window system asks for it (describesWindows).
  virtual void describe(const std::string& text) { (void)text; }
};

// The screen the windows live on.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // A new hidden window at a whole scale, whose input carries `id`. Throws
  // std::runtime_error when it cannot be made.
  virtual std::unique_ptr<DisplayWindow> create(WindowId id, const WindowOptions& opts, int scale) = 0;
  // The screen's size in pixels, as the game's sums about where windows go see it.
  virtual int screenWidth() = 0;
  virtual int screenHeight() = 0;
  // What a window's frame adds to its client area, with or without a title bar.
  struct Frame {
    int drawn = 0;        // a frame drawn in the window's own picture, enlarged with it, each side
    int decorations = 0;  // the height the desktop's own frame adds (title bar, borders)
  };
  virtual Frame frameOf(bool titleBar) = 0;
  // The room for enlarged windows, in device pixels, where the display shows them all in one
  // area it sizes itself (a page); nothing on a desktop, whose screen height decides.
  virtual std::optional<std::pair<int, int>> sharedArea() { return std::nullopt; }
  // Whether the windows' texts should be told to screen readers (describe).
  virtual bool describesWindows() { return false; }
  // The display's refresh interval in microseconds: frames presented faster are never seen.
  // 0 where every frame should be presented (no display, or one that paces itself).
  virtual Micros refreshPeriod() { return 0; }
  // Shows this pointer over the game's windows from now on.
  virtual void setCursor(Cursor c) = 0;
};

// The event loop's work between inputs, for a platform whose window system can keep the
// thread in a loop of its own (a window dragged by its caption, its system menu open).
class Pulse {
 public:
  // Handles the input already queued and what is due now; returns when it is next due.
  virtual Micros run() = 0;

 protected:
  ~Pulse() = default;
};

// Time, randomness and input: one place reads the clock, and waiting wakes on input.
class Events {
 public:
  virtual ~Events() = default;
  // Microseconds on a clock that never goes back.
  virtual Micros now() = 0;
  // The next input, waiting until `deadline` at most without spinning; false at the deadline.
  virtual bool wait(RawInput& in, Micros deadline) = 0;
  // The next input that is already there, if any; never waits.
  virtual bool poll(RawInput& in) = 0;
  // A number to seed the game's random generator with, different at every start.
  virtual std::uint64_t randomSeed() = 0;
  // How close two wake-ups may come before the event loop takes them as one: a timer due
  // within it runs with the one due now. Waits on a desktop or in a page count in milliseconds;
  // a virtual clock says 0, as tests count on the exact order.
  virtual Micros wakeSlack() { return 1000; }
  // While the window system keeps the thread in a loop of its own inside wait(), runs `pulse`
  // whenever it is due, as the event loop would between inputs; nullptr: no more.
  virtual void setPulse(Pulse* pulse) { (void)pulse; }
};

// Labels' text.
class TextRenderer {
 public:
  virtual ~TextRenderer() = default;
  // The text in the font, as coverage; a missing font is replaced by a similar one.
  virtual TextBitmap render(const FontSpec& font, std::string_view utf8) = 0;
};

class SoundOutput;
class SoundFiles;

// All of one platform, as the event loop is given it.
struct Platform {
  WindowSystem& display;
  Events& events;
  TextRenderer& text;
  SoundOutput& sound;
  SoundFiles& soundFiles;
};

// A counter of `frequency` ticks a second as microseconds, without overflow for years.
constexpr Micros microsFromTicks(std::uint64_t count, std::uint64_t frequency) {
  return Micros((count / frequency) * 1000000 + ((count % frequency) * 1000000) / frequency);
}

}  // namespace kh
