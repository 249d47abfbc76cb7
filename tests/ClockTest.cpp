// The clock, the title window and whole games in virtual time.
#include <gtest/gtest.h>

#include <fstream>

#include "Harness.h"

namespace kh::test {
namespace {

std::vector<unsigned char> bytesOf(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::filesystem::path& p, std::vector<unsigned char> b) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::vector<std::string> fileNamesPlayed(const HeadlessBackend& be) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i + 1 < be.recorder.writes.size(); ++i)
    if (be.recorder.writes[i].dispId == 22) names.push_back(std::get<std::string>(be.recorder.writes[i].value));
  return names;
}

TEST(StartUp, ThePromptComesOnTheSecondTickWithTheRefillSound) {
  Harness h;
  EXPECT_TRUE(std::filesystem::exists(h.dir / "Hi.wbh"));
  EXPECT_EQ(std::filesystem::file_size(h.dir / "Hi.wbh"), 0u) << "created empty";
  h.runUntilMs(1000);
  EXPECT_EQ(h.f1.tme, -1);
  EXPECT_EQ(h.f1.Label2.Caption(), "Zeit:-1");
  EXPECT_EQ(h.splash.Label3.Caption(), "bite warten...");
  h.pressKey();
  h.runUntilMs(1999);
  EXPECT_FALSE(h.f1.Visible()) << "a key before the prompt does nothing";
  EXPECT_TRUE(h.splash.Loaded());
  EXPECT_EQ(fileNamesPlayed(h.be), std::vector<std::string>{"Schuss.wbs"});
  h.runUntilMs(2000);
  EXPECT_EQ(h.splash.Label3.Caption(), "Bitte Taste drücken");
  EXPECT_TRUE(h.f1.GoIt);
  EXPECT_EQ(h.f1.shots, 5);
  EXPECT_EQ(h.f1.Label3.Caption(), "Schuss: 5");
  EXPECT_EQ(fileNamesPlayed(h.be), (std::vector<std::string>{"Schuss.wbs", "Leer.wbs"}));
  h.runUntilMs(10000);
  EXPECT_EQ(fileNamesPlayed(h.be).size(), 2u) << "the prompt and its sound come once";
}

TEST(StartUp, AKeyStartsTheGameInTheCentredPlayWindow) {
  for (int key : {13, 27, 8, int(' ')}) {
    Harness k;
    k.runUntilMs(2500);
    k.pressKey(key);
    k.runFor(0);
    EXPECT_TRUE(k.f1.Visible()) << "key " << key;
  }
  Harness h;
  h.runUntilMs(2500);
  h.pressKey('x');
  h.runFor(0);
  ASSERT_TRUE(h.f1.Visible());
  EXPECT_FALSE(h.splash.Loaded()) << "the title window is unloaded";
  EXPECT_TRUE(h.f1.Timer1.Enabled());
  EXPECT_EQ(h.f1.tme, 90);
  EXPECT_EQ(h.f1.punkte, 0);
  EXPECT_EQ(h.f1.laternen, 0);
  EXPECT_EQ(h.f1.wibbels, 0);
  EXPECT_EQ(h.f1.Label1.Caption(), "Punkte: 0");
  EXPECT_EQ(h.f1.Label2.Caption(), "");
  EXPECT_EQ(h.f1.Label3.Caption(), "Schuss: 5");
  const Rect f = h.app.desktop().windowFrame(h.playWindow());
  EXPECT_NEAR(f.x, (1024 - f.w) / 2.0, 0.5);
  EXPECT_NEAR(f.y, (768 - f.h) / 2.0, 0.5);
  EXPECT_TRUE(h.be.window(h.playWindow())->shown);
}

