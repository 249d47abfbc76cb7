#include "SdlBackend.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "Report.h"
#include "SdlAudio.h"
#include "Viewport.h"
#include "X11Desktop.h"

namespace kh {

namespace {

template <class T, void (*F)(T*)>
struct Deleter {
  void operator()(T* p) const { if (p) F(p); }
};
using WindowPtr = std::unique_ptr<SDL_Window, Deleter<SDL_Window, SDL_DestroyWindow>>;
using SurfacePtr = std::unique_ptr<SDL_Surface, Deleter<SDL_Surface, SDL_FreeSurface>>;
using CursorPtr = std::unique_ptr<SDL_Cursor, Deleter<SDL_Cursor, SDL_FreeCursor>>;
using FontPtr = std::unique_ptr<TTF_Font, Deleter<TTF_Font, TTF_CloseFont>>;

// One window: what it shows in its own pixels, and how that reaches the screen.
struct SdlWindow {
  WindowPtr window;
  unsigned long xid = 0;
  int inset = 0;        // the drawn dialog frame around the client area
  bool titled = true;   // a window manager's frame with title bar; the one that goes fullscreen
  bool centred = false;
  Surface picture;      // the window's own pixels: the drawn frame around the client area
  const Surface* client = nullptr;  // the client area's pixels, as last presented
  std::optional<Rect> pending;      // client pixels not yet on the screen
  bool whole = true;    // the whole window needs drawing again (new, resized, uncovered)
  Micros shownAt = INT64_MIN / 4;
  Rect windowed{};      // the frame as a window, kept while fullscreen
  std::unique_ptr<x11::SharedPixels> shared;  // where the X server reads our pixels directly
  bool sharedTried = false;
  bool gone = false;  // destroyed by another program
};

// Finds a font file for a pattern such as "Arial Black,Lato Black:weight=black".
std::string findFont(const std::string& pattern) {
  std::string file;
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return file;
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
  if (pat) {
    FcConfigSubstitute(config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(config, pat, &result)) {
      FcChar8* f = nullptr;
      if (FcPatternGetString(match, FC_FILE, 0, &f) == FcResultMatch && f) file = reinterpret_cast<const char*>(f);
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
  }
  FcConfigDestroy(config);
  return file;
}

int mouseButton(Uint8 b) {
  switch (b) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    default: return 0;
  }
}

int shiftState() {
  const SDL_Keymod m = SDL_GetModState();
  return ((m & KMOD_SHIFT) ? 1 : 0) | ((m & KMOD_CTRL) ? 2 : 0) | ((m & KMOD_ALT) ? 4 : 0);
}

// First code point of a UTF-8 text.
int firstCodePoint(const char* s) {
  const auto c = static_cast<unsigned char>(s[0]);
  if (c < 0x80) return c;
  int n = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : 1;
  int cp = c & (0x3f >> n);
  for (int i = 1; i <= n && s[i]; ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3f);
  return cp;
}

}  // namespace

void reportFatal(std::string_view message) {
  reportProblem(message);
  // A box only where someone can see it: SDL's last resort would otherwise try a helper
  // program that complains on stderr about the missing display.
  const char* x = SDL_getenv("DISPLAY");
  const char* wl = SDL_getenv("WAYLAND_DISPLAY");
  const bool visible = (x && *x && x11::displayAnswers()) || (wl && *wl);
  if (!visible) return;
  const std::string text(message);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Knuffelhatz", text.c_str(), nullptr);
}

struct SdlBackend::Impl {
  SdlOptions options;
  std::map<WindowId, SdlWindow> windows;
  WindowId next = 1;
  int scale = 1;
  bool fullscreen = false;  // the player's choice for the play window, for the whole run
  bool prompt = false;      // the next frame answers a click: show it at once
  Micros period = 16'667;   // the display's refresh interval
  CursorPtr arrow, cross;
  Cursor cursor = Cursor::Arrow;
  bool ttf = false;
  std::map<std::pair<std::string, int>, FontPtr> fonts;
  std::map<std::string, std::string> fontFiles;
  std::unique_ptr<SdlSound> audio;
  bool fontWarned = false;
  void* xDisplay = nullptr;  // the X connection, once a window shows which
  Micros pumpedAt = INT64_MIN / 4;  // when SDL last asked the window system for events

