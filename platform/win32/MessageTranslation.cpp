#include "MessageTranslation.h"

#include <windowsx.h>

namespace kh::win32 {

Translated translateMessage(UINT m, WPARAM w, LPARAM l, const MessageContext& c) {
  using T = RawInput::Type;
  Translated t;
  t.highSurrogate = c.highSurrogate;
  RawInput in;
  in.window = c.window;
  auto input = [&] {
    t.handled = true;
    t.input = in;
    return t;
  };
  auto pointer = [&](T type, int button) {
    in.type = type;
    in.x = float(GET_X_LPARAM(l));
    in.y = float(GET_Y_LPARAM(l));
    in.button = button;
    in.shift = c.shift;
    return input();
  };
  auto key = [&](Key k, int shift) {
    in.type = T::KeyDown;
    in.key = k;
    in.shift = shift;
    in.repeat = (l & (1 << 30)) != 0;  // a held key repeats with bit 30 set
    return input();
  };
  switch (m) {
    case WM_MOUSEMOVE: return pointer(T::PointerMove, buttonMask(w & MK_LBUTTON, w & MK_RBUTTON, w & MK_MBUTTON));
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      // Like any control, the window keeps the mouse until the button is let go.
      t.capture = Translated::Capture::Take;
      return pointer(T::PointerDown, m <= WM_LBUTTONDBLCLK ? kLeftButton : m <= WM_RBUTTONDBLCLK ? kRightButton : kMiddleButton);
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (!(w & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) t.capture = Translated::Capture::Release;
      return pointer(T::PointerUp, m == WM_LBUTTONUP ? kLeftButton : m == WM_RBUTTONUP ? kRightButton : kMiddleButton);
    case WM_CHAR: {
      const auto ch = wchar_t(w);
      if (ch >= 0xd800 && ch < 0xdc00) {
        t.handled = true;
        t.highSurrogate = ch;
        return t;
      }
      in.type = T::Text;
      in.ch = ch >= 0xdc00 && ch < 0xe000 && c.highSurrogate ? 0x10000 + ((c.highSurrogate - 0xd800) << 10) + (ch - 0xdc00)
                                                             : ch;
      t.highSurrogate = 0;
      return input();
    }
    // Enter, Escape and Backspace come as the characters Windows makes of them; only these
    // two mean more.
    case WM_KEYDOWN:
      if (w == VK_F11) return key(Key::F11, c.shift);
      return t;
    case WM_SYSKEYDOWN:
      if (w == VK_RETURN) return key(Key::Enter, c.shift | kAlt);
      return t;
    case WM_SYSCHAR:
      t.handled = w == VK_RETURN;  // no beep for Alt+Enter
      return t;
    case WM_CLOSE:
      in.type = T::Close;
      return input();
    default: return t;
  }
}

bool mayHoldThread(UINT m) {
  switch (m) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_CONTEXTMENU:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_SYSCOMMAND: return true;
    default: return false;
  }
}

}  // namespace kh::win32
