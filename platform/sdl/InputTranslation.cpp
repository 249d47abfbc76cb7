#include "InputTranslation.h"

namespace kh {

namespace {

int mouseButton(Uint8 b) {
  switch (b) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 4;
    default: return 0;
  }
}

int shiftState(SDL_Keymod m) {
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

const WindowState* find(std::span<const WindowState> windows, Uint32 sdlId) {
  for (const WindowState& w : windows)
    if (w.sdlId == sdlId) return &w;
  return nullptr;
}

// Window coordinates to device pixels (they differ where the desktop scales windows), then
// to the window's own pixels; whatever lies outside the client area counts as its edge.
void toClient(const WindowState& w, Sint32 x, Sint32 y, InputEvent& ev) {
  const Viewport& v = w.view;
  const float dx = w.width > 0 ? float(x) * float(v.areaWidth) / float(w.width) : float(x);
  const float dy = w.height > 0 ? float(y) * float(v.areaHeight) / float(w.height) : float(y);
  v.toClient(dx, dy, ev.x, ev.y);
}

}  // namespace

Translated translateInput(const SDL_Event& e, std::span<const WindowState> windows, SDL_Keymod mods) {
  Translated t;
  InputEvent& ev = t.event;
  const WindowState* w = nullptr;
  switch (e.type) {
    case SDL_QUIT:
      t.action = Translated::Action::Input;
      ev.type = InputEvent::Type::Quit;
      return t;
    case SDL_SYSWMEVENT: t.action = Translated::Action::WindowSystem; return t;
    case SDL_MOUSEMOTION: {
      if (!(w = find(windows, e.motion.windowID))) return t;
      ev.type = InputEvent::Type::MouseMove;
      toClient(*w, e.motion.x, e.motion.y, ev);
      const Uint32 s = e.motion.state;
      ev.button = ((s & SDL_BUTTON_LMASK) ? 1 : 0) | ((s & SDL_BUTTON_RMASK) ? 2 : 0) | ((s & SDL_BUTTON_MMASK) ? 4 : 0);
      ev.shift = shiftState(mods);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (!(w = find(windows, e.button.windowID))) return t;
      ev.type = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::MouseDown : InputEvent::Type::MouseUp;
      toClient(*w, e.button.x, e.button.y, ev);
      ev.button = mouseButton(e.button.button);
      ev.shift = shiftState(mods);
      break;
    case SDL_TEXTINPUT:
      if (!(w = find(windows, e.text.windowID))) return t;
      ev.type = InputEvent::Type::KeyChar;
      ev.key = firstCodePoint(e.text.text);
      break;
    case SDL_KEYDOWN: {
      if (!(w = find(windows, e.key.windowID))) return t;
      const SDL_Keycode k = e.key.keysym.sym;
      const bool enter = k == SDLK_RETURN || k == SDLK_KP_ENTER;
      // F11 and Alt+Enter switch the play window between window and full screen.
      if (k == SDLK_F11 || (enter && (e.key.keysym.mod & KMOD_ALT))) {
        if (w->titled && !e.key.repeat) t.action = Translated::Action::ToggleFullscreen;
        ev.window = w->id;
        return t;
      }
      // Keys that type a control character rather than text.
      if (enter) ev.key = 13;
      else if (k == SDLK_ESCAPE) ev.key = 27;
      else if (k == SDLK_BACKSPACE) ev.key = 8;
      else return t;
      ev.type = InputEvent::Type::KeyChar;
      break;
    }
    case SDL_WINDOWEVENT:
      if (!(w = find(windows, e.window.windowID))) return t;
      ev.window = w->id;
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        ev.type = InputEvent::Type::Close;
        break;
      }
      // Drawn again from what it last showed.
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
        t.action = Translated::Action::Redraw;
      return t;
    default: return t;
  }
  t.action = Translated::Action::Input;
  ev.window = w->id;
  return t;
}

}  // namespace kh
