// The event loop's own rules: one handler at a time, DoEvents, timers and mouse routing.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "Form.h"
#include "HeadlessBackend.h"

namespace kh {
namespace {

struct TestForm : Form {
  TestForm(App& app) : Form(app, design()), box(*this, {8, 32, 401, 249}, true), t10(*this, 10, true), t1000(*this, 1000, false) {
    box.mouse.move = [this](int, int, float x, float y) { log.push_back("box move " + pt(x, y)); };
    box.mouse.down = [this](int, int, float x, float y) { log.push_back("box down " + pt(x, y)); };
  }
  static FormDesign design() {
    FormDesign d;
    d.clientWidth = 421;
    d.clientHeight = 321;
    d.caption = "t";
    return d;
  }
  static std::string pt(float x, float y) { return std::to_string(int(x)) + "," + std::to_string(int(y)); }
  void Form_MouseMove(int, int, float x, float y) override { log.push_back("form move " + pt(x, y)); }
  void Form_Load() override { log.push_back("load"); }
  PictureBox box;
  Timer t10, t1000;
  std::vector<std::string> log;
};

struct Loop : ::testing::Test {
  HeadlessBackend be;
  App app{be.platform, be.options()};
  TestForm form{app};
  void run(int ms) { app.run(be.clock + Micros(ms) * 1000); }
};

TEST_F(Loop, LoadRunsTheLoadHandlerAndStartsEnabledTimers) {
  int ticks = 0;
  form.t10.onTick = [&] { ++ticks; };
  run(100);
  EXPECT_EQ(ticks, 0) << "no timer ticks before its form is loaded";
  form.Load();
  EXPECT_EQ(form.log, std::vector<std::string>{"load"});
  run(100);
  EXPECT_EQ(ticks, 10);
}

TEST_F(Loop, SwitchingATimerOffAndOnRestartsItsInterval) {
  form.Load();
  std::vector<Micros> at;
  form.t10.onTick = [&] { at.push_back(be.clock); };
  run(5);
  form.t10.setEnabled(false);
  form.t10.setEnabled(true);
  run(20);
  ASSERT_GE(at.size(), 2u);
  EXPECT_EQ(at[0], 15000);
  EXPECT_EQ(at[1], 25000);
}

TEST_F(Loop, ATimerNeverCatchesUpInABurstAfterAStall) {
  form.Load();
  std::vector<Micros> at;
  form.t10.onTick = [&] {
    at.push_back(be.clock);
    if (at.size() == 1) be.clock += 95000;  // the handler stalls for 95 ms
  };
  run(200);
  ASSERT_GE(at.size(), 3u);
  EXPECT_EQ(at[0], 10000);
  EXPECT_EQ(at[1], 105000) << "the one tick that was waiting";
  EXPECT_EQ(at[2], 115000) << "then one interval later, not a burst of the missed ones";
}

TEST_F(Loop, ATimerDueWithinTheWakeSlackRunsWithTheOneDueNowAndKeepsInStep) {
  // A frame-like timer that restarts itself after 0.2 ms of work, started 0.7 ms after t10.
  Timer frame(form, 10, false);
  std::vector<Micros> ticks, frames;
  form.t10.onTick = [&] { ticks.push_back(be.clock); };
  frame.onTick = [&] {
    frames.push_back(be.clock);
    be.clock += 200;
    frame.setEnabled(false);
    frame.setEnabled(true);
  };
  auto run200 = [&](Micros slack) {
    be.slack = slack;
    ticks.clear();
    frames.clear();
    form.t10.setEnabled(false);
    form.t10.setEnabled(true);
    be.clock += 700;
    frame.setEnabled(true);
    run(200);
    frame.setEnabled(false);
    int shared = 0;
    for (Micros f : frames) shared += std::count(ticks.begin(), ticks.end(), f) ? 1 : 0;
    return shared;
  };
  form.Load();
  EXPECT_EQ(run200(0), 0) << "exact times: two wake-ups every 10 ms";
  const int shared = run200(1000);
  EXPECT_GE(frames.size(), 19u);
  EXPECT_EQ(shared, int(frames.size())) << "every frame tick shares the motion tick's wake-up";
  ASSERT_GE(ticks.size(), 2u);
  EXPECT_EQ(ticks[1] - ticks[0], 10000) << "the cadence is kept";
}

TEST_F(Loop, DoEventsRunsWaitingEventsAndDueTimersOnceAndMayNest) {
  form.Load();
  int ticks = 0, depth = 0, ticksInsideNested = 0;
  form.t10.onTick = [&] {
    ++ticks;
    if (depth > 0) ++ticksInsideNested;
    if (ticks == 1) {
      be.clock += 10000;  // another tick falls due while this one runs
      be.mouse(InputEvent::Type::MouseMove, *form.window(), 3, 100);
      app.DoEvents();  // the same timer does not run again inside its own handler
      form.t1000.setEnabled(true);
    }
  };
  form.t1000.onTick = [&] {
    ++depth;
    be.clock += 10000;  // the fast timer falls due inside this handler
    app.DoEvents();
    --depth;
  };
  run(10);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(form.log.back(), "form move 3,100");
  run(1000);
  EXPECT_EQ(ticksInsideNested, 1) << "the fast timer ticked once inside the slow one's DoEvents";
}

TEST_F(Loop, MouseGoesToTheControlUnderThePointerInItsOwnCoordinates) {
  form.Load();
  form.Show();
  const WindowId w = *form.window();
  for (auto [x, y] : {std::pair{7, 100}, {8, 100}, {9, 100}, {10, 34}, {406, 278}, {407, 100}, {408, 100}, {409, 100}, {200, 31}, {200, 280}})
    be.mouse(InputEvent::Type::MouseMove, w, float(x), float(y));
  be.mouse(InputEvent::Type::MouseDown, w, 210, 134);
  run(0);
  const std::vector<std::string> want{"load",          "form move 7,100", "box move 0,0",  "box move 396,244",
                                      "form move 409,100", "form move 200,31", "box down 200,100"};
  EXPECT_EQ(form.log, want) << "the border (8, 9, 407, 408 and rows 32, 33, 279, 280) reports nothing";
}

TEST_F(Loop, TheCrossPointerShowsOverThePlayArea) {
  form.Show();
  be.mouse(InputEvent::Type::MouseMove, *form.window(), 100, 100);
  run(0);
  EXPECT_EQ(be.cursor, Cursor::Cross);
  be.mouse(InputEvent::Type::MouseMove, *form.window(), 3, 100);
  run(0);
  EXPECT_EQ(be.cursor, Cursor::Arrow);
}

TEST_F(Loop, TheProgramEndsWhenNoFormIsLoaded) {
  form.Show();
  be.close(*form.window());
  run(5000);
  EXPECT_FALSE(form.Loaded());
  EXPECT_FALSE(app.running());
  EXPECT_LT(be.clock, 5000000) << "the loop returned at once";
}

TEST_F(Loop, ControlsDestroyedBeforeTheirWindowLeaveIt) {
  auto label = std::make_unique<Label>(form, Rect{0, 0, 50, 20}, "gone", FontSpec{"x", 12, 400}, kBlack, Align::Left);
  auto timer = std::make_unique<Timer>(form, 10, true);
  int ticks = 0;
  timer->onTick = [&] { ++ticks; };
  form.Show();
  run(20);
  EXPECT_EQ(ticks, 2);
  label.reset();
  timer.reset();
  run(50);  // draws the window without the label, ticks without the timer
  form.Unload();
  form.Show();  // loading again arms the window's timers: the destroyed one is no longer among them
  run(50);
  EXPECT_EQ(be.window(*form.window())->pixels.at(2, 2), kButtonFace);
}

TEST_F(Loop, AHiddenWindowIsNotPresented) {
  form.Load();
  form.box.setPicture(Surface(400, 250, rgb(1, 2, 3)));
  run(50);
  EXPECT_EQ(be.window(*form.window())->presents, 0);
  form.Show();
  run(0);
  EXPECT_EQ(be.window(*form.window())->pixels.at(10, 34), rgb(1, 2, 3));
}

TEST_F(Loop, AShownPictureSurvivesTheWindowRedrawnReloadedAndDrawnOn) {
  Label label(form, Rect{0, 0, 50, 20}, "a", FontSpec{"x", 12, 400}, kBlack, Align::Left);
  form.Show();
  const Pixel red = rgb(200, 0, 0), blue = rgb(0, 0, 200);
  auto shown = [&](int x, int y) { return be.window(*form.window())->pixels.at(x, y); };
  form.box.setPicture(Surface(400, 250, red));
  run(0);
  EXPECT_EQ(shown(10, 34), red);
  label.setCaption("b");  // the whole window drawn again
  run(0);
  EXPECT_EQ(shown(10, 34), red);
  form.box.PaintPicture(Surface(10, 10, blue), 0, 0, Rop::SrcCopy);
  EXPECT_EQ(form.box.Image().at(0, 0), blue);
  EXPECT_EQ(form.box.Image().at(20, 20), red) << "drawn over the picture shown last";
  run(0);
  EXPECT_EQ(shown(10, 34), blue);
  EXPECT_EQ(shown(30, 54), red);
  form.box.setPicture(Surface(400, 250, blue));
  form.Unload();
  form.Show();
  run(0);
  EXPECT_EQ(shown(30, 54), blue);
}

TEST_F(Loop, TimersTickInputComesAndWindowsShowWhileTheWindowSystemHoldsTheThread) {
  form.Show();
  form.t1000.setEnabled(true);
  int fast = 0, slow = 0;
  std::string heard;
  Pixel shown = 0;
  form.t10.onTick = [&] { ++fast; };
  form.t1000.onTick = [&] {
    if (++slow == 1) {
      form.box.setPicture(Surface(400, 250, rgb(1, 2, 3)));
      be.mouse(InputEvent::Type::MouseDown, *form.window(), 50, 50);
    } else if (slow == 2) {
      heard = form.log.back();
      shown = be.window(*form.window())->pixels.at(10, 34);
    }
  };
  be.holdFor = 5000000;  // a window held by its caption as the loop begins to wait
  run(5000);
  EXPECT_EQ(fast, 500);
  EXPECT_EQ(slow, 5);
  EXPECT_EQ(heard, "box down 40,16");
  EXPECT_EQ(shown, rgb(1, 2, 3));
}

}  // namespace
}  // namespace kh
