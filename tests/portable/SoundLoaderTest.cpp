// The sound loader: each file read and converted once while it stays the same; the length limit;
// every encoding it takes, the mixing of channels, and headers that lie or files cut short.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "Harness.h"
#include "SoundLoader.h"
#include "SoundPlayer.h"

namespace kh::test {
namespace {

std::vector<std::uint8_t> monoWave(int frames, int rate) {
  std::vector<std::uint8_t> b{'R', 'I', 'F', 'F'};
  auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i))); };
  auto u16 = [&](std::uint16_t v) { b.push_back(std::uint8_t(v)), b.push_back(std::uint8_t(v >> 8)); };
  u32(36 + std::uint32_t(frames) * 2);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16), u16(1), u16(1), u32(std::uint32_t(rate)), u32(std::uint32_t(rate) * 2), u16(2), u16(16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(std::uint32_t(frames) * 2);
  b.resize(b.size() + std::size_t(frames) * 2, 0x10);
  return b;
}

void write(const std::filesystem::path& p, const std::vector<std::uint8_t>& b) {
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

TEST(SoundLoader, EachFileIsReadOnceWhileItsSizeAndTimeStay) {
  const auto file = scratchDir() / "a.wbs";
  write(file, monoWave(2000, 22050));
  const auto files = soundFiles();
  SoundCache cache(*files);
  const DeviceFormat device{44100, 2};
  const Sound first = cache.get(file.string(), device);
  ASSERT_TRUE(first) << first.why;
  EXPECT_EQ(first.pcm->size(), 4000u * 4) << "twice the rate, two channels, 16 bits";
  EXPECT_EQ(cache.get(file.string(), device).pcm, first.pcm) << "the next cue reads nothing";
  // Same size, new contents and time: read again.
  write(file, monoWave(2000, 11025));
  std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) + std::chrono::seconds(2));
  const Sound second = cache.get(file.string(), device);
  ASSERT_TRUE(second);
  EXPECT_NE(second.pcm, first.pcm);
  EXPECT_EQ(second.pcm->size(), 8000u * 4);
  // A broken file is judged once too, and mended, it plays.
  write(file, {'R', 'I', 'F', 'F'});
  EXPECT_EQ(cache.get(file.string(), device).why, "not wave audio: no RIFF/WAVE header");
  write(file, monoWave(100, 44100));
  EXPECT_TRUE(cache.get(file.string(), device));
}

// A file still on its way (the page fetching it) is silent without a word; once there it
// plays, and a file that stays missing is told once.
TEST(SoundLoader, AFileOnItsWayIsSilentWithoutAWordUntilItIsThere) {
  struct Files : SoundFiles {
    std::optional<std::vector<std::uint8_t>> bytes;
    std::optional<FileStamp> stamp(const std::string& name, std::string& why) override {
      why = name == "gone.wbs" ? "missing" : "";
      if (!bytes || !why.empty()) return std::nullopt;
      return FileStamp{1, bytes->size(), 0};
    }
    std::optional<std::vector<std::uint8_t>> read(const std::string&, std::size_t, std::string&) override { return bytes; }
  } files;
  struct Output : SoundOutput {
    int plays = 0;
    Pcm held;
    std::optional<DeviceFormat> format() const override { return DeviceFormat{}; }
    void hold(Pcm pcm) override { held = std::move(pcm); }
    void play() override { plays += held != nullptr; }
  } output;
  SoundPlayer player(output, files);
  player.setDeviceType("WaveAudio");
  const auto cue = [&](const char* name) {
    player.setFileName(name);
    player.command("Open");
    player.command("Play");
  };
  testing::internal::CaptureStderr();
  cue("a.wbs");
  cue("a.wbs");
  EXPECT_EQ(output.plays, 0);
  files.bytes = monoWave(100, 44100);
  cue("a.wbs");
  EXPECT_EQ(output.plays, 1) << "there now: it plays";
  cue("gone.wbs");
  cue("gone.wbs");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.find("a.wbs"), std::string::npos) << err;
  EXPECT_EQ(err.find("gone.wbs"), err.rfind("gone.wbs")) << err;
  EXPECT_NE(err.find("sound \"gone.wbs\" stays silent: missing"), std::string::npos) << err;
}

TEST(SoundLoader, NoSoundLongerThanFiveSeconds) {
  const DeviceFormat device{48000, 1};
  EXPECT_TRUE(convertSound(monoWave(8000 * 5, 8000), device));
  const Sound tooLong = convertSound(monoWave(8000 * 5 + 80, 8000), device);
  EXPECT_FALSE(tooLong);
  EXPECT_EQ(tooLong.why, "it lasts 5.01 s, longer than 5 s");
}

