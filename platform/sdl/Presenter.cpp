#include "Presenter.h"

namespace kh {

std::unique_ptr<Presenter> makePresenter(Presenting how, SDL_Window* window) {
  if (how == Presenting::SharedMemory)
    if (auto p = makeSharedPresenter(window)) return p;
  return makeSurfacePresenter(window);
}

FramePlan planFrame(const Surface& picture, const Surface& client, int inset, bool whole, const Rect& dirty, int width,
                    int height) {
  FramePlan p;
  p.view = Viewport::fit(picture.width(), picture.height(), width, height);
  // What of the client area to draw, clipped to what the device shows whole.
  const Rect r = p.view.shown(whole ? Rect{inset, inset, client.width(), client.height()} : dirty);
  p.client = {r.x - inset, r.y - inset, r.w, r.h};
  p.device = whole ? Rect{0, 0, width, height} : p.view.toDevice(r);
  return p;
}

}  // namespace kh
