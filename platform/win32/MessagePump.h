#pragma once
#include <windows.h>

#include <deque>
#include <optional>

#include "Platform.h"
#include "Win32Util.h"

namespace kh::win32 {

// The system timer at 1 ms while the game runs, so waits end when they should; Windows
// otherwise wakes a thread on its 15.6 ms tick.
class FineTimerPeriod {
 public:
  FineTimerPeriod();
  ~FineTimerPeriod();
  FineTimerPeriod(const FineTimerPeriod&) = delete;
  FineTimerPeriod& operator=(const FineTimerPeriod&) = delete;

 private:
  bool on_ = false;
};

// The thread's messages as input, and the time: window procedures post what the messages
// mean, the pump hands it out in order. A wait ends at its deadline, on a waitable
// timer, or as soon as a message comes.
//
// Windows keeps the thread in a loop of its own while a window is moved or a menu is open.
// Only wait() hands it a message that may start such a loop; poll() never waits, so it keeps
// that message for the next wait(). While the loop runs, a timer of the window's brings the
// thread back to the pump, which runs the pulse whenever it is due and, between pulses,
// waits as wait() would until a message comes for the loop; poll() then only hands out what
// is queued, as taking the loop's messages would stall it.
class MessagePump {
 public:
  static constexpr UINT_PTR kHoldTimer = 0x4b48;  // the hold's WM_TIMER

  MessagePump();
  void post(const RawInput& in) { queue_.push_back(in); }
  bool poll(RawInput& in);
  bool wait(RawInput& in, Micros deadline);
  Micros now() const;  // from the performance counter
  void setPulse(Pulse* pulse) { pulse_ = pulse; }

  // WM_ENTERSIZEMOVE and WM_ENTERMENULOOP of `window` (entering), their WM_EXIT... (leaving).
  void hold(HWND window, bool entering);
  // The hold's WM_TIMER: the pulse when due, and the waits between, until a message comes.
  void heldTimer();
  // A step of the loop (WM_MOVING): the pulse, if it is due.
  void heldStep();

 private:
  void dispatch(bool mayHold);
  bool take(RawInput& in);
  void pulseIfDue();

  FineTimerPeriod period_;
  Handle timer_;
  std::uint64_t frequency_ = 1;
  std::deque<RawInput> queue_;
  std::optional<MSG> deferred_;  // taken by poll(), for the next wait() to dispatch
  Pulse* pulse_ = nullptr;
  int held_ = 0;                 // loops of Windows' own on the stack
  HWND heldWindow_ = nullptr;    // whose timer brings the thread back
  Micros due_ = 0;               // when the pulse is next due
};

}  // namespace kh::win32
