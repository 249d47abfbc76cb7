#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "ScoreStore.h"

namespace kh {

// "Hi.wbh": the best score as two bytes, little-endian, at offset 0. Later bytes are
// never touched, the file is never truncated, and nothing is written anywhere else.
// Neither operation ever blocks: a FIFO, a device or a socket under the name is refused,
// and a copy that holds the file's lock for long is given up on.
class HighScoreFile : public ScoreStore {
 public:
  explicit HighScoreFile(std::filesystem::path path = "Hi.wbh") : path_(std::move(path)) {}

  std::optional<std::int16_t> read() override;
  // Under an advisory lock on the file, so that two copies ending together never lower it.
  bool write(std::int16_t score) override;

  const std::filesystem::path& path() const { return path_; }

 private:
  void report(const std::string& what, const std::string& why);
  std::filesystem::path path_;
  std::set<std::string> reported_;
};

}  // namespace kh
