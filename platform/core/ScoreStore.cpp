#include "ScoreStore.h"

#include "Report.h"

namespace kh {

std::int16_t BestScore::decode(const ScoreBytes::Bytes& b) {
  const auto lo = std::uint16_t(b.size() > 0 ? b[0] : 0), hi = std::uint16_t(b.size() > 1 ? b[1] : 0);
  return std::int16_t(std::uint16_t(lo | hi << 8));
}

std::array<std::uint8_t, 2> BestScore::encode(std::int16_t score) {
  const auto v = std::uint16_t(score);
  return {std::uint8_t(v & 0xff), std::uint8_t(v >> 8)};
}

void BestScore::report(const std::string& what, const std::string& why) {
  // The same trouble is told once, not again at the end of every game.
  const std::string line = "cannot " + what + " the best score in " + bytes_->where() + ": " + why;
  if (reported_.insert(line).second) reportProblem(line);
}

std::optional<std::int16_t> BestScore::read() {
  std::string why;
  const auto b = bytes_->read(why);
  if (!b) {
    report("read", why);
    return std::nullopt;
  }
  return decode(*b);
}

bool BestScore::write(std::int16_t score) {
  std::string why;
  // Compared under the lock: another copy may have stored a higher score since this one read.
  const bool ok = bytes_->update(
      [score](const ScoreBytes::Bytes& current) -> std::optional<std::array<std::uint8_t, 2>> {
        if (decode(current) >= score) return std::nullopt;
        return encode(score);
      },
      why);
  if (!ok) report("store", why);
  return ok;
}

}  // namespace kh
