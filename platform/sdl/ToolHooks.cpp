// What tools (tools/measure) ask of the real backend beyond what the game does.
#include "BackendState.h"

namespace kh {

Micros SdlBackend::shownAt(DisplayWindow& w) { return static_cast<SdlWindow&>(w).shownAt; }

void SdlBackend::queueClick(DisplayWindow& dw, int x, int y) {
  auto& w = static_cast<SdlWindow&>(dw);
  int ww = 0, wh = 0;
  SDL_GetWindowSize(w.window.get(), &ww, &wh);
  const Viewport v = w.view();
  const Rect d = v.toDevice({x + w.inset, y + w.inset, 1, 1});
  SDL_Event e{};
  e.button.windowID = SDL_GetWindowID(w.window.get());
  e.button.button = SDL_BUTTON_LEFT;
  e.button.clicks = 1;
  e.button.x = v.areaWidth > 0 ? d.x * ww / v.areaWidth : d.x;
  e.button.y = v.areaHeight > 0 ? d.y * wh / v.areaHeight : d.y;
  for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
    e.type = type;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
  }
}

}  // namespace kh
