// Window messages as the game's input, without a window: what each message means, given
// what the window procedure knows of the window and the keyboard.
#include <gtest/gtest.h>
#include <windows.h>

#include "MessageTranslation.h"

namespace kh::win32 {
namespace {

// A picture of 100x80 on a client area of 250x200: scale 2, bars of 25 left and right,
// 20 above and below.
MessageContext window(bool titled = false) {
  MessageContext c;
  c.window = 3;
  c.titled = titled;
  c.view = Viewport::fit(100, 80, 250, 200);
  return c;
}

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

TEST(MessageTranslation, MouseThroughTheViewportWithButtonsAndKeys) {
  MessageContext c = window();
  c.shift = 2 | 4;
  Translated t = translateMessage(WM_MOUSEMOVE, MK_LBUTTON | MK_MBUTTON, at(25 + 2 * 10 + 1, 20 + 2 * 30), c);
  ASSERT_TRUE(t.handled && t.event);
  EXPECT_EQ(t.event->type, InputEvent::Type::MouseMove);
  EXPECT_EQ(t.event->window, 3);
  EXPECT_FLOAT_EQ(t.event->x, 10);
  EXPECT_FLOAT_EQ(t.event->y, 30);
  EXPECT_EQ(t.event->button, 1 | 4);
  EXPECT_EQ(t.event->shift, 6);
  EXPECT_EQ(t.capture, Translated::Capture::Keep);

  // In the bars, and outside the window while it holds the mouse: the nearest edge.
  t = translateMessage(WM_MOUSEMOVE, MK_RBUTTON, at(240, 5), c);
  EXPECT_FLOAT_EQ(t.event->x, 99);
  EXPECT_FLOAT_EQ(t.event->y, 0);
  EXPECT_EQ(t.event->button, 2);
  t = translateMessage(WM_MOUSEMOVE, 0, at(-30, 400), c);
  EXPECT_FLOAT_EQ(t.event->x, 0);
  EXPECT_FLOAT_EQ(t.event->y, 79);
  EXPECT_EQ(t.event->button, 0);
}

TEST(MessageTranslation, ButtonsAndDoubleClicksTakeTheMouseUntilTheLastIsLetGo) {
  const struct {
    UINT message;
    InputEvent::Type type;
    int button;
  } cases[] = {
      {WM_LBUTTONDOWN, InputEvent::Type::MouseDown, 1}, {WM_LBUTTONDBLCLK, InputEvent::Type::MouseDown, 1},
      {WM_RBUTTONDOWN, InputEvent::Type::MouseDown, 2}, {WM_RBUTTONDBLCLK, InputEvent::Type::MouseDown, 2},
      {WM_MBUTTONDOWN, InputEvent::Type::MouseDown, 4}, {WM_MBUTTONDBLCLK, InputEvent::Type::MouseDown, 4},
      {WM_LBUTTONUP, InputEvent::Type::MouseUp, 1},     {WM_RBUTTONUP, InputEvent::Type::MouseUp, 2},
      {WM_MBUTTONUP, InputEvent::Type::MouseUp, 4},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.message);
    const Translated t = translateMessage(k.message, 0, at(25 + 2 * 99, 20 + 2 * 79 + 1), window());
    ASSERT_TRUE(t.handled && t.event);
    EXPECT_EQ(t.event->type, k.type);
    EXPECT_EQ(t.event->button, k.button);
    EXPECT_FLOAT_EQ(t.event->x, 99);
    EXPECT_FLOAT_EQ(t.event->y, 79);
    EXPECT_EQ(t.capture, k.type == InputEvent::Type::MouseDown ? Translated::Capture::Take : Translated::Capture::Release);
  }
  // Another button still down: the window keeps the mouse.
  EXPECT_EQ(translateMessage(WM_LBUTTONUP, MK_RBUTTON, at(0, 0), window()).capture, Translated::Capture::Keep);
  EXPECT_EQ(translateMessage(WM_RBUTTONUP, MK_MBUTTON, at(0, 0), window()).capture, Translated::Capture::Keep);
}

TEST(MessageTranslation, CharactersTypedInTwoHalvesBecomeOne) {
  MessageContext c = window();
  Translated t = translateMessage(WM_CHAR, 0xd83d, 1, c);  // U+1F600 in UTF-16: d83d de00
  EXPECT_TRUE(t.handled);
  EXPECT_FALSE(t.event);
  EXPECT_EQ(t.highSurrogate, 0xd83d);
  c.highSurrogate = t.highSurrogate;
  t = translateMessage(WM_MOUSEMOVE, 0, at(30, 30), c);  // the half waits through other messages
  EXPECT_EQ(t.highSurrogate, 0xd83d);
  t = translateMessage(WM_CHAR, 0xde00, 1, c);
  ASSERT_TRUE(t.event);
  EXPECT_EQ(t.event->type, InputEvent::Type::KeyChar);
  EXPECT_EQ(t.event->key, 0x1f600);
  EXPECT_EQ(t.event->window, 3);
  EXPECT_EQ(t.highSurrogate, 0);

  // A first half followed by a whole character is dropped; a lone second half stays as it is.
  t = translateMessage(WM_CHAR, L'\u00fc', 1, c);
  EXPECT_EQ(t.event->key, 0xfc);
  EXPECT_EQ(t.highSurrogate, 0);
  t = translateMessage(WM_CHAR, 0xde00, 1, window());
  EXPECT_EQ(t.event->key, 0xde00);
  EXPECT_EQ(translateMessage(WM_CHAR, 13, 1, window()).event->key, 13);
}

TEST(MessageTranslation, F11AndAltEnterToggleOnlyThePlayWindowAndNotOnRepeat) {
  const LPARAM first = 1, repeat = 1 | (1 << 30);
  for (const auto& [message, key] : {std::pair{WM_KEYDOWN, VK_F11}, std::pair{WM_SYSKEYDOWN, VK_RETURN}}) {
    SCOPED_TRACE(message);
    Translated t = translateMessage(message, key, first, window(true));
    EXPECT_TRUE(t.handled && t.toggleFullscreen);
    EXPECT_FALSE(t.event);
    t = translateMessage(message, key, repeat, window(true));
    EXPECT_TRUE(t.handled && !t.toggleFullscreen);
    t = translateMessage(message, key, first, window(false));
    EXPECT_TRUE(t.handled && !t.toggleFullscreen);
  }
  // Other keys are Windows' own: Alt+F4 closes, Alt alone opens the control menu.
  EXPECT_FALSE(translateMessage(WM_KEYDOWN, VK_RETURN, first, window(true)).handled);
  EXPECT_FALSE(translateMessage(WM_SYSKEYDOWN, VK_F4, first, window(true)).toggleFullscreen);
  EXPECT_FALSE(translateMessage(WM_SYSKEYDOWN, VK_F4, first, window(true)).handled);
  EXPECT_TRUE(translateMessage(WM_SYSCHAR, VK_RETURN, first, window(true)).handled);  // no beep
  EXPECT_FALSE(translateMessage(WM_SYSCHAR, 'x', first, window(true)).handled);
}

TEST(MessageTranslation, TheCloseBoxAsksTheGameAndOtherMessagesAreWindows) {
  Translated t = translateMessage(WM_CLOSE, 0, 0, window());
  ASSERT_TRUE(t.handled && t.event);
  EXPECT_EQ(t.event->type, InputEvent::Type::Close);
  EXPECT_EQ(t.event->window, 3);
  t = translateMessage(WM_ACTIVATE, WA_ACTIVE, 0, window());
  EXPECT_FALSE(t.handled || t.event || t.toggleFullscreen);
  EXPECT_EQ(t.capture, Translated::Capture::Keep);
}

}  // namespace
}  // namespace kh::win32
