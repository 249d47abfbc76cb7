// Composing a frame: which sprites go where for every view offset, sail frame, hit pose and
// lantern step, and how the finished frame reaches the play area.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <optional>
#include <sstream>
#include <vector>

#include "Harness.h"

namespace kh {
namespace {

const Surface& pic(const char* name) { return test::pictures().get(name); }

// One masked sprite of a frame: mask first with MERGEPAINT, image second with SRCAND.
struct Layer {
  const Surface* mask;
  const Surface* image;
  float x, y;
  std::optional<float> width = std::nullopt;
};

Layer layer(const char* mask, const char* image, float x, float y, std::optional<float> width = std::nullopt) {
  return {&pic(mask), &pic(image), x, y, width};
}

// A frame composed by hand: the backdrop copied at backX, then the layers in the order given.
Surface composed(float backX, const std::vector<Layer>& layers, const Surface& back = pic("Back")) {
  Surface s(400, 250);
  s.paint(back, backX, 0, std::nullopt, Rop::SrcCopy);
  for (const Layer& l : layers) {
    s.paint(*l.mask, l.x, l.y, l.width, Rop::MergePaint);
    s.paint(*l.image, l.x, l.y, l.width, Rop::SrcAnd);
  }
  return s;
}

::testing::AssertionResult sameImage(const Surface& actual, const Surface& expected) {
  if (actual.width() != expected.width() || actual.height() != expected.height())
    return ::testing::AssertionFailure() << "size " << actual.width() << "x" << actual.height() << ", expected "
                                         << expected.width() << "x" << expected.height();
  int differing = 0;
  std::ostringstream first;
  for (int y = 0; y < actual.height(); ++y)
    for (int x = 0; x < actual.width(); ++x)
      if (actual.at(x, y) != expected.at(x, y) && differing++ < 5)
        first << " (" << x << "," << y << ") #" << std::hex << actual.at(x, y) << " not #" << expected.at(x, y) << std::dec;
  if (differing == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << differing << " pixels differ:" << first.str();
}

struct Frame : ::testing::Test {
  test::Harness h;
  Form1& f1 = h.f1;
  Form1::State& s = f1.state();

  void SetUp() override {
    f1.Show();                    // frames of a hidden window are only drawn once it shows
    f1.Timer1.setEnabled(false);  // the state below stays as set
    s.scrollX = -200;
    s.wingPhase = 0;
    s.hitState = 0;
    s.posX = 450;  // view x 250
    s.posY = 40;
    s.facing = 65;
    s.arcSine = 1;
    s.fallStep = 0;
    s.aimX = 100;
    s.aimY = 200;
  }

  const Surface& frame() const { return f1.Picture3.Image(); }
  Layer landscape(float x) const { return layer("LandMsk", "Land", x, 44); }
  Layer crosshair(float x, float y) const { return layer("GunMsk", "Gun", x, y); }
};

// ---- View offset: backdrop, sails and landscape ----

TEST_F(Frame, AtTheLeftEndTheSailsShowAndTheBackdropStartsTenPixelsLeft) {
  s.scrollX = 0;
  s.posX = 250;
  f1.SetPic();
  const Surface want = composed(-10, {layer("Fluegel6", "Fluegel0", 9, -27), layer("WibbelMsk", "Wibbel", 250, 40, 65),
                                      landscape(0), crosshair(68, 168)});
  const Surface noSails =
      composed(-10, {layer("WibbelMsk", "Wibbel", 250, 40, 65), landscape(0), crosshair(68, 168)});
  ASSERT_FALSE(sameImage(want, noSails)) << "the sails have to be visible at this offset";
  EXPECT_TRUE(sameImage(frame(), want));
}

TEST_F(Frame, AtTheRightEndTheBackdropStillCoversTheWholeView) {
  s.scrollX = -400;
  s.posX = 650;
  f1.SetPic();
  EXPECT_TRUE(sameImage(frame(), composed(-390, {layer("WibbelMsk", "Wibbel", 250, 40, 65), landscape(-400),
                                                 crosshair(68, 168)})));
}

TEST_F(Frame, TheBackdropSlidesAtNinetyFivePercentOfTheLandscapeSpeed) {
  for (auto [scroll, backX] : {std::pair{-200.0, -200.f}, {-160.0, -162.f}, {-300.0, -295.f}, {-399.5, -389.525f}}) {
    s.scrollX = scroll;
    s.posX = 250 - scroll;
    f1.SetPic();
    EXPECT_TRUE(sameImage(frame(), composed(backX, {layer("WibbelMsk", "Wibbel", 250, 40, 65),
                                                    landscape(float(scroll)), crosshair(68, 168)})))
        << "scrollX " << scroll;
  }
  s.scrollX = -100;  // sails in view
  s.posX = 350;
  f1.SetPic();
  EXPECT_TRUE(sameImage(frame(), composed(-105, {layer("Fluegel6", "Fluegel0", -91, -27), layer("WibbelMsk", "Wibbel", 250, 40, 65),
                                                 landscape(-100), crosshair(68, 168)})));
}

TEST_F(Frame, NothingOfThePreviousBufferSurvivesAFrame) {
  for (double scroll : {0.0, -400.0, -154.5, -0.25}) {
    s.scrollX = scroll;
    f1.SetPic();
    const Surface clean = frame();
    f1.Picture3.PaintPicture(Surface(400, 250, rgb(255, 0, 255)), 0, 0, Rop::SrcCopy);
    f1.SetPic();
    EXPECT_TRUE(sameImage(frame(), clean)) << "scrollX " << scroll;
  }
}

TEST_F(Frame, TheRealSailsLieOutsideTheViewAroundTheirCutOff) {
  for (double scroll : {-154.0, -155.0}) {
    s.scrollX = scroll;
    s.posX = 250 - scroll;
    f1.SetPic();
    EXPECT_TRUE(sameImage(frame(), composed(float(scroll * 0.95 - 10), {layer("WibbelMsk", "Wibbel", 250, 40, 65),
                                                                        landscape(float(scroll)), crosshair(68, 168)})))
        << "scrollX " << scroll;
  }
}

TEST_F(Frame, SailsAreDrawnWhileTheOffsetIsAboveMinus155) {
  // The real sails are wholly out of view at both offsets; a wider stand-in makes the draw visible.
  const Pixel kProbe = rgb(1, 254, 3);
  const Surface wideSail(300, 140, kProbe), wideMask(300, 140, kBlack);
  f1.Flügel[0].pic = wideSail;
  f1.Flügel[6].pic = wideMask;
  s.posX = 550;
  for (auto [scroll, drawn] : {std::pair{-154.0, true}, {-154.9, true}, {-155.0, false}, {-156.0, false}, {-300.0, false}}) {
    s.scrollX = scroll;
    f1.SetPic();
    // Row 10 lies above the landscape; the stand-in would reach from x 9 + scrollX to 154 or so.
    EXPECT_EQ(frame().at(50, 10) == kProbe, drawn) << "scrollX " << scroll;
    EXPECT_EQ(frame().at(140, 10) == kProbe, drawn) << "scrollX " << scroll;
  }
}

// ---- Sail frames ----

TEST_F(Frame, EachSailFrameIsDrawnThroughItsOwnMask) {
  s.scrollX = -50;
  s.posX = 350;  // view x 300, clear of the sails
  auto sailsOnly = [&](const char* mask, const char* image) {
    return composed(-57.5f, {layer(mask, image, -41, -27), layer("WibbelMsk", "Wibbel", 300, 40, 65), landscape(-50),
                             crosshair(68, 168)});
  };
  struct Case {
    double phase;
    const char *mask, *image;
  };
  for (const Case& c : {Case{0, "Fluegel6", "Fluegel0"}, Case{0.5, "Fluegel6", "Fluegel0"}, Case{1, "Fluegel7", "Fluegel1"},
                        Case{2.5, "Fluegel8", "Fluegel2"}, Case{3, "Fluegel9", "Fluegel3"}, Case{4.5, "Fluegel10", "Fluegel4"},
                        Case{5, "Fluegel11", "Fluegel5"}, Case{5.5, "Fluegel11", "Fluegel5"}}) {
    s.wingPhase = c.phase;
    f1.SetPic();
    EXPECT_TRUE(sameImage(frame(), sailsOnly(c.mask, c.image))) << "wingPhase " << c.phase;
  }
  // The check above only means something if frames and pairings are told apart.
  ASSERT_FALSE(sameImage(sailsOnly("Fluegel11", "Fluegel5"), sailsOnly("Fluegel10", "Fluegel4")));
  ASSERT_FALSE(sameImage(sailsOnly("Fluegel11", "Fluegel5"), sailsOnly("Fluegel6", "Fluegel5")));
  ASSERT_FALSE(sameImage(sailsOnly("Fluegel6", "Fluegel0"), sailsOnly("Fluegel7", "Fluegel0")));
}

// ---- The creature and its lantern ----

TEST_F(Frame, EachHitStateDrawsItsOwnPoseThroughItsOwnMask) {
  s.arcSine = 0.5;  // lantern at y 130
  const Surface flying = composed(-200, {layer("WibbelMsk", "Wibbel", 250, 40, 65), landscape(-200), crosshair(68, 168)});
  const Surface bodyHit = composed(-200, {layer("WibbelMsk", "Wibbel3", 250, 40, 65), landscape(-200), crosshair(68, 168)});
  const Surface lanternHit =
      composed(-200, {layer("Laterne3", "Laterne0", 315, 130), layer("Wibbel2Msk", "Wibbel4", 250, 40, 65),
                      landscape(-200), crosshair(68, 168)});
  ASSERT_FALSE(sameImage(flying, bodyHit));
  ASSERT_FALSE(sameImage(flying, lanternHit));
  ASSERT_FALSE(sameImage(bodyHit, lanternHit));
  for (auto [state, want] : {std::pair{0, &flying}, {1, &bodyHit}, {2, &lanternHit}}) {
    s.hitState = state;
    s.fallStep = 0;
    f1.SetPic();
    EXPECT_TRUE(sameImage(frame(), *want)) << "hitState " << state;
  }
}

TEST_F(Frame, OnlyALanternHitCountsFallSteps) {
  for (int state : {0, 1}) {
    s.hitState = state;
    s.fallStep = 4;
    f1.SetPic();
    EXPECT_EQ(s.fallStep, 4) << "hitState " << state;
  }
}

TEST_F(Frame, TheLanternShrinksEveryThreeFramesAndStaysSmallest) {
  s.hitState = 2;
  s.arcSine = 1;  // lantern at y 60
  auto withLantern = [&](int k) {
    const char* masks[] = {"Laterne3", "Laterne4", "Laterne5"};
    const char* images[] = {"Laterne0", "Laterne1", "Laterne2"};
    return composed(-200, {layer(masks[k], images[k], 315, 60), layer("Wibbel2Msk", "Wibbel4", 250, 40, 65),
                           landscape(-200), crosshair(68, 168)});
  };
  const Surface step[] = {withLantern(0), withLantern(1), withLantern(2)};
  ASSERT_FALSE(sameImage(step[0], step[1]));
  ASSERT_FALSE(sameImage(step[1], step[2]));

  s.fallStep = 0;  // a lantern hit has just happened
  const int expectedStep[] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 2};
  for (int n = 0; n < 10; ++n) {
    f1.SetPic();
    EXPECT_TRUE(sameImage(frame(), step[expectedStep[n]])) << "frame " << n;
    EXPECT_EQ(s.fallStep, n + 1) << "one step per composed frame";
  }
  s.fallStep = 100;
  f1.SetPic();
  EXPECT_TRUE(sameImage(frame(), step[2]));
  EXPECT_EQ(s.fallStep, 101);
}

struct FrameWithStandIns : Frame {
  // Solid stand-ins make each sprite's footprint easy to find; a transparent landscape keeps
  // every sprite in sight.
  static constexpr Pixel kLantern = rgb(10, 200, 30);
  static constexpr Pixel kLeftHalf = rgb(200, 10, 10), kRightHalf = rgb(10, 10, 200);
  const Surface lantern{22, 28, kLantern}, lanternMask{22, 28, kBlack};
  const Surface noLand{800, 206, kWhite};
  const Surface plainBack{800, 250, rgb(250, 250, 250)};
  Surface creature{60, 83, kLeftHalf};
  const Surface creatureMask{60, 83, kBlack};

