#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "Platform.h"

namespace kh {

// The finger (or pen) on a window and where the pointer last aimed there, as the touch
// rules follow them from one input to the next.
struct TouchState {
  enum class Finger { Up, Tap, Steer };
  Finger finger = Finger::Up;
  bool aimed = false;
  float aimX = 0, aimY = 0;  // client pixels
};

// What an input means, by the core's rules.
struct Interpreted {
  enum class Action { None, Input, ToggleFullscreen, Area };
  Action action = Action::None;
  InputEvent event;  // with Input
  TouchState touch;  // the window's, after this input
};

// What the rules need to know of the window an input came to.
struct WindowFacts {
  bool exists = false;
  bool mayGoFullscreen = false;
  Viewport view;
  WindowOptions::Touch touchUse = WindowOptions::Touch::AsMouse;
  Rect aimArea{};
  TouchState touch;
};

// The rules for input, apart from any platform: F11 and Alt+Enter switch the full screen on
// a window that may go there, never when the key repeats; Enter, Escape and Backspace type
// their control characters; the pointer's device pixels become client pixels through the
// window's view (the black bars count as the nearest edge); input to a window that is gone
// is dropped.
// A finger or a pen, which cannot hover, goes by the window's touch use. Key: putting it down
// types Enter. Aim: put down in the outer eighth of the aim area on either side (or beyond)
// it steers, as the mouse there would, until it is lifted; then the pointer goes back to
// where it last aimed, drawn into the aim area's middle half, where the view stands still. Put
// down anywhere else it presses and lets go where it is, and never moves the pointer between.
Interpreted interpretInput(const RawInput& in, const WindowFacts& window);

// The game's windows on a platform's display, with the policy every platform shares: the
// registry of windows, the whole scale (chosen for the screen, or given, and taken by every
// window already open), the player's full-screen choice (the play window, the one with a
// title bar, for the whole run), the pointer shape, the input rules above, and the clock a
// test may run faster.
class Desktop {
 public:
  // `scale` 1..kMaxScale, or 0 to choose one that suits the screen; the clock runs
  // `clockRate` times faster than the platform's (1 unless a test asks).
  Desktop(WindowSystem& display, Events& events, TextRenderer& text, int scale = 0, int clockRate = 1);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  WindowId createWindow(const WindowOptions& opts);
  void destroyWindow(WindowId id);
  // Shows a window on top with the focus (on the full screen, if the player chose it and it
  // may go there), or hides it.
  void showWindow(WindowId id, bool shown);
  Rect windowFrame(WindowId id);
  void moveWindowFrame(WindowId id, int left, int top);
  int screenWidth() { return display_.screenWidth(); }
  int screenHeight() { return display_.screenHeight(); }
  void present(WindowId id, const Surface& client, const Rect& dirty);
  // Frame pacing: whether a frame for the window would be seen if it went out now. Frames go
  // no faster than the display refreshes, except the first asked for after a click, which
  // goes at once.
  bool frameDue(WindowId id);
  // When a frame held back for the window must go out at the latest: two refreshes after
  // the last one.
  Micros frameDeadline(WindowId id);
  void setCursor(Cursor c);
  TextBitmap renderText(const FontSpec& font, std::string_view utf8) { return text_.render(font, utf8); }

  Micros now();
  // How early a timer may run to share a wake-up with another, on the game's clock.
  Micros wakeSlack() { return events_.wakeSlack() * rate_; }
  // The next input for the game, waiting until `deadline` at most; what is not for the game
  // (a full-screen key, a page resized) is acted on here.
  bool waitEvent(InputEvent& ev, Micros deadline);
  bool pollEvent(InputEvent& ev);
  // What the event loop does between inputs, run while the window system keeps the thread
  // in a loop of its own; it returns when it is next due, on this clock.
  void whileHeld(std::function<Micros()> work);
  std::uint64_t randomSeed() { return events_.randomSeed(); }

  // Tells screen readers what a window says, where the window system wants that: the lines
  // not empty, one a line; only a change reaches the window.
  bool describes() { return display_.describesWindows(); }
  void describe(WindowId id, const std::vector<std::string>& lines);

  int scale() const { return scale_; }
  bool fullscreen() const { return fullscreen_; }
  // The player's choice, as F11 makes it (also for tools).
  void setFullscreen(bool on);
  // The platform's window, for tools and tests; nullptr when there is none.
  DisplayWindow* window(WindowId id);
  // The platform's clock time when this clock shows `t`, at the earliest.
  Micros platformTime(Micros t) const;

 private:
  struct Entry {
    std::unique_ptr<DisplayWindow> window;
    bool mayGoFullscreen = false;
    bool shown = false;
    std::string described;
    WindowOptions::Touch touchUse = WindowOptions::Touch::AsMouse;
    Rect aimArea{};
    TouchState touch;
    Micros presentedAt = INT64_MIN / 4;
  };
  Entry& at(WindowId id);
  bool handle(const RawInput& in, InputEvent& ev);
  void adoptScale(int s);
  void fitShared();

  WindowSystem& display_;
  Events& events_;
  TextRenderer& text_;
  const bool fixedScale_;
  int scale_;
  bool fullscreen_ = false;
  std::optional<Cursor> cursor_;
  std::map<WindowId, Entry> windows_;
  WindowId next_ = 1;
  Micros rate_;
  Micros start_;
  Micros framePeriod_;  // the display's refresh, on this clock
  bool prompt_ = false;  // a click waits for its frame
  // The platform's clock for the work run while the thread is held.
  struct Held final : Pulse {
    Desktop& desktop;
    std::function<Micros()> work;
    explicit Held(Desktop& d) : desktop(d) {}
    Micros run() override { return desktop.platformTime(work()); }
  } held_{*this};
};

}  // namespace kh
