#include "SoundPlayer.h"

#include "Report.h"

namespace kh {

void SoundPlayer::command(std::string_view value) {
  if (value == "Open") open();
  else if (value == "Close") output_.hold(nullptr);
  else if (value == "Play") output_.play();
}

void SoundPlayer::reportOnce(const std::string& file, const std::string& why) {
  if (reported_.insert(file).second) reportProblem("sound \"" + file + "\" stays silent: " + why);
}

void SoundPlayer::open() {
  const std::optional<DeviceFormat> device = output_.format();
  if (!device) return;  // no device: the output has said so
  output_.hold(nullptr);
  if (deviceType_ != "WaveAudio") {
    reportOnce(fileName_, "unknown device type \"" + deviceType_ + "\"");
    return;
  }
  // Read and converted at the file's first cue; later cues cost one look at the file.
  const Sound s = cache_.get(fileName_, *device);
  if (!s) {
    // No reason: the file is still on its way, and the next cue looks again.
    if (!s.why.empty()) reportOnce(fileName_, s.why);
    return;
  }
  output_.hold(s.pcm);
}

}  // namespace kh
