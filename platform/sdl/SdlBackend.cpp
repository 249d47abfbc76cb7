#include "SdlBackend.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <stdexcept>

#include "Report.h"
#include "SdlAudio.h"

namespace kh {

namespace {

template <class T, void (*F)(T*)>
struct Deleter {
  void operator()(T* p) const { if (p) F(p); }
};
using WindowPtr = std::unique_ptr<SDL_Window, Deleter<SDL_Window, SDL_DestroyWindow>>;
using RendererPtr = std::unique_ptr<SDL_Renderer, Deleter<SDL_Renderer, SDL_DestroyRenderer>>;
using TexturePtr = std::unique_ptr<SDL_Texture, Deleter<SDL_Texture, SDL_DestroyTexture>>;
using SurfacePtr = std::unique_ptr<SDL_Surface, Deleter<SDL_Surface, SDL_FreeSurface>>;
using CursorPtr = std::unique_ptr<SDL_Cursor, Deleter<SDL_Cursor, SDL_FreeCursor>>;
using FontPtr = std::unique_ptr<TTF_Font, Deleter<TTF_Font, TTF_CloseFont>>;

struct SdlWindow {
  WindowPtr window;
  RendererPtr renderer;
  TexturePtr texture;
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
  // Without a video subsystem SDL opens its own connection for the box, if there is a display.
  const std::string text(message);
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Knuffelhatz", text.c_str(), nullptr);
}

struct SdlBackend::Impl {
  SdlOptions options;
  std::map<WindowId, SdlWindow> windows;
  WindowId next = 1;
  CursorPtr arrow, cross;
  Cursor cursor = Cursor::Arrow;
  bool ttf = false;
  std::map<std::pair<std::string, int>, FontPtr> fonts;
  std::map<std::string, std::string> fontFiles;
  std::unique_ptr<SdlAudio> audio;
  bool fontWarned = false;

  SdlWindow& at(WindowId id) {
    auto it = windows.find(id);
    if (it == windows.end()) throw std::logic_error("no such window");
    return it->second;
  }
  bool translate(const SDL_Event& e, InputEvent& ev);
};

SdlBackend::SdlBackend(SdlOptions options) : impl_(std::make_unique<Impl>()) {
  impl_->options = std::move(options);
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0)
    throw std::runtime_error(std::string("cannot open a window: ") + SDL_GetError());
  impl_->arrow.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
  impl_->cross.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR));
  impl_->ttf = TTF_Init() == 0;
  if (!impl_->ttf) reportProblem(std::string("texts cannot be drawn: ") + TTF_GetError());
  SDL_StartTextInput();
}

SdlBackend::~SdlBackend() {
  impl_->audio.reset();
  impl_->fonts.clear();
  impl_->windows.clear();
  impl_->arrow.reset();
  impl_->cross.reset();
  if (impl_->ttf) TTF_Quit();
  SDL_Quit();
}

WindowId SdlBackend::createWindow(const WindowOptions& opts) {
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (!opts.titleBar) flags |= SDL_WINDOW_BORDERLESS;
  if (opts.skipTaskbar) flags |= SDL_WINDOW_SKIP_TASKBAR;
  SdlWindow w;
  const int pos = opts.centred ? SDL_WINDOWPOS_CENTERED : SDL_WINDOWPOS_UNDEFINED;
  w.window.reset(SDL_CreateWindow(opts.caption.c_str(), pos, pos, opts.clientWidth, opts.clientHeight, flags));
  if (!w.window) throw std::runtime_error(std::string("cannot create a window: ") + SDL_GetError());
  w.renderer.reset(SDL_CreateRenderer(w.window.get(), -1, SDL_RENDERER_SOFTWARE));
  if (!w.renderer) throw std::runtime_error(std::string("cannot draw into a window: ") + SDL_GetError());
  w.texture.reset(SDL_CreateTexture(w.renderer.get(), SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                    opts.clientWidth, opts.clientHeight));
  if (!w.texture) throw std::runtime_error(std::string("cannot draw into a window: ") + SDL_GetError());
  if (opts.icon && !opts.icon->empty()) {
    const Surface& ic = *opts.icon;
    std::vector<Uint32> argb(ic.pixels().size());
    for (std::size_t i = 0; i < argb.size(); ++i)
      argb[i] = ic.pixels()[i] == opts.iconTransparent ? 0u : (0xff000000u | ic.pixels()[i]);
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormatFrom(argb.data(), ic.width(), ic.height(), 32, ic.width() * 4,
                                                    SDL_PIXELFORMAT_ARGB8888));
    if (s) SDL_SetWindowIcon(w.window.get(), s.get());
  }
  const WindowId id = impl_->next++;
  impl_->windows.emplace(id, std::move(w));
  return id;
}

void SdlBackend::destroyWindow(WindowId id) { impl_->windows.erase(id); }

void SdlBackend::showWindow(WindowId id, bool shown) {
  SDL_Window* w = impl_->at(id).window.get();
  if (shown) {
    SDL_ShowWindow(w);
    SDL_RaiseWindow(w);
  } else {
    SDL_HideWindow(w);
  }
}

