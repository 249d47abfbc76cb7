// The sound loader: each file read and converted once while it stays the same; the length limit.
#include <gtest/gtest.h>

#include <fstream>

#include "Harness.h"
#include "PosixSoundFiles.h"
#include "SoundLoader.h"

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
  PosixSoundFiles files;
  SoundCache cache(files);
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

TEST(SoundLoader, NoSoundLongerThanFiveSeconds) {
  const DeviceFormat device{48000, 1};
  EXPECT_TRUE(convertSound(monoWave(8000 * 5, 8000), device));
  const Sound tooLong = convertSound(monoWave(8000 * 5 + 80, 8000), device);
  EXPECT_FALSE(tooLong);
  EXPECT_EQ(tooLong.why, "it lasts 5.01 s, longer than 5 s");
}

}  // namespace
}  // namespace kh::test
