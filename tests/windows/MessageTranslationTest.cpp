// Window messages as raw input, without a window: what each message means, given what the
// window procedure knows of the window and the keyboard. What the core makes of it is
// tested with the core (DesktopTest).
#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>

#include "MessageTranslation.h"

namespace kh::win32 {
namespace {

MessageContext window() { return {3, 0, 0}; }

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

TEST(MessageTranslation, MouseInClientPixelsWithButtonsAndKeys) {
  MessageContext c = window();
  c.shift = kCtrl | kAlt;
  Translated t = translateMessage(WM_MOUSEMOVE, MK_LBUTTON | MK_MBUTTON, at(47, 80), c);
  ASSERT_TRUE(t.handled && t.input);
  EXPECT_EQ(t.input->type, RawInput::Type::PointerMove);
  EXPECT_EQ(t.input->window, 3);
  EXPECT_FLOAT_EQ(t.input->x, 47);
  EXPECT_FLOAT_EQ(t.input->y, 80);
  EXPECT_EQ(t.input->button, kLeftButton | kMiddleButton);
  EXPECT_EQ(t.input->shift, kCtrl | kAlt);
  EXPECT_EQ(t.capture, Translated::Capture::Keep);
  // Outside the window while it holds the mouse: negative, as Windows gives it.
  t = translateMessage(WM_MOUSEMOVE, MK_RBUTTON, at(-30, 400), window());
  EXPECT_FLOAT_EQ(t.input->x, -30);
  EXPECT_EQ(t.input->button, kRightButton);
}

TEST(MessageTranslation, ButtonsAndDoubleClicksTakeTheMouseUntilTheLastIsLetGo) {
  using T = RawInput::Type;
  const struct {
    UINT message;
    T type;
    int button;
  } cases[] = {
      {WM_LBUTTONDOWN, T::PointerDown, kLeftButton},   {WM_LBUTTONDBLCLK, T::PointerDown, kLeftButton},
      {WM_RBUTTONDOWN, T::PointerDown, kRightButton},  {WM_RBUTTONDBLCLK, T::PointerDown, kRightButton},
      {WM_MBUTTONDOWN, T::PointerDown, kMiddleButton}, {WM_MBUTTONDBLCLK, T::PointerDown, kMiddleButton},
      {WM_LBUTTONUP, T::PointerUp, kLeftButton},       {WM_RBUTTONUP, T::PointerUp, kRightButton},
      {WM_MBUTTONUP, T::PointerUp, kMiddleButton},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.message);
    const Translated t = translateMessage(k.message, 0, at(223, 179), window());
    ASSERT_TRUE(t.handled && t.input);
    EXPECT_EQ(t.input->type, k.type);
    EXPECT_EQ(t.input->button, k.button);
    EXPECT_FLOAT_EQ(t.input->x, 223);
    EXPECT_FLOAT_EQ(t.input->y, 179);
    EXPECT_EQ(t.capture, k.type == T::PointerDown ? Translated::Capture::Take : Translated::Capture::Release);
  }
  // Another button still down: the window keeps the mouse.
  EXPECT_EQ(translateMessage(WM_LBUTTONUP, MK_RBUTTON, at(0, 0), window()).capture, Translated::Capture::Keep);
  EXPECT_EQ(translateMessage(WM_RBUTTONUP, MK_MBUTTON, at(0, 0), window()).capture, Translated::Capture::Keep);
}

TEST(MessageTranslation, CharactersTypedInTwoHalvesBecomeOne) {
  MessageContext c = window();
  Translated t = translateMessage(WM_CHAR, 0xd83d, 1, c);  // U+1F600 in UTF-16: d83d de00
  EXPECT_TRUE(t.handled);
  EXPECT_FALSE(t.input);
  EXPECT_EQ(t.highSurrogate, 0xd83d);
  c.highSurrogate = t.highSurrogate;
  t = translateMessage(WM_MOUSEMOVE, 0, at(30, 30), c);  // the half waits through other messages
  EXPECT_EQ(t.highSurrogate, 0xd83d);
  t = translateMessage(WM_CHAR, 0xde00, 1, c);
  ASSERT_TRUE(t.input);
  EXPECT_EQ(t.input->type, RawInput::Type::Text);
  EXPECT_EQ(t.input->ch, 0x1f600);
  EXPECT_EQ(t.input->window, 3);
  EXPECT_EQ(t.highSurrogate, 0);

  // A first half followed by a whole character is dropped; a lone second half stays as it is.
  t = translateMessage(WM_CHAR, L'\u00fc', 1, c);
  EXPECT_EQ(t.input->ch, 0xfc);
  EXPECT_EQ(t.highSurrogate, 0);
  EXPECT_EQ(translateMessage(WM_CHAR, 0xde00, 1, window()).input->ch, 0xde00);
  EXPECT_EQ(translateMessage(WM_CHAR, 13, 1, window()).input->ch, 13);  // Enter types its character
}

TEST(MessageTranslation, F11AndAltEnterAreKeysWithTheirRepeat) {
  const LPARAM first = 1, repeat = 1 | (1 << 30);
  for (const auto& [message, vk, key, shift] :
       {std::tuple{WM_KEYDOWN, VK_F11, Key::F11, kShift}, std::tuple{WM_SYSKEYDOWN, VK_RETURN, Key::Enter, kShift | kAlt}}) {
    SCOPED_TRACE(message);
    MessageContext c = window();
    c.shift = kShift;
    Translated t = translateMessage(message, vk, first, c);
    ASSERT_TRUE(t.handled && t.input);
    EXPECT_EQ(t.input->type, RawInput::Type::KeyDown);
    EXPECT_EQ(t.input->key, key);
    EXPECT_EQ(t.input->shift, shift);
    EXPECT_FALSE(t.input->repeat);
    EXPECT_TRUE(translateMessage(message, vk, repeat, c).input->repeat);
  }
  // Other keys are Windows' own: Enter types a character, Alt+F4 closes, Alt alone opens the
  // control menu.
  EXPECT_FALSE(translateMessage(WM_KEYDOWN, VK_RETURN, first, window()).handled);
  EXPECT_FALSE(translateMessage(WM_SYSKEYDOWN, VK_F4, first, window()).handled);
  const Translated beep = translateMessage(WM_SYSCHAR, VK_RETURN, first, window());
  EXPECT_TRUE(beep.handled && !beep.input);  // no beep for Alt+Enter
  EXPECT_FALSE(translateMessage(WM_SYSCHAR, 'x', first, window()).handled);
}

TEST(MessageTranslation, TheCloseBoxAsksTheGameAndOtherMessagesAreWindows) {
  Translated t = translateMessage(WM_CLOSE, 0, 0, window());
  ASSERT_TRUE(t.handled && t.input);
  EXPECT_EQ(t.input->type, RawInput::Type::Close);
  EXPECT_EQ(t.input->window, 3);
  t = translateMessage(WM_ACTIVATE, WA_ACTIVE, 0, window());
  EXPECT_FALSE(t.handled || t.input);
  EXPECT_EQ(t.capture, Translated::Capture::Keep);
}

// The pump leaves these to the event loop's wait, so no handler of the game is suspended
// while the player holds the caption or opens the system menu.
TEST(MessageTranslation, TheCaptionTheSystemMenuAndAltKeysMayHoldTheThread) {
  for (UINT m : {WM_NCLBUTTONDOWN, WM_NCRBUTTONUP, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSCHAR, WM_SYSCOMMAND})
    EXPECT_TRUE(mayHoldThread(m)) << m;
  for (UINT m : {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_KEYDOWN, WM_CHAR, WM_TIMER, WM_PAINT})
    EXPECT_FALSE(mayHoldThread(m)) << m;
}

}  // namespace
}  // namespace kh::win32