Rect SdlBackend::windowFrame(WindowId id) {
  SDL_Window* w = impl_->at(id).window.get();
  int x = 0, y = 0, cw = 0, ch = 0, top = 0, left = 0, bottom = 0, right = 0;
  SDL_GetWindowPosition(w, &x, &y);
  SDL_GetWindowSize(w, &cw, &ch);
  if (SDL_GetWindowBordersSize(w, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
  return {x - left, y - top, cw + left + right, ch + top + bottom};
}

void SdlBackend::moveWindowFrame(WindowId id, int left, int top) {
  SDL_Window* w = impl_->at(id).window.get();
  int t = 0, l = 0, b = 0, r = 0;
  if (SDL_GetWindowBordersSize(w, &t, &l, &b, &r) != 0) t = l = 0;
  SDL_SetWindowPosition(w, left + l, top + t);
}

int SdlBackend::screenWidth() {
  SDL_DisplayMode m{};
  return SDL_GetDesktopDisplayMode(0, &m) == 0 ? m.w : 1024;
}

int SdlBackend::screenHeight() {
  SDL_DisplayMode m{};
  return SDL_GetDesktopDisplayMode(0, &m) == 0 ? m.h : 768;
}

void SdlBackend::present(WindowId id, const Surface& client, const Rect& dirty) {
  SdlWindow& w = impl_->at(id);
  const SDL_Rect r{dirty.x, dirty.y, dirty.w, dirty.h};
  SDL_UpdateTexture(w.texture.get(), &r, client.row(dirty.y) + dirty.x, client.width() * int(sizeof(Pixel)));
  // The software renderer draws into the window's own frame buffer, which keeps the rest.
  SDL_RenderCopy(w.renderer.get(), w.texture.get(), &r, &r);
  SDL_RenderPresent(w.renderer.get());
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

Micros SdlBackend::now() {
  static_assert(sizeof(Uint64) == 8);
  const Uint64 c = SDL_GetPerformanceCounter(), f = SDL_GetPerformanceFrequency();
  return Micros((c / f) * 1000000 + ((c % f) * 1000000) / f);
}

bool SdlBackend::Impl::translate(const SDL_Event& e, InputEvent& ev) {
  ev = InputEvent{};
  switch (e.type) {
    case SDL_QUIT: ev.type = InputEvent::Type::Quit; return true;
    case SDL_MOUSEMOTION: {
      ev.type = InputEvent::Type::MouseMove;
      ev.window = WindowId(e.motion.windowID);
      ev.x = float(e.motion.x);
      ev.y = float(e.motion.y);
      const Uint32 s = e.motion.state;
      ev.button = ((s & SDL_BUTTON_LMASK) ? 1 : 0) | ((s & SDL_BUTTON_RMASK) ? 2 : 0) | ((s & SDL_BUTTON_MMASK) ? 4 : 0);
      ev.shift = shiftState();
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      ev.type = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::MouseDown : InputEvent::Type::MouseUp;
      ev.window = WindowId(e.button.windowID);
      ev.x = float(e.button.x);
      ev.y = float(e.button.y);
      ev.button = mouseButton(e.button.button);
      ev.shift = shiftState();
      break;
    case SDL_TEXTINPUT:
      ev.type = InputEvent::Type::KeyChar;
      ev.window = WindowId(e.text.windowID);
      ev.key = firstCodePoint(e.text.text);
      break;
    case SDL_KEYDOWN: {
      // Keys that type a control character rather than text.
      const SDL_Keycode k = e.key.keysym.sym;
      if (k == SDLK_RETURN || k == SDLK_KP_ENTER) ev.key = 13;
      else if (k == SDLK_ESCAPE) ev.key = 27;
      else if (k == SDLK_BACKSPACE) ev.key = 8;
      else return false;
      ev.type = InputEvent::Type::KeyChar;
      ev.window = WindowId(e.key.windowID);
      break;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        ev.type = InputEvent::Type::Close;
        ev.window = WindowId(e.window.windowID);
        break;
      }
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
        // Show the last frame again; the texture still holds it.
        for (auto& [id, w] : windows) {
          if (SDL_GetWindowID(w.window.get()) != e.window.windowID) continue;
          SDL_RenderCopy(w.renderer.get(), w.texture.get(), nullptr, nullptr);
          SDL_RenderPresent(w.renderer.get());
        }
      }
      return false;
    default: return false;
  }
  // SDL numbers windows its own way; map to ours.
  for (auto& [id, w] : windows)
    if (SDL_GetWindowID(w.window.get()) == Uint32(ev.window)) {
      ev.window = id;
      return true;
    }
  return false;
}

bool SdlBackend::waitEvent(InputEvent& ev, Micros deadline) {
  // SDL_WaitEventTimeout looks at the queue itself first: one trip to the X server per wake-up.
  for (;;) {
    const Micros left = deadline - now();
    if (left <= 0) return pollEvent(ev);
    const Micros ms = (left + 999) / 1000;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, int(std::min<Micros>(ms, INT_MAX))) == 0) {
      if (now() >= deadline) return false;
      continue;
    }
    if (impl_->translate(e, ev)) return true;
  }
}

bool SdlBackend::pollEvent(InputEvent& ev) {
  SDL_Event e;
  while (SDL_PollEvent(&e))
    if (impl_->translate(e, ev)) return true;
  return false;
}

std::uint64_t SdlBackend::randomSeed() {
  return std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count()) ^ SDL_GetPerformanceCounter();
}

MciDevice& SdlBackend::mci() {
  if (!impl_->audio) impl_->audio = std::make_unique<SdlAudio>(impl_->options.soundFolders);
  return *impl_->audio;
}

}  // namespace kh
