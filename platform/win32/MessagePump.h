#pragma once
#include <windows.h>

#include <deque>

#include "Backend.h"
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

// The thread's messages as the game's input, and the time: window procedures post what the
// messages mean, the pump hands it out in order. A wait ends at its deadline, on a waitable
// timer, or as soon as a message comes.
class MessagePump {
 public:
  MessagePump();
  void post(const InputEvent& ev) { queue_.push_back(ev); }
  bool poll(InputEvent& ev);
  bool wait(InputEvent& ev, Micros deadline);
  Micros now() const;  // from the performance counter

 private:
  void dispatch();

  FineTimerPeriod period_;
  Handle timer_;
  LARGE_INTEGER frequency_{};
  std::deque<InputEvent> queue_;
};

}  // namespace kh::win32