TEST(Game, Lasts90TicksAndEndsOnTheResultScreen) {
  Harness h;
  h.startGame();
  EXPECT_EQ(h.f1.Label2.Caption(), "");
  std::vector<std::string> clock;
  for (int i = 0; i < 90; ++i) {
    h.runFor(1000);
    clock.push_back(h.f1.Label2.Caption());
    if (i < 89) {
      EXPECT_TRUE(h.f1.Visible()) << i;
    }
  }
  EXPECT_EQ(clock.front(), "Zeit:89");
  EXPECT_EQ(clock.back(), "Zeit:0");
  EXPECT_EQ(std::count(clock.begin(), clock.end(), "Zeit:90"), 0);
  EXPECT_TRUE(h.splash.Visible());
  EXPECT_FALSE(h.f1.Visible());
  EXPECT_FALSE(h.f1.Timer1.Enabled());
  EXPECT_EQ(h.splash.Label3.Caption(), "Punkte: 0");
  EXPECT_EQ(h.splash.Label5.Caption(), "Status: Ladännche!");
  EXPECT_EQ(h.splash.Label1.Caption(), "Hiscore: 0");
  EXPECT_EQ(std::filesystem::file_size(h.dir / "Hi.wbh"), 0u) << "0 does not beat 0";
  h.runFor(3000);
  EXPECT_EQ(h.f1.tme, -3) << "the clock runs on between games";
  EXPECT_TRUE(h.f1.Timer2.Enabled());
  h.pressKey();
  h.runFor(0);
  EXPECT_TRUE(h.f1.Visible()) << "the next key starts the next game at once";
}

TEST(GameOver, RatesTheScore) {
  Harness h;
  h.startGame();
  const std::pair<int, std::string> cases[] = {
      {0, "Ladännche!"}, {90, "Ladännche!"}, {290, "Ladännche!"},   {299, "Ladännche!"},
      {300, "Wibbel!"},  {599, "Wibbel!"},   {600, "Üben, üben, üben!"}, {700, "Mittelmäßig"},
      {800, "Nicht schlecht"}, {985, "Super"}, {1000, "Quarx"}, {5000, "Quarx"}};
  for (const auto& [score, text] : cases) {
    h.f1.punkte = std::int16_t(score);
    h.f1.GameOver();
    EXPECT_EQ(h.splash.Label5.Caption(), "Status: " + text) << score;
    EXPECT_EQ(h.splash.Label3.Caption(), "Punkte: " + std::to_string(score));
  }
}

TEST(GameOver, WritesOnlyAStrictlyBetterScoreBeforeShowingIt) {
  Harness h;
  writeBytes(h.dir / "Hi.wbh", {0x14, 0x00});
  h.startGame();
  const auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
  std::filesystem::last_write_time(h.dir / "Hi.wbh", stamp);
  h.f1.punkte = 20;
  h.f1.GameOver();
  EXPECT_EQ(std::filesystem::last_write_time(h.dir / "Hi.wbh"), stamp) << "an equal score is not written at all";
  EXPECT_EQ(h.splash.Label1.Caption(), "Hiscore: 20");
  h.pressKey();
  h.runFor(0);
  h.f1.punkte = 245;
  h.f1.GameOver();
  EXPECT_EQ(bytesOf(h.dir / "Hi.wbh"), (std::vector<unsigned char>{0xf5, 0x00}));
  EXPECT_EQ(h.splash.Label1.Caption(), "Hiscore: 245");
  EXPECT_EQ(h.splash.HiScore, 245);
}

TEST(GameOver, ReadsTheFileAfreshAtEveryEnd) {
  Harness h;
  writeBytes(h.dir / "Hi.wbh", {0xff, 0xff, 0xaa, 0xbb, 0xcc});
  h.startGame();
  EXPECT_EQ(h.splash.Loaded(), false);
  h.f1.punkte = 0;
  h.f1.GameOver();
  EXPECT_EQ(bytesOf(h.dir / "Hi.wbh"), (std::vector<unsigned char>{0x00, 0x00, 0xaa, 0xbb, 0xcc}))
      << "0 beats -1, and later bytes stay as they are";
  h.pressKey();
  h.runFor(0);
  writeBytes(h.dir / "Hi.wbh", {0x2c, 0x01});  // someone else scored 300 meanwhile
  h.f1.punkte = 250;
  h.f1.GameOver();
  EXPECT_EQ(h.splash.Label1.Caption(), "Hiscore: 300");
  EXPECT_EQ(bytesOf(h.dir / "Hi.wbh"), (std::vector<unsigned char>{0x2c, 0x01}));
}

