// A soak: rounds back to back with random input on the headless backend, every invariant of
// the scripted player (tests/support/Play.h) checked after every step. An hour of virtual play here;
// `make soak` runs ten (KH_SOAK_HOURS). A failure names the seed and step that replay it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>

#include "Harness.h"
#include "Play.h"

namespace kh::test {
namespace {

long rssKb() {
  std::ifstream in("/proc/self/status");
  std::string key;
  long value = 0;
  while (in >> key) {
    if (key == "VmRSS:") return in >> value ? value : 0;
    in.ignore(1 << 12, '\n');
  }
  return 0;
}

double envNumber(const char* name, double fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atof(v) : fallback;
}

TEST(Soak, RoundsBackToBackWithRandomInput) {
  const double hours = envNumber("KH_SOAK_HOURS", 1);
  const auto seed = std::uint64_t(envNumber("KH_SOAK_SEED", 20261209));
  const Micros end = Micros(hours * 3600e6);
  std::mt19937_64 random(seed);
  std::vector<std::uint8_t> chunk(4096);
  const auto dir = scratchDir();
  const auto wall0 = std::chrono::steady_clock::now();
  long rssStart = 0;
  int rounds = 0, runs = 0;
  Micros played = 0;
  long long steps = 0;
  // One run plays until its virtual time is up; a new one starts only if a script ends it.
  while (played < end) {
    ++runs;
    play::Player player(dir / "run", std::vector<std::uint8_t>{}, false);
    if (!rssStart) rssStart = rssKb();
    Micros budget = end - played;
    for (bool on = true; on && player.stats().virtualTime < end - played;) {
      for (auto& b : chunk) b = std::uint8_t(random());
      play::Script s(chunk);
      while (on && !s.done()) on = player.step(s, budget);
    }
    ASSERT_EQ(player.failure(), "") << "replay: KH_SOAK_SEED=" << seed << " KH_SOAK_HOURS=" << hours << ", run "
                                    << runs << ", step " << player.stats().steps;
    rounds += player.stats().roundsEnded;
    played += player.stats().virtualTime;
    steps += player.stats().steps;
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  std::cout << "soak: " << double(played) / 3.6e9 << " h of virtual play, " << rounds << " rounds in " << runs
            << " run(s), " << steps << " steps; wall " << wall << " s; RSS " << rssStart / 1024.0 << " MB at the start, "
            << rssKb() / 1024.0 << " MB at the end\n";
  EXPECT_GE(rounds, int(hours * 3600 / 200)) << "the script plays whole rounds";
}

}  // namespace
}  // namespace kh::test
