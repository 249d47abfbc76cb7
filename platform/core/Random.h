#pragma once
#include <cstdint>
#include <deque>
#include <initializer_list>

namespace kh {

// Uniform values in [0, 1). Seeded once per run by the platform; tests may also line up
// exact values to take the game through a particular path.
class Random {
 public:
  void seed(std::uint64_t s) { state_ = s; }
  void script(std::initializer_list<double> values) { scripted_.insert(scripted_.end(), values); }

  double next() {
    if (!scripted_.empty()) {
      const double v = scripted_.front();
      scripted_.pop_front();
      return v;
    }
    // splitmix64, top 53 bits
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    z ^= z >> 31;
    return double(z >> 11) * 0x1.0p-53;
  }

 private:
  std::uint64_t state_ = 0;
  std::deque<double> scripted_;
};

}  // namespace kh
