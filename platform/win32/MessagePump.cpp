#include "MessagePump.h"

#include "MessageTranslation.h"

#include <mmsystem.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace kh::win32 {

namespace {

Handle makeWaitTimer() {
  // High resolution where Windows has it (10 1803 on), else an ordinary one helped by the
  // 1 ms period.
  constexpr DWORD kHighResolution = 0x00000002;
  if (HANDLE h = CreateWaitableTimerExW(nullptr, nullptr, kHighResolution, TIMER_ALL_ACCESS)) return Handle(h);
  return Handle(CreateWaitableTimerW(nullptr, TRUE, nullptr));
}

}  // namespace

FineTimerPeriod::FineTimerPeriod() : on_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

FineTimerPeriod::~FineTimerPeriod() {
  if (on_) timeEndPeriod(1);
}

MessagePump::MessagePump() : timer_(makeWaitTimer()) {
  LARGE_INTEGER f;
  if (QueryPerformanceFrequency(&f) && f.QuadPart > 0) frequency_ = std::uint64_t(f.QuadPart);
  if (!timer_) throw std::runtime_error("cannot make a timer: " + errorText(GetLastError()));
}

Micros MessagePump::now() const {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return microsFromTicks(std::uint64_t(c.QuadPart), frequency_);
}

// Nothing of the game runs in here but the pulse, inside Windows' own loops: the window
// procedures only post, so a message that arrives inside a nested wait is simply queued.
void MessagePump::dispatch(bool mayHold) {
  MSG msg;
  if (mayHold && deferred_) {
    msg = *deferred_;
    deferred_.reset();
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  while (!deferred_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      RawInput in;
      in.type = RawInput::Type::Quit;
      queue_.push_back(in);
      continue;
    }
    if (!mayHold && mayHoldThread(msg.message)) {
      deferred_ = msg;  // and nothing after it, to keep the order
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MessagePump::take(RawInput& in) {
  if (queue_.empty()) return false;
  in = queue_.front();
  queue_.pop_front();
  return true;
}

bool MessagePump::poll(RawInput& in) {
  if (queue_.empty() && !held_) dispatch(false);
  return take(in);
}

namespace {

// Arms `timer` for `deadline` (relative, so a clock change cannot move it); false for never.
bool armFor(HANDLE timer, Micros deadline, Micros now) {
  if (deadline == INT64_MAX) return false;
  LARGE_INTEGER due;
  due.QuadPart = -std::clamp<Micros>(deadline - now, 0, INT64_MAX / 20) * 10;  // in 100 ns
  return SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) != 0;
}

}  // namespace

bool MessagePump::wait(RawInput& in, Micros deadline) {
  for (;;) {
    if (queue_.empty()) dispatch(true);
    if (take(in)) return true;
    const Micros t = now();
    if (t >= deadline) return false;
    HANDLE timer = timer_.get();
    const DWORD count = armFor(timer, deadline, t) ? 1 : 0;
    const DWORD ms = count || deadline == INT64_MAX ? INFINITE : DWORD(std::min<Micros>((deadline - t + 999) / 1000, INT_MAX));
    MsgWaitForMultipleObjectsEx(count, count ? &timer : nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void MessagePump::hold(HWND window, bool entering) {
  if (entering) {
    if (held_++ > 0) return;
    heldWindow_ = window;
    due_ = now();
    // The loop hands out WM_TIMER only when it has nothing else to do; Windows rounds the
    // interval up to its timer tick.
    SetTimer(window, kHoldTimer, USER_TIMER_MINIMUM, nullptr);
  } else if (held_ > 0 && --held_ == 0) {
    KillTimer(heldWindow_, kHoldTimer);
    heldWindow_ = nullptr;
  }
}

void MessagePump::pulseIfDue() {
  if (pulse_ && now() >= due_) due_ = pulse_->run();
}

void MessagePump::heldStep() {
  if (held_) pulseIfDue();
}

void MessagePump::heldTimer() {
  // Back to the loop as soon as anything waits for it; until then the pulse keeps time here.
  while (held_ && pulse_) {
    pulseIfDue();
    if (HIWORD(GetQueueStatus(QS_ALLINPUT))) return;
    HANDLE timer = timer_.get();
    const DWORD count = armFor(timer, due_, now()) ? 1 : 0;
    // Woken by the timer: the pulse is due; by anything else: a message for the loop.
    const DWORD woken = MsgWaitForMultipleObjectsEx(count, count ? &timer : nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count == 0 || woken != WAIT_OBJECT_0) return;
  }
}

}  // namespace kh::win32
