#include "X11Wait.h"

#include <X11/Xlib.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>

#include <ctime>
#include <initializer_list>

namespace kh::x11 {

namespace {

sigset_t endingSignals() {
  sigset_t s;
  sigemptyset(&s);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&s, sig);
  return s;
}

}  // namespace

void holdEndingSignals() {
  const sigset_t s = endingSignals();
  pthread_sigmask(SIG_BLOCK, &s, nullptr);
}

void releaseEndingSignals() {
  const sigset_t s = endingSignals();
  pthread_sigmask(SIG_UNBLOCK, &s, nullptr);
}

bool waitForInput(void* display, long long micros) {
  // The thread's signal mask while it waits: the ending signals let through.
  static const sigset_t waiting = [] {
    sigset_t m;
    pthread_sigmask(SIG_BLOCK, nullptr, &m);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigdelset(&m, sig);
    return m;
  }();
  auto* d = static_cast<Display*>(display);
  // Events may already wait inside Xlib, read off the connection along with a reply.
  if (XEventsQueued(d, QueuedAfterReading) > 0) return true;
  pollfd p{ConnectionNumber(d), POLLIN, 0};
  const timespec t{time_t(micros / 1'000'000), long(micros % 1'000'000) * 1000};
  return ppoll(&p, 1, &t, &waiting) != 0;
}

}  // namespace kh::x11
