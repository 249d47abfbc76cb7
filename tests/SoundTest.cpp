// The sound player: the exact writes of each cue, and real playback through SDL's disk driver.
#include <gtest/gtest.h>


#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "PosixSoundFiles.h"
#include "SdlAudio.h"
#include "SoundPlayer.h"
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

// ---- Real playback: SDL's disk driver writes what plays into a file, sample by sample. ----

struct DiskAudio : ::testing::Test {
  std::filesystem::path dir = scratchDir();
  std::filesystem::path out = dir / "out.raw";

  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  }
  void TearDown() override { setenv("SDL_AUDIODRIVER", "dummy", 1); }

  // A mono 16-bit wave file holding one constant level (it survives resampling unchanged).
  std::string wave(const std::string& name, int level, double seconds) {
    const int rate = 22050, n = int(rate * seconds);
    std::ofstream f(dir / name, std::ios::binary);
    auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    f.write("RIFF", 4);
    u32(36 + std::uint32_t(n) * 2);
    f.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    f.write("data", 4);
    u32(std::uint32_t(n) * 2);
    for (int i = 0; i < n; ++i) u16(std::uint16_t(std::int16_t(level)));
    return (dir / name).string();
  }

  std::vector<std::int16_t> samples() const {
    std::ifstream in(out, std::ios::binary);
    std::vector<char> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<std::int16_t> s(b.size() / 2);
    std::memcpy(s.data(), b.data(), s.size() * 2);
    return s;
  }
  std::size_t written() const {  // stdio buffering makes this lag a little; fine for "after"
    std::error_code ec;
    return std::filesystem::exists(out, ec) ? std::size_t(std::filesystem::file_size(out, ec)) / 2 : 0;
  }
  // The core's player on SDL's audio, reading files as the desktop does.
  struct SdlSound {
    SdlAudio output;
    PosixSoundFiles files;
    SoundPlayer player{output, files};
  };
  static void cue(SdlSound& a, const std::string& file) {
    a.player.command("Close");
    a.player.setFileName(file);
    a.player.command("Open");
    a.player.command("Play");
  }
  // The device plays on its own thread: poll what it wrote until `done`, for five seconds at most.
  template <class F>
  static bool eventually(F done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }
  // A sample at or after `from` at least `level` loud.
  bool loudAfter(std::size_t from, int level) const {
    const auto s = samples();
    for (std::size_t i = from; i < s.size(); ++i)
      if (std::abs(s[i]) >= level) return true;
    return false;
  }
};

TEST_F(DiskAudio, ACueIsHeardAtOnceAndTheNextCutsItOff) {
  const std::string loud = wave("a.wbs", 8000, 0.8), louder = wave("b.wbs", 20000, 0.3);
  SdlSound audio;
  ASSERT_TRUE(audio.output.hasDevice());
  audio.player.setDeviceType("WaveAudio");
  ASSERT_TRUE(eventually([&] { return written() > 0; })) << "the device runs";
  cue(audio, loud);
  const std::uint64_t startsAt = audio.output.lastPlayFrame();
  ASSERT_TRUE(eventually([&] { return loudAfter(0, 1000); }));
  const std::size_t atSecond = written();
  cue(audio, louder);
  // Well into the second sound: a quarter of a second of it.
  const std::size_t quarter = std::size_t(audio.output.sampleRate() * audio.output.channels() / 4);
  ASSERT_TRUE(eventually([&] { return loudAfter(atSecond, 15000) && written() > atSecond + quarter; }));
  const auto s = samples();
  // The sound starts in the very next buffer handed to the device; the device's own buffer is
  // all the delay there is.
  const std::size_t channels = std::size_t(audio.output.channels());
  std::size_t first = 0;
  while (first < s.size() && std::abs(s[first]) < 1000) ++first;
  ASSERT_LT(first, s.size());
  const double frame = double(first / channels);
  const double delayMs = (frame - double(startsAt) + audio.output.bufferFrames()) / audio.output.sampleRate() * 1000;
  std::cout << "cue to first audible sample: " << delayMs << " ms (" << audio.output.bufferFrames() << "-frame buffer)\n";
  EXPECT_GE(frame, double(startsAt));
  EXPECT_LE(delayMs, 30);
  // After the second cue only the second sound plays: never the first one's level again.
  std::size_t second = atSecond;
  while (second < s.size() && std::abs(s[second]) < 15000) ++second;
  ASSERT_LT(second, s.size());
  for (std::size_t i = second; i < s.size(); ++i) ASSERT_GT(std::abs(s[i] - 8000), 100) << "sample " << i;
}

TEST_F(DiskAudio, AMissingOrBrokenFileStaysSilentAndIsReportedOnce) {
  { std::ofstream((dir / "empty.wbs").string()); }
  { std::ofstream((dir / "junk.wbs").string()) << "this is not wave audio at all, just text"; }
  wave("cut.wbs", 8000, 0.5);
  std::filesystem::resize_file(dir / "cut.wbs", 30);
  SdlSound audio;
  ASSERT_TRUE(audio.output.hasDevice());
  audio.player.setDeviceType("WaveAudio");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i)
    for (const char* f : {"missing.wbs", "empty.wbs", "junk.wbs", "cut.wbs"}) cue(audio, (dir / f).string());
  const std::size_t before = written(), tenth = std::size_t(audio.output.sampleRate() * audio.output.channels() / 10);
  ASSERT_TRUE(eventually([&] { return written() > before + tenth; }));
  const std::string err = testing::internal::GetCapturedStderr();
  for (const char* f : {"missing.wbs", "empty.wbs", "junk.wbs", "cut.wbs"}) {
    std::size_t count = 0;
    for (std::size_t at = err.find(f); at != std::string::npos; at = err.find(f, at + 1)) ++count;
    EXPECT_EQ(count, 1u) << f;
  }
  for (std::int16_t v : samples()) ASSERT_EQ(v, 0);
  // Still works afterwards.
  cue(audio, wave("ok.wbs", 8000, 0.2));
  EXPECT_TRUE(eventually([&] { return loudAfter(0, 1000); }));
}

TEST_F(DiskAudio, ADeviceThatStopsIsSaidInOneLineAndOpenedOnceMore) {
  setenv("SDL_DISKAUDIOFILE", "/dev/full", 1);  // every write fails: the device stops at once
  const std::string ok = wave("ok.wbs", 8000, 0.2);
  SdlSound audio;
  ASSERT_TRUE(audio.output.hasDevice());
  audio.player.setDeviceType("WaveAudio");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i) {
    const bool stopped = eventually([&] { return !audio.output.hasDevice() || audio.output.stopped(); });
    cue(audio, ok);
    if (!stopped) break;
  }
  const std::string err = testing::internal::GetCapturedStderr();
  auto count = [&](const std::string& line) {
    std::size_t n = 0;
    for (std::size_t at = err.find(line); at != std::string::npos; at = err.find(line, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("knuffelhatz: the sound device stopped; opened it again\n"), 1u) << err;
  EXPECT_EQ(count("knuffelhatz: the sound device stopped; no sound from now on\n"), 1u) << err;
  EXPECT_FALSE(audio.output.hasDevice()) << "given up after the second stop";
}

}  // namespace
}  // namespace kh::test
