#include "MessagePump.h"

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
  QueryPerformanceFrequency(&frequency_);
  if (!timer_) throw std::runtime_error("cannot make a timer: " + errorText(GetLastError()));
}

Micros MessagePump::now() const {
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  const auto f = frequency_.QuadPart;
  return Micros((c.QuadPart / f) * 1000000 + ((c.QuadPart % f) * 1000000) / f);
}

// Nothing of the game runs in here: the window procedures only post, so a message that
// arrives inside a nested wait is simply queued.
void MessagePump::dispatch() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      InputEvent ev;
      ev.type = InputEvent::Type::Quit;
      queue_.push_back(ev);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MessagePump::poll(InputEvent& ev) {
  if (queue_.empty()) dispatch();
  if (queue_.empty()) return false;
  ev = queue_.front();
  queue_.pop_front();
  return true;
}

bool MessagePump::wait(InputEvent& ev, Micros deadline) {
  for (;;) {
    if (poll(ev)) return true;
    const Micros t = now();
    if (t >= deadline) return false;
    DWORD count = 0;
    HANDLE timer = timer_.get();
    if (deadline != INT64_MAX) {
      LARGE_INTEGER due;
      due.QuadPart = -std::min<Micros>(deadline - t, INT64_MAX / 20) * 10;  // relative, in 100 ns
      if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) count = 1;
    }
    const DWORD ms = count ? INFINITE : deadline == INT64_MAX ? INFINITE : DWORD(std::min<Micros>((deadline - t + 999) / 1000, INT_MAX));
    MsgWaitForMultipleObjectsEx(count, count ? &timer : nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace kh::win32
