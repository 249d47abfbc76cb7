// The sound player: the exact writes of each cue (real playback: tests/sdl/DiskAudioTest.cpp).
#include <gtest/gtest.h>

#include "Harness.h"

namespace kh::test {
namespace {

using W = MciWrite;
constexpr int kType = MMControl::kDeviceType, kFile = MMControl::kFileName, kCommand = MMControl::kCommand,
              kFlag = MMControl::kProperty25;

// A sequence of text writes.
std::vector<W> writes(std::initializer_list<std::pair<int, const char*>> texts) {
  std::vector<W> out;
  for (const auto& [id, text] : texts) out.push_back(W{id, std::string(text)});
  return out;
}

const std::vector<W> kPreparation = writes({{kType, "WaveAudio"}, {kFile, "Schuss.wbs"}, {kCommand, "Open"}});

std::vector<W> shotCue(const std::string& file) {
  std::vector<W> out = writes({{kCommand, "Close"}, {kFile, file.c_str()}});
  out.push_back(W{kFlag, true});
  for (const W& w : writes({{kCommand, "Open"}, {kCommand, "Play"}})) out.push_back(w);
  out.push_back(W{kFlag, false});
  return out;
}
const std::vector<W> kRefillCue = writes({{kCommand, "Close"}, {kFile, "Leer.wbs"}, {kCommand, "Open"}, {kCommand, "Play"}});

TEST(Cues, PreparationRefillAndShotWriteExactlyTheirSequences) {
  Harness h;
  EXPECT_EQ(h.be.recorder.writes, kPreparation) << "prepared at load, nothing played";
  h.startGame();
  std::vector<W> want = kPreparation;
  want.insert(want.end(), kRefillCue.begin(), kRefillCue.end());
  EXPECT_EQ(h.be.recorder.writes, want) << "the first sound is the refill, on the title screen";
  h.f1.Timer1.setEnabled(false);
  h.f1.state().posX = 700;  // out of sight: a sure miss
  h.clickOnArea(5, 5);
  h.clickOnArea(5, 5);
  h.runFor(0);
  for (int i = 0; i < 2; ++i) {
    const auto cue = shotCue("Schuss.wbs");
    want.insert(want.end(), cue.begin(), cue.end());
  }
  EXPECT_EQ(h.be.recorder.writes, want) << "each cue closes the last sound first";
}

TEST(Cues, AHitRaisesTheScoreBeforeItsSoundAndRedrawsAfter) {
  Harness h;
  h.startGame();
  h.f1.Timer1.setEnabled(false);
  auto& s = h.f1.state();
  s.posX = 400;
  s.posY = 60;
  s.facing = 65;
  // The middle of the creature's chest is body.
  const int fallBefore = s.fallStep;
  std::vector<std::string> seen;
  h.be.recorder.onWrite = [&](const W& w) {
    if (w.dispId == kFile) seen.push_back(std::to_string(h.f1.punkte) + " " + h.f1.Label1.Caption() + " " + h.f1.Label3.Caption());
  };
  h.clickOnArea(float(s.scrollX + s.posX + 30), float(s.posY + 30));
  h.runFor(0);
  ASSERT_EQ(h.f1.punkte, 20);
  EXPECT_EQ(seen, std::vector<std::string>{"20 Punkte: 0 Schuss: 5"}) << "score first, then the cue, then the labels";
  EXPECT_EQ(h.f1.Label1.Caption(), "Punkte: 20");
  EXPECT_EQ(s.fallStep, fallBefore) << "only a lantern hit counts falling frames";
}

}  // namespace
}  // namespace kh::test
