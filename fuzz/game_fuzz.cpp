// Any bytes as a player's script: the whole game on the headless backend, its invariants
// checked after every step (see Play.h). A failure prints what broke and the last steps;
// libFuzzer keeps the input, which replays it: knuffelhatz_fuzz_game CRASH-FILE.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "Play.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto dir = std::filesystem::temp_directory_path() / ("kh-fuzz-game-" + std::to_string(getpid()));
  // Frames are the costly part: at most 2 s of them per script; stalls pass time for free
  // (each one a clock tick), so a script still plays whole rounds.
  const std::string failure = kh::play::playScript({data, size}, dir, 2 * 1000000);
  if (!failure.empty()) {
    std::fprintf(stderr, "GAME INVARIANT FAILED: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
