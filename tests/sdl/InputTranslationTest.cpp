// SDL's events as the game's input, without a display.
#include <gtest/gtest.h>

#include "InputTranslation.h"

namespace kh {
namespace {

// The title window (338x179 inside a 3-pixel frame) at scale 2 on a desktop that gives it
// 2 device pixels per window coordinate; and the play window.
std::vector<WindowState> windows() {
  WindowState title;
  title.id = 1;
  title.sdlId = 7;
  title.width = 344;
  title.height = 185;
  title.view = Viewport::fit(344, 185, 4 * 344, 4 * 185);
  title.view.inset = 3;
  WindowState play;
  play.id = 2;
  play.sdlId = 8;
  play.titled = true;
  play.width = play.height = 100;
  play.view = Viewport::fit(100, 100, 100, 100);
  return {title, play};
}

TEST(InputTranslation, MapsTheMouseOfAScaledWindowToClientPixels) {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.windowID = 7;
  e.button.button = SDL_BUTTON_RIGHT;
  e.button.x = 13;  // device 52, picture 13, client 10
  e.button.y = 23;
  const Translated t = translateInput(e, windows(), KMOD_LSHIFT);
  ASSERT_EQ(t.action, Translated::Action::Input);
  EXPECT_EQ(t.event.type, InputEvent::Type::MouseDown);
  EXPECT_EQ(t.event.window, 1);
  EXPECT_FLOAT_EQ(t.event.x, 10);
  EXPECT_FLOAT_EQ(t.event.y, 20);
  EXPECT_EQ(t.event.button, 2);
  EXPECT_EQ(t.event.shift, 1);

  e.button.windowID = 99;  // not one of the game's
  EXPECT_EQ(translateInput(e, windows(), KMOD_NONE).action, Translated::Action::None);
}

TEST(InputTranslation, AltEnterTogglesOnlyThePlayWindowAndEnterTypesCarriageReturn) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = SDLK_RETURN;
  e.key.keysym.mod = KMOD_LALT;
  e.key.windowID = 8;
  EXPECT_EQ(translateInput(e, windows(), KMOD_LALT).action, Translated::Action::ToggleFullscreen);
  e.key.windowID = 7;
  EXPECT_EQ(translateInput(e, windows(), KMOD_LALT).action, Translated::Action::None);
  e.key.keysym.mod = KMOD_NONE;
  const Translated t = translateInput(e, windows(), KMOD_NONE);
  ASSERT_EQ(t.action, Translated::Action::Input);
  EXPECT_EQ(t.event.type, InputEvent::Type::KeyChar);
  EXPECT_EQ(t.event.key, 13);
  EXPECT_EQ(t.event.window, 1);
}

}  // namespace
}  // namespace kh
