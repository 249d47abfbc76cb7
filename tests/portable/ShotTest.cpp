// Shooting, aiming and scrolling.
#include <gtest/gtest.h>

#include <cmath>

#include "Harness.h"

namespace kh::test {
namespace {

using Point = std::pair<int, int>;
// Points of the play area over the creature at view (200, 60), read once from its zone map.
constexpr Point kLantern{250, 119}, kBody{228, 101};
constexpr Point kSeam{204, 83};               // a light blue (128, 255, 255) seam of the body
constexpr Point kMirroredLantern{148, 119};  // the lantern when the creature faces left
constexpr Point kHiddenBody{230, 206};       // body, once the creature sinks to y 160 behind the meadow

struct Shooting : ::testing::Test {
  Harness h;
  Form1::State& s = h.f1.state();

  void SetUp() override {
    h.startGame();
    // Hold the creature still where the test puts it.
    h.f1.Timer1.setEnabled(false);
    s.scrollX = -200;
    s.posX = 400;
    s.posY = 60;
    s.facing = 65;
    s.hitState = 0;
    s.respawn = false;
  }

  void shoot(Point at) {
    h.clickOnArea(float(at.first), float(at.second));
    h.runFor(0);
  }

  std::vector<std::string> cues() const {
    std::vector<std::string> out;
    const auto& w = h.be.recorder.writes;
    for (std::size_t i = 0; i < w.size(); ++i)
      if (w[i].dispId == 22) out.push_back(std::get<std::string>(w[i].value));
    return out;
  }
};

TEST_F(Shooting, TheLanternScores45AndDropsIt) {
  shoot(kLantern);
  EXPECT_EQ(h.f1.punkte, 45);
  EXPECT_EQ(h.f1.laternen, 1);
  EXPECT_EQ(s.hitState, 2);
  EXPECT_TRUE(s.respawn);
  EXPECT_GE(s.fallStep, 1) << "the hit frame was composed at once";
  EXPECT_EQ(h.f1.Label1.Caption(), "Punkte: 45");
  EXPECT_EQ(cues().back(), "Treffer2.wbs");
  EXPECT_EQ(h.f1.Label3.Caption(), "Schuss: 4");
}

TEST_F(Shooting, TheBodyScores20AndAnySeamColourCounts) {
  shoot(kBody);
  EXPECT_EQ(h.f1.punkte, 20);
  EXPECT_EQ(h.f1.wibbels, 1);
  EXPECT_EQ(s.hitState, 1);
  EXPECT_EQ(cues().back(), "Treffer1.wbs");

  // After a hit every shot misses until the next flight, even one at the lantern.
  shoot(kLantern);
  EXPECT_EQ(h.f1.punkte, 20);
  EXPECT_EQ(cues().back(), "Schuss.wbs");

  // A nearly white seam pixel is still the creature.
  s.hitState = 0;
  shoot(kSeam);
  EXPECT_EQ(h.f1.punkte, 40);
}

TEST_F(Shooting, WhiteAndWhatTheLandscapeHidesAreMisses) {
  shoot({5, 5});
  EXPECT_EQ(h.f1.punkte, 0);
  EXPECT_EQ(cues().back(), "Schuss.wbs");
  // Sink the creature into the meadow: its lower part is behind the foreground.
  s.posY = 160;
  shoot(kHiddenBody);
  EXPECT_EQ(h.f1.punkte, 0);
  EXPECT_EQ(s.hitState, 0);
}

TEST_F(Shooting, AMirroredCreatureCarriesItsLanternOnTheLeft) {
  s.facing = -65;
  shoot(kLantern);
  EXPECT_EQ(h.f1.punkte, 0) << "the right side is empty now";
  shoot(kMirroredLantern);
  EXPECT_EQ(h.f1.punkte, 45);
}

TEST_F(Shooting, TheMagazineEmptiesAndRefillsTwoTicksLater) {
  std::vector<std::string> labels;
  for (int i = 0; i < 5; ++i) {
    shoot({5, 5});
    labels.push_back(h.f1.Label3.Caption());
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"Schuss: 4", "Schuss: 3", "Schuss: 2", "Schuss: 1", "Nachladen..."}));
  EXPECT_EQ(h.f1.shots, -1);
  EXPECT_EQ(s.reloadAt, h.f1.tme);
  const auto writes = h.be.recorder.writes.size();
  shoot({5, 5});
  EXPECT_EQ(h.be.recorder.writes.size(), writes) << "a click while refilling makes no sound";
  EXPECT_EQ(h.f1.Label3.Caption(), "Nachladen...");
  h.runFor(1000);
  EXPECT_EQ(h.f1.shots, -1);
  h.runFor(1000);
  EXPECT_EQ(h.f1.shots, 5);
  EXPECT_EQ(cues().back(), "Leer.wbs");
}

TEST_F(Shooting, ARefillArrivingInsideAShotIsFollowedByItsDecrement) {
  for (int i = 0; i < 5; ++i) shoot({5, 5});
  ASSERT_EQ(h.f1.shots, -1);
  // Up to the moment the refilling tick falls due, then click: the tick runs inside the shot.
  const Micros due = (h.be.clock / 1000000 + 2) * 1000000;
  h.runUntilMs(due / 1000 - 1);
  ASSERT_EQ(h.f1.shots, -1);
  h.f1.shots = 1;  // one left, so this click fires; the refill comes during it
  h.be.clock = due;
  shoot({5, 5});
  EXPECT_EQ(h.f1.shots, 4);
  EXPECT_EQ(h.f1.Label3.Caption(), "Schuss: 4");
  const auto c = cues();
  EXPECT_EQ(c[c.size() - 2], "Leer.wbs");
  EXPECT_EQ(c.back(), "Schuss.wbs");
}

