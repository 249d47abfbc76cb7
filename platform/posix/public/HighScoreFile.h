#pragma once
#include <filesystem>
#include <string>

#include "ScoreStore.h"

namespace kh {

// "Hi.wbh": the best score as two bytes, little-endian, at offset 0. Later bytes are
// never touched, the file is never truncated, and nothing is written anywhere else.
// Neither operation ever blocks: a FIFO, a device or a socket under the name is refused,
// and a copy that holds the file's lock for long is given up on.
class HighScoreFile : public ScoreBytes {
 public:
  explicit HighScoreFile(std::filesystem::path path = "Hi.wbh") : path_(std::move(path)) {}

  // Appended, not added up: GCC 12 warns falsely about "\"" + std::string.
  std::string where() const override { return std::string(1, '"').append(path_.string()).append(1, '"'); }
  std::optional<Bytes> read(std::string& why) override;
  // Under an advisory lock on the file, so that two copies ending together never lower it.
  bool update(const Decide& decide, std::string& why) override;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace kh
