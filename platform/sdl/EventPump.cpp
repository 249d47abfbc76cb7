// Waiting for input: on the X connection itself where there is one, else through SDL; what
// each event means comes from translateInput, and is acted on here.
#include <algorithm>
#include <climits>
#include <vector>

#include "BackendState.h"
#include "X11Desktop.h"
#include "X11Wait.h"

namespace kh {

namespace {

[[noreturn]] void destroyedByOthers(SdlWindow& w) {
  w.gone = true;
  throw std::runtime_error("a window of the game was destroyed by another program");
}

}  // namespace

void SdlBackend::Impl::checkWindows() {
  const unsigned long failed = x11::lastFailedWindow();
  if (!failed) return;
  for (SdlWindow* w : windows)
    if (w->xid == failed) destroyedByOthers(*w);
}

bool SdlBackend::Impl::handle(const SDL_Event& e, RawInput& in) {
  std::vector<WindowState> states;
  states.reserve(windows.size());
  for (const SdlWindow* w : windows) states.push_back(w->state());
  const Translated t = translateInput(e, states, SDL_GetModState());
  switch (t.action) {
    case Translated::Action::Input:
      in = t.input;
      return true;
    case Translated::Action::Redraw:
      for (SdlWindow* w : windows)
        if (w->id == t.input.window) {
          w->whole = true;
          show(*w, clockNow());
        }
      return false;
    case Translated::Action::WindowSystem:
      if (const unsigned long gone = x11::destroyedWindow(e.syswm.msg))
        for (SdlWindow* w : windows)
          if (w->xid == gone) destroyedByOthers(*w);
      return false;
    case Translated::Action::None: return false;
  }
  return false;
}

bool SdlBackend::wait(RawInput& ev, Micros deadline) {
  for (;;) {
    impl_->checkWindows();
    Micros t = now();
    impl_->redrawWhole(t);
    SDL_Event e;
    if (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
      if (impl_->handle(e, ev)) return true;
      continue;
    }
    const Micros until = deadline;
    if (until - t <= 0) return poll(ev);
    if (impl_->xDisplay) {
      // Waiting on the X connection ourselves, to the microsecond; SDL looks only if
      // something came.
      if (x11::waitForInput(impl_->xDisplay, until - t)) SDL_PumpEvents();
      impl_->pumpedAt = now();
      continue;
    }
    const int got = SDL_WaitEventTimeout(&e, int(std::min<Micros>((until - t + 999) / 1000, INT_MAX)));
    impl_->pumpedAt = now();
    if (got && impl_->handle(e, ev)) return true;
  }
}

bool SdlBackend::poll(RawInput& ev) {
  impl_->checkWindows();
  // Asking the X server again within a millisecond of the last time finds nothing new worth
  // a trip: the queue SDL already holds is enough.
  const Micros t = now();
  const bool fresh = t - impl_->pumpedAt < 1000;
  if (!fresh) {
    if (!impl_->xDisplay || x11::waitForInput(impl_->xDisplay, 0)) SDL_PumpEvents();
    impl_->pumpedAt = t;
  }
  SDL_Event e;
  while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
    if (impl_->handle(e, ev)) return true;
  return false;
}

}  // namespace kh
