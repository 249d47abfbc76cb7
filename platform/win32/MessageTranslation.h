#pragma once
#include <windows.h>

#include <optional>

#include "Backend.h"
#include "Viewport.h"

namespace kh::win32 {

// What translating a message needs to know of its window and the keyboard, read as it comes.
struct MessageContext {
  WindowId window = 0;
  bool titled = false;        // the play window, the one that goes to the full screen
  Viewport view;              // how the window's picture lies on its client area
  int shift = 0;              // the keys held: 1 Shift, 2 Ctrl, 4 Alt
  wchar_t highSurrogate = 0;  // the first half of a character typed in two WM_CHARs, if one came
};

// What a window message means to the game.
struct Translated {
  enum class Capture { Keep, Take, Release };
  bool handled = false;             // false: Windows' own handling
  std::optional<InputEvent> event;  // for the game's loop
  bool toggleFullscreen = false;    // F11 or Alt+Enter on the play window
  Capture capture = Capture::Keep;  // the window keeps the mouse while a button is down
  wchar_t highSurrogate = 0;        // the context's for the next message
};

// Mouse messages to client pixels through the window's viewport, with the buttons and keys
// held; typed characters to code points; F11 and Alt+Enter; the close box. Touches nothing.
Translated translateMessage(UINT message, WPARAM w, LPARAM l, const MessageContext& context);

}  // namespace kh::win32
