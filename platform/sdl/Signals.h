#pragma once
#include <csignal>

namespace kh {

// A line that cannot be written (stderr a pipe nobody reads any more) must not end the game:
// writes then just fail. For the whole run, before anything is reported.
void ignoreBrokenPipes();

// While it lives, a closed terminal (SIGHUP) ends the game as SIGTERM does: through SDL's
// handler, which asks the game to quit. Made after SDL has started; puts the old one back.
class HangUpAsTerminate {
 public:
  HangUpAsTerminate();
  ~HangUpAsTerminate();
  HangUpAsTerminate(const HangUpAsTerminate&) = delete;
  HangUpAsTerminate& operator=(const HangUpAsTerminate&) = delete;

 private:
  struct sigaction old_ {};
  bool set_ = false;
};

}  // namespace kh
