#pragma once
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "SoundOutput.h"

namespace kh {

// Sound in a web page: samples played through Web Audio, which browsers start only after
// the player pressed a key or clicked; the sound files are the ones the page serves beside
// the program, fetched from its own folder as the program starts (`Module.khFiles`) under the
// core's size limit, kept in memory. A file still on its way is silent without a word. Whether
// the browser has Web Audio the page's side knows, once WebBackend started it.
class WebSound : public SoundOutput, public SoundFiles {
 public:
  WebSound();
  WebSound(const WebSound&) = delete;
  WebSound& operator=(const WebSound&) = delete;

  std::optional<DeviceFormat> format() const override;
  void hold(Pcm pcm) override;
  void play() override;

  std::optional<FileStamp> stamp(const std::string& name, std::string& why) override;
  std::optional<std::vector<std::uint8_t>> read(const std::string& name, std::size_t limit, std::string& why) override;

 private:
  // The samples the page holds as its own buffers, by number; kept so a number is never reused.
  std::vector<std::pair<Pcm, int>> buffers_;
  int held_ = 0;
};

}  // namespace kh
