#pragma once
#include <filesystem>
#include <vector>

#include "SoundOutput.h"

namespace kh {

// Sound files on a POSIX file system. Neither call ever blocks: a directory, FIFO, device or
// socket is refused before it is opened, and a file over the limit is not read.
class PosixSoundFiles : public SoundFiles {
 public:
  // A name without a folder is looked for in `folders`, first match wins (the working
  // directory when there are none).
  explicit PosixSoundFiles(std::vector<std::filesystem::path> folders = {}) : folders_(std::move(folders)) {}

  std::optional<FileStamp> stamp(const std::string& name, std::string& why) override;
  std::optional<std::vector<std::uint8_t>> read(const std::string& name, std::size_t limit, std::string& why) override;

  std::filesystem::path locate(const std::string& name) const;

 private:
  std::vector<std::filesystem::path> folders_;
};

}  // namespace kh
