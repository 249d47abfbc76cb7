#pragma once
#include <functional>
#include <string>
#include <vector>

#include "Desktop.h"
#include "SoundPlayer.h"

namespace kh {

class Form;
class App;

// A timer control: ticks every Interval milliseconds while Enabled. Switching it on
// starts its interval afresh; it never queues more than one tick and never catches up
// in a burst after a stall.
class Timer {
 public:
  Timer(Form& owner, int intervalMs, bool enabled);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  bool Enabled() const { return enabled_; }
  void setEnabled(bool on);
  int Interval() const { return intervalMs_; }

  std::function<void()> onTick;

 private:
  friend class App;
  Form& owner_;
  App& app_;
  int intervalMs_;
  bool enabled_;
  bool running_ = false;  // its handler is on the stack: not ticked again until it returns
  Micros due_ = 0;
  bool armed_ = false;    // only timers of loaded forms tick
};

// The one event loop: handlers run one at a time to their end; DoEvents hands control
// back once, and may nest.
struct MciLog;

// How the program runs on its platform.
struct AppOptions {
  int scale = 0;        // the windows' whole scale, 1..kMaxScale; 0 chooses one for the screen
  int clockRate = 1;    // the game's clock this many times faster: for tests in real windows
  MciLog* soundLog = nullptr;  // where tests and tools watch the sound player's property writes
};

class App {
 public:
  explicit App(Platform& platform, AppOptions options = {});
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  Desktop& desktop() { return desktop_; }
  SoundPlayer& sound() { return sound_; }
  MciLog* soundLog() const { return soundLog_; }
  Micros now() { return desktop_.now(); }

  // Handles the input events waiting now and the timers due now, once each, then returns.
  void DoEvents();
  // Runs until no form is loaded any more or until `until` (virtual-clock tests).
  void run(Micros until = INT64_MAX);
  bool running() const;
  void quit();

  // Used by forms and timers.
  void addForm(Form* f);
  void removeForm(Form* f);
  void addTimer(Timer& t);
  void removeTimer(const Timer& t);
  void arm(Timer& t, bool on);
  void presentAll();

 private:
  void dispatch(const InputEvent& ev);
  Micros pulse();
  Micros nextDue(Micros until);
  void refresh();
  void fireDueTimers();
  void fire(Timer& t);
  Form* formOf(WindowId id);

  Desktop desktop_;
  SoundPlayer sound_;
  MciLog* soundLog_;
  std::vector<Form*> forms_;
  std::vector<Timer*> timers_;
  bool quit_ = false;
};

}  // namespace kh