TEST_F(Shooting, ASecondClickInsideTheFirstShotIsResolvedFirst) {
  h.clickOnArea(float(kLantern.first), float(kLantern.second));
  h.clickOnArea(float(kBody.first), float(kBody.second));
  h.runFor(0);
  // The second click runs inside the first one's DoEvents and hits the body; the first then
  // reads the body point (its aim moved) against a creature that is already hit.
  EXPECT_EQ(h.f1.punkte, 20);
  EXPECT_EQ(h.f1.wibbels, 1);
  EXPECT_EQ(h.f1.laternen, 0);
  EXPECT_EQ(h.f1.shots, 3);
  const auto c = cues();
  EXPECT_EQ(c[c.size() - 2], "Treffer1.wbs");
  EXPECT_EQ(c.back(), "Schuss.wbs");
}

TEST_F(Shooting, APointerMoveDuringTheShotMovesIt) {
  h.be.mouse(InputEvent::Type::MouseDown, h.playWindow(), 15, 39);
  h.be.onPoll = [&] { h.moveOnArea(float(kLantern.first), float(kLantern.second)); };
  h.runFor(0);
  EXPECT_EQ(h.f1.punkte, 45);
}

TEST_F(Shooting, AClickInTheLastSecondEndsTheGame) {
  h.f1.tme = 2;
  shoot({5, 5});
  EXPECT_TRUE(h.f1.Visible());
  h.f1.tme = 1;
  shoot({5, 5});
  EXPECT_EQ(h.f1.Label3.Caption(), "Schuss: 3") << "resolved normally first";
  EXPECT_TRUE(h.splash.Visible());
  EXPECT_FALSE(h.f1.Visible());
}

TEST_F(Shooting, AClickWhileRefillingInTheLastSecondAlsoEndsTheGame) {
  for (int i = 0; i < 5; ++i) shoot({5, 5});
  h.f1.tme = 0;
  shoot({5, 5});
  EXPECT_TRUE(h.splash.Visible());
}

TEST_F(Shooting, APointOffTheHitSurfaceIsAMiss) {
  float x = -3, y = 400;
  h.f1.TestShot(x, y);
  EXPECT_EQ(h.f1.punkte, 0);
  EXPECT_EQ(s.hitState, 0);
  EXPECT_EQ(cues().back(), "Schuss.wbs");
}

TEST_F(Shooting, EveryButtonFiresAtItsOwnPointWithoutScrolling) {
  s.scrollSpeed = 0;
  for (int button : {1, 2, 4}) {
    h.clickOnArea(20, 30, button);
    h.runFor(0);
  }
  EXPECT_EQ(h.f1.shots, 2);
  EXPECT_EQ(s.aimX, 20);
  EXPECT_EQ(s.aimY, 30);
  EXPECT_EQ(s.scrollSpeed, 0);
}

TEST(Aim, ScrollSpeedFollowsThePointerWithADeadZone) {
  Harness h;
  h.startGame();
  auto& s = h.f1.state();
  const std::pair<int, double> table[] = {{0, 13.318}, {50, 1},        {94, 0.0439}, {95, 0},
                                          {200, 0},    {305, 0},       {306, -0.0439}, {350, -1},
                                          {396, -11.104}};
  for (const auto& [x, speed] : table) {
    h.moveOnArea(float(x), 100);
    h.runFor(0);
    EXPECT_NEAR(s.scrollSpeed, speed, 0.001) << "X " << x;
    EXPECT_EQ(s.aimX, float(x));
    EXPECT_EQ(s.aimY, 100);
  }
}

TEST(Aim, TheMarginsScrollFastAndTheSpeedStays) {
  Harness h;
  h.startGame();
  auto& s = h.f1.state();
  const WindowId w = h.playWindow();
  auto over = [&](float x, float y) {
    h.be.mouse(InputEvent::Type::MouseMove, w, x, y, 0);
    h.runFor(0);
    return s.scrollSpeed;
  };
  EXPECT_EQ(over(7, 100), 11);
  s.scrollSpeed = 0.5;
  EXPECT_EQ(over(8, 10), 0.5) << "x 8 changes nothing";
  EXPECT_EQ(over(200, 300), 0.5) << "below the play area changes nothing";
  EXPECT_EQ(over(409, 100), -11);
  s.scrollSpeed = 0.5;
  EXPECT_EQ(over(408, 10), 0.5) << "x 408 changes nothing";
  EXPECT_EQ(over(408, 100), 0.5) << "over the border no event at all";
  // The pointer rests in the margin: the view runs to its end and stays there.
  over(3, 100);
  h.runFor(1000);
  EXPECT_EQ(s.scrollX, 0);
  over(415, 100);
  h.runFor(1000);
  EXPECT_EQ(s.scrollX, -400);
}

TEST(Aim, TheCrosshairStaysWhereThePointerLeftTheArea) {
  Harness h;
  h.startGame();
  h.moveOnArea(120, 80);
  h.be.mouse(InputEvent::Type::MouseMove, h.playWindow(), 200, 10, 0);
  h.runFor(50);
  EXPECT_EQ(h.f1.state().aimX, 120);
  EXPECT_EQ(h.f1.state().aimY, 80);
}

}  // namespace
}  // namespace kh::test