TEST(GameOver, TwiceForOneGameChangesNothingTheSecondTime) {
  Harness h;
  h.startGame();
  h.f1.punkte = 65;
  h.f1.tme = 1;
  h.clickOnArea(200, 5);
  h.runFor(0);
  ASSERT_TRUE(h.splash.Visible());
  EXPECT_EQ(bytesOf(h.dir / "Hi.wbh"), (std::vector<unsigned char>{65, 0}));
  const auto shownAt = h.splash.window();
  h.runFor(1000);  // the clock reaches 0 and ends the game again
  EXPECT_EQ(h.f1.tme, 0);
  EXPECT_EQ(h.splash.window(), shownAt) << "not loaded again";
  EXPECT_EQ(h.splash.Label3.Caption(), "Punkte: 65");
  EXPECT_EQ(h.splash.Label1.Caption(), "Hiscore: 65");
}

TEST(Refill, TheMarkCarriesOverIntoTheNextGame) {
  Harness h;
  h.startGame();
  h.runFor(1200);  // tme 89
  for (int i = 0; i < 5; ++i) h.clickOnArea(200, 5);
  h.runFor(0);
  EXPECT_EQ(h.f1.Label3.Caption(), "Nachladen...");
  EXPECT_EQ(h.f1.state().reloadAt, 89);
  h.runFor(1000);
  EXPECT_EQ(h.f1.shots, -1);
  h.runFor(1000);
  EXPECT_EQ(h.f1.tme, 87);
  EXPECT_EQ(h.f1.shots, 5);
  EXPECT_EQ(h.f1.Label3.Caption(), "Schuss: 5");
  h.runFor(90000);
  ASSERT_TRUE(h.splash.Visible());
  h.pressKey();
  h.runFor(0);
  ASSERT_TRUE(h.f1.Visible());
  h.clickOnArea(200, 5);
  h.runFor(0);
  EXPECT_EQ(h.f1.shots, 4);
  const auto before = h.be.recorder.writes.size();
  h.runFor(3000);  // tme 87 again: the old mark refills the magazine, with its sound
  EXPECT_EQ(h.f1.tme, 87);
  EXPECT_EQ(h.f1.shots, 5);
  EXPECT_GT(h.be.recorder.writes.size(), before);
}

TEST(HighScoreFileFailures, TheGameGoesOnAndKeepsTheScoreInMemory) {
  const auto dir = scratchDir();
  std::filesystem::create_directory(dir / "Hi.wbh");
  HeadlessBackend be;
  App app(be.platform, be.options());
  Game g(app, pictures(), std::make_unique<HighScoreFile>(dir / "Hi.wbh"));
  testing::internal::CaptureStderr();
  g.splash.Show();
  app.run(2500 * 1000);
  EXPECT_EQ(g.splash.Label1.Caption(), "Hiscore: 0");
  be.key(*g.splash.window(), 'a');
  app.run(3000 * 1000);
  g.form1.punkte = 40;
  g.form1.GameOver();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(g.splash.Label1.Caption(), "Hiscore: 40");
  EXPECT_EQ(g.splash.HiScore, 40);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Hi.wbh")) << "never replaced";
  EXPECT_NE(err.find("Hi.wbh"), std::string::npos);
  EXPECT_NE(err.find("directory"), std::string::npos);
  // The next end of a game reads nothing new and keeps the known best score.
  be.key(*g.splash.window(), 'a');
  app.run(4000 * 1000);
  g.form1.punkte = 20;
  testing::internal::CaptureStderr();
  g.form1.GameOver();
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(g.splash.Label1.Caption(), "Hiscore: 40");
}

}  // namespace
}  // namespace kh::test

namespace kh::test {
namespace {

TEST(Closing, TheTitleWindowEndsTheProgram) {
  Harness h;
  h.runUntilMs(1500);
  h.be.close(h.titleWindow());
  h.runFor(10000);
  EXPECT_FALSE(h.app.running());
  EXPECT_FALSE(h.f1.Loaded()) << "the hidden play window does not linger";
  EXPECT_LT(h.nowMs(), 2000);
}

TEST(Closing, ThePlayWindowDuringAGameEndsTheProgram) {
  Harness h;
  h.startGame();
  h.runFor(5000);
  h.be.close(h.playWindow());
  h.runFor(10000);
  EXPECT_FALSE(h.app.running());
  EXPECT_LT(h.nowMs(), 8000);
}

}  // namespace
}  // namespace kh::test
