#include <memory>
#include <stdexcept>
#include <string>

#include "Presenter.h"

namespace kh {

namespace {

// SDL's window surface: SDL hands it to the window system, which on X11 waits for the server
// at every update. Pixels of another layout are converted by SDL while it enlarges them.
class SurfacePresenter : public Presenter {
 public:
  explicit SurfacePresenter(SDL_Window* window) : window_(window) {}

  bool show(const Surface& picture, const Surface& client, int inset, bool whole, const Rect& dirty) override {
    SDL_Surface* s = SDL_GetWindowSurface(window_);
    // Nothing SDL can draw with (a palette, an unknown layout): say so rather than stay blank.
    if (!s) throw std::runtime_error(std::string("cannot draw in the window: ") + SDL_GetError());
    const FramePlan p = planFrame(picture, client, inset, whole, dirty, s->w, s->h);
    // Written as they are only where SDL's layout is ours exactly, with no alpha to fill.
    const SDL_PixelFormat& f = *s->format;
    const bool direct = f.BytesPerPixel == 4 && f.Rmask == 0xff0000 && f.Gmask == 0xff00 && f.Bmask == 0xff && f.Amask == 0;
    auto draw = [&](const Surface& from, const Rect& part, int x, int y) {
      if (part.w <= 0 || part.h <= 0) return;
      if (direct) {
        if (SDL_MUSTLOCK(s)) SDL_LockSurface(s);
        blitScaled(from, part, x, y, p.view, s->pixels, s->pitch);
        if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
        return;
      }
      struct FreeSurface {
        void operator()(SDL_Surface* f) const { if (f) SDL_FreeSurface(f); }
      };
      std::unique_ptr<SDL_Surface, FreeSurface> src(SDL_CreateRGBSurfaceWithFormatFrom(
          const_cast<Pixel*>(from.row(0)), from.width(), from.height(), 32, from.width() * 4, SDL_PIXELFORMAT_RGB888));
      const Rect d = p.view.toDevice({x, y, part.w, part.h});
      SDL_Rect sr{part.x, part.y, part.w, part.h}, dr{d.x, d.y, d.w, d.h};
      if (src) SDL_BlitScaled(src.get(), &sr, s, &dr);
    };
    if (whole) {
      SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
      if (inset) draw(picture, p.view.shown({0, 0, picture.width(), picture.height()}), 0, 0);
    }
    draw(client, p.client, p.client.x + inset, p.client.y + inset);
    if (p.device.w > 0 && p.device.h > 0) {
      const SDL_Rect dr{p.device.x, p.device.y, p.device.w, p.device.h};
      SDL_UpdateWindowSurfaceRects(window_, &dr, 1);
    }
    return true;
  }

 private:
  SDL_Window* window_;
};

}  // namespace

std::unique_ptr<Presenter> makeSurfacePresenter(SDL_Window* window) { return std::make_unique<SurfacePresenter>(window); }

}  // namespace kh
