// The rules every platform shares: input, the scale, the full screen, the pointer's shape.
#include <gtest/gtest.h>

#include "Harness.h"

namespace kh::test {
namespace {

RawInput key(WindowId w, Key k, int shift = 0, bool repeat = false) {
  RawInput in;
  in.type = RawInput::Type::KeyDown;
  in.window = w;
  in.key = k;
  in.shift = shift;
  in.repeat = repeat;
  return in;
}

TEST(InputRules, F11AndAltEnterToggleOnlyWhereAllowedAndNeverOnRepeat) {
  WindowFacts play{true, true, {}}, title{true, false, {}};
  using A = Interpreted::Action;
  EXPECT_EQ(interpretInput(key(2, Key::F11), play).action, A::ToggleFullscreen);
  EXPECT_EQ(interpretInput(key(2, Key::Enter, kAlt), play).action, A::ToggleFullscreen);
  EXPECT_EQ(interpretInput(key(2, Key::F11, 0, true), play).action, A::None);
  EXPECT_EQ(interpretInput(key(1, Key::F11), title).action, A::None);
  EXPECT_EQ(interpretInput(key(1, Key::Enter, kAlt), title).action, A::None) << "nor does it type";
  const Interpreted enter = interpretInput(key(1, Key::Enter), title);
  ASSERT_EQ(enter.action, A::Input);
  EXPECT_EQ(enter.event.type, InputEvent::Type::KeyChar);
  EXPECT_EQ(enter.event.key, 13);
  EXPECT_EQ(interpretInput(key(1, Key::Escape), title).event.key, 27);
  EXPECT_EQ(interpretInput(key(1, Key::Backspace), title).event.key, 8);
  EXPECT_EQ(interpretInput(key(3, Key::F11), WindowFacts{}).action, A::None) << "a window that is gone";
}

TEST(InputRules, ThePointerMapsThroughTheViewAndTheBarsCountAsTheEdge) {
  // The title window's picture (344x185 with a 3-pixel drawn frame) at scale 2, centred on
  // a full screen 20 device pixels wider on each side.
  WindowFacts w{true, false, Viewport::fit(344, 185, 728, 370)};
  w.view.inset = 3;
  RawInput in;
  in.type = RawInput::Type::PointerDown;
  in.window = 1;
  in.x = 20 + 26;
  in.y = 46;
  in.button = kRightButton;
  Interpreted r = interpretInput(in, w);
  EXPECT_EQ(r.event.type, InputEvent::Type::MouseDown);
  EXPECT_FLOAT_EQ(r.event.x, 10);
  EXPECT_FLOAT_EQ(r.event.y, 20);
  EXPECT_EQ(r.event.button, kRightButton);
  in.x = 3;  // in the left bar
  EXPECT_FLOAT_EQ(interpretInput(in, w).event.x, 0);
  // Measured at scale 1 while the window has gone to 2: as it lay then.
  in.x = 30;
  in.scale = 1;
  EXPECT_FLOAT_EQ(interpretInput(in, w).event.x, 27);
}

struct Policy : ::testing::Test {
  HeadlessBackend be;
  WindowOptions play{420, 290, "Knuffelhatz", true};
  WindowOptions title{338, 179, "", false};
};

TEST_F(Policy, TheScaleSuitsTheScreenAndWindowsOpenTakeALowerOne) {
  be.screenH = 2160;
  Desktop d(be, be, be);
  const WindowId t = d.createWindow(title);
  EXPECT_EQ(d.scale(), 7);  // 60% of 2160 lines over 179
  const WindowId p = d.createWindow(play);
  EXPECT_EQ(d.scale(), 4);  // (1296 - 29 for the title bar) over 290
  EXPECT_EQ(be.window(t)->scale, 4) << "the open window follows";
  EXPECT_EQ(be.window(p)->scale, 4);
  d.createWindow(title);
  EXPECT_EQ(d.scale(), 4) << "never raised again";

  Desktop fixed(be, be, be, 2);
  EXPECT_EQ(be.window(fixed.createWindow(play))->scale, 2);
}

TEST_F(Policy, TheFullScreenIsThePlayersChoiceForThePlayWindowForTheWholeRun) {
  Desktop d(be, be, be);
  const WindowId t = d.createWindow(title), p = d.createWindow(play);
  d.showWindow(t, true);
  be.raw(key(t, Key::F11));
  InputEvent ev;
  EXPECT_FALSE(d.pollEvent(ev));
  EXPECT_FALSE(d.fullscreen()) << "not from the title window";
  d.showWindow(p, true);
  be.raw(key(p, Key::F11));
  EXPECT_FALSE(d.pollEvent(ev));
  EXPECT_TRUE(be.window(p)->fullscreen);
  d.showWindow(p, false);
  d.showWindow(p, true);
  EXPECT_TRUE(be.window(p)->fullscreen) << "shown again on the full screen";
  EXPECT_FALSE(be.window(t)->fullscreen);
}

TEST_F(Policy, ThePointerShapeIsSetOnlyWhenItChanges) {
  struct Counting : HeadlessBackend {
    int set = 0;
    void setCursor(Cursor c) override { ++set, cursor = c; }
  } counting;
  Desktop d(counting, counting, counting);
  d.setCursor(Cursor::Cross);
  d.setCursor(Cursor::Cross);
  d.setCursor(Cursor::Arrow);
  EXPECT_EQ(counting.set, 2);
}

TEST(ScreenReaders, TheWindowsTellTheirLabelsInReadingOrderOnlyWhenTheyChange) {
  HeadlessBackend be;
  be.describes = true;
  App app(be.platform, be.options());
  Game game(app, pictures(), std::make_unique<HighScoreFile>(scratchDir() / "Hi.wbh"));
  game.splash.Show();
  app.run(2'500'000);
  const auto& told = be.window(*game.splash.window())->described;
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(told.back(), "Hiscore: 0\nBitte Taste drücken") << "the title's lines, the empty one left out";
  const std::size_t count = told.size();
  app.run(2'900'000);
  EXPECT_EQ(told.size(), count) << "nothing new to tell";
}

}  // namespace
}  // namespace kh::test
