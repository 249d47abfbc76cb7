#pragma once
#include <SDL.h>

#include <memory>

#include "Platform.h"
#include "Viewport.h"

namespace kh {

// One way of putting a window's pixels on the screen, enlarged by the window's whole scale.
class Presenter {
 public:
  virtual ~Presenter() = default;
  // Shows the window's picture (its drawn frame, `inset` pixels wide) with `client` in it:
  // all of it when `whole`, else the part `dirty` of the picture. False when this way can no
  // longer serve the window; throws when the window cannot be drawn in at all.
  virtual bool show(const Surface& picture, const Surface& client, int inset, bool whole, const Rect& dirty) = 0;
};

// The ways, chosen once at start for every window.
enum class Presenting {
  WindowSurface,  // SDL's window surface: every desktop SDL knows
  SharedMemory,   // memory a local X server reads directly, without waiting for it
};

// A presenter of the chosen way for the window; SDL's window surface where the other way
// cannot serve it.
std::unique_ptr<Presenter> makePresenter(Presenting how, SDL_Window* window);
std::unique_ptr<Presenter> makeSurfacePresenter(SDL_Window* window);
// Null where the window is not an X11 one or the server cannot share our memory.
std::unique_ptr<Presenter> makeSharedPresenter(SDL_Window* window);

// What a frame changes on a device area of `width` x `height` pixels.
struct FramePlan {
  Viewport view;
  Rect client;  // the part of the client area to draw, in client pixels, shown whole
  Rect device;  // the device pixels that change
};
FramePlan planFrame(const Surface& picture, const Surface& client, int inset, bool whole, const Rect& dirty, int width,
                    int height);

}  // namespace kh