  SdlWindow& at(WindowId id) {
    auto it = windows.find(id);
    if (it == windows.end()) throw std::logic_error("no such window");
    return it->second;
  }
  SdlWindow* bySdlId(Uint32 sdlId) {
    for (auto& [id, w] : windows)
      if (SDL_GetWindowID(w.window.get()) == sdlId) return &w;
    return nullptr;
  }
  bool translate(const SDL_Event& e, InputEvent& ev);
  void checkWindows();
  Viewport view(SdlWindow& w);
  void toClient(SdlWindow& w, Sint32 x, Sint32 y, InputEvent& ev);
  void show(SdlWindow& w, Micros t);
  Micros nextDue() const;
  void showDue(Micros t);
  void applyScale();
  void setFullscreen(SdlWindow& w, bool on);
  void toggleFullscreen();
};

namespace {

Micros clockNow() {
  const Uint64 c = SDL_GetPerformanceCounter(), f = SDL_GetPerformanceFrequency();
  return Micros((c / f) * 1000000 + ((c % f) * 1000000) / f);
}

// Window managers' frames are not known before the first window is framed; a title bar and
// borders take about this much height.
constexpr int kFrameGuess = 32;

int desktopHeight() {
  SDL_DisplayMode m{};
  return SDL_GetDesktopDisplayMode(0, &m) == 0 ? m.h : 768;
}

// A window driver that shows windows to a person; the others (offscreen, dummy, a console's
// frame buffer) run invisibly unless someone asked for them.
bool isDesktopDriver(const char* name) {
  const std::string n = name ? name : "";
  return n == "x11" || n == "wayland" || n == "windows" || n == "cocoa";
}

}  // namespace

SdlBackend::SdlBackend(SdlOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  if (impl_->options.scale > 0) impl_->scale = std::clamp(impl_->options.scale, 1, kMaxScale);
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  auto set = [](const char* name) {
    const char* v = SDL_getenv(name);
    return v && *v;
  };
  const bool chosen = set("SDL_VIDEODRIVER");
  if (!chosen) {
    // Only the desktops the environment names, so SDL neither falls back to an invisible
    // driver nor tries, and complains about, one that is not there.
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY"))
      throw std::runtime_error("no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, !set("WAYLAND_DISPLAY") ? "x11" : !set("DISPLAY") ? "wayland,x11" : "x11,wayland");
  }
  x11::installErrorHandlers();
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    const std::string why = SDL_GetError();
    SDL_Quit();
    throw std::runtime_error("cannot open a window on the display: " + why);
  }
  if (!chosen && !isDesktopDriver(SDL_GetCurrentVideoDriver())) {
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "none";
    SDL_Quit();
    throw std::runtime_error("no display to open a window on (only the video driver \"" + driver + "\")");
  }
  SDL_DisplayMode mode{};
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0) impl_->period = 1'000'000 / mode.refresh_rate;
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
  impl_->arrow.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
  impl_->cross.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR));
  impl_->ttf = TTF_Init() == 0;
  if (!impl_->ttf) reportProblem(std::string("texts cannot be drawn: ") + TTF_GetError());
  SDL_StartTextInput();
}

SdlBackend::~SdlBackend() {
  impl_->audio.reset();
  impl_->fonts.clear();
  while (!impl_->windows.empty()) destroyWindow(impl_->windows.begin()->first);
  impl_->arrow.reset();
  impl_->cross.reset();
  x11::settle(impl_->xDisplay);
  if (impl_->ttf) TTF_Quit();
  SDL_Quit();
}

int SdlBackend::scale() const { return impl_->scale; }