// A wave file whose channel c holds the level levels[c] (from -1 to 1) in every frame.
std::vector<std::uint8_t> levelWave(int tag, int bits, const std::vector<double>& levels, int frames, int rate,
                                    bool extensible = false) {
  std::vector<std::uint8_t> b, data;
  auto u32 = [](std::vector<std::uint8_t>& to, std::uint32_t v) { for (int i = 0; i < 4; ++i) to.push_back(std::uint8_t(v >> (8 * i))); };
  auto u16 = [](std::vector<std::uint8_t>& to, std::uint16_t v) { to.push_back(std::uint8_t(v)), to.push_back(std::uint8_t(v >> 8)); };
  for (int f = 0; f < frames; ++f)
    for (const double v : levels) {
      std::uint8_t s[8];
      if (tag == 3 && bits == 32) { const float x = float(v); std::memcpy(s, &x, 4); }
      else if (tag == 3) std::memcpy(s, &v, 8);
      else if (bits == 8) s[0] = std::uint8_t(128 + v * 128);
      else { const auto x = std::uint64_t(std::int64_t(v * double(1ull << (bits - 1)))); for (int i = 0; i < bits / 8; ++i) s[i] = std::uint8_t(x >> (8 * i)); }
      data.insert(data.end(), s, s + bits / 8);
    }
  const auto channels = std::uint16_t(levels.size()), block = std::uint16_t(channels * bits / 8);
  std::vector<std::uint8_t> fmt;
  u16(fmt, std::uint16_t(extensible ? 0xfffe : tag)), u16(fmt, channels), u32(fmt, std::uint32_t(rate));
  u32(fmt, std::uint32_t(rate) * block), u16(fmt, block), u16(fmt, std::uint16_t(bits));
  if (extensible) {
    u16(fmt, 22), u16(fmt, std::uint16_t(bits)), u32(fmt, 0), u16(fmt, std::uint16_t(tag));
    fmt.insert(fmt.end(), {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xaa, 0, 0x38, 0x9b, 0x71});
  }
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  u32(b, std::uint32_t(4 + 8 + fmt.size() + 8 + data.size()));
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(b, std::uint32_t(fmt.size()));
  b.insert(b.end(), fmt.begin(), fmt.end());
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(b, std::uint32_t(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

std::vector<std::int16_t> samplesOf(const Sound& s) {
  std::vector<std::int16_t> out(s.pcm->size() / 2);
  std::memcpy(out.data(), s.pcm->data(), s.pcm->size());
  return out;
}

TEST(SoundLoader, EveryEncodingDecodesToTheSameLevel) {
  struct Row { int tag, bits; bool extensible; };
  for (const Row r : {Row{1, 8, false}, Row{1, 16, false}, Row{1, 24, false}, Row{1, 32, false}, Row{3, 32, false},
                      Row{3, 64, false}, Row{1, 24, true}, Row{3, 32, true}}) {
    const Sound s = convertSound(levelWave(r.tag, r.bits, {0.25, -0.5}, 1000, 32000, r.extensible), DeviceFormat{48000, 2});
    ASSERT_TRUE(s) << r.tag << "/" << r.bits << ": " << s.why;
    const auto v = samplesOf(s);
    ASSERT_EQ(v.size(), 1500u * 2) << "resampled to the device's rate";
    for (std::size_t i = 0; i < v.size(); i += 2) {
      ASSERT_EQ(v[i], 8192) << r.tag << "/" << r.bits << " left, frame " << i / 2;
      ASSERT_EQ(v[i + 1], -16384) << r.tag << "/" << r.bits << " right, frame " << i / 2;
    }
  }
}

TEST(SoundLoader, ChannelsAreMixedToTheDevicesAndOddHeadersRefused) {
  // Six channels to two: each side the mean of the channels that fall on it.
  const Sound six = convertSound(levelWave(1, 16, {0.5, 0.25, 0.5, 0.25, -0.25, -1}, 100, 48000), DeviceFormat{48000, 2});
  ASSERT_TRUE(six) << six.why;
  EXPECT_EQ(samplesOf(six)[0], std::int16_t(0.25 * 32768));
  EXPECT_EQ(samplesOf(six)[1], -5461) << "-1/6, rounded";
  const Sound mono = convertSound(levelWave(1, 16, {0.5, -0.25}, 100, 48000), DeviceFormat{48000, 1});
  ASSERT_TRUE(mono);
  EXPECT_EQ(samplesOf(mono), std::vector<std::int16_t>(100, std::int16_t(0.125 * 32768)));
  EXPECT_EQ(convertSound(levelWave(1, 12, {0.5}, 100, 48000), DeviceFormat{}).why, "not playable wave audio: 12-bit samples");
  EXPECT_EQ(convertSound(levelWave(0x55, 16, {0.5}, 100, 48000), DeviceFormat{}).why, "not playable wave audio: unknown encoding 0x55");
  // A data chunk that claims far more than the file holds, or a file cut short after its
  // header: refused, not played in part.
  auto lying = levelWave(1, 16, {0.5}, 100, 48000);
  lying[lying.size() - 200 - 4 + 3] = 0x7f;
  EXPECT_EQ(convertSound(lying, DeviceFormat{48000, 1}).why, "it is cut short: its data chunk claims 2130706632 bytes, 200 are there");
  auto cut = monoWave(2000, 22050);
  cut.resize(100);
  EXPECT_EQ(convertSound(cut, DeviceFormat{}).why, "it is cut short: its data chunk claims 4000 bytes, 56 are there");
  cut.resize(30);
  EXPECT_EQ(convertSound(cut, DeviceFormat{}).why, "it is cut short: its format chunk claims 16 bytes, 10 are there");
}

}  // namespace
}  // namespace kh::test
