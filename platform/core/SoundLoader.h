#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "SoundOutput.h"

namespace kh {

// A sound ready for the device, or the one-line reason it stays silent.
struct Sound {
  Pcm pcm;
  std::string why;
  explicit operator bool() const { return pcm != nullptr; }
};

// Our sounds are short clips; anything far bigger is a mistake, not a sound to wait for.
constexpr std::size_t kMaxSoundFileBytes = 16u << 20;
constexpr double kMaxSoundSeconds = 5;
// No conversion may need more than this.
constexpr std::size_t kMaxConversionBytes = 64u << 20;

// Wave audio in memory (RIFF/WAVE: integer PCM of 8, 16, 24 or 32 bits, or 32- or 64-bit
// floats, also in the extensible format), converted for the device: its channels mixed to
// the device's, resampled to its rate. Never more than a bounded allocation, whatever the
// headers claim.
Sound convertSound(std::span<const std::uint8_t> bytes, DeviceFormat device);

// Each file read and converted once, and again only when its stamp changes: a cue costs
// one look at the file.
class SoundCache {
 public:
  explicit SoundCache(SoundFiles& files) : files_(files) {}
  Sound get(const std::string& name, DeviceFormat device);

 private:
  struct Entry {
    FileStamp stamp;
    DeviceFormat device;
    Sound sound;
  };
  SoundFiles& files_;
  std::map<std::string, Entry> entries_;
};

}  // namespace kh
