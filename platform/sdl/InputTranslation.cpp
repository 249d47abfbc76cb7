#include "InputTranslation.h"

namespace kh {

namespace {

int mouseButton(Uint8 b) {
  return buttonMask(b == SDL_BUTTON_LEFT, b == SDL_BUTTON_RIGHT, b == SDL_BUTTON_MIDDLE);
}

int shiftState(int m) { return shiftMask(m & KMOD_SHIFT, m & KMOD_CTRL, m & KMOD_ALT); }

// First code point of a UTF-8 text.
int firstCodePoint(const char* s) {
  const auto c = static_cast<unsigned char>(s[0]);
  if (c < 0x80) return c;
  int n = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : 1;
  int cp = c & (0x3f >> n);
  for (int i = 1; i <= n && s[i]; ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3f);
  return cp;
}

const WindowState* find(std::span<const WindowState> windows, Uint32 sdlId) {
  for (const WindowState& w : windows)
    if (w.sdlId == sdlId) return &w;
  return nullptr;
}

// Window coordinates to device pixels: they differ where the desktop scales windows.
void toDevice(const WindowState& w, Sint32 x, Sint32 y, RawInput& in) {
  in.x = w.width > 0 ? float(x) * float(w.pixelWidth) / float(w.width) : float(x);
  in.y = w.height > 0 ? float(y) * float(w.pixelHeight) / float(w.height) : float(y);
}

Key keyOf(SDL_Keycode k) {
  switch (k) {
    case SDLK_F11: return Key::F11;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return Key::Enter;
    case SDLK_ESCAPE: return Key::Escape;
    case SDLK_BACKSPACE: return Key::Backspace;
    default: return Key::Other;
  }
}

}  // namespace

Translated translateInput(const SDL_Event& e, std::span<const WindowState> windows, SDL_Keymod mods) {
  Translated t;
  RawInput& in = t.input;
  const WindowState* w = nullptr;
  using T = RawInput::Type;
  switch (e.type) {
    case SDL_QUIT:
      t.action = Translated::Action::Input;
      in.type = T::Quit;
      return t;
    case SDL_SYSWMEVENT: t.action = Translated::Action::WindowSystem; return t;
    case SDL_MOUSEMOTION: {
      if (!(w = find(windows, e.motion.windowID))) return t;
      in.type = T::PointerMove;
      toDevice(*w, e.motion.x, e.motion.y, in);
      const Uint32 s = e.motion.state;
      in.button = buttonMask(s & SDL_BUTTON_LMASK, s & SDL_BUTTON_RMASK, s & SDL_BUTTON_MMASK);
      in.shift = shiftState(mods);
      // SDL makes mouse events of a finger, and says so.
      in.pointer = e.motion.which == SDL_TOUCH_MOUSEID ? PointerKind::Touch : PointerKind::Mouse;
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (!(w = find(windows, e.button.windowID))) return t;
      in.type = e.type == SDL_MOUSEBUTTONDOWN ? T::PointerDown : T::PointerUp;
      toDevice(*w, e.button.x, e.button.y, in);
      in.button = mouseButton(e.button.button);
      in.shift = shiftState(mods);
      in.pointer = e.button.which == SDL_TOUCH_MOUSEID ? PointerKind::Touch : PointerKind::Mouse;
      break;
    case SDL_TEXTINPUT:
      if (!(w = find(windows, e.text.windowID))) return t;
      in.type = T::Text;
      in.ch = firstCodePoint(e.text.text);
      break;
    case SDL_KEYDOWN:
      if (!(w = find(windows, e.key.windowID))) return t;
      in.key = keyOf(e.key.keysym.sym);
      if (in.key == Key::Other) return t;  // it types text, if anything
      in.type = T::KeyDown;
      in.repeat = e.key.repeat != 0;
      in.shift = shiftState(e.key.keysym.mod);
      break;
    case SDL_WINDOWEVENT:
      if (!(w = find(windows, e.window.windowID))) return t;
      in.window = w->id;
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        in.type = T::Close;
        break;
      }
      // Drawn again from what it last showed.
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        t.action = Translated::Action::Redraw;
      return t;
    default: return t;
  }
  t.action = Translated::Action::Input;
  in.window = w->id;
  return t;
}

}  // namespace kh
