#pragma once
#include <cstdint>

#include "SoundOutput.h"

namespace kh {

// SDL's own audio as the sound output: one device opened once, a small buffer so a cue is
// heard at once, one sound at a time. A device that stops (its sound server gone) is said
// in one line and reopened once.
class SdlAudio : public SoundOutput {
 public:
  SdlAudio();
  ~SdlAudio() override;
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  std::optional<DeviceFormat> format() const override;
  void hold(Pcm pcm) override;
  void play() override;

  bool hasDevice() const { return device_ != 0; }
  int sampleRate() const { return rate_; }
  int channels() const { return channels_; }
  int bufferFrames() const { return bufferFrames_; }
  // The device has stopped on its own (its sound server gone); the next play() finds out.
  bool stopped() const;
  // Frames handed to the device before the last play() took effect: where that sound starts.
  std::uint64_t lastPlayFrame() const;

 private:
  bool openDevice();
  void closeDevice();
  void checkDevice();
  static void callback(void* self, std::uint8_t* out, int len);

  std::uint32_t device_ = 0;
  int rate_ = 0;
  int channels_ = 2;
  int bufferFrames_ = 0;
  std::uint8_t silence_ = 0;
  bool initialised_ = false;
  bool reopened_ = false;
  // Shared with the audio thread, under SDL's device lock.
  Pcm sound_;
  std::size_t pos_ = 0;
  bool playing_ = false;
  std::uint64_t framesOut_ = 0;
  std::uint64_t playFrame_ = 0;
};

}  // namespace kh
