#pragma once
#include <SDL.h>

#include <climits>
#include <memory>
#include <optional>

#include "Backend.h"
#include "InputTranslation.h"
#include "Presenter.h"
#include "Viewport.h"

namespace kh {

// One of the game's windows: what it shows in its own pixels, where it is, and how that
// reaches the screen.
struct SdlWindow {
  struct Destroy {
    void operator()(SDL_Window* w) const { if (w) SDL_DestroyWindow(w); }
  };
  std::unique_ptr<SDL_Window, Destroy> window;
  unsigned long xid = 0;
  int inset = 0;        // the drawn dialog frame around the client area
  bool titled = true;   // a window manager's frame with title bar; the one that goes fullscreen
  bool centred = false;
  Surface picture;      // the window's own pixels: the drawn frame around the client area
  const Surface* client = nullptr;  // the client area's pixels, as last presented
  std::optional<Rect> pending;      // client pixels not yet on the screen, in picture pixels
  bool whole = true;    // the whole window needs drawing again (new, resized, uncovered)
  Micros shownAt = INT64_MIN / 4;
  Rect windowed{};      // the frame as a window, kept while fullscreen
  std::unique_ptr<Presenter> presenter;  // made when it first shows
  bool gone = false;    // destroyed by another program

  // A hidden window at `scale`; throws when it cannot be made.
  SdlWindow(const WindowOptions& opts, int scale);
  SdlWindow(SdlWindow&&) = default;
  SdlWindow& operator=(SdlWindow&&) = default;
  ~SdlWindow();

  bool fullscreen() const;
  bool shown() const;
  // The whole-number scale for a window; a fullscreen one keeps its size.
  void setScale(int scale);
  void setFullscreen(bool on);
  // The outer frame, decorations included, in screen pixels; the windowed one while fullscreen.
  Rect frame() const;
  void moveFrame(int left, int top);
  // How the picture lies on the window's pixels.
  Viewport view() const;
  // What input translation needs to know of it.
  WindowState state(WindowId id) const;
};

}  // namespace kh
