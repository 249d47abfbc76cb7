#include "Signals.h"

namespace kh {

void ignoreBrokenPipes() { std::signal(SIGPIPE, SIG_IGN); }

namespace {

// SDL's own handler asks for quitting on SIGTERM and SIGINT only.
void onHangUp(int) { std::raise(SIGTERM); }

}  // namespace

HangUpAsTerminate::HangUpAsTerminate() {
  struct sigaction term {};
  if (sigaction(SIGTERM, nullptr, &term) != 0) return;
  // Only where SDL has put its handler there; the default would end the game by the signal.
  if (!(term.sa_flags & SA_SIGINFO) && (term.sa_handler == SIG_DFL || term.sa_handler == SIG_IGN)) return;
  struct sigaction hup {};
  hup.sa_handler = onHangUp;
  sigemptyset(&hup.sa_mask);
  set_ = sigaction(SIGHUP, &hup, &old_) == 0;
}

HangUpAsTerminate::~HangUpAsTerminate() {
  if (set_) sigaction(SIGHUP, &old_, nullptr);
}

}  // namespace kh
