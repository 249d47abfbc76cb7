#pragma once
#include <windows.h>

#include <optional>

#include "Platform.h"

namespace kh::win32 {

// What translating a message needs to know of its window and the keyboard, read as it comes.
struct MessageContext {
  WindowId window = 0;
  int shift = 0;              // the modifier keys held, as shiftMask numbers them
  wchar_t highSurrogate = 0;  // the first half of a character typed in two WM_CHARs, if one came
};

// What a window message means.
struct Translated {
  enum class Capture { Keep, Take, Release };
  bool handled = false;             // false: Windows' own handling
  std::optional<RawInput> input;    // for the core's rules
  Capture capture = Capture::Keep;  // the window keeps the mouse while a button is down
  wchar_t highSurrogate = 0;        // the context's for the next message
};

// Mouse messages as the pointer in client-area pixels with the buttons and keys held; typed
// characters as code points; F11 and Alt+Enter as keys; the close box. Touches nothing.
Translated translateMessage(UINT message, WPARAM w, LPARAM l, const MessageContext& context);

// Whether Windows' own handling of the message may keep the thread in a loop of its own until
// the player lets go: the caption held or the window moved, the system menu.
bool mayHoldThread(UINT message);

}  // namespace kh::win32
