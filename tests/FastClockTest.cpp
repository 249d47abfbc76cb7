// The faster clock the real-window tests run the game on: the same round, in less real time.
#include <gtest/gtest.h>

#include "Harness.h"

namespace kh::test {
namespace {

TEST(FastClock, RunsThePlatformsClockFasterAndWaitsUntilTheRightMoment) {
  HeadlessBackend be;
  be.clock = 1000;
  Desktop fast(be, be, be, 0, 3);
  EXPECT_EQ(fast.now(), 1000);
  be.clock = 1010;
  EXPECT_EQ(fast.now(), 1030);
  // A deadline 10 us on is 4 us of the platform's clock (rounded up, so the wait never ends
  // early); one in the past or "never" stays as it is.
  EXPECT_EQ(fast.platformTime(1040), 1014);
  EXPECT_EQ(fast.platformTime(1039), 1013);
  EXPECT_EQ(fast.platformTime(500), 500);
  EXPECT_GT(fast.platformTime(INT64_MAX), INT64_MAX / 4);
  InputEvent ev;
  EXPECT_FALSE(fast.waitEvent(ev, 1100));
  EXPECT_EQ(be.clock, 1034);
  EXPECT_GE(fast.now(), 1100);
}

TEST(FastClock, TheGameCountsItsSecondsThreeTimesAsFastAtRate3) {
  HeadlessBackend be;
  App app(be.platform, be.options(3));
  Game game(app, pictures(), std::make_unique<HighScoreFile>(scratchDir() / "Hi.wbh"));
  game.splash.Show();
  app.run(2'001'000);
  EXPECT_EQ(be.clock, 667'000);
  be.key(*game.splash.window(), 'a');
  app.run(2'001'000 + 9'000'000);
  EXPECT_TRUE(game.form1.Visible());
  EXPECT_EQ(game.form1.tme, 81);
  EXPECT_EQ(be.clock, 3'667'000);
}

}  // namespace
}  // namespace kh::test