void SdlBackend::Impl::applyScale() {
  for (auto& [id, w] : windows) {
    if (SDL_GetWindowFlags(w.window.get()) & SDL_WINDOW_FULLSCREEN) continue;
    SDL_SetWindowSize(w.window.get(), w.picture.width() * scale, w.picture.height() * scale);
    if (w.centred) SDL_SetWindowPosition(w.window.get(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    w.whole = true;
  }
}

WindowId SdlBackend::createWindow(const WindowOptions& opts) {
  SdlWindow w;
  w.titled = opts.titleBar;
  w.centred = opts.centred;
  w.inset = opts.titleBar ? 0 : kDialogFrame;
  w.picture = Surface(opts.clientWidth + 2 * w.inset, opts.clientHeight + 2 * w.inset, kBlack);
  if (w.inset) drawDialogFrame(w.picture);
  if (impl_->options.scale <= 0) {
    // The largest scale at which every window of the program fits comfortably.
    const int s = suggestedScale(w.picture.height(), w.titled ? kFrameGuess : 0, desktopHeight());
    if (impl_->windows.empty() || s < impl_->scale) {
      impl_->scale = s;
      impl_->applyScale();
    }
  }
  Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (!opts.titleBar) flags |= SDL_WINDOW_BORDERLESS;
  if (opts.skipTaskbar) flags |= SDL_WINDOW_SKIP_TASKBAR;
  const int pos = opts.centred ? SDL_WINDOWPOS_CENTERED : SDL_WINDOWPOS_UNDEFINED;
  const int s = impl_->scale;
  w.window.reset(SDL_CreateWindow(opts.caption.c_str(), pos, pos, w.picture.width() * s, w.picture.height() * s, flags));
  if (!w.window) throw std::runtime_error(std::string("cannot create a window: ") + SDL_GetError());
  w.xid = x11::windowId(w.window.get());
  if (!impl_->xDisplay) impl_->xDisplay = x11::display(w.window.get());
  if (w.titled) {
    x11::setCloseOnlyHints(w.window.get());
    x11::requestFrameExtents(w.window.get());
  }
  if (opts.icon && !opts.icon->empty()) {
    const Surface& ic = *opts.icon;
    std::vector<Uint32> argb(ic.pixels().size());
    for (std::size_t i = 0; i < argb.size(); ++i)
      argb[i] = ic.pixels()[i] == opts.iconTransparent ? 0u : (0xff000000u | ic.pixels()[i]);
    SurfacePtr icon(SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), ic.width(), ic.height(), 32, ic.width() * 4,
                                                       SDL_PIXELFORMAT_ARGB8888));
    if (icon) SDL_SetWindowIcon(w.window.get(), icon.get());
  }
  const WindowId id = impl_->next++;
  impl_->windows.emplace(id, std::move(w));
  return id;
}

void SdlBackend::destroyWindow(WindowId id) {
  auto it = impl_->windows.find(id);
  if (it == impl_->windows.end()) return;
  if (it->second.gone) x11::forgetGone(it->second.window.get());
  impl_->windows.erase(it);
}

