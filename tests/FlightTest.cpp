// The play window's load and the creature's flight.
#include <gtest/gtest.h>

#include <cmath>

#include "Harness.h"

namespace kh::test {
namespace {

TEST(Load, LeavesTheWindowsAndMembersAsTheFirstGameExpectsThem) {
  Harness h;
  EXPECT_TRUE(h.f1.Loaded());
  EXPECT_FALSE(h.f1.Visible());
  EXPECT_TRUE(h.splash.Visible());
  EXPECT_EQ(h.f1.Label1.Caption(), "Punkte: 0");
  EXPECT_EQ(h.f1.Label2.Caption(), "");
  EXPECT_EQ(h.f1.Label3.Caption(), "Schuss: ") << "the magazine is still empty-valued";
  EXPECT_EQ(h.splash.Label1.Caption(), "Hiscore: 0");
  EXPECT_EQ(h.splash.Label3.Caption(), "bite warten...");
  EXPECT_EQ(h.splash.Label5.Caption(), "");
  EXPECT_FALSE(h.f1.Timer1.Enabled()) << "the title window stops the motion";
  EXPECT_TRUE(h.f1.Timer2.Enabled());
  EXPECT_TRUE(h.f1.Timer3.Enabled());
  EXPECT_FALSE(h.f1.GoIt);
  const auto& s = h.f1.state();
  EXPECT_EQ(s.scrollX, -200);
  EXPECT_FALSE(s.respawn);
  EXPECT_EQ(s.arcAngle, 0);
  EXPECT_EQ(h.f1.Picture2.Image().width(), 400);
  EXPECT_EQ(h.f1.Picture2.Image().height(), 250);
  EXPECT_EQ(h.f1.Picture3.Image().width(), 400);
  EXPECT_EQ(h.f1.Picture3.Image().height(), 250);
}

TEST(Load, ControlsSitWhereTheLayoutPutsThem) {
  Harness h;
  EXPECT_EQ(h.f1.design().clientWidth, 421);
  EXPECT_EQ(h.f1.design().clientHeight, 321);
  EXPECT_EQ(h.f1.design().caption, "Knuffelhatz");
  EXPECT_EQ(h.splash.design().clientWidth, 338);
  EXPECT_EQ(h.splash.design().clientHeight, 179);
  EXPECT_FALSE(h.splash.design().titleBar);
  auto box = [](const Label& l) { return std::tuple(l.box().x, l.box().y, l.box().w, l.box().h); };
  EXPECT_EQ(box(h.f1.Label2), std::tuple(8, 0, 201, 25));
  EXPECT_EQ(box(h.f1.Label1), std::tuple(200, 0, 209, 25));
  EXPECT_EQ(box(h.f1.Label3), std::tuple(8, 288, 401, 25));
  EXPECT_EQ(box(h.splash.Label1), std::tuple(120, 80, 193, 17));
  EXPECT_EQ(box(h.splash.Label3), std::tuple(120, 104, 193, 17));
  EXPECT_EQ(box(h.splash.Label5), std::tuple(120, 128, 193, 25));
  EXPECT_EQ(h.f1.Label1.alignment(), Align::Right);
  EXPECT_EQ(h.f1.Label2.alignment(), Align::Left);
  EXPECT_EQ(h.f1.Label1.font().points, 15.75f);
  EXPECT_EQ(h.splash.Label3.font().points, 9.75f);
  EXPECT_EQ(h.f1.Label1.colour(), rgb(255, 0, 0));
  const Rect c = h.f1.Picture1.client();
  EXPECT_EQ(std::tuple(c.x, c.y, c.w, c.h), std::tuple(10, 34, 397, 245));
  EXPECT_EQ(h.f1.Timer1.Interval(), 10);
  EXPECT_EQ(h.f1.Timer2.Interval(), 10);
  EXPECT_EQ(h.f1.Timer3.Interval(), 1000);
  EXPECT_EQ(h.f1.Wibbel.ScaleWidth(), 65);
}

TEST(Load, TheFirstFlightIsChosenAsIfTheViewWereAtTheLeftEnd) {
  for (double u3 : {0.0, 0.3, 0.999}) {
    HeadlessBackend be;
    App app(be.platform, be.options());
    Game g(app, pictures(), std::make_unique<HighScoreFile>(scratchDir() / "Hi.wbh"));
    g.form1.random().script({0.5, 0.5, u3, 0.9});
    g.splash.Show();
    const double x = double(float(u3 * 450));
    EXPECT_DOUBLE_EQ(g.form1.state().posX, x < 200 ? x + 200 : x);
    EXPECT_GE(g.form1.state().posX, 200);
    EXPECT_LE(g.form1.state().posX, 450);
    EXPECT_EQ(g.form1.state().facing, -65) << "u4 above one half flies left";
  }
}

struct Flight : ::testing::Test {
  Harness h;
  Form1::State& s = h.f1.state();
  void SetUp() override {
    s.scrollSpeed = 0;
    s.posX = 400;
    s.arcHeight = 40;
    s.arcStep = 20;
    s.driftSpeed = 4;
    s.facing = 65;
    s.respawn = false;
    s.arcAngle = 0;
  }
};

TEST_F(Flight, AnArcEndsOnlyAbove180AndRestartsWithinTheSameTick) {
  s.arcAngle = 170;
  h.f1.Timer1_Timer();
  EXPECT_EQ(s.arcAngle, 180) << "exactly 180 does not end the arc";
  EXPECT_NEAR(s.arcSine, 0.0016, 0.0001) << "3.14 stands in for pi";
  h.f1.Timer1_Timer();
  EXPECT_EQ(s.arcAngle, 0);
  EXPECT_EQ(s.arcSine, 0);
  EXPECT_EQ(s.posY, 150);
}

TEST_F(Flight, ArcHeightAndDriftFollowTheFormulas) {
  s.arcAngle = 80;  // +10 makes 90
  h.f1.Timer1_Timer();
  EXPECT_NEAR(s.posY, 150 - std::sin(90 / 180.0 * 3.14) * 40, 1e-9);
  EXPECT_DOUBLE_EQ(s.posX, 401) << "driftSpeed/2 at score 0";
  h.f1.punkte = 1000;
  s.arcAngle = 0;
  h.f1.Timer1_Timer();
  EXPECT_EQ(s.arcAngle, 20) << "twice as fast at 1000 points";
  EXPECT_DOUBLE_EQ(s.posX, 401 + 5) << "five times the drift";
  s.facing = -65;
  h.f1.Timer1_Timer();
  EXPECT_DOUBLE_EQ(s.posX, 401);
}

TEST_F(Flight, LeavingTheWorldIsStrictAndWaitsForTheArcsEnd) {
  s.posX = 799;  // drifts 1 per tick
  h.f1.Timer1_Timer();
  EXPECT_EQ(s.posX, 800);
  EXPECT_FALSE(s.respawn) << "exactly 800 is still inside";
  h.f1.Timer1_Timer();
  EXPECT_TRUE(s.respawn);
  h.f1.random().script({0.2, 0.2, 0.5, 0.1});
  double last = 0;
  while (s.arcAngle != 0 || last == 0) {
    last = s.posX;
    h.f1.Timer1_Timer();
    if (s.arcAngle == 0) break;
    EXPECT_GT(s.posX, 800) << "keeps drifting out until the arc ends";
  }
  EXPECT_FALSE(s.respawn);
  EXPECT_FLOAT_EQ(s.arcHeight, 30);
  // The new start: view x 225 at scrollX -200 is world x 425, plus this tick's drift.
  EXPECT_NEAR(s.posX, 425 + 0.75, 1e-4);
  s.posX = 1;
  s.facing = -65;
  s.respawn = false;
  s.driftSpeed = 2;
  h.f1.Timer1_Timer();
  EXPECT_EQ(s.posX, 0.5);
  h.f1.Timer1_Timer();
  EXPECT_EQ(s.posX, 0);
  EXPECT_FALSE(s.respawn) << "exactly 0 is still inside";
}

TEST_F(Flight, ASpawnWithoutRespawnOnlyRestartsTheArc) {
  s.arcAngle = 120;
  const Form1::State before = s;
  h.f1.NewWibbel();
  Form1::State expected = before;
  expected.arcAngle = 0;
  EXPECT_EQ(s.arcAngle, 0);
  EXPECT_EQ(s.posX, expected.posX);
  EXPECT_EQ(s.arcHeight, expected.arcHeight);
  EXPECT_EQ(s.facing, expected.facing);
  EXPECT_TRUE(h.f1.Timer1.Enabled());
}

TEST_F(Flight, ANewFlightDrawsFourValuesAndCorrectsItsStart) {
  struct Case {
    double scrollX, previous, u3, u4, posX;
    float facing;
  };
  const Case cases[] = {
      {0, 0, 0.1, 0.5, 245, 65},             // below 200: moved right by 200; 0.5 is not above one half
      {-400, 0, 0.9, 0.51, 605, -65},        // 805 is above 600: moved left by 200
      {-400, 0, 0.999, 0.9, 649.55, -65},    // the far end of the range
      {-200, 300, 110.0 / 450, 0.1, 340, 65},  // 310 is too close to 300: 40 on from it
      {-200, 300, 60.0 / 450, 0.1, 260, 65},   // exactly 40 away is far enough
  };
  for (const Case& c : cases) {
    s.scrollX = c.scrollX;
    s.posX = c.previous;
    s.respawn = true;
    s.hitState = 2;
    h.f1.random().script({0.25, 0.75, c.u3, c.u4, 0.123});
    h.f1.NewWibbel();
    EXPECT_NEAR(s.posX, c.posX, 1e-3) << "u3 " << c.u3;
    EXPECT_EQ(s.facing, c.facing);
    EXPECT_EQ(s.hitState, 0);
    EXPECT_FALSE(s.respawn);
    EXPECT_FLOAT_EQ(s.arcHeight, 32.5f);
    EXPECT_FLOAT_EQ(s.arcStep, 17.5f);
    EXPECT_DOUBLE_EQ(s.driftSpeed, 3.25);
    EXPECT_EQ(h.f1.random().next(), 0.123) << "exactly four values per flight";
  }
}

TEST_F(Flight, TheViewScrollsWithinItsRangeAndTheSailsTurn) {
  s.scrollSpeed = 1e6;
  h.f1.Timer1_Timer();
  EXPECT_EQ(s.scrollX, 0);
  s.scrollSpeed = -1e6;
  h.f1.Timer1_Timer();
  EXPECT_EQ(s.scrollX, -400);
  s.wingPhase = 0;
  std::vector<double> phases;
  for (int i = 0; i < 12; ++i) {
    h.f1.Timer1_Timer();
    phases.push_back(s.wingPhase);
  }
  EXPECT_EQ(phases, (std::vector<double>{0.5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 0}));
}

TEST(Motion, StandsStillBetweenGamesAndCarriesOverIntoTheNext) {
  Harness h;
  h.runFor(5000);
  const auto& s = h.f1.state();
  EXPECT_EQ(s.arcAngle, 0) << "the motion timer is off on the title screen";
  const double startX = s.posX;
  h.pressKey();
  h.runFor(500);
  EXPECT_NE(s.posX, startX);
  h.runFor(90000);
  ASSERT_TRUE(h.splash.Visible());
  const Form1::State at = s;
  h.runFor(3000);
  EXPECT_EQ(s.posX, at.posX);
  EXPECT_EQ(s.arcAngle, at.arcAngle);
  EXPECT_EQ(s.scrollX, at.scrollX);
}

}  // namespace
}  // namespace kh::test
