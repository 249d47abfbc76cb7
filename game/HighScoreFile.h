#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>

namespace kh {

// "Hi.wbh": the best score as two bytes, little-endian, at offset 0. Later bytes are
// never touched, the file is never truncated, and nothing is written anywhere else.
// Neither operation ever blocks: a FIFO, a device or a socket under the name is refused.
class HighScoreFile {
 public:
  explicit HighScoreFile(std::filesystem::path path = "Hi.wbh") : path_(std::move(path)) {}

  // The stored score (an empty file holds 0), or nothing when the file cannot be read;
  // the reason then goes to stderr in one line.
  std::optional<std::int16_t> read() const;
  // False when the score could not be stored, the old bytes kept; the reason goes to
  // stderr in one line (the same reason only once).
  bool write(std::int16_t score) const;

  const std::filesystem::path& path() const { return path_; }

 private:
  void report(const std::string& what, const std::string& why) const;
  std::filesystem::path path_;
  mutable std::set<std::string> reported_;
};

}  // namespace kh