  void SetUp() override {
    Frame::SetUp();
    for (int y = 0; y < 83; ++y)
      for (int x = 30; x < 60; ++x) creature.set(x, y, kRightHalf);
    f1.Laterne[0].pic = lantern;
    f1.Laterne[3].pic = lanternMask;
    f1.LandMsk.pic = noLand;
    f1.Land.pic = noLand;
    f1.Back.pic = plainBack;
    for (PictureHolder* h : {&f1.Wibbel, &f1.Wibbel3, &f1.Wibbel4}) h->pic = creature;
    for (PictureHolder* h : {&f1.WibbelMsk, &f1.Wibbel2Msk}) h->pic = creatureMask;
    s.aimX = -100;  // crosshair out of view
    s.aimY = -100;
  }

  // The bounding box [x0, x1] x [y0, y1] of the pixels of one colour, or all -1 for none.
  std::array<int, 4> box(Pixel colour) const {
    std::array<int, 4> b{-1, -1, -1, -1};
    for (int y = 0; y < 250; ++y)
      for (int x = 0; x < 400; ++x)
        if (frame().at(x, y) == colour) {
          if (b[0] < 0 || x < b[0]) b[0] = x;
          if (x > b[1]) b[1] = x;
          if (b[2] < 0) b[2] = y;
          b[3] = y;
        }
    return b;
  }
};

TEST_F(FrameWithStandIns, TheCreatureIsStretchedToItsDrawingWidthAtItsPlace) {
  s.scrollX = -100;
  s.posX = 180.4;
  s.posY = 70.6;
  f1.SetPic();
  const auto left = box(kLeftHalf), right = box(kRightHalf);
  EXPECT_EQ(left[0], 80);
  EXPECT_EQ(right[1], 144) << "65 columns from 80";
  EXPECT_EQ(left[2], 71);
  EXPECT_EQ(left[3], 153) << "83 rows, not stretched vertically";
  EXPECT_EQ(right[0], left[1] + 1);
}

TEST_F(FrameWithStandIns, ANegativeFacingMirrorsTheCreatureLeftwardsFromItsPlace) {
  s.scrollX = -100;
  s.posX = 300;
  s.facing = -65;
  f1.SetPic();
  const auto left = box(kLeftHalf), right = box(kRightHalf);
  EXPECT_EQ(right[0], 135) << "the picture's right half now on the left";
  EXPECT_EQ(left[1], 199) << "up to x1, not including it";
  EXPECT_EQ(left[0], right[1] + 1);
  EXPECT_NEAR(left[1] - left[0] + 1, 33, 1);
}

TEST_F(FrameWithStandIns, TheLanternFallsBesideTheCreatureAtAHeightSetByTheArcAlone) {
  s.hitState = 2;
  s.scrollX = -100;
  s.posX = 200;
  s.posY = 20;
  struct Case {
    double arcSine;
    int top;
  };
  for (const Case& c : {Case{1, 60}, Case{0, 200}, Case{0.5, 130}, Case{0.3, 158}, Case{0.998, 60}}) {
    s.arcSine = c.arcSine;
    s.fallStep = 0;
    f1.SetPic();
    EXPECT_EQ(box(kLantern), (std::array<int, 4>{165, 186, c.top, c.top + 27})) << "arcSine " << c.arcSine;
  }
}

TEST_F(FrameWithStandIns, WithANegativeFacingTheLanternSitsUnmirroredUnderTheCreaturesLeftEdge) {
  s.hitState = 2;
  s.scrollX = -100;
  s.posX = 300;
  s.facing = -65;
  s.posY = 100;
  s.arcSine = 1;  // lantern rows 60 .. 87, above the creature's rows 100 .. 182
  f1.SetPic();
  EXPECT_EQ(box(kLantern), (std::array<int, 4>{135, 156, 60, 87}));
  // Where the two overlap, the creature is drawn over the lantern.
  s.posY = 50;
  s.fallStep = 0;
  f1.SetPic();
  EXPECT_EQ(frame().at(140, 70), kRightHalf);
  EXPECT_EQ(box(kLantern)[0], -1) << "the lantern lies wholly under the creature";
}

// ---- The crosshair ----

TEST_F(Frame, TheCrosshairIsCentredOnTheAimPoint) {
  const Surface& gun = pic("Gun");
  struct Case {
    float aimX, aimY;
    int column, row;  // where the crosshair's column and row 32 land
  };
  for (const Case& c : {Case{100, 200, 100, 200}, Case{100.4f, 80.5f, 100, 81}, Case{250.5f, 60.49f, 251, 60},
                        Case{399, 249, 399, 249}}) {
    s.aimX = c.aimX;
    s.aimY = c.aimY;
    f1.SetPic();
    SCOPED_TRACE(testing::Message() << "aim " << c.aimX << "," << c.aimY);
    for (int i = 0; i < 64; ++i) {
      const int y = c.row - 32 + i, x = c.column - 32 + i;
      if (y >= 0 && y < 250) {
        EXPECT_EQ(frame().at(c.column, y), gun.at(32, i));
        if (c.column + 1 < 400) {
          EXPECT_EQ(frame().at(c.column + 1, y), gun.at(33, i));
        }
      }
      if (x >= 0 && x < 400) {
        EXPECT_EQ(frame().at(x, c.row), gun.at(i, 32));
      }
    }
  }
}

TEST_F(Frame, BeforeTheFirstAimOnlyTheCrosshairsLowerRightQuarterShows) {
  s.aimX = 0;
  s.aimY = 0;
  f1.SetPic();
  EXPECT_TRUE(sameImage(frame(), composed(-200, {layer("WibbelMsk", "Wibbel", 250, 40, 65), landscape(-200),
                                                 layer("GunMsk", "Gun", -32, -32)})));
  EXPECT_EQ(frame().at(0, 20), pic("Gun").at(32, 52));
}

// ---- Presenting ----

TEST_F(Frame, TheFrameTimerIsOnAfterAFrameAndItsIntervalStartsAfresh) {
  s.hitState = 2;  // every composed frame counts one fall step
  h.runFor(3);
  f1.Timer2.setEnabled(false);
  s.fallStep = 0;
  f1.SetPic();
  EXPECT_TRUE(f1.Timer2.Enabled());
  EXPECT_EQ(s.fallStep, 1);
  h.runFor(9);
  EXPECT_EQ(s.fallStep, 1) << "no tick sooner than one interval after the frame";
  h.runFor(1);
  EXPECT_EQ(s.fallStep, 2);
  h.runFor(10);
  EXPECT_EQ(s.fallStep, 3);
}

struct FrameOnScreen : Frame {
  void SetUp() override {
    h.startGame();
    Frame::SetUp();
    ASSERT_TRUE(f1.Visible());
  }
  // The play area's pixels as the player sees them: the client area starts at (10, 34).
  Surface onScreen() const {
    const Surface& w = h.be.window(h.playWindow())->pixels;
    Surface area(397, 245);
    for (int y = 0; y < 245; ++y)
      for (int x = 0; x < 397; ++x) area.set(x, y, w.at(10 + x, 34 + y));
    return area;
  }
  Surface visiblePartOfTheBuffer() const {
    Surface area(397, 245);
    area.paint(frame(), 0, 0, std::nullopt, Rop::SrcCopy);
    return area;
  }
};

TEST_F(FrameOnScreen, ThePlayAreaShowsTheWholeFinishedFrame) {
  for (double scroll : {0.0, -400.0, -123.0}) {
    s.scrollX = scroll;
    s.aimX = 396;  // crosshair in the last visible column
    s.aimY = 244;
    f1.SetPic();
    EXPECT_TRUE(sameImage(f1.Picture1.Image(), visiblePartOfTheBuffer())) << "scrollX " << scroll;
    h.app.presentAll();
    EXPECT_TRUE(sameImage(onScreen(), visiblePartOfTheBuffer())) << "scrollX " << scroll;
  }
}

TEST_F(FrameOnScreen, DrawingIntoTheBufferDoesNotReachTheScreenBeforeTheFrameIsPresented) {
  f1.SetPic();
  h.app.presentAll();
  const Surface shown = onScreen();
  f1.Picture3.PaintPicture(Surface(50, 50, rgb(255, 0, 255)), 100, 100, Rop::SrcCopy);
  EXPECT_TRUE(sameImage(f1.Picture1.Image(), shown));
  h.app.presentAll();
  EXPECT_TRUE(sameImage(onScreen(), shown));
  f1.SetPic();
  h.app.presentAll();
  EXPECT_TRUE(sameImage(onScreen(), shown)) << "the next frame wipes the stray drawing out";
}

TEST_F(FrameOnScreen, TheFrameTimerKeepsThePlayAreaCurrent) {
  f1.SetPic();
  h.app.presentAll();
  s.scrollX = -20;  // somewhere else entirely; the motion tick is off
  h.runFor(20);
  const Surface shown = onScreen();
  EXPECT_TRUE(sameImage(shown, visiblePartOfTheBuffer()));
  // The landscape along the lowest visible row is the one for the new view.
  const Surface &land = pic("Land"), &landMsk = pic("LandMsk");
  int ground = 0;
  for (int x = 0; x < 397; ++x)
    if (landMsk.at(x + 20, 200) == kBlack) {
      ++ground;
      EXPECT_EQ(shown.at(x, 244), land.at(x + 20, 200)) << "column " << x;
    }
  EXPECT_GT(ground, 0);
}

}  // namespace
}  // namespace kh

