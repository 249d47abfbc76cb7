#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/Backend.h"

namespace kh {

// The multimedia player on SDL's own audio: one output device opened once, a small buffer
// so a cue is heard at once, one sound at a time.
class SdlAudio : public MciDevice {
 public:
  SdlAudio();
  ~SdlAudio() override;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  void putText(int dispId, std::string_view value) override;
  void putBool(int, bool) override {}  // property 25 changes nothing we can hear

  bool hasDevice() const { return device_ != 0; }
  int sampleRate() const { return rate_; }

 private:
  void command(std::string_view cmd);
  void open();
  void close();
  void play();
  void reportOnce(const std::string& file, const std::string& why);
  static void callback(void* self, std::uint8_t* out, int len);

  std::uint32_t device_ = 0;
  int rate_ = 0;
  int channels_ = 2;
  std::uint8_t silence_ = 0;
  std::string deviceType_;
  std::string fileName_;
  // Shared with the audio thread, under SDL's device lock.
  std::vector<std::uint8_t> sound_;
  std::size_t pos_ = 0;
  bool playing_ = false;
  std::set<std::string> reported_;
};

}  // namespace kh
