#pragma once
#include <cstdint>
#include <optional>

namespace kh {

// Where the best score is kept: two bytes, a signed little-endian number ("Hi.wbh" on the
// desktop, the page's storage in a browser). Each platform keeps it its own way.
class ScoreStore {
 public:
  virtual ~ScoreStore() = default;

  // The stored score (0 while none is stored), or nothing when it cannot be read; the
  // reason then goes to stderr in one line, the same reason once.
  virtual std::optional<std::int16_t> read() = 0;

  // Stores `score` unless a higher one is stored already, reading, comparing and writing in
  // one step that another copy of the game cannot interleave. False when it could not be
  // stored, the old bytes kept; the reason then goes to stderr in one line, the same once.
  virtual bool write(std::int16_t score) = 0;
};

}  // namespace kh
