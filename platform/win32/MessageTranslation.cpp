#include "MessageTranslation.h"

#include <windowsx.h>

namespace kh::win32 {

namespace {

int buttonsOf(WPARAM w) {
  return ((w & MK_LBUTTON) ? 1 : 0) | ((w & MK_RBUTTON) ? 2 : 0) | ((w & MK_MBUTTON) ? 4 : 0);
}

}  // namespace

Translated translateMessage(UINT m, WPARAM w, LPARAM l, const MessageContext& c) {
  Translated t;
  t.highSurrogate = c.highSurrogate;
  InputEvent ev;
  ev.window = c.window;
  auto input = [&] {
    t.handled = true;
    t.event = ev;
    return t;
  };
  auto mouse = [&](InputEvent::Type type, int button) {
    ev.type = type;
    c.view.toClient(float(GET_X_LPARAM(l)), float(GET_Y_LPARAM(l)), ev.x, ev.y);
    ev.button = button;
    ev.shift = c.shift;
    return input();
  };
  // A held key repeats with bit 30 set; only its first press toggles.
  auto toggle = [&] {
    t.handled = true;
    t.toggleFullscreen = c.titled && !(l & (1 << 30));
    return t;
  };
  switch (m) {
    case WM_MOUSEMOVE: return mouse(InputEvent::Type::MouseMove, buttonsOf(w));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      // Like any control, the window keeps the mouse until the button is let go.
      t.capture = Translated::Capture::Take;
      return mouse(InputEvent::Type::MouseDown, m <= WM_LBUTTONDBLCLK ? 1 : m <= WM_RBUTTONDBLCLK ? 2 : 4);
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (!(w & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) t.capture = Translated::Capture::Release;
      return mouse(InputEvent::Type::MouseUp, m == WM_LBUTTONUP ? 1 : m == WM_RBUTTONUP ? 2 : 4);
    case WM_CHAR: {
      const auto ch = wchar_t(w);
      if (ch >= 0xd800 && ch < 0xdc00) {
        t.handled = true;
        t.highSurrogate = ch;
        return t;
      }
      ev.type = InputEvent::Type::KeyChar;
      ev.key = ch >= 0xdc00 && ch < 0xe000 && c.highSurrogate
                   ? 0x10000 + ((c.highSurrogate - 0xd800) << 10) + (ch - 0xdc00)
                   : ch;
      t.highSurrogate = 0;
      return input();
    }
    case WM_KEYDOWN:
      if (w == VK_F11) return toggle();
      return t;
    case WM_SYSKEYDOWN:
      if (w == VK_RETURN) return toggle();  // Alt+Enter
      return t;
    case WM_SYSCHAR:
      t.handled = w == VK_RETURN;  // no beep for Alt+Enter
      return t;
    case WM_CLOSE:
      ev.type = InputEvent::Type::Close;
      return input();
    default: return t;
  }
}

}  // namespace kh::win32
