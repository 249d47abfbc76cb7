#include "SdlAudio.h"

#include "MMControl.h"
#include "Report.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace kh {

SdlAudio::SdlAudio(std::vector<std::filesystem::path> folders) : folders_(std::move(folders)) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    reportProblem(std::string("no sound: ") + SDL_GetError());
    return;
  }
  SDL_AudioSpec want{}, have{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 512;  // about 12 ms: a cue is heard at once
  want.callback = &SdlAudio::callback;
  want.userdata = this;
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
  if (device_ == 0) {
    reportProblem(std::string("no sound: ") + SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return;
  }
  rate_ = have.freq;
  channels_ = have.channels;
  bufferFrames_ = have.samples;
  silence_ = have.silence;
  SDL_PauseAudioDevice(device_, 0);
}

SdlAudio::~SdlAudio() {
  if (device_) {
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
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

std::uint64_t SdlAudio::lastPlayFrame() const {
  if (!device_) return 0;
  SDL_LockAudioDevice(device_);
  const std::uint64_t f = playFrame_;
  SDL_UnlockAudioDevice(device_);
  return f;
}

void SdlAudio::putText(int dispId, std::string_view value) {
  if (dispId == MMControl::kDeviceType) deviceType_ = value;
  if (dispId == MMControl::kFileName) fileName_ = value;
  if (dispId == MMControl::kCommand) command(value);
}

void SdlAudio::command(std::string_view cmd) {
  if (cmd == "Open") open();
  else if (cmd == "Close") close();
  else if (cmd == "Play") play();
}

void SdlAudio::reportOnce(const std::string& file, const std::string& why) {
  if (reported_.insert(file).second) reportProblem("sound \"" + file + "\" stays silent: " + why);
}

std::filesystem::path SdlAudio::locate(const std::string& file) const {
  const std::filesystem::path name(file);
  if (folders_.empty() || name.has_parent_path() || name.is_absolute()) return name;
  for (const auto& folder : folders_) {
    std::error_code ec;
    if (std::filesystem::exists(folder / name, ec)) return folder / name;
  }
  return folders_.front() / name;
}

void SdlAudio::open() {
  if (!device_) return;
  close();
  if (deviceType_ != "WaveAudio") {
    reportOnce(fileName_, "unknown device type \"" + deviceType_ + "\"");
    return;
  }
  // Read and converted at the file's first cue; later cues cost one stat.
  Sound s = cache_.get(locate(fileName_), DeviceFormat{rate_, channels_});
  if (!s) {
    reportOnce(fileName_, s.why);
    return;
  }
  SDL_LockAudioDevice(device_);
  sound_.swap(s.pcm);
  pos_ = 0;
  playing_ = false;
  SDL_UnlockAudioDevice(device_);
}

void SdlAudio::close() {
  if (!device_) return;
  std::shared_ptr<const std::vector<std::uint8_t>> old;  // let go of outside the lock
  SDL_LockAudioDevice(device_);
  playing_ = false;
  pos_ = 0;
  old.swap(sound_);
  SDL_UnlockAudioDevice(device_);
}

void SdlAudio::play() {
  if (!device_) return;
  SDL_LockAudioDevice(device_);
  pos_ = 0;
  playing_ = sound_ && !sound_->empty();
  playFrame_ = framesOut_;
  SDL_UnlockAudioDevice(device_);
}

}  // namespace kh
