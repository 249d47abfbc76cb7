#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kh {

// What the output device plays: signed 16-bit samples in native order, interleaved.
struct DeviceFormat {
  int rate = 44100;
  int channels = 2;
  bool operator==(const DeviceFormat&) const = default;
};

// A sound ready for the device, or the one-line reason it stays silent.
struct Sound {
  std::shared_ptr<const std::vector<std::uint8_t>> pcm;
  std::string why;
  explicit operator bool() const { return pcm != nullptr; }
};

// Our sounds are short clips; anything far bigger is a mistake, not a sound to wait for.
constexpr std::size_t kMaxSoundFileBytes = 16u << 20;
constexpr double kMaxSoundSeconds = 5;
// No conversion step may need more than this.
constexpr std::size_t kMaxConversionBytes = 64u << 20;

// Wave audio in memory, converted for the device. Never more than a bounded allocation.
Sound convertSound(std::span<const std::uint8_t> bytes, DeviceFormat device);

// A file's bytes without ever blocking: a directory, FIFO, device or socket is refused
// before it is opened, and so is a file over kMaxSoundFileBytes. Empty `why` on success.
std::vector<std::uint8_t> readSoundFile(const std::filesystem::path& path, std::string& why);

// Each file read and converted once, and again only when its size or modification time
// changes: a cue costs one stat.
class SoundCache {
 public:
  Sound get(const std::filesystem::path& path, DeviceFormat device);

 private:
  struct Entry {
    std::uint64_t dev = 0, ino = 0, size = 0;
    std::int64_t mtimeNs = 0;
    DeviceFormat device;
    Sound sound;
  };
  std::map<std::string, Entry> entries_;
};

}  // namespace kh
