#pragma once
#include <SDL.h>

#include <climits>
#include <memory>
#include <optional>

#include "InputTranslation.h"
#include "Platform.h"
#include "Presenter.h"
#include "SdlBackend.h"
#include "Viewport.h"

namespace kh {

// One of the game's windows: what it shows in its own pixels, where it is, and how that
// reaches the screen.
class SdlWindow : public DisplayWindow {
 public:
  struct Destroy {
    void operator()(SDL_Window* w) const { if (w) SDL_DestroyWindow(w); }
  };

  // A hidden window at `scale`; throws when it cannot be made.
  SdlWindow(SdlBackend::Impl& backend, WindowId id, const WindowOptions& opts, int scale);
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  void show(bool shown) override;
  void setScale(int scale) override;
  void setFullscreen(bool on) override;
  Rect frame() override;
  void moveFrame(int left, int top) override;
  void present(const Surface& client, const Rect& dirty) override;
  Viewport view() override;

  bool fullscreen() const;
  // What input translation needs to know of it.
  WindowState state() const;

  SdlBackend::Impl& backend;
  WindowId id;
  std::unique_ptr<SDL_Window, Destroy> window;
  unsigned long xid = 0;
  int inset = 0;        // the drawn dialog frame around the client area
  bool titled = true;   // a window manager's frame with title bar
  bool centred = false;
  Surface picture;      // the window's own pixels: the drawn frame around the client area
  const Surface* client = nullptr;  // the client area's pixels, as last presented
  std::optional<Rect> pending;      // client pixels not yet on the screen, in picture pixels
  bool whole = true;    // the whole window needs drawing again (new, resized, uncovered)
  Micros shownAt = INT64_MIN / 4;
  Rect windowed{};      // the frame as a window, kept while fullscreen
  std::unique_ptr<Presenter> presenter;  // made when it first shows
  bool gone = false;    // destroyed by another program
};

}  // namespace kh
