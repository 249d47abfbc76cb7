#include "WebSound.h"

#include "SoundLoader.h"
#include "WebPage.h"

namespace kh {

namespace {

constexpr DeviceFormat kFormat{44100, 2};

// What kh_web_file_size says of a file still on its way.
constexpr double kOnItsWay = -2;

}  // namespace

WebSound::WebSound() { kh_web_files_fetch(double(kMaxSoundFileBytes)); }

std::optional<DeviceFormat> WebSound::format() const {
  if (!kh_web_audio_available()) return std::nullopt;
  // Web Audio takes samples at any rate and converts them itself.
  return kFormat;
}

void WebSound::hold(Pcm pcm) {
  held_ = 0;
  if (!pcm || pcm->empty() || !format()) return;
  for (const auto& [p, id] : buffers_)
    if (p == pcm) {
      held_ = id;
      return;
    }
  held_ = int(buffers_.size()) + 1;
  buffers_.emplace_back(pcm, held_);
  kh_web_audio_buffer(held_, pcm->data(), int(pcm->size()), kFormat.rate, kFormat.channels);
}

void WebSound::play() {
  if (format()) kh_web_audio_play(held_);
}

std::optional<FileStamp> WebSound::stamp(const std::string& name, std::string& why) {
  char reason[256] = {};
  const double size = kh_web_file_size(name.c_str(), reason);
  if (size == kOnItsWay) {
    why.clear();
    return std::nullopt;
  }
  if (size < 0) {
    why = reason;
    return std::nullopt;
  }
  // The page's files never change while it runs.
  return FileStamp{std::uint64_t(kh_web_file_index(name.c_str())), std::uint64_t(size), 0};
}

std::optional<std::vector<std::uint8_t>> WebSound::read(const std::string& name, std::size_t limit,
                                                        std::string& why) {
  char reason[256] = {};
  const double size = kh_web_file_size(name.c_str(), reason);
  if (size < 0) {
    why = reason;
    return std::nullopt;
  }
  if (size > double(limit)) {
    why = "larger than " + std::to_string(limit) + " bytes";
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!bytes.empty()) kh_web_file_read(name.c_str(), bytes.data());
  return bytes;
}

}  // namespace kh
