// Any bytes as a sound file: a sound the device can play, or one line saying why it stays
// silent. Nothing else: no crash, no hang, no allocation beyond the loader's limits.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "PosixSoundFiles.h"
#include "SoundLoader.h"

namespace {

void fail(const char* what) {
  std::fprintf(stderr, "SOUND LOADER FAILED: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the device's format, the rest is the file.
  static constexpr int kRates[] = {44100, 48000, 22050, 96000};
  const kh::DeviceFormat device{kRates[data[0] % 4], 1 + (data[0] >> 2) % 2};
  const std::span<const std::uint8_t> bytes(data + 1, size - 1);

  static const auto file = std::filesystem::temp_directory_path() / ("kh-fuzz-sound-" + std::to_string(getpid()) + ".wbs");
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  // Through the file, as the player reads it, and once more from its cache.
  kh::PosixSoundFiles files;
  kh::SoundCache cache(files);
  const kh::Sound s = cache.get(file.string(), device);
  const kh::Sound again = cache.get(file.string(), device);
  if (s.pcm != again.pcm || s.why != again.why) fail("the second cue did not come from the cache");
  const kh::Sound direct = kh::convertSound(bytes, device);
  if (bool(direct) != bool(s) || direct.why != s.why) fail("the file and its bytes gave different answers");
  if (s) {
    const std::size_t frame = 2 * std::size_t(device.channels);
    if (!s.why.empty()) fail("a playable sound with a reason");
    if (s.pcm->empty() || s.pcm->size() % frame) fail("not whole device frames");
    const double seconds = double(s.pcm->size() / frame) / device.rate;
    if (seconds > kh::kMaxSoundSeconds + 0.5) fail("a converted sound longer than the limit");
  } else {
    if (s.why.empty()) fail("silent without a reason");
    if (s.why.find('\n') != std::string::npos) fail("the reason is more than one line");
  }
  return 0;
}
