#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <optional>

#include "SoundOutput.h"

namespace kh::win32 {

// The sound device through waveOut, which every Windows has: 16-bit stereo at 44.1 kHz,
// one buffer per sound, handed to the device whole. Cutting a sound off is waveOutReset.
class WaveOutput : public SoundOutput {
 public:
  WaveOutput();  // without a device everything stays silent, said once on stderr
  ~WaveOutput() override;
  WaveOutput(const WaveOutput&) = delete;
  WaveOutput& operator=(const WaveOutput&) = delete;

  std::optional<DeviceFormat> format() const override;
  void hold(Pcm pcm) override;
  void play() override;

 private:
  void stop();

  HWAVEOUT out_ = nullptr;
  DeviceFormat format_;
  Pcm held_, playing_;
  WAVEHDR header_{};
  bool prepared_ = false;
  bool warned_ = false;
};

}  // namespace kh::win32
