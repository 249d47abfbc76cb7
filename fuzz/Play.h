#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Platform.h"

namespace kh::play {

// A script of player actions: one byte at a time, zeros past its end.
class Script {
 public:
  explicit Script(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t byte() { return pos_ < bytes_.size() ? bytes_[pos_++] : 0; }
  int word() { return byte() | (byte() << 8); }
  bool done() const { return pos_ >= bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

struct Stats {
  long long steps = 0;
  int roundsBegun = 0;
  int roundsEnded = 0;
  Micros virtualTime = 0;
};

// The whole program on the headless backend, in a folder of its own, played by a script of
// mouse moves, clicks (also inside DoEvents), keys, window closes and time steps, with the
// game's invariants checked after every step:
//   score = 20 x body hits + 45 x lantern hits (the hit sounds counted independently);
//   0 >= view offset >= -400; every index the frame uses in range;
//   every label what the state says; a round ends exactly once;
//   "Hi.wbh" only ever holds a score that was shown, and its later bytes stay.
class Player {
 public:
  // `initialScore`: the bytes "Hi.wbh" starts with, or nothing for no file at all.
  // `closes`: whether the script may close a window (which ends the program).
  Player(const std::filesystem::path& dir, std::optional<std::vector<std::uint8_t>> initialScore,
         bool closes = true);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // One action of the script; false once the program has ended or an invariant failed.
  // `runBudgetUs`: virtual time the actions that run the clock may still use (they are the
  // costly ones); stalls cost nothing from it.
  bool step(Script& s, Micros& runBudgetUs);
  // The first invariant that failed, with the last actions that led to it; empty if none.
  const std::string& failure() const;
  const Stats& stats() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A script as one whole run: its first byte picks how "Hi.wbh" starts. Returns the failure
// (empty when every invariant held).
std::string playScript(std::span<const std::uint8_t> bytes, const std::filesystem::path& dir,
                       Micros runBudgetUs, Stats* stats = nullptr);

}  // namespace kh::play
