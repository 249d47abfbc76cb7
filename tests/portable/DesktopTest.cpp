// The rules every platform shares: input, the scale, the full screen, the pointer's shape.
#include <gtest/gtest.h>

#include "Harness.h"

namespace kh::test {
namespace {

WindowFacts facts(bool exists, bool mayGoFullscreen, Viewport view, WindowOptions::Touch use = WindowOptions::Touch::AsMouse,
                  Rect aimArea = {}) {
  WindowFacts f;
  f.exists = exists;
  f.mayGoFullscreen = mayGoFullscreen;
  f.view = view;
  f.touchUse = use;
  f.aimArea = aimArea;
  return f;
}

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
  WindowFacts play = facts(true, true, {}), title = facts(true, false, {});
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
  WindowFacts w = facts(true, false, Viewport::fit(344, 185, 728, 370));
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

// A finger, a pen or the mouse at a window's device pixel (x, y).
RawInput pointer(RawInput::Type type, WindowId w, float x, float y, PointerKind kind = PointerKind::Touch) {
  RawInput in;
  in.type = type;
  in.window = w;
  in.x = x;
  in.y = y;
  in.button = kLeftButton;
  in.pointer = kind;
  return in;
}

TEST(TouchRules, AFingerTypesTheTitlesKeyAndOnThePlayAreaAimsAndFiresOrSteersWithoutFiring) {
  using T = RawInput::Type;
  using E = InputEvent::Type;
  WindowFacts title = facts(true, false, Viewport::fit(338, 179, 338, 179), WindowOptions::Touch::Key);
  const Interpreted key = interpretInput(pointer(T::PointerDown, 1, 5, 5), title);
  EXPECT_EQ(key.event.type, E::KeyChar);
  EXPECT_EQ(key.event.key, 13);
  EXPECT_EQ(interpretInput(pointer(T::PointerUp, 1, 5, 5), title).action, Interpreted::Action::None);
  EXPECT_EQ(interpretInput(pointer(T::PointerDown, 1, 5, 5, PointerKind::Mouse), title).event.type, E::MouseDown);

  // The play area at (10, 34), 397 wide: a finger steers left of x 59.6 and from x 357.4 on.
  WindowFacts play = facts(true, true, Viewport::fit(421, 321, 421, 321), WindowOptions::Touch::Aim, {10, 34, 397, 245});
  auto feed = [&play](const RawInput& in) {
    const Interpreted r = interpretInput(in, play);
    play.touch = r.touch;
    return r;
  };
  auto expect = [](const Interpreted& r, E type, float x, float y) {
    EXPECT_EQ(r.action, Interpreted::Action::Input);
    EXPECT_EQ(r.event.type, type);
    EXPECT_FLOAT_EQ(r.event.x, x);
    EXPECT_FLOAT_EQ(r.event.y, y);
  };
  expect(feed(pointer(T::PointerDown, 2, 200, 100)), E::MouseDown, 200, 100);
  EXPECT_EQ(feed(pointer(T::PointerMove, 2, 230, 100)).action, Interpreted::Action::None) << "a sliding tap never steers";
  expect(feed(pointer(T::PointerUp, 2, 230, 100)), E::MouseUp, 230, 100);
  expect(feed(pointer(T::PointerDown, 2, 59, 100)), E::MouseMove, 59, 100);
  expect(feed(pointer(T::PointerMove, 2, 3, 120)), E::MouseMove, 3, 120);
  // Lifted, the pointer goes back where it aimed, and there the view stops.
  expect(feed(pointer(T::PointerUp, 2, 3, 120)), E::MouseMove, 230, 100);
  expect(feed(pointer(T::PointerDown, 2, 358, 50, PointerKind::Pen)), E::MouseMove, 358, 50);
  expect(feed(pointer(T::PointerUp, 2, 358, 50, PointerKind::Pen)), E::MouseMove, 230, 100);
  expect(feed(pointer(T::PointerDown, 2, 357, 50)), E::MouseDown, 357, 50);
  feed(pointer(T::PointerUp, 2, 60, 80));
  feed(pointer(T::PointerDown, 2, 400, 80));
  expect(feed(pointer(T::PointerUp, 2, 400, 80)), E::MouseMove, 10 + 397 / 4.0f, 80);  // drawn into the still middle
  // The mouse is the mouse everywhere; its aim counts for the finger's next release.
  expect(feed(pointer(T::PointerDown, 2, 20, 90, PointerKind::Mouse)), E::MouseDown, 20, 90);
  expect(feed(pointer(T::PointerMove, 2, 250, 70, PointerKind::Mouse)), E::MouseMove, 250, 70);
  feed(pointer(T::PointerDown, 2, 5, 80));
  expect(feed(pointer(T::PointerUp, 2, 5, 80)), E::MouseMove, 250, 70);
}

TEST(TouchRules, ATapOnTheTitleStartsOnlyOnceThePromptShowsAndAHeldEdgeFingerScrollsUntilLifted) {
  Harness h;
  const int s = h.app.desktop().scale();
  auto touch = [&](RawInput::Type type, WindowId w, float x, float y) {
    h.be.raw(pointer(type, w, x * float(s), y * float(s)));
    h.runFor(0);
  };
  h.runUntilMs(1500);
  touch(RawInput::Type::PointerDown, h.titleWindow(), 100, 100);
  touch(RawInput::Type::PointerUp, h.titleWindow(), 100, 100);
  EXPECT_FALSE(h.f1.Visible()) << "refused before the prompt";
  h.runUntilMs(2100);
  touch(RawInput::Type::PointerDown, h.titleWindow(), 100, 100);
  ASSERT_TRUE(h.f1.Visible());
  const WindowId p = h.playWindow();
  touch(RawInput::Type::PointerUp, p, 100, 100);
  EXPECT_EQ(h.f1.shots, 5) << "the finger that started the round fired nothing";
  touch(RawInput::Type::PointerDown, p, 12, 150);
  h.runFor(300);
  const double steered = h.f1.state().scrollX;
  EXPECT_GT(steered, -200) << "held at the left edge, the view scrolls left";
  touch(RawInput::Type::PointerUp, p, 12, 150);
  h.runFor(300);
  EXPECT_EQ(h.f1.state().scrollX, steered) << "lifted, it stands still";
  EXPECT_EQ(h.f1.shots, 5) << "steering wasted no shot";
  touch(RawInput::Type::PointerDown, p, 200, 150);
  EXPECT_EQ(h.f1.shots, 4);
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
  Game game(app, pictures(), scoreFile(scratchDir() / "Hi.wbh"));
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
