#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Backend.h"
#include "SoundLoader.h"

namespace kh {

// The multimedia player on SDL's own audio: one output device opened once, a small buffer
// so a cue is heard at once, one sound at a time. Each file is read and converted once
// (SoundCache); a file that cannot be played stays silent with one line on stderr.
class SdlAudio : public MciDevice {
 public:
  // Sound files named without a folder are looked for in `folders`, first match wins (the
  // working directory when there are none).
  explicit SdlAudio(std::vector<std::filesystem::path> folders = {});
  ~SdlAudio() override;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  void putText(int dispId, std::string_view value) override;
  void putBool(int, bool) override {}  // property 25 changes nothing we can hear

  bool hasDevice() const { return device_ != 0; }
  int sampleRate() const { return rate_; }
  int channels() const { return channels_; }
  int bufferFrames() const { return bufferFrames_; }
  // Frames handed to the device before the last "Play" took effect: where that sound starts.
  std::uint64_t lastPlayFrame() const;

 private:
  void command(std::string_view cmd);
  void open();
  void close();
  void play();
  void reportOnce(const std::string& file, const std::string& why);
  std::filesystem::path locate(const std::string& file) const;
  static void callback(void* self, std::uint8_t* out, int len);

  std::uint32_t device_ = 0;
  int rate_ = 0;
  int channels_ = 2;
  std::uint8_t silence_ = 0;
  std::string deviceType_;
  std::string fileName_;
  std::vector<std::filesystem::path> folders_;
  // Shared with the audio thread, under SDL's device lock.
  std::shared_ptr<const std::vector<std::uint8_t>> sound_;
  std::size_t pos_ = 0;
  bool playing_ = false;
  std::uint64_t framesOut_ = 0;
  std::uint64_t playFrame_ = 0;
  int bufferFrames_ = 0;
  std::set<std::string> reported_;
  SoundCache cache_;
};

}  // namespace kh
