#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kh {

// What an output device plays: signed 16-bit samples in native order, interleaved.
struct DeviceFormat {
  int rate = 44100;
  int channels = 2;
  bool operator==(const DeviceFormat&) const = default;
};

using Pcm = std::shared_ptr<const std::vector<std::uint8_t>>;

// A platform's sound device: one sound at a time. Decoding, the limits and the cue rules
// are the core's; a backend only plays samples.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // The device's format, or nothing when there is none: everything stays silent, and the
  // backend has said why in one line.
  virtual std::optional<DeviceFormat> format() const = 0;
  // The sound the next play() starts; cuts off what is playing. Empty: nothing.
  virtual void hold(Pcm pcm) = 0;
  // Plays the held sound from its start, cutting off what is playing.
  virtual void play() = 0;
};

// What changes when a file's contents may have changed: its identity, size and time.
struct FileStamp {
  std::uint64_t id = 0, size = 0;
  std::int64_t modified = 0;
  bool operator==(const FileStamp&) const = default;
};

// Where a platform's sound files come from, by the name the game gives them.
class SoundFiles {
 public:
  virtual ~SoundFiles() = default;
  // The file's stamp, or nothing with the one-line reason when it is missing or is not a
  // plain file; nothing with no reason while it is still on its way (the page fetching it).
  // Never blocks.
  virtual std::optional<FileStamp> stamp(const std::string& name, std::string& why) = 0;
  // At most `limit` bytes of the file: more is refused with `why`, as is anything that is
  // not a plain file. Never blocks.
  virtual std::optional<std::vector<std::uint8_t>> read(const std::string& name, std::size_t limit,
                                                        std::string& why) = 0;
};

}  // namespace kh
