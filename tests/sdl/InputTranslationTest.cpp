// SDL's events as raw input, without a display.
#include <gtest/gtest.h>

#include "InputTranslation.h"

namespace kh {
namespace {

// The title window at 344x185 window coordinates on a desktop that gives it 2 device pixels
// per coordinate; and the play window.
std::vector<WindowState> windows() {
  return {{1, 7, 344, 185, 688, 370}, {2, 8, 100, 100, 100, 100}};
}

TEST(InputTranslation, MapsTheMouseToDevicePixelsWithButtonsAndModifiers) {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.windowID = 7;
  e.button.button = SDL_BUTTON_RIGHT;
  e.button.x = 13;
  e.button.y = 23;
  const Translated t = translateInput(e, windows(), KMOD_LSHIFT);
  ASSERT_EQ(t.action, Translated::Action::Input);
  EXPECT_EQ(t.input.type, RawInput::Type::PointerDown);
  EXPECT_EQ(t.input.window, 1);
  EXPECT_FLOAT_EQ(t.input.x, 26);
  EXPECT_FLOAT_EQ(t.input.y, 46);
  EXPECT_EQ(t.input.button, kRightButton);
  EXPECT_EQ(t.input.shift, kShift);
  EXPECT_EQ(t.input.pointer, PointerKind::Mouse);
  e.button.which = SDL_TOUCH_MOUSEID;
  EXPECT_EQ(translateInput(e, windows(), KMOD_NONE).input.pointer, PointerKind::Touch) << "made of a finger";
  e.button.which = 0;

  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = 8;
  e.motion.state = SDL_BUTTON_LMASK | SDL_BUTTON_MMASK;
  EXPECT_EQ(translateInput(e, windows(), KMOD_NONE).input.button, kLeftButton | kMiddleButton);

  e.motion.windowID = 99;  // not one of the game's
  EXPECT_EQ(translateInput(e, windows(), KMOD_NONE).action, Translated::Action::None);
}

TEST(InputTranslation, OnlyKeysThatMeanMoreThanTextComeAsKeys) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = SDLK_RETURN;
  e.key.keysym.mod = KMOD_LALT;
  e.key.repeat = 1;
  e.key.windowID = 8;
  Translated t = translateInput(e, windows(), KMOD_NONE);
  ASSERT_EQ(t.action, Translated::Action::Input);
  EXPECT_EQ(t.input.type, RawInput::Type::KeyDown);
  EXPECT_EQ(t.input.key, Key::Enter);
  EXPECT_EQ(t.input.shift, kAlt) << "the key's own modifiers";
  EXPECT_TRUE(t.input.repeat);
  e.key.keysym.sym = SDLK_a;
  EXPECT_EQ(translateInput(e, windows(), KMOD_NONE).action, Translated::Action::None) << "text comes as text";

  e.type = SDL_TEXTINPUT;
  e.text.windowID = 7;
  std::snprintf(e.text.text, sizeof e.text.text, "%s", "\xc3\xa4x");  // ä
  t = translateInput(e, windows(), KMOD_NONE);
  EXPECT_EQ(t.input.type, RawInput::Type::Text);
  EXPECT_EQ(t.input.ch, 0xe4);
}

}  // namespace
}  // namespace kh