void SdlBackend::Impl::setFullscreen(SdlWindow& w, bool on) {
  SDL_Window* win = w.window.get();
  const bool is = (SDL_GetWindowFlags(win) & SDL_WINDOW_FULLSCREEN) != 0;
  if (on == is) return;
  if (on) {
    int x = 0, y = 0, cw = 0, ch = 0, t = 0, l = 0, b = 0, r = 0;
    SDL_GetWindowPosition(win, &x, &y);
    SDL_GetWindowSize(win, &cw, &ch);
    if (SDL_GetWindowBordersSize(win, &t, &l, &b, &r) != 0) t = l = b = r = 0;
    w.windowed = {x - l, y - t, cw + l + r, ch + t + b};
  }
  if (on) x11::setCloseOnlyHints(win, true);
  SDL_SetWindowFullscreen(win, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  if (!on) x11::setCloseOnlyHints(win);
  w.whole = true;
}

void SdlBackend::Impl::toggleFullscreen() {
  fullscreen = !fullscreen;
  for (auto& [id, w] : windows)
    if (w.titled && (SDL_GetWindowFlags(w.window.get()) & SDL_WINDOW_SHOWN)) setFullscreen(w, fullscreen);
}

void SdlBackend::setFullscreen(bool on) {
  if (on != impl_->fullscreen) impl_->toggleFullscreen();
}

void SdlBackend::showWindow(WindowId id, bool shown) {
  SdlWindow& w = impl_->at(id);
  SDL_Window* win = w.window.get();
  if (shown) {
    SDL_ShowWindow(win);
    if (w.titled) impl_->setFullscreen(w, impl_->fullscreen);
    SDL_RaiseWindow(win);
  } else {
    SDL_HideWindow(win);
  }
}

Rect SdlBackend::windowFrame(WindowId id) {
  SdlWindow& w = impl_->at(id);
  SDL_Window* win = w.window.get();
  if (SDL_GetWindowFlags(win) & SDL_WINDOW_FULLSCREEN) return w.windowed;
  int x = 0, y = 0, cw = 0, ch = 0, top = 0, left = 0, bottom = 0, right = 0;
  SDL_GetWindowPosition(win, &x, &y);
  SDL_GetWindowSize(win, &cw, &ch);
  if (SDL_GetWindowBordersSize(win, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  if (top == 0 && left == 0 && w.titled) {
    // Not framed yet: the size of the frame the window manager promised, at the place the
    // frame will take.
    int l = 0, r = 0, t = 0, b = 0;
    if (x11::frameExtents(win, l, r, t, b)) return {x, y, cw + l + r, ch + t + b};
  }
  return {x - left, y - top, cw + left + right, ch + top + bottom};
}

void SdlBackend::moveWindowFrame(WindowId id, int left, int top) {
  SdlWindow& w = impl_->at(id);
  SDL_Window* win = w.window.get();
  if (SDL_GetWindowFlags(win) & SDL_WINDOW_FULLSCREEN) {
    // Where it goes when it is a window again.
    w.windowed.x = left;
    w.windowed.y = top;
  }
  int t = 0, l = 0, b = 0, r = 0;
  if (SDL_GetWindowBordersSize(win, &t, &l, &b, &r) != 0) t = l = 0;
  // Before the window is framed the window manager puts its frame where the window asks to be.
  SDL_SetWindowPosition(win, left + l, top + t);
}

int SdlBackend::screenWidth() {
  SDL_DisplayMode m{};
  return SDL_GetDesktopDisplayMode(0, &m) == 0 ? m.w : 1024;
}

int SdlBackend::screenHeight() { return desktopHeight(); }

Viewport SdlBackend::Impl::view(SdlWindow& w) {
  int pw = 0, ph = 0;
  SDL_GetWindowSizeInPixels(w.window.get(), &pw, &ph);
  Viewport v = Viewport::fit(w.picture.width(), w.picture.height(), pw, ph);
  v.inset = w.inset;
  return v;
}

void SdlBackend::Impl::show(SdlWindow& w, Micros t) {
  SDL_Window* win = w.window.get();
  auto done = [&] {
    w.whole = false;
    w.pending.reset();
    w.shownAt = t;
  };
  if (!w.client) return done();
  if (!w.sharedTried) {
    w.sharedTried = true;
    w.shared = x11::SharedPixels::create(win);
  }
  // Where the pixels go: memory the X server reads directly, or SDL's window surface.
  int dw = 0, dh = 0, pitch = 0;
  void* pixels = nullptr;
  SDL_Surface* s = nullptr;
  if (w.shared) {
    SDL_GetWindowSizeInPixels(win, &dw, &dh);
    if (w.shared->width() != dw || w.shared->height() != dh) w.whole = true;
    if (w.shared->fit(dw, dh)) {
      pixels = w.shared->pixels();
      pitch = w.shared->pitch();
    } else {
      w.shared.reset();
      w.whole = true;
    }
  }
  if (!pixels) {
    s = SDL_GetWindowSurface(win);
    if (!s) return done();
    dw = s->w;
    dh = s->h;
    pitch = s->pitch;
    pixels = s->pixels;
  }
  Viewport v = Viewport::fit(w.picture.width(), w.picture.height(), dw, dh);
  const Surface& c = *w.client;
  const int in = w.inset;
  // What of the client area to draw, clipped to what the device shows whole.
  Rect r = v.shown(w.whole ? Rect{in, in, c.width(), c.height()} : w.pending.value_or(Rect{}));
  r = {r.x - in, r.y - in, r.w, r.h};
  const bool direct = !s || (s->format->BytesPerPixel == 4 && s->format->Rmask == 0xff0000 &&
                             s->format->Gmask == 0xff00 && s->format->Bmask == 0xff);
  const bool lock = s && SDL_MUSTLOCK(s);
  auto draw = [&](const Surface& from, const Rect& part, int x, int y) {
    if (part.w <= 0 || part.h <= 0) return;
    if (direct) {
      if (lock) SDL_LockSurface(s);
      blitScaled(from, part, x, y, v, lock ? s->pixels : pixels, pitch);
      if (lock) SDL_UnlockSurface(s);
      return;
    }
    // Another pixel layout: SDL converts while it enlarges, nearest pixel too.
    SurfacePtr f(SDL_CreateRGBSurfaceWithFormatFrom(const_cast<Pixel*>(from.row(0)), from.width(), from.height(), 32,
                                                    from.width() * 4, SDL_PIXELFORMAT_RGB888));
    const Rect d = v.toDevice({x, y, part.w, part.h});
    SDL_Rect sr{part.x, part.y, part.w, part.h}, dr{d.x, d.y, d.w, d.h};
    if (f) SDL_BlitScaled(f.get(), &sr, s, &dr);
  };
  if (w.whole) {
    if (s) {
      SDL_FillRect(s, nullptr, SDL_MapRGB(s->format, 0, 0, 0));
    } else {
      for (int y = 0; y < dh; ++y) std::memset(static_cast<char*>(pixels) + std::ptrdiff_t(y) * pitch, 0, std::size_t(dw) * 4);
    }
    if (in) draw(w.picture, v.shown({0, 0, w.picture.width(), w.picture.height()}), 0, 0);
  }
  draw(c, r, r.x + in, r.y + in);
  const Rect d = w.whole ? Rect{0, 0, dw, dh} : v.toDevice({r.x + in, r.y + in, r.w, r.h});
  if (d.w > 0 && d.h > 0) {
    if (s) {
      const SDL_Rect dr{d.x, d.y, d.w, d.h};
      SDL_UpdateWindowSurfaceRects(win, &dr, 1);
    } else {
      w.shared->put(d.x, d.y, d.w, d.h);
    }
  }
  done();
}

Micros SdlBackend::Impl::nextDue() const {
  // A frame held back goes out with the next one, or two refreshes later at the latest.
  Micros due = INT64_MAX;
  for (const auto& [id, w] : windows)
    if (w.client && (w.pending || w.whole)) due = std::min(due, w.shownAt + 2 * period);
  return due;
}

void SdlBackend::Impl::showDue(Micros t) {
  for (auto& [id, w] : windows)
    if (w.client && (w.pending || w.whole) && t >= w.shownAt + 2 * period) show(w, t);
}

void SdlBackend::present(WindowId id, const Surface& client, const Rect& dirty) {
  SdlWindow& w = impl_->at(id);
  w.client = &client;
  include(w.pending, Rect{dirty.x + w.inset, dirty.y + w.inset, dirty.w, dirty.h});
  // No faster than the display shows frames, except a frame that answers a click.
  const Micros t = now();
  if (impl_->prompt || w.whole || t - w.shownAt >= impl_->period - impl_->period / 8) {
    impl_->show(w, t);
    impl_->prompt = false;
  }
}

Micros SdlBackend::shownAt(WindowId id) { return impl_->at(id).shownAt; }

void SdlBackend::queueClick(WindowId id, int x, int y) {
  SdlWindow& w = impl_->at(id);
  int ww = 0, wh = 0;
  SDL_GetWindowSize(w.window.get(), &ww, &wh);
  const Viewport v = impl_->view(w);
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

void SdlBackend::setCursor(Cursor c) {
  if (c == impl_->cursor) return;
  impl_->cursor = c;
  SDL_SetCursor(c == Cursor::Cross ? impl_->cross.get() : impl_->arrow.get());
}

TextBitmap SdlBackend::renderText(const FontSpec& font, std::string_view utf8) {
  TextBitmap out;
  if (!impl_->ttf || utf8.empty()) return out;
  auto& file = impl_->fontFiles[font.face];
  if (file.empty()) file = findFont(font.face);
  const int px = int(std::lround(font.points * 96.0 / 72.0));
  auto& f = impl_->fonts[{file, px}];
  if (!f && !file.empty()) f.reset(TTF_OpenFont(file.c_str(), px));
  if (!f) {
    if (!impl_->fontWarned) reportProblem("no font found for \"" + font.face + "\"; texts stay blank");
    impl_->fontWarned = true;
    return out;
  }
  const std::string text(utf8);
  SurfacePtr s(TTF_RenderUTF8_Blended(f.get(), text.c_str(), SDL_Color{255, 255, 255, 255}));
  if (!s) return out;
  SurfacePtr argb(SDL_ConvertSurfaceFormat(s.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!argb) return out;
  out.width = argb->w;
  out.height = argb->h;
  out.coverage.resize(std::size_t(out.width) * std::size_t(out.height));
  SDL_LockSurface(argb.get());
  for (int y = 0; y < out.height; ++y) {
    const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
    for (int x = 0; x < out.width; ++x) out.coverage[std::size_t(y * out.width + x)] = Uint8(row[x] >> 24);
  }
  SDL_UnlockSurface(argb.get());
  return out;
}

Micros SdlBackend::now() { return clockNow(); }

void SdlBackend::Impl::toClient(SdlWindow& w, Sint32 x, Sint32 y, InputEvent& ev) {
  // Window coordinates to device pixels (they differ where the desktop scales windows), then
  // to the window's own pixels; whatever lies outside the client area counts as its edge.
  int ww = 0, wh = 0;
  SDL_GetWindowSize(w.window.get(), &ww, &wh);
  const Viewport v = view(w);
  const float dx = ww > 0 ? float(x) * float(v.areaWidth) / float(ww) : float(x);
  const float dy = wh > 0 ? float(y) * float(v.areaHeight) / float(wh) : float(y);
  v.toClient(dx, dy, ev.x, ev.y);
}

void SdlBackend::Impl::checkWindows() {
  const unsigned long failed = x11::lastFailedWindow();
  if (!failed) return;
  for (auto& [id, w] : windows)
    if (w.xid == failed) {
      w.gone = true;
      throw std::runtime_error("a window of the game was destroyed by another program");
    }
}

bool SdlBackend::Impl::translate(const SDL_Event& e, InputEvent& ev) {
  ev = InputEvent{};
  SdlWindow* w = nullptr;
  switch (e.type) {
    case SDL_QUIT: ev.type = InputEvent::Type::Quit; return true;
    case SDL_MOUSEMOTION: {
      if (!(w = bySdlId(e.motion.windowID))) return false;
      ev.type = InputEvent::Type::MouseMove;
      toClient(*w, e.motion.x, e.motion.y, ev);
      const Uint32 s = e.motion.state;
      ev.button = ((s & SDL_BUTTON_LMASK) ? 1 : 0) | ((s & SDL_BUTTON_RMASK) ? 2 : 0) | ((s & SDL_BUTTON_MMASK) ? 4 : 0);
      ev.shift = shiftState();
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (!(w = bySdlId(e.button.windowID))) return false;
      ev.type = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::MouseDown : InputEvent::Type::MouseUp;
      toClient(*w, e.button.x, e.button.y, ev);
      ev.button = mouseButton(e.button.button);
      ev.shift = shiftState();
      if (e.type == SDL_MOUSEBUTTONDOWN) prompt = true;
      break;
    case SDL_TEXTINPUT:
      if (!(w = bySdlId(e.text.windowID))) return false;
      ev.type = InputEvent::Type::KeyChar;
      ev.key = firstCodePoint(e.text.text);
      break;
    case SDL_KEYDOWN: {
      if (!(w = bySdlId(e.key.windowID))) return false;
      const SDL_Keycode k = e.key.keysym.sym;
      const bool enter = k == SDLK_RETURN || k == SDLK_KP_ENTER;
      // F11 and Alt+Enter switch the play window between window and full screen.
      if (k == SDLK_F11 || (enter && (e.key.keysym.mod & KMOD_ALT))) {
        if (w->titled && !e.key.repeat) toggleFullscreen();
        return false;
      }
      // Keys that type a control character rather than text.
      if (enter) ev.key = 13;
      else if (k == SDLK_ESCAPE) ev.key = 27;
      else if (k == SDLK_BACKSPACE) ev.key = 8;
      else return false;
      ev.type = InputEvent::Type::KeyChar;
      break;
    }
    case SDL_WINDOWEVENT:
      if (!(w = bySdlId(e.window.windowID))) return false;
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        ev.type = InputEvent::Type::Close;
        break;
      }
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
        // Draw it all again from what it last showed.
        w->whole = true;
        show(*w, clockNow());
      }
      return false;
    case SDL_SYSWMEVENT: {
      const unsigned long gone = x11::destroyedWindow(e.syswm.msg);
      for (auto& [id, sw] : windows)
        if (gone && sw.xid == gone) {
          sw.gone = true;
          throw std::runtime_error("a window of the game was destroyed by another program");
        }
      return false;
    }
    default: return false;
  }
  // SDL numbers windows its own way; map to ours.
  for (auto& [id, sw] : windows)
    if (&sw == w) {
      ev.window = id;
      return true;
    }
  return false;
}

bool SdlBackend::waitEvent(InputEvent& ev, Micros deadline) {
  for (;;) {
    impl_->checkWindows();
    Micros t = now();
    impl_->showDue(t);
    SDL_Event e;
    if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
      if (impl_->translate(e, ev)) return true;
      continue;
    }
    const Micros until = std::min(deadline, impl_->nextDue());
    if (until - t <= 0) {
      if (t >= deadline) return pollEvent(ev);
      continue;
    }
    if (impl_->xDisplay) {
      // Waiting on the X connection ourselves, to the microsecond; SDL looks only if
      // something came.
      if (x11::waitForInput(impl_->xDisplay, until - t)) SDL_PumpEvents();
      impl_->pumpedAt = now();
      continue;
    }
    const int got = SDL_WaitEventTimeout(&e, int(std::min<Micros>((until - t + 999) / 1000, INT_MAX)));
    impl_->pumpedAt = now();
    if (got && impl_->translate(e, ev)) return true;
  }
}

bool SdlBackend::pollEvent(InputEvent& ev) {
  impl_->checkWindows();
  // Asking the X server again within a millisecond of the last time finds nothing new worth
  // a trip: the queue SDL already holds is enough.
  const Micros t = now();
  const bool fresh = t - impl_->pumpedAt < 1000;
  if (!fresh) {
    if (!impl_->xDisplay || x11::waitForInput(impl_->xDisplay, 0)) SDL_PumpEvents();
    impl_->pumpedAt = t;
  }
  SDL_Event e;
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
    if (impl_->translate(e, ev)) return true;
  return false;
}

std::uint64_t SdlBackend::randomSeed() {
  return std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^ SDL_GetPerformanceCounter();
}

MciDevice& SdlBackend::mci() {
  if (!impl_->audio) impl_->audio = std::make_unique<SdlSound>(impl_->options.soundFolders);
  return *impl_->audio;
}

}  // namespace kh
