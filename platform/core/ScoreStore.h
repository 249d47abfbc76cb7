#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kh {

// Where the game keeps its best score.
class ScoreStore {
 public:
  virtual ~ScoreStore() = default;
  // The stored score (0 while none is stored), or nothing when it cannot be read.
  virtual std::optional<std::int16_t> read() = 0;
  // Stores `score` unless the same or a higher one is stored already. False when it could
  // not be stored, the old score kept.
  virtual bool write(std::int16_t score) = 0;
};

// A platform's place for the best score's bytes: the first two of "Hi.wbh", or of the
// page's storage. What they mean is the core's (BestScore).
class ScoreBytes {
 public:
  using Bytes = std::vector<std::uint8_t>;
  using Decide = std::function<std::optional<std::array<std::uint8_t, 2>>(const Bytes& current)>;
  virtual ~ScoreBytes() = default;
  // The place, for messages: a quoted path, or "the page's storage".
  virtual std::string where() const = 0;
  // The first two bytes stored, or fewer where fewer are; nothing, with `why`, when they
  // cannot be read. Never blocks.
  virtual std::optional<Bytes> read(std::string& why) = 0;
  // Reads the first bytes and writes the two `decide` returns, if any, in one step that no
  // other copy of the game can interleave; later bytes stay as they are. False, with `why`
  // and the old bytes kept, when it could not; waits a few seconds at most for another copy.
  virtual bool update(const Decide& decide, std::string& why) = 0;
};

// The best score as every platform keeps it: two bytes, a signed little-endian number (no
// bytes at all hold 0, a single byte is the low byte), never lowered. A failure is told in
// one line on stderr, the same failure once.
class BestScore : public ScoreStore {
 public:
  explicit BestScore(std::unique_ptr<ScoreBytes> bytes) : bytes_(std::move(bytes)) {}

  std::optional<std::int16_t> read() override;
  bool write(std::int16_t score) override;

  static std::int16_t decode(const ScoreBytes::Bytes& b);
  static std::array<std::uint8_t, 2> encode(std::int16_t score);

 private:
  void report(const std::string& what, const std::string& why);
  std::unique_ptr<ScoreBytes> bytes_;
  std::set<std::string> reported_;
};

}  // namespace kh
