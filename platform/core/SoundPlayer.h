#pragma once
#include <set>
#include <string>
#include <string_view>

#include "SoundLoader.h"
#include "SoundOutput.h"

namespace kh {

// The multimedia player as every platform has it: wave audio named by file, opened, played
// and closed one at a time. Each file is read and converted once while its stamp stays the
// same; a file that cannot be played stays silent with one line on stderr, once per file; one
// still on its way stays silent without a word until it is there.
// The platform gives the device that plays samples and the files to read them from.
class SoundPlayer {
 public:
  SoundPlayer(SoundOutput& output, SoundFiles& files) : output_(output), cache_(files) {}
  SoundPlayer(const SoundPlayer&) = delete;
  SoundPlayer& operator=(const SoundPlayer&) = delete;

  void setDeviceType(std::string_view type) { deviceType_ = type; }
  void setFileName(std::string_view name) { fileName_ = name; }
  // "Open" reads the file (once while it is unchanged), "Play" plays it from its start,
  // "Close" lets it go; anything else changes nothing.
  void command(std::string_view what);

 private:
  void open();
  void reportOnce(const std::string& file, const std::string& why);

  SoundOutput& output_;
  SoundCache cache_;
  std::string deviceType_;
  std::string fileName_;
  std::set<std::string> reported_;
};

}  // namespace kh
