#include "SdlWindow.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "BackendState.h"
#include "X11Desktop.h"

namespace kh {

SdlWindow::SdlWindow(SdlBackend::Impl& b, WindowId i, const WindowOptions& opts, int scale)
    : backend(b), id(i), titled(opts.titleBar), centred(opts.centred) {
  inset = opts.titleBar ? 0 : kDialogFrame;
  picture = Surface(opts.clientWidth + 2 * inset, opts.clientHeight + 2 * inset, kBlack);
  if (inset) drawDialogFrame(picture);
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (!opts.titleBar) flags |= SDL_WINDOW_BORDERLESS;
  if (opts.skipTaskbar) flags |= SDL_WINDOW_SKIP_TASKBAR;
  const int pos = opts.centred ? SDL_WINDOWPOS_CENTERED : SDL_WINDOWPOS_UNDEFINED;
  window.reset(SDL_CreateWindow(opts.caption.c_str(), pos, pos, picture.width() * scale, picture.height() * scale, flags));
  if (!window) throw std::runtime_error(std::string("cannot create a window: ") + SDL_GetError());
  xid = x11::windowId(window.get());
  if (titled) {
    x11::setCloseOnlyHints(window.get());
    x11::requestFrameExtents(window.get());
  }
  if (opts.icon && !opts.icon->empty()) {
    const Surface& ic = *opts.icon;
    std::vector<Uint32> argb(ic.pixels().size());
    for (std::size_t i = 0; i < argb.size(); ++i)
      argb[i] = ic.pixels()[i] == opts.iconTransparent ? 0u : (0xff000000u | ic.pixels()[i]);
    if (SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), ic.width(), ic.height(), 32, ic.width() * 4,
                                                               SDL_PIXELFORMAT_ARGB8888)) {
      SDL_SetWindowIcon(window.get(), icon);
      SDL_FreeSurface(icon);
    }
  }
  if (!backend.xDisplay) backend.xDisplay = x11::display(window.get());
  backend.windows.push_back(this);
}

SdlWindow::~SdlWindow() {
  std::erase(backend.windows, this);
  if (window && gone) x11::forgetGone(window.get());
  presenter.reset();
}

bool SdlWindow::fullscreen() const { return (SDL_GetWindowFlags(window.get()) & SDL_WINDOW_FULLSCREEN) != 0; }

void SdlWindow::show(bool shown) {
  if (shown) {
    SDL_ShowWindow(window.get());
    SDL_RaiseWindow(window.get());
  } else {
    SDL_HideWindow(window.get());
  }
}

void SdlWindow::present(const Surface& c, const Rect& dirty) {
  client = &c;
  include(pending, Rect{dirty.x + inset, dirty.y + inset, dirty.w, dirty.h});
  backend.show(*this, clockNow());
}

void SdlWindow::setScale(int scale) {
  if (fullscreen()) return;
  SDL_SetWindowSize(window.get(), picture.width() * scale, picture.height() * scale);
  if (centred) SDL_SetWindowPosition(window.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  whole = true;
}

void SdlWindow::setFullscreen(bool on) {
  SDL_Window* win = window.get();
  if (on == fullscreen()) return;
  if (on) {
    int x = 0, y = 0, cw = 0, ch = 0, t = 0, l = 0, b = 0, r = 0;
    SDL_GetWindowPosition(win, &x, &y);
    SDL_GetWindowSize(win, &cw, &ch);
    if (SDL_GetWindowBordersSize(win, &t, &l, &b, &r) != 0) t = l = b = r = 0;
    windowed = {x - l, y - t, cw + l + r, ch + t + b};
    x11::setCloseOnlyHints(win, true);
  }
  SDL_SetWindowFullscreen(win, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (!on) x11::setCloseOnlyHints(win);
  whole = true;
}

Rect SdlWindow::frame() {
  SDL_Window* win = window.get();
  if (fullscreen()) return windowed;
  int x = 0, y = 0, cw = 0, ch = 0, top = 0, left = 0, bottom = 0, right = 0;
  SDL_GetWindowPosition(win, &x, &y);
  SDL_GetWindowSize(win, &cw, &ch);
  if (SDL_GetWindowBordersSize(win, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  if (top == 0 && left == 0 && titled) {
    // Not framed yet: the size of the frame the window manager promised, at the place the
    // frame will take.
    int l = 0, r = 0, t = 0, b = 0;
    if (x11::frameExtents(win, l, r, t, b)) return {x, y, cw + l + r, ch + t + b};
  }
  return {x - left, y - top, cw + left + right, ch + top + bottom};
}

void SdlWindow::moveFrame(int left, int top) {
  SDL_Window* win = window.get();
  if (fullscreen()) {
    // Where it goes when it is a window again.
    windowed.x = left;
    windowed.y = top;
  }
  int t = 0, l = 0, b = 0, r = 0;
  if (SDL_GetWindowBordersSize(win, &t, &l, &b, &r) != 0) t = l = 0;
  // Before the window is framed the window manager puts its frame where the window asks to be.
  SDL_SetWindowPosition(win, left + l, top + t);
}

Viewport SdlWindow::view() {
  int pw = 0, ph = 0;
  SDL_GetWindowSizeInPixels(window.get(), &pw, &ph);
  Viewport v = Viewport::fit(picture.width(), picture.height(), pw, ph);
  v.inset = inset;
  return v;
}

WindowState SdlWindow::state() const {
  WindowState s;
  s.id = id;
  s.sdlId = SDL_GetWindowID(window.get());
  SDL_GetWindowSize(window.get(), &s.width, &s.height);
  SDL_GetWindowSizeInPixels(window.get(), &s.pixelWidth, &s.pixelHeight);
  return s;
}

}  // namespace kh
