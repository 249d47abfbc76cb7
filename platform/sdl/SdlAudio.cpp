#include "SdlAudio.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "Report.h"

namespace kh {

SdlAudio::SdlAudio() {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    reportProblem(std::string("no sound: ") + SDL_GetError());
    return;
  }
  if (!openDevice()) {
    reportProblem(std::string("no sound: ") + SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  initialised_ = true;
}

SdlAudio::~SdlAudio() {
  if (device_) closeDevice();
  if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudio::openDevice() {
  SDL_AudioSpec want{}, have{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 512;  // about 12 ms: a cue is heard at once
  want.callback = &SdlAudio::callback;
  want.userdata = this;
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  if (device_ == 0) return false;
  rate_ = have.freq;
  channels_ = have.channels;
  bufferFrames_ = have.samples;
  silence_ = have.silence;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void SdlAudio::closeDevice() {
  SDL_CloseAudioDevice(device_);
  device_ = 0;
}

void SdlAudio::callback(void* userdata, std::uint8_t* out, int len) {
  auto* self = static_cast<SdlAudio*>(userdata);
  std::size_t n = 0;
  if (self->playing_) {
    const std::vector<std::uint8_t>& pcm = *self->sound_;
    n = std::min(std::size_t(len), pcm.size() - self->pos_);
    std::memcpy(out, pcm.data() + self->pos_, n);
    self->pos_ += n;
    if (self->pos_ >= pcm.size()) self->playing_ = false;  // stays open, silent
  }
  std::memset(out + n, self->silence_, std::size_t(len) - n);
  self->framesOut_ += std::uint64_t(len) / std::uint64_t(2 * self->channels_);
}

std::optional<DeviceFormat> SdlAudio::format() const {
  if (!device_) return std::nullopt;
  return DeviceFormat{rate_, channels_};
}

bool SdlAudio::stopped() const { return device_ && SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED; }

std::uint64_t SdlAudio::lastPlayFrame() const {
  if (!device_) return 0;
  SDL_LockAudioDevice(device_);
  const std::uint64_t f = playFrame_;
  SDL_UnlockAudioDevice(device_);
  return f;
}

void SdlAudio::hold(Pcm pcm) {
  if (!device_) return;
  SDL_LockAudioDevice(device_);
  sound_.swap(pcm);  // the old sound is let go of outside the lock
  pos_ = 0;
  playing_ = false;
  SDL_UnlockAudioDevice(device_);
}

// A device stops for good when its sound server goes away. Said once, and opened once more,
// which brings the sound back when the server has come back.
void SdlAudio::checkDevice() {
  if (!stopped()) return;
  const DeviceFormat before{rate_, channels_};
  closeDevice();
  if (!reopened_ && openDevice()) {
    reopened_ = true;
    reportProblem("the sound device stopped; opened it again");
    // Samples made for another format would play wrong: the next cue converts anew.
    if (!(DeviceFormat{rate_, channels_} == before)) hold(nullptr);
    return;
  }
  reportProblem(std::string("the sound device stopped; no sound from now on") +
                (reopened_ ? "" : std::string(": ") + SDL_GetError()));
  sound_.reset();
}

void SdlAudio::play() {
  if (!device_) return;
  checkDevice();
  if (!device_) return;
  SDL_LockAudioDevice(device_);
  pos_ = 0;
  playing_ = sound_ && !sound_->empty();
  playFrame_ = framesOut_;
  SDL_UnlockAudioDevice(device_);
}

}  // namespace kh