namespace kh {
namespace {

TEST(HiddenFrames, AreDrawnOnlyWhenTheWindowShowsAndThenExactlyAsComposed) {
  test::Harness h;
  Form1& f1 = h.f1;
  Form1::State& s = f1.state();
  s.hitState = 2;
  s.fallStep = 2;
  f1.SetPic();
  EXPECT_EQ(s.fallStep, 3) << "the fall goes on while hidden";
  EXPECT_TRUE(f1.Timer2.Enabled());
  const Surface before = f1.Picture3.Image();
  s.aimX = 150;  // changes after the frame was composed do not reach it
  f1.Show();
  EXPECT_NE(f1.Picture3.Image(), before) << "drawn now";
  // The same frame composed while visible, from the same state.
  const Surface shown = f1.Picture1.Image();
  s.fallStep = 2;
  s.aimX = 0;
  f1.SetPic();
  EXPECT_EQ(f1.Picture1.Image(), shown);
}

}  // namespace
}  // namespace kh

namespace kh {
namespace {

// A display that refreshes every 16.7 ms, while the frame timer ticks every 10 ms.
TEST(PacedFrames, OnlyFramesTheDisplayCanShowAreDrawnAClicksAtOnceAndNoneIsLost) {
  test::Harness h(16'667);
  h.startGame();
  Form1::State& s = h.f1.state();
  const auto presents = [&] { return h.be.window(h.playWindow())->presents; };
  const auto nextPresent = [&] {
    for (const int p = presents(); presents() == p;) h.runFor(1);
  };
  int ticks = 0;
  auto frameTick = h.f1.Timer2.onTick;
  h.f1.Timer2.onTick = [&] {
    frameTick();
    ++ticks;
  };
  const int before = presents();
  h.runFor(1000);
  // Every other frame tick reaches the display, plus the clock label's redraw each second.
  EXPECT_GE(ticks, 95);
  EXPECT_GE(presents() - before, 45);
  EXPECT_LE(presents() - before, 55);

  // With the motion stopped, a frame only changes by what a test moves.
  h.f1.Timer1.setEnabled(false);
  nextPresent();
  Surface shown = h.f1.Picture1.Image();
  s.aimX += 40;
  h.runFor(12);
  EXPECT_EQ(h.f1.Picture1.Image(), shown) << "held: the display has not taken the last frame yet";
  nextPresent();
  shown = h.f1.Picture1.Image();
  s.aimX += 40;
  h.clickOnArea(300, 5);
  h.runFor(11);
  EXPECT_NE(h.f1.Picture1.Image(), shown) << "a click's frame goes out at the next tick";

  // A frame held back with no newer one after it is drawn two refreshes later at the latest.
  h.f1.Timer2.setEnabled(false);
  nextPresent();
  shown = h.f1.Picture1.Image();
  s.aimX += 40;
  h.f1.SetPic();
  h.f1.Timer2.setEnabled(false);
  EXPECT_EQ(h.f1.Picture1.Image(), shown);
  h.runFor(34);
  EXPECT_NE(h.f1.Picture1.Image(), shown) << "drawn by its deadline";
}

}  // namespace
}  // namespace kh
